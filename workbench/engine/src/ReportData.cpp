#include "zevo/engine/ReportData.h"

#include <exception>
#include <memory>
#include <vector>

#include "EngineText.h"
#include "zevo/ErrorLog.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/engine/clsUnicodeTCVNConverter.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/sheetdocs/RowShifting.h"

namespace zevo::engine {

using documents::GetAttributeValue;

namespace {

constexpr double kReportRowHeight = 14;

// Values for the cell's font: legacy TCVN fonts need TCVN bytes, every other font
// takes the Unicode text as it is.
class ReportValueEncoder {
public:
    std::string encode(const grid::Spread& grid, const std::string& value) {
        if (value.empty() || !text::startsWith(grid.font().name, ".Vn")) return value;
        if (!converter_) converter_ = std::make_unique<clsUnicodeTCVNConverter>();
        return converter_->Convert(value, UNICODE, TCVN);
    }

private:
    std::unique_ptr<clsUnicodeTCVNConverter> converter_;
};

}  // namespace

bool IsZeroOrEmpty(const std::string& text) {
    std::string rest;
    for (char c : text)
        if (c != '0' && c != '.') rest.push_back(c);
    return text::trimBlanks(rest).empty();
}

void SetupReportData(grid::Spread& grid) {
    try {
        clsVariables vars;
        const std::vector<xml::Node> entries = vars.NodeValidity().childElements("Sheet");
        ReportValueEncoder encoder;
        for (int i = 0; i <= vars.xmlDataCount(); ++i) {
            if (i < static_cast<int>(entries.size()) &&
                GetAttributeValue(entries[i], "Active") == "0")
                continue;
            const int sheet = i + 1;
            grid.setSheet(sheet);
            const xml::DocumentPtr doc = vars.Data(i);
            if (!doc || doc->isEmpty()) continue;
            for (const xml::Node& cell : doc->elementsByTagName("Cell")) {
                int col = 0, row = 0;
                sheetdocs::ParserCellID(grid, GetAttributeValue(cell, "CellID2"), col, row);
                const xml::Node group = cell.parent();
                if (GetAttributeValue(cell, "FirstCell") == "1") {
                    int reportRows = 0, first = 0, last = 0;
                    sheetdocs::GetRowGroupSize(grid, group, reportRows, first, last);
                    grid.setSheet(sheet);
                    sheetdocs::InsertRow(grid, row, reportRows, true);
                    for (const xml::Node& member : group.childElements("Cell")) {
                        int c = 0, r = 0;
                        sheetdocs::ParserCellID(grid, GetAttributeValue(member, "CellID2"), c, r);
                        if (c < 1 || r < 1) continue;
                        grid.setPosition(c, r);
                        if (grid.cellType() == grid::CellType::Number) grid.setValue("0");
                        else grid.setText("");
                    }
                    for (int r = row; r <= row + reportRows; ++r)
                        if (grid.rowHeight(r) > 13) grid.setRowHeight(r, kReportRowHeight);
                }
                if (col < 1 || row < 1) continue;
                grid.setPosition(col, row);
                if (GetAttributeValue(cell, "PageBreak") == "1")
                    grid.setRowPageBreak(row, !group.nextSiblingElement("Cells").isNull());
                const std::string value = GetAttributeValue(cell, "Value");
                if (!value.empty() && !IsZeroOrEmpty(value)) {
                    grid.setValue(encoder.encode(grid, value));
                } else if (grid.cellType() == grid::CellType::Number) {
                    grid.setText("");
                } else {
                    grid.setValue(encoder.encode(grid, value));
                }
                const double needed = grid.maxTextRowHeight(row);
                if (needed > grid.rowHeight(row)) grid.setRowHeight(row, needed - 1);
            }
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "SetupReportData", e);
    }
}

}  // namespace zevo::engine
