// Loading sheet documents into the grid: new declarations, partly saved ones, values
// the cells refuse, damaged files, added list rows, and retyping a marked cell.
#include <gtest/gtest.h>

#include "SetupDataFixture.h"
#include "zevo/engine/CellUpdates.h"
#include "zevo/engine/GridEventHandler.h"
#include "zevo/engine/SetupData.h"
#include "zevo/sheetdocs/RowShifting.h"

namespace zevo::engine::test {
namespace {

TEST_F(SetupDataTest, NewDeclarationTakesPresetsAndLeavesSheetsInactive) {
    SetupData(session_, grid_);
    ASSERT_EQ(clsVariables().xmlDataCount(), 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(stored(i, "B_3"), "Preset") << "sheet " << i + 1;
        EXPECT_EQ(active(i), "0") << "a new declaration activates nothing";
    }
    // Number cells of a blank document take what the workbook shows (nothing).
    EXPECT_EQ(stored(0, "B_6"), "");
    EXPECT_TRUE(session_.colourRestore.empty());
    EXPECT_TRUE(presenter_->shown().empty());
    grid_.setSheet(1);
    EXPECT_EQ(grid_.activeRow(), 3) << "the cursor goes to the first open data cell";
    EXPECT_EQ(session_.currentSheet, 3);
    EXPECT_EQ(errorLog(), "");
}

TEST_F(SetupDataTest, SheetWithoutDataFileComesFromItsBlankDocument) {
    writeFile(data_ / "D1.xml", dataFile({"abc", "x", "", "5", "7", "Beta", "01/02/2009"}));
    std::string second = blank(2);
    second.replace(second.find("Value=\"\""), 8, "Value=\"Saved\"");
    writeFile(data_ / "D2.xml", second);
    SetupData(session_, grid_);
    EXPECT_EQ(active(0), "1");
    EXPECT_EQ(active(1), "1");
    EXPECT_EQ(active(2), "0") << "the sheet without a data file keeps its state";
    EXPECT_EQ(grid_.textOf(2, 2, 3), "Saved") << "a saved value replaces the preset";
    EXPECT_EQ(stored(2, "B_3"), "Preset");
    EXPECT_EQ(grid_.textOf(1, 2, 8), "Beta");
    EXPECT_EQ(grid_.textOf(1, 2, 9), "01/02/2009");
    EXPECT_EQ(grid_.textOf(1, 2, 4), "1");
    EXPECT_TRUE(session_.colourRestore.empty());
    EXPECT_TRUE(presenter_->shown().empty());
}

TEST_F(SetupDataTest, ValuesTheCellsRefuseAreCorrectedAndMarked) {
    const std::string thirty = "123456789012345678901234567890";
    writeFile(data_ / "D1.xml",
              dataFile({thirty, "X", "1", "abc", "250", "Gamma", "31-12-2009"}));
    SetupData(session_, grid_);

    EXPECT_EQ(grid_.textOf(1, 2, 2), thirty.substr(0, 20));
    EXPECT_EQ(stored(0, "B_2"), thirty.substr(0, 20));
    EXPECT_EQ(grid_.noteOf(1, 2, 2), "Dai qua, toi da 20");

    EXPECT_EQ(grid_.textOf(1, 2, 4), "1") << "stored X checks the box";
    EXPECT_EQ(stored(0, "B_4"), "X");
    EXPECT_EQ(grid_.noteOf(1, 2, 4), "");

    EXPECT_EQ(grid_.textOf(1, 2, 5), "0") << "stored 1 is not a check mark";
    EXPECT_EQ(stored(0, "B_5"), "");
    EXPECT_EQ(grid_.noteOf(1, 2, 5), "Khong hop le.");

    EXPECT_EQ(stored(0, "B_6"), "0");
    EXPECT_EQ(grid_.noteOf(1, 2, 6), "Khong hop le.") << "no bounds note after the number note";
    EXPECT_EQ(stored(0, "B_7"), "0");
    EXPECT_EQ(grid_.noteOf(1, 2, 7), "Ngoai gioi han [0;100]");
    grid_.setPosition(1, 2, 7);
    EXPECT_EQ(grid_.value(), "0");

    EXPECT_EQ(stored(0, "B_8"), "");
    EXPECT_EQ(grid_.noteOf(1, 2, 8), "Khong co trong danh muc.");
    EXPECT_EQ(stored(0, "B_9"), "");
    EXPECT_EQ(grid_.noteOf(1, 2, 9), "Khong hop le.");

    // Every marked cell has the load colour and its old colour on record, in order.
    const auto entries = session_.colourRestore.entries();
    ASSERT_EQ(entries.size(), 6u);
    const char* keys[] = {"1_B_2", "1_B_5", "1_B_6", "1_B_7", "1_B_8", "1_B_9"};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].first, keys[i]);
        EXPECT_EQ(entries[i].second, kEntryColour);
    }
    EXPECT_EQ(colourAt(1, 2, 7), sheetdocs::kWarningColour);
    EXPECT_EQ(colourAt(1, 2, 4), kEntryColour);
}

TEST_F(SetupDataTest, RetypingAMarkedCellRestoresItAndStoresTheValue) {
    writeFile(data_ / "D1.xml", dataFile({"", "", "", "5", "250", "", ""}));
    SetupData(session_, grid_);
    clsVariables().AdjustDataReDim(2);
    session_.currentSheet = 1;
    grid_.setActiveSheet(1);
    GridEventHandler handler(session_, grid_);

    grid_.userEdit(2, 7, "42");
    EXPECT_EQ(grid_.noteOf(1, 2, 7), "");
    EXPECT_EQ(colourAt(1, 2, 7), kEntryColour);
    EXPECT_FALSE(session_.colourRestore.contains("1_B_7"));
    EXPECT_EQ(stored(0, "B_7"), "42");
    EXPECT_TRUE(clsVariables().AdjustData(0));

    // Writing what the document already holds is no change and sets no flag;
    // labels have no Cell and are not stored.
    grid_.userEdit(2, 2, "text");
    clsVariables().AdjustData(0, false);
    bool changed = true;
    UpdateCell(session_, grid_, 2, 2, "text", changed);
    EXPECT_FALSE(changed);
    UpdateCell(session_, grid_, 1, 10, "No", changed);
    EXPECT_FALSE(changed);
    EXPECT_FALSE(clsVariables().AdjustData(0));
    UpdateCell(session_, grid_, 2, 2, "Text", changed);
    EXPECT_TRUE(changed) << "values compare case-sensitively";
    EXPECT_EQ(stored(0, "B_2"), "Text");
    // Check boxes store "x" through the button, not through the change.
    grid_.userClickButton(2, 5, true);
    EXPECT_EQ(stored(0, "B_5"), "x");
    grid_.userClickButton(2, 5, false);
    EXPECT_EQ(stored(0, "B_5"), "");
}

TEST_F(SetupDataTest, DamagedDataFileIsReportedOnceAndLeftAsItWas) {
    const std::string damaged = std::string(kDocumentHead) + "<Sections><Section><Cells>";
    writeFile(data_ / "D1.xml", damaged);
    SetupData(session_, grid_);

    ASSERT_EQ(presenter_->shown().size(), 1u);
    EXPECT_FALSE(presenter_->shown()[0].text.empty()) << "the parser's reason is shown";
    EXPECT_EQ(presenter_->shown()[0].style, msOKOnly);
    EXPECT_EQ(readFile(data_ / "D1.xml"), damaged);
    ASSERT_EQ(session_.damagedFiles.size(), 1u);
    EXPECT_EQ(readFile(session_.damagedFiles[0].copy), damaged) << "a copy is kept aside";
    // The sheet is usable: its blank document is loaded and its cells bound.
    EXPECT_FALSE(clsVariables().Data(0)->elementById("B_2").isNull());
    EXPECT_EQ(active(0), "0");
    EXPECT_NE(errorLog().find("SetupData"), std::string::npos);
}

TEST_F(SetupDataTest, InvalidDataFileIsTreatedAsAnUnreadableOne) {
    // Well-formed, but B_2 twice: the grid would show one value and edits reach the other.
    std::string invalid = dataFile({"first"});
    const std::string dup = "<Cell CellID=\"B_2\" Value=\"second\"/>";
    invalid.insert(invalid.find("</Cells>"), dup);
    writeFile(data_ / "D1.xml", invalid);
    writeFile(data_ / "D2.xml", blank(2));
    SetupData(session_, grid_);

    ASSERT_EQ(presenter_->shown().size(), 1u);
    EXPECT_NE(presenter_->shown()[0].text.find("B_2"), std::string::npos) << presenter_->shown()[0].text;
    EXPECT_EQ(readFile(data_ / "D1.xml"), invalid);
    ASSERT_EQ(session_.damagedFiles.size(), 1u);
    EXPECT_EQ(readFile(session_.damagedFiles[0].copy), invalid);
    EXPECT_EQ(stored(0, "B_2"), "") << "the sheet comes from its blank document";
    EXPECT_EQ(grid_.textOf(1, 2, 2), "");
    EXPECT_EQ(active(1), "1") << "the other sheets load as usual";
}

// A damaged later sheet is reported and replaced by its blank document; the
// sheets before it load as usual.
TEST_F(SetupDataTest, DamagedLaterSheetLeavesTheOthersAsTheyAre) {
    const std::string damaged = std::string(kDocumentHead) + "<Sections><Section><Cells>";
    std::string second = blank(2);
    second.replace(second.find("Value=\"\""), 8, "Value=\"Saved\"");
    writeFile(data_ / "D1.xml", dataFile({"first"}));
    writeFile(data_ / "D2.xml", second);
    writeFile(data_ / "D3.xml", damaged);
    SetupData(session_, grid_);
    EXPECT_EQ(grid_.textOf(1, 2, 2), "first");
    EXPECT_EQ(grid_.textOf(2, 2, 3), "Saved");
    ASSERT_EQ(session_.damagedFiles.size(), 1u);
    EXPECT_EQ(session_.damagedFiles[0].sheet, 3);
    EXPECT_EQ(readFile(session_.damagedFiles[0].copy), damaged);
    EXPECT_EQ(readFile(data_ / "D3.xml"), damaged);
    EXPECT_FALSE(clsVariables().Data(2)->elementById("B_3").isNull()) << "its blank document is loaded";
    EXPECT_EQ(active(2), "0");
}

TEST_F(SetupDataTest, NewDeclarationIgnoresALaterDataFileLeftBehind) {
    // Without a first data file the declaration is new: a later file left behind
    // is not taken.
    std::string second = blank(2);
    second.replace(second.find("Value=\"\""), 8, "Value=\"Saved\"");
    writeFile(data_ / "D2.xml", second);
    SetupData(session_, grid_);
    EXPECT_EQ(stored(1, "B_3"), "Preset");
    EXPECT_EQ(active(1), "0");
    EXPECT_TRUE(session_.damagedFiles.empty());
    EXPECT_TRUE(presenter_->shown().empty());
}

TEST_F(SetupDataTest, DataFileWhoseDtdMakesNoIdOfCellIdIsDamaged) {
    // Valid against its own DTD, but no Cell could be found by its CellID: every
    // edit would be dropped.
    std::string file = dataFile({"first"});
    const std::string declared = "CellID ID #IMPLIED";
    file.replace(file.find(declared), declared.size(), "CellID CDATA #IMPLIED");
    writeFile(data_ / "D1.xml", file);
    SetupData(session_, grid_);
    ASSERT_EQ(presenter_->shown().size(), 1u);
    EXPECT_NE(presenter_->shown()[0].text.find("CellID"), std::string::npos) << presenter_->shown()[0].text;
    ASSERT_EQ(session_.damagedFiles.size(), 1u);
    EXPECT_EQ(readFile(data_ / "D1.xml"), file);
    EXPECT_FALSE(clsVariables().Data(0)->elementById("B_2").isNull()) << "the blank document is loaded";
    EXPECT_EQ(stored(0, "B_2"), "");
}

TEST_F(SetupDataTest, AddedListRowsAreInsertedBeforeTheirValues) {
    writeFile(data_ / "D1.xml", dataFile({}, {"second", "third"}));
    const int rowsBefore = grid_.maxRowsOf(1);
    SetupData(session_, grid_);
    EXPECT_EQ(grid_.maxRowsOf(1), rowsBefore + 2);
    EXPECT_EQ(grid_.textOf(1, 2, 11), "first");
    EXPECT_EQ(grid_.textOf(1, 2, 12), "second");
    EXPECT_EQ(grid_.textOf(1, 2, 13), "third");
    EXPECT_EQ(grid_.textOf(1, 3, 13), "3");
    EXPECT_EQ(grid_.textOf(1, 1, 14), "aa") << "the end marker moved below the list";
    EXPECT_EQ(grid_.textOf(1, 1, 12), "") << "labels are not copied into the list";
    grid_.setPosition(1, 2, 13);
    EXPECT_FALSE(grid_.locked()) << "inserted rows take the list row's format";
}

TEST_F(SetupDataTest, TemplateVersionWithoutSheetsLoadsNothing) {
    xml::Node validity = clsVariables().NodeValidity();
    for (xml::Node& sheet : validity.childElements("Sheet")) sheet.remove();
    SetupData(session_, grid_);
    EXPECT_NE(errorLog().find("SetupData"), std::string::npos);
    EXPECT_EQ(grid_.textOf(1, 2, 3), "Preset");
}

}  // namespace
}  // namespace zevo::engine::test
