// Row insertion, deletion and copying, and spans, of the grid model.
#include <algorithm>

#include "ModelImpl.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/ColumnLetters.h"

namespace zevo::grid {

namespace {

std::unique_ptr<Cell> cloneCell(const Cell& src) {
    auto c = std::make_unique<Cell>();
    c->fmt = src.fmt;
    c->text = src.text;
    c->number = src.number;
    c->comboIndex = src.comboIndex;
    c->note = src.note;
    return c;
}

void updateMaxSpanRows(Sheet& s, int rows) { s.maxSpanRows = std::max(s.maxSpanRows, rows); }

}  // namespace

void SpreadModel::insertRows(int row, int count) {
    if (row < 1 || count < 1) return;
    if (count > formula::kMaxRow)
        throw RuntimeError(err::kSubscriptOutOfRange, "cannot insert " + std::to_string(count) + " rows");
    Sheet& s = d_->cur();
    // Spans that run across the insertion point grow.
    for (int r = std::max(1, row - s.maxSpanRows); r < row; ++r) {
        Row* rp = s.rowPtr(r);
        if (!rp) continue;
        for (SpanEntry& sp : rp->spans)
            if (r + sp.rows - 1 >= row) {
                sp.rows += count;
                updateMaxSpanRows(s, sp.rows);
            }
    }
    if (row <= static_cast<int>(s.rows.size())) {
        std::size_t at = static_cast<std::size_t>(row - 1);
        std::size_t oldSize = s.rows.size();
        s.rows.resize(oldSize + static_cast<std::size_t>(count));
        std::move_backward(s.rows.begin() + static_cast<std::ptrdiff_t>(at),
                           s.rows.begin() + static_cast<std::ptrdiff_t>(oldSize), s.rows.end());
        // The moved-from slots are null already: they are the new blank rows.
        // Rows pushed off the sheet are gone, as in a spreadsheet.
        if (s.rows.size() > static_cast<std::size_t>(formula::kMaxRow)) {
            for (std::size_t r = static_cast<std::size_t>(formula::kMaxRow); r < s.rows.size(); ++r)
                if (s.rows[r]) d_->detachRowFormulas(*s.rows[r]);
            s.rows.resize(static_cast<std::size_t>(formula::kMaxRow));
        }
    }
    d_->shiftFormulas(d_->addressed, row, count);
}

void SpreadModel::deleteRows(int row, int count) {
    if (row < 1 || count < 1) return;
    Sheet& s = d_->cur();
    const int lastDeleted = row + count - 1;
    // Spans anchored above that run into the deleted rows shrink.
    for (int r = std::max(1, row - s.maxSpanRows); r < row; ++r) {
        Row* rp = s.rowPtr(r);
        if (!rp) continue;
        for (SpanEntry& sp : rp->spans) {
            int spanLast = r + sp.rows - 1;
            if (spanLast < row) continue;
            sp.rows -= std::min(spanLast, lastDeleted) - row + 1;
        }
    }
    if (row <= static_cast<int>(s.rows.size())) {
        auto first = s.rows.begin() + (row - 1);
        auto last = s.rows.begin() + std::min<std::ptrdiff_t>(lastDeleted, static_cast<std::ptrdiff_t>(s.rows.size()));
        for (auto it = first; it != last; ++it)
            if (*it) d_->detachRowFormulas(**it);
        s.rows.erase(first, last);
    }
    d_->shiftFormulas(d_->addressed, row, -count);
}

void SpreadModel::copyRowRange(int first, int last, int dest) {
    if (first < 1 || last < first || dest < 1 || dest == first) return;
    if (last > formula::kMaxRow || dest > formula::kMaxRow - (last - first))
        throw RuntimeError(err::kSubscriptOutOfRange, "rows outside the sheet");
    Sheet& s = d_->cur();
    const int n = last - first + 1;
    const int dRow = dest - first;
    // Take the source rows first: source and destination may overlap. Formulas
    // read as when copied: relative references move with the row.
    struct PendingFormula {
        int index;
        int col;
        formula::Expression expr;
    };
    std::vector<std::unique_ptr<Row>> copies;
    std::vector<PendingFormula> pending;
    copies.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const Row* src = s.rowPtr(first + i);
        if (!src) {
            copies.push_back(nullptr);
            continue;
        }
        auto r = std::make_unique<Row>();
        r->height = src->height;
        r->spans = src->spans;
        r->cells.resize(src->cells.size());
        for (std::size_t c = 0; c < src->cells.size(); ++c) {
            const Cell* from = src->cells[c].get();
            if (!from) continue;
            r->cells[c] = cloneCell(*from);
            if (from->formula)
                pending.push_back({i, static_cast<int>(c) + 1, from->formula->expr.offset(dRow, 0)});
        }
        copies.push_back(std::move(r));
    }
    std::vector<Row*> placed(static_cast<std::size_t>(n), nullptr);
    for (int i = 0; i < n; ++i) {
        const int target = dest + i;
        if (Row* old = s.rowPtr(target)) {
            d_->detachRowFormulas(*old);
            if (copies[i]) copies[i]->pageBreak = old->pageBreak;
        }
        if (target > static_cast<int>(s.rows.size())) s.rows.resize(static_cast<std::size_t>(target));
        placed[i] = copies[i].get();
        s.rows[static_cast<std::size_t>(target - 1)] = std::move(copies[i]);
        if (Row* r = s.rowPtr(target))
            for (const SpanEntry& sp : r->spans) updateMaxSpanRows(s, sp.rows);
    }
    for (PendingFormula& p : pending)
        d_->attachFormula(*placed[p.index]->cells[p.col - 1], std::move(p.expr), d_->addressed, p.col,
                          dest + p.index);
    d_->markReaders(d_->addressed, 1, dest, kMaxColumnNumber, dest + n - 1);
}

bool SpreadModel::getCellSpan(int col, int row, CellSpan& span) const {
    return spanOf(sheet(), col, row, span);
}

bool SpreadModel::spanOf(int sheet, int col, int row, CellSpan& span) const {
    span = CellSpan{};
    const Sheet* s = d_->sheetAt(sheet - 1);
    if (!s) return false;
    for (int r = row; r >= 1 && r > row - s->maxSpanRows; --r) {
        const Row* rp = s->rowPtr(r);
        if (!rp) continue;
        for (const SpanEntry& sp : rp->spans) {
            if (col >= sp.col && col < sp.col + sp.cols && row < r + sp.rows) {
                span.anchorCol = sp.col;
                span.anchorRow = r;
                span.cols = sp.cols;
                span.rows = sp.rows;
                return true;
            }
        }
    }
    return false;
}

void SpreadModel::removeCellSpan(int col, int row) {
    CellSpan span;
    if (!getCellSpan(col, row, span)) return;
    Row* rp = d_->cur().rowPtr(span.anchorRow);
    auto& spans = rp->spans;
    spans.erase(std::remove_if(spans.begin(), spans.end(),
                               [&](const SpanEntry& sp) { return sp.col == span.anchorCol; }),
                spans.end());
}

void SpreadModel::addCellSpan(int col, int row, int cols, int rows) {
    if (col < 1 || row < 1 || cols < 1 || rows < 1) return;
    Sheet& s = d_->cur();
    // Spans the new one overlaps go.
    for (int r = std::max(1, row - s.maxSpanRows + 1); r < row + rows; ++r) {
        Row* rp = s.rowPtr(r);
        if (!rp) continue;
        auto& spans = rp->spans;
        spans.erase(std::remove_if(spans.begin(), spans.end(),
                                   [&](const SpanEntry& sp) {
                                       return sp.col < col + cols && col < sp.col + sp.cols &&
                                              r < row + rows && row < r + sp.rows;
                                   }),
                    spans.end());
    }
    if (cols == 1 && rows == 1) return;
    s.ensureRow(row).spans.push_back({col, cols, rows});
    updateMaxSpanRows(s, rows);
}

}  // namespace zevo::grid
