// The program's command line, run as a user would: the installed program on a
// private installation tree, its exit status, its messages on stderr and the
// data files it leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <map>

#include "MainWindowTestSupport.h"
#include "zevo/exchange/ExchangeFile.h"

namespace zevo::engine::test {
namespace {

using Ids = std::vector<std::string>;

struct ProgramRun {
    int status = -1;
    std::string err;
};

class CommandLineTest : public MainWindowTest {
protected:
    // A saved declaration of one individual in the tree, and the program beside it.
    void saveDeclaration() {
        open();
        if (HasFatalFailure()) return;
        fillValidDeclaration();
        if (HasFatalFailure()) return;
        controller_->cmdSave_Click();
        ASSERT_EQ(presenter_->shownIds(), Ids({"0002"})) << errorLog();
        controller_.reset();   // the window is closed: the program may run
    }
    static void install(const fs::path& bin) {
        // The installed program finds its libraries beside itself.
        fs::copy_file(ZEVO_DIST_DIR "/Bin/zevo", bin / "zevo", fs::copy_options::overwrite_existing);
    }
    ProgramRun zevo(const fs::path& bin, const std::string& arguments) {
        const fs::path runtime = tree_->root() / "runtime";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        const fs::path err = tree_->root() / "stderr.txt";
        const std::string command = "env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR='" + runtime.string() + "' '" +
                                    (bin / "zevo").string() + "' " + arguments + " >/dev/null 2>'" +
                                    err.string() + "'";
        const int raw = std::system(command.c_str());
        ProgramRun run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.err = readFile(err);
        return run;
    }
    static std::string message(const std::string& id) {
        const auto doc = xml::Document::fromFile(ZEVO_DIST_DIR "/Bin/Message.xml");
        for (const xml::Node& item : doc->elementsByTagName("Item"))
            if (documents::GetAttributeValue(item, "ID") == id) return documents::GetAttributeValue(item, "Msg");
        return "?";
    }
    // Values of every Cell that an import writes, by identifier.
    static std::map<std::string, std::string> receivedValues(const fs::path& file) {
        std::map<std::string, std::string> out;
        const auto doc = xml::Document::fromFile(file.string());
        for (const xml::Node& c : doc->elementsByTagName("Cell"))
            if (documents::GetAttributeValue(c, "Receive") != "0")
                out[documents::GetAttributeValue(c, "CellID")] = documents::GetAttributeValue(c, "Value");
        return out;
    }
};

TEST_F(CommandLineTest, ExportThenReplaceIntoAFreshDataFolderGivesTheSameData) {
    saveDeclaration();
    if (HasFatalFailure()) return;
    install(tree_->bin());
    const fs::path file = tree_->root() / "exchange file.txt";
    const ProgramRun exported = zevo(tree_->bin(), "--export '" + file.string() + "'");
    ASSERT_EQ(exported.status, 0) << exported.err << errorLog();

    ui::tools::TempInstallTree fresh(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR,
                                     std::string("zevo-cli-fresh-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    install(fresh.bin());
    const ProgramRun imported = zevo(fresh.bin(), "--import '" + file.string() + "' --replace --yes");
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_NE(imported.err.find(message("0103")), std::string::npos) << imported.err;
    for (const char* name : {"TK_DKT.xml", "BK_DKT.xml"})
        EXPECT_EQ(receivedValues(fresh.dataFolder() / name), receivedValues(tree_->dataFolder() / name)) << name;
    EXPECT_TRUE(fs::exists(fresh.dataFolder() / "Backup"));

    // Exported again from the fresh folder, the file is the same byte for byte.
    const fs::path again = tree_->root() / "again.txt";
    ASSERT_EQ(zevo(fresh.bin(), "--export '" + again.string() + "' --no-check").status, 0);
    EXPECT_EQ(readFile(again), readFile(file));
}

TEST_F(CommandLineTest, ARefusedImportExitsWithOneAndChangesNothing) {
    saveDeclaration();
    if (HasFatalFailure()) return;
    install(tree_->bin());
    const fs::path file = tree_->root() / "x.txt";
    ASSERT_EQ(zevo(tree_->bin(), "--export " + file.string()).status, 0);
    const std::string tk = readFile(tree_->dataFolder() / "TK_DKT.xml");

    // The replace question answers No without --yes.
    ProgramRun refused = zevo(tree_->bin(), "--import " + file.string() + " --replace");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(message("0012")), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(tree_->dataFolder() / "Backup"));
    // A file that is not an exchange file.
    writeFile(tree_->root() / "bad.txt", "plain text");
    refused = zevo(tree_->bin(), "--import " + (tree_->root() / "bad.txt").string() + " --merge");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(message("0072")), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(tree_->dataFolder() / "TK_DKT.xml"), tk);
}

TEST_F(CommandLineTest, TheCheckGuardsTheExportAndBadArgumentsExitWithTwo) {
    install(tree_->bin());
    const fs::path file = tree_->root() / "blank.txt";
    ProgramRun run = zevo(tree_->bin(), "--export " + file.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(message("0016")), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(zevo(tree_->bin(), "--export " + file.string() + " --no-check").status, 0);
    EXPECT_TRUE(fs::exists(file));

    for (const char* bad : {"--import x.txt", "--import x.txt --merge --replace", "--merge",
                            "--export a --import b --merge", "--export a --yes", "--import x --merge extra",
                            "--unknown", "--export"}) {
        run = zevo(tree_->bin(), bad);
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_FALSE(run.err.empty()) << bad;
    }
    EXPECT_EQ(zevo(tree_->bin(), "--help").status, 0);
}

TEST_F(CommandLineTest, ARunningWindowKeepsTheCommandLineOut) {
    install(tree_->bin());
    const fs::path runtime = tree_->root() / "runtime";
    fs::create_directories(runtime);
    controller_->setInstanceLockPath((runtime / ("zevo-" + std::to_string(::getuid()) + ".lock")).string());
    open();
    if (HasFatalFailure()) return;
    const ProgramRun run = zevo(tree_->bin(), "--export " + (tree_->root() / "x.txt").string() + " --no-check");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("already running"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(tree_->root() / "x.txt"));
}

}  // namespace
}  // namespace zevo::engine::test
