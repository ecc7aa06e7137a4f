// A deep copy of a whole model: what a print run builds once and fills per record.
#include "ModelImpl.h"

namespace zevo::grid {

void SpreadModel::copyFrom(const SpreadModel& other) {
    if (&other == this) return;
    Impl& d = *d_;
    const Impl& o = *other.d_;
    d.clearFormulas();
    d.sheets.clear();

    struct PendingFormula {
        Cell* cell;
        int sheet, col, row;
        const formula::Expression* expr;
    };
    std::vector<PendingFormula> pending;

    for (std::size_t si = 0; si < o.sheets.size(); ++si) {
        const Sheet& src = *o.sheets[si];
        auto sp = std::make_unique<Sheet>();
        Sheet& s = *sp;
        s.name = src.name;
        s.visible = src.visible;
        s.landscape = src.landscape;
        s.paperSize = src.paperSize;
        s.fitToWidth = src.fitToWidth;
        s.fitToHeight = src.fitToHeight;
        s.margins = src.margins;
        s.font = src.font;
        s.maxCols = src.maxCols;
        s.maxRows = src.maxRows;
        s.usedCols = src.usedCols;
        s.colWidths = src.colWidths;
        s.colFormats = src.colFormats;   // formats are immutable and shared
        s.defaultRowHeight = src.defaultRowHeight;
        s.frozenRows = src.frozenRows;
        s.frozenCols = src.frozenCols;
        s.activeCol = src.activeCol;
        s.activeRow = src.activeRow;
        s.maxSpanRows = src.maxSpanRows;
        s.rows.resize(src.rows.size());
        for (std::size_t ri = 0; ri < src.rows.size(); ++ri) {
            const Row* from = src.rows[ri].get();
            if (!from) continue;
            auto row = std::make_unique<Row>();
            row->height = from->height;
            row->pageBreak = from->pageBreak;
            row->spans = from->spans;
            row->cells.resize(from->cells.size());
            for (std::size_t ci = 0; ci < from->cells.size(); ++ci) {
                const Cell* c = from->cells[ci].get();
                if (!c) continue;
                auto cell = std::make_unique<Cell>();
                cell->fmt = c->fmt;
                cell->text = c->text;
                cell->number = c->number;
                cell->comboIndex = c->comboIndex;
                cell->note = c->note;
                if (c->formula)
                    pending.push_back({cell.get(), static_cast<int>(si), static_cast<int>(ci) + 1,
                                       static_cast<int>(ri) + 1, &c->formula->expr});
                row->cells[ci] = std::move(cell);
            }
            s.rows[ri] = std::move(row);
        }
        d.sheets.push_back(std::move(sp));
    }
    if (d.sheets.empty()) {
        auto s = std::make_unique<Sheet>();
        s->name = "Sheet1";
        d.sheets.push_back(std::move(s));
    }
    // Parsed formulas are shared; each copy computes its own values.
    for (const PendingFormula& p : pending) d.attachFormula(*p.cell, *p.expr, p.sheet, p.col, p.row);
    d.addressed = std::min(o.addressed, static_cast<int>(d.sheets.size()) - 1);
    d.displayed = std::min(o.displayed, static_cast<int>(d.sheets.size()) - 1);
    d.col = o.col;
    d.row = o.row;
}

}  // namespace zevo::grid
