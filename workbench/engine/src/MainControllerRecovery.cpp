// Unsaved changes kept in a recovery copy beside the data files, offered again
// after a run that did not end cleanly; a zipped backup of the data files at each
// exit that saved something.
#include <ctime>
#include <exception>

#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/MessageLookup.h"
#include "zevo/engine/DataFolderBackup.h"
#include "zevo/engine/MainController.h"
#include "zevo/engine/RecoveryStore.h"

namespace zevo::engine {

namespace {

constexpr const char* kModule = "mainForm";
constexpr const char* kMsgRestore = "0150";
constexpr const char* kMsgDamaged = "0151";

std::string localTimeText(std::time_t when) {
    if (when == 0) return "?";
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%H:%M:%S %d/%m/%Y", &local);
    return text;
}

int showMessage(const char* id, std::string text, const std::string& first, const std::string& second,
                int style, int icon, int defaultButton) {
    if (text.empty()) text = "%1\n%2";
    if (auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, first);
    if (auto at = text.find("%2"); at != std::string::npos) text.replace(at, 2, second);
    return presentMessage({id, text, style, icon, defaultButton});
}

std::string menuId() { return documents::GetAttributeValue(clsVariables().NodeMenu(), "ID"); }

// The sheet documents as a save would write them, in sheet order; false when a
// sheet has no document (then there is nothing a restore could open).
// The number of sheet documents, or -1 when a sheet has none: what a restore
// needs to know, without writing the documents out.
int loadedDocumentCount() {
    clsVariables vars;
    int count = 0;
    for (int i = 0; i <= vars.xmlDataCount(); ++i, ++count) {
        const xml::DocumentPtr doc = vars.Data(i);
        if (!doc || doc->isEmpty()) return -1;
    }
    return count;
}

bool serialisedDocuments(std::vector<std::string>& out) {
    clsVariables vars;
    out.clear();
    for (int i = 0; i <= vars.xmlDataCount(); ++i) {
        const xml::DocumentPtr doc = vars.Data(i);
        if (!doc || doc->isEmpty()) return false;
        out.push_back(doc->toString());
    }
    return !out.empty();
}

// Which documents are open and the content revision they are at.
std::pair<std::uint64_t, std::vector<const void*>> documentsState() {
    clsVariables vars;
    std::pair<std::uint64_t, std::vector<const void*>> state{xml::contentRevision(), {}};
    for (int i = 0; i <= vars.xmlDataCount(); ++i) state.second.push_back(vars.Data(i).get());
    return state;
}

std::string checksumOf(const std::vector<std::string>& documents) {
    std::string all;
    for (const std::string& doc : documents) all += contentChecksum(doc) + ":";
    return all;
}

}  // namespace

bool MainController::autosave() {
    if (!recovery_.armed || unloaded_ || session_.startUp || !IsAdjustData()) return false;
    try {
        // Writing out a long list costs half a second; when nothing changed since
        // the last look there is nothing to compare (a focus change, an idle minute).
        auto state = documentsState();
        if (state == recovery_.lastState) return false;
        std::vector<std::string> documents;
        if (!serialisedDocuments(documents)) return false;
        const std::string checksum = checksumOf(documents);
        if (checksum == recovery_.lastChecksum) {
            recovery_.lastState = std::move(state);
            return false;
        }
        RecoveryStore(clsVariables().DataFolder()).write(menuId(), documents, std::time(nullptr));
        recovery_.lastChecksum = checksum;
        recovery_.lastState = std::move(state);
        recovery_.lastError.clear();
        return true;
    } catch (const std::exception& e) {
        // Tried again at the next minute; the log gets one entry per new failure.
        if (recovery_.lastError != e.what()) WriteErrorLog(kModule, "autosave", e);
        recovery_.lastError = e.what();
        return false;
    }
}

void MainController::offerRecovery() {
    // A start-up that stopped halfway has no declaration to compare the copy with
    // or to open it into: the copy waits for a start that works.
    const int open = loadedDocumentCount();
    if (session_.startUp || unloaded_ || open <= 0 || static_cast<std::size_t>(open) != sheetEntries().size())
        return;
    recovery_.armed = true;
    try {
        clsVariables vars;
        const RecoveryStore store(vars.DataFolder());
        const RecoveryCopy copy = store.probe(menuId(), static_cast<int>(sheetEntries().size()));
        if (copy.state == RecoveryCopy::State::None) return;
        if (copy.state == RecoveryCopy::State::Damaged) {
            WriteErrorLog(kModule, "offerRecovery", err::kTypeMismatch,
                          "Damaged recovery copy " + store.folder() + ": " + copy.reason);
            const int answer = showMessage(kMsgDamaged, messageText(kMsgDamaged), localTimeText(copy.written),
                                           copy.reason, msYesNo, miCriticalError, mrYes);
            if (answer == mrYes) {
                store.discard();
            } else {
                const std::string kept = store.moveAside(vars.DataFolder() + "Backup");
                WriteErrorLog(kModule, "offerRecovery", 0, "The damaged recovery copy was kept as " + kept);
            }
            return;
        }
        const int answer = showMessage(kMsgRestore, messageText(kMsgRestore), localTimeText(copy.written), "",
                                       msYesNo, miQuestion, mrYes);
        if (answer == mrYes) {
            restoreRecovery(copy.sheets);
        } else if (answer == mrNo) {
            store.discard();
        } else {
            // Closed without an answer: nothing is thrown away, and the next
            // autosave must not overwrite it.
            const std::string kept = store.moveAside(vars.DataFolder() + "Backup");
            WriteErrorLog(kModule, "offerRecovery", 0, "The recovery copy was kept as " + kept);
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "offerRecovery", e);
    }
}

// Opens the declaration from the recovery copy, as unsaved changes: the data
// files stay as they are until the user saves. The copy stays too, until a save
// or a clean exit makes it needless.
void MainController::restoreRecovery(const std::vector<std::string>& sheetFiles) {
    view().setGridVisible(false);
    session_.sheetSources = sheetFiles;
    const StartResult result = Form_Load();
    session_.sheetSources.clear();
    view().setGridVisible(true);
    if (result != StartResult::Ready) {
        WriteErrorLog(kModule, "offerRecovery", err::kInvalidCall,
                      "The declaration could not be opened from its recovery copy");
        return;
    }
    clsVariables vars;
    for (int i = 0; i <= vars.AdjustDataCount(); ++i) vars.AdjustData(i, true);
    vars.DataChanged(true);
    std::vector<std::string> documents;
    if (serialisedDocuments(documents)) {
        recovery_.lastChecksum = checksumOf(documents);
        recovery_.lastState = documentsState();
    }
    view().gridChanged();
}

void MainController::recoveryAfterSave() {
    recovery_.savedThisRun = true;
    if (!recovery_.armed) return;
    recovery_.lastChecksum.clear();
    recovery_.lastState.reset();
    RecoveryStore(clsVariables().DataFolder()).discard();
}

void MainController::recoveryBeforeReload() {
    // The open declaration is being replaced on purpose (a new declaration after
    // its backup, an import): its unsaved changes are not to come back.
    if (!recovery_.armed) return;
    recovery_.lastChecksum.clear();
    recovery_.lastState.reset();
    RecoveryStore(clsVariables().DataFolder()).discard();
}

void MainController::recoveryAtExit() {
    const std::string dataFolder = clsVariables().DataFolder();
    if (recovery_.armed) {
        recovery_.armed = false;
        if (!RecoveryStore(dataFolder).discard())
            WriteErrorLog(kModule, "Form_Unload", err::kPermissionDenied,
                          "The recovery copy could not be removed: " + RecoveryStore(dataFolder).folder());
    }
    if (!recovery_.savedThisRun || dataFolder.empty()) return;
    recovery_.savedThisRun = false;
    try {
        backupDataFolder(dataFolder, std::time(nullptr));
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Form_Unload", e);
    }
}

}  // namespace zevo::engine
