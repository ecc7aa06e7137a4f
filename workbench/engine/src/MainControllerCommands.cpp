// The command buttons of the main window: save, new declaration, print, export,
// import and exit, with the completion pass and the check frame they share.
#include <cerrno>
#include <exception>
#include <filesystem>
#include <system_error>

#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/UserFolders.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/DataFiles.h"
#include "zevo/documents/SessionFile.h"
#include "zevo/engine/MainController.h"
#include "zevo/engine/SetupData.h"
#include "zevo/grid/GridStateGuard.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/Xml.h"

namespace zevo::engine {

using documents::GetAttributeValue;
using documents::SetAttributeValue;

namespace {

constexpr const char* kModule = "mainForm";
constexpr const char* kTitle = "Message";
// What the XML layer reports for a full disk.
constexpr int kDiskFullError = 61;

int ask(const char* id, int style, int icon, int defaultButton = 0) {
    return clsMessageBox().DisplayMessage(id, style, icon, kTitle, defaultButton);
}

}  // namespace

// ---------------------------------------------------------------- saving

bool MainController::UpdateData(bool saveSession) {
    try {
        clsVariables vars;
        const xml::Node menu = vars.NodeMenu();
        const xml::Node validity = vars.NodeValidity();
        try {
            documents::checkActiveSheetDocuments(validity);
        } catch (const RuntimeError& e) {
            WriteErrorLog(kModule, "UpdateData", e);
            ask(msg::kSheetMissing, msOKOnly, miCriticalError);
            return false;
        }
        if (!session_.unstoredCells.empty()) {
            WriteErrorLog(kModule, "UpdateData", err::kObjectRequired,
                          "Edits the sheet documents could not take, first " +
                              session_.unstoredCells.front() + ": nothing was saved");
            ask(msg::kEditsNotStored, msOKOnly, miCriticalError);
            return false;
        }
        if (!mayReplaceDamagedFiles()) return false;
        // "Session.dat" and the data files are replaced as one set: all new or,
        // should the program stop midway, all old (see xml::StagedFiles).
        xml::StagedFiles files;
        documents::SessionCounters& counters = documents::sessionCounters();
        const documents::SessionCounters before = counters;
        const bool countSave = saveSession && vars.DataChanged() && !sheetEntries().empty();
        if (countSave) {
            counters.increment();
            if (!documents::SaveSessionValueToFile(vars.DataFolder() + "Session.dat", true, true,
                                                   &files)) {
                counters = before;
                return false;
            }
        }
        // Files are replaced by a rename, so a read-only file is overwritten as
        // well and a failed write leaves the old file as it was.
        try {
            documents::saveActiveSheetDocuments(menu, validity, &files);
            files.commit();
        } catch (...) {
            counters = before;
            throw;
        }
        if (countSave) vars.DataChanged(false);
        ResetAdjustData();
        recoveryAfterSave();
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "UpdateData", e);
        if (errorNumber(e) == kDiskFullError) ask(msg::kDiskFull, msOKOnly, miCriticalError);
        return false;
    }
}

// A data file that could not be read at start-up and of which no copy could be
// kept is replaced by a save only once a copy succeeds or the user agreed to it.
bool MainController::mayReplaceDamagedFiles() {
    const xml::Node menu = clsVariables().NodeMenu();
    const std::vector<xml::Node> entries = sheetEntries();
    for (DeclarationSession::DamagedFile& damaged : session_.damagedFiles) {
        if (!damaged.copy.empty() || damaged.replaceAgreed) continue;
        if (damaged.sheet < 1 || static_cast<std::size_t>(damaged.sheet) > entries.size()) continue;
        const xml::Node& entry = entries[damaged.sheet - 1];
        if (!documents::isActiveForSave(entry) ||
            documents::sheetDataFilePath(menu, entry) != damaged.path)
            continue;
        std::error_code ec;
        if (!std::filesystem::exists(damaged.path, ec)) continue;
        std::string error;
        damaged.copy = keepDamagedCopy(damaged.path, error);
        if (!damaged.copy.empty()) continue;
        WriteErrorLog(kModule, "UpdateData", err::kPermissionDenied, error);
        if (ask(msg::kReplaceDamaged, msYesNo, miWarning, mrNo) != mrYes) return false;
        damaged.replaceAgreed = true;
    }
    return true;
}

bool MainController::IsAdjustData() const {
    try {
        clsVariables vars;
        for (int i = 0; i <= vars.AdjustDataCount(); ++i)
            if (vars.AdjustData(i)) return true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "IsAdjustData", e);
    }
    return false;
}

void MainController::ResetAdjustData() {
    try {
        clsVariables vars;
        const bool changed = vars.DataChanged();
        for (int i = 0; i <= vars.AdjustDataCount(); ++i) vars.AdjustData(i, false);
        vars.DataChanged(changed);
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "ResetAdjustData", e);
    }
}

// ---------------------------------------------------------------- checks

void MainController::CallFinish(bool skipRules) {
    {
        grid::GridStateGuard keep(grid_, grid::GridStateGuard::Events::AsTheyAre,
                                  grid::GridStateGuard::Cell::Moved);
        try {
            view().processEvents();
            view().setStatusVisible(false);
            view().setGridVisible(false);
            grid_.setRedraw(false);
            const int shownSheet = grid_.activeSheet();
            grid_.setSheet(shownSheet);
            const int shownCol = grid_.activeCol(), shownRow = grid_.activeRow();

            {
                grid::GridStateGuard quiet(grid_, grid::GridStateGuard::Events::Off,
                                           grid::GridStateGuard::Cell::Moved);
                for (const auto& [key, colour] : session_.colourRestore.entries()) {
                    const auto cut = key.find('_');
                    if (cut == std::string::npos) continue;
                    const int sheet = std::stoi(key.substr(0, cut));
                    int col = 0, row = 0;
                    sheetdocs::ParserCellID(grid_, key.substr(cut + 1), col, row);
                    if (sheet < 1 || sheet > grid_.sheetCount() || col < 1 || row < 1) continue;
                    grid_.setSheet(sheet);
                    grid_.setPosition(col, row);
                    grid_.setNote("");
                    grid_.setBackColor(colour);
                }
                session_.colourRestore.clear();
            }
            // The completion pass runs with events on; the outer guard puts back the caller's switch.
            grid_.setEventsEnabled(true);

            const int count = grid_.sheetCount();
            std::vector<std::pair<int, int>> active(count + 1);
            for (int s = 1; s <= count; ++s) {
                grid_.setActiveSheet(s);
                grid_.setSheet(s);
                active[s] = {grid_.activeCol(), grid_.activeRow()};
                grid_.setActiveCell(1, 1);
            }
            ResetErrorCells();
            if (rule_ && !skipRules) rule_->finish();
            for (int s = 1; s <= count; ++s) {
                grid_.setActiveSheet(s);
                grid_.setSheet(s);
                grid_.setActiveCell(active[s].first, active[s].second);
            }
            grid_.setActiveSheet(shownSheet);
            grid_.setSheet(shownSheet);
            grid_.setActiveCell(shownCol, shownRow);
        } catch (const std::exception& e) {
            WriteErrorLog(kModule, "CallFinish", e);
        }
    }
    grid_.setRedraw(true);
    problems_.rebuild();
    view().setGridVisible(true);
    view().setStatusVisible(true);
    view().gridChanged();
}

// Completion pass and validation table with the sheet entries' "Active" kept; the
// caller puts them back (restoreActive) when its dialog or message has closed.
bool MainController::checkFrame(bool restoreNow, std::vector<std::string>& activeBefore) {
    CallFinish(false);
    activeBefore.clear();
    for (const xml::Node& entry : sheetEntries())
        activeBefore.push_back(GetAttributeValue(entry, "Active"));
    bool valid = false;
    try {
        if (rule_) rule_->SetActiveSheet();
        valid = CheckValidData();
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "CheckValidData", e);
    }
    // The cursor may now stand on a marked cell: the status line says why.
    SetStatus(-1, -1);
    if (restoreNow) restoreActive(activeBefore);
    view().gridChanged();
    return valid;
}

void MainController::restoreActive(const std::vector<std::string>& activeBefore) {
    const std::vector<xml::Node> entries = sheetEntries();
    for (std::size_t i = 0; i < entries.size() && i < activeBefore.size(); ++i)
        SetAttributeValue(entries[i], "Active", activeBefore[i]);
}

// ---------------------------------------------------------------- commands

void MainController::cmdSave_Click() {
    try {
        std::vector<std::string> activeBefore;
        const bool valid = checkFrame(true, activeBefore);
        if (valid) {
            if (UpdateData(true)) ask(msg::kSaved, msOKOnly, miInformation);
        } else if (ask(msg::kSaveInvalid, msYesNo, miQuestion) == mrYes) {
            if (UpdateData(true)) ask(msg::kSaved, msOKOnly, miInformation);
        }
        showSheet(grid_.activeSheet());
        SetStatus(-1, -1);
        view().focusGrid();
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdSave_Click", e);
    }
}

void MainController::DeleteSheet(int index) {
    try {
        const std::vector<xml::Node> entries = sheetEntries();
        if (index < 0 || static_cast<std::size_t>(index) >= entries.size())
            throw RuntimeError(err::kSubscriptOutOfRange, "Subscript out of range");
        const std::string path = clsVariables().DataFolder() +
                                 GetAttributeValue(entries[index], "DataFile") + ".xml";
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) {
            // Removing needs write access to the folder only: a read-only file goes too.
            if (!std::filesystem::remove(path, ec) && ec)
                throw RuntimeError(ec.value() == EACCES || ec.value() == EPERM
                                       ? err::kPermissionDenied
                                       : 75,
                                   path + ": " + ec.message());
        }
        SetAttributeValue(entries[index], "Active", "0");
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "DeleteSheet", e);
        if (errorNumber(e) == err::kPermissionDenied)
            ask(msg::kCannotDelete, msOKOnly, miCriticalError);
    }
}

void MainController::cmdDelete_Click() {
    try {
        if (ask(msg::kNewDeclaration, msYesNo, miQuestion, mrNo) != mrYes) return;
        clsVariables vars;
        const std::string backup = documents::backupFilePath("new");
        // The declaration's files go only once their backup is written; a writer
        // that fails has told the user why, and the declaration stays as it is.
        if (!backupWriter) {
            notifyUnavailable("cmdDelete_Click", "The exchange export for the backup " + backup);
            return;
        }
        if (!backupWriter(backup)) {
            WriteErrorLog(kModule, "cmdDelete_Click", err::kInvalidCall,
                          "No backup was written (" + backup + "): the declaration was kept");
            return;
        }
        for (int i = 0; i <= vars.xmlDataCount(); ++i) DeleteSheet(i);
        exitReason_ = "Delete";
        Reload();
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdDelete_Click", e);
    }
}

void MainController::cmdPrint_Click() {
    std::vector<std::string> activeBefore;
    try {
        if (checkFrame(false, activeBefore)) {
            if (printDialog)
                printDialog();
            else
                notifyUnavailable("cmdPrint_Click", "The print dialog");
        } else {
            ask(msg::kPrintInvalid, msOKOnly, miInformation);
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdPrint_Click", e);
    }
    restoreActive(activeBefore);
}

void MainController::cmdExport_Click() {
    std::vector<std::string> activeBefore;
    try {
        if (checkFrame(false, activeBefore)) {
            if (backupDialog)
                backupDialog(true);
            else
                notifyUnavailable("cmdExport_Click", "The export dialog");
        } else {
            ask(msg::kExportInvalid, msOKOnly, miInformation);
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdExport_Click", e);
    }
    restoreActive(activeBefore);
}

void MainController::cmdImport_Click() {
    try {
        if (backupDialog)
            backupDialog(false);
        else
            notifyUnavailable("cmdImport_Click", "The import dialog");
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdImport_Click", e);
    }
}

// Exit on "Yes" to saving: rules, validation table, then save. False when the
// window must stay open.
bool MainController::checkedExitSave() {
    if (rule_) rule_->finish();
    if (CheckValidData()) {
        if (UpdateData(true)) return true;
        exitCancelled_ = true;   // nothing is lost: the window stays with the changes
        return false;
    }
    const int answer = ask(msg::kExitInvalid, msYesNo, miQuestion);
    if (answer == mrNo) {
        if (UpdateData(true)) return true;
        exitCancelled_ = true;
        return false;
    }
    if (answer == mrYes) UpdateData(true);
    exitCancelled_ = true;   // stay so the user can correct the marked cells
    return false;
}

void MainController::cmdExit_Click() {
    try {
        exitCancelled_ = false;
        CallFinish(true);
        if (IsAdjustData()) {
            const int answer = ask(msg::kExitUnsaved, msYesNoCancel, miQuestion);
            if (answer == mrYes) {
                if (!checkedExitSave()) return;
            } else if (answer != mrNo) {
                // Cancel, or the question closed without an answer: nothing is
                // thrown away, the window stays.
                exitCancelled_ = true;
                return;
            }
        }
        exitReason_ = "Exit";
        unloadWindow();
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdExit_Click", e);
        exitCancelled_ = true;
    }
}

}  // namespace zevo::engine
