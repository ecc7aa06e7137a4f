#pragma once
// The declaration grid on screen: one tab per visible sheet, each a table view over
// the grid model. Every user action goes through the grid's user entry points
// (edit, move, key, button, sheet) and the view is refreshed from the model after it.
#include <QTabWidget>
#include <QTableView>
#include <vector>

#include "zevo/grid/SpreadModel.h"

namespace zevo::ui {

class SpreadTableModel;

// The table of one sheet: keys and moves go to the grid model.
class SpreadTable : public QTableView {
    Q_OBJECT
public:
    SpreadTable(grid::SpreadModel& grid, int sheet, QWidget* parent = nullptr);
    int sheet() const { return sheet_; }
    SpreadTableModel* tableModel() const { return model_; }
    // Spans, column widths and row heights from the model.
    void applyGeometry();
    // The grid's active cell becomes the view's current cell.
    void followActiveCell();

signals:
    // A user action changed the model (structural: rows inserted or deleted).
    void userActed(bool structural);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void moveBy(int rows, int cols);
    grid::SpreadModel& grid_;
    int sheet_;
    SpreadTableModel* model_;
    bool following_ = false;
};

class SpreadView : public QTabWidget {
    Q_OBJECT
public:
    explicit SpreadView(grid::SpreadModel& grid, QWidget* parent = nullptr);

    // Rebuilds the tabs from the model (after loading a declaration).
    void rebuild();
    // Re-reads the cells of every tab (after marks or programmatic changes).
    void refresh(bool structural = false);
    SpreadTable* currentTable() const;
    SpreadTable* tableForSheet(int sheet) const;

private:
    void onTabChanged(int index);
    grid::SpreadModel& grid_;
    std::vector<SpreadTable*> tables_;
    bool rebuilding_ = false;
};

}  // namespace zevo::ui
