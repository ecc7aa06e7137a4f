#include "XlsxSheetParts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "CellRef.h"
#include "XmlPull.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/XlsxReader.h"

namespace zevo::grid::xlsx {

namespace {

std::optional<double> toDouble(const std::string& s) {
    double v = 0;
    const char* b = s.data();
    const char* e = s.data() + s.size();
    while (b < e && (*b == ' ' || *b == '+')) ++b;
    auto [p, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || p != e || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<long long> toInt(const std::string& s) {
    long long v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    return v;
}

bool isTrue(const std::optional<std::string>& v) { return v && (*v == "1" || *v == "true"); }

// Text of a rich-text container (<si>, <is>, <text>): its runs joined, phonetic hints left out.
std::string richText(XmlPull& x) {
    std::string out;
    if (x.isEmpty()) return out;
    const int level = x.depth();
    while (x.next()) {
        if (x.isEnd() && x.depth() == level) return out;
        if (!x.isStart()) continue;
        if (x.name() == "t") out += x.text();
        else if (x.name() == "rPh") x.skip();
    }
    x.fail("unexpected end of document");
}

void takeCell(SheetContext& context, XmlPull& x) {
    if (context.cellsLeft == 0) x.fail("too many cells");
    --context.cellsLeft;
}

void finishSheet(SheetData& sheet) {
    auto before = [](const CellData& a, const CellData& b) { return a.row != b.row ? a.row < b.row : a.col < b.col; };
    // Files list cells in row-major order: sorting is the exception.
    if (!std::is_sorted(sheet.cells.begin(), sheet.cells.end(), before))
        std::stable_sort(sheet.cells.begin(), sheet.cells.end(), before);
    // One entry per position: a later duplicate wins.
    auto& cells = sheet.cells;
    std::size_t out = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (out > 0 && cells[out - 1].row == cells[i].row && cells[out - 1].col == cells[i].col)
            cells[out - 1] = std::move(cells[i]);
        else if (out != i)
            cells[out++] = std::move(cells[i]);
        else
            ++out;
    }
    cells.resize(out);
    sheet.maxCol = sheet.maxRow = 0;
    for (const auto& c : sheet.cells) {
        sheet.maxCol = std::max(sheet.maxCol, c.col);
        sheet.maxRow = std::max(sheet.maxRow, c.row);
    }
    for (const auto& m : sheet.merges) {
        sheet.maxCol = std::max(sheet.maxCol, m.lastCol);
        sheet.maxRow = std::max(sheet.maxRow, m.lastRow);
    }
}

struct SharedFormula {
    std::string text;
    int col = 0, row = 0;
};

}  // namespace

std::vector<std::string> parseSharedStrings(const std::string& xml) {
    std::vector<std::string> out;
    XmlPull x(xml, "sharedStrings");
    while (x.next()) {
        if (x.isStart() && x.name() == "si") {
            out.push_back(richText(x));
            if (out.size() > kMaxCells) x.fail("too many strings");
        }
    }
    return out;
}

SheetData parseWorksheet(const std::string& xml, const std::string& partName, SheetContext& context) {
    SheetData sheet;
    XmlPull x(xml, partName);
    std::map<std::string, SharedFormula> shared;
    bool firstView = true;
    int row = 0;          // current row number, 0 = outside a row or skipped
    int lastRow = 0;      // for rows without a number
    int lastCol = 0;      // for cells without a reference

    while (x.next()) {
        if (!x.isStart()) {
            if (x.name() == "sheetView") firstView = false;
            continue;
        }
        const std::string_view n = x.name();
        if (n == "sheetView") {
            if (x.isEmpty()) firstView = false;
        } else if (n == "pane" && firstView) {
            const std::string state = x.attrOr("state");
            if (state == "frozen" || state == "frozenSplit") {
                const auto cols = toDouble(x.attrOr("xSplit", "0"));
                const auto rows = toDouble(x.attrOr("ySplit", "0"));
                if (cols && *cols >= 0 && *cols < kMaxCols) sheet.frozenCols = static_cast<int>(*cols);
                if (rows && *rows >= 0 && *rows < kMaxRows) sheet.frozenRows = static_cast<int>(*rows);
            }
        } else if (n == "sheetFormatPr") {
            if (auto h = toDouble(x.attrOr("defaultRowHeight")); h && *h >= 0 && *h <= 409)
                sheet.defaultRowHeightPt = *h;
        } else if (n == "col") {
            const auto first = toInt(x.attrOr("min"));
            const auto last = toInt(x.attrOr("max"));
            if (!first || !last || *first < 1 || *first > kMaxCols || *last < *first) continue;
            const int from = static_cast<int>(*first);
            const int to = static_cast<int>(std::min<long long>(*last, kMaxCols));
            std::optional<double> px;
            if (isTrue(x.attr("hidden"))) {
                px = 0;
            } else if (auto w = toDouble(x.attrOr("width")); w && *w >= 0 && *w <= 255) {
                // Character widths to pixels for a maximum digit width of 7 pixels.
                const double p = std::trunc(((256 * *w + std::trunc(128.0 / 7)) / 256) * 7);
                if (isTrue(x.attr("customWidth")) || p != kSheetDefaultColWidthPx) px = p;
            }
            long long style = toInt(x.attrOr("style", "0")).value_or(0);
            if (style < 0 || static_cast<std::size_t>(style) >= context.styleCount) style = 0;
            for (int c = from; c <= to; ++c) {
                if (px) sheet.colWidthsPx[c] = *px;
                if (style != 0) sheet.colStyles[c] = static_cast<int>(style);
            }
        } else if (n == "row") {
            auto r = x.attr("r") ? toInt(*x.attr("r")) : std::optional<long long>(lastRow + 1);
            row = (r && *r >= 1 && *r <= kMaxRows) ? static_cast<int>(*r) : 0;
            lastCol = 0;
            if (row == 0) {
                x.skip();   // beyond the largest sheet: ignored with its cells
                continue;
            }
            lastRow = row;
            if (isTrue(x.attr("hidden"))) {
                sheet.rowHeightsPt[row] = 0;
            } else if (auto ht = toDouble(x.attrOr("ht")); ht && *ht >= 0 && *ht <= 409) {
                *ht = std::round(*ht * 1e9) / 1e9;   // heights are whole fractions of a point
                if (isTrue(x.attr("customHeight")) || *ht != sheet.defaultRowHeightPt) sheet.rowHeightsPt[row] = *ht;
            }
            if (x.isEmpty()) row = 0;
        } else if (n == "c") {
            int col = 0, cellRow = 0;
            if (auto ref = x.attr("r")) {
                if (!parseCellRef(*ref, col, cellRow)) {
                    x.skip();   // malformed or beyond the largest sheet
                    continue;
                }
            } else {
                col = lastCol + 1;
                cellRow = row;
                if (cellRow == 0 || col > kMaxCols) {
                    x.skip();
                    continue;
                }
            }
            lastCol = col;
            takeCell(context, x);
            CellData cell;
            cell.col = col;
            cell.row = cellRow;
            long long style = toInt(x.attrOr("s", "0")).value_or(0);
            if (style < 0 || static_cast<std::size_t>(style) >= context.styleCount) style = 0;
            cell.style = static_cast<int>(style);
            const std::string type = x.attrOr("t", "n");
            std::optional<std::string> value;
            std::optional<std::string> inlineText;
            if (!x.isEmpty()) {
                const int level = x.depth();
                while (x.next()) {
                    if (x.isEnd() && x.depth() == level) break;
                    if (!x.isStart()) continue;
                    const std::string_view child = x.name();
                    if (child == "v") {
                        value = x.text();
                    } else if (child == "is") {
                        inlineText = richText(x);
                    } else if (child == "f") {
                        const std::string kind = x.attrOr("t", "normal");
                        const std::string si = x.attrOr("si");
                        const bool hasRef = x.attr("ref").has_value();
                        std::string text = x.text();
                        if (kind == "shared" && !si.empty()) {
                            if (!text.empty() && hasRef) {
                                shared[si] = {text, col, cellRow};
                            } else if (text.empty()) {
                                auto it = shared.find(si);
                                if (it != shared.end())
                                    text = offsetFormula(it->second.text, cellRow - it->second.row, col - it->second.col);
                            }
                        }
                        if (kind != "dataTable") cell.formula = std::move(text);
                    } else {
                        x.skip();
                    }
                }
            }
            if (type == "inlineStr") {
                if (inlineText) {
                    cell.type = CellValueType::String;
                    cell.text = std::move(*inlineText);
                } else if (value) {
                    cell.type = CellValueType::String;
                    cell.text = std::move(*value);
                }
            } else if (value) {
                if (type == "s") {
                    const auto index = toInt(*value);
                    if (!index || *index < 0 || static_cast<std::size_t>(*index) >= context.sharedStrings.size())
                        x.fail("cell " + columnLetters(col) + std::to_string(cellRow) + " refers to a missing shared string");
                    cell.type = CellValueType::String;
                    cell.text = context.sharedStrings[static_cast<std::size_t>(*index)];
                } else if (type == "str" || type == "d") {
                    cell.type = CellValueType::String;
                    cell.text = std::move(*value);
                } else if (type == "b") {
                    cell.type = CellValueType::Boolean;
                    cell.number = (*value == "1" || *value == "true") ? 1 : 0;
                } else if (type == "e") {
                    cell.type = CellValueType::Error;
                    cell.text = std::move(*value);
                } else if (auto number = toDouble(*value)) {
                    cell.type = CellValueType::Number;
                    cell.number = *number;
                } else if (!value->empty()) {
                    cell.type = CellValueType::String;   // not a number after all: keep the text
                    cell.text = std::move(*value);
                }
            }
            sheet.cells.push_back(std::move(cell));
        } else if (n == "mergeCell") {
            MergeData m;
            if (parseRangeRef(x.attrOr("ref"), m.firstCol, m.firstRow, m.lastCol, m.lastRow)) sheet.merges.push_back(m);
        } else if (n == "pageMargins") {
            auto margin = [&](const char* name, double& target) {
                if (auto v = toDouble(x.attrOr(name)); v && *v >= 0 && *v < 100) target = *v;
            };
            margin("left", sheet.marginLeft);
            margin("right", sheet.marginRight);
            margin("top", sheet.marginTop);
            margin("bottom", sheet.marginBottom);
        } else if (n == "sheetProtection") {
            sheet.protectedSheet = isTrue(x.attr("sheet"));
        } else if (n == "pageSetup") {
            sheet.landscape = x.attrOr("orientation") == "landscape";
        } else if (n == "rowBreaks") {
            const int level = x.depth();
            if (x.isEmpty()) continue;
            while (x.next()) {
                if (x.isEnd() && x.depth() == level) break;
                if (x.isStart() && x.name() == "brk") {
                    const auto id = toInt(x.attrOr("id"));
                    if (id && *id >= 1 && *id <= kMaxRows) sheet.rowBreaks.push_back(static_cast<int>(*id));
                }
            }
            std::sort(sheet.rowBreaks.begin(), sheet.rowBreaks.end());
            sheet.rowBreaks.erase(std::unique(sheet.rowBreaks.begin(), sheet.rowBreaks.end()), sheet.rowBreaks.end());
        } else if (n == "extLst" || n == "colBreaks" || n == "conditionalFormatting" || n == "dataValidations") {
            x.skip();
        }
    }
    finishSheet(sheet);
    return sheet;
}

void applyComments(SheetData& sheet, const std::string& xml, const std::string& partName, SheetContext& context) {
    XmlPull x(xml, partName);
    bool added = false;
    while (x.next()) {
        if (!x.isStart() || x.name() != "comment") continue;
        int col = 0, row = 0;
        const bool ok = parseCellRef(x.attrOr("ref"), col, row);
        std::string text;
        if (!x.isEmpty()) {
            const int level = x.depth();
            while (x.next()) {
                if (x.isEnd() && x.depth() == level) break;
                if (x.isStart() && x.name() == "text") text += richText(x);
            }
        }
        if (!ok) continue;
        auto it = std::lower_bound(sheet.cells.begin(), sheet.cells.end(), std::pair(row, col),
                                   [](const CellData& c, const std::pair<int, int>& p) {
                                       return c.row != p.first ? c.row < p.first : c.col < p.second;
                                   });
        if (it != sheet.cells.end() && it->row == row && it->col == col) {
            it->comment = std::move(text);
        } else {
            takeCell(context, x);
            CellData cell;
            cell.col = col;
            cell.row = row;
            cell.comment = std::move(text);
            sheet.cells.insert(it, std::move(cell));
            added = true;
        }
    }
    if (added) finishSheet(sheet);
}

}  // namespace zevo::grid::xlsx
