#pragma once
// Writes workbook data as an .xlsx file: every sheet (hidden ones hidden), values,
// formulas together with their computed values, cell formats, merged cells, column
// widths in pixels (so widths do not drift over read/write cycles), row heights,
// row page breaks, page setup, frozen panes and notes.
//
// The file is written next to `path` under a temporary name and renamed over it
// only when complete, so a failed write leaves any earlier file untouched.
//
// Known limits of the format library: a Boolean or error result of a formula is
// stored as a number or text; a plain error value is stored as its text; an empty
// text cell is stored as an empty cell. When every sheet is hidden the first one
// is written visible (a workbook needs one visible sheet).
#include <string>

#include "zevo/grid/WorkbookData.h"
#include "zevo/grid/XlsxReader.h"

namespace zevo::grid {

// Throws RuntimeError (numbers in XlsxReader.h's xlsx namespace: kErrPathNotFound,
// kErrPermissionDenied, kErrFileAccess, kErrInvalidFormat for data the format
// cannot hold, such as an invalid or duplicate sheet name).
void writeXlsx(const WorkbookData& workbook, const std::string& path);

}  // namespace zevo::grid
