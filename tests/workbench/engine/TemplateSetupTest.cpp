// Preparing a loaded workbook: ini limits, colours and cell kinds, sheet captions,
// hidden sheets, and the colour-restore record's order.
#include <gtest/gtest.h>

#include "SetupDataFixture.h"
#include "zevo/engine/ColourRestoreRecord.h"
#include "zevo/engine/IniFiles.h"
#include "zevo/engine/TemplateLoading.h"

namespace zevo::engine::test {
namespace {

using TemplateSetupTest = SetupDataTest;

TEST_F(TemplateSetupTest, IniFilesPutLimitsAndHelpOnTheirSheetsOnly) {
    auto sheets = clsVariables().NodeValidity().childElements("Sheet");
    // Sheet 1 has an ini, sheet 2 names a missing one, sheet 3 none.
    writeFile(templates_ / "UI1.xml",
              std::string(kDocumentHead) +
                  "<Sections><Section><Cells>"
                  "<Cell CellID=\"B_2\" MaxLen=\"5\" TextNumberFormat=\"True\" HelpContextID=\"1001\"/>"
                  "<Cell CellID=\"B_6\" MinValue=\"1\" MaxValue=\"999\" MaxLen=\"0\"/>"
                  "<Cell CellID=\"B_7\" MaxValue=\"50\"/>"
                  "<Cell CellID=\"B_3\" TextNumberFormat=\"False\" HelpContextID=\"7\"/>"
                  "</Cells></Section></Sections>");
    // The attribute is created here on purpose: the menu of this test has none.
    sheets[0].setAttribute("InterfaceIni", (templates_ / "UI1.xml").string());
    sheets[1].setAttribute("InterfaceIni", (templates_ / "missing.xml").string());
    grid_.setPosition(2, 2, 2);
    const int defaultLen = grid_.maxEditLen();

    LoadInitFiles(session_, grid_, true);
    ASSERT_EQ(session_.interfaceIni.size(), 3u);
    EXPECT_FALSE(session_.interfaceIni[0]->elementById("B_2").isNull()) << "kept for help look-up";
    EXPECT_TRUE(session_.interfaceIni[1]->isEmpty());

    grid_.setPosition(1, 2, 2);
    EXPECT_EQ(grid_.maxEditLen(), 5);
    EXPECT_TRUE(grid_.digitsOnly());
    EXPECT_EQ(grid_.tag(), "1001");
    grid_.setPosition(1, 2, 6);
    EXPECT_EQ(grid_.numberMin(), 1);
    EXPECT_EQ(grid_.numberMax(), 999);
    grid_.setPosition(1, 2, 7);
    EXPECT_EQ(grid_.numberMin(), 0) << "a missing bound counts as 0";
    EXPECT_EQ(grid_.numberMax(), 50);
    grid_.setPosition(1, 2, 3);
    EXPECT_FALSE(grid_.digitsOnly());
    EXPECT_EQ(grid_.tag(), "7");
    grid_.setPosition(2, 2, 2);
    EXPECT_EQ(grid_.maxEditLen(), defaultLen) << "other sheets keep the workbook's limits";
    EXPECT_EQ(errorLog(), "");
}

TEST_F(TemplateSetupTest, InvalidIniIsLoggedAndNotApplied) {
    auto sheets = clsVariables().NodeValidity().childElements("Sheet");
    writeFile(templates_ / "UI1.xml", std::string(kDocumentHead) +
                                          "<Sections><Section><Cells>"
                                          "<Cell CellID=\"B_2\" MaxLen=\"5\"/><Cell CellID=\"B_2\" MaxLen=\"9\"/>"
                                          "</Cells></Section></Sections>");
    sheets[0].setAttribute("InterfaceIni", (templates_ / "UI1.xml").string());
    grid_.setPosition(1, 2, 2);
    const int before = grid_.maxEditLen();
    LoadInitFiles(session_, grid_, true);
    grid_.setPosition(1, 2, 2);
    EXPECT_EQ(grid_.maxEditLen(), before);
    EXPECT_NE(errorLog().find("LoadInitFiles"), std::string::npos);
    EXPECT_NE(errorLog().find("B_2"), std::string::npos) << errorLog();
}

TEST_F(TemplateSetupTest, ReportIniSetsPaperOrientation) {
    auto sheets = clsVariables().NodeValidity().childElements("Sheet");
    writeFile(templates_ / "RP1.xml", std::string(kDocumentHead) +
                                          "<Sections PaperOrientation=\"Landscape\"/>");
    writeFile(templates_ / "RP2.xml", std::string(kDocumentHead) +
                                          "<Sections PaperOrientation=\"Portrait\"/>");
    sheets[0].setAttribute("ReportIni", (templates_ / "RP1.xml").string());
    sheets[1].setAttribute("ReportIni", (templates_ / "RP2.xml").string());
    grid_.setSheet(2);
    grid_.setPrintLandscape(true);
    LoadInitFiles(session_, grid_, false);
    EXPECT_EQ(session_.reportIni.size(), 3u);
    grid_.setSheet(1);
    EXPECT_TRUE(grid_.printLandscape());
    grid_.setSheet(2);
    EXPECT_FALSE(grid_.printLandscape());
}

TEST_F(TemplateSetupTest, FormatGridMapsColoursAndMarkerCells) {
    const grid::Colour face = grid::rgb(236, 233, 216);
    grid_.setSheet(1);
    grid_.setPosition(3, 2);
    grid_.setBackColor(12632256);
    grid_.setPosition(3, 3);
    grid_.setBackColor(9868950);
    grid_.setPosition(3, 4);
    grid_.setBackColor(13434879);
    grid_.setTextAt(4, 2, " chk ");
    grid_.setTextAt(4, 3, "cbo");
    grid_.setTextAt(4, 4, "cmd");
    grid_.setTextAt(4, 5, "chkx");
    grid_.setRowHeight(5, 12);
    grid_.setRowHeight(6, 16);
    grid_.setSheet(4);   // the hidden last sheet
    grid_.setPosition(3, 3);
    grid_.setBackColor(9868950);
    grid_.setTextAt(4, 2, "chk");

    FormatGrid(session_, grid_, face);

    EXPECT_EQ(colourAt(1, 3, 2), face);
    EXPECT_EQ(session_.windowBackColour, face);
    EXPECT_EQ(colourAt(1, 3, 3), face);
    EXPECT_EQ(colourAt(1, 3, 4), grid::rgb(255, 255, 235));
    EXPECT_EQ(colourAt(1, 2, 2), grid::rgb(233, 245, 254)) << "entry cells get their screen shade";
    EXPECT_EQ(colourAt(4, 3, 3), grid::rgb(215, 215, 215));
    grid_.setPosition(1, 4, 2);
    EXPECT_EQ(grid_.cellType(), grid::CellType::CheckBox);
    EXPECT_EQ(grid_.text(), "0");
    grid_.setPosition(1, 4, 3);
    EXPECT_EQ(grid_.cellType(), grid::CellType::ComboBox);
    EXPECT_EQ(grid_.text(), "");
    grid_.setPosition(1, 4, 4);
    EXPECT_EQ(grid_.cellType(), grid::CellType::Button);
    grid_.setPosition(1, 4, 5);
    EXPECT_EQ(grid_.cellType(), grid::CellType::Edit);
    grid_.setPosition(4, 4, 2);
    EXPECT_EQ(grid_.cellType(), grid::CellType::Edit) << "the hidden sheet keeps its kinds";
    grid_.setPosition(1, 2, 6);
    EXPECT_EQ(grid_.numberMax(), 99999999999999.0);
    grid_.setSheet(1);
    EXPECT_EQ(grid_.rowHeight(5), 14);
    EXPECT_EQ(grid_.rowHeight(6), 16);
}

TEST_F(TemplateSetupTest, SheetCaptionsHeaderSheetAndInactiveSheets) {
    auto sheets = clsVariables().NodeValidity().childElements("Sheet");
    sheets[1].setAttribute("Caption", "Bảng kê");
    SetupSpread(session_, grid_);
    EXPECT_EQ(session_.headerSheet, 4);
    EXPECT_EQ(grid_.sheetNameOf(2), "Bảng kê");
    EXPECT_EQ(grid_.sheetNameOf(4), "Header");
    EXPECT_EQ(grid_.activeSheet(), 1);
    EXPECT_EQ(session_.currentSheet, 1);
    // Every sheet, the hidden one too, ends one row and one column before its used
    // range (the template's closing cell lies there).
    for (int s = 1; s <= 4; ++s) {
        EXPECT_EQ(grid_.maxRowsOf(s), 13) << s;
        EXPECT_EQ(grid_.maxColsOf(s), 3) << s;
    }

    documents::SetAttributeValue(sheets[0], "Active", "1");
    documents::SetAttributeValue(sheets[1], "Active", "0");
    documents::SetAttributeValue(sheets[2], "Active", "2");
    HideInactiveSheets(grid_);
    EXPECT_TRUE(grid_.sheetVisibleOf(1));
    EXPECT_FALSE(grid_.sheetVisibleOf(2));
    EXPECT_TRUE(grid_.sheetVisibleOf(3)) << "only \"0\" hides";
}

TEST_F(TemplateSetupTest, LoadTemplateWithoutMenuEntryLeavesTheGrid) {
    clsVariables().NodeMenu(xml::Node());
    LoadTemplate(grid_, true);
    EXPECT_EQ(grid_.sheetCount(), 4);
    EXPECT_EQ(errorLog(), "");
    // A workbook that is not there is logged, not thrown.
    clsVariables().NodeMenu(menuDoc_->documentElement().firstChildElement("Menu"));
    clsVariables().NodeValidity().setAttribute("InterfaceTemplate", (dir_ / "none.xlsx").string());
    LoadTemplate(grid_, true);
    EXPECT_NE(errorLog().find("LoadTemplate"), std::string::npos);
}

TEST(ColourRestoreRecordTest, KeepsFirstColourAndInsertionOrderAcrossRemovals) {
    ColourRestoreRecord record;
    record.add("1_K_9", 1);
    record.add("2_B_5", 2);
    record.add("1_K_9", 3);
    record.add("1_A_1", 4);
    record.remove("2_B_5");
    record.add("2_B_5", 5);
    EXPECT_EQ(record.find("1_K_9"), 1u);
    auto entries = record.entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].first, "1_K_9");
    EXPECT_EQ(entries[1].first, "1_A_1");
    EXPECT_EQ(entries[2].first, "2_B_5");
    EXPECT_EQ(entries[2].second, 5u);
    EXPECT_FALSE(record.find("9_Z_9").has_value());
}

}  // namespace
}  // namespace zevo::engine::test
