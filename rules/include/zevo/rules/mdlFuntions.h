#pragma once
// Small helpers of the rules library: the library's own current sheet number,
// attribute access, and writing cell values and pick lists into the grid and the
// sheet documents of the session.
#include <cstdint>
#include <string>
#include <string_view>

#include "zevo/Text.h"
#include "zevo/Xml.h"
#include "zevo/grid/Spread.h"

namespace zevo::rules {

// The 1-based number of the sheet the library writes into (one per thread, as
// the session is).
std::int16_t currentSheetNumber();
void setCurrentSheetNumber(int sheet);

// Attribute access of the XML layer: "" for a missing attribute, existing
// attributes changed only.
using xml::GetAttributeValue;
using xml::SetAttributeValue;

// Writes text into the "Value" of the Cell element of (col, row) (the anchor of its
// span) in the sheet document of the current sheet number. A cell without a Cell
// element, or a sheet without a document, is skipped.
void SetCellValue(grid::Spread& grid, int col, int row, const std::string& text);
// Gives (current sheet number, col, row) the combo item list.
void SetCellList(grid::Spread& grid, int col, int row, const std::string& list);

// Every occurrence of `what` removed.
std::string removeAll(std::string text, std::string_view what);
// Number of characters of a UTF-8 text.
std::size_t charCount(std::string_view utf8);

}  // namespace zevo::rules
