// The grid to and from workbook data and files: kinds from number formats, what a
// round trip keeps.
#include <gtest/gtest.h>

#include <filesystem>

#include "GridFixtures.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/SpreadModel.h"

using namespace zevo::grid;
using namespace zevo::grid::test;

namespace {

WorkbookData sample() {
    WorkbookData wb;
    int money = addStyle(wb, "#,##0", false);
    int date = addStyle(wb, "dd/mm/yyyy", false);
    int pct = addStyle(wb, "0.0%");
    int text = addStyle(wb, "@", false, rgb(255, 255, 204));
    SheetData s = sheetNamed("Tờ khai", 6, 12);
    s.landscape = true;
    s.marginLeft = 0.5;
    s.colWidthsPx[2] = 120;
    s.rowHeightsPt[3] = 27.5;
    s.rowBreaks = {6};
    s.merges.push_back({1, 1, 4, 2});
    s.cells.push_back(textCell(1, 1, "TỜ KHAI ĐĂNG KÝ THUẾ"));
    s.cells.push_back(numberCell(2, 3, 1234567, money));
    s.cells.push_back(numberCell(3, 3, 45306, date));   // 15/01/2024
    s.cells.push_back(numberCell(4, 3, 0.125, pct));
    s.cells.push_back(textCell(5, 3, "0101234567", text));
    CellData noted = textCell(1, 4, "chk");
    noted.comment = "Đánh dấu";
    s.cells.push_back(noted);
    s.cells.push_back(formulaCell(2, 5, "B3*2", money));
    SheetData hidden = sheetNamed("Header", 2, 2);
    hidden.hidden = true;
    hidden.cells.push_back(formulaCell(1, 1, "'Tờ khai'!B3+1"));
    wb.sheets = {s, hidden};
    return wb;
}

TEST(GridConversion, NumberFormatsGiveKindsAndValues) {
    SpreadModel g;
    g.fromWorkbookData(sample());
    ASSERT_EQ(g.sheetCount(), 2);
    g.setPosition(1, 2, 3);
    EXPECT_EQ(g.cellType(), CellType::Number);
    EXPECT_EQ(g.value(), "1234567");
    EXPECT_EQ(g.text(), "1,234,567");
    EXPECT_FALSE(g.locked());
    g.setCol(3);
    EXPECT_EQ(g.cellType(), CellType::Date);
    EXPECT_EQ(g.text(), "15/01/2024");
    g.setCol(4);
    EXPECT_EQ(g.cellType(), CellType::Percent);
    EXPECT_EQ(g.text(), "12.5%");
    g.setCol(5);
    EXPECT_EQ(g.cellType(), CellType::Edit);
    EXPECT_EQ(g.text(), "0101234567");
    EXPECT_EQ(g.backColor(), 13434879u);
    g.setPosition(1, 4);
    EXPECT_EQ(g.note(), "Đánh dấu");
    EXPECT_TRUE(g.locked());
    g.setPosition(2, 5);
    EXPECT_EQ(g.text(), "2,469,134");
    g.setSheet(2);
    EXPECT_FALSE(g.sheetVisible());
    EXPECT_EQ(g.textAt(1, 1), "1234568");
    g.setSheet(1);
    EXPECT_TRUE(g.printLandscape());
    EXPECT_DOUBLE_EQ(g.printMargins().left, 0.5);
    EXPECT_DOUBLE_EQ(g.colWidth(2), 120);
    EXPECT_DOUBLE_EQ(g.rowHeight(3), 27.5);
    EXPECT_TRUE(g.rowPageBreak(6));
    EXPECT_EQ(g.maxCols(), 6);
    EXPECT_EQ(g.maxRows(), 12);
    CellSpan span;
    EXPECT_TRUE(g.getCellSpan(4, 2, span));
}

TEST(GridConversion, ARoundTripThroughWorkbookDataKeepsWhatTheGridHolds) {
    SpreadModel a;
    a.fromWorkbookData(sample());
    // Changes made at run time must survive too.
    a.setPosition(1, 6, 8);
    a.setCellType(CellType::Number);
    a.setNumberSeparators(",", ".", true);
    a.setValue("42");
    a.setBackColor(12632319);
    a.setPosition(1, 3);
    a.setCellType(CellType::Percent);
    a.setValue("0.5");
    WorkbookData data = a.toWorkbookData();
    SpreadModel b;
    b.fromWorkbookData(data);
    for (int sheet = 1; sheet <= 2; ++sheet) {
        for (int r = 1; r <= 12; ++r)
            for (int c = 1; c <= 6; ++c) {
                ASSERT_EQ(a.textOf(sheet, c, r), b.textOf(sheet, c, r)) << sheet << ":" << c << "," << r;
                CellFormat fa = a.formatOf(sheet, c, r), fb = b.formatOf(sheet, c, r);
                EXPECT_EQ(fa.type, fb.type) << c << "," << r;
                EXPECT_EQ(fa.locked, fb.locked);
                EXPECT_EQ(fa.fill.value_or(kWhite), fb.fill.value_or(kWhite));
                EXPECT_EQ(a.noteOf(sheet, c, r), b.noteOf(sheet, c, r));
            }
    }
    b.setPosition(1, 2, 5);
    EXPECT_EQ(b.formula(), "B3*2");
    b.setSheet(2);
    EXPECT_FALSE(b.sheetVisible());
    b.setSheet(1);
    CellSpan span;
    EXPECT_TRUE(b.getCellSpan(4, 2, span));
    EXPECT_TRUE(b.rowPageBreak(6));
}

TEST(GridConversion, FilesRoundTripAndMissingFilesFailClearly) {
    auto dir = std::filesystem::temp_directory_path() / "zevo_grid_conversion";
    std::filesystem::create_directories(dir);
    std::string path = (dir / "round.xlsx").string();
    SpreadModel a;
    a.fromWorkbookData(sample());
    a.exportWorkbook(path);
    SpreadModel b;
    b.loadWorkbook(path);
    ASSERT_EQ(b.sheetCount(), 2);
    EXPECT_EQ(b.textOf(1, 1, 1), "TỜ KHAI ĐĂNG KÝ THUẾ");
    EXPECT_EQ(b.textOf(1, 2, 5), "2,469,134");
    EXPECT_EQ(b.textOf(1, 5, 3), "0101234567");
    EXPECT_EQ(b.textOf(2, 1, 1), "1234568");
    EXPECT_THROW(b.loadWorkbook((dir / "missing.xlsx").string()), zevo::RuntimeError);
    EXPECT_EQ(b.textOf(1, 1, 1), "TỜ KHAI ĐĂNG KÝ THUẾ");   // a failed load changes nothing
}

}  // namespace

// A print run fills many copies of one prepared report: a copy must carry
// everything and share nothing that a write could change.
TEST(GridCopy, CopyIsDeepAndComputesItsOwnFormulas) {
    SpreadModel original;
    original.fromWorkbookData(sample());
    original.setPosition(1, 5, 3);
    original.setMaxEditLen(4);
    original.setSheet(2);

    SpreadModel copy;
    copy.copyFrom(original);
    EXPECT_EQ(copy.sheet(), 2);
    copy.setSheet(1);
    EXPECT_TRUE(copy.printLandscape());
    EXPECT_TRUE(copy.rowPageBreak(6));
    EXPECT_DOUBLE_EQ(copy.rowHeight(3), 27.5);
    CellSpan span;
    EXPECT_TRUE(copy.getCellSpan(2, 2, span));
    copy.setPosition(5, 3);
    EXPECT_EQ(copy.maxEditLen(), 4);
    copy.setText("123456");
    EXPECT_EQ(copy.text(), "1234");

    // Writes reach only the copy, and its formulas read its own cells, on its
    // own sheet and across sheets.
    copy.setPosition(2, 3);
    copy.setValue("10");
    EXPECT_EQ(copy.textAt(2, 5), "20");
    EXPECT_EQ(copy.textOf(2, 1, 1), "11");
    EXPECT_EQ(original.textOf(1, 2, 5), "2,469,134");
    EXPECT_EQ(original.textOf(2, 1, 1), "1234568");
    copy.insertRows(1, 2);
    EXPECT_EQ(copy.textAt(2, 7), "20");
    EXPECT_EQ(original.textOf(1, 2, 5), "2,469,134");
    EXPECT_EQ(original.maxRowsOf(1), 12);

    // Copying again replaces what the copy held.
    copy.copyFrom(original);
    EXPECT_EQ(copy.textOf(1, 2, 5), "2,469,134");
    EXPECT_EQ(copy.maxRowsOf(1), 12);
}
