// Keys on the grid: renumbering after a row was inserted (F5) or deleted (F6),
// fresh district lists for an inserted row, and clearing a pick-list cell (Delete).
#include <exception>

#include "clsZEVO.h"
#include "zevo/ErrorLog.h"
#include "zevo/grid/GridStateGuard.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/rules/mdlFuntions.h"

namespace zevo::rules {

namespace {
constexpr int kFirstListRow1 = 38;
constexpr int kFirstListRow2 = 5;

// Keys act on list rows only. Each sheet's list starts at its own first row: with
// sheet 1's limit on sheet 2, a short list there kept wrong sequence numbers.
int lastHeaderRow(int sheet) { return (sheet == 2 ? kFirstListRow2 : kFirstListRow1) - 1; }
}  // namespace

void clsZEVO::KeyUp(int keyCode, int shift) { fps_KeyUp(keyCode, shift); }

void clsZEVO::renumberRows(int sheet) {
    grid::Spread& g = grid();
    const int last = lastRow();
    if (sheet == 1) {
        const int colD = colOf("D");
        const int colK = colOf("K");
        int filled = 0;
        int row = kFirstListRow1;
        for (int i = 1;; ++i) {
            putCell(colD, row, std::to_string(i));
            if (!text::trimSpaces(cellText(colK, row)).empty()) ++filled;
            row = kFirstListRow1 + i;
            if (row > last || cellText(colD, row) == "aa") break;
        }
        g.setPosition(colOf("Q"), 19);
        g.setText(std::to_string(filled));
    } else if (sheet == 2) {
        const int colB = colOf("B");
        int row = kFirstListRow2;
        for (int i = 1;; ++i) {
            g.setPosition(colB, row);
            g.setText(std::to_string(i));
            row = kFirstListRow2 + i;
            if (row > last || cellText(colB, row) == "aa") break;
        }
    }
}

void clsZEVO::fps_KeyUp(int keyCode, int shift) {
    using namespace grid::keys;
    if (keyCode != kEscape && keyCode != kF5 && keyCode != kF6 && keyCode != kDelete) return;
    try {
        grid::Spread& g = grid();
        const int sheet = takeEventSheet();
        const int col = g.activeCol();
        const int row = g.activeRow();
        if (row <= lastHeaderRow(sheet)) {
            // The header's pick lists live on sheet 1 only.
            if (keyCode == kDelete && sheet == 1) {
                const std::string id = sheetdocs::MakeCellID(g, col, row);
                if (id == "L_13")
                    TaxDepartmentChanged(sheet, col, row, "");
                else if (id == "L_15")
                    TaxOfficeChanged(sheet, col, row, "");
            }
            return;
        }
        {
            grid::GridStateGuard quiet(g, grid::GridStateGuard::Events::Off,
                                       grid::GridStateGuard::Cell::Moved);
            if (keyCode == kF5 || keyCode == kF6) renumberRows(sheet);
            if (keyCode == kF5) {
                if (sheet == 1) {
                    for (const char* c : {"AB", "AK"}) ProvinceChanged(colOf(c), row + 1, "");
                } else if (sheet == 2) {
                    for (const char* c : {"I", "P", "CC", "CK"}) ProvinceChanged(colOf(c), row + 1, "");
                }
            }
            if (keyCode == kDelete && sheet == 1) {
                const std::string column = letters(col);
                if (column == "Q") SexChanged(col, row, "");
                // The country's id goes with its text, or the country comes back on reopening.
                else if (column == "S" || column == "AH") NationalityChanged(col, row, "");
                else if (column == "AB" || column == "AK") ProvinceChanged(col, row, "");
                else if (column == "AD" || column == "AM") DistrictChanged(col, row, "");
                else if (column == "AF" || column == "AO") WardChanged(col, row, "");
            }
        }
        if (keyCode == kF5) {
            Change(col, row);
            // The new individual starts with the date of the row above; only sheet 1
            // has that column, so sheet 2 keeps its rows as they are.
            if (sheet == 1) {
                g.setSheet(1);
                setCurrentSheetNumber(1);
                const int colAU = colOf("AU");
                const std::string date = cellText(colAU, row);
                g.setPosition(colAU, row + 1);
                if (!g.locked()) putCell(colAU, row + 1, date);
                g.setActiveCell(colOf("G"), row + 1);
            }
        }
    } catch (const std::exception& e) {
        WriteErrorLog("clsZEVO", "fps_KeyUp", e);
    }
}

}  // namespace zevo::rules
