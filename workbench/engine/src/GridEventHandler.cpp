#include "zevo/engine/GridEventHandler.h"

#include <cstdint>
#include <exception>

#include "zevo/ErrorLog.h"
#include "zevo/clsVariables.h"
#include "zevo/engine/CellUpdates.h"
#include "zevo/engine/DynamicRows.h"
#include "zevo/grid/GridStateGuard.h"
#include "zevo/sheetdocs/CellAddress.h"

namespace zevo::engine {

namespace {

std::string cellValue(const grid::Spread& grid) {
    const grid::CellType type = grid.cellType();
    return type == grid::CellType::Number || type == grid::CellType::Percent ? grid.value()
                                                                              : grid.text();
}

}  // namespace

GridEventHandler::GridEventHandler(DeclarationSession& session, grid::Spread& grid,
                                   rules::RuleObject* rule)
    : session_(session), grid_(grid), rule_(rule) {
    grid_.addListener(this);
}

GridEventHandler::~GridEventHandler() { grid_.removeListener(this); }

void GridEventHandler::Change(int col, int row) {
    try {
        if (!session_.startUp) {
            if (observer_ && !inKey_) observer_->beforeEdit(session_.currentSheet, col, row);
            handleChange(col, row);
        } else if (session_.loading) {
            storeComputedValue(col, row);
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", "fpSpread1_Change", e);
    }
}

void GridEventHandler::handleChange(int col, int row) {
    grid::GridStateGuard guard(grid_);
    grid_.setSheet(session_.currentSheet);
    sheetdocs::GetCellSpan(grid_, col, row);
    grid_.setPosition(col, row);
    const std::string key =
        ColourRestoreRecord::key(session_.currentSheet, sheetdocs::MakeCellID(grid_, col, row));
    if (auto colour = session_.colourRestore.find(key)) {
        grid_.setNote("");
        grid_.setBackColor(*colour);
        session_.colourRestore.remove(key);
    }
    if (grid_.cellType() == grid::CellType::CheckBox) return;
    bool changed = false;
    UpdateCell(session_, grid_, col, row, cellValue(grid_), changed);
    if (changed) clsVariables().AdjustData(session_.currentSheet - 1, true);
}

// While a data file is loaded, formula cells the template computes from the
// loaded values are stored as well.
void GridEventHandler::storeComputedValue(int col, int row) {
    // A handler raised in the middle of a load must not move the loader's cell.
    grid::GridStateGuard guard(grid_, grid::GridStateGuard::Events::AsTheyAre);
    const int sheet = grid_.sheet();
    grid_.setPosition(col, row);
    if (!grid_.locked() || sheet == grid_.sheetCount()) return;
    const xml::DocumentPtr doc = clsVariables().Data(session_.currentSheet - 1);
    if (!doc || doc->elementById(sheetdocs::MakeCellID(grid_, col, row)).isNull()) return;
    grid_.setEventsEnabled(false);
    if (!grid_.formula().empty()) grid_.recalcCell();
    if (grid_.cellType() == grid::CellType::CheckBox) return;
    bool changed = false;
    UpdateCell(session_, grid_, col, row, cellValue(grid_), changed);
}

void GridEventHandler::ButtonClicked(int col, int row, int buttonDown) {
    try {
        if (session_.startUp) return;
        grid::GridStateGuard guard(grid_, grid::GridStateGuard::Events::AsTheyAre);
        grid_.setSheet(session_.currentSheet);
        sheetdocs::GetCellSpan(grid_, col, row);
        grid_.setPosition(col, row);
        if (grid_.cellType() != grid::CellType::CheckBox) return;
        bool changed = false;
        UpdateCell(session_, grid_, col, row, buttonDown == 1 ? "x" : "", changed);
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", "fpSpread1_ButtonClicked", e);
    }
}

void GridEventHandler::KeyUp(int keyCode, int shift) {
    namespace keys = grid::keys;
    if (keyCode != keys::kEscape && keyCode != keys::kF5 && keyCode != keys::kF6 &&
        keyCode != keys::kDelete)
        return;
    grid::GridStateGuard guard(grid_, grid::GridStateGuard::Events::AsTheyAre,
                               grid::GridStateGuard::Cell::Moved);
    try {
        grid_.setSheet(session_.currentSheet);
        const int activeCol = grid_.activeCol();
        int activeRow = grid_.activeRow();
        // F5 on the row just below a list (where Enter on the last field leaves the
        // cursor) appends to that list: the row above becomes the active row.
        if (keyCode == keys::kF5 && activeRow > 1 &&
            !TakesValue(grid_, session_.currentSheet, activeCol, activeRow) &&
            TakesValue(grid_, session_.currentSheet, activeCol, activeRow - 1)) {
            --activeRow;
            grid_.setSheet(session_.currentSheet);
            grid_.setActiveCell(activeCol, activeRow);
        }
        grid_.setSheet(session_.currentSheet);
        if (observer_ && keyCode != keys::kEscape && !session_.startUp)
            observer_->beforeKey(keyCode, session_.currentSheet, activeCol, activeRow);
        inKey_ = true;
        Change(activeCol, activeRow);
        inKey_ = false;
        grid_.setEventsEnabled(false);
        std::int16_t key = static_cast<std::int16_t>(keyCode);
        std::int16_t shiftState = static_cast<std::int16_t>(shift);
        if (keyCode == keys::kF5) {
            if (rule_ && rule_->InsertEnable(key, shiftState)) {
                grid_.setSheet(session_.currentSheet);
                InsertNode(session_, grid_, activeCol, activeRow);
            }
        } else if (keyCode == keys::kF6) {
            if (rule_ && rule_->DeleteEnable(key, shiftState)) {
                grid_.setSheet(session_.currentSheet);
                DeleteNode(session_, grid_, session_.currentSheet, activeCol, activeRow, true);
            }
        } else if (keyCode == keys::kDelete) {
            if (rule_ && rule_->DeleteEnable(key, shiftState)) {
                grid_.setSheet(session_.currentSheet);
                grid_.setPosition(activeCol, activeRow);
                if (grid_.cellType() == grid::CellType::ComboBox) {
                    grid_.setText("");
                    bool changed = false;
                    UpdateCell(session_, grid_, activeCol, activeRow, "", changed);
                    rule_->CellChange(activeCol, activeRow);
                    clsVariables().AdjustData(session_.currentSheet - 1, true);
                }
            }
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", "fpSpread1_KeyUp", e);
    }
}

void GridEventHandler::SheetChanged(int oldSheet, int newSheet) {
    try {
        grid_.setSheet(newSheet);
        session_.currentSheet = newSheet;
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", "fpSpread1_SheetChanged", e);
    }
}

}  // namespace zevo::engine
