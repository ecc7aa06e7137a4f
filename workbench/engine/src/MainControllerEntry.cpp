// Data entry on the grid: which cells take a value, and what the user is told when
// the rules refuse what was typed.
#include <exception>
#include <string>

#include "zevo/ErrorLog.h"
#include "zevo/engine/CellUpdates.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/GridStateGuard.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/sheetdocs/MarkingColours.h"

namespace zevo::engine {

namespace {

constexpr const char* kModule = "mainForm";

// Why a cell with this mask refuses a text: the masked cells are the date cells.
std::string refusalReason(const std::string& mask) {
    if (mask == "99//99//9999")
        return "không phải ngày hợp lệ (ngày/tháng/năm, ví dụ 05/09/1985)";
    if (mask == "99//99") return "không phải ngày hợp lệ (ngày/tháng, ví dụ 05/09)";
    if (mask == "99//9999") return "không phải tháng hợp lệ (tháng/năm, ví dụ 09/1985)";
    if (mask == "9999") return "không phải năm hợp lệ (ví dụ 1985)";
    return "không hợp lệ";
}

}  // namespace

bool MainController::cellTakesValue(int sheet, int col, int row) {
    try {
        grid::GridStateGuard guard(grid_, grid::GridStateGuard::Events::AsTheyAre);
        if (!TakesValue(grid_, sheet, col, row)) return false;
        grid_.setSheet(sheet);
        sheetdocs::GetCellSpan(grid_, col, row);
        grid_.setPosition(col, row);
        return !grid_.locked();
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cellTakesValue", e);
        return false;
    }
}

void MainController::entryRejected(int col, int row, const std::string& typed) {
    try {
        grid::GridStateGuard guard(grid_);
        grid_.setSheet(session_.currentSheet);
        sheetdocs::GetCellSpan(grid_, col, row);
        grid_.setPosition(col, row);
        const std::string note = "Không nhận \"" + typed + "\": " + refusalReason(grid_.mask()) + ".";
        // The colour-restore record gives the cell its colour back once it is typed
        // into again, as it does for the marks of a loaded file.
        session_.colourRestore.add(
            ColourRestoreRecord::key(session_.currentSheet, sheetdocs::MakeCellID(grid_, col, row)),
            sheetdocs::isMarkedColour(grid_.backColor()) ? grid::kWhite : grid_.backColor());
        grid_.setNote(note);
        grid_.setBackColor(sheetdocs::kErrorColour);
        refusal_ = note;
        refusalSheet_ = session_.currentSheet;
        refusalCol_ = col;
        refusalRow_ = row;
        statusText_ = note;
        view().setStatusText(statusText_);
        problems_.refreshRows(session_.currentSheet, row, row);
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "entryRejected", e);
    }
}

void MainController::showRefusalAfterLeaving(int col, int row) {
    if (refusal_.empty()) return;
    const std::string refusal = std::move(refusal_);
    refusal_.clear();
    if (refusalSheet_ != session_.currentSheet || refusalCol_ != col || refusalRow_ != row) return;
    // A label keeps the line as it was, which already says it.
    if (statusText_.rfind(refusal, 0) == 0) return;
    statusText_ = statusText_.empty() ? refusal : refusal + "\n" + statusText_;
    view().setStatusText(statusText_);
}

std::string MainController::helpText() {
    SetStatus(-1, -1);
    return statusText_;
}

}  // namespace zevo::engine
