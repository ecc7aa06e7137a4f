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

// Counts text a cell keeps against the workbook's budget, before it is copied.
void takeText(SheetContext& context, XmlPull& x, std::size_t bytes) {
    if (bytes > context.bytesLeft) x.fail("workbook text too large once decoded");
    context.bytesLeft -= bytes;
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

namespace {

// One worksheet part read element by element: a handler per element it keeps.
class WorksheetReader {
public:
    WorksheetReader(const std::string& xml, const std::string& partName, SheetContext& context)
        : x_(xml, partName), context_(context) {}

    SheetData read() {
        while (x_.next()) {
            if (!x_.isStart()) {
                if (x_.name() == "sheetView") firstView_ = false;
                continue;
            }
            element(x_.name());
        }
        finishSheet(sheet_);
        return std::move(sheet_);
    }

private:
    void element(std::string_view n) {
        if (n == "sheetView") {
            if (x_.isEmpty()) firstView_ = false;
        } else if (n == "pane" && firstView_) {
            pane();
        } else if (n == "sheetFormatPr") {
            if (auto h = toDouble(x_.attrOr("defaultRowHeight")); h && *h >= 0 && *h <= 409)
                sheet_.defaultRowHeightPt = *h;
        } else if (n == "col") {
            column();
        } else if (n == "row") {
            startRow();
        } else if (n == "c") {
            cell();
        } else if (n == "mergeCell") {
            MergeData m;
            if (parseRangeRef(x_.attrOr("ref"), m.firstCol, m.firstRow, m.lastCol, m.lastRow)) sheet_.merges.push_back(m);
        } else if (n == "pageMargins") {
            margins();
        } else if (n == "sheetProtection") {
            sheet_.protectedSheet = isTrue(x_.attr("sheet"));
        } else if (n == "pageSetup") {
            pageSetup();
        } else if (n == "pageSetUpPr") {
            fitToPage_ = isTrue(x_.attr("fitToPage"));
        } else if (n == "rowBreaks") {
            rowBreaks();
        } else if (n == "extLst" || n == "colBreaks" || n == "conditionalFormatting" || n == "dataValidations") {
            x_.skip();
        }
    }

    // Orientation, paper and, for a sheet fitted to pages (flagged earlier, in
    // sheetPr), the pages wide and high (1 each unless given).
    void pageSetup() {
        sheet_.landscape = x_.attrOr("orientation") == "landscape";
        const auto count = [&](const char* name, const char* otherwise) {
            const auto v = toDouble(x_.attrOr(name, otherwise));
            return v && *v >= 0 && *v <= 32767 ? static_cast<int>(*v) : 0;
        };
        sheet_.paperSize = count("paperSize", "0");
        if (fitToPage_) {
            sheet_.fitToWidth = count("fitToWidth", "1");
            sheet_.fitToHeight = count("fitToHeight", "1");
        }
    }

    void pane() {
        const std::string state = x_.attrOr("state");
        if (state != "frozen" && state != "frozenSplit") return;
        const auto cols = toDouble(x_.attrOr("xSplit", "0"));
        const auto rows = toDouble(x_.attrOr("ySplit", "0"));
        if (cols && *cols >= 0 && *cols < kMaxCols) sheet_.frozenCols = static_cast<int>(*cols);
        if (rows && *rows >= 0 && *rows < kMaxRows) sheet_.frozenRows = static_cast<int>(*rows);
    }

    int styleIndex(const char* attribute) {
        long long style = toInt(x_.attrOr(attribute, "0")).value_or(0);
        if (style < 0 || static_cast<std::size_t>(style) >= context_.styleCount) style = 0;
        return static_cast<int>(style);
    }

    void column() {
        const auto first = toInt(x_.attrOr("min"));
        const auto last = toInt(x_.attrOr("max"));
        if (!first || !last || *first < 1 || *first > kMaxCols || *last < *first) return;
        const int from = static_cast<int>(*first);
        const int to = static_cast<int>(std::min<long long>(*last, kMaxCols));
        std::optional<double> px;
        if (isTrue(x_.attr("hidden"))) {
            px = 0;
        } else if (auto w = toDouble(x_.attrOr("width")); w && *w >= 0 && *w <= 255) {
            // Character widths to pixels for a maximum digit width of 7 pixels.
            const double p = std::trunc(((256 * *w + std::trunc(128.0 / 7)) / 256) * 7);
            if (isTrue(x_.attr("customWidth")) || p != kSheetDefaultColWidthPx) px = p;
        }
        const int style = styleIndex("style");
        columnEntries_ += static_cast<std::size_t>(to - from + 1);
        if (columnEntries_ > kMaxColumnEntries) x_.fail("too many column settings");
        for (int c = from; c <= to; ++c) {
            if (px) sheet_.colWidthsPx[c] = *px;
            if (style != 0) sheet_.colStyles[c] = style;
        }
    }

    void startRow() {
        auto r = x_.attr("r") ? toInt(*x_.attr("r")) : std::optional<long long>(lastRow_ + 1);
        row_ = (r && *r >= 1 && *r <= kMaxRows) ? static_cast<int>(*r) : 0;
        lastCol_ = 0;
        if (row_ == 0) {
            x_.skip();   // beyond the largest sheet: ignored with its cells
            return;
        }
        lastRow_ = row_;
        if (isTrue(x_.attr("hidden"))) {
            sheet_.rowHeightsPt[row_] = 0;
        } else if (auto ht = toDouble(x_.attrOr("ht")); ht && *ht >= 0 && *ht <= 409) {
            *ht = std::round(*ht * 1e9) / 1e9;   // heights are whole fractions of a point
            if (isTrue(x_.attr("customHeight")) || *ht != sheet_.defaultRowHeightPt) sheet_.rowHeightsPt[row_] = *ht;
        }
        if (x_.isEmpty()) row_ = 0;
    }

    // The cell's position from its reference, or the next one in its row; false
    // (the cell skipped) for one that is malformed or beyond the largest sheet.
    bool cellPosition(int& col, int& cellRow) {
        if (auto ref = x_.attr("r")) {
            if (parseCellRef(*ref, col, cellRow)) return true;
        } else {
            col = lastCol_ + 1;
            cellRow = row_;
            if (cellRow != 0 && col <= kMaxCols) return true;
        }
        x_.skip();
        return false;
    }

    void cell() {
        int col = 0, cellRow = 0;
        if (!cellPosition(col, cellRow)) return;
        lastCol_ = col;
        takeCell(context_, x_);
        CellData cell;
        cell.col = col;
        cell.row = cellRow;
        cell.style = styleIndex("s");
        const std::string type = x_.attrOr("t", "n");
        std::optional<std::string> value;
        std::optional<std::string> inlineText;
        if (!x_.isEmpty()) {
            const int level = x_.depth();
            while (x_.next()) {
                if (x_.isEnd() && x_.depth() == level) break;
                if (!x_.isStart()) continue;
                const std::string_view child = x_.name();
                if (child == "v") value = x_.text();
                else if (child == "is") inlineText = richText(x_);
                else if (child == "f") formula(cell);
                else x_.skip();
            }
        }
        cellValue(cell, type, value, inlineText);
        takeText(context_, x_, cell.text.size() + cell.formula.size());
        sheet_.cells.push_back(std::move(cell));
    }

    void formula(CellData& cell) {
        const std::string kind = x_.attrOr("t", "normal");
        const std::string si = x_.attrOr("si");
        const bool hasRef = x_.attr("ref").has_value();
        std::string text = x_.text();
        if (kind == "shared" && !si.empty()) {
            if (!text.empty() && hasRef) {
                shared_[si] = {text, cell.col, cell.row};
            } else if (text.empty()) {
                auto it = shared_.find(si);
                if (it != shared_.end()) takeText(context_, x_, it->second.text.size());
                if (it != shared_.end())
                    text = offsetFormula(it->second.text, cell.row - it->second.row, cell.col - it->second.col);
            }
        }
        if (kind != "dataTable") cell.formula = std::move(text);
    }

    void cellValue(CellData& cell, const std::string& type, std::optional<std::string>& value,
                   std::optional<std::string>& inlineText) {
        if (type == "inlineStr") {
            if (inlineText) {
                cell.type = CellValueType::String;
                cell.text = std::move(*inlineText);
            } else if (value) {
                cell.type = CellValueType::String;
                cell.text = std::move(*value);
            }
            return;
        }
        if (!value) return;
        if (type == "s") {
            const auto index = toInt(*value);
            if (!index || *index < 0 || static_cast<std::size_t>(*index) >= context_.sharedStrings.size())
                x_.fail("cell " + columnLetters(cell.col) + std::to_string(cell.row) + " refers to a missing shared string");
            cell.type = CellValueType::String;
            takeText(context_, x_, context_.sharedStrings[static_cast<std::size_t>(*index)].size());
            cell.text = context_.sharedStrings[static_cast<std::size_t>(*index)];
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

    void margins() {
        auto margin = [&](const char* name, double& target) {
            if (auto v = toDouble(x_.attrOr(name)); v && *v >= 0 && *v < 100) target = *v;
        };
        margin("left", sheet_.marginLeft);
        margin("right", sheet_.marginRight);
        margin("top", sheet_.marginTop);
        margin("bottom", sheet_.marginBottom);
    }

    void rowBreaks() {
        const int level = x_.depth();
        if (x_.isEmpty()) return;
        while (x_.next()) {
            if (x_.isEnd() && x_.depth() == level) break;
            if (x_.isStart() && x_.name() == "brk") {
                const auto id = toInt(x_.attrOr("id"));
                if (id && *id >= 1 && *id <= kMaxRows) sheet_.rowBreaks.push_back(static_cast<int>(*id));
            }
        }
        auto& breaks = sheet_.rowBreaks;
        std::sort(breaks.begin(), breaks.end());
        breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    }

    SheetData sheet_;
    bool fitToPage_ = false;
    XmlPull x_;
    SheetContext& context_;
    std::map<std::string, SharedFormula> shared_;
    std::size_t columnEntries_ = 0;
    bool firstView_ = true;
    int row_ = 0;       // current row number, 0 = outside a row or skipped
    int lastRow_ = 0;   // for rows without a number
    int lastCol_ = 0;   // for cells without a reference
};

}  // namespace

SheetData parseWorksheet(const std::string& xml, const std::string& partName, SheetContext& context) {
    return WorksheetReader(xml, partName, context).read();
}

void applyComments(SheetData& sheet, const std::string& xml, const std::string& partName, SheetContext& context) {
    XmlPull x(xml, partName);
    // Notes on cells the sheet lacks are gathered and merged in one sort: inserted
    // one by one, a long list in reverse order would cost quadratic time.
    std::vector<CellData> added;
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
        takeText(context, x, text.size());
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
            added.push_back(std::move(cell));
        }
    }
    if (added.empty()) return;
    for (auto& cell : added) sheet.cells.push_back(std::move(cell));
    finishSheet(sheet);
}

}  // namespace zevo::grid::xlsx
