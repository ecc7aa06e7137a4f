#pragma once
// Cell addresses of the declaration documents ("K_9": column letters, "_", row) and
// the small conversions between addresses, grid positions, spans and row groups.
// Header-only so that the program and the rules library share one implementation.
#include <cmath>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include <libxml/tree.h>

#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/Text.h"
#include "zevo/Xml.h"
#include "zevo/grid/Spread.h"

namespace zevo::sheetdocs {

namespace detail {

// Rounds half to even into 32 bits; error 6 (overflow) outside the range.
inline std::int32_t roundToInt32(double v) {
    double r = std::nearbyint(v);   // default rounding mode: half to even
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        throw RuntimeError(err::kOverflow, "Overflow");
    return static_cast<std::int32_t>(r);
}

// The row part of an address (after its "_"). Rows are plain digits nearly always
// ("K_10038"): they are read without the general number scan, which loading and
// row shifting would pay per cell.
inline int rowPart(std::string_view digits) {
    if (!digits.empty() && digits.size() <= 9 &&
        digits.find_first_not_of("0123456789") == std::string_view::npos) {
        int value = 0;
        for (char c : digits) value = value * 10 + (c - '0');
        return value;
    }
    return roundToInt32(text::leadingNumber(std::string(digits)));
}

}  // namespace detail

// Grid position of an address. No "_" (or the empty text) gives (0, 0); a column
// part that is not letters gives column 0; a row part without digits gives row 0.
// Errors are logged and leave the outputs not yet assigned as they came in.
inline void ParserCellID(const grid::Spread& grid, const std::string& address, int& col, int& row) {
    try {
        std::size_t pos = address.find('_');
        if (pos == std::string::npos) {
            col = 0;
            row = 0;
            return;
        }
        col = grid.colNumber(address.substr(0, pos));
        row = detail::rowPart(std::string_view(address).substr(pos + 1));
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "ParserCellID", e);
    }
}

// The row ParserCellID reads from an address, without its column: 0 without "_".
// Errors are logged and give 0.
inline int RowOfCellID(std::string_view address) {
    try {
        const std::size_t pos = address.find('_');
        return pos == std::string_view::npos ? 0 : detail::rowPart(address.substr(pos + 1));
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "ParserCellID", e);
        return 0;
    }
}

// The address of a grid position ("K_9" for column 11, row 9). Traps nothing.
inline std::string MakeCellID(const grid::Spread& grid, int col, int row) {
    return grid.colLetters(col) + "_" + std::to_string(row);
}

// Moves (col, row) to the top-left cell of the merged block that holds it; a cell
// in no block stays. The block's size goes to the optional outputs. Errors are
// logged and leave the position as it came in.
inline void GetCellSpan(const grid::Spread& grid, int& col, int& row, int* cols = nullptr,
                        int* rows = nullptr) {
    try {
        grid::CellSpan span;
        grid.getCellSpan(col, row, span);
        if (cols) *cols = span.cols;
        if (rows) *rows = span.rows;
        if (span.anchorCol != -1 && span.anchorRow != -1) {
            col = span.anchorCol;
            row = span.anchorRow;
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "GetCellSpan", e);
    }
}

// Rows one row group (a `Cells` element) occupies: in the input grid (the result,
// from the "CellID"s, with its first and last row) and on the printed sheet
// (reportRows, from the "CellID2"s). A null group returns 0 with first row 100000
// and last row 0 and leaves reportRows alone. Traps nothing.
inline int GetRowGroupSize(const grid::Spread&, const xml::Node& rowGroup, int& reportRows, int& firstRow,
                           int& lastRow) {
    firstRow = 100000;
    lastRow = 0;
    if (rowGroup.isNull()) return 0;
    int firstReport = 100000, lastReport = 0;
    // Read in place: loading asks this of every row group of a list.
    std::string scratch;
    for (const xmlNode* cell = rowGroup.raw()->children; cell; cell = cell->next) {
        if (cell->type != XML_ELEMENT_NODE || !xmlStrEqual(cell->name, reinterpret_cast<const xmlChar*>("Cell")))
            continue;
        int r = RowOfCellID(xml::attributeText(cell, "CellID", scratch));
        if (r < firstRow) firstRow = r;
        if (r > lastRow) lastRow = r;
        r = RowOfCellID(xml::attributeText(cell, "CellID2", scratch));
        if (r < firstReport) firstReport = r;
        if (r > lastReport) lastReport = r;
    }
    reportRows = lastReport - firstReport + 1;
    return lastRow - firstRow + 1;
}

}  // namespace zevo::sheetdocs
