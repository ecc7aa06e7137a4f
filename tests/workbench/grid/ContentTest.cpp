// What cells keep of a write, by kind and limits; the kind of a workbook number
// format; spans.
#include <gtest/gtest.h>

#include "GridFixtures.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/SpreadModel.h"

using namespace zevo::grid;

namespace {

class ContentTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid.reset(1);
        grid.setMaxCols(10);
        grid.setMaxRows(10);
        grid.setPosition(2, 3);
    }
    SpreadModel grid;
};

TEST_F(ContentTest, EditCellShortensToMaxLengthInCharactersNotBytes) {
    grid.setMaxEditLen(5);
    grid.setText("Nguyễn Văn A");   // multi-byte letters must not be cut in half
    EXPECT_EQ(grid.text(), "Nguyễ");
    grid.setText("abc");
    EXPECT_EQ(grid.text(), "abc");
    grid.setMaxEditLen(0);
    grid.setText("a longer text than five");
    EXPECT_EQ(grid.text(), "a longer text than five");
}

TEST_F(ContentTest, DigitsOnlyRefusesOtherTextAndKeepsTheOldOne) {
    grid.setDigitsOnly(true);
    grid.setText("0101234567");
    EXPECT_EQ(grid.text(), "0101234567");
    grid.setText("12a4");
    EXPECT_EQ(grid.text(), "0101234567");
    grid.setText("-12");
    EXPECT_EQ(grid.text(), "0101234567");
    grid.setText("");
    EXPECT_EQ(grid.text(), "");
}

TEST_F(ContentTest, NumberCellParsesFormatsAndRefusesNonNumbers) {
    grid.setCellType(CellType::Number);
    grid.setNumberSeparators(",", ".", true);
    grid.setValue("1234567.5");
    EXPECT_EQ(grid.value(), "1234567.5");
    EXPECT_EQ(grid.text(), "1,234,567.5");
    grid.setText("2,500");   // typed as shown
    EXPECT_EQ(grid.value(), "2500");
    grid.setText("abc");
    EXPECT_EQ(grid.value(), "2500");
    grid.setValue("1e3x");
    EXPECT_EQ(grid.value(), "2500");
    grid.setText("");
    EXPECT_EQ(grid.value(), "");
    EXPECT_EQ(grid.text(), "");
}

TEST_F(ContentTest, NumberCellRefusesValuesOutsideItsBounds) {
    grid.setCellType(CellType::Number);
    grid.setNumberMin(0);
    grid.setNumberMax(100);
    grid.setValue("50");
    grid.setValue("250");
    EXPECT_EQ(grid.value(), "50");
    grid.setValue("-1");
    EXPECT_EQ(grid.value(), "50");
    grid.setValue("100");
    EXPECT_EQ(grid.value(), "100");
    EXPECT_DOUBLE_EQ(grid.numberMin(), 0);
    EXPECT_DOUBLE_EQ(grid.numberMax(), 100);
}

TEST_F(ContentTest, NumberCellWithOtherSeparatorsReadsThemBack) {
    grid.setCellType(CellType::Number);
    grid.setNumberSeparators(".", ",", true);
    grid.setText("1.234,5");
    EXPECT_EQ(grid.value(), "1234.5");
    EXPECT_EQ(grid.text(), "1.234,5");
    grid.setNumberSeparators(",", ".", false);
    EXPECT_EQ(grid.text(), "1234.5");
}

TEST_F(ContentTest, MaskedCellTakesTextThatFitsAndAddsLeftOutLiterals) {
    grid.setCellType(CellType::Masked);
    grid.setMask("99//99//9999");
    grid.setPlaceholder("__/__/____");
    EXPECT_EQ(grid.text(), "");   // the placeholder is shown, not held
    grid.setText("01/02/2024");
    EXPECT_EQ(grid.text(), "01/02/2024");
    grid.setText("31122023");
    EXPECT_EQ(grid.text(), "31/12/2023");
    grid.setText("");
    EXPECT_EQ(grid.text(), "");
    CellLook look = grid.look(1, 2, 3);
    EXPECT_TRUE(look.placeholderShown);
    EXPECT_EQ(look.text, "__/__/____");
}

TEST_F(ContentTest, MaskedCellKeepsShortFieldsAsTypedAndRefusesWhatDoesNotFit) {
    grid.setCellType(CellType::Masked);
    grid.setMask("99//99//9999");
    // Short fields closed by the literal the user typed stay as typed: the rules
    // rewrite them into the full form afterwards.
    for (const char* typed : {"1/2/09", "1/2/2024", "01/2/24", "1/2/", "1/", "1", "/2/09"}) {
        grid.setText(typed);
        EXPECT_EQ(grid.text(), typed);
    }
    grid.setText("0102");   // literals left out after full fields are filled in
    EXPECT_EQ(grid.text(), "01/02");
    grid.setText("1/2/09");
    for (const char* refused : {"ab/cd/efgh", "1a/2/09", "01/02/20245", "123/4/2024",
                                "1/2/3/4", "1/2/2024/", "1.2.2024", "1 /2/09"}) {
        grid.setText(refused);
        EXPECT_EQ(grid.text(), "1/2/09") << refused;
    }

    // Other masks: letters, a literal run at the start and trailing literals.
    grid.setMask("(999) ??");
    grid.setText("123ab");
    EXPECT_EQ(grid.text(), "(123) ab");
    grid.setText("(12) a");
    EXPECT_EQ(grid.text(), "(12) a");
    grid.setText("(12) 3");
    EXPECT_EQ(grid.text(), "(12) a");
    grid.setMask("999-");
    grid.setText("123");
    EXPECT_EQ(grid.text(), "123-");
    grid.setText("12");
    EXPECT_EQ(grid.text(), "12");
}

TEST_F(ContentTest, CheckBoxReadsAndTakesOneAndZero) {
    grid.setText("chk");
    grid.setCellType(CellType::CheckBox);   // the marker text goes
    EXPECT_EQ(grid.text(), "0");
    grid.setText("1");
    EXPECT_EQ(grid.text(), "1");
    EXPECT_EQ(grid.value(), "1");
    grid.setText("x");
    EXPECT_EQ(grid.text(), "1");
    grid.setValue("0");
    EXPECT_EQ(grid.text(), "0");
}

TEST_F(ContentTest, ComboBoxKeepsOnlyItsItemsAndTracksTheSelection) {
    grid.setText("cbo");
    grid.setCellType(CellType::ComboBox);
    EXPECT_EQ(grid.text(), "");
    grid.setComboList("Nam\tNữ\t");
    grid.setText("Nữ");
    EXPECT_EQ(grid.comboIndex(), 1);
    grid.setText("Khác");
    EXPECT_EQ(grid.text(), "Nữ");
    grid.setComboIndex(0);
    EXPECT_EQ(grid.text(), "Nam");
    grid.setComboIndex(-1);
    EXPECT_EQ(grid.text(), "");
    EXPECT_EQ(grid.comboIndex(), -1);
}

TEST_F(ContentTest, ComboListsOfTheSameTextAreSharedAndSelectByItem) {
    // Many cells given the same long list share one parsed copy.
    std::string wards;
    for (int i = 0; i < 3000; ++i) wards += "Phường " + std::to_string(i) + "\t";
    wards += "Phường 7\t";   // a duplicate at the end
    for (int row = 1; row <= 10; ++row) {
        grid.setPosition(4, row);
        grid.setCellType(CellType::ComboBox);
        grid.setComboList(std::string(wards));   // a fresh copy of the text each time
    }
    const CellFormat first = grid.formatOf(1, 4, 1);
    const CellFormat last = grid.formatOf(1, 4, 10);
    EXPECT_EQ(&first.comboList.items(), &last.comboList.items());
    EXPECT_EQ(first.comboList.items().size(), 3001u);
    EXPECT_EQ(first.comboList.text(), wards);

    grid.setPosition(4, 5);
    EXPECT_EQ(grid.comboList(), wards);
    grid.setText("Phường 2999");
    EXPECT_EQ(grid.comboIndex(), 2999);
    grid.setText("Phường 7");   // the first of equal items
    EXPECT_EQ(grid.comboIndex(), 7);
    grid.setComboIndex(3000);   // the chosen duplicate stays chosen
    EXPECT_EQ(grid.text(), "Phường 7");
    EXPECT_EQ(grid.comboIndex(), 3000);
    grid.setText("Phường 3000");
    EXPECT_EQ(grid.text(), "Phường 7");

    // A new list keeps the text when it is still an item, at its new place.
    grid.setComboList("A\tPhường 7\t");
    EXPECT_EQ(grid.comboIndex(), 1);
    grid.setComboList("A\tB\t");
    EXPECT_EQ(grid.text(), "Phường 7");
    EXPECT_EQ(grid.comboIndex(), -1);
    grid.setComboList("");
    EXPECT_EQ(grid.comboList(), "");
    EXPECT_TRUE(grid.formatOf(1, 4, 5).comboList.empty());
    // The other cells still hold the long list.
    EXPECT_EQ(grid.formatOf(1, 4, 6).comboList.text(), wards);
}

TEST_F(ContentTest, ComboListWithoutClosingTabOrWithEmptyItems) {
    ComboList list("x\t\ty");
    ASSERT_EQ(list.items().size(), 3u);
    EXPECT_EQ(list.indexOf(""), 1);
    EXPECT_EQ(list.indexOf("y"), 2);
    EXPECT_EQ(list.indexOf("z"), -1);
    EXPECT_EQ(ComboList().indexOf(""), -1);
    EXPECT_TRUE(ComboList("x\t") == ComboList(std::string("x\t")));
    EXPECT_FALSE(ComboList("x\t") == ComboList());
}

TEST_F(ContentTest, DateCellNormalisesDatesAndRefusesOthers) {
    grid.setCellType(CellType::Date);
    grid.setText("1/2/2024");
    EXPECT_EQ(grid.text(), "01/02/2024");
    grid.setText("30/02/2024");
    EXPECT_EQ(grid.text(), "01/02/2024");
    grid.setText("29/02/2024");
    EXPECT_EQ(grid.text(), "29/02/2024");
}

TEST_F(ContentTest, PercentCellHoldsTheFraction) {
    grid.setCellType(CellType::Percent);
    grid.setText("12%");
    EXPECT_EQ(grid.value(), "0.12");
    EXPECT_EQ(grid.text(), "12%");
    grid.setText("7");
    EXPECT_EQ(grid.value(), "0.07");
}

TEST_F(ContentTest, AttributesBelongToTheirCellOnly) {
    grid.setBackColor(rgb(255, 192, 192));
    grid.setLocked(false);
    grid.setNote("0078");
    grid.setTag("12|");
    grid.setPosition(3, 3);
    EXPECT_EQ(grid.backColor(), kWhite);
    EXPECT_TRUE(grid.locked());
    EXPECT_EQ(grid.note(), "");
    grid.setPosition(2, 3);
    EXPECT_EQ(grid.backColor(), 12632319u);
    EXPECT_FALSE(grid.locked());
    EXPECT_EQ(grid.note(), "0078");
    EXPECT_EQ(grid.tag(), "12|");
}

TEST_F(ContentTest, CellsSharingAWorkbookStyleChangeIndependently) {
    WorkbookData wb;
    int unlocked = test::addStyle(wb, "", false, rgb(1, 2, 3));
    SheetData s = test::sheetNamed("S", 3, 3);
    s.cells = {test::textCell(1, 1, "a", unlocked), test::textCell(2, 1, "b", unlocked)};
    wb.sheets.push_back(s);
    grid.fromWorkbookData(wb);
    grid.setPosition(1, 1);
    grid.setBackColor(kWhite);
    grid.setPosition(2, 1);
    EXPECT_EQ(grid.backColor(), rgb(1, 2, 3));
    EXPECT_FALSE(grid.locked());
}

TEST(NumberFormatKind, FollowsTheWorkbookConvention) {
    EXPECT_EQ(cellTypeForNumberFormat(""), CellType::Edit);
    EXPECT_EQ(cellTypeForNumberFormat("General"), CellType::Edit);
    EXPECT_EQ(cellTypeForNumberFormat("@"), CellType::Edit);
    EXPECT_EQ(cellTypeForNumberFormat("0"), CellType::Number);
    EXPECT_EQ(cellTypeForNumberFormat("0.00"), CellType::Number);
    EXPECT_EQ(cellTypeForNumberFormat("#,##0"), CellType::Number);
    EXPECT_EQ(cellTypeForNumberFormat("#,##0 \"đồng\""), CellType::Number);   // quoted d
    EXPECT_EQ(cellTypeForNumberFormat("[Red]0.00"), CellType::Number);        // bracketed d
    EXPECT_EQ(cellTypeForNumberFormat("0%"), CellType::Percent);
    EXPECT_EQ(cellTypeForNumberFormat("0.00%"), CellType::Percent);
    EXPECT_EQ(cellTypeForNumberFormat("dd/mm/yyyy"), CellType::Date);
    EXPECT_EQ(cellTypeForNumberFormat("h:mm:ss"), CellType::Date);
    EXPECT_EQ(decimalsOfNumberFormat("0.00"), 2);
    EXPECT_EQ(decimalsOfNumberFormat("#,##0"), 0);
    EXPECT_EQ(decimalsOfNumberFormat(""), -1);
}

TEST_F(ContentTest, SpansAnswerForEveryCellOfTheBlock) {
    grid.addCellSpan(3, 5, 3, 2);   // C5:E6
    CellSpan span;
    ASSERT_TRUE(grid.getCellSpan(5, 6, span));
    EXPECT_EQ(span.anchorCol, 3);
    EXPECT_EQ(span.anchorRow, 5);
    EXPECT_EQ(span.cols, 3);
    EXPECT_EQ(span.rows, 2);
    EXPECT_TRUE(grid.getCellSpan(3, 5, span));
    EXPECT_FALSE(grid.getCellSpan(6, 6, span));
    EXPECT_EQ(span.anchorCol, -1);
    EXPECT_FALSE(grid.getCellSpan(3, 7, span));
    EXPECT_FALSE(grid.getCellSpan(2, 5, span));

    // A new span replaces the ones it overlaps.
    grid.addCellSpan(4, 6, 2, 2);
    EXPECT_FALSE(grid.getCellSpan(3, 5, span));
    EXPECT_TRUE(grid.getCellSpan(5, 7, span));
    EXPECT_EQ(span.anchorRow, 6);
    grid.removeCellSpan(5, 7);
    EXPECT_FALSE(grid.getCellSpan(4, 6, span));
}

TEST_F(ContentTest, PositionsOutsideTheSheetFailClearlyWithoutGrowingIt) {
    EXPECT_THROW(grid.setTextAt(1, 2'000'000'000, "x"), zevo::RuntimeError);
    EXPECT_THROW(grid.setTextAt(20000, 1, "x"), zevo::RuntimeError);
    EXPECT_THROW(grid.copyRowRange(1, 2, 2'000'000'000), zevo::RuntimeError);
    EXPECT_THROW(grid.insertRows(1, 2'000'000'000), zevo::RuntimeError);
    grid.setTextAt(0, 0, "x");   // no cell: nothing
    EXPECT_EQ(grid.textAt(0, 0), "");
    EXPECT_EQ(grid.textAt(5, 2'000'000'000), "");
    EXPECT_EQ(grid.dataRowCount(), 0);
}

TEST_F(ContentTest, MaxRowsCutsOffRowsBeyondIt) {
    grid.setTextAt(1, 8, "gone");
    grid.setMaxRows(5);
    grid.setMaxRows(10);
    EXPECT_EQ(grid.textAt(1, 8), "");
    EXPECT_EQ(grid.dataRowCount(), 0);
}

}  // namespace
