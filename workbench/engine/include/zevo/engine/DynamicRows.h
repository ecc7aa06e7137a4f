#pragma once
// Adding and removing row groups of dynamic sections (the insert and delete keys):
// grid rows, the `Cells` elements of the sheet document and every cell identifier
// below the change are kept in step.
#include "zevo/Xml.h"
#include "zevo/engine/DeclarationSession.h"
#include "zevo/grid/Spread.h"

namespace zevo::engine {

// Message asked before a row group of several lines that holds data is deleted.
inline constexpr const char* kMsgDeleteRowGroup = "0075";

// Inserts a row group below the one holding (col, row) of the current sheet, when
// its section is dynamic ("Dynamic" = "1") and has fewer row groups than
// "MaxRows" (absent = no limit). The new group's cells are empty (0 in number
// cells) and carry "FirstCell" = "1". Errors are logged ("mainForm", "InsertNode").
void InsertNode(DeclarationSession& session, grid::Spread& grid, int col, int row);

// The same as `count` inserts, in one step: one grid insertion and one walk of the
// document, however many rows. Fewer are inserted when "MaxRows" would be
// exceeded; returns how many were. Errors are logged under `procedure`.
int InsertNodes(DeclarationSession& session, grid::Spread& grid, int col, int row, int count,
                const char* procedure = "InsertNodes");

// Deletes the row group holding (col, row) of `sheet`; the only group of a section
// is emptied instead. With `ask`, a group of more than one line that holds data is
// deleted only when the user answers Yes to message "0075". Errors are logged
// ("mainForm", "DeleteNode").
void DeleteNode(DeclarationSession& session, grid::Spread& grid, int sheet, int col, int row,
                bool ask);

// Empties every cell of the group (number cells "0"), in the grid and the
// document, and clears the notes and their colour.
void ClearRowGroup(DeclarationSession& session, grid::Spread& grid, const xml::Node& rowGroup);

// True unless some cell of the group holds a value, judged by its grid cell's kind
// (date placeholders and zero amounts count as empty).
bool IsRowGroupEmpty(grid::Spread& grid, const xml::Node& rowGroup);

}  // namespace zevo::engine
