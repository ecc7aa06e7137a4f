#pragma once
// The main window's behaviour without its widgets: start-up and reload, the
// command buttons (new declaration, export, import, print, save, exit), the
// whole-declaration check with its cell marks, the status line, F1 help and
// shutdown. It owns the grid model, the rule object and the declaration session;
// the window (MainView) only shows its state and forwards user actions.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "zevo/Xml.h"
#include "zevo/engine/DeclarationSession.h"
#include "zevo/engine/GridEventHandler.h"
#include "zevo/engine/MainView.h"
#include "zevo/engine/ProblemList.h"
#include "zevo/engine/UndoHistory.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/rules/BusinessLibrary.h"
#include "zevo/rules/RuleObject.h"

class QLockFile;

namespace zevo::engine {

// Message ids the window shows.
namespace msg {
inline constexpr const char* kSaved = "0002";
inline constexpr const char* kPrintInvalid = "0005";
inline constexpr const char* kNewDeclaration = "0012";
inline constexpr const char* kExitUnsaved = "0013";
inline constexpr const char* kExitInvalid = "0014";
inline constexpr const char* kSaveInvalid = "0015";
inline constexpr const char* kExportInvalid = "0016";
inline constexpr const char* kDiskFull = "0037";
inline constexpr const char* kCannotDelete = "0038";
inline constexpr const char* kSheetMissing = "0120";
inline constexpr const char* kReplaceDamaged = "0122";
inline constexpr const char* kEditsNotStored = "0123";
}  // namespace msg

// First row of the validation table on the "Header" sheet.
inline constexpr int kValidationFirstRow = 12;

// How a start-up ended.
enum class StartResult {
    Ready,            // the declaration is open
    OtherInstance,    // another instance runs: end at once, silently
    SessionUnreadable,// "Session.dat" could not be read: the program ends
    Stopped,          // a step failed (logged); the window shows what was built
};

// File name of the backup written before a new declaration replaces the open one:
// "new_zevo_" ss "-" mm "-" hh "_" DDMMYYYY ".txt".
std::string newDeclarationBackupName(int year, int month, int day, int hour, int minute,
                                     int second);

class MainController {
public:
    MainController();
    ~MainController();
    MainController(const MainController&) = delete;
    MainController& operator=(const MainController&) = delete;

    // ---- wiring ----
    void setView(MainView* view) { view_ = view; }
    // Folder (or file) of the rules library; the program folder when empty.
    void setBusinessLibraryLocation(const std::string& location);
    // The per-user lock file that keeps a second instance out; the default lies
    // in the user's runtime folder.
    void setInstanceLockPath(const std::string& path) { lockPath_ = path; }
    // The lock file in use: the one set, or the default in the runtime folder.
    std::string instanceLockPath() const;
    // Dialogs written elsewhere plug in here. Without them the command logs that
    // the dialog is not available. The backup writer gets the exchange file path
    // and returns whether it wrote it.
    std::function<void()> printDialog;
    std::function<void(bool isBackup)> backupDialog;
    std::function<bool(const std::string& path)> backupWriter;

    // ---- start-up and shutdown ----
    StartResult Form_Load();
    // Runs the whole start-up again on the open window (new declaration, import).
    void Reload();
    // True when the window may close; runs the exit command first unless the exit
    // was already decided.
    bool Form_Unload();
    bool unloaded() const { return unloaded_; }

    // ---- commands ----
    void cmdSave_Click();
    void cmdDelete_Click();
    void cmdPrint_Click();
    void cmdExport_Click();
    void cmdImport_Click();
    void cmdExit_Click();

    // ---- procedures other windows call ----
    bool UpdateData(bool saveSession);
    bool IsAdjustData() const;
    void ResetAdjustData();
    void CallFinish(bool skipRules);
    void DeleteSheet(int index);

    // ---- recovery of unsaved changes and backups (MainControllerRecovery.cpp) ----
    // At start-up, once the declaration is open: a recovery copy that a run which
    // did not end cleanly left behind is offered (restore or discard; a damaged one
    // is reported, and discarded or moved into "Backup"). Autosaving starts here.
    void offerRecovery();
    // Writes the recovery copy when there are unsaved changes the last copy does
    // not hold; true when it wrote one. Nothing happens before offerRecovery.
    bool autosave();

    // ---- validation, notes, status ----
    bool CheckValidData();
    bool SetCellNote(const std::string& reference, grid::Colour normalColour,
                     const std::string& note, bool warning);
    void getCellPosition(const std::string& reference, int& sheet, int& col, int& row);
    void ResetErrorCells();
    void SetStatus(int col = -1, int row = -1);
    // Window keys: F1 (help topic of the current cell); Alt+F4 runs the exit.
    void Form_KeyDown(int keyCode, int shift);
    void Form_KeyUp(int keyCode, int shift);

    // ---- data entry ----
    // Whether the user may type into (col, row) of the sheet: an unlocked cell that
    // stores a value in the sheet's document (labels, formulas and the rows below a
    // list take none).
    bool cellTakesValue(int sheet, int col, int row);
    // The user typed `typed` into (col, row) of the current sheet and the rules left
    // the cell empty: the cell carries a note until it is typed into again, and the
    // status line says what was refused and why.
    void entryRejected(int col, int row, const std::string& typed);
    // What F1 shows when no help file is installed: the note and the status text of
    // the current cell.
    std::string helpText();

    // ---- problems panel, undo and redo (MainControllerProblems.cpp) ----
    // Every marked cell, kept up to date after checks, edits, F5 and F6.
    ProblemList& problems() { return problems_; }
    UndoHistory& history() { return history_; }
    // Ctrl+Z and Ctrl+Y: false when there was nothing to undo (redo) or it did not take.
    bool undo();
    bool redo();
    // Runs the completion checks and the validation table again without moving the
    // cursor or hiding the grid, so the marks (and the problem list) show what is
    // still wrong after an edit of a marked row. The marks of the load check stay.
    void recheckProblems();
    // Goes to a problem's cell: its sheet shown, the cell active, the status line
    // saying why it is marked. False when the cell is gone.
    bool goToProblem(const Problem& problem);

    // ---- state ----
    grid::SpreadModel& grid() { return grid_; }
    DeclarationSession& session() { return session_; }
    rules::RuleObject* ruleObject() const { return rule_.get(); }
    const std::string& statusText() const { return statusText_; }
    int helpContext() const { return helpContext_; }
    const std::string& exitReason() const { return exitReason_; }
    bool exitCancelled() const { return exitCancelled_; }
    // The caption section chosen at start-up.
    const std::string& captionSection() const { return captionSection_; }
    // How long each step of the last start-up took (milliseconds), for benchmarks.
    const std::vector<std::pair<std::string, double>>& startupTimings() const {
        return startupTimings_;
    }

private:
    class StatusListener;
    bool acquireInstanceLock();
    void loadSteps();
    xml::Node loadCataloguesAndMenu();
    bool checkFrame(bool restoreNow, std::vector<std::string>& activeBefore);
    void restoreActive(const std::vector<std::string>& activeBefore);
    bool checkedExitSave();
    bool mayReplaceDamagedFiles();
    void unloadWindow();
    void showSheet(int sheet);
    std::vector<xml::Node> sheetEntries() const;
    void notifyUnavailable(const std::string& procedure, const std::string& what);
    // Puts the refusal of the cell just left in front of the new cell's status.
    void showRefusalAfterLeaving(int col, int row);
    // Recovery hooks: a save made the copy needless; the declaration is replaced
    // (new declaration, import); the window closes cleanly.
    void recoveryAfterSave();
    void recoveryBeforeReload();
    void recoveryAtExit();
    void restoreRecovery(const std::vector<std::string>& sheetFiles);

    grid::SpreadModel grid_;
    DeclarationSession session_;
    GridEventHandler handler_;
    std::unique_ptr<StatusListener> statusListener_;
    ProblemList problems_{grid_, session_};
    UndoHistory history_{session_, grid_};
    // The validation table moves the cursor to the first failure (off while rechecking).
    bool navigateToFailure_ = true;
    std::unique_ptr<rules::BusinessLibrary> library_;
    std::string libraryLocation_;
    std::unique_ptr<rules::RuleObject> rule_;
    MainView* view_ = nullptr;
    MainView nullView_;

    xml::DocumentPtr messageDoc_, captionDoc_, menuDoc_, statusDoc_;
    std::string lockPath_;
    std::unique_ptr<QLockFile> lock_;

    std::string statusText_;
    // The last refused entry, shown until the user leaves its cell.
    std::string refusal_;
    int refusalSheet_ = 0, refusalCol_ = 0, refusalRow_ = 0;
    std::vector<std::pair<std::string, double>> startupTimings_;
    std::string captionSection_;
    std::string exitReason_;
    int helpContext_ = 0;
    bool exitCancelled_ = false;
    bool inUnload_ = false;
    bool unloaded_ = false;
    struct RecoveryState {
        bool armed = false;          // offerRecovery ran: the copy is ours to write
        bool savedThisRun = false;   // an exit then keeps a backup of the data files
        std::string lastChecksum;    // of the documents the copy holds
        // The documents and their content revision when that checksum was taken:
        // while they stay the same, nothing needs writing out to compare.
        std::optional<std::pair<std::uint64_t, std::vector<const void*>>> lastState;
        std::string lastError;       // logged once, not every minute
    } recovery_;

    MainView& view() { return view_ ? *view_ : nullView_; }
};

}  // namespace zevo::engine
