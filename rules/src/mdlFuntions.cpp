#include "zevo/rules/mdlFuntions.h"

#include "zevo/clsVariables.h"
#include "zevo/sheetdocs/CellAddress.h"

namespace zevo::rules {

namespace {
thread_local std::int16_t tCurrentSheet = 1;
}

std::int16_t currentSheetNumber() { return tCurrentSheet; }
void setCurrentSheetNumber(int sheet) { tCurrentSheet = static_cast<std::int16_t>(sheet); }

void SetCellValue(grid::Spread& grid, int col, int row, const std::string& text) {
    sheetdocs::GetCellSpan(grid, col, row);
    const std::string id = sheetdocs::MakeCellID(grid, col, row);
    xml::DocumentPtr doc = clsVariables().Data(currentSheetNumber() - 1);
    if (!doc) return;
    xml::Node cell = doc->elementById(id);
    if (cell.isNull()) return;
    SetAttributeValue(cell, "Value", text);
}

void SetCellList(grid::Spread& grid, int col, int row, const std::string& list) {
    grid.setPosition(currentSheetNumber(), col, row);
    grid.setComboList(list);
}

std::string removeAll(std::string text, std::string_view what) {
    if (what.empty()) return text;
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (true) {
        std::size_t hit = text.find(what, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        pos = hit + what.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

std::size_t charCount(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace zevo::rules
