#pragma once
// Workbooks built in code for the grid tests.
#include <string>

#include "zevo/grid/SpreadModel.h"
#include "zevo/grid/WorkbookData.h"

namespace zevo::grid::test {

inline int addStyle(WorkbookData& wb, const std::string& numberFormat, bool locked = true,
                    std::optional<Colour> fill = std::nullopt) {
    StyleData st;
    st.numberFormat = numberFormat;
    st.locked = locked;
    st.fill = fill;
    wb.styles.push_back(st);
    return static_cast<int>(wb.styles.size()) - 1;
}

inline CellData textCell(int col, int row, const std::string& text, int style = 0) {
    CellData c;
    c.col = col;
    c.row = row;
    c.type = CellValueType::String;
    c.text = text;
    c.style = style;
    return c;
}

inline CellData numberCell(int col, int row, double v, int style = 0) {
    CellData c;
    c.col = col;
    c.row = row;
    c.type = CellValueType::Number;
    c.number = v;
    c.style = style;
    return c;
}

inline CellData formulaCell(int col, int row, const std::string& formula, int style = 0) {
    CellData c;
    c.col = col;
    c.row = row;
    c.formula = formula;
    c.style = style;
    return c;
}

inline SheetData sheetNamed(const std::string& name, int cols, int rows) {
    SheetData s;
    s.name = name;
    s.maxCol = cols;
    s.maxRow = rows;
    return s;
}

}  // namespace zevo::grid::test
