#pragma once
// Reads an Office Open XML workbook (.xlsx) into plain workbook data: sheets in
// workbook order with names and visibility, cell values, formulas (shared formulas
// expanded per cell), cell formats, merged cells, column widths (pixels), row
// heights (points), row page breaks, page setup, frozen panes and notes.
//
// Untrusted files are expected: a damaged, truncated or hostile file (zip bomb,
// entity expansion, absurd sizes) throws zevo::RuntimeError with a readable
// reason; nothing beyond fixed per-part and per-workbook limits is ever allocated
// (std::bad_alloc never escapes).
#include <cstddef>
#include <string>

#include "zevo/grid/WorkbookData.h"

namespace zevo::grid {

namespace xlsx {
// Error numbers of the reader and the writer (the runtime's numbering).
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrPermissionDenied = 70;
inline constexpr int kErrFileAccess = 75;        // path/file access error
inline constexpr int kErrPathNotFound = 76;
inline constexpr int kErrInvalidFormat = 321;    // not a readable workbook

// Limits that keep a hostile file from exhausting memory.
inline constexpr std::size_t kMaxPartBytes = 64u << 20;    // one uncompressed part
inline constexpr std::size_t kMaxSmallPartBytes = 16u << 20;  // workbook, styles, rels
inline constexpr std::size_t kMaxCells = 2'000'000;        // cells of the whole workbook
// Text a workbook may decode to (cell texts, formulas, notes, style names) once
// shared strings, shared formulas and fonts are copied where they are used.
inline constexpr std::size_t kMaxDecodedBytes = 256u << 20;
inline constexpr std::size_t kMaxColumnEntries = 1u << 20;  // column settings of one sheet
inline constexpr std::size_t kMaxTotalRows = 8u << 20;      // rows of all sheets together
inline constexpr int kMaxRows = 1'048'576;
inline constexpr int kMaxCols = 16'384;
}  // namespace xlsx

// Throws RuntimeError: kErrFileNotFound when `path` does not exist, kErrInvalidFormat
// (with the reason) when it is not a readable workbook.
WorkbookData readXlsx(const std::string& path);

}  // namespace zevo::grid
