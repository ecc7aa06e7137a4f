// Saving: atomic replacement, error numbers, text round trip.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "XmlTestSupport.h"
#include "zevo/RuntimeError.h"
#include "zevo/Xml.h"

using namespace zevo::xml;
using zevo::test::readText;
using zevo::test::TempDir;
using zevo::test::writeText;

namespace {
int saveErrorNumber(const std::string& path, const std::string& bytes) {
    try {
        writeFileAtomically(path, bytes);
    } catch (const zevo::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

// Whether permission bits bind this process (they do not for root).
bool permissionsAreEnforced(const std::string& folder) {
    return ::access(folder.c_str(), W_OK) != 0;
}
}  // namespace

TEST(XmlSave, VietnameseTextAndDeclaredIdsSurviveSaveAndReload) {
    TempDir dir;
    const std::string name = "Nguyễn Thị Ánh Tuyết — Đường Lê Lợi, Quận 1";
    auto doc = Document::fromString(std::string(zevo::test::kSheetDtd) +
                                        "<Sections><Section><Cells>"
                                        "<Cell CellID=\"K_9\" Value=\"\"/>"
                                        "</Cells></Section></Sections>",
                                    nullptr, Trust::Installed);
    doc->elementById("K_9").setAttribute("Value", name + " & <x>\"");
    const std::string path = dir.file("Data.xml");
    doc->save(path);

    const std::string saved = readText(path);
    EXPECT_NE(saved.find("<!DOCTYPE Sections"), std::string::npos);
    EXPECT_NE(saved.find("CellID ID"), std::string::npos);

    LoadResult r;
    auto back = Document::fromFile(path, &r, Trust::Installed);
    ASSERT_TRUE(r.ok()) << r.reason;
    ASSERT_FALSE(back->elementById("K_9").isNull());
    EXPECT_EQ(back->elementById("K_9").attribute("Value").value(), name + " & <x>\"");

    // Saving again replaces the file and leaves no temporary behind.
    back->elementById("K_9").setAttribute("Value", "2");
    back->save(path);
    EXPECT_EQ(Document::fromFile(path)->elementById("K_9").attribute("Value").value(), "2");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++files;
    EXPECT_EQ(files, 1);
}

TEST(XmlSave, FailuresMapToErrorNumbersAndKeepTheOldFile) {
    TempDir dir;
    EXPECT_EQ(saveErrorNumber(dir.file("missing/Data.xml"), "x"), zevo::err::kPathNotFound);

    // Replacing a folder fails at the rename: the folder and its content stay.
    std::filesystem::create_directory(dir.file("Busy"));
    writeText(dir.file("Busy/inside.txt"), "old");
    EXPECT_EQ(saveErrorNumber(dir.file("Busy"), "new"), 75);
    EXPECT_EQ(readText(dir.file("Busy/inside.txt")), "old");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++files;
    EXPECT_EQ(files, 1);   // no temporary file left behind
}

TEST(XmlSave, ReadOnlyFolderKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("Session.dat");
    writeText(path, "old content");
    chmod(dir.path().c_str(), 0500);
    if (!permissionsAreEnforced(dir.path())) {
        chmod(dir.path().c_str(), 0700);
        GTEST_SKIP() << "permission bits do not bind this user (root)";
    }
    EXPECT_EQ(saveErrorNumber(path, "new content"), zevo::err::kPermissionDenied);
    chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(readText(path), "old content");
}

TEST(XmlSave, KeepsThePermissionsOfTheReplacedFile) {
    TempDir dir;
    const std::string path = dir.file("ro.xml");
    writeText(path, "<a/>");
    chmod(path.c_str(), 0640);
    writeFileAtomically(path, "<b/>");
    struct stat st{};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(readText(path), "<b/>");
}

// Several files replaced together: nothing changes until all are written, and
// temporaries not committed go.
TEST(XmlSave, StagedFilesReplaceTheirTargetsOnlyOnCommit) {
    TempDir dir;
    writeText(dir.file("a.xml"), "old a");
    writeText(dir.file("b.xml"), "old b");
    {
        StagedFiles staged;
        staged.add(dir.file("a.xml"), "new a");
        staged.add(dir.file("b.xml"), "new b");
        EXPECT_EQ(readText(dir.file("a.xml")), "old a");
        // A third file whose folder is missing fails; the object goes uncommitted.
        EXPECT_THROW(staged.add(dir.file("none/c.xml"), "c"), zevo::RuntimeError);
    }
    EXPECT_EQ(readText(dir.file("a.xml")), "old a");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    StagedFiles staged;
    staged.add(dir.file("a.xml"), "new a");
    staged.add(dir.file("b.xml"), "new b");
    staged.commit();
    EXPECT_EQ(readText(dir.file("a.xml")), "new a");
    EXPECT_EQ(readText(dir.file("b.xml")), "new b");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}
