// Sheet data file names by period kind, blank documents, the data folder and the
// "Active" tests.
#include "DocumentsTestSupport.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/DataFiles.h"

using namespace zevo;
using namespace zevo::documents;
using DataFiles = zevo::test::SessionFixture;

namespace {
xml::Node menuEntry(const std::string& attributes) {
    auto doc = xml::Document::fromString("<Root><Menu ID=\"X\" " + attributes + "/></Root>");
    return doc->documentElement().firstChildElement();
}
}  // namespace

TEST_F(DataFiles, FileNameFollowsThePeriodKind) {
    clsVariables session;
    session.DataFolder("/data/ZEVO/");
    session.Year("2009");
    session.Month("3");
    session.ThreeMonths("2");
    session.FirstDay("01/01/2009");
    session.LastDay("31/03/2009");

    EXPECT_EQ(sheetDataFilePath(menuEntry("Year=\"0\" Month=\"1\""), "ABC"), "/data/ZEVO/ABC.xml");
    EXPECT_EQ(sheetDataFilePath(menuEntry("Month=\"1\""), "ABC"), "/data/ZEVO/ABC.xml");
    EXPECT_EQ(periodSuffix(menuEntry("Year=\"1\" Month=\"1\" ThreeMonth=\"1\"")), "_32009");
    EXPECT_EQ(periodSuffix(menuEntry("Year=\"1\" ThreeMonth=\"1\" Day=\"1\"")), "_022009");
    EXPECT_EQ(periodSuffix(menuEntry("Year=\"1\" Day=\"1\"")), "_2009_01012009_31032009");
    EXPECT_EQ(periodSuffix(menuEntry("Year=\"1\"")), "_2009");
    EXPECT_EQ(periodSuffix(menuEntry("Year=\"2\" Month=\"0\"")), "_2009");
    EXPECT_EQ(sheetDataFilePath(menuEntry("Year=\"1\" ThreeMonth=\"1\""), "ABC"),
              "/data/ZEVO/ABC_022009.xml");

    // A quarter already written with its zero names the same file.
    session.ThreeMonths("02");
    EXPECT_EQ(sheetDataFilePath(menuEntry("Year=\"1\" ThreeMonth=\"1\""), "ABC"),
              "/data/ZEVO/ABC_022009.xml");

    auto sheets = xml::Document::fromString("<V><Sheet DataFile=\"TK\"/></V>");
    EXPECT_EQ(sheetDataFilePath(menuEntry("Year=\"\""), sheets->documentElement().firstChildElement()),
              "/data/ZEVO/TK.xml");
}

TEST_F(DataFiles, BlankDocumentsAndTheDataFolderResolveAgainstTheInstallation) {
    auto sheets = xml::Document::fromString(
        "<V><Sheet TemplateFolder=\"/opt/zevo/Templates/TK/\" DataFile=\"TK01\"/>"
        "<Sheet TemplateFolder=\"..\\Templates\\TK\\\" DataFile=\"TK02\"/></V>");
    auto entries = sheets->documentElement().childElements("Sheet");
    EXPECT_EQ(blankSheetDocumentPath(entries[0]), "/opt/zevo/Templates/TK/TK01.xml");

    std::filesystem::create_directories(file("inst/Bin"));
    setProgramFolderOverride(file("inst/Bin"));
    EXPECT_EQ(blankSheetDocumentPath(entries[1]), file("inst/Templates/TK/TK02.xml"));
    EXPECT_EQ(dataFolderPath(), file("inst/DataFiles/ZEVO/"));
    EXPECT_FALSE(std::filesystem::exists(file("inst/DataFiles/ZEVO")));
    EXPECT_EQ(ensureDataFolder(), file("inst/DataFiles/ZEVO/"));
    EXPECT_TRUE(std::filesystem::is_directory(file("inst/DataFiles/ZEVO")));
    EXPECT_EQ(ensureDataFolder(), file("inst/DataFiles/ZEVO/"));   // already there

    // A file standing where the folder should be.
    write(file("inst/DataFiles/ZEVO2"), "x");
    setProgramFolderOverride(file("inst/DataFiles/ZEVO2/Bin"));
    EXPECT_THROW(ensureDataFolder(), RuntimeError);
    setProgramFolderOverride("");
}

TEST_F(DataFiles, OnlySheetsActiveForSaveAreWritten) {
    auto validityDoc = xml::Document::fromString(
        "<Validity><Sheet Active=\"1\" DataFile=\"S1\"/><Sheet Active=\"0\" DataFile=\"S2\"/>"
        "<Sheet Active=\"2\" DataFile=\"S3\"/><Sheet Active=\"\" DataFile=\"S4\"/>"
        "<Sheet Active=\"x\" DataFile=\"S5\"/><Sheet Active=\"0x10\" DataFile=\"S6\"/></Validity>");
    xml::Node validity = validityDoc->documentElement();
    auto sheets = validity.childElements("Sheet");
    EXPECT_TRUE(isActiveForSave(sheets[0]));
    EXPECT_FALSE(isActiveForSave(sheets[1]));
    EXPECT_TRUE(isActiveForSave(sheets[2]));
    EXPECT_FALSE(isActiveForSave(sheets[3]));
    EXPECT_FALSE(isActiveForSave(sheets[4]));
    EXPECT_FALSE(isActiveForSave(sheets[5]));   // no hexadecimal: the leading number is 0
    EXPECT_FALSE(isInactive(sheets[0]));
    EXPECT_TRUE(isInactive(sheets[1]));
    EXPECT_FALSE(isInactive(sheets[2]));   // hidden and unprinted only for "0"
    EXPECT_FALSE(isInactive(sheets[3]));

    clsVariables session;
    session.DataFolder(folder + "/");
    session.xmlDataReDim(4);
    for (int i = 0; i <= 4; ++i)
        session.Data(i, xml::Document::fromString("<Sections N=\"" + std::to_string(i) + "\"/>"));
    write(file("S1.xml"), "old");
    std::filesystem::permissions(file("S1.xml"), std::filesystem::perms::owner_read);
    saveActiveSheetDocuments(menuEntry("Year=\"0\""), validity);

    EXPECT_NE(read(file("S1.xml")).find("N=\"0\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file("S2.xml")));
    EXPECT_NE(read(file("S3.xml")).find("N=\"2\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file("S4.xml")));
    EXPECT_FALSE(std::filesystem::exists(file("S5.xml")));
}
