#include "zevo/engine/CellUpdates.h"

#include <algorithm>
#include <exception>

#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
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
        const std::string id = sheetdocs::MakeCellID(grid, col, row);
        const xml::Node cell = doc->elementById(id);
        if (cell.isNull()) {
            // In a document that declares CellID an ID a miss means the cell holds
            // no data (a label, a formula of its own). Otherwise the edit is lost:
            // that must stop the next save, never pass silently.
            if (!doc->declaresId("Cell", "CellID")) {
                const std::string key = std::to_string(session.currentSheet) + "_" + id;
                if (std::find(session.unstoredCells.begin(), session.unstoredCells.end(), key) ==
                    session.unstoredCells.end())
                    session.unstoredCells.push_back(key);
                WriteErrorLog("mainForm", "UpdateCell", err::kObjectRequired,
                              "The sheet document cannot hold the value of " + key);
            }
            return;
        }
        // A Cell without "Value" takes none (attributes are never created).
        if (!cell.hasAttribute("Value")) return;
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
