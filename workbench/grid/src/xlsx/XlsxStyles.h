#pragma once
// Cell formats of a workbook (styles.xml) turned into StyleData, one per cell
// format in file order, with colours resolved through the theme and the legacy
// palette.
#include <string>
#include <vector>

#include "zevo/grid/WorkbookData.h"

namespace zevo::grid::xlsx {

// Theme colours in the order the files index them (light 1, dark 1, light 2, dark 2,
// accents 1-6, links); the Office defaults when the workbook has no theme.
std::vector<Colour> parseThemeColours(const std::string& themeXml);
std::vector<Colour> defaultThemeColours();

// Never empty: a workbook without cell formats gets the default style.
std::vector<StyleData> parseStyles(const std::string& stylesXml, const std::vector<Colour>& theme);

// The code of a built-in number format id ("" for General and unknown ids).
std::string builtinNumberFormat(int id);

}  // namespace zevo::grid::xlsx
