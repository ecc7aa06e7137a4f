// Where a user's files go (the tree's own data folder or per-user XDG folders)
// and that what is written there is private: files 0600, folders 0700.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <optional>

#include "zevo/ErrorLog.h"
#include "zevo/UserFolders.h"
#include "zevo/Xml.h"
#include "zevo/clsMessageBox.h"
#include "zevo/documents/DataFiles.h"

namespace fs = std::filesystem;
using namespace zevo;

namespace {

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string readFile(const fs::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}

// A scratch installation tree (Bin/ only) and scratch XDG folders, with a umask
// that would leave files readable by others unless the writers say otherwise.
class UserFolders : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() / ("zevo-userfolders-" + std::to_string(getpid()));
        fs::remove_all(base_);
        fs::create_directories(base_ / "tree" / "Bin");
        fs::create_directories(base_ / "home");
        setProgramFolderOverride((base_ / "tree" / "Bin").string());
        remember("XDG_DATA_HOME", savedData_);
        remember("XDG_STATE_HOME", savedState_);
        setenv("XDG_DATA_HOME", (base_ / "home" / "data").c_str(), 1);
        setenv("XDG_STATE_HOME", (base_ / "home" / "state").c_str(), 1);
        oldMask_ = umask(022);
    }
    void TearDown() override {
        umask(oldMask_);
        restore("XDG_DATA_HOME", savedData_);
        restore("XDG_STATE_HOME", savedState_);
        setProgramFolderOverride("");
        fs::permissions(base_ / "tree", fs::perms::owner_all);
        fs::remove_all(base_);
    }
    void install() { writeFile(base_ / "tree" / "Bin" / kInstalledMarker, "installed\n"); }
    fs::path tree() const { return base_ / "tree"; }
    fs::path home() const { return base_ / "home"; }

private:
    static void remember(const char* name, std::optional<std::string>& slot) {
        if (const char* v = std::getenv(name)) slot = v;
    }
    static void restore(const char* name, const std::optional<std::string>& slot) {
        if (slot) setenv(name, slot->c_str(), 1);
        else unsetenv(name);
    }
    fs::path base_;
    std::optional<std::string> savedData_, savedState_;
    mode_t oldMask_ = 022;
};

TEST_F(UserFolders, WritableTreeKeepsItsOwnDataFolderAndLog) {
    EXPECT_FALSE(usesPerUserFolders());
    EXPECT_EQ(documents::dataFolderPath(), (tree() / "DataFiles" / "ZEVO").string() + "/");
    EXPECT_EQ(errorLogFolder((tree() / "Bin").string()), (tree() / "Bin").string());

    // The fresh data folder and what is saved in it are private.
    const std::string folder = documents::ensureDataFolder();
    EXPECT_EQ(modeOf(tree() / "DataFiles"), 0700u);
    EXPECT_EQ(modeOf(folder), 0700u);
    xml::writeFileAtomically(folder + "Session.dat", "counters");
    EXPECT_EQ(modeOf(folder + "Session.dat"), 0600u);
    EXPECT_FALSE(fs::exists(home() / "data"));
}

TEST_F(UserFolders, InstalledTreeSendsDataAndLogsToTheUsersFolders) {
    install();
    ASSERT_TRUE(usesPerUserFolders());
    const fs::path data = home() / "data" / "zevo" / "DataFiles" / "ZEVO";
    EXPECT_EQ(documents::dataFolderPath(), data.string() + "/");
    EXPECT_EQ(documents::ensureDataFolder(), data.string() + "/");
    for (const fs::path& p : {home() / "data", home() / "data" / "zevo", data.parent_path(), data})
        EXPECT_EQ(modeOf(p), 0700u) << p;

    auto doc = xml::Document::fromString("<Sections><Section/></Sections>");
    doc->save((data / "DataFile.xml").string());
    EXPECT_EQ(modeOf(data / "DataFile.xml"), 0600u);

    // Logs (the error log and the path report) go to the state folder, none into the tree.
    WriteErrorLog("mdlTest", "Procedure", 53, "File not found");
    EXPECT_EQ(modeOf(home() / "state" / "zevo"), 0700u);
    EXPECT_EQ(modeOf(home() / "state" / "zevo" / "LogFile.txt"), 0600u);
    EXPECT_FALSE(fs::exists(tree() / "Bin" / "LogFile.txt"));
    EXPECT_FALSE(fs::exists(tree() / "DataFiles"));
}

TEST_F(UserFolders, TreeTheUserCannotWriteCountsAsInstalled) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write any folder, so no tree is read-only for it";
    fs::permissions(tree(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_TRUE(usesPerUserFolders());
    EXPECT_EQ(documents::dataFolderPath(), (home() / "data" / "zevo" / "DataFiles" / "ZEVO").string() + "/");
}

TEST_F(UserFolders, NewFilesArePrivateAndReplacedOnesKeepTheirMode) {
    const fs::path file = home() / "export.txt";
    xml::writeFileAtomically(file.string(), "first");
    EXPECT_EQ(modeOf(file), 0600u);
    xml::writeFileAtomically(file.string(), "second");
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(readFile(file), "second");
}

}  // namespace
