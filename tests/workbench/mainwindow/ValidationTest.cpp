// The validation table of the "Header" sheet: marks, notes, order of the first
// problem shown, warnings, inactive sheets; clearing marks again.
#include <gtest/gtest.h>

#include "MainWindowTestSupport.h"
#include "zevo/sheetdocs/MarkingColours.h"

namespace zevo::engine::test {
namespace {

using documents::SetAttributeValue;

class ValidationTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        open();
        if (HasFatalFailure()) return;
        header_ = controller_->session().headerSheet;
        ASSERT_GT(header_, 0);
        sheet1_ = grid().sheetNameOf(1);
        sheet2_ = grid().sheetNameOf(2);
        // Only the checks a test adds.
        grid().setSheet(header_);
        for (int r = kValidationFirstRow; r <= grid().maxRows(); ++r) {
            grid().setPosition(col("B"), r);
            grid().setFormula("");
            grid().setText("");
        }
        next_ = grid().maxRows() + 1;
    }

    // One row of the table; `fails` decides the check's result.
    void addCheck(const std::string& reference, const std::string& note, const std::string& severity,
                  const std::string& order, bool fails = true, bool formula = true) {
        grid().setSheet(header_);
        const int row = next_++;
        if (grid().maxRows() < row) grid().setMaxRows(row);
        grid().setPosition(col("B"), row);
        if (formula)
            grid().setFormula(fails ? "IF(1=1,0,1)" : "IF(1=1,1,0)");
        else
            grid().setText(fails ? "0" : "1");
        grid().setPosition(col("C"), row);
        grid().setFormula(reference);
        grid().setTextAt(col("E"), row, note);
        grid().setTextAt(col("S"), row, severity);
        grid().setTextAt(col("T"), row, order);
    }
    std::string ref(const std::string& cell, int sheet = 1) const {
        return "'" + (sheet == 1 ? sheet1_ : sheet2_) + "'!" + cell;
    }
    grid::Colour colourOf(int sheet, const char* column, int row) {
        grid().setPosition(sheet, col(column), row);
        return grid().backColor();
    }
    void expectActive(int sheet, const char* column, int row) {
        EXPECT_EQ(grid().activeSheet(), sheet);
        EXPECT_EQ(controller_->session().currentSheet, sheet);
        grid().setSheet(sheet);
        EXPECT_EQ(grid().activeCol(), col(column));
        EXPECT_EQ(grid().activeRow(), row);
    }

    int header_ = 0;
    int next_ = 0;
    std::string sheet1_, sheet2_;
};

TEST_F(ValidationTest, FailedErrorsMarkTheirCellsAndTheSmallestOrderGetsTheCursor) {
    addCheck(ref("K7"), "Thiếu tên", "Y", "5");
    addCheck(ref("K11"), "Thiếu địa chỉ", "y ", "3");
    addCheck(ref("L19"), "Đạt", "Y", "1", /*fails=*/false);
    EXPECT_FALSE(controller_->CheckValidData());
    EXPECT_EQ(grid().noteOf(1, col("K"), 7), "Thiếu tên ");
    EXPECT_EQ(grid().noteOf(1, col("K"), 11), "Thiếu địa chỉ ");
    EXPECT_EQ(grid().noteOf(1, col("L"), 19), "");
    EXPECT_EQ(colourOf(1, "K", 7), sheetdocs::kErrorColour);
    expectActive(1, "K", 11);
    EXPECT_GT(view_.focuses, 0);
}

TEST_F(ValidationTest, AmongEqualOrderNumbersTheLaterCheckWins) {
    addCheck(ref("K7"), "Một", "Y", "3");
    addCheck(ref("K11"), "Hai", "Y", "3");
    addCheck(ref("L19"), "Ba", "Y", "4");
    EXPECT_FALSE(controller_->CheckValidData());
    expectActive(1, "K", 11);
}

TEST_F(ValidationTest, WarningsMarkWithoutBlockingAndBlankChecksAreSkipped) {
    addCheck(ref("K7"), "Nên nhập tên", "N", "2");
    // B blank: skipped although C, E, S and T are filled.
    addCheck(ref("K11"), "Không kiểm tra", "Y", "1");
    grid().setPosition(header_, col("B"), next_ - 1);
    grid().setFormula("");
    grid().setText(" ");
    EXPECT_TRUE(controller_->CheckValidData());
    EXPECT_EQ(grid().noteOf(1, col("K"), 7), "Nên nhập tên ");
    EXPECT_EQ(colourOf(1, "K", 7), sheetdocs::kWarningColour);
    EXPECT_EQ(grid().noteOf(1, col("K"), 11), "");
    expectActive(1, "K", 7);
}

TEST_F(ValidationTest, TwoFailedChecksOnOneCellGiveANoteOfTwoLines) {
    addCheck(ref("K7"), "Dòng một", "N", "1");
    addCheck(ref("K7"), "Dòng hai", "Y", "2");
    EXPECT_FALSE(controller_->CheckValidData());
    EXPECT_EQ(grid().noteOf(1, col("K"), 7), "Dòng một \r\nDòng hai ");
    EXPECT_EQ(colourOf(1, "K", 7), sheetdocs::kErrorColour) << "the last check decides the colour";
}

TEST_F(ValidationTest, ACheckWithoutFormulaBlocksWithoutMarking) {
    addCheck(ref("K7"), "Tổng hợp", "Y", "1", true, /*formula=*/false);
    EXPECT_FALSE(controller_->CheckValidData());
    EXPECT_EQ(grid().noteOf(1, col("K"), 7), "");
    expectActive(1, "K", 7);
}

TEST_F(ValidationTest, ChecksOnAnInactiveSheetClearTheCellAndNeitherBlockNorMove) {
    grid().userShowSheet(1);
    grid().userMoveTo(col("K"), 7);
    const std::string cell2 = "E5";
    grid().setPosition(2, col("E"), 5);
    const grid::Colour normal = grid().backColor();
    grid().setNote("old mark");
    grid().setBackColor(sheetdocs::kErrorColour);
    SetAttributeValue(clsVariables().NodeValidity().childElements("Sheet")[1], "Active", "0");
    addCheck(ref(cell2, 2), "Thiếu họ tên", "Y", "1");
    grid().setPosition(header_, col("C"), next_ - 1);
    grid().setBackColor(normal);
    EXPECT_TRUE(controller_->CheckValidData());
    EXPECT_EQ(grid().noteOf(2, col("E"), 5), "");
    EXPECT_EQ(colourOf(2, "E", 5), normal) << "C's colour is the cell's normal colour here";
    expectActive(1, "K", 7);
}

TEST_F(ValidationTest, AReferenceWithoutSheetIsLoggedAndNotMarked) {
    addCheck("K7", "Sai tham chiếu", "Y", "1");
    controller_->CheckValidData();
    EXPECT_EQ(grid().noteOf(1, col("K"), 7), "");
    EXPECT_NE(errorLog().find("SetCellNote"), std::string::npos);
}

TEST_F(ValidationTest, ResetErrorCellsClearsTheTableMarks) {
    addCheck(ref("K7"), "Thiếu tên", "Y", "1");
    grid().setPosition(header_, col("C"), next_ - 1);
    const grid::Colour normal = grid().backColor();
    EXPECT_FALSE(controller_->CheckValidData());
    controller_->ResetErrorCells();
    EXPECT_EQ(grid().noteOf(1, col("K"), 7), "");
    EXPECT_EQ(colourOf(1, "K", 7), normal);
}

TEST_F(ValidationTest, CompletionPassRestoresLoadMarksAndKeepsEveryActiveCell) {
    // A cell the load check marked, with the colour it had before.
    grid().setPosition(1, col("K"), 11);
    const grid::Colour before = grid().backColor();
    grid().setNote("0078 20");
    grid().setBackColor(12713215);
    controller_->session().colourRestore.add(ColourRestoreRecord::key(1, "K_11"), before);

    grid().userShowSheet(2);
    grid().userMoveTo(col("E"), 5);
    grid().userShowSheet(1);
    grid().userMoveTo(col("K"), 7);
    controller_->CallFinish(true);
    EXPECT_EQ(grid().noteOf(1, col("K"), 11), "");
    EXPECT_EQ(colourOf(1, "K", 11), before);
    EXPECT_TRUE(controller_->session().colourRestore.empty());
    expectActive(1, "K", 7);
    grid().setSheet(2);
    EXPECT_EQ(grid().activeCol(), col("E"));
    EXPECT_EQ(grid().activeRow(), 5);
}

}  // namespace
}  // namespace zevo::engine::test
