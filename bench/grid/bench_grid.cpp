// Figures of the grid model: loading a template-sized workbook, inserting a row
// group at the top of a long list, recomputing after an edit. Prints milliseconds
// (best of several runs) next to the goal of each.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "zevo/clsVariables.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/sheetdocs/RowShifting.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/grid/XlsxReader.h"
#include "zevo/grid/XlsxWriter.h"

using namespace zevo::grid;
using namespace zevo::sheetdocs;
using Clock = std::chrono::steady_clock;

namespace {

double bestOf(int runs, const std::function<void()>& prepare, const std::function<void()>& measured) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        prepare();
        auto t0 = Clock::now();
        measured();
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (ms < best) best = ms;
    }
    return best;
}

void report(const char* what, double ms, double goal) {
    std::printf("%-62s %9.3f ms  (goal < %g ms)%s\n", what, ms, goal, ms < goal ? "" : "  OVER");
}

// 2,000 rows x 60 columns of text and numbers with 200 formulas.
WorkbookData templateSized() {
    WorkbookData wb;
    StyleData number;
    number.numberFormat = "#,##0";
    number.locked = false;
    wb.styles.push_back(number);
    SheetData s;
    s.name = "Tờ khai";
    s.maxCol = 60;
    s.maxRow = 2000;
    for (int r = 1; r <= 2000; ++r)
        for (int c = 1; c <= 60; ++c) {
            CellData cell;
            cell.col = c;
            cell.row = r;
            if (c == 60 && r <= 200) {
                cell.formula = "SUM(A" + std::to_string(r) + ":E" + std::to_string(r) + ")+$A$1";
                cell.style = 1;
            } else if (c % 2 == 1) {
                cell.type = CellValueType::Number;
                cell.number = r * 100 + c;
                cell.style = 1;
            } else {
                cell.type = CellValueType::String;
                cell.text = "Ô " + std::to_string(c) + "_" + std::to_string(r);
            }
            s.cells.push_back(cell);
        }
    wb.sheets.push_back(s);
    return wb;
}

// A list of 2,500 two-row groups (5,000 rows) from row 4 with a formula per
// group, and its sheet document.
void buildList(SpreadModel& grid, zevo::xml::DocumentPtr& doc) {
    const int groups = 2500;
    grid.reset(1);
    grid.setMaxCols(8);
    grid.setMaxRows(4 + 2 * groups);
    std::string body = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE Sections [
<!ELEMENT Sections (Section*)>
<!ELEMENT Section (Cells*)>
<!ELEMENT Cells (Cell*)>
<!ELEMENT Cell EMPTY>
<!ATTLIST Cell CellID ID #REQUIRED CellID2 CDATA #IMPLIED Value CDATA #IMPLIED FirstCell CDATA #IMPLIED>
]>
<Sections><Section>)";
    for (int g = 0; g < groups; ++g) {
        int r = 4 + 2 * g;
        grid.setPosition(1, r);
        grid.setCellType(CellType::Number);
        grid.setLocked(false);
        grid.setValue(std::to_string(g + 1));
        for (int c = 2; c <= 7; ++c) {
            grid.setPosition(c, r);
            grid.setLocked(false);
            grid.setText("v" + std::to_string(g));
            grid.setPosition(c, r + 1);
            grid.setLocked(false);
            grid.setText("w" + std::to_string(g));
        }
        grid.setPosition(8, r);
        grid.setFormula("A" + std::to_string(r) + "*2");
        body += "<Cells>";
        for (int c = 1; c <= 7; ++c)
            for (int k = 0; k < 2; ++k) {
                if (c == 1 && k == 1) continue;
                body += "<Cell CellID=\"" + MakeCellID(grid, c, r + k) + "\" CellID2=\"" +
                        MakeCellID(grid, c, 10 + 3 * g + k) + "\" Value=\"\"/>";
            }
        body += "</Cells>";
    }
    body += "</Section></Sections>";
    doc = zevo::xml::Document::fromString(body, nullptr, zevo::xml::Trust::Installed);
    zevo::clsVariables::resetSession();
    zevo::clsVariables v;
    v.xmlDataReDim(0);
    v.Data(0, doc);
}

void benchLoad() {
    auto dir = std::filesystem::temp_directory_path() / "zevo_bench_grid";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "template.xlsx").string();
    writeXlsx(templateSized(), path);
    SpreadModel loaded;
    double loadMs = bestOf(5, [] {}, [&] { loaded.loadWorkbook(path); });
    report("load 2,000 x 60 workbook with 200 formulas", loadMs, 100);
    WorkbookData read;
    report("  of which reading the file", bestOf(3, [] {}, [&] { read = readXlsx(path); }), 100);
    report("  of which building the grid", bestOf(3, [] {}, [&] { loaded.fromWorkbookData(read); }), 100);
    double firstRead = bestOf(1, [] {}, [&] {
        for (int r = 1; r <= 200; ++r) loaded.textAt(60, r);
    });
    report("  then compute the 200 formulas once", firstRead, 100);
}

}  // namespace

int main() {
    // 1. Loading.
    try {
        benchLoad();
    } catch (const std::exception& e) {
        std::printf("load: failed: %s\n", e.what());
    }

    // 2. A row group inserted at the top of a 5,000-row list.
    SpreadModel list;
    zevo::xml::DocumentPtr doc;
    double insertMs = bestOf(
        5, [&] { buildList(list, doc); },
        [&] {
            zevo::xml::Node source = doc->elementById("A_4").parent();
            int report2 = 0, first = 0, last = 0;
            int rows = GetRowGroupSize(list, source, report2, first, last);
            InsertRow(list, last + 1, rows, false);
            IncreaseRowInDOM(list, doc, last + 1, rows, report2);
            zevo::xml::Node copy = source.cloneDeep();
            for (zevo::xml::Node cell : copy.childElements("Cell")) {
                int c = 0, r = 0;
                ParserCellID(list, *cell.attribute("CellID"), c, r);
                cell.setAttribute("CellID", MakeCellID(list, c, r + rows));
                int c2 = 0, r2 = 0;
                ParserCellID(list, *cell.attribute("CellID2"), c2, r2);
                cell.setAttribute("CellID2", MakeCellID(list, c2, r2 + report2));
            }
            source.insertAfter(copy);
        });
    report("insert a 2-row group at the top of a 5,000-row list", insertMs, 20);
    {
        buildList(list, doc);
        zevo::xml::Node source = doc->elementById("A_4").parent();
        int report2 = 0, first = 0, last = 0;
        int rows = GetRowGroupSize(list, source, report2, first, last);
        report("  of which grid rows (InsertRow)", bestOf(1, [] {}, [&] { InsertRow(list, last + 1, rows, false); }), 20);
        report("  of which document identifiers (IncreaseRowInDOM)",
               bestOf(1, [] {}, [&] { IncreaseRowInDOM(list, doc, last + 1, rows, report2); }), 20);
    }
    if (list.textAt(1, 8) != "2" || doc->elementById("A_5004").isNull())
        std::printf("  (list out of step after the insert)\n");

    // 3. One edit read by 200 formulas.
    SpreadModel sheet;
    sheet.setMaxCols(4);
    sheet.setMaxRows(300);
    sheet.setTextAt(1, 1, "1");
    for (int r = 1; r <= 200; ++r) {
        sheet.setPosition(2, r);
        sheet.setFormula("$A$1*" + std::to_string(r) + "+LEN(C" + std::to_string(r) + ")");
    }
    for (int r = 1; r <= 200; ++r) sheet.textAt(2, r);
    int value = 1;
    double editMs = bestOf(
        20, [] {},
        [&] {
            sheet.setTextAt(1, 1, std::to_string(++value));
            for (int r = 1; r <= 200; ++r) sheet.textAt(2, r);
        });
    report("edit a cell read by 200 formulas, read them all back", editMs, 5);
    return 0;
}
