#pragma once
// Filling the report grid from the sheet documents already in memory.
#include <string>

#include "zevo/grid/Spread.h"

namespace zevo::engine {

// Whether a text counts as no amount: empty or blank once every "0" and "." is removed.
bool IsZeroOrEmpty(const std::string& text);

// For every sheet entry whose "Active" is not "0": inserts the report rows of added
// row groups, sets the page breaks that "PageBreak" asks for, and writes every
// "Value" into the report cell at its "CellID2" (zero amounts in number cells
// print blank); rows grow to fit their text. Values go in as Unicode, except into
// cells whose font is a legacy TCVN font (name beginning ".Vn"), which get the
// TCVN bytes those fonts expect. Errors are logged ("SetupReportData") and end the run.
void SetupReportData(grid::Spread& reportGrid);

}  // namespace zevo::engine
