#pragma once
// Reading and writing references in A1 notation.
#include <optional>
#include <string>
#include <string_view>

#include "zevo/grid/formula/Reference.h"

namespace zevo::grid::formula::detail {

// "A1", "$A$1", "a$1" ...; nothing for any other text or a cell off the grid.
std::optional<CellRef> parseCellRef(std::string_view text);

// Puts the top-left corner first, each coordinate keeping its "$".
void normaliseRange(Reference& ref);

std::string cellRefText(const CellRef& ref);

// The sheet name as a formula writes it before "!", quoted when needed.
std::string sheetPrefixText(const std::string& sheet);

}  // namespace zevo::grid::formula::detail
