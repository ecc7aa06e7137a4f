#pragma once
// Parsers of the per-sheet parts of a workbook: shared strings, worksheets and
// notes. Each works on the bytes of one part.
#include <cstddef>
#include <string>
#include <vector>

#include "zevo/grid/WorkbookData.h"

namespace zevo::grid::xlsx {

std::vector<std::string> parseSharedStrings(const std::string& xml);

struct SheetContext {
    const std::vector<std::string>& sharedStrings;
    std::size_t styleCount = 1;
    std::size_t cellsLeft = 0;   // budget of the whole workbook, decreased while reading
    std::size_t bytesLeft = 0;   // decoded text the workbook may still hold
};

// Fills everything but the name, visibility and notes.
SheetData parseWorksheet(const std::string& xml, const std::string& partName, SheetContext& context);

// Attaches the notes of a comments part to `sheet` (creating empty cells where needed).
void applyComments(SheetData& sheet, const std::string& xml, const std::string& partName,
                   SheetContext& context);

}  // namespace zevo::grid::xlsx
