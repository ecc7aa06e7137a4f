#include "TemplateWorkbook.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "zevo/grid/XlsxWriter.h"

namespace zevo::tools {

namespace {

constexpr const char* kDefaultFont = "DejaVu Sans";
constexpr double kDefaultSize = 9;

// Description colours are 0xRRGGBB; the grid's are 0xBBGGRR.
grid::Colour colour(int rrggbb) {
    return grid::rgb((rrggbb >> 16) & 0xFF, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF);
}

grid::StyleData styleData(const StyleDef& s) {
    grid::StyleData out;
    out.font.name = s.font.empty() ? kDefaultFont : s.font;
    out.font.size = s.size > 0 ? s.size : kDefaultSize;
    out.font.bold = s.bold;
    out.font.italic = s.italic;
    if (s.fontColour >= 0) out.font.colour = colour(s.fontColour);
    out.wrap = s.wrap;
    out.border = s.border;
    out.locked = !s.unlocked;
    if (s.fill >= 0) out.fill = colour(s.fill);
    if (s.align == "left") out.hAlign = grid::HAlign::Left;
    else if (s.align == "center") out.hAlign = grid::HAlign::Center;
    else if (s.align == "right") out.hAlign = grid::HAlign::Right;
    if (s.valign == "top") out.vAlign = grid::VAlign::Top;
    else if (s.valign == "center") out.vAlign = grid::VAlign::Center;
    out.numberFormat = s.numberFormat;
    return out;
}

// What a data cell shows in a blank form: its marker ("cbo", "chk"), else its preset.
std::string dataText(const CellDef& c) {
    auto m = c.attrs.find("marker");
    if (m != c.attrs.end()) return m->second;
    return c.text;
}

bool looksNumeric(const std::string& s, double& value) {
    if (s.empty()) return false;
    try {
        std::size_t used = 0;
        value = std::stod(s, &used);
        return used == s.size();
    } catch (...) {
        return false;
    }
}

// The anchor cell of one described cell (or merged block).
grid::CellData cellData(const CellDef& c, const Description& d, int style) {
    grid::CellData out;
    out.col = c.at.col;
    out.row = c.at.row;
    out.style = style;
    out.comment = c.note;
    switch (c.kind) {
    case CellKind::Label:
        out.type = c.text.empty() ? grid::CellValueType::Empty : grid::CellValueType::String;
        out.text = c.text;
        break;
    case CellKind::Formula:
        out.type = grid::CellValueType::Number;   // not yet computed
        out.formula = c.text.substr(1);
        break;
    case CellKind::Number:
        out.type = grid::CellValueType::Number;
        out.number = c.number;
        break;
    case CellKind::Data: {
        // A preset that looks like a number is stored as one under a number format.
        const std::string& format = d.styles.at(c.style).numberFormat;
        const std::string text = dataText(c);
        double n;
        if (text.empty()) out.type = grid::CellValueType::Empty;
        else if (!format.empty() && format != "@" && looksNumeric(text, n)) {
            out.type = grid::CellValueType::Number;
            out.number = n;
        } else {
            out.type = grid::CellValueType::String;
            out.text = text;
        }
        break;
    }
    }
    return out;
}

}  // namespace

grid::WorkbookData workbookData(const Description& d) {
    grid::WorkbookData book;
    std::map<std::string, int> styles;
    for (const auto& [name, style] : d.styles) {
        styles[name] = static_cast<int>(book.styles.size());
        book.styles.push_back(styleData(style));
    }
    const int endStyle = static_cast<int>(book.styles.size());
    book.styles.push_back(styleData(StyleDef{}));

    for (const auto& sd : d.sheets) {
        grid::SheetData sheet;
        sheet.name = sd.name;
        sheet.hidden = sd.hidden;
        sheet.protectedSheet = sd.protect;
        sheet.landscape = sd.landscape;
        sheet.marginLeft = sd.margins[0];
        sheet.marginRight = sd.margins[1];
        sheet.marginTop = sd.margins[2];
        sheet.marginBottom = sd.margins[3];
        sheet.paperSize = sd.paper;
        sheet.fitToWidth = sd.fitWidth;
        for (const auto& [col, px] : sd.widths) sheet.colWidthsPx[col] = px > 0 ? px : 0;
        for (const auto& [row, pt] : sd.heights) sheet.rowHeightsPt[row] = pt;

        // Cells stay in the description's order rather than row-major: the writer
        // takes any order, and this one numbers the shared strings as before.
        int lastRow = 0, lastCol = 0;
        for (const auto& c : sd.cells) {
            if (c.style.empty()) continue;   // bound only, not part of this workbook
            const int style = styles.at(c.style);
            sheet.cells.push_back(cellData(c, d, style));
            if (!(c.at == c.to)) {
                sheet.merges.push_back({c.at.col, c.at.row, c.to.col, c.to.row});
                // The rest of a merged block carries the block's format (its borders).
                for (int r = c.at.row; r <= c.to.row; ++r)
                    for (int col = c.at.col; col <= c.to.col; ++col)
                        if (r != c.at.row || col != c.at.col) sheet.cells.push_back({col, r, {}, 0, {}, {}, style, {}});
            }
            lastRow = std::max(lastRow, c.to.row);
            lastCol = std::max(lastCol, c.to.col);
        }
        // The grid limits a sheet to one less than its used columns and rows; an
        // empty formatted cell beyond the last described one keeps the form whole.
        for (const auto& [col, px] : sd.widths) lastCol = std::max(lastCol, col);
        if (lastRow > 0 && lastCol > 0) {
            sheet.cells.push_back({lastCol + 1, lastRow + 1, {}, 0, {}, {}, endStyle, {}});
            sheet.maxRow = lastRow + 1;
            sheet.maxCol = lastCol + 1;
        }
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

void writeWorkbook(const Description& d, const std::string& outPath) {
    grid::writeXlsx(workbookData(d), outPath);
    // The grid's writer keeps a new file private (a report holds personal data);
    // a template is installed for everyone, as any file the build makes.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(outPath.c_str(), 0666 & ~mask);
}

}  // namespace zevo::tools
