#include "zevo/engine/CellUpdates.h"

#include <exception>

#include "zevo/ErrorLog.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/sheetdocs/CellAddress.h"

namespace zevo::engine {

void UpdateCell(DeclarationSession& session, grid::Spread& grid, int col, int row,
                const std::string& value, bool& changed) {
    changed = false;
    try {
        sheetdocs::GetCellSpan(grid, col, row);
        const xml::DocumentPtr doc = clsVariables().Data(session.currentSheet - 1);
        if (!doc) return;
        const xml::Node cell = doc->elementById(sheetdocs::MakeCellID(grid, col, row));
        // A Cell without "Value" takes none (attributes are never created).
        if (cell.isNull() || !cell.hasAttribute("Value")) return;
        if (documents::GetAttributeValue(cell, "Value") == value) return;
        documents::SetAttributeValue(cell, "Value", value);
        changed = true;
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", "UpdateCell", e);
    }
}

bool TakesValue(grid::Spread& grid, int sheet, int col, int row) {
    grid.setSheet(sheet);
    sheetdocs::GetCellSpan(grid, col, row);
    const xml::DocumentPtr doc = clsVariables().Data(sheet - 1);
    if (!doc) return false;
    const xml::Node cell = doc->elementById(sheetdocs::MakeCellID(grid, col, row));
    return !cell.isNull() && cell.hasAttribute("Value");
}

}  // namespace zevo::engine
