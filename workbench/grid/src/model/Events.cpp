// Listeners and the user actions of the grid model. User actions work on the
// displayed sheet and address it (sheet, current cell) before raising their
// events, so that handlers read the cell the user touched.
#include <algorithm>

#include "ModelImpl.h"

namespace zevo::grid {

void SpreadModel::Impl::raiseChange(int col, int row) {
    raise("Change", [&](SpreadListener& l) { l.Change(col, row); });
}

void SpreadModel::addListener(SpreadListener* listener) {
    if (!listener) return;
    auto& ls = d_->listeners;
    if (std::find(ls.begin(), ls.end(), listener) == ls.end()) ls.push_back(listener);
}

void SpreadModel::removeListener(SpreadListener* listener) {
    auto& ls = d_->listeners;
    ls.erase(std::remove(ls.begin(), ls.end(), listener), ls.end());
}

namespace {

void addressDisplayed(SpreadModel::Impl& d, int col, int row) {
    d.addressed = d.displayed;
    d.col = col;
    d.row = row;
}

// LeaveCell for the active cell and the move; false when a listener cancelled it.
bool moveActive(SpreadModel::Impl& d, int col, int row) {
    Sheet& s = *d.sheets[d.displayed];
    if (s.activeCol == col && s.activeRow == row) return true;
    bool cancel = false;
    if (d.events) {
        const int oldCol = s.activeCol, oldRow = s.activeRow;
        addressDisplayed(d, oldCol, oldRow);
        d.raise("LeaveCell",
                [&](SpreadListener& l) { l.LeaveCell(oldCol, oldRow, col, row, cancel); });
    }
    if (cancel) return false;
    s.activeCol = col;
    s.activeRow = row;
    return true;
}

}  // namespace

void SpreadModel::userMoveTo(int col, int row) {
    if (col < 1 || row < 1) return;
    if (moveActive(*d_, col, row)) addressDisplayed(*d_, col, row);
}

void SpreadModel::userEdit(int col, int row, const std::string& text) {
    if (col < 1 || row < 1) return;
    if (!moveActive(*d_, col, row)) return;
    addressDisplayed(*d_, col, row);
    if (d_->formatAt(d_->cur(), col, row).locked) return;
    d_->raise("EditMode", [&](SpreadListener& l) { l.EditMode(col, row, 1, false); });
    addressDisplayed(*d_, col, row);
    const bool changed = d_->write(d_->displayed, col, row, text, false, false);
    addressDisplayed(*d_, col, row);
    d_->raise("EditMode", [&](SpreadListener& l) { l.EditMode(col, row, 0, changed); });
    if (changed) {
        addressDisplayed(*d_, col, row);
        d_->raiseChange(col, row);
    }
}

void SpreadModel::userKeyUp(int keyCode, int shift) {
    const Sheet& s = *d_->sheets[d_->displayed];
    addressDisplayed(*d_, s.activeCol, s.activeRow);
    d_->raise("KeyUp", [&](SpreadListener& l) { l.KeyUp(keyCode, shift); });
}

void SpreadModel::userClickButton(int col, int row, bool down) {
    if (col < 1 || row < 1) return;
    if (!moveActive(*d_, col, row)) return;
    addressDisplayed(*d_, col, row);
    const CellFormat& f = d_->formatAt(d_->cur(), col, row);
    if (f.type == CellType::CheckBox) {
        if (f.locked) return;
        d_->write(d_->displayed, col, row, down ? "1" : "0", true, false);
    } else if (f.type != CellType::Button) {
        return;
    }
    addressDisplayed(*d_, col, row);
    d_->raise("ButtonClicked", [&](SpreadListener& l) { l.ButtonClicked(col, row, down ? 1 : 0); });
}

void SpreadModel::userShowSheet(int sheet) {
    if (sheet < 1 || sheet > sheetCount() || sheet - 1 == d_->displayed) return;
    const int old = d_->displayed + 1;
    d_->displayed = sheet - 1;
    d_->addressed = sheet - 1;
    d_->raise("SheetChanged", [&](SpreadListener& l) { l.SheetChanged(old, sheet); });
}

}  // namespace zevo::grid
