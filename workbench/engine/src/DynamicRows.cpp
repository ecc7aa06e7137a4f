#include "zevo/engine/DynamicRows.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "EngineText.h"
#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/sheetdocs/RowShifting.h"

namespace zevo::engine {

using documents::GetAttributeValue;
using documents::SetAttributeValue;

namespace {

constexpr int kObjectNotSet = 91;

// The `Cell` of the span anchor of (col, row) in the sheet's document; throws when
// the cell holds no data (a label).
xml::Node findCell(grid::Spread& grid, int sheet, int col, int row) {
    sheetdocs::GetCellSpan(grid, col, row);
    const xml::DocumentPtr doc = clsVariables().Data(sheet - 1);
    if (!doc) throw RuntimeError(kObjectNotSet, "The sheet has no document");
    const std::string id = sheetdocs::MakeCellID(grid, col, row);
    xml::Node cell = doc->elementById(id);
    if (cell.isNull()) throw RuntimeError(kObjectNotSet, "No data cell at " + id);
    return cell;
}

// The row group (`Cells`) that holds (col, row) of the sheet, with its section and
// its rows in the input and the printed grid.
struct RowGroup {
    xml::Node group, section;
    int rows = 0, reportRows = 0, first = 0, last = 0;
    bool dynamic() const { return GetAttributeValue(section, "Dynamic") == "1"; }
};

RowGroup rowGroupAt(grid::Spread& grid, int sheet, int col, int row) {
    RowGroup g;
    g.group = findCell(grid, sheet, col, row).parent();
    g.section = g.group.parent();
    g.rows = sheetdocs::GetRowGroupSize(grid, g.group, g.reportRows, g.first, g.last);
    return g;
}

std::string stripChars(const std::string& s, const std::string& chars) {
    std::string out;
    for (char c : s)
        if (chars.find(c) == std::string::npos) out.push_back(c);
    return out;
}

}  // namespace

void InsertNode(DeclarationSession& session, grid::Spread& grid, int col, int row) {
    InsertNodes(session, grid, col, row, 1, "InsertNode");
}

int InsertNodes(DeclarationSession& session, grid::Spread& grid, int col, int row, int count,
                const char* procedure) {
    try {
        if (count < 1) return 0;
        const int sheet = session.currentSheet;
        const RowGroup at = rowGroupAt(grid, sheet, col, row);
        if (!at.dynamic()) return 0;
        const int maxRows = static_cast<int>(text::leadingValue(GetAttributeValue(at.section, "MaxRows")));
        const int present = static_cast<int>(at.section.childElements("Cells").size());
        if (maxRows > 0) count = std::min(count, std::max(0, maxRows - present));
        if (count == 0) return 0;

        grid.setSheet(sheet);
        // The grid rows first: their cleaning asks the document which cells of the
        // group are bound, before the identifiers below move.
        sheetdocs::InsertRowCopies(grid, at.first, at.last, count);
        const std::vector<xml::Node> copies = sheetdocs::InsertRowGroupCopies(grid, at.group, count);
        // Every copy starts empty: 0 in number cells, as the group's cell kinds say.
        std::vector<std::string> empty;
        for (const xml::Node& member : at.group.childElements("Cell")) {
            int c = 0, r = 0;
            sheetdocs::ParserCellID(grid, GetAttributeValue(member, "CellID"), c, r);
            grid.setSheet(sheet);
            grid.setPosition(c, r);
            empty.push_back(c > 0 && grid.cellType() == grid::CellType::Number ? "0" : "");
        }
        for (const xml::Node& copy : copies) {
            std::size_t i = 0;
            for (const xml::Node& member : copy.childElements("Cell"))
                SetAttributeValue(member, "Value", i < empty.size() ? empty[i++] : "");
        }
        clsVariables().AdjustData(sheet - 1, true);
        return count;
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", procedure, e);
        return 0;
    }
}

void DeleteNode(DeclarationSession& session, grid::Spread& grid, int sheet, int col, int row,
                bool ask) {
    try {
        grid.setSheet(sheet);
        const RowGroup at = rowGroupAt(grid, sheet, col, row);
        if (!at.dynamic()) return;
        xml::Node group = at.group;
        const xml::Node section = at.section;
        const int rows = at.rows, reportRows = at.reportRows, first = at.first;

        if (ask && rows > 1 && !IsRowGroupEmpty(grid, group)) {
            // Only an explicit Yes deletes data; a dismissed question keeps it.
            const int answer = clsMessageBox().DisplayMessage(kMsgDeleteRowGroup, msYesNo,
                                                              miQuestion, "Message", mrYes);
            if (answer != mrYes) return;
        }
        if (section.childElements("Cells").size() >= 2) {
            if (GetAttributeValue(group.firstChildElement("Cell"), "FirstCell") == "0") {
                const xml::Node next = group.nextSiblingElement("Cells");
                if (!next.isNull()) SetAttributeValue(next.firstChildElement("Cell"), "FirstCell", "0");
            }
            const int oldCol = grid.activeCol(), oldRow = grid.activeRow();
            sheetdocs::DeleteRow(grid, sheet, first, rows);
            group.remove();
            sheetdocs::DecreaseRowInDOM(grid, sheet, first + 1, rows, reportRows);
            // The cursor goes to the nearest open cell at or above where it was.
            grid.setSheet(sheet);
            int r = oldRow;
            for (; r > 1; --r) {
                grid.setPosition(oldCol, r);
                if (!grid.locked()) break;
            }
            grid.setActiveCell(oldCol, r < 1 ? 1 : r);
        } else {
            ClearRowGroup(session, grid, group);
        }
        clsVariables().AdjustData(session.currentSheet - 1, true);
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", "DeleteNode", e);
    }
}

void ClearRowGroup(DeclarationSession& session, grid::Spread& grid, const xml::Node& rowGroup) {
    for (const xml::Node& member : rowGroup.childElements("Cell")) {
        int c = 0, r = 0;
        sheetdocs::ParserCellID(grid, GetAttributeValue(member, "CellID"), c, r);
        if (c < 1 || r < 1) continue;
        grid.setSheet(session.currentSheet);
        grid.setPosition(c, r);
        const std::string empty = grid.cellType() == grid::CellType::Number ? "0" : "";
        grid.setText(empty);
        SetAttributeValue(member, "Value", empty);
        if (!grid.note().empty()) {
            grid.setNote("");
            grid.setBackColor(grid::kWhite);
        }
    }
}

bool IsRowGroupEmpty(grid::Spread& grid, const xml::Node& rowGroup) {
    for (const xml::Node& member : rowGroup.childElements("Cell")) {
        int c = 0, r = 0;
        sheetdocs::ParserCellID(grid, GetAttributeValue(member, "CellID"), c, r);
        const std::string value = GetAttributeValue(member, "Value");
        grid::CellType type = grid::CellType::Edit;
        if (c > 0 && r > 0) {
            grid.setPosition(c, r);
            type = grid.cellType();
        }
        switch (type) {
            case grid::CellType::Masked:
                if (!text::trimBlanks(stripChars(value, "/\\.")).empty()) return false;
                break;
            case grid::CellType::Number:
            case grid::CellType::Percent:
                if (!text::trimBlanks(stripChars(value, "0.")).empty()) return false;
                break;
            default:
                if (!value.empty()) return false;
        }
    }
    return true;
}

}  // namespace zevo::engine
