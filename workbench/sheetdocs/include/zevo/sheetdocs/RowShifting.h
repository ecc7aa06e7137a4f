#pragma once
// Keeping grid rows and the cell identifiers of a sheet document in step when row
// groups are added or removed (loading added row groups, the insert and delete
// keys, importing exchange files). Each procedure traps its errors and logs them
// under its own name; a failure half-way leaves grid and document as far as they got.
#include <vector>

#include "zevo/Xml.h"
#include "zevo/grid/Spread.h"
#include "zevo/sheetdocs/MarkingColours.h"

namespace zevo::sheetdocs {

// Inserts `count` rows at `row` of the addressed sheet (the row count grows with
// them) and fills them from the `count` rows above, bottom row first. Unless
// `duringLoad`, the new cells are cleaned: marked colours become white, and cells
// that take data (unlocked, or bound to a `Cell` of the sheet's document) lose
// their value (0 for number cells, empty text otherwise) and their note. The
// sheet document is that of the addressed sheet.
void InsertRow(grid::Spread& grid, int row, int count, bool duringLoad);

// Inserts `copies` copies of rows first..last of the addressed sheet right below
// last (the row count grows with them), each cleaned as InsertRow cleans: one
// grid insertion for all of them.
void InsertRowCopies(grid::Spread& grid, int first, int last, int copies);

// Inserts `count` copies of the row group `group` (a `Cells` element) right after
// it, in one walk of its document: the identifiers of every cell below move down
// by count times the group's height ("CellID2" by its printed height), copy k
// carries the group's identifiers moved by k heights, and "FirstCell" becomes "1"
// where a copy carries it. Values are copied as they are. Throws when the group
// names no rows. Returns the copies in order.
std::vector<xml::Node> InsertRowGroupCopies(grid::Spread& grid, const xml::Node& group, int count);

// Moves every identifier at or below `fromRow` down: "CellID" rows by `shift`,
// "CellID2" rows by `shift2`. Walks from the last `Cell` to the first so that
// identifiers stay unique while they move. No document: nothing.
void IncreaseRowInDOM(grid::Spread& grid, const xml::DocumentPtr& document, int fromRow, int shift,
                      int shift2);

// Deletes `count` grid rows from `firstRow` of `sheet` (the row count shrinks with
// them) with the load-time event class off; it is on afterwards.
void DeleteRow(grid::Spread& grid, int sheet, int firstRow, int count);

// Moves every identifier at or below `fromRow` of the sheet's document up: "CellID"
// rows by `shift`, "CellID2" rows by `shift2`, first `Cell` to last. No document
// for the sheet: nothing.
void DecreaseRowInDOM(grid::Spread& grid, int sheet, int fromRow, int shift, int shift2);

}  // namespace zevo::sheetdocs
