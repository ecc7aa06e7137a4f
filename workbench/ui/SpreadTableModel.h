#pragma once
// One sheet of the grid model as a Qt table model. Cells are read lazily from the
// grid model when the view paints them; edits go through the grid's user entry
// points so that the window's controller and the rule object see the user's events.
#include <QAbstractTableModel>

#include <functional>

#include "zevo/grid/SpreadModel.h"

namespace zevo::ui {

class SpreadTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Extra roles the delegate reads.
    enum Role { HasNoteRole = Qt::UserRole + 1, CellTypeRole, CellLockedRole };

    SpreadTableModel(grid::SpreadModel& grid, int sheet, QObject* parent = nullptr);

    int sheet() const { return sheet_; }
    grid::SpreadModel& grid() { return grid_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Whether (sheet, column, row) takes a typed value; cells that do not never open
    // an editor. Without it every unlocked cell does.
    using TakesValue = std::function<bool(int sheet, int col, int row)>;
    void setTakesValue(TakesValue takesValue) { takesValue_ = std::move(takesValue); }

    // After a user action: a changed size resets the model (the view re-reads
    // spans and sizes), otherwise every cell is marked changed.
    // Returns true when the model was reset.
    bool refresh(bool structural = false);

signals:
    // The user typed a text and the rules left the cell empty.
    void entryRejected(int col, int row, const QString& typed);

private:
    TakesValue takesValue_;
    grid::SpreadModel& grid_;
    int sheet_;
    int rows_ = 0, cols_ = 0;
};

// 0x00BBGGRR grid colours as Qt colours.
QColor toQColor(grid::Colour colour);

}  // namespace zevo::ui
