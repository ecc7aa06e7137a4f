#pragma once
// The text a cell shows on paper: its value formatted by its number format.
// Covers the formats forms use (General, fixed decimals, thousands separators,
// percent, text, day/month/year dates); anything fancier falls back to General.
#include <string>

#include "zevo/grid/WorkbookData.h"

namespace zevo::grid::paint {

std::string formatNumber(double value, const std::string& numberFormat);
std::string displayText(const CellData& cell, const StyleData& style);

}  // namespace zevo::grid::paint
