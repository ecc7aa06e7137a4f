#pragma once
// A1-style cell references of the workbook files: parsing with range checks,
// column letters, and moving the relative references of a formula (used to expand
// shared formulas to each cell they cover).
#include <string>
#include <string_view>

namespace zevo::grid::xlsx {

// "B12" or "$B$12" -> col 2, row 12. False for anything else, including references
// beyond the largest sheet (kMaxCols x kMaxRows).
bool parseCellRef(std::string_view ref, int& col, int& row);
// "A1:C3" (or a single cell) -> the corners; false when malformed or out of range.
bool parseRangeRef(std::string_view ref, int& firstCol, int& firstRow, int& lastCol, int& lastRow);
// 1 -> "A", 27 -> "AA".
std::string columnLetters(int col);
// Shifts every relative cell reference of `formula` by the given rows and columns;
// "$" parts stay, texts in quotes and sheet names are left alone. A reference moved
// off the sheet becomes #REF!.
std::string offsetFormula(std::string_view formula, int rowOffset, int colOffset);

}  // namespace zevo::grid::xlsx
