// Unsaved changes kept in the recovery copy and offered after a crash, and the
// zipped backups of the data files kept by each exit that saved something.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <ctime>
#include <map>

#include "MainWindowTestSupport.h"
#include "zevo/engine/DataFolderBackup.h"
#include "zevo/engine/RecoveryStore.h"

namespace zevo::engine::test {
namespace {

using Ids = std::vector<std::string>;

fs::path recoveryFolder(const fs::path& dataFolder) { return dataFolder / kRecoveryFolderName; }

// Every file of a zip archive by name, read through libzip.
std::map<std::string, std::string> unzip(const std::string& path) {
    std::map<std::string, std::string> out;
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive) return out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st);
        std::string bytes(st.size, '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (file && zip_fread(file, bytes.data(), st.size) == static_cast<zip_int64_t>(st.size))
            out[st.name] = bytes;
        if (file) zip_fclose(file);
    }
    zip_discard(archive);
    return out;
}

class RecoveryTest : public MainWindowTest {
protected:
    fs::path recovery() const { return recoveryFolder(tree_->dataFolder()); }
    // A start as the program makes it: open, then the recovery offer.
    void start() {
        open();
        if (HasFatalFailure()) return;
        controller_->offerRecovery();
    }
    // The process ends without its exit: the copy stays, as after a crash.
    void crashAndStart() {
        controller_.reset();
        clsVariables::resetSession();
        controller_ = makeController();
        start();
    }
    std::vector<std::string> documents() const {
        clsVariables vars;
        std::vector<std::string> out;
        for (int i = 0; i <= vars.xmlDataCount(); ++i) out.push_back(vars.Data(i)->toString());
        return out;
    }
};

TEST_F(RecoveryTest, UnsavedEditsComeBackAfterACrashAsUnsavedChanges) {
    start();
    if (HasFatalFailure()) return;
    EXPECT_TRUE(presenter_->shownIds().empty()) << "no copy, no question";
    EXPECT_FALSE(controller_->autosave()) << "nothing changed: no copy";
    EXPECT_FALSE(fs::exists(recovery()));

    fillValidDeclaration();
    if (HasFatalFailure()) return;
    EXPECT_TRUE(controller_->autosave());
    EXPECT_FALSE(controller_->autosave()) << "nothing changed since the last copy";
    grid().userShowSheet(2);
    grid().userEdit(col("E"), 5, "Trần Thị Bình");
    EXPECT_TRUE(controller_->autosave());
    const std::vector<std::string> edited = documents();
    EXPECT_FALSE(fs::exists(dataFile("TK_DKT.xml"))) << "never over the data files";
    EXPECT_FALSE(fs::exists(dataFile("BK_DKT.xml")));

    presenter_->push(mrYes);
    crashAndStart();
    if (HasFatalFailure()) return;
    ASSERT_EQ(presenter_->shownIds(), Ids({"0150"})) << errorLog();
    EXPECT_EQ(presenter_->shown()[0].defaultButton, mrYes);
    // The question says when the copy was written (hh:mm:ss dd/mm/yyyy).
    char year[8];
    const std::time_t now = std::time(nullptr);
    std::strftime(year, sizeof year, "/%Y", std::localtime(&now));
    EXPECT_NE(presenter_->shown()[0].text.find(year), std::string::npos) << presenter_->shown()[0].text;
    EXPECT_EQ(presenter_->shown()[0].text.find("%1"), std::string::npos);
    EXPECT_EQ(documents(), edited);
    EXPECT_EQ(stored(1, "E_5"), "Trần Thị Bình");
    grid().setSheet(1);
    EXPECT_EQ(grid().textOf(1, col("K"), 38), "Nguyễn Văn An");
    EXPECT_TRUE(controller_->IsAdjustData()) << "restored, not saved";
    EXPECT_TRUE(clsVariables().DataChanged());
    EXPECT_FALSE(fs::exists(dataFile("TK_DKT.xml")));

    // A second crash before saving offers the same copy again.
    presenter_->push(mrYes);
    crashAndStart();
    if (HasFatalFailure()) return;
    EXPECT_EQ(presenter_->shownIds(), Ids({"0150", "0150"}));
    EXPECT_EQ(documents(), edited);

    // The save makes the copy needless.
    controller_->cmdSave_Click();
    EXPECT_EQ(presenter_->shownIds().back(), "0002") << errorLog();
    EXPECT_FALSE(fs::exists(recovery()));
    EXPECT_NE(readFile(dataFile("BK_DKT.xml")).find("Trần Thị Bình"), std::string::npos);
}

// Autosave skips writing the documents out when nothing changed since it last
// looked; every kind of change must still reach the copy.
TEST_F(RecoveryTest, EveryKindOfChangeReachesTheNextCopy) {
    start();
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(controller_->autosave());
    EXPECT_FALSE(controller_->autosave());
    grid().userShowSheet(1);
    grid().userMoveTo(col("K"), 38);
    grid().userKeyUp(grid::keys::kF5, 0);
    EXPECT_TRUE(controller_->autosave()) << "a row added";
    EXPECT_FALSE(controller_->autosave());
    grid().userMoveTo(col("K"), 39);
    grid().userKeyUp(grid::keys::kF6, 0);
    EXPECT_TRUE(controller_->autosave()) << "a row deleted";
    grid().userEdit(col("K"), 38, "Nguyễn Văn Ân");
    EXPECT_TRUE(controller_->autosave()) << "a value typed";
    const RecoveryCopy copy = RecoveryStore(clsVariables().DataFolder()).probe("100_7", 2);
    ASSERT_EQ(copy.sheets.size(), 2u);
    EXPECT_EQ(readFile(copy.sheets[0]), documents()[0]) << "the copy holds the last state";
}

TEST_F(RecoveryTest, DiscardingOpensTheSavedDeclaration) {
    start();
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(controller_->UpdateData(true));
    const std::string saved = readFile(dataFile("TK_DKT.xml"));
    grid().userEdit(col("K"), 7, "Công ty đổi tên");
    ASSERT_TRUE(controller_->autosave());

    presenter_->push(mrNo);
    crashAndStart();
    if (HasFatalFailure()) return;
    EXPECT_EQ(presenter_->shownIds(), Ids({"0150"}));
    EXPECT_FALSE(fs::exists(recovery()));
    EXPECT_EQ(stored(0, "K_7"), "Công ty TNHH Ánh Dương");
    EXPECT_FALSE(controller_->IsAdjustData());
    EXPECT_EQ(readFile(dataFile("TK_DKT.xml")), saved);
}

TEST_F(RecoveryTest, CleanExitNewDeclarationAndSaveRemoveTheCopy) {
    start();
    if (HasFatalFailure()) return;
    grid().userEdit(col("K"), 7, "Công ty A");
    ASSERT_TRUE(controller_->autosave());
    ASSERT_TRUE(fs::exists(recovery()));
    // Leaving without saving is the user's choice: the copy goes with it.
    presenter_->push(mrNo);
    controller_->cmdExit_Click();
    ASSERT_TRUE(controller_->unloaded());
    EXPECT_FALSE(fs::exists(recovery()));
    EXPECT_FALSE(controller_->autosave()) << "after the exit nothing is written";
    EXPECT_FALSE(fs::exists(recovery()));

    // A new declaration replaces the open one on purpose (after its backup).
    clsVariables::resetSession();
    controller_ = makeController();
    controller_->backupWriter = [](const std::string&) { return true; };
    start();
    if (HasFatalFailure()) return;
    grid().userEdit(col("K"), 7, "Công ty B");
    ASSERT_TRUE(controller_->autosave());
    presenter_->push(mrYes);
    controller_->cmdDelete_Click();
    EXPECT_FALSE(fs::exists(recovery()));
    EXPECT_TRUE(stored(0, "K_7").empty());
}

// Copies that cannot be opened as written: the user is told why and may discard
// the copy or keep it in "Backup"; the saved data files are never touched.
TEST_F(RecoveryTest, ADamagedCopyIsReportedAndTheDataFilesStayUntouched) {
    struct Damage {
        const char* what;
        std::function<void(const fs::path&)> apply;
        const char* reason;
    };
    const std::vector<Damage> damages = {
        {"cut short", [](const fs::path& f) { fs::resize_file(f / "sheet2.xml", fs::file_size(f / "sheet2.xml") / 2); },
         "sheet2.xml"},
        {"a letter changed", [](const fs::path& f) {
             // Still a sound sheet document: only the checksum tells.
             std::string bytes = readFile(f / "sheet1.xml");
             const auto at = bytes.find("Nguyễn Văn An");
             bytes[at] = 'M';
             writeFile(f / "sheet1.xml", bytes);
         }, "sheet1.xml was changed"},
        {"no manifest", [](const fs::path& f) { fs::remove(f / "manifest.txt"); }, "manifest.txt"},
        {"manifest cut short", [](const fs::path& f) {
             const std::string text = readFile(f / "manifest.txt");
             writeFile(f / "manifest.txt", text.substr(0, text.find("sheet ")));
         }, "cut short"},
        {"not a sheet document", [](const fs::path& f) {
             const std::string bytes = "<a/>";
             std::string manifest = readFile(f / "manifest.txt");
             const auto at = manifest.find("sheet ", manifest.find("sheet ") + 1);
             manifest.replace(at, manifest.find('\n', at) - at,
                              "sheet 4 " + contentChecksum(bytes) + " sheet2.xml");
             writeFile(f / "manifest.txt", manifest);
             writeFile(f / "sheet2.xml", bytes);
         }, "sheet2.xml"},
    };
    start();
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(controller_->UpdateData(true));
    const std::string savedSheet = readFile(dataFile("TK_DKT.xml")), savedList = readFile(dataFile("BK_DKT.xml"));

    for (std::size_t k = 0; k < damages.size(); ++k) {
        SCOPED_TRACE(damages[k].what);
        grid().userEdit(col("K"), 7, "Công ty " + std::to_string(k));
        ASSERT_TRUE(controller_->autosave());
        damages[k].apply(recovery());
        presenter_->clear();
        const bool keep = k % 2 == 0;
        presenter_->push(keep ? mrNo : mrYes);
        crashAndStart();
        if (HasFatalFailure()) return;
        ASSERT_EQ(presenter_->shownIds(), Ids({"0151"}));
        const std::string text = presenter_->shown()[0].text;
        EXPECT_NE(text.find(damages[k].reason), std::string::npos) << text;
        EXPECT_EQ(readFile(dataFile("TK_DKT.xml")), savedSheet);
        EXPECT_EQ(readFile(dataFile("BK_DKT.xml")), savedList);
        EXPECT_EQ(stored(0, "K_7"), "Công ty TNHH Ánh Dương") << "the saved declaration is open";
        EXPECT_FALSE(fs::exists(recovery())) << "a later autosave must not meet it";
        bool kept = false;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(tree_->dataFolder() / "Backup", ec))
            kept |= e.path().filename().string().rfind("recovery_damaged_", 0) == 0;
        EXPECT_EQ(kept, keep);
        if (keep) {
            for (const auto& e : fs::directory_iterator(tree_->dataFolder() / "Backup")) fs::remove_all(e.path());
        }
    }
}

// A process killed with SIGKILL after edits (and the autosaves its timer made),
// before any save: the next start offers the copy and accepting it brings back
// every edit.
TEST_F(RecoveryTest, AProcessKilledBeforeSavingLosesNoAutosavedEdit) {
    const fs::path snapshot = tree_->root() / "snapshot";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        // No test macros here: the child only signals when everything went well.
        try {
            if (controller_->Form_Load() != StartResult::Ready) _exit(1);
            controller_->offerRecovery();
            fillValidDeclaration();
            if (!controller_->autosave()) _exit(2);
            grid().userShowSheet(1);
            for (int i = 0; i < 3; ++i) {
                grid().userMoveTo(col("K"), 38 + i);
                grid().userKeyUp(grid::keys::kF5, 0);
                grid().userEdit(col("K"), 39 + i, "Lê Văn " + std::to_string(i + 2));
                grid().userEdit(col("T"), 39 + i, std::to_string(200000000 + i));
            }
            grid().userShowSheet(2);
            grid().userEdit(col("E"), 5, "Trần Thị Bình");
            if (!controller_->autosave()) _exit(3);
            const std::vector<std::string> docs = documents();
            writeFile(snapshot / "sheet1", docs.at(0));
            writeFile(snapshot / "sheet2", docs.at(1));
            if (write(ready[1], "k", 1) != 1) _exit(4);
        } catch (...) {
            _exit(5);
        }
        pause();
        _exit(0);
    }
    close(ready[1]);
    char signal = 0;
    const bool signalled = read(ready[0], &signal, 1) == 1;
    close(ready[0]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(signalled) << "the child stopped early: " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1)
                           << "\n" << errorLog();
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_FALSE(fs::exists(dataFile("TK_DKT.xml")));

    presenter_->push(mrYes);
    start();   // the killed process's lock is taken over: it no longer runs
    if (HasFatalFailure()) return;
    ASSERT_EQ(presenter_->shownIds(), Ids({"0150"})) << errorLog();
    EXPECT_EQ(documents(), (std::vector<std::string>{readFile(snapshot / "sheet1"), readFile(snapshot / "sheet2")}));
    EXPECT_EQ(stored(0, "K_40"), "Lê Văn 3");
    EXPECT_EQ(stored(1, "E_5"), "Trần Thị Bình");
    EXPECT_EQ(grid().textOf(1, col("K"), 41), "Lê Văn 4");
    EXPECT_TRUE(controller_->IsAdjustData());
}

// ---------------------------------------------------------------- backups

TEST_F(RecoveryTest, AnExitThatSavedKeepsAZipOfTheDataFiles) {
    const fs::path backup = tree_->dataFolder() / "Backup";
    start();
    if (HasFatalFailure()) return;
    controller_->cmdExit_Click();
    ASSERT_TRUE(controller_->unloaded());
    EXPECT_TRUE(dataBackups(backup.string()).empty()) << "nothing saved, no backup";

    clsVariables::resetSession();
    controller_ = makeController();
    start();
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(controller_->autosave());
    presenter_->push(mrYes);
    controller_->cmdExit_Click();
    ASSERT_TRUE(controller_->unloaded()) << errorLog();
    const std::vector<std::string> zips = dataBackups(backup.string());
    ASSERT_EQ(zips.size(), 1u) << errorLog();
    EXPECT_EQ(fs::status(zips[0]).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    const auto files = unzip(zips[0]);
    ASSERT_EQ(files.size(), 3u) << "the data files and the session file, not the recovery copy";
    for (const char* name : {"TK_DKT.xml", "BK_DKT.xml", "Session.dat"})
        EXPECT_EQ(files.at(name), readFile(dataFile(name))) << name;
    EXPECT_FALSE(fs::exists(recovery()));
}

TEST(DataFolderBackup, KeepsTheLastTenInTheOrderTheyWereMade) {
    const fs::path folder = fs::temp_directory_path() / ("zevo-backups-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    writeFile(folder / "TK_DKT.xml", "<Sections/>");
    writeFile(folder / "Session.dat", std::string("\x03\0\0\0abc", 7));
    writeFile(folder / ".TK_DKT.xml.tmpAb12Cd", "half");
    writeFile(folder / "notes.txt", "not a data file");
    fs::create_directories(folder / kRecoveryFolderName);
    writeFile(folder / kRecoveryFolderName / "sheet1.xml", "<Sections/>");

    // Two backups in one second, and times that cross a day and a month.
    const std::time_t start = 1'700'000'000;
    std::vector<std::string> made;
    for (int i = 0; i < 14; ++i) {
        writeFile(folder / "TK_DKT.xml", "<Sections n=\"" + std::to_string(i) + "\"/>");
        made.push_back(backupDataFolder(folder.string(), start + (i == 1 ? 0 : i * 40'000)));
    }
    EXPECT_EQ(fs::path(made[0]).filename().string().rfind("data_zevo_", 0), 0u) << made[0];
    EXPECT_NE(made[0], made[1]);
    const std::vector<std::string> kept = dataBackups((folder / "Backup").string());
    EXPECT_EQ(kept, std::vector<std::string>(made.begin() + 4, made.end()));
    const auto last = unzip(kept.back());
    EXPECT_EQ(last.size(), 2u);
    EXPECT_EQ(last.at("TK_DKT.xml"), "<Sections n=\"13\"/>");
    EXPECT_EQ(last.at("Session.dat"), std::string("\x03\0\0\0abc", 7));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace zevo::engine::test
