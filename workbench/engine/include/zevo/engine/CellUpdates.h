#pragma once
// Writing what a cell holds into the sheet document of the current sheet.
#include <string>

#include "zevo/engine/DeclarationSession.h"
#include "zevo/grid/Spread.h"

namespace zevo::engine {

// Finds the `Cell` of the span anchor of (col, row) in Data(current sheet - 1) and
// sets its "Value" when it differs (exact comparison); `changed` tells whether it
// did. Cells without a `Cell` (labels, formulas not bound to data) are not stored.
// A document whose DTD does not declare CellID an ID cannot take the value: the
// cell goes into session.unstoredCells (which fails the next save) and the log.
// Errors are logged ("mainForm", "UpdateCell").
void UpdateCell(DeclarationSession& session, grid::Spread& grid, int col, int row,
                const std::string& value, bool& changed);

// Whether the span anchor of (col, row) on the sheet stores a value: its `Cell` in
// Data(sheet - 1) exists and has "Value". Leaves the grid on that sheet.
bool TakesValue(grid::Spread& grid, int sheet, int col, int row);

}  // namespace zevo::engine
