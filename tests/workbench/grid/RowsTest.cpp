// Inserting, deleting and copying rows: content, formats, heights, page breaks,
// spans and formulas go with them.
#include <gtest/gtest.h>

#include "zevo/grid/SpreadModel.h"

using namespace zevo::grid;

namespace {

class RowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        g.setMaxCols(6);
        g.setMaxRows(20);
        for (int r = 1; r <= 10; ++r) g.setTextAt(1, r, "r" + std::to_string(r));
        g.setRowHeight(4, 30);
        g.setRowPageBreak(4, true);
        g.addCellSpan(2, 4, 2, 1);   // B4:C4
        g.addCellSpan(5, 3, 1, 3);   // E3:E5
    }
    SpreadModel g;
};

TEST_F(RowsTest, InsertedRowsPushEverythingBelowDown) {
    g.insertRows(4, 2);
    EXPECT_EQ(g.textAt(1, 3), "r3");
    EXPECT_EQ(g.textAt(1, 4), "");
    EXPECT_EQ(g.textAt(1, 5), "");
    EXPECT_EQ(g.textAt(1, 6), "r4");
    EXPECT_EQ(g.textAt(1, 12), "r10");
    EXPECT_DOUBLE_EQ(g.rowHeight(6), 30);
    EXPECT_DOUBLE_EQ(g.rowHeight(4), kDefaultRowHeightPt);
    EXPECT_TRUE(g.rowPageBreak(6));
    EXPECT_FALSE(g.rowPageBreak(4));
    CellSpan span;
    ASSERT_TRUE(g.getCellSpan(3, 6, span));
    EXPECT_EQ(span.anchorRow, 6);
    // A span across the insertion point grows.
    ASSERT_TRUE(g.getCellSpan(5, 7, span));
    EXPECT_EQ(span.anchorRow, 3);
    EXPECT_EQ(span.rows, 5);
    EXPECT_EQ(g.maxRows(), 20);   // the row count is the caller's
}

TEST_F(RowsTest, DeletedRowsPullEverythingBelowUp) {
    g.deleteRows(4, 2);
    EXPECT_EQ(g.textAt(1, 3), "r3");
    EXPECT_EQ(g.textAt(1, 4), "r6");
    EXPECT_EQ(g.textAt(1, 8), "r10");
    EXPECT_EQ(g.textAt(1, 9), "");
    EXPECT_FALSE(g.rowPageBreak(4));
    EXPECT_DOUBLE_EQ(g.rowHeight(4), kDefaultRowHeightPt);
    CellSpan span;
    EXPECT_FALSE(g.getCellSpan(2, 4, span));   // its row went
    ASSERT_TRUE(g.getCellSpan(5, 3, span));    // shrank to the row left
    EXPECT_EQ(span.rows, 1);
    EXPECT_EQ(g.dataRowCount(), 8);
}

TEST_F(RowsTest, CopiedRowsCarryContentFormatsKindsLocksSpansNotesAndFormulas) {
    g.setPosition(2, 4);
    g.setCellType(CellType::Number);
    g.setLocked(false);
    g.setBackColor(rgb(10, 20, 30));
    g.setNote("help");
    g.setValue("12.5");
    g.setPosition(4, 4);
    g.setFormula("B4*2+$B$1+SUM(A1:A4)");
    g.setPosition(2, 1);
    g.setValue("1");   // B1 is an edit cell holding a number-like text
    g.copyRowRange(4, 4, 8);
    g.setPosition(2, 8);
    EXPECT_EQ(g.cellType(), CellType::Number);
    EXPECT_FALSE(g.locked());
    EXPECT_EQ(g.backColor(), rgb(10, 20, 30));
    EXPECT_EQ(g.note(), "help");
    EXPECT_EQ(g.value(), "12.5");
    EXPECT_EQ(g.textAt(1, 8), "r4");
    EXPECT_DOUBLE_EQ(g.rowHeight(8), 30);
    CellSpan span;
    ASSERT_TRUE(g.getCellSpan(3, 8, span));
    EXPECT_EQ(span.anchorCol, 2);
    EXPECT_EQ(span.anchorRow, 8);
    g.setPosition(4, 8);
    EXPECT_EQ(g.formula(), "B8*2+$B$1+SUM(A5:A8)");
    EXPECT_EQ(g.value(), "26");
    // The copy is a copy: changing it leaves the source alone.
    g.setPosition(2, 8);
    g.setBackColor(kWhite);
    g.setPosition(2, 4);
    EXPECT_EQ(g.backColor(), rgb(10, 20, 30));
}

TEST_F(RowsTest, OverlappingCopyReadsTheSourceBeforeWriting) {
    g.setPosition(3, 2);
    g.setFormula("A2");
    g.copyRowRange(2, 3, 3);   // rows 2..3 onto 3..4
    EXPECT_EQ(g.textAt(1, 3), "r2");
    EXPECT_EQ(g.textAt(1, 4), "r3");
    g.setPosition(3, 3);
    EXPECT_EQ(g.formula(), "A3");
    EXPECT_EQ(g.text(), "r2");
    g.setPosition(3, 4);
    EXPECT_EQ(g.formula(), "");
}

TEST_F(RowsTest, TextHeightGrowsWithWrappedLinesOnly) {
    g.setPosition(6, 15);
    EXPECT_DOUBLE_EQ(g.maxTextRowHeight(15), kDefaultRowHeightPt);   // nothing written
    g.setText("ngắn");
    double oneLine = g.maxTextRowHeight(15);
    g.setText(std::string(200, 'x'));
    EXPECT_DOUBLE_EQ(g.maxTextRowHeight(15), oneLine);   // no wrap: one line
    CellFormat f = g.formatOf(1, 6, 15);
    f.wrap = true;
    g.setFormatAt(6, 15, f);
    EXPECT_GT(g.maxTextRowHeight(15), 3 * oneLine);
    g.setColWidth(6, 2000);
    EXPECT_DOUBLE_EQ(g.maxTextRowHeight(15), oneLine);
    g.setText("a\nb");
    EXPECT_GT(g.maxTextRowHeight(15), 1.5 * oneLine);
}

TEST_F(RowsTest, ManyInsertsAtTheTopOfALongListKeepTheOrder) {
    SpreadModel big;
    big.setMaxCols(3);
    big.setMaxRows(5000);
    for (int r = 1; r <= 5000; ++r) big.setTextAt(1, r, std::to_string(r));
    for (int i = 0; i < 100; ++i) big.insertRows(2, 2);
    EXPECT_EQ(big.textAt(1, 1), "1");
    EXPECT_EQ(big.textAt(1, 202), "2");
    EXPECT_EQ(big.textAt(1, 5200), "5000");
    for (int i = 0; i < 100; ++i) big.deleteRows(2, 2);
    for (int r = 1; r <= 5000; r += 499) ASSERT_EQ(big.textAt(1, r), std::to_string(r));
}

}  // namespace
