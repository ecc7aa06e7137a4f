#pragma once
// Individuals from a payroll export appended to the list of the first sheet.
//
// Every row is checked first against what typing would take (dates, pick lists
// searched as the grid's pick lists search, the province's own districts and the
// district's own wards, lengths, digits, tax codes); a row with a value that
// cannot be taken is left out whole, and each such value is reported. The rows
// that pass are appended in one step (one grid insertion, one walk of the sheet
// document) and their values are typed through the grid's user entry point, so
// the rules react to them as to typing (catalogue ids, the second address, dates,
// tax codes); the completion checks then run. A value the rules did not keep as
// typed is reported too. Nothing is saved here.
#include <string>
#include <vector>

#include "zevo/engine/ListSource.h"

namespace zevo::engine {

class MainController;

struct ImportIssue {
    int row = 0;              // the file's row number (1 = its first row)
    std::string column;       // the file's column letters
    std::string field;        // the field's caption
    std::string value;        // the value in the file
    std::string reason;
    bool rowLeftOut = true;   // false: the row was imported, this cell as the rules left it
};

struct ImportReport {
    int dataRows = 0;    // rows below the header holding any mapped value
    int imported = 0;
    int leftOut = 0;
    int firstListRow = 0, lastListRow = 0;   // the sheet rows that received them (0: none)
    std::vector<ImportIssue> issues;
    std::string failure;   // why nothing was imported; "" when the import ran

    bool complete() const { return failure.empty() && leftOut == 0 && issues.empty(); }
    // "Đã nhập 495 dòng, 5 dòng không nhập." and the like.
    std::string summary() const;
    // One line per issue: row, column, field, value, reason, tab-separated, after a
    // heading line.
    std::string table() const;
};

// Rows of `table` below its header row, mapped by `mapping`, into the open
// declaration of `controller` (which must have its rule object). Blank rows are
// skipped.
ImportReport importList(MainController& controller, const SourceTable& table, const ColumnMapping& mapping);

}  // namespace zevo::engine
