// The problems panel's side of the controller (re-checking, going to a marked
// cell) and undo and redo of the user's actions.
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "zevo/ErrorLog.h"
#include "zevo/documents/Attributes.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/GridStateGuard.h"

namespace zevo::engine {

namespace {
constexpr const char* kModule = "mainForm";
}  // namespace

bool MainController::undo() {
    if (session_.startUp) return false;
    const bool done = history_.undo();
    if (done) {
        SetStatus(-1, -1);
        view().gridChanged();
    }
    return done;
}

bool MainController::redo() {
    if (session_.startUp) return false;
    const bool done = history_.redo();
    if (done) {
        SetStatus(-1, -1);
        view().gridChanged();
    }
    return done;
}

void MainController::recheckProblems() {
    problems_.setRecheckWanted(false);
    if (session_.startUp) return;
    {
        grid::GridStateGuard keep(grid_, grid::GridStateGuard::Events::AsTheyAre);
        const int shown = grid_.activeSheet();
        const int current = session_.currentSheet;
        const int count = grid_.sheetCount();
        std::vector<std::pair<int, int>> active(count + 1);
        for (int s = 1; s <= count; ++s) {
            grid_.setSheet(s);
            active[s] = {grid_.activeCol(), grid_.activeRow()};
        }
        grid_.setRedraw(false);
        try {
            ResetErrorCells();
            if (rule_) rule_->finish();
            std::vector<std::string> activeBefore;
            for (const xml::Node& entry : sheetEntries())
                activeBefore.push_back(documents::GetAttributeValue(entry, "Active"));
            if (rule_) rule_->SetActiveSheet();
            navigateToFailure_ = false;
            CheckValidData();
            navigateToFailure_ = true;
            restoreActive(activeBefore);
        } catch (const std::exception& e) {
            navigateToFailure_ = true;
            WriteErrorLog(kModule, "recheckProblems", e);
        }
        for (int s = 1; s <= count; ++s) {
            grid_.setSheet(s);
            grid_.setActiveCell(active[s].first, active[s].second);
        }
        grid_.setActiveSheet(shown);
        session_.currentSheet = current;
        grid_.setRedraw(true);
    }
    problems_.rebuild();
    SetStatus(-1, -1);
    view().gridChanged();
}

bool MainController::goToProblem(const Problem& problem) {
    try {
        if (session_.startUp || problem.sheet < 1 || problem.sheet > grid_.sheetCount() ||
            problem.row < 1 || problem.row > grid_.maxRowsOf(problem.sheet) || problem.col < 1)
            return false;
        if (grid_.activeSheet() != problem.sheet) grid_.userShowSheet(problem.sheet);
        grid_.userMoveTo(problem.col, problem.row);
        SetStatus(-1, -1);
        view().focusGrid();
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "goToProblem", e);
        return false;
    }
}

}  // namespace zevo::engine
