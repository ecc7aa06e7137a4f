// The grid model to and from the plain workbook description of a file.
#include <algorithm>
#include <map>

#include "ModelImpl.h"
#include "zevo/RuntimeError.h"

#include "zevo/grid/XlsxReader.h"
#include "zevo/grid/XlsxWriter.h"

namespace zevo::grid {

namespace {

FormatPtr formatOfStyle(const StyleData& st) {
    auto f = std::make_shared<CellFormat>();
    f->type = cellTypeForNumberFormat(st.numberFormat);
    f->locked = st.locked;
    f->fill = st.fill;
    f->numberFormat = st.numberFormat;
    f->decimals = decimalsOfNumberFormat(st.numberFormat);
    f->showSeparators = st.numberFormat.find(',') != std::string::npos &&
                        (f->type == CellType::Number || f->type == CellType::Percent);
    f->font = st.font;
    f->hAlign = st.hAlign;
    f->vAlign = st.vAlign;
    f->wrap = st.wrap;
    f->border = st.border;
    return f;
}

// A number format that gives the cell its kind back when the file is read again.
std::string numberFormatFor(const CellFormat& f) {
    const CellType typeOfFormat = cellTypeForNumberFormat(f.numberFormat);
    if (typeOfFormat == f.type) return f.numberFormat;
    auto fixed = [&](const char* base) {
        std::string s = f.showSeparators ? std::string("#,##") + base : std::string(base);
        if (f.decimals > 0) s += "." + std::string(static_cast<std::size_t>(f.decimals), '0');
        return s;
    };
    switch (f.type) {
        case CellType::Number: return fixed("0");
        case CellType::Percent: return fixed("0") + "%";
        case CellType::Date: return "dd/mm/yyyy";
        default:
            // Text kinds: General, unless the old format would make them numbers.
            return typeOfFormat == CellType::Edit ? f.numberFormat : std::string("@");
    }
}

StyleData styleOfFormat(const CellFormat& f) {
    StyleData st;
    st.fill = f.fill;
    st.locked = f.locked;
    st.numberFormat = numberFormatFor(f);
    st.font = f.font;
    st.hAlign = f.hAlign;
    st.vAlign = f.vAlign;
    st.wrap = f.wrap;
    st.border = f.border;
    return st;
}

// Interns the styles of the formats met while writing.
class StyleTable {
public:
    explicit StyleTable(WorkbookData& wb) : wb_(wb) {}
    int indexOf(const FormatPtr& f) {
        auto it = byFormat_.find(f.get());
        if (it != byFormat_.end()) return it->second;
        StyleData st = styleOfFormat(*f);
        int index = -1;
        for (std::size_t i = 0; i < wb_.styles.size(); ++i)
            if (wb_.styles[i] == st) {
                index = static_cast<int>(i);
                break;
            }
        if (index < 0) {
            index = static_cast<int>(wb_.styles.size());
            wb_.styles.push_back(st);
        }
        byFormat_.emplace(f.get(), index);
        keep_.push_back(f);
        return index;
    }

private:
    WorkbookData& wb_;
    std::map<const CellFormat*, int> byFormat_;
    std::vector<FormatPtr> keep_;
};

}  // namespace

namespace {

// A cell of a read workbook as the grid keeps it: the value converted to the kind
// of its format, the note; the formula is attached later.
std::unique_ptr<Cell> cellOfData(const CellData& cd, FormatPtr fmt) {
    auto cell = std::make_unique<Cell>();
    cell->fmt = std::move(fmt);
    const CellFormat& f = *cell->fmt;
    const bool numeric = f.type == CellType::Number || f.type == CellType::Percent;
    switch (cd.type) {
        case CellValueType::Number:
            if (numeric) cell->number = cd.number;
            else if (f.type == CellType::Date) cell->text = dateTextOfSerial(cd.number);
            else cell->text = formula::formatGeneral(cd.number);
            break;
        case CellValueType::String:
            if (numeric) {
                if (auto n = formula::parseNumber(cd.text)) cell->number = *n;
            } else {
                cell->text = cd.text;
            }
            break;
        case CellValueType::Boolean: cell->text = cd.number != 0 ? "TRUE" : "FALSE"; break;
        case CellValueType::Error: cell->text = cd.text; break;
        case CellValueType::Empty: break;
    }
    cell->note = cd.comment;
    return cell;
}

// Everything of a read sheet but its cells: name, page set-up, sizes, breaks, spans.
template <class StyleAt>
void sheetLayoutOfData(Sheet& s, const SheetData& sd, const StyleAt& styleAt) {
    s.name = sd.name;
    s.visible = !sd.hidden;
    s.landscape = sd.landscape;
    s.paperSize = sd.paperSize;
    s.fitToWidth = sd.fitToWidth;
    s.fitToHeight = sd.fitToHeight;
    s.margins = {sd.marginLeft, sd.marginRight, sd.marginTop, sd.marginBottom};
    s.colWidths = sd.colWidthsPx;
    for (const auto& [c, st] : sd.colStyles) s.colFormats[c] = styleAt(st);
    s.frozenRows = sd.frozenRows;
    s.frozenCols = sd.frozenCols;
    s.defaultRowHeight = sd.defaultRowHeightPt;
    int maxCol = sd.maxCol, maxRow = sd.maxRow;
    for (const CellData& cd : sd.cells) {
        if (cd.col < 1 || cd.row < 1) continue;
        maxCol = std::max(maxCol, cd.col);
        maxRow = std::max(maxRow, cd.row);
    }
    s.maxCols = maxCol;
    s.maxRows = maxRow;
    s.rows.resize(static_cast<std::size_t>(maxRow));
    for (const auto& [r, h] : sd.rowHeightsPt)
        if (r >= 1) s.ensureRow(r).height = h;
    for (int r : sd.rowBreaks)
        if (r >= 1) s.ensureRow(r).pageBreak = true;
    for (const MergeData& m : sd.merges) {
        if (m.firstCol < 1 || m.firstRow < 1 || m.lastCol < m.firstCol || m.lastRow < m.firstRow) continue;
        int rows = m.lastRow - m.firstRow + 1;
        s.ensureRow(m.firstRow).spans.push_back({m.firstCol, m.lastCol - m.firstCol + 1, rows});
        s.maxSpanRows = std::max(s.maxSpanRows, rows);
    }
}

}  // namespace

void SpreadModel::fromWorkbookData(const WorkbookData& data) {
    Impl& d = *d_;
    d.clearFormulas();
    d.sheets.clear();
    std::vector<FormatPtr> styles;
    styles.reserve(data.styles.size());
    for (const StyleData& st : data.styles) styles.push_back(formatOfStyle(st));
    auto styleAt = [&](int index) {
        // Indices out of range mean the default style 0.
        if (index >= 0 && index < static_cast<int>(styles.size())) return styles[index];
        return styles.empty() ? d.defaultFormat : styles[0];
    };

    struct PendingFormula {
        Cell* cell;
        int sheet, col, row;
        const std::string* text;
    };
    std::vector<PendingFormula> pending;

    for (const SheetData& sd : data.sheets) {
        auto sp = std::make_unique<Sheet>();
        Sheet& s = *sp;
        const int sheetIndex = static_cast<int>(d.sheets.size());
        sheetLayoutOfData(s, sd, styleAt);
        for (const CellData& cd : sd.cells) {
            if (cd.col < 1 || cd.row < 1) continue;
            Row& row = s.ensureRow(cd.row);
            if (cd.col > static_cast<int>(row.cells.size())) {
                row.cells.resize(static_cast<std::size_t>(cd.col));
                s.usedCols = std::max(s.usedCols, cd.col);
            }
            auto cell = cellOfData(cd, styleAt(cd.style));
            if (!cd.formula.empty()) pending.push_back({cell.get(), sheetIndex, cd.col, cd.row, &cd.formula});
            row.cells[cd.col - 1] = std::move(cell);
        }
        d.sheets.push_back(std::move(sp));
    }
    if (d.sheets.empty()) {
        auto s = std::make_unique<Sheet>();
        s->name = "Sheet1";
        d.sheets.push_back(std::move(s));
    }
    // Formulas once every sheet exists, so that references across sheets resolve.
    // They are computed when first read.
    for (PendingFormula& p : pending)
        d.attachFormula(*p.cell, formula::Expression::parse(*p.text), p.sheet, p.col, p.row);
    d.addressed = d.displayed = 0;
    d.col = d.row = 1;
}

WorkbookData SpreadModel::toWorkbookData() const {
    Impl& d = *d_;
    WorkbookData wb;
    StyleTable styles(wb);
    for (std::size_t si = 0; si < d.sheets.size(); ++si) {
        const Sheet& s = *d.sheets[si];
        SheetData sd;
        sd.name = s.name;
        sd.hidden = !s.visible;
        sd.landscape = s.landscape;
        sd.paperSize = s.paperSize;
        sd.fitToWidth = s.fitToWidth;
        sd.fitToHeight = s.fitToHeight;
        sd.marginLeft = s.margins.left;
        sd.marginRight = s.margins.right;
        sd.marginTop = s.margins.top;
        sd.marginBottom = s.margins.bottom;
        sd.maxCol = s.maxCols;
        sd.maxRow = s.maxRows;
        sd.colWidthsPx = s.colWidths;
        for (const auto& [c, f] : s.colFormats) sd.colStyles[c] = styles.indexOf(f);
        sd.frozenRows = s.frozenRows;
        sd.frozenCols = s.frozenCols;
        sd.defaultRowHeightPt = s.defaultRowHeight;
        for (int r = 1; r <= static_cast<int>(s.rows.size()); ++r) {
            const Row* row = s.rowPtr(r);
            if (!row) continue;
            if (row->height) sd.rowHeightsPt[r] = *row->height;
            if (row->pageBreak) sd.rowBreaks.push_back(r);
            for (const SpanEntry& sp : row->spans)
                sd.merges.push_back({sp.col, r, sp.col + sp.cols - 1, r + sp.rows - 1});
            for (int c = 1; c <= static_cast<int>(row->cells.size()); ++c) {
                Cell* cell = row->cells[c - 1].get();
                if (!cell) continue;
                CellData cd;
                cd.col = c;
                cd.row = r;
                cd.style = styles.indexOf(cell->fmt);
                cd.comment = cell->note;
                const CellFormat& f = *cell->fmt;
                if (cell->formula) {
                    cd.formula = cell->formula->expr.toText();
                    formula::Value v = d.formulaValue(*cell);
                    switch (v.type()) {
                        case formula::ValueType::Number:
                            cd.type = CellValueType::Number;
                            cd.number = v.asNumber();
                            break;
                        case formula::ValueType::Boolean:
                            cd.type = CellValueType::Boolean;
                            cd.number = v.asBoolean() ? 1 : 0;
                            break;
                        case formula::ValueType::Error:
                            cd.type = CellValueType::Error;
                            cd.text = v.toText();
                            break;
                        case formula::ValueType::String:
                            cd.type = CellValueType::String;
                            cd.text = v.asString();
                            break;
                        case formula::ValueType::Empty: break;
                    }
                } else if (f.type == CellType::Number || f.type == CellType::Percent) {
                    if (cell->number) {
                        cd.type = CellValueType::Number;
                        cd.number = *cell->number;
                    }
                } else if (!cell->text.empty()) {
                    cd.type = CellValueType::String;
                    cd.text = cell->text;
                }
                sd.cells.push_back(std::move(cd));
            }
        }
        wb.sheets.push_back(std::move(sd));
    }
    return wb;
}

void SpreadModel::loadWorkbook(const std::string& path) {
    fromWorkbookData(readXlsx(path));
}

void SpreadModel::exportWorkbook(const std::string& path) const {
    writeXlsx(toWorkbookData(), path);
}

}  // namespace zevo::grid
