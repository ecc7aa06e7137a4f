#pragma once
// The problems panel beside the grid: every marked cell of the declaration with
// its severity, sheet, cell and note, read from the controller's problem list.
// A click or Enter on an entry goes to its cell; "Kiểm tra lại" runs the checks
// again. The window tells it when to read the list (after each user action).
#include <QFrame>
#include <QModelIndex>

#include "zevo/engine/MainController.h"

class QLabel;
class QPushButton;
class QTableView;

namespace zevo::ui {

class ProblemTableModel;

class ProblemsPanel : public QFrame {
    Q_OBJECT
public:
    explicit ProblemsPanel(engine::MainController& controller, QWidget* parent = nullptr);

    // Reads the list again when it changed; returns whether it did.
    bool update();
    QTableView* table() const { return table_; }
    QLabel* summary() const { return summary_; }
    int entryCount() const;

signals:
    // An entry was chosen and the controller moved to its cell.
    void wentToCell();
    void closeRequested();
    void recheckRequested();

private:
    void activate(const QModelIndex& index);

    engine::MainController& controller_;
    ProblemTableModel* model_;
    QLabel* summary_;
    QTableView* table_;
    QPushButton* recheck_;
    QPushButton* close_;
    unsigned revision_ = ~0u;
};

}  // namespace zevo::ui
