// Formula parser and evaluator: any text parses (or is kept as bad text), the
// canonical text of a good formula parses to the same formula, and evaluation
// over a small sheet whose cells hold formulas too ends with a value.
#include <map>
#include <set>
#include <tuple>

#include "FuzzSupport.h"
#include "zevo/grid/formula/EvalContext.h"
#include "zevo/grid/formula/Expression.h"

using namespace zevo::grid::formula;

namespace {

// Like the grid, a formula cell is evaluated once and its value kept: without
// that, a formula reading B1..B3 many times, standing in B1..B3 itself, costs
// (references)^3 evaluations, a cost of this context and not of the engine.
class SheetContext : public EvalContext {
public:
    std::map<std::pair<int, int>, Expression> formulas;
    std::map<std::pair<int, int>, Value> values;
    std::set<std::pair<int, int>> active;
    int currentSheet() const override { return 0; }
    int findSheet(std::string_view name) const override { return name == "S" ? 0 : -1; }
    Value cellValue(int sheet, int col, int row) override {
        if (sheet != 0) return Value::error(ErrorCode::Ref);
        auto f = formulas.find({col, row});
        if (f == formulas.end()) return col == 1 ? Value::number(row) : Value::string("t" + std::to_string(row));
        if (auto known = values.find({col, row}); known != values.end()) return known->second;
        if (!active.insert({col, row}).second) return Value::error(ErrorCode::Ref);
        Value v = evaluate(f->second, *this);
        active.erase({col, row});
        values.emplace(std::pair(col, row), v);
        return v;
    }
    int lastRow(int) const override { return 8; }
    int lastCol(int) const override { return 4; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    Expression e = Expression::parse(text);
    if (e.isValid()) {
        const std::string canonical = e.toText();
        Expression again = Expression::parse(canonical);
        if (!again.isValid() || again.toText() != canonical) std::abort();
    }
    SheetContext ctx;
    // The formula stands in B1..B3 as well, so references reach formulas.
    for (int r = 1; r <= 3; ++r) ctx.formulas.emplace(std::pair(2, r), Expression::parse(text));
    const Value v = evaluate(e, ctx);
    if (v.isString() && v.asString().size() > 4 * 32767) std::abort();
    return 0;
}
