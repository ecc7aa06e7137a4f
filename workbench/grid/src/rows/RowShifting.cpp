// Row shifting in the grid and in the sheet documents.
#include "zevo/grid/RowShifting.h"

#include <exception>
#include <vector>

#include "zevo/ErrorLog.h"
#include "zevo/clsVariables.h"
#include "zevo/grid/CellAddress.h"

namespace zevo::grid {

namespace {

// Rewrites one identifier attribute with its row moved by `delta`; an attribute
// that is missing or names no cell stays as it is.
void moveIdentifier(const Spread& grid, xml::Node& cell, const char* attribute, int delta) {
    auto id = cell.attribute(attribute);
    if (!id) return;
    int col = 0, row = 0;
    ParserCellID(grid, *id, col, row);
    if (col == 0) return;
    cell.setAttribute(attribute, MakeCellID(grid, col, row + delta));
}

int rowOf(const Spread& grid, const xml::Node& cell) {
    int col = 0, row = 0;
    ParserCellID(grid, cell.attribute("CellID").value_or(""), col, row);
    return row;
}

}  // namespace

void InsertRow(Spread& grid, int row, int count, bool duringLoad) {
    try {
        if (count < 1) return;
        // The document is looked up before the grid changes, so that a sheet
        // without one fails cleanly instead of half-way.
        xml::DocumentPtr doc;
        if (!duringLoad) doc = clsVariables().Data(grid.sheet() - 1);
        grid.setRedraw(false);
        grid.setMaxRows(grid.maxRows() + count);
        grid.insertRows(row, count);
        for (int j = 1; j <= count; ++j) {
            const int source = row - j;
            const int target = row + count - j;
            if (source < 1) continue;   // nothing above the first row to copy
            grid.copyRowRange(source, source, target);
            if (duringLoad) continue;
            const int cols = grid.maxCols();
            for (int c = 1; c <= cols; ++c) {
                grid.setPosition(c, source);
                const Colour sourceColour = grid.backColor();
                const bool bound = doc && !doc->elementById(MakeCellID(grid, c, source)).isNull();
                grid.setPosition(c, target);
                const bool isLocked = grid.locked();
                if (isLocked) {
                    if (bound && isMarkedColour(grid.backColor())) grid.setBackColor(kWhiteColour);
                } else {
                    grid.setBackColor(isMarkedColour(sourceColour) ? kWhiteColour : sourceColour);
                }
                if (isLocked && !bound) continue;   // labels and formulas stay as copied
                if (grid.cellType() == CellType::Number) {
                    grid.setValue("0");
                    // Bounds that refuse 0 must not leave the copied amount behind.
                    if (grid.value() != "0") grid.setText("");
                } else {
                    grid.setText("");
                }
                grid.setNote("");
            }
        }
        grid.setRedraw(true);
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "InsertRow", e);
    }
}

void IncreaseRowInDOM(Spread& grid, const xml::DocumentPtr& document, int fromRow, int shift,
                      int shift2) {
    try {
        if (!document || document->isEmpty()) return;
        std::vector<xml::Node> cells = document->elementsByTagName("Cell");
        for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
            if (rowOf(grid, *it) < fromRow) continue;
            moveIdentifier(grid, *it, "CellID", shift);
            moveIdentifier(grid, *it, "CellID2", shift2);
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "IncreaseRowInDOM", e);
    }
}

void DeleteRow(Spread& grid, int sheet, int firstRow, int count) {
    try {
        grid.setLoadEventsEnabled(false);
        grid.setRedraw(false);
        grid.setSheet(sheet);
        grid.deleteRows(firstRow, count);
        grid.setMaxRows(grid.maxRows() - count);
        grid.setRedraw(true);
        grid.setLoadEventsEnabled(true);
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "DeleteRow", e);
    }
}

void DecreaseRowInDOM(Spread& grid, int sheet, int fromRow, int shift, int shift2) {
    try {
        xml::DocumentPtr document = clsVariables().Data(sheet - 1);
        if (!document || document->isEmpty()) return;
        for (xml::Node& cell : document->elementsByTagName("Cell")) {
            if (rowOf(grid, cell) < fromRow) continue;
            moveIdentifier(grid, cell, "CellID", -shift);
            moveIdentifier(grid, cell, "CellID2", -shift2);
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "DecreaseRowInDOM", e);
    }
}

}  // namespace zevo::grid
