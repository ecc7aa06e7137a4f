// Start-up of the main window on the installed templates and the real rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "MainWindowTestSupport.h"
#include "zevo/Xml.h"
#include "zevo/grid/XlsxReader.h"
#include "zevo/sheetdocs/CellAddress.h"

namespace zevo::engine::test {
namespace {

using documents::GetAttributeValue;

TEST_F(MainWindowTest, StartUpOpensTheRegistrationDeclaration) {
    open();
    if (HasFatalFailure()) return;
    clsVariables vars;
    EXPECT_EQ(GetAttributeValue(vars.NodeMenu(), "ID"), "100_7");
    EXPECT_EQ(controller_->captionSection(), "frmCommonInterfaces");
    EXPECT_NE(controller_->ruleObject(), nullptr);
    EXPECT_FALSE(controller_->session().startUp);
    EXPECT_EQ(grid().activeSheet(), 1);
    EXPECT_EQ(controller_->session().currentSheet, 1);
    EXPECT_FALSE(grid().sheetVisibleOf(grid().sheetCount())) << "the last sheet is not a form";
    for (const xml::Node& entry : vars.NodeValidity().childElements("Sheet"))
        EXPECT_EQ(GetAttributeValue(entry, "Active"), "1");
    EXPECT_TRUE(fs::exists(tree_->dataFolder() / "Session.dat"));

    // The status line describes the cell that has the cursor.
    grid().setSheet(1);
    const std::string id = sheetdocs::MakeCellID(grid(), grid().activeCol(), grid().activeRow());
    const std::string statusId =
        GetAttributeValue(vars.Data(0)->elementById(id), "StatusID");
    ASSERT_FALSE(statusId.empty()) << id;
    auto status = xml::Document::fromFile((tree_->bin() / "Status.xml").string());
    std::string expected;
    for (const xml::Node& st : status->elementsByTagName("St"))
        if (GetAttributeValue(st, "ID") == statusId) expected = GetAttributeValue(st, "Msg");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(controller_->statusText(), expected);
    EXPECT_EQ(view_.status, expected);

    EXPECT_TRUE(presenter_->shown().empty());
    EXPECT_EQ(errorLog(), "");
}

TEST_F(MainWindowTest, SecondInstanceEndsSilentlyAndTheFirstKeepsItsDeclaration) {
    open();
    if (HasFatalFailure()) return;
    const xml::DocumentPtr first = clsVariables().Data(0);
    auto second = makeController();
    EXPECT_EQ(second->Form_Load(), StartResult::OtherInstance);
    EXPECT_TRUE(presenter_->shown().empty());
    EXPECT_EQ(clsVariables().Data(0), first);
    second.reset();

    // Once the first instance is gone, the program starts again.
    controller_.reset();
    controller_ = makeController();
    EXPECT_EQ(controller_->Form_Load(), StartResult::Ready);
}

TEST_F(MainWindowTest, DamagedDataFileIsReportedOnceAndNotLost) {
    const std::string damaged = "<?xml version=\"1.0\"?><Sections><Section><Cells>";
    writeFile(dataFile("TK_DKT.xml"), damaged);
    open();
    if (HasFatalFailure()) return;
    ASSERT_EQ(presenter_->shown().size(), 1u);
    bool kept = false;
    std::string copy;
    for (const auto& entry : fs::recursive_directory_iterator(tree_->dataFolder()))
        if (entry.is_regular_file() && readFile(entry.path()) == damaged) {
            kept = true;
            if (entry.path().parent_path().filename() == "Backup")
                copy = (fs::path("Backup") / entry.path().filename()).string();
        }
    EXPECT_TRUE(kept) << "the unreadable file or a copy of it must survive";
    // The message names the file and where its copy is, in the user's language,
    // beside the parser's own reason.
    const std::string text = presenter_->shown()[0].text;
    EXPECT_EQ(presenter_->shown()[0].id, "0124");
    EXPECT_NE(text.find("TK_DKT.xml"), std::string::npos) << text;
    ASSERT_FALSE(copy.empty());
    EXPECT_NE(text.find(copy), std::string::npos) << text;
    EXPECT_NE(text.find("bị hỏng"), std::string::npos) << text;
    // The declaration is still usable.
    grid().userEdit(col("K"), 7, "Công ty A");
    EXPECT_EQ(stored(0, "K_7"), "Công ty A");
}

TEST_F(MainWindowTest, InvalidDataFileIsReportedAndKeptLikeAnUnreadableOne) {
    open();
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    controller_->cmdSave_Click();
    ASSERT_EQ(presenter_->shownIds(), std::vector<std::string>({"0002"}));
    // Well-formed, but K_7 twice.
    std::string saved = readFile(dataFile("TK_DKT.xml"));
    const std::size_t k7 = saved.find("<Cell CellID=\"K_7\"");
    ASSERT_NE(k7, std::string::npos);
    saved.insert(k7, "<Cell CellID=\"K_7\" Value=\"Bản sao\"/>");
    writeFile(dataFile("TK_DKT.xml"), saved);
    presenter_->clear();
    controller_->Reload();

    ASSERT_EQ(presenter_->shown().size(), 1u);
    EXPECT_NE(presenter_->shown()[0].text.find("K_7"), std::string::npos) << presenter_->shown()[0].text;
    EXPECT_EQ(readFile(dataFile("TK_DKT.xml")), saved);
    bool kept = false;
    for (const auto& entry : fs::directory_iterator(tree_->dataFolder() / "Backup"))
        kept = kept || readFile(entry.path()) == saved;
    EXPECT_TRUE(kept);
    EXPECT_EQ(grid().textOf(1, col("K"), 7), "") << "the sheet starts from its blank document";
    EXPECT_EQ(stored(0, "K_7"), "");
}

TEST_F(MainWindowTest, MissingOrDamagedCaptionsAreLoggedAndStartUpGoesOn) {
    const fs::path captions = tree_->bin() / "Caption.xml";
    for (const char* content : {"", "<Caption><mainForm>"}) {
        fs::remove(captions);
        if (*content) writeFile(captions, content);
        controller_.reset();
        controller_ = makeController();
        EXPECT_EQ(controller_->Form_Load(), StartResult::Ready) << content << errorLog();
        EXPECT_NE(controller_->ruleObject(), nullptr);
        EXPECT_TRUE(clsVariables().NodeCaption().isNull());
        EXPECT_NE(errorLog().find("Caption.xml"), std::string::npos);
        EXPECT_TRUE(presenter_->shown().empty());
    }
}

TEST_F(MainWindowTest, SheetsEndAtTheFormAndTheWindowTakesTheGreyOfItsLabels) {
    open();
    if (HasFatalFailure()) return;
    // The template workbook ends every sheet with an empty cell one row and one
    // column beyond the form; the grid stops before it.
    const grid::WorkbookData book = grid::readXlsx((tree_->root() / "Templates/100_7/TK_DKT.xlsx").string());
    ASSERT_EQ(static_cast<int>(book.sheets.size()), grid().sheetCount());
    for (int s = 1; s <= grid().sheetCount(); ++s) {
        int lastRow = book.sheets[s - 1].maxRow, lastCol = book.sheets[s - 1].maxCol;
        for (const grid::CellData& c : book.sheets[s - 1].cells) {
            lastRow = std::max(lastRow, c.row);
            lastCol = std::max(lastCol, c.col);
        }
        EXPECT_EQ(grid().maxRowsOf(s), lastRow - 1) << s;
        EXPECT_EQ(grid().maxColsOf(s), lastCol - 1) << s;
    }
    ASSERT_TRUE(controller_->session().windowBackColour.has_value());
    EXPECT_EQ(view_.background, controller_->session().windowBackColour);
}

TEST_F(MainWindowTest, ReloadStartsAfreshAndKeepsEditsFlowingIntoTheDocuments) {
    open();
    if (HasFatalFailure()) return;
    grid().userEdit(col("K"), 7, "Chưa ghi");
    EXPECT_EQ(stored(0, "K_7"), "Chưa ghi");
    controller_->Reload();
    EXPECT_EQ(grid().textOf(1, col("K"), 7), "") << "nothing was saved";
    EXPECT_FALSE(controller_->IsAdjustData());
    grid().userEdit(col("K"), 7, "Sau khi nạp lại");
    EXPECT_EQ(stored(0, "K_7"), "Sau khi nạp lại");
    EXPECT_TRUE(controller_->IsAdjustData());
    EXPECT_NE(controller_->ruleObject(), nullptr);
    EXPECT_EQ(errorLog(), "");
}

TEST_F(MainWindowTest, MenuWithoutTheRegistrationEntryStopsStartUpAndLogs) {
    const fs::path menu = tree_->bin() / "Menu.xml";
    fs::remove(menu);
    writeFile(menu, "<?xml version=\"1.0\"?><Root><Menu ID=\"100_8\"/></Root>");
    EXPECT_EQ(controller_->Form_Load(), StartResult::Stopped);
    EXPECT_NE(errorLog().find("Form_Load"), std::string::npos);
    EXPECT_TRUE(presenter_->shown().empty());
}

}  // namespace
}  // namespace zevo::engine::test
