// Formula cells of the grid model: parsing, lazy evaluation, the readers index
// that limits recomputation to the formulas a write reaches, and reference
// shifting when rows move.
#include <algorithm>

#include "ModelImpl.h"
#include "zevo/grid/formula/Utf8Text.h"

namespace zevo::grid {

namespace {

class ModelContext : public formula::EvalContext {
public:
    ModelContext(SpreadModel::Impl& d, int sheet) : d_(d), sheet_(sheet) {}

    int currentSheet() const override { return sheet_; }

    int findSheet(std::string_view name) const override {
        for (std::size_t i = 0; i < d_.sheets.size(); ++i)
            if (formula::equalsIgnoreCase(d_.sheets[i]->name, name)) return static_cast<int>(i);
        return -1;
    }

    formula::Value cellValue(int sheet, int col, int row) override {
        return d_.cellValue(sheet, col, row);
    }

    int lastRow(int sheet) const override {
        const Sheet* s = d_.sheetAt(sheet);
        return s ? static_cast<int>(s->rows.size()) : 0;
    }

    int lastCol(int sheet) const override {
        const Sheet* s = d_.sheetAt(sheet);
        return s ? s->usedCols : 0;
    }

private:
    SpreadModel::Impl& d_;
    int sheet_;
};

// A text cell holding a number written the way General shows numbers counts as a
// number ("5", "12.5"); anything else ("0101234567", "1,000") stays text, so
// that codes keep their digits.
formula::Value textCellValue(const std::string& text) {
    if (text.empty()) return {};
    auto n = formula::parseNumber(text);
    if (n && formula::formatGeneral(*n) == text) return formula::Value::number(*n);
    return formula::Value::string(text);
}

}  // namespace

// Nesting of evaluations beyond which the cells a formula reads are settled first
// (see settleDependencies); well within any thread's stack.
constexpr int kSettleDepth = 64;

formula::Value SpreadModel::Impl::formulaValue(Cell& c) {
    FormulaState& f = *c.formula;
    if (!f.dirty) return f.value;
    if (f.evaluating) return formula::Value::error(formula::ErrorCode::Ref);   // a cycle
    if (evaluationDepth >= kSettleDepth) {
        settleDependencies(c);
        if (!f.dirty) return f.value;
    }
    f.evaluating = true;
    ModelContext ctx(*this, f.sheet);
    ++evaluationDepth;
    formula::Value v = formula::evaluate(f.expr, ctx);
    --evaluationDepth;
    f.evaluating = false;
    f.value = std::move(v);
    f.dirty = false;
    ++evaluations;
    return f.value;
}

void SpreadModel::Impl::settleDependencies(Cell& start) {
    // The formula cells an area holds that still need evaluating; those on the
    // path being settled (evaluating) are left to read as a cycle.
    auto pending = [&](const FormulaState& f) {
        std::vector<Cell*> out;
        for (const FormulaState::Area& a : f.areas) {
            const Sheet* s = sheetAt(a.sheet);
            if (!s) continue;
            const int r2 = std::min(a.r2, static_cast<int>(s->rows.size()));
            for (int r = std::max(a.r1, 1); r <= r2; ++r) {
                const Row* row = s->rows[r - 1].get();
                if (!row) continue;
                const int c2 = std::min(a.c2, static_cast<int>(row->cells.size()));
                for (int col = std::max(a.c1, 1); col <= c2; ++col) {
                    Cell* c = row->cells[col - 1].get();
                    if (c && c->formula && c->formula->dirty && !c->formula->evaluating)
                        out.push_back(c);
                }
            }
        }
        return out;
    };
    struct Frame {
        Cell* cell;
        std::vector<Cell*> next;
        std::size_t at = 0;
    };
    std::vector<Frame> stack;
    start.formula->evaluating = true;
    stack.push_back({&start, pending(*start.formula)});
    const int depth = evaluationDepth;
    evaluationDepth = 0;   // every cell below is evaluated with its inputs ready
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.at < top.next.size()) {
            Cell* c = top.next[top.at++];
            if (!c->formula || !c->formula->dirty || c->formula->evaluating) continue;
            c->formula->evaluating = true;
            std::vector<Cell*> next = pending(*c->formula);
            stack.push_back({c, std::move(next)});
            continue;
        }
        Cell* done = top.cell;
        stack.pop_back();
        done->formula->evaluating = false;
        if (done != &start) formulaValue(*done);
    }
    evaluationDepth = depth;
}

formula::Value SpreadModel::Impl::cellValue(int sheet, int col, int row) {
    const Sheet* s = sheetAt(sheet);
    if (!s) return formula::Value::error(formula::ErrorCode::Ref);
    Cell* c = s->cellPtr(col, row);
    if (!c) return {};
    if (c->formula) return formulaValue(*c);
    switch (c->fmt->type) {
        case CellType::Number:
        case CellType::Percent:
            return c->number ? formula::Value::number(*c->number) : formula::Value();
        case CellType::CheckBox: return formula::Value::number(c->text == "1" ? 1 : 0);
        case CellType::Edit:
            if (c->fmt->numberFormat == "@") return c->text.empty() ? formula::Value() : formula::Value::string(c->text);
            return textCellValue(c->text);
        default: return c->text.empty() ? formula::Value() : formula::Value::string(c->text);
    }
}

void SpreadModel::Impl::resolveAreas(FormulaState& f) {
    f.areas.clear();
    ModelContext ctx(*this, f.sheet);
    for (const formula::Reference& ref : f.expr.references()) {
        int s = ref.sheet.empty() ? f.sheet : ctx.findSheet(ref.sheet);
        if (s < 0) continue;
        f.areas.push_back({s, ref.first.col, ref.first.row, ref.last.col, ref.last.row});
    }
}

void SpreadModel::Impl::attachFormula(Cell& c, formula::Expression expr, int sheet, int col,
                                      int row) {
    detachFormula(c);
    c.formula = std::make_unique<FormulaState>();
    c.formula->expr = std::move(expr);
    c.formula->sheet = sheet;
    c.formula->col = col;
    c.formula->row = row;
    resolveAreas(*c.formula);
    formulas.insert(&c);
    if (!readersStale) indexReader(c.formula.get());
}

void SpreadModel::Impl::detachFormula(Cell& c) {
    if (!c.formula) return;
    formulas.erase(&c);
    c.formula.reset();
    readersStale = true;
}

void SpreadModel::Impl::detachRowFormulas(Row& r) {
    for (auto& c : r.cells)
        if (c && c->formula) detachFormula(*c);
}

void SpreadModel::Impl::clearFormulas() {
    for (Cell* c : formulas) c->formula.reset();
    formulas.clear();
    readers.clear();
    readersStale = true;
}

void SpreadModel::Impl::setCellFormula(int sheet, int col, int row, const std::string& text) {
    Sheet* s = sheetAt(sheet);
    if (!s || col < 1 || row < 1) return;
    std::string t = text;
    if (!t.empty() && t[0] == '=') t.erase(0, 1);
    Cell* existing = s->cellPtr(col, row);
    if (t.empty()) {
        if (!existing || !existing->formula) return;
        // The cell keeps the last value as its content.
        formula::Value last = formulaValue(*existing);
        detachFormula(*existing);
        auto kept = acceptInput(*existing->fmt, last.isNumber() ? formula::formatGeneral(last.asNumber())
                                                               : last.toText(),
                                true);
        setContent(*existing, kept ? *kept : emptyContent(*existing->fmt));
    } else {
        Cell& c = ensureCell(*s, col, row);
        attachFormula(c, formula::Expression::parse(t), sheet, col, row);
    }
    markReaders(sheet, col, row, col, row);
}

void SpreadModel::Impl::indexReader(FormulaState* f) {
    for (const auto& a : f->areas) {
        if (a.sheet < 0 || a.sheet >= static_cast<int>(readers.size())) continue;
        SheetReaders& sr = readers[a.sheet];
        if (sr.all.empty() || sr.all.back() != f) sr.all.push_back(f);
        if (a.c2 - a.c1 >= kNarrowCols) {
            if (sr.wide.empty() || sr.wide.back() != f) sr.wide.push_back(f);
            continue;
        }
        auto add = [f](std::vector<FormulaState*>& list) {
            if (list.empty() || list.back() != f) list.push_back(f);
        };
        for (int c = a.c1; c <= a.c2; ++c) {
            ColumnReaders& column = sr.byCol[c];
            const int r1 = std::min(a.r1, a.r2), r2 = std::max(a.r1, a.r2);
            if (r2 - r1 >= kShortRows) {
                add(column.tall);
                continue;
            }
            for (int b = rowBlock(r1); b <= rowBlock(r2); ++b) add(column.byBlock[b]);
        }
    }
}

void SpreadModel::Impl::rebuildReaders() {
    readers.assign(sheets.size(), {});
    for (Cell* c : formulas) indexReader(c->formula.get());
    readersStale = false;
}

std::vector<std::pair<FormulaState*, formula::Value>> SpreadModel::Impl::markReaders(
    int sheet, int c1, int r1, int c2, int r2, bool all) {
    std::vector<std::pair<FormulaState*, formula::Value>> marked;
    if (formulas.empty()) return marked;
    if (readersStale) rebuildReaders();
    std::unordered_set<FormulaState*> seen;
    struct Spot {
        int sheet, c1, r1, c2, r2;
    };
    std::vector<Spot> work{{sheet, c1, r1, c2, r2}};
    auto visit = [&](const Spot& p, const std::vector<FormulaState*>& candidates) {
        for (FormulaState* f : candidates) {
            // A formula marked before had its readers marked with it.
            if (all ? seen.count(f) != 0 : f->dirty) continue;
            bool hit = false;
            for (const auto& a : f->areas)
                if (a.meets(p.sheet, p.c1, p.r1, p.c2, p.r2)) {
                    hit = true;
                    break;
                }
            if (!hit) continue;
            marked.emplace_back(f, f->value);
            if (all) seen.insert(f);
            f->dirty = true;
            work.push_back({f->sheet, f->col, f->row, f->col, f->row});
        }
    };
    while (!work.empty()) {
        Spot p = work.back();
        work.pop_back();
        if (p.sheet < 0 || p.sheet >= static_cast<int>(readers.size())) continue;
        const SheetReaders& sr = readers[p.sheet];
        if (p.c2 - p.c1 >= kNarrowCols) {
            visit(p, sr.all);
            continue;
        }
        for (int c = p.c1; c <= p.c2; ++c) {
            auto it = sr.byCol.find(c);
            if (it == sr.byCol.end()) continue;
            const ColumnReaders& column = it->second;
            const auto last = column.byBlock.upper_bound(rowBlock(p.r2));
            for (auto b = column.byBlock.lower_bound(rowBlock(p.r1)); b != last; ++b) visit(p, b->second);
            visit(p, column.tall);
        }
        visit(p, sr.wide);
    }
    return marked;
}

void SpreadModel::Impl::shiftFormulas(int sheet, int atRow, int delta) {
    const std::string changedName = sheets[sheet]->name;
    std::vector<FormulaState*> changed;
    for (Cell* c : formulas) {
        FormulaState& f = *c->formula;
        if (f.sheet == sheet && f.row >= atRow) f.row += delta;
        if (f.expr.shiftRows(sheets[f.sheet]->name, changedName, atRow, delta)) {
            resolveAreas(f);
            changed.push_back(&f);
        }
    }
    if (!changed.empty()) readersStale = true;
    for (FormulaState* f : changed) {
        if (f->dirty) continue;
        f->dirty = true;
        markReaders(f->sheet, f->col, f->row, f->col, f->row);
    }
}

}  // namespace zevo::grid
