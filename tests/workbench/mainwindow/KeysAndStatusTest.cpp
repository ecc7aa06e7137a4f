// Keys of the grid (F5, F6, Delete) on both sheets, the status line and F1 help.
#include <gtest/gtest.h>

#include "MainWindowTestSupport.h"
#include "zevo/sheetdocs/CellAddress.h"

namespace zevo::engine::test {
namespace {

using documents::GetAttributeValue;
namespace keys = grid::keys;

std::string statusMessage(const fs::path& statusFile, const std::string& id) {
    auto doc = xml::Document::fromFile(statusFile.string());
    for (const xml::Node& st : doc->elementsByTagName("St"))
        if (GetAttributeValue(st, "ID") == id) return GetAttributeValue(st, "Msg");
    return {};
}

TEST_F(MainWindowTest, F5AndF6AddAndRemoveIndividualsOnTheFirstSheet) {
    open();
    if (HasFatalFailure()) return;
    grid().userMoveTo(col("K"), 38);
    grid().userKeyUp(keys::kF5, 0);
    EXPECT_EQ(grid().textOf(1, col("D"), 40), "aa");
    EXPECT_FALSE(clsVariables().Data(0)->elementById("K_39").isNull());
    EXPECT_TRUE(controller_->IsAdjustData());

    grid().userMoveTo(col("K"), 39);
    grid().userKeyUp(keys::kF6, 0);
    EXPECT_EQ(grid().textOf(1, col("D"), 39), "aa");
    EXPECT_TRUE(clsVariables().Data(0)->elementById("K_39").isNull());
    EXPECT_TRUE(presenter_->shown().empty()) << "an empty one-line group goes without a question";
}

TEST_F(MainWindowTest, F5AndF6WorkOnTheSecondSheetsDocument) {
    open();
    if (HasFatalFailure()) return;
    grid().userShowSheet(2);
    EXPECT_EQ(controller_->session().currentSheet, 2);
    const int rows = grid().maxRowsOf(2);
    grid().userMoveTo(col("E"), 5);
    grid().userKeyUp(keys::kF5, 0);
    EXPECT_FALSE(clsVariables().Data(1)->elementById("E_6").isNull());
    EXPECT_TRUE(clsVariables().Data(0)->elementById("E_6").isNull() ||
                GetAttributeValue(clsVariables().Data(0)->elementById("E_6"), "StatusID") !=
                    "ST2_HOTEN");
    EXPECT_TRUE(clsVariables().AdjustData(1));
    EXPECT_FALSE(clsVariables().AdjustData(0));

    grid().userEdit(col("E"), 6, "Phạm Văn Dũng");
    EXPECT_EQ(GetAttributeValue(clsVariables().Data(1)->elementById("E_6"), "Value"),
              "Phạm Văn Dũng");
    grid().userMoveTo(col("E"), 6);
    grid().userKeyUp(keys::kF6, 0);
    EXPECT_TRUE(clsVariables().Data(1)->elementById("E_6").isNull());
    EXPECT_EQ(grid().maxRowsOf(2), rows);

    // Typing goes into this sheet's document; Delete leaves a text cell alone.
    grid().userEdit(col("E"), 5, "Hà Văn Nam");
    EXPECT_EQ(stored(1, "E_5"), "Hà Văn Nam");
    grid().userMoveTo(col("E"), 5);
    grid().userKeyUp(keys::kDelete, 0);
    EXPECT_EQ(stored(1, "E_5"), "Hà Văn Nam");
}

TEST_F(MainWindowTest, DeleteClearsPickListCellsOnly) {
    open();
    if (HasFatalFailure()) return;
    pick("L", 13);
    grid().userEdit(col("K"), 7, "Công ty A");
    grid().userMoveTo(col("L"), 13);
    grid().userKeyUp(keys::kDelete, 0);
    EXPECT_EQ(grid().textOf(1, col("L"), 13), "");
    EXPECT_EQ(stored(0, "L_13"), "");
    grid().userMoveTo(col("K"), 7);
    grid().userKeyUp(keys::kDelete, 0);
    EXPECT_EQ(stored(0, "K_7"), "Công ty A");
}

TEST_F(MainWindowTest, StatusLineFollowsTheCellAndTheSheet) {
    open();
    if (HasFatalFailure()) return;
    const fs::path statusFile = tree_->bin() / "Status.xml";
    // A catalogue text with "\n" shows on two lines.
    const std::string twoLines = statusMessage(statusFile, "ST_CQT");
    ASSERT_NE(twoLines.find("\\n"), std::string::npos);
    grid().userMoveTo(col("L"), 13);
    const std::string shown = controller_->statusText();
    EXPECT_EQ(shown.find("\\n"), std::string::npos);
    EXPECT_EQ(shown.substr(0, shown.find('\n')), twoLines.substr(0, twoLines.find("\\n")));
    EXPECT_EQ(shown.substr(shown.find('\n') + 1), twoLines.substr(twoLines.find("\\n") + 2));
    EXPECT_EQ(view_.status, shown);

    // A cell with a document entry but no status id empties the line.
    grid().userMoveTo(col("O"), 15);
    EXPECT_EQ(controller_->statusText(), "");
    // A label (no document entry) leaves it as it is.
    grid().userMoveTo(col("K"), 9);
    const std::string taxCode = controller_->statusText();
    EXPECT_EQ(taxCode, statusMessage(statusFile, "ST_MST_TC"));
    grid().userMoveTo(col("B"), 2);
    EXPECT_EQ(controller_->statusText(), taxCode);

    // Another sheet: the status of its active cell.
    grid().userShowSheet(2);
    grid().setSheet(2);
    const std::string id = sheetdocs::MakeCellID(grid(), grid().activeCol(), grid().activeRow());
    const std::string sheet2Status =
        statusMessage(statusFile, GetAttributeValue(clsVariables().Data(1)->elementById(id), "StatusID"));
    EXPECT_EQ(controller_->statusText(), sheet2Status);
}

TEST_F(MainWindowTest, F5BelowTheListAppendsAndOnlyDataCellsTakeInput) {
    open();
    if (HasFatalFailure()) return;
    // Labels, the end-marker row and the rows below it take no value.
    EXPECT_TRUE(controller_->cellTakesValue(1, col("K"), 38));
    EXPECT_FALSE(controller_->cellTakesValue(1, col("K"), 39));
    EXPECT_FALSE(controller_->cellTakesValue(1, col("G"), 40));
    EXPECT_FALSE(controller_->cellTakesValue(1, col("B"), 2));

    // Enter on the last field leaves the cursor on the row below the list: F5
    // there appends an individual to the list.
    grid().userEdit(col("K"), 38, "Nguyễn Văn An");
    grid().userMoveTo(col("K"), 39);
    grid().userKeyUp(keys::kF5, 0);
    EXPECT_EQ(grid().textOf(1, col("D"), 40), "aa");
    EXPECT_EQ(grid().textOf(1, col("D"), 39), "2");
    EXPECT_FALSE(clsVariables().Data(0)->elementById("K_39").isNull());
    EXPECT_TRUE(controller_->cellTakesValue(1, col("K"), 39));
    EXPECT_EQ(stored(0, "K_38"), "Nguyễn Văn An");
    grid().setSheet(1);
    EXPECT_EQ(grid().activeRow(), 39);
    EXPECT_EQ(errorLog().find("No data cell"), std::string::npos) << errorLog();
}

TEST_F(MainWindowTest, NotesComeFirstOnTheStatusLine) {
    open();
    if (HasFatalFailure()) return;
    const std::string hint = statusMessage(tree_->bin() / "Status.xml", "ST_MST_TC");
    grid().setPosition(1, col("K"), 9);
    grid().setNote("Mã số thuế không hợp lệ. ");
    grid().userMoveTo(col("K"), 7);
    grid().userMoveTo(col("K"), 9);
    EXPECT_EQ(controller_->statusText(), "Mã số thuế không hợp lệ.\n" + hint);
    EXPECT_EQ(view_.status, controller_->statusText());
    // F1 without a help viewer gives the same text.
    EXPECT_EQ(controller_->helpText(), controller_->statusText());
}

TEST_F(MainWindowTest, RefusedEntryIsSaidAndNotedUntilFixed) {
    open();
    if (HasFatalFailure()) return;
    grid().userMoveTo(col("N"), 38);
    grid().userEdit(col("N"), 38, "31/02/1985");
    ASSERT_EQ(grid().textOf(1, col("N"), 38), "") << "the rules refuse the date";
    controller_->entryRejected(col("N"), 38, "31/02/1985");
    const std::string note = grid().noteOf(1, col("N"), 38);
    EXPECT_NE(note.find("\"31/02/1985\""), std::string::npos) << note;
    EXPECT_NE(note.find("ngày/tháng/năm"), std::string::npos) << note;
    EXPECT_EQ(view_.status, note);
    grid().setPosition(1, col("N"), 38);
    EXPECT_EQ(grid().backColor(), 12632319u);

    // Leaving the cell keeps the refusal in front of the next cell's status.
    grid().userMoveTo(col("Q"), 38);
    EXPECT_EQ(controller_->statusText().rfind(note + "\n", 0), 0u) << controller_->statusText();
    grid().userMoveTo(col("K"), 38);
    EXPECT_EQ(controller_->statusText().find("31/02/1985"), std::string::npos);

    // A good date takes the note and the colour away.
    grid().userMoveTo(col("N"), 38);
    grid().userEdit(col("N"), 38, "28/02/1985");
    EXPECT_EQ(grid().noteOf(1, col("N"), 38), "");
    grid().setPosition(1, col("N"), 38);
    EXPECT_NE(grid().backColor(), 12632319u);
    EXPECT_EQ(stored(0, "N_38"), "28/02/1985");
}

TEST_F(MainWindowTest, F1TakesTheHelpTopicOfTheCurrentCell) {
    open();
    if (HasFatalFailure()) return;
    grid().userMoveTo(col("K"), 9);
    controller_->Form_KeyDown(keys::kF1, 0);
    EXPECT_EQ(controller_->helpContext(), 1001);
    grid().userMoveTo(col("B"), 2);
    controller_->Form_KeyDown(keys::kF1, 0);
    EXPECT_EQ(controller_->helpContext(), 0);
    grid().userMoveTo(col("K"), 9);
    controller_->Form_KeyDown(keys::kF5, 0);   // other keys leave it alone
    EXPECT_EQ(controller_->helpContext(), 0);
}

}  // namespace
}  // namespace zevo::engine::test
