// Start-up, reload and shutdown of the main window.
#include "zevo/engine/MainController.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>

#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/DataFiles.h"
#include "zevo/documents/MenuFile.h"
#include "zevo/documents/Period.h"
#include "zevo/documents/SessionFile.h"
#include "zevo/engine/OpenDeclaration.h"
#include "zevo/grid/GridStateGuard.h"
#include "zevo/Xml.h"

namespace zevo::engine {

using documents::GetAttributeValue;
using documents::SetAttributeValue;

namespace {

constexpr const char* kMenuEntryId = "100_7";
constexpr const char* kModule = "mainForm";

xml::DocumentPtr loadInstalled(const std::string& name) {
    const std::string path = programFolder() + "/" + name;
    xml::LoadResult result;
    xml::DocumentPtr doc = xml::Document::fromFile(path, &result);
    if (!result.ok())
        throw RuntimeError(result.status == xml::LoadStatus::NotFound ? err::kFileNotFound
                                                                      : err::kTypeMismatch,
                           path + ": " + result.reason);
    return doc;
}

}  // namespace

// Leaving a cell and changing the sheet update the status line. Subscribed after
// the window's own change handler, so the current sheet is already right.
class MainController::StatusListener : public grid::SpreadListener {
public:
    explicit StatusListener(MainController& owner) : owner_(owner) {}
    void LeaveCell(int col, int row, int newCol, int newRow, bool& cancel) override {
        try {
            owner_.grid_.setSheet(owner_.session_.currentSheet);
            owner_.grid_.setPosition(col, row);
            owner_.SetStatus(newCol, newRow);
            owner_.showRefusalAfterLeaving(col, row);
        } catch (const std::exception& e) {
            WriteErrorLog(kModule, "fpSpread1_LeaveCell", e);
        }
    }
    void SheetChanged(int oldSheet, int newSheet) override {
        try {
            // The window's change handler has already addressed the new sheet and made it current.
            if (owner_.grid_.sheetVisible()) owner_.SetStatus(-1, -1);
        } catch (const std::exception& e) {
            WriteErrorLog(kModule, "fpSpread1_SheetChanged", e);
        }
    }

private:
    MainController& owner_;
};

std::string newDeclarationBackupName(int year, int month, int day, int hour, int minute,
                                     int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    return documents::backupFileName("new", local);
}
MainController::MainController()
    : handler_(session_, grid_), statusListener_(std::make_unique<StatusListener>(*this)) {
    grid_.addListener(statusListener_.get());
    handler_.setActionObserver(&history_);
}

MainController::~MainController() {
    if (rule_) rule_->fps(nullptr);
    handler_.setRuleObject(nullptr);
    grid_.removeListener(statusListener_.get());
    if (lock_) lock_->unlock();
}

void MainController::setBusinessLibraryLocation(const std::string& location) {
    libraryLocation_ = location;
    library_.reset();
}

std::string MainController::instanceLockPath() const {
    if (!lockPath_.empty()) return lockPath_;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return (folder + QStringLiteral("/zevo-%1.lock").arg(::getuid())).toStdString();
}

bool MainController::acquireInstanceLock() {
    if (lock_ && lock_->isLocked()) return true;   // a reload of this instance
    const std::string path = instanceLockPath();
    lock_ = std::make_unique<QLockFile>(QString::fromStdString(path));
    lock_->setStaleLockTime(0);   // a lock left by a crashed instance is detected by its pid
    if (lock_->tryLock(0)) return true;
    lock_.reset();
    return false;
}

StartResult MainController::Form_Load() {
    if (!acquireInstanceLock()) return StartResult::OtherInstance;
    // Another declaration (or the same one read again): nothing before it can be undone.
    history_.clear();
    problems_.clear();
    try {
        // A save this instance's predecessor did not finish is completed before
        // anything is read (the lock keeps other instances from saving now).
        const int rolled = xml::recoverStagedFiles(clsVariables().DataFolder());
        if (rolled > 0)
            WriteErrorLog(kModule, "Form_Load", 0,
                          "An interrupted save was completed at start-up (" +
                              std::to_string(rolled) + " files)");
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Form_Load", e);
    }
    try {
        loadSteps();
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Form_Load", e);
        grid_.setEventsEnabled(true);
        session_.loading = false;
        problems_.rebuild();
        view().gridReloaded();
        return StartResult::Stopped;
    }
    problems_.rebuild();
    view().gridReloaded();
    // The session file is read last; without it the program cannot count saves.
    clsVariables vars;
    if (!documents::LoadSessionValueFromFile(vars.DataFolder() + "Session.dat"))
        return StartResult::SessionUnreadable;
    session_.startUp = false;
    return StartResult::Ready;
}

// The message and caption catalogues, the menu entry and the template version
// that applies today, into the session variables; returns the menu entry.
xml::Node MainController::loadCataloguesAndMenu() {
    clsVariables vars;
    messageDoc_ = loadInstalled("Message.xml");
    const auto messageRoots = messageDoc_->elementsByTagName("Message");
    vars.NodeMessage(messageRoots.empty() ? std::vector<xml::Node>{}
                                          : messageRoots.front().childElements());
    // Without the caption catalogue the windows keep their compiled-in texts.
    try {
        captionDoc_ = loadInstalled("Caption.xml");
        vars.NodeCaption(captionDoc_->documentElement());
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Form_Load", e);
        captionDoc_.reset();
        vars.NodeCaption(xml::Node());
    }
    vars.DataFolder(documents::ensureDataFolder());

    menuDoc_ = loadInstalled("Menu.xml");
    const xml::Node menuEntry = documents::MenuFile(menuDoc_).entry(kMenuEntryId);
    if (menuEntry.isNull())
        throw RuntimeError(err::kObjectRequired, std::string("Menu.xml has no entry ") + kMenuEntryId);
    vars.NodeMenu(menuEntry);

    vars.Year("");
    vars.Month("");
    vars.ThreeMonths("0");
    vars.FirstDay("0");
    vars.LastDay("0");
    const xml::Node validity = documents::GetValidityNode();
    if (validity.isNull())
        throw RuntimeError(err::kObjectRequired, "No template version applies to today");
    vars.NodeValidity(validity);
    return menuEntry;
}

void MainController::loadSteps() {
    startupTimings_.clear();
    auto mark = std::chrono::steady_clock::now();
    auto step = [&](const char* name) {
        const auto now = std::chrono::steady_clock::now();
        startupTimings_.emplace_back(name, std::chrono::duration<double, std::milli>(now - mark).count());
        mark = now;
    };
    // A reload replaces the rule object: it lets go of the grid first.
    if (rule_) {
        rule_->fps(nullptr);
        handler_.setRuleObject(nullptr);
        rule_.reset();
    }

    const xml::Node menuEntry = loadCataloguesAndMenu();
    step("catalogues, menu and template version");
    const std::vector<xml::Node> sheets = sheetEntries();
    for (std::size_t i = 0; i < sheets.size() && i < 2; ++i)
        SetAttributeValue(sheets[i], "Active", "1");

    const std::string startWorkbook =
        clsMessageBox().GetAbsolutePath("..\\InterfaceTemplates\\Template.xlsx");
    if (std::filesystem::exists(startWorkbook)) {
        grid::GridStateGuard quiet(grid_, grid::GridStateGuard::Events::Off,
                                   grid::GridStateGuard::Cell::Moved);
        grid_.loadWorkbook(startWorkbook);
    }

    if (GetAttributeValue(menuEntry, "Year") != "0") {
        captionSection_ = "frmInterfaces";
    } else {
        captionSection_ = GetAttributeValue(menuEntry, "FormName");
        if (captionSection_.empty()) captionSection_ = "frmCommonInterfaces";
    }
    view().applyCaptions(captionSection_);

    xml::LoadResult statusResult;
    statusDoc_ = xml::Document::fromFile(programFolder() + "/Status.xml", &statusResult);
    if (!statusResult.ok())
        WriteErrorLog(kModule, "LoadStatusFile", err::kFileNotFound, statusResult.reason);

    auto createRule = [this](const std::string& className) {
        if (!library_)
            library_ = std::make_unique<rules::BusinessLibrary>(
                libraryLocation_.empty() ? programFolder() : libraryLocation_);
        return library_->createRule(className);
    };
    OpenDeclaration(session_, grid_, handler_, rule_, createRule, step);
    if (session_.windowBackColour) view().setBackgroundColour(*session_.windowBackColour);
    SetStatus(-1, -1);
    step("sheets shown and status line");
}

void MainController::Reload() {
    try {
        view().setGridVisible(false);
        exitCancelled_ = false;
        recoveryBeforeReload();
        const StartResult result = Form_Load();
        view().setGridVisible(true);
        if (result == StartResult::SessionUnreadable) {
            exitReason_ = "Exit";
            unloadWindow();
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Reload", e);
        view().setGridVisible(true);
    }
}

bool MainController::Form_Unload() {
    try {
        if (exitReason_ != "Exit") {
            inUnload_ = true;
            cmdExit_Click();
            inUnload_ = false;
            if (exitCancelled_) return false;
        }
        clsVariables vars;
        for (int i = 0; i <= vars.xmlDataCount(); ++i) vars.Data(i, nullptr);
        if (rule_) rule_->fps(nullptr);
        handler_.setRuleObject(nullptr);
        rule_.reset();
        vars.NodeValidity(xml::Node());
        session_.colourRestore.clear();
        recoveryAtExit();
        if (lock_) lock_->unlock();
        unloaded_ = true;
        return true;
    } catch (const std::exception& e) {
        inUnload_ = false;
        WriteErrorLog(kModule, "Form_Unload", e);
        unloaded_ = true;
        return true;
    }
}

void MainController::unloadWindow() {
    // From inside the unload the window is closing already.
    if (inUnload_) return;
    if (view_) {
        view_->closeWindow();
        if (!unloaded_) Form_Unload();
    } else {
        Form_Unload();
    }
}

std::vector<xml::Node> MainController::sheetEntries() const {
    const xml::Node validity = clsVariables().NodeValidity();
    if (validity.isNull()) return {};
    return validity.childElements("Sheet");
}

void MainController::showSheet(int sheet) {
    grid_.setActiveSheet(sheet);
    grid_.setSheet(sheet);
    session_.currentSheet = sheet;
}

void MainController::notifyUnavailable(const std::string& procedure, const std::string& what) {
    WriteErrorLog(kModule, procedure, err::kInvalidCall, what + " is not available in this build");
}

}  // namespace zevo::engine
