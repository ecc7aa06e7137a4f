// Sheets, position, content, read access and control of the grid model; the cell
// attributes are in CellAttributes.cpp.
#include "zevo/grid/SpreadModel.h"

#include <algorithm>
#include <cmath>

#include "ModelImpl.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/ColumnLetters.h"

namespace zevo::grid {

Row& Sheet::ensureRow(int row) {
    if (row < 1 || row > formula::kMaxRow)
        throw RuntimeError(err::kSubscriptOutOfRange, "row " + std::to_string(row) + " is outside the sheet");
    if (row > static_cast<int>(rows.size())) rows.resize(static_cast<std::size_t>(row));
    auto& r = rows[row - 1];
    if (!r) r = std::make_unique<Row>();
    return *r;
}

const CellFormat& SpreadModel::Impl::formatAt(const Sheet& s, int col, int row) const {
    return *formatPtrAt(s, col, row);
}

FormatPtr SpreadModel::Impl::formatPtrAt(const Sheet& s, int col, int row) const {
    if (Cell* c = s.cellPtr(col, row)) return c->fmt;
    auto it = s.colFormats.find(col);
    return it != s.colFormats.end() ? it->second : defaultFormat;
}

Cell& SpreadModel::Impl::ensureCell(Sheet& s, int col, int row) {
    if (col < 1 || row < 1 || col > kMaxColumnNumber)
        throw RuntimeError(err::kSubscriptOutOfRange, "no cell at column " + std::to_string(col) +
                                                          ", row " + std::to_string(row));
    Row& r = s.ensureRow(row);
    if (col > static_cast<int>(r.cells.size())) {
        r.cells.resize(static_cast<std::size_t>(col));
        s.usedCols = std::max(s.usedCols, col);
    }
    auto& c = r.cells[col - 1];
    if (!c) {
        auto column = s.colFormats.find(col);
        auto made = std::make_unique<Cell>();
        made->fmt = column != s.colFormats.end() ? column->second : defaultFormat;
        c = std::move(made);
        CellContent empty = emptyContent(*c->fmt);
        c->text = empty.text;
    }
    return *c;
}

CellFormat& SpreadModel::Impl::mutableFormat(Cell& c) {
    if (c.fmt.use_count() > 1) c.fmt = std::make_shared<CellFormat>(*c.fmt);
    return const_cast<CellFormat&>(*c.fmt);
}

CellContent SpreadModel::Impl::contentOf(const Cell& c) const {
    return CellContent{c.text, c.number, c.comboIndex};
}

void SpreadModel::Impl::setContent(Cell& c, const CellContent& content) {
    c.text = content.text;
    c.number = content.number;
    c.comboIndex = content.comboIndex;
}

bool SpreadModel::Impl::write(int sheet, int col, int row, const std::string& input,
                              bool asValue, bool raise) {
    Sheet* s = sheetAt(sheet);
    if (!s || col < 1 || row < 1) return false;
    Cell& c = ensureCell(*s, col, row);
    if (c.formula) return false;
    auto accepted = acceptInput(*c.fmt, input, asValue);
    if (!accepted || *accepted == contentOf(c)) return false;
    setContent(c, *accepted);
    const bool notify = raise && events && loadEvents;
    auto stale = markReaders(sheet, col, row, col, row, notify);
    if (notify) {
        raiseChange(col, row);
        // Formula cells of the same sheet whose value moved with this write.
        std::vector<FormulaState*> changed;
        for (auto& [f, old] : stale) {
            if (f->sheet != sheet) continue;
            Cell* fc = s->cellPtr(f->col, f->row);
            if (fc && fc->formula.get() == f && !(formulaValue(*fc) == old)) changed.push_back(f);
        }
        std::sort(changed.begin(), changed.end(), [](FormulaState* a, FormulaState* b) {
            return a->row != b->row ? a->row < b->row : a->col < b->col;
        });
        for (FormulaState* f : changed) raiseChange(f->col, f->row);
    }
    return true;
}

namespace {

// The content a formula's value gives a cell of this format.
CellContent formulaContent(const CellFormat& fmt, const formula::Value& v) {
    CellContent c;
    if ((fmt.type == CellType::Number || fmt.type == CellType::Percent) && v.isNumber()) {
        c.number = v.asNumber();
    } else if (fmt.type == CellType::Date && v.isNumber()) {
        c.text = dateTextOfSerial(v.asNumber());
    } else {
        c.text = v.toText();
    }
    return c;
}

}  // namespace

std::string SpreadModel::Impl::textOfCell(int sheet, int col, int row) {
    Sheet* s = sheetAt(sheet);
    if (!s) return {};
    Cell* c = s->cellPtr(col, row);
    if (!c) return displayText(formatAt(*s, col, row), emptyContent(formatAt(*s, col, row)));
    if (c->formula) {
        // A number cell whose formula gives text or an error shows that text.
        CellContent content = formulaContent(*c->fmt, formulaValue(*c));
        return content.number || content.text.empty() ? displayText(*c->fmt, content) : content.text;
    }
    return displayText(*c->fmt, contentOf(*c));
}

std::string SpreadModel::Impl::valueOfCell(int sheet, int col, int row) {
    Sheet* s = sheetAt(sheet);
    if (!s) return {};
    Cell* c = s->cellPtr(col, row);
    if (!c) return valueText(formatAt(*s, col, row), emptyContent(formatAt(*s, col, row)));
    if (c->formula) {
        CellContent content = formulaContent(*c->fmt, formulaValue(*c));
        return content.number || content.text.empty() ? valueText(*c->fmt, content) : content.text;
    }
    return valueText(*c->fmt, contentOf(*c));
}

SpreadModel::SpreadModel() : d_(std::make_unique<Impl>()) { reset(1); }

SpreadModel::~SpreadModel() {
    // Cells own their formulas; drop the registry first so nothing dangles.
    d_->formulas.clear();
}

void SpreadModel::reset(int count) {
    d_->clearFormulas();
    d_->sheets.clear();
    for (int i = 0; i < std::max(1, count); ++i) {
        auto s = std::make_unique<Sheet>();
        s->name = "Sheet" + std::to_string(i + 1);
        d_->sheets.push_back(std::move(s));
    }
    d_->addressed = d_->displayed = 0;
    d_->col = d_->row = 1;
}

long long SpreadModel::evaluationCount() const { return d_->evaluations; }

// ---- sheets ----

int SpreadModel::sheetCount() const { return static_cast<int>(d_->sheets.size()); }
int SpreadModel::sheet() const { return d_->addressed + 1; }

void SpreadModel::setSheet(int sheet) {
    if (sheet < 1 || sheet > sheetCount())
        throw RuntimeError(err::kSubscriptOutOfRange, "no sheet " + std::to_string(sheet));
    d_->addressed = sheet - 1;
}

int SpreadModel::activeSheet() const { return d_->displayed + 1; }

void SpreadModel::setActiveSheet(int sheet) {
    if (sheet < 1 || sheet > sheetCount())
        throw RuntimeError(err::kSubscriptOutOfRange, "no sheet " + std::to_string(sheet));
    d_->displayed = sheet - 1;
}

std::string SpreadModel::sheetName() const { return d_->cur().name; }

void SpreadModel::setSheetName(const std::string& name) {
    d_->cur().name = name;
    // References by name now find (or lose) this sheet.
    for (Cell* c : d_->formulas) {
        d_->resolveAreas(*c->formula);
        c->formula->dirty = true;
    }
    d_->readersStale = true;
}

bool SpreadModel::sheetVisible() const { return d_->cur().visible; }
void SpreadModel::setSheetVisible(bool visible) { d_->cur().visible = visible; }
bool SpreadModel::printLandscape() const { return d_->cur().landscape; }
void SpreadModel::setPrintLandscape(bool landscape) { d_->cur().landscape = landscape; }
FontData SpreadModel::sheetFont() const { return d_->cur().font; }
void SpreadModel::setSheetFont(const FontData& font) { d_->cur().font = font; }
PageMargins SpreadModel::printMargins() const { return d_->cur().margins; }
void SpreadModel::setPrintMargins(const PageMargins& margins) { d_->cur().margins = margins; }

// ---- position ----

int SpreadModel::col() const { return d_->col; }
int SpreadModel::row() const { return d_->row; }
void SpreadModel::setCol(int col) { d_->col = col; }
void SpreadModel::setRow(int row) { d_->row = row; }
int SpreadModel::activeCol() const { return d_->cur().activeCol; }
int SpreadModel::activeRow() const { return d_->cur().activeRow; }

void SpreadModel::setActiveCell(int col, int row) {
    d_->cur().activeCol = col;
    d_->cur().activeRow = row;
}

int SpreadModel::maxCols() const { return d_->cur().maxCols; }
int SpreadModel::maxRows() const { return d_->cur().maxRows; }

void SpreadModel::setMaxCols(int count) {
    Sheet& s = d_->cur();
    count = std::max(0, count);
    if (count < s.usedCols) {
        // Cells beyond the new count are gone, as in a spreadsheet.
        for (int r = 1; r <= static_cast<int>(s.rows.size()); ++r) {
            Row* row = s.rowPtr(r);
            if (!row || static_cast<int>(row->cells.size()) <= count) continue;
            for (std::size_t c = static_cast<std::size_t>(count); c < row->cells.size(); ++c)
                if (row->cells[c]) d_->detachFormula(*row->cells[c]);
            row->cells.resize(static_cast<std::size_t>(count));
            d_->markReaders(d_->addressed, count + 1, r, kMaxColumnNumber, r);
        }
        s.usedCols = count;
    }
    s.maxCols = count;
}

void SpreadModel::setMaxRows(int count) {
    Sheet& s = d_->cur();
    count = std::max(0, count);
    if (count < static_cast<int>(s.rows.size())) {
        for (std::size_t r = static_cast<std::size_t>(count); r < s.rows.size(); ++r)
            if (s.rows[r]) d_->detachRowFormulas(*s.rows[r]);
        s.rows.resize(static_cast<std::size_t>(count));
        d_->markReaders(d_->addressed, 1, count + 1, kMaxColumnNumber, formula::kMaxRow);
    }
    s.maxRows = count;
}

int SpreadModel::dataColCount() const {
    const Sheet& s = d_->cur();
    int last = 0;
    for (const auto& r : s.rows) {
        if (!r) continue;
        for (int c = static_cast<int>(r->cells.size()); c > last; --c) {
            const Cell* cell = r->cells[c - 1].get();
            if (cell && (cell->formula || cell->number || !cell->text.empty())) {
                last = c;
                break;
            }
        }
    }
    return last;
}

int SpreadModel::dataRowCount() const {
    const Sheet& s = d_->cur();
    for (int r = static_cast<int>(s.rows.size()); r >= 1; --r) {
        const Row* row = s.rowPtr(r);
        if (!row) continue;
        for (const auto& cell : row->cells)
            if (cell && (cell->formula || cell->number || !cell->text.empty())) return r;
    }
    return 0;
}

// ---- row and column geometry ----

double SpreadModel::rowHeight(int row) const { return rowHeightOf(sheet(), row); }

void SpreadModel::setRowHeight(int row, double height) {
    if (row < 1) return;
    d_->cur().ensureRow(row).height = height;
}

double SpreadModel::maxTextRowHeight(int row) const {
    // An estimate from character counts: the model has no font metrics. Average
    // glyph width 0.55 em, line height 1.25 em, pixels at 96 dpi.
    const Sheet& s = d_->cur();
    const Row* r = s.rowPtr(row);
    double needed = 0;
    if (!r) return s.defaultRowHeight;
    for (int c = 1; c <= static_cast<int>(r->cells.size()); ++c) {
        const Cell* cell = r->cells[c - 1].get();
        if (!cell) continue;
        std::string text = d_->textOfCell(d_->addressed, c, row);
        if (text.empty()) continue;
        const CellFormat& f = *cell->fmt;
        double em = f.font.size > 0 ? f.font.size : 10.0;
        double widthPx = colWidth(c);
        CellSpan span;
        if (getCellSpan(c, row, span) && span.anchorCol == c && span.anchorRow == row) {
            widthPx = 0;
            for (int k = 0; k < span.cols; ++k) widthPx += colWidth(c + k);
        }
        double charPx = em * 0.55 * 96.0 / 72.0;
        int perLine = std::max(1, static_cast<int>((widthPx - 4) / charPx));
        int lines = 0;
        std::size_t start = 0;
        while (true) {
            std::size_t nl = text.find('\n', start);
            std::string part = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
            int chars = static_cast<int>(utf8Count(part));
            lines += f.wrap ? std::max(1, (chars + perLine - 1) / perLine) : 1;
            if (nl == std::string::npos) break;
            start = nl + 1;
        }
        needed = std::max(needed, lines * em * 1.25 + 2.0);
    }
    return needed > 0 ? needed : s.defaultRowHeight;
}

bool SpreadModel::rowPageBreak(int row) const { return pageBreakOf(sheet(), row); }

void SpreadModel::setRowPageBreak(int row, bool brk) {
    if (row < 1) return;
    if (!brk && !d_->cur().rowPtr(row)) return;
    d_->cur().ensureRow(row).pageBreak = brk;
}

double SpreadModel::colWidth(int col) const { return colWidthOf(sheet(), col); }

void SpreadModel::setColWidth(int col, double width) {
    if (col >= 1) d_->cur().colWidths[col] = width;
}

std::string SpreadModel::colLetters(int col) const { return columnLetters(col); }
int SpreadModel::colNumber(const std::string& letters) const { return columnNumber(letters); }

// ---- content ----

std::string SpreadModel::text() const { return d_->textOfCell(d_->addressed, d_->col, d_->row); }

void SpreadModel::setText(const std::string& text) {
    d_->write(d_->addressed, d_->col, d_->row, text, false, true);
}

std::string SpreadModel::value() const { return d_->valueOfCell(d_->addressed, d_->col, d_->row); }

void SpreadModel::setValue(const std::string& value) {
    d_->write(d_->addressed, d_->col, d_->row, value, true, true);
}

std::string SpreadModel::formula() const {
    const Cell* c = d_->cur().cellPtr(d_->col, d_->row);
    return c && c->formula ? c->formula->expr.toText() : std::string();
}

void SpreadModel::setFormula(const std::string& formula) {
    d_->setCellFormula(d_->addressed, d_->col, d_->row, formula);
}

void SpreadModel::recalcCell() {
    Cell* c = d_->cur().cellPtr(d_->col, d_->row);
    if (!c || !c->formula) return;
    formula::Value old = c->formula->value;
    bool wasDirty = c->formula->dirty;
    c->formula->dirty = true;
    d_->formulaValue(*c);
    if (!wasDirty && !(old == c->formula->value))
        d_->markReaders(d_->addressed, d_->col, d_->row, d_->col, d_->row);
}

std::string SpreadModel::textAt(int col, int row) const { return d_->textOfCell(d_->addressed, col, row); }

void SpreadModel::setTextAt(int col, int row, const std::string& text) {
    d_->write(d_->addressed, col, row, text, false, true);
}

// ---- read access ----

CellLook SpreadModel::look(int sheet, int col, int row) const {
    CellLook l;
    const Sheet* s = d_->sheetAt(sheet - 1);
    if (!s) return l;
    const CellFormat& f = d_->formatAt(*s, col, row);
    const Cell* c = s->cellPtr(col, row);
    l.type = f.type;
    l.text = d_->textOfCell(sheet - 1, col, row);
    if (l.text.empty() && f.type == CellType::Masked && !f.placeholder.empty()) {
        l.text = f.placeholder;
        l.placeholderShown = true;
    }
    l.locked = f.locked;
    l.back = f.fill.value_or(kWhite);
    l.font = f.font;
    l.hAlign = f.hAlign;
    l.vAlign = f.vAlign;
    l.wrap = f.wrap;
    l.border = f.border;
    l.hasNote = c && !c->note.empty();
    l.checkCaption = f.checkCaption;
    if (f.type == CellType::Number || f.type == CellType::Percent) {
        l.numeric = true;
    } else if (c && c->formula) {
        l.numeric = d_->formulaValue(const_cast<Cell&>(*c)).isNumber();
    }
    return l;
}

std::string SpreadModel::textOf(int sheet, int col, int row) const {
    return d_->textOfCell(sheet - 1, col, row);
}

std::string SpreadModel::noteOf(int sheet, int col, int row) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    const Cell* c = s ? s->cellPtr(col, row) : nullptr;
    return c ? c->note : std::string();
}

void SpreadModel::forEachNote(int sheet, int first, int last, int lastCol,
                              const std::function<void(int col, int row, const std::string& note)>& visit) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    if (!s) return;
    first = std::max(first, 1);
    last = std::min(last, static_cast<int>(s->rows.size()));
    // Each cell is an allocation of its own: the notes a few cells ahead are
    // fetched early, so that the reads of a row overlap.
    constexpr int kAhead = 8;
    for (int r = first; r <= last; ++r) {
        if (const Row* next = r + 1 <= last ? s->rowPtr(r + 1) : nullptr) __builtin_prefetch(next->cells.data());
        const Row* row = s->rowPtr(r);
        if (!row) continue;
        const int cols = std::min(lastCol, static_cast<int>(row->cells.size()));
        for (int c = 0; c < std::min(cols, kAhead); ++c)
            if (const Cell* cell = row->cells[c].get()) __builtin_prefetch(&cell->note);
        for (int c = 0; c < cols; ++c) {
            if (c + kAhead < cols)
                if (const Cell* ahead = row->cells[c + kAhead].get()) __builtin_prefetch(&ahead->note);
            const Cell* cell = row->cells[c].get();
            if (cell && !cell->note.empty()) visit(c + 1, r, cell->note);
        }
    }
}

std::string SpreadModel::formulaOf(int sheet, int col, int row) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    const Cell* c = s ? s->cellPtr(col, row) : nullptr;
    return c && c->formula ? c->formula->expr.toText() : std::string();
}

CellFormat SpreadModel::formatOf(int sheet, int col, int row) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    return s ? d_->formatAt(*s, col, row) : CellFormat{};
}

double SpreadModel::rowHeightOf(int sheet, int row) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    if (!s) return kDefaultRowHeightPt;
    const Row* r = s->rowPtr(row);
    return r && r->height ? *r->height : s->defaultRowHeight;
}

double SpreadModel::colWidthOf(int sheet, int col) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    if (!s) return kDefaultColWidthPx;
    auto it = s->colWidths.find(col);
    return it != s->colWidths.end() ? it->second : kDefaultColWidthPx;
}

bool SpreadModel::pageBreakOf(int sheet, int row) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    const Row* r = s ? s->rowPtr(row) : nullptr;
    return r && r->pageBreak;
}

int SpreadModel::maxRowsOf(int sheet) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    return s ? s->maxRows : 0;
}

int SpreadModel::maxColsOf(int sheet) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    return s ? s->maxCols : 0;
}

std::string SpreadModel::sheetNameOf(int sheet) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    return s ? s->name : std::string();
}

bool SpreadModel::sheetVisibleOf(int sheet) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    return s && s->visible;
}

int SpreadModel::frozenRows(int sheet) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    return s ? s->frozenRows : 0;
}

int SpreadModel::frozenCols(int sheet) const {
    const Sheet* s = d_->sheetAt(sheet - 1);
    return s ? s->frozenCols : 0;
}

// ---- control ----

void SpreadModel::setRedraw(bool on) { d_->redraw = on; }
bool SpreadModel::redraw() const { return d_->redraw; }
void SpreadModel::setEventsEnabled(bool on) { d_->events = on; }
bool SpreadModel::eventsEnabled() const { return d_->events; }
void SpreadModel::setLoadEventsEnabled(bool on) { d_->loadEvents = on; }
bool SpreadModel::loadEventsEnabled() const { return d_->loadEvents; }

}  // namespace zevo::grid
