#pragma once
// The declaration grid on screen: one tab per visible sheet, each a table view over
// the grid model. Every user action goes through the grid's user entry points
// (edit, move, key, button, sheet) and the view is refreshed from the model after it.
#include <QTabWidget>
#include <QTableView>
#include <vector>

#include "SpreadTableModel.h"
#include "zevo/grid/SpreadModel.h"

namespace zevo::ui {

// The table of one sheet: keys and moves go to the grid model.
class SpreadTable : public QTableView {
    Q_OBJECT
public:
    SpreadTable(grid::SpreadModel& grid, int sheet, QWidget* parent = nullptr);
    int sheet() const { return sheet_; }
    bool editing() const { return state() == EditingState; }
    SpreadTableModel* tableModel() const { return model_; }
    // Spans, column widths and row heights from the model.
    void applyGeometry();
    // The grid's active cell becomes the view's current cell.
    void followActiveCell();
    // Moves to the next (or previous) cell in reading order that takes input,
    // skipping hidden, locked and label cells. Stays when there is none.
    void goToField(bool forward);
    // Moves by rows and columns, skipping hidden rows and columns.
    void moveCurrentBy(int rows, int cols);
    // Shows the current cell's note as a tooltip beside the cell (Shift+F2).
    void showNote();
    // Width the whole sheet needs on screen: visible columns, row header, scroll bar.
    int formWidth() const;
    void scrollToTopLeft();

signals:
    // A user action changed the model (structural: rows inserted or deleted).
    void userActed(bool structural);
    // The user typed a text and the rules left the cell empty.
    void entryRejected(int col, int row, const QString& typed);
    // Something the status line should say at once (a text cut at its maximum length).
    void notice(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    bool takesInput(int row, int col) const;
    QModelIndex nextField(const QModelIndex& from, bool forward) const;
    grid::SpreadModel& grid_;
    int sheet_;
    SpreadTableModel* model_;
    bool following_ = false;
};

class SpreadView : public QTabWidget {
    Q_OBJECT
public:
    explicit SpreadView(grid::SpreadModel& grid, QWidget* parent = nullptr);

    // Whether a cell takes a typed value (see SpreadTableModel::setTakesValue).
    void setTakesValue(SpreadTableModel::TakesValue takesValue);

    // Rebuilds the tabs from the model (after loading a declaration).
    void rebuild();
    // Re-reads the cells of every tab (after marks or programmatic changes).
    void refresh(bool structural = false);
    SpreadTable* currentTable() const;
    SpreadTable* tableForSheet(int sheet) const;

signals:
    // The user typed a text into (col, row) of the shown sheet and the rules left it empty.
    void entryRejected(int col, int row, const QString& typed);
    void notice(const QString& text);
    // A user action on a table changed the model (after the view was refreshed).
    void userActed(bool structural);

private:
    void onTabChanged(int index);
    SpreadTableModel::TakesValue takesValue_;
    grid::SpreadModel& grid_;
    std::vector<SpreadTable*> tables_;
    bool rebuilding_ = false;
};

}  // namespace zevo::ui
