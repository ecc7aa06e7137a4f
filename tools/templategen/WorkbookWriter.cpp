#include "WorkbookWriter.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <map>
#include <stdexcept>

namespace zevo::tools {

namespace {

constexpr const char* kDefaultFont = "DejaVu Sans";
constexpr double kDefaultSize = 9;

void check(lxw_error err, const std::string& what) {
    if (err != LXW_NO_ERROR) throw std::runtime_error(what + ": " + lxw_strerror(err));
}

lxw_format* makeFormat(lxw_workbook* wb, const StyleDef& s) {
    lxw_format* f = workbook_add_format(wb);
    format_set_font_name(f, s.font.empty() ? kDefaultFont : s.font.c_str());
    format_set_font_size(f, s.size > 0 ? s.size : kDefaultSize);
    if (s.bold) format_set_bold(f);
    if (s.italic) format_set_italic(f);
    if (s.wrap) format_set_text_wrap(f);
    if (s.border) format_set_border(f, LXW_BORDER_THIN);
    if (s.unlocked) format_set_unlocked(f);
    if (s.fill >= 0) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, static_cast<lxw_color_t>(s.fill));
    }
    if (s.fontColour >= 0) format_set_font_color(f, static_cast<lxw_color_t>(s.fontColour));
    if (s.align == "left") format_set_align(f, LXW_ALIGN_LEFT);
    else if (s.align == "center") format_set_align(f, LXW_ALIGN_CENTER);
    else if (s.align == "right") format_set_align(f, LXW_ALIGN_RIGHT);
    if (s.valign == "top") format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
    else if (s.valign == "center") format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    else if (s.valign == "bottom") format_set_align(f, LXW_ALIGN_VERTICAL_BOTTOM);
    if (!s.numberFormat.empty()) format_set_num_format(f, s.numberFormat.c_str());
    return f;
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

// One described cell (or merged block) with its format and note.
void writeCell(lxw_worksheet* ws, const CellDef& c, const Description& d, lxw_format* f) {
    lxw_row_t r = c.at.row - 1;
    lxw_col_t col = c.at.col - 1;
    bool merged = !(c.at == c.to);
    const bool numberStyle = !d.styles.at(c.style).numberFormat.empty() &&
                             d.styles.at(c.style).numberFormat != "@";
    if (merged) {
        std::string text = c.kind == CellKind::Label ? c.text
                         : c.kind == CellKind::Data  ? dataText(c)
                                                     : std::string();
        double n;
        if (c.kind == CellKind::Data && numberStyle && looksNumeric(text, n)) text.clear();
        check(worksheet_merge_range(ws, r, col, c.to.row - 1, c.to.col - 1, text.c_str(), f),
              "merge " + cellId(c.at));
        if (c.kind == CellKind::Label || (c.kind == CellKind::Data && text == dataText(c))) {
            if (!c.note.empty()) check(worksheet_write_comment(ws, r, col, c.note.c_str()), "note");
            return;
        }
    }
    switch (c.kind) {
    case CellKind::Label:
        check(worksheet_write_string(ws, r, col, c.text.c_str(), f), "label " + cellId(c.at));
        break;
    case CellKind::Formula:
        check(worksheet_write_formula_num(ws, r, col, c.text.c_str() + 1, f, 0), "formula " + cellId(c.at));
        break;
    case CellKind::Number:
        check(worksheet_write_number(ws, r, col, c.number, f), "number " + cellId(c.at));
        break;
    case CellKind::Data: {
        std::string text = dataText(c);
        double n;
        if (text.empty()) check(worksheet_write_blank(ws, r, col, f), "cell " + cellId(c.at));
        else if (numberStyle && looksNumeric(text, n))
            check(worksheet_write_number(ws, r, col, n, f), "cell " + cellId(c.at));
        else check(worksheet_write_string(ws, r, col, text.c_str(), f), "cell " + cellId(c.at));
        break;
    }
    }
    if (!c.note.empty()) check(worksheet_write_comment(ws, r, col, c.note.c_str()), "note");
}

}  // namespace

void writeWorkbook(const Description& d, const std::string& outPath) {
    lxw_workbook* wb = workbook_new(outPath.c_str());
    if (!wb) throw std::runtime_error("cannot create " + outPath);
    std::map<std::string, lxw_format*> formats;
    for (const auto& [name, style] : d.styles) formats[name] = makeFormat(wb, style);
    lxw_format* sentinel = makeFormat(wb, StyleDef{});

    for (const auto& sd : d.sheets) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, sd.name.c_str());
        if (!ws) throw std::runtime_error("cannot add sheet " + sd.name + " (name too long or invalid?)");
        for (const auto& [col, px] : sd.widths) {
            lxw_row_col_options hidden{};
            hidden.hidden = 1;
            check(worksheet_set_column_pixels_opt(ws, col - 1, col - 1, px > 0 ? px : 0, nullptr,
                                                  px > 0 ? nullptr : &hidden),
                  "column width");
        }
        for (const auto& [row, pt] : sd.heights) check(worksheet_set_row(ws, row - 1, pt, nullptr), "row height");
        for (const auto& c : sd.cells) {
            if (c.style.empty()) continue;   // bound only, not part of this workbook
            writeCell(ws, c, d, formats.at(c.style));
        }
        // The grid limits a sheet to one less than its used columns and rows; an
        // empty formatted cell beyond the last described one keeps the form whole.
        int lastRow = 0, lastCol = 0;
        for (const auto& c : sd.cells) {
            if (c.style.empty()) continue;
            lastRow = std::max(lastRow, c.to.row);
            lastCol = std::max(lastCol, c.to.col);
        }
        for (const auto& [col, px] : sd.widths) lastCol = std::max(lastCol, col);
        if (lastRow > 0 && lastCol > 0)
            check(worksheet_write_blank(ws, static_cast<lxw_row_t>(lastRow), static_cast<lxw_col_t>(lastCol), sentinel),
                  "end cell");
        worksheet_set_paper(ws, static_cast<uint8_t>(sd.paper));
        if (sd.landscape) worksheet_set_landscape(ws);
        else worksheet_set_portrait(ws);
        worksheet_set_margins(ws, sd.margins[0], sd.margins[1], sd.margins[2], sd.margins[3]);
        if (sd.fitWidth > 0) worksheet_fit_to_pages(ws, static_cast<uint16_t>(sd.fitWidth), 0);
        if (sd.protect) worksheet_protect(ws, nullptr, nullptr);
        if (sd.hidden) worksheet_hide(ws);
    }
    check(workbook_close(wb), "write " + outPath);
}

}  // namespace zevo::tools
