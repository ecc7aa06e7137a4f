// Formula cells of the grid: values across sheets, recomputation limited to the
// formulas a write reaches, references following inserted and deleted rows.
#include <gtest/gtest.h>
#include <vector>

#include "GridFixtures.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/grid/formula/Value.h"

using namespace zevo::grid;
using namespace zevo::grid::test;

namespace {

// Sheet 1 "Tờ khai 01" with numbers in A1..A10 (1..10); sheet 2 "Tong" with
// formulas over sheet 1.
WorkbookData twoSheets() {
    WorkbookData wb;
    int num = addStyle(wb, "0");
    SheetData s1 = sheetNamed("Tờ khai 01", 5, 20);
    for (int r = 1; r <= 10; ++r) s1.cells.push_back(numberCell(1, r, r, num));
    s1.cells.push_back(formulaCell(2, 5, "A5*2", num));
    SheetData s2 = sheetNamed("Tong", 5, 5);
    s2.cells.push_back(formulaCell(1, 1, "SUM('Tờ khai 01'!A1:A10)", num));
    s2.cells.push_back(formulaCell(1, 2, "'Tờ khai 01'!A5+'Tờ khai 01'!B5", num));
    s2.cells.push_back(formulaCell(1, 3, "'Tờ khai 01'!A7", num));
    wb.sheets = {s1, s2};
    return wb;
}

std::string at(SpreadModel& g, int sheet, int col, int row) {
    g.setPosition(sheet, col, row);
    return g.value();
}

TEST(GridFormulas, ValuesFollowWritesAcrossSheets) {
    SpreadModel g;
    g.fromWorkbookData(twoSheets());
    EXPECT_EQ(at(g, 2, 1, 1), "55");
    EXPECT_EQ(at(g, 2, 1, 2), "15");
    g.setPosition(1, 1, 5);
    g.setValue("100");
    EXPECT_EQ(at(g, 1, 2, 5), "200");
    EXPECT_EQ(at(g, 2, 1, 1), "150");
    EXPECT_EQ(at(g, 2, 1, 2), "300");
    g.setPosition(2, 1, 1);
    EXPECT_EQ(g.formula(), "SUM('Tờ khai 01'!A1:A10)");
}

TEST(GridFormulas, AWriteRecomputesOnlyTheFormulasThatReadIt) {
    WorkbookData wb;
    SheetData s = sheetNamed("S", 3, 400);
    s.cells.push_back(numberCell(1, 1, 1));
    s.cells.push_back(numberCell(1, 2, 2));
    for (int r = 1; r <= 200; ++r) s.cells.push_back(formulaCell(2, r, "A1+" + std::to_string(r)));
    for (int r = 1; r <= 100; ++r) s.cells.push_back(formulaCell(3, r, "A2*" + std::to_string(r)));
    wb.sheets.push_back(s);
    SpreadModel g;
    g.fromWorkbookData(wb);
    auto readAll = [&] {
        for (int r = 1; r <= 200; ++r) g.textAt(2, r);
        for (int r = 1; r <= 100; ++r) g.textAt(3, r);
    };
    readAll();
    long long before = g.evaluationCount();
    EXPECT_EQ(before, 300);
    readAll();
    EXPECT_EQ(g.evaluationCount(), before);   // nothing changed, nothing recomputed
    g.setTextAt(1, 1, "5");
    readAll();
    EXPECT_EQ(g.evaluationCount(), before + 200);
    EXPECT_EQ(g.textAt(2, 200), "205");
    EXPECT_EQ(g.textAt(3, 100), "200");
    g.setTextAt(1, 3, "9");   // read by nothing
    readAll();
    EXPECT_EQ(g.evaluationCount(), before + 200);
}

TEST(GridFormulas, WritesReachTheirReadersOnEitherSideOfEveryRowBlock) {
    // Readers are looked up by column and by blocks of rows: references at the
    // edges of blocks, areas across two blocks and tall areas are all found, and
    // a write reaches only its readers.
    const int rows = 300;
    WorkbookData wb;
    const int num = addStyle(wb, "0");
    SheetData s = sheetNamed("S", 3, rows);
    std::vector<double> a(rows + 1);
    for (int r = 1; r <= rows; ++r) s.cells.push_back(numberCell(1, r, a[r] = r, num));
    const std::vector<std::pair<std::string, std::pair<int, int>>> readers = {
        {"A63", {63, 63}},   {"A64", {64, 64}},          {"A127+A128", {127, 128}},
        {"SUM(A60:A70)", {60, 70}}, {"SUM(A1:A200)", {1, 200}}, {"A300", {300, 300}},
        {"SUM(A129:A191)", {129, 191}}};
    for (std::size_t k = 0; k < readers.size(); ++k)
        s.cells.push_back(formulaCell(3, static_cast<int>(k) + 1, readers[k].first, num));
    wb.sheets.push_back(s);
    SpreadModel g;
    g.fromWorkbookData(wb);
    auto check = [&](int written) {
        for (std::size_t k = 0; k < readers.size(); ++k) {
            double sum = 0;
            for (int r = readers[k].second.first; r <= readers[k].second.second; ++r) sum += a[r];
            EXPECT_EQ(g.textAt(3, static_cast<int>(k) + 1), formula::formatGeneral(sum))
                << readers[k].first << " after writing A" << written;
        }
    };
    check(0);
    for (int r : {1, 59, 60, 63, 64, 65, 70, 71, 127, 128, 129, 191, 192, 200, 201, 256, 300}) {
        const long long before = g.evaluationCount();
        g.setTextAt(1, r, std::to_string(a[r] = 1000 + r));
        check(r);
        long long expected = 0;
        for (const auto& reader : readers) expected += r >= reader.second.first && r <= reader.second.second;
        EXPECT_EQ(g.evaluationCount() - before, expected) << "after writing A" << r;
    }
}

TEST(GridFormulas, ChainsRecomputeThroughEveryLink) {
    SpreadModel g;
    g.setMaxCols(5);
    g.setMaxRows(5);
    g.setTextAt(1, 1, "2");
    g.setPosition(2, 1);
    g.setFormula("=A1*10");
    g.setPosition(3, 1);
    g.setFormula("B1+1");
    EXPECT_EQ(g.textAt(3, 1), "21");
    g.setTextAt(1, 1, "3");
    EXPECT_EQ(g.textAt(3, 1), "31");
}

TEST(GridFormulas, FormulaCellsKeepTheirFormulaAgainstWrites) {
    SpreadModel g;
    g.setTextAt(1, 1, "4");
    g.setPosition(2, 1);
    g.setFormula("A1*2");
    g.setText("99");
    EXPECT_EQ(g.text(), "8");
    EXPECT_EQ(g.formula(), "A1*2");
    g.setFormula("");   // the last value stays as content
    EXPECT_EQ(g.formula(), "");
    EXPECT_EQ(g.text(), "8");
    g.setText("99");
    EXPECT_EQ(g.text(), "99");
}

TEST(GridFormulas, CyclesGiveAnErrorInsteadOfRecursingForEver) {
    SpreadModel g;
    g.setPosition(1, 1);
    g.setFormula("B1+1");
    g.setPosition(2, 1);
    g.setFormula("A1+1");
    EXPECT_EQ(g.text().substr(0, 1), "#");
}

TEST(GridFormulas, InsertedRowsShiftReferencesOnEverySheet) {
    SpreadModel g;
    g.fromWorkbookData(twoSheets());
    g.setSheet(1);
    g.insertRows(3, 2);   // A3.. move to A5..
    EXPECT_EQ(at(g, 2, 1, 1), "55");     // the range grew with the rows
    g.setPosition(2, 1, 1);
    EXPECT_EQ(g.formula(), "SUM('Tờ khai 01'!A1:A12)");
    g.setPosition(2, 1, 3);
    EXPECT_EQ(g.formula(), "'Tờ khai 01'!A9");
    EXPECT_EQ(g.value(), "7");
    // The formula cell B5 moved to B7 and still reads its own row.
    g.setPosition(1, 2, 7);
    EXPECT_EQ(g.formula(), "A7*2");
    EXPECT_EQ(g.value(), "10");
    // Writes to the moved cells reach the moved formulas.
    g.setPosition(1, 1, 7);
    g.setValue("50");
    EXPECT_EQ(at(g, 1, 2, 7), "100");
    EXPECT_EQ(at(g, 2, 1, 2), "150");
}

TEST(GridFormulas, DeletedRowsTurnTheirReferencesIntoRefErrors) {
    SpreadModel g;
    g.fromWorkbookData(twoSheets());
    g.setSheet(1);
    g.deleteRows(7, 1);
    g.setPosition(2, 1, 3);
    EXPECT_EQ(g.text(), "#REF!");
    EXPECT_NE(g.formula().find("#REF!"), std::string::npos);
    EXPECT_EQ(at(g, 2, 1, 1), "48");   // 55 - 7, range shrank
    g.setSheet(1);
    g.deleteRows(5, 1);   // the row of A5 and of the formula B5
    g.setPosition(2, 1, 2);
    EXPECT_EQ(g.text(), "#REF!");
    g.setPosition(1, 1, 5);
    EXPECT_EQ(g.value(), "6");
}

TEST(GridFormulas, RenamingASheetReResolvesReferencesByName) {
    SpreadModel g;
    g.fromWorkbookData(twoSheets());
    g.setSheet(1);
    g.setSheetName("Other");
    EXPECT_EQ(at(g, 2, 1, 3), "#REF!");
    g.setSheet(1);
    g.setSheetName("TỜ KHAI 01");   // names compare without case
    EXPECT_EQ(at(g, 2, 1, 3), "7");
    g.setPosition(1, 1, 7);
    g.setValue("70");
    EXPECT_EQ(at(g, 2, 1, 3), "70");
}

TEST(GridFormulas, LoadTimeClassRaisesChangeForFormulaCellsThatMoved) {
    struct Recorder : SpreadListener {
        std::vector<std::pair<int, int>> changes;
        void Change(int col, int row) override { changes.emplace_back(col, row); }
    } rec;
    SpreadModel g;
    g.fromWorkbookData(twoSheets());
    g.addListener(&rec);
    g.setSheet(1);
    g.textAt(2, 5);   // computed once
    g.setPosition(1, 5);
    g.setValue("6");
    EXPECT_TRUE(rec.changes.empty());   // programmatic writes raise nothing by default
    g.setLoadEventsEnabled(true);
    g.setValue("7");
    // The written cell, then B5 on the same sheet; the other sheet's cells are not
    // reported with this sheet's positions.
    ASSERT_EQ(rec.changes.size(), 2u);
    EXPECT_EQ(rec.changes[0], std::make_pair(1, 5));
    EXPECT_EQ(rec.changes[1], std::make_pair(2, 5));
    rec.changes.clear();
    g.setValue("7");   // same value: nothing changed
    EXPECT_TRUE(rec.changes.empty());
    g.setEventsEnabled(false);
    g.setValue("8");
    EXPECT_TRUE(rec.changes.empty());
}

TEST(GridFormulas, LongChainsOfFormulasEvaluateWithoutExhaustingTheStack) {
    // Each cell reads the one above: evaluated by recursion this would need one
    // stack frame set per row. Two columns, read from either end.
    const int rows = 20000;
    WorkbookData wb;
    SheetData s = sheetNamed("S", 3, rows);
    s.cells.push_back(numberCell(1, 1, 1));
    s.cells.push_back(numberCell(2, 1, 1));
    for (int r = 2; r <= rows; ++r) {
        s.cells.push_back(formulaCell(1, r, "A" + std::to_string(r - 1) + "+1"));
        s.cells.push_back(formulaCell(2, r, "B" + std::to_string(r - 1) + "+A" + std::to_string(r)));
    }
    // A cycle through the whole column stays a cycle.
    s.cells.push_back(formulaCell(3, 1, "C" + std::to_string(rows)));
    for (int r = 2; r <= rows; ++r) s.cells.push_back(formulaCell(3, r, "C" + std::to_string(r - 1)));
    wb.sheets.push_back(s);
    SpreadModel g;
    g.fromWorkbookData(wb);
    EXPECT_EQ(g.textAt(1, rows), std::to_string(rows));
    EXPECT_EQ(g.textAt(2, rows), std::to_string(static_cast<long long>(rows) * (rows + 1) / 2));
    EXPECT_EQ(g.textAt(3, rows), "#REF!");
    g.setPosition(1, 1, 1);
    g.setValue("2");
    EXPECT_EQ(g.textAt(1, rows), std::to_string(rows + 1));
}

}  // namespace
