#pragma once
// Putting the template workbook of the current validity node into a grid and
// preparing its sheets: loading, the main window's sheet set-up, the colour and
// cell-kind normalisation of the input grid, and hiding the sheets not in use.
// Each procedure traps its errors and logs them; the caller is not told.
#include "zevo/engine/DeclarationSession.h"
#include "zevo/grid/Spread.h"

namespace zevo::engine {

// The button face of the desktop's classic grey scheme: what the template's grey
// label colours become.
inline constexpr grid::Colour kButtonFaceColour = grid::rgb(240, 240, 240);

// Loads the input (`interface`) or report workbook of clsVariables::NodeValidity
// (chosen first when still empty) and hides its last sheet. Nothing without a
// current menu entry.
void LoadTemplate(grid::Spread& grid, bool interface);

// Sheet font, column and row counts one less than the used ones, header sheet
// number and tab captions from the sheet entries; sheet 1 displayed and addressed
// afterwards, current sheet 1.
void SetupSpread(DeclarationSession& session, grid::Spread& grid);

// Row heights, colours and cell kinds of the input workbook as loaded: grey
// labels take `buttonFace`, the pale entry colours get their screen shades, number
// cells separators and wide bounds, marker texts ("chk", "cbo", "cmd",
// "picture") become check boxes, combo boxes, buttons and pictures.
void FormatGrid(DeclarationSession& session, grid::Spread& grid,
                grid::Colour buttonFace = kButtonFaceColour);

// Hides every sheet whose sheet entry (matched by "Caption" against the sheet's
// name) has "Active" = "0". Sheets without an entry stay as they are.
void HideInactiveSheets(grid::Spread& grid);

}  // namespace zevo::engine
