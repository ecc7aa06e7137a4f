#pragma once
// The colours that mark a cell of a declaration as refused or doubtful. New rows
// never inherit them; the rules, the validation table and the loader set them.
#include "zevo/grid/Spread.h"

namespace zevo::sheetdocs {

// An entry a rule or the validation table refuses.
inline constexpr grid::Colour kErrorColour = 12632319;     // RGB 255, 192, 192
// An entry the validation table only warns about, and a value refused while a data
// file loads.
inline constexpr grid::Colour kWarningColour = 12713215;   // RGB 255, 252, 193

inline bool isMarkedColour(grid::Colour c) { return c == kErrorColour || c == kWarningColour; }

}  // namespace zevo::sheetdocs
