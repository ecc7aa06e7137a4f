#pragma once
// What the evaluator needs from the workbook. The grid model implements it; the
// evaluator never stores cells itself.
#include <string_view>

#include "zevo/grid/formula/Reference.h"
#include "zevo/grid/formula/Value.h"

namespace zevo::grid::formula {

class EvalContext {
public:
    virtual ~EvalContext() = default;

    // Sheets are identified by a number the implementation chooses (for example
    // the 0-based sheet index); the evaluator only passes it back.

    // The sheet of the formula being evaluated: unqualified references read it.
    virtual int currentSheet() const = 0;

    // The sheet named `name`, compared case-insensitively (formula::equalsIgnoreCase),
    // or -1 when there is none; references to it then evaluate to #REF!.
    virtual int findSheet(std::string_view name) const = 0;

    // The value of one cell: Empty for a blank cell (no text, no formula),
    // Number / String / Boolean for content, and for a formula cell its computed
    // value (evaluate it on demand; a cell that depends on itself should give an
    // error value, never recurse without end).
    virtual Value cellValue(int sheet, int col, int row) = 0;

    // Ranges are clipped to these bounds before their cells are read, so that
    // A1:A1048576 costs as much as the sheet's data. Cells beyond must be blank.
    virtual int lastRow(int sheet) const { return kMaxRow; }
    virtual int lastCol(int sheet) const { return kMaxCol; }
};

}  // namespace zevo::grid::formula
