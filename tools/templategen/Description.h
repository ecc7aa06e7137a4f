#pragma once
// Text description of a template workbook: its sheets, layout, labels, formulas
// and the data cells bound to the sheet documents. One description gives the
// .xlsx workbook, and for input workbooks also the blank sheet documents, the
// interface ini files and the status ids used.
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zevo::tools {

struct CellAddress {
    int col = 0;   // 1-based
    int row = 0;   // 1-based
    bool operator<(const CellAddress& o) const { return row != o.row ? row < o.row : col < o.col; }
    bool operator==(const CellAddress& o) const = default;
};

// "K9" or "K_9" -> position; throws std::runtime_error when malformed.
CellAddress parseAddress(const std::string& text);
std::string columnLetters(int col);
int columnNumber(const std::string& letters);
std::string cellId(const CellAddress& a);   // "K_9"

struct StyleDef {
    std::string name;
    std::string font;
    double size = 0;          // 0 = default
    bool bold = false, italic = false, wrap = false, border = false, unlocked = false;
    int fill = -1;            // 0xRRGGBB, -1 = none
    int fontColour = -1;
    std::string align, valign, numberFormat;
};

enum class CellKind { Label, Formula, Number, Data };

struct CellDef {
    CellKind kind = CellKind::Label;
    CellAddress at;
    CellAddress to;             // end of the merged block (== at when not merged)
    std::string style;
    std::string text;           // label text, formula, preset value
    double number = 0;
    std::string note;
    // Data cells: document and ini attributes (id2, encode, receive, status, maxlen,
    // min, max, digits, help, pagebreak, marker).
    std::map<std::string, std::string> attrs;
    int section = -1;           // index into SheetDef::sections (data cells of input sheets)
    int line = 0;
};

struct SectionDef {
    bool dynamic = false;
    int maxRows = 0;
    std::string receive;        // "" = attribute not written
};

struct SheetDef {
    std::string name;
    bool hidden = false, landscape = false, protect = false;
    int paper = 9;              // 9 = A4, 8 = A3
    int fitWidth = 0;           // pages wide when fitting, 0 = no fitting
    double margins[4] = {0.5, 0.4, 0.6, 0.5};   // left, right, top, bottom (inches)
    std::string document;       // blank sheet document base name
    std::string interfaceIni;   // interface ini base name
    std::string reportIni;      // report ini base name (report workbooks)
    std::string orientation;    // "PaperOrientation" of the report ini
    std::map<int, int> widths;           // column -> pixels (0 = hidden)
    std::map<int, double> heights;       // row -> points
    std::vector<SectionDef> sections;
    std::vector<CellDef> cells;
};

struct Description {
    std::string path;
    std::map<std::string, StyleDef> styles;
    std::vector<SheetDef> sheets;

    const SheetDef* sheet(const std::string& name) const;
};

// Reads a description. Lines starting "[NAME]" apply only when NAME is among the
// defines, "[!NAME]" only when it is not. Throws std::runtime_error naming the
// file and line of the first error.
Description readDescription(const std::string& path, const std::set<std::string>& defines = {});

// Splits a line into tokens: words and double-quoted strings (\" and \\ escapes,
// \n stays as the two characters). key=value and key="quoted value" are one token.
std::vector<std::string> tokenize(const std::string& line, int lineNo, const std::string& path);

}  // namespace zevo::tools
