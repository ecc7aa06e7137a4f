// Save, new declaration, print, export and exit of the main window.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "MainWindowTestSupport.h"
#include "zevo/documents/SessionFile.h"

namespace zevo::engine::test {
namespace {

using documents::GetAttributeValue;
using Ids = std::vector<std::string>;

std::vector<std::string> activeAttributes() {
    std::vector<std::string> out;
    for (const xml::Node& entry : clsVariables().NodeValidity().childElements("Sheet"))
        out.push_back(GetAttributeValue(entry, "Active"));
    return out;
}

TEST_F(MainWindowTest, SavingAnIncompleteDeclarationAsksFirst) {
    open();
    if (HasFatalFailure()) return;
    grid().userEdit(col("K"), 7, "Công ty A");
    const auto active = activeAttributes();

    presenter_->push(mrNo);
    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0015"}));
    EXPECT_FALSE(fs::exists(dataFile("TK_DKT.xml")));
    EXPECT_FALSE(fs::exists(dataFile("BK_DKT.xml")));
    EXPECT_TRUE(controller_->IsAdjustData());
    EXPECT_EQ(activeAttributes(), active);
    // The first failed check (the organisation's tax code) has the cursor.
    EXPECT_EQ(grid().activeSheet(), 1);
    grid().setSheet(1);
    EXPECT_EQ(grid().activeCol(), col("K"));
    EXPECT_EQ(grid().activeRow(), 9);
    EXPECT_FALSE(grid().noteOf(1, col("K"), 9).empty());

    presenter_->push(mrYes);
    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0015", "0015", "0002"}));
    EXPECT_NE(readFile(dataFile("TK_DKT.xml")).find("Công ty A"), std::string::npos);
    EXPECT_TRUE(fs::exists(dataFile("BK_DKT.xml")));
    EXPECT_FALSE(controller_->IsAdjustData());
}

TEST_F(MainWindowTest, SavingACompleteDeclarationCountsTheSessionOnlyWhenDataChanged) {
    open();
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    const fs::path session = tree_->dataFolder() / "Session.dat";
    const std::string before = documents::readSessionText(session.string());

    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0002"})) << errorLog();
    EXPECT_NE(readFile(dataFile("TK_DKT.xml")).find("Nguyễn Văn An"), std::string::npos);
    const std::string counted = documents::readSessionText(session.string());
    EXPECT_NE(counted, before);
    EXPECT_NE(counted.find("100_7::1:1"), std::string::npos) << counted;
    EXPECT_FALSE(clsVariables().DataChanged());

    // Nothing changed since: the data files are written again, the session file is not.
    const std::string sessionBytes = readFile(session);
    fs::remove(dataFile("TK_DKT.xml"));
    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0002", "0002"}));
    EXPECT_TRUE(fs::exists(dataFile("TK_DKT.xml")));
    EXPECT_EQ(readFile(session), sessionBytes);
}

TEST_F(MainWindowTest, SavingSkipsSheetsThatAreNotInUse) {
    open();
    if (HasFatalFailure()) return;
    writeFile(dataFile("BK_DKT.xml"), "older list");
    documents::SetAttributeValue(clsVariables().NodeValidity().childElements("Sheet")[1], "Active", "0");
    grid().userEdit(col("K"), 7, "Công ty A");
    EXPECT_TRUE(controller_->UpdateData(false));
    EXPECT_TRUE(fs::exists(dataFile("TK_DKT.xml")));
    EXPECT_EQ(readFile(dataFile("BK_DKT.xml")), "older list");
    EXPECT_FALSE(controller_->IsAdjustData());
    // Without the session option the counters and "Session.dat" stay as they were.
    EXPECT_TRUE(clsVariables().DataChanged());
}

TEST_F(MainWindowTest, ReadOnlyDataFileIsReplacedAndAFailedWriteKeepsTheOldFile) {
    open();
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    controller_->cmdSave_Click();
    ASSERT_TRUE(fs::exists(dataFile("TK_DKT.xml")));
    ::chmod(dataFile("TK_DKT.xml").c_str(), 0444);
    grid().userEdit(col("K"), 7, "Công ty B");
    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0002", "0002"}));
    EXPECT_NE(readFile(dataFile("TK_DKT.xml")).find("Công ty B"), std::string::npos);

    // A data file that cannot be replaced: logged, not reported as saved, the
    // changes stay pending and the other file keeps its content.
    const std::string listFile = readFile(dataFile("BK_DKT.xml"));
    fs::remove(dataFile("TK_DKT.xml"));
    fs::create_directory(dataFile("TK_DKT.xml"));
    grid().userEdit(col("K"), 7, "Công ty C");
    EXPECT_FALSE(controller_->UpdateData(true));
    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0002", "0002"}));
    EXPECT_TRUE(controller_->IsAdjustData());
    EXPECT_NE(errorLog().find("UpdateData"), std::string::npos);
    EXPECT_EQ(readFile(dataFile("BK_DKT.xml")), listFile);
}

TEST_F(MainWindowTest, SaveFailsWhenAnActiveSheetHasNoDocument) {
    open();
    if (HasFatalFailure()) return;
    grid().userEdit(col("K"), 7, "Công ty A");
    clsVariables().Data(1, nullptr);
    EXPECT_FALSE(controller_->UpdateData(true));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0120"}));
    EXPECT_FALSE(fs::exists(dataFile("TK_DKT.xml"))) << "no sheet is written when one cannot be";
    EXPECT_FALSE(fs::exists(dataFile("BK_DKT.xml")));
    EXPECT_TRUE(controller_->IsAdjustData());
    EXPECT_NE(errorLog().find("UpdateData"), std::string::npos);

    // The same through the button: never "saved".
    presenter_->push(mrYes);
    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0120", "0015", "0120"}));
}

TEST_F(MainWindowTest, EditsTheDocumentCannotHoldFailTheSave) {
    open();
    if (HasFatalFailure()) return;
    // A sheet document whose Cells cannot be found by their CellID.
    std::string text = clsVariables().Data(0)->toString();
    const std::string declared = "CellID ID #IMPLIED";
    ASSERT_NE(text.find(declared), std::string::npos);
    text.replace(text.find(declared), declared.size(), "CellID CDATA #IMPLIED");
    clsVariables().Data(0, xml::Document::fromString(text, nullptr, xml::Trust::Installed));
    grid().userEdit(col("K"), 7, "Công ty A");

    EXPECT_FALSE(controller_->UpdateData(true));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0123"}));
    EXPECT_FALSE(fs::exists(dataFile("TK_DKT.xml"))) << "never saved without the edit";
    EXPECT_NE(errorLog().find("K_7"), std::string::npos) << errorLog();
}

// A truncated data file at start-up while a file stands where the Backup folder
// belongs, so that no copy of it can be kept.
class DamagedWithoutBackup : public MainWindowTest {
protected:
    const std::string damaged = "<?xml version=\"1.0\"?><Sections><Section><Cells>";
    void openDamaged() {
        writeFile(dataFile("TK_DKT.xml"), damaged);
        writeFile(tree_->dataFolder() / "Backup", "not a folder");
        open();
    }
};

TEST_F(DamagedWithoutBackup, FileIsReplacedOnlyOnceTheUserAgrees) {
    openDamaged();
    if (HasFatalFailure()) return;
    ASSERT_EQ(presenter_->shownIds(), Ids({"0121"}));
    EXPECT_NE(presenter_->shown()[0].text.find("Premature end"), std::string::npos)
        << "the parser's reason comes first: " << presenter_->shown()[0].text;
    EXPECT_NE(errorLog().find("Backup"), std::string::npos);

    fillValidDeclaration();
    if (HasFatalFailure()) return;
    presenter_->push(mrNo);
    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0121", "0122"}));
    EXPECT_EQ(presenter_->shown()[1].defaultButton, mrNo);
    EXPECT_EQ(readFile(dataFile("TK_DKT.xml")), damaged);
    EXPECT_FALSE(fs::exists(dataFile("BK_DKT.xml")));
    EXPECT_TRUE(controller_->IsAdjustData());

    presenter_->push(mrYes);
    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0121", "0122", "0122", "0002"}));
    EXPECT_NE(readFile(dataFile("TK_DKT.xml")).find("Nguyễn Văn An"), std::string::npos);
    // Agreed once: later saves do not ask again.
    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds().back(), "0002");
    EXPECT_EQ(presenter_->shownIds().size(), 5u);
}

TEST_F(DamagedWithoutBackup, FileIsCopiedAtSaveOnceTheBackupFolderCanBeMade) {
    openDamaged();
    if (HasFatalFailure()) return;
    fs::remove(tree_->dataFolder() / "Backup");
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0121", "0002"}));
    bool kept = false;
    for (const auto& entry : fs::directory_iterator(tree_->dataFolder() / "Backup"))
        kept = kept || readFile(entry.path()) == damaged;
    EXPECT_TRUE(kept);
}

// A small memory file system over the data folder, where the machine allows it
// (root): the way to see a full disk for real.
class FullDataFolder {
public:
    explicit FullDataFolder(const fs::path& folder) : folder_(folder) {
        const fs::path keep = folder.parent_path() / "kept";
        fs::create_directories(keep);
        for (const auto& entry : fs::directory_iterator(folder))
            fs::copy(entry.path(), keep / entry.path().filename());
        const std::string command = "mount -t tmpfs -o size=64k tmpfs '" + folder.string() + "' 2>/dev/null";
        mounted_ = std::system(command.c_str()) == 0;
        if (!mounted_) return;
        for (const auto& entry : fs::directory_iterator(keep))
            fs::copy(entry.path(), folder / entry.path().filename());
        // Fill what is left.
        std::ofstream filler(folder / "filler", std::ios::binary);
        const std::string block(1024, 'x');
        while (filler.write(block.data(), block.size())) filler.flush();
    }
    ~FullDataFolder() {
        if (mounted_) std::system(("umount '" + folder_.string() + "'").c_str());
    }
    bool mounted() const { return mounted_; }

private:
    fs::path folder_;
    bool mounted_ = false;
};

TEST_F(MainWindowTest, FullDiskIsReportedAndKeepsTheSavedFiles) {
    open();
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    controller_->cmdSave_Click();
    const std::string saved = readFile(dataFile("TK_DKT.xml"));
    ASSERT_FALSE(saved.empty());
    FullDataFolder full(tree_->dataFolder());
    if (!full.mounted()) GTEST_SKIP() << "no permission to mount a small file system";
    grid().userEdit(col("K"), 7, "Công ty có tên dài hơn trước nhiều lắm");
    EXPECT_FALSE(controller_->UpdateData(false));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0002", "0037"}));
    EXPECT_EQ(presenter_->shown().back().icon, miCriticalError);
    EXPECT_EQ(readFile(dataFile("TK_DKT.xml")), saved);
    EXPECT_TRUE(controller_->IsAdjustData());
}

TEST_F(MainWindowTest, PrintAndExportRunTheCheckFirst) {
    open();
    if (HasFatalFailure()) return;
    const auto active = activeAttributes();
    controller_->cmdPrint_Click();
    controller_->cmdExport_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0005", "0016"}));
    EXPECT_EQ(activeAttributes(), active);

    fillValidDeclaration();
    if (HasFatalFailure()) return;
    int printed = 0;
    std::vector<bool> exchange;
    controller_->printDialog = [&] { ++printed; };
    controller_->backupDialog = [&](bool isBackup) { exchange.push_back(isBackup); };
    controller_->cmdPrint_Click();
    controller_->cmdExport_Click();
    controller_->cmdImport_Click();
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(exchange, std::vector<bool>({true, false}));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0005", "0016"}));

    // Without the dialogs the commands say so in the log.
    controller_->printDialog = nullptr;
    controller_->cmdPrint_Click();
    EXPECT_NE(errorLog().find("cmdPrint_Click"), std::string::npos);
}

TEST_F(MainWindowTest, NewDeclarationAsksThenDeletesTheFilesAndStartsBlank) {
    EXPECT_EQ(newDeclarationBackupName(2010, 3, 3, 14, 5, 9), "new_zevo_09-05-14_03032010.txt");
    open();
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    controller_->cmdSave_Click();
    ASSERT_TRUE(fs::exists(dataFile("TK_DKT.xml")));

    presenter_->push(mrNo);
    controller_->cmdDelete_Click();
    ASSERT_EQ(presenter_->shown().size(), 2u);
    EXPECT_EQ(presenter_->shown()[1].id, "0012");
    EXPECT_EQ(presenter_->shown()[1].defaultButton, mrNo);
    EXPECT_TRUE(fs::exists(dataFile("TK_DKT.xml")));

    // A backup that cannot be written keeps the declaration and its files.
    std::string backupPath;
    bool backupWorks = false;
    controller_->backupWriter = [&](const std::string& path) {
        backupPath = path;
        return backupWorks;
    };
    presenter_->push(mrYes);
    controller_->cmdDelete_Click();
    EXPECT_TRUE(fs::exists(dataFile("TK_DKT.xml")));
    EXPECT_TRUE(fs::exists(dataFile("BK_DKT.xml")));
    EXPECT_NE(controller_->exitReason(), "Delete");
    EXPECT_EQ(stored(0, "K_7"), "Công ty TNHH Ánh Dương");
    EXPECT_NE(errorLog().find("No backup was written"), std::string::npos);

    backupWorks = true;
    presenter_->push(mrYes);
    controller_->cmdDelete_Click();
    EXPECT_FALSE(fs::exists(dataFile("TK_DKT.xml")));
    EXPECT_FALSE(fs::exists(dataFile("BK_DKT.xml")));
    EXPECT_EQ(controller_->exitReason(), "Delete");
    EXPECT_EQ(grid().textOf(1, col("K"), 7), "");
    EXPECT_EQ(stored(0, "K_7"), "");
    EXPECT_EQ(fs::path(backupPath).parent_path(), tree_->dataFolder() / "Backup");
    EXPECT_EQ(fs::path(backupPath).filename().string().rfind("new_zevo_", 0), 0u);
}

TEST_F(MainWindowTest, ExitWithoutChangesClosesWithoutAQuestion) {
    open();
    if (HasFatalFailure()) return;
    controller_->cmdExit_Click();
    EXPECT_TRUE(presenter_->shown().empty());
    EXPECT_EQ(view_.closes, 1);
    EXPECT_TRUE(controller_->unloaded());
    EXPECT_EQ(controller_->exitReason(), "Exit");
    EXPECT_EQ(clsVariables().Data(0), nullptr);
}

TEST_F(MainWindowTest, ExitCancelStaysAndTheCloseBoxAsksAgain) {
    open();
    if (HasFatalFailure()) return;
    grid().userEdit(col("K"), 7, "Công ty A");
    presenter_->push(mrCancel);
    controller_->cmdExit_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0013"}));
    EXPECT_FALSE(controller_->unloaded());
    EXPECT_TRUE(controller_->exitCancelled());

    // A question closed without an answer keeps the window as well.
    presenter_->push(0);
    EXPECT_FALSE(controller_->Form_Unload());

    presenter_->push(mrNo);
    EXPECT_TRUE(controller_->Form_Unload());
    EXPECT_EQ(presenter_->shownIds(), Ids({"0013", "0013", "0013"}));
    EXPECT_TRUE(controller_->unloaded());
    EXPECT_FALSE(fs::exists(dataFile("TK_DKT.xml")));
}

TEST_F(MainWindowTest, ExitWithAnInvalidDeclarationSavesAndStaysOrLeaves) {
    open();
    if (HasFatalFailure()) return;
    grid().userEdit(col("K"), 7, "Công ty A");
    presenter_->push(mrYes);   // save?
    presenter_->push(mrYes);   // invalid: save and stay
    controller_->cmdExit_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0013", "0014"}));
    EXPECT_NE(readFile(dataFile("TK_DKT.xml")).find("Công ty A"), std::string::npos);
    EXPECT_FALSE(controller_->unloaded());
    EXPECT_FALSE(grid().noteOf(1, col("K"), 9).empty()) << "the failing cell is marked";

    grid().userEdit(col("K"), 7, "Công ty B");
    presenter_->push(mrYes);
    presenter_->push(mrNo);    // invalid: save and leave
    controller_->cmdExit_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0013", "0014", "0013", "0014"}));
    EXPECT_NE(readFile(dataFile("TK_DKT.xml")).find("Công ty B"), std::string::npos);
    EXPECT_TRUE(controller_->unloaded());
}

TEST_F(MainWindowTest, ExitWithAValidDeclarationSavesAndCloses) {
    open();
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    presenter_->push(mrYes);
    controller_->cmdExit_Click();
    EXPECT_EQ(presenter_->shownIds(), Ids({"0013"})) << errorLog();
    EXPECT_NE(readFile(dataFile("TK_DKT.xml")).find("Nguyễn Văn An"), std::string::npos);
    EXPECT_TRUE(controller_->unloaded());
}

TEST_F(MainWindowTest, ExitWhoseSaveFailsKeepsTheWindowOpen) {
    open();
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    fs::create_directory(dataFile("TK_DKT.xml"));
    presenter_->push(mrYes);
    EXPECT_FALSE(controller_->Form_Unload()) << "unsaved changes must not be dropped";
    EXPECT_FALSE(controller_->unloaded());
    EXPECT_TRUE(controller_->IsAdjustData());
}

TEST_F(MainWindowTest, AltF4RunsTheExitCommand) {
    open();
    if (HasFatalFailure()) return;
    controller_->Form_KeyUp(grid::keys::kF4, 0);
    EXPECT_FALSE(controller_->unloaded());
    controller_->Form_KeyUp(grid::keys::kF4, grid::keys::kAltMask);
    EXPECT_TRUE(controller_->unloaded());
}

}  // namespace
}  // namespace zevo::engine::test
