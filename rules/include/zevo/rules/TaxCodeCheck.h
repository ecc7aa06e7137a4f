#pragma once
// Tax-code checks of the rules library: the flag form over thirteen characters and
// the check-and-normalise of one grid cell.
#include <string>

#include "zevo/grid/Spread.h"

namespace zevo::rules {

// Characters 1-10 and suffix characters 11-13, one character each. Returns three
// "0"/"1" flags: a leading character is empty; the check digit does not match; the
// suffix is partly filled. "000" is a valid code. Never throws (logs and gives "000").
std::string CheckTaxCode(const std::string& c1, const std::string& c2, const std::string& c3,
                         const std::string& c4, const std::string& c5, const std::string& c6,
                         const std::string& c7, const std::string& c8, const std::string& c9,
                         const std::string& c10, const std::string& c11, const std::string& c12,
                         const std::string& c13);

// Checks the tax code in (sheet, col, row), ignoring "." and "-". A valid code is
// rewritten as ten characters, or ten, "-" and the three suffix characters, in the
// cell and the sheet document; an empty cell is valid; a wrong code stays as typed
// and `valid` becomes false.
void CheckTaxCodeCell(grid::Spread& grid, int sheet, int col, int row, bool& valid);

}  // namespace zevo::rules
