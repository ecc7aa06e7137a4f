#pragma once
// A cell or rectangular range that a formula refers to, in A1 terms.
#include <string>

namespace zevo::grid::formula {

// Largest row and column a reference may address (as in .xlsx workbooks).
inline constexpr int kMaxRow = 1048576;
inline constexpr int kMaxCol = 16384;

struct CellRef {
    int col = 1;               // 1-based
    int row = 1;               // 1-based
    bool colAbsolute = false;  // "$A1"
    bool rowAbsolute = false;  // "A$1"
    bool operator==(const CellRef&) const = default;
};

struct Reference {
    // Sheet name as written in the formula, without quotes; "" = the sheet the
    // formula lives on.
    std::string sheet;
    // A single cell has first == last and isRange false. Ranges are kept with
    // first at the top-left and last at the bottom-right.
    CellRef first;
    CellRef last;
    bool isRange = false;
    bool operator==(const Reference&) const = default;

    bool contains(int col, int row) const {
        return col >= first.col && col <= last.col && row >= first.row && row <= last.row;
    }
};

}  // namespace zevo::grid::formula
