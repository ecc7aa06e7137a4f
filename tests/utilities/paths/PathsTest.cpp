// Resolution of the installation's relative paths against the program folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "zevo/clsMessageBox.h"

namespace fs = std::filesystem;
using zevo::clsMessageBox;

namespace {

class PathsTest : public ::testing::Test {
protected:
    void TearDown() override { zevo::setProgramFolderOverride(""); }
    std::string resolve(const std::string& programDir, const std::string& path) {
        zevo::setProgramFolderOverride(programDir);
        return clsMessageBox().GetAbsolutePath(path);
    }
};

TEST_F(PathsTest, RelativePathsResolveAgainstTheInstallationTree) {
    EXPECT_EQ(resolve("/app/Bin", "../DataFiles/ZEVO/"), "/app/DataFiles/ZEVO/");
    EXPECT_EQ(resolve("/app/Bin", "..\\DataFiles\\ZEVO\\"), "/app/DataFiles/ZEVO/");
    EXPECT_EQ(resolve("/A/B/C", "..\\..\\x"), "/A/x");
    EXPECT_EQ(resolve("/app/Bin", "..\\Pictures\\caption.bmp"), "/app/Pictures/caption.bmp");
    // Without "..\" the name lands under Project.
    EXPECT_EQ(resolve("/app/Bin", "Pictures\\a.bmp"), "/app/Project/Pictures/a.bmp");
    EXPECT_EQ(resolve("/app/Bin", "\\Pictures\\a.bmp"), "/app/Project/Pictures/a.bmp");
    EXPECT_EQ(resolve("/app/Bin/", "../References/"), "/app/References/");
    // Resolving up to the root of the file system still gives a rooted path.
    EXPECT_EQ(resolve("/app", "../x"), "/x");
}

TEST_F(PathsTest, EmptyGivesTheBaseAndAbsolutePathsPassUnchanged) {
    EXPECT_EQ(resolve("/app/Bin", ""), "/app/Project");
    EXPECT_EQ(resolve("/app/Bin", "C:\\x"), "C:\\x");
    EXPECT_EQ(resolve("/app/Bin", "D:\\Data\\..\\y"), "D:\\Data\\..\\y");
    EXPECT_EQ(resolve("/app/Bin", "/abs"), "/abs");
    EXPECT_EQ(resolve("/app/Bin", "/abs/../q"), "/abs/../q");
}

TEST_F(PathsTest, DefaultProgramFolderIsTheRunningProgramsFolder) {
    zevo::setProgramFolderOverride("");
    fs::path exe = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(zevo::programFolder(), exe.parent_path().string());
    EXPECT_EQ(clsMessageBox().GetAbsolutePath("..\\x"),
              (exe.parent_path().parent_path() / "x").string());
}

TEST_F(PathsTest, ClimbingAboveTheRootIsReportedInLogLog) {
    fs::path dir = fs::temp_directory_path() / ("zevo_paths_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        std::ofstream old(dir / "Log.log");
        old << "an earlier report\n";
    }
    // dir has at least two components; climbing more than all of them fails.
    std::string up;
    for (int i = 0; i < 40; ++i) up += "..\\";
    EXPECT_EQ(resolve(dir.string(), up + "x"), "");

    std::ifstream in(dir / "Log.log");
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "GetAbsolutePath: 5 : Invalid procedure call or argument\r\nApp path: " +
                                 dir.string() + "\r\n");
    fs::remove_all(dir);
}

}  // namespace
