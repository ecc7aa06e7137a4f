#pragma once
// Plain description of a workbook as it is stored in a file: what the .xlsx reader
// produces and the .xlsx writer consumes. The grid model converts to and from it,
// so that parsing stays apart from storage.
//
// Conventions both sides keep (for the grid model's converter):
// - a column width of 0 px or a row height of 0 pt means hidden;
// - a column without an entry in colWidthsPx is kSheetDefaultColWidthPx wide, a row
//   without an entry in rowHeightsPt is SheetData::defaultRowHeightPt high;
// - the reader gives one StyleData per cell format of the file (index = the
//   file's format index), so styles may repeat; out-of-range indices mean 0;
// - cells are sorted row-major and hold at most one entry per position; an
//   Empty cell may still carry a style, a formula (not yet computed) or a note.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zevo::grid {

// Colours are 0x00BBGGRR ("r + 256 g + 65536 b"), as the declaration's colour
// values are written (12632319 = RGB 255, 192, 192).
using Colour = std::uint32_t;
constexpr Colour rgb(int r, int g, int b) {
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}
constexpr Colour kWhite = rgb(255, 255, 255);

// Spreadsheet defaults for columns and rows without their own size.
constexpr double kSheetDefaultColWidthPx = 64;
constexpr double kSheetDefaultRowHeightPt = 15;

enum class HAlign { General, Left, Center, Right };
enum class VAlign { Top, Center, Bottom };

struct FontData {
    std::string name = "DejaVu Sans";
    double size = 10.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    Colour colour = 0;   // black
    bool operator==(const FontData&) const = default;
};

struct StyleData {
    std::optional<Colour> fill;          // no fill = white background
    bool locked = true;                  // spreadsheet default
    std::string numberFormat;            // "" = General; built-in ids resolved to their code
    FontData font;
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    bool border = false;                 // thin border on all sides
    bool operator==(const StyleData&) const = default;
};

enum class CellValueType { Empty, Number, String, Boolean, Error };

struct CellData {
    int col = 0;   // 1-based
    int row = 0;   // 1-based
    CellValueType type = CellValueType::Empty;
    double number = 0;       // Number value; Boolean: 0 or 1
    std::string text;        // string value, or the error text ("#REF!")
    std::string formula;     // without the leading "="; "" = none
    int style = 0;           // index into WorkbookData::styles
    std::string comment;     // note text
    bool operator==(const CellData&) const = default;
};

struct MergeData {
    int firstCol = 0, firstRow = 0, lastCol = 0, lastRow = 0;   // 1-based, inclusive
    bool operator==(const MergeData&) const = default;
};

struct SheetData {
    std::string name;
    bool hidden = false;
    bool protectedSheet = false;   // sheet protection on: locked cells refuse edits
    bool landscape = false;
    // Page margins in inches (left, right, top, bottom).
    double marginLeft = 0.7, marginRight = 0.7, marginTop = 0.75, marginBottom = 0.75;
    int paperSize = 0;     // spreadsheet paper code (9 = A4, 8 = A3); 0 = the printer's default
    int fitToWidth = 0;    // fitted to pages: pages wide; 0 = not fitted
    int fitToHeight = 0;   // fitted to pages: pages high; 0 = as many as needed
    int maxCol = 0;   // used range (1-based, inclusive); 0 = empty sheet
    int maxRow = 0;
    double defaultRowHeightPt = kSheetDefaultRowHeightPt;
    std::map<int, double> colWidthsPx;    // column -> width in pixels
    std::map<int, double> rowHeightsPt;   // row -> height in points
    std::map<int, int> colStyles;         // column -> default style of empty cells
    std::vector<int> rowBreaks;           // rows after which a page break stands
    int frozenRows = 0;
    int frozenCols = 0;
    std::vector<CellData> cells;          // row-major order
    std::vector<MergeData> merges;
};

struct WorkbookData {
    std::vector<SheetData> sheets;
    std::vector<StyleData> styles{StyleData{}};   // index 0 = default style
};

}  // namespace zevo::grid
