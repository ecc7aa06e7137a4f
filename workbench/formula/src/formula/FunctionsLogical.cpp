// IF, AND, OR, NOT, IFERROR and the IS... tests.
#include "Evaluator.h"
#include "Functions.h"

namespace zevo::grid::formula::detail {

namespace {

// Only the branch taken is evaluated; an empty branch gives 0.
Value fnIf(const Node& call, Evaluator& ev) {
    bool cond;
    if (auto e = toBoolean(ev.arg(call, 0), cond)) return *e;
    std::size_t branch = cond ? 1 : 2;
    if (branch >= call.children.size()) return Value::boolean(false);
    if (call.children[branch]->kind == NodeKind::Missing) return Value::number(0);
    return ev.eval(*call.children[branch]);
}

// AND and OR look at every argument (no short cut), so that an error anywhere
// makes the result that error. Texts in ranges are skipped; a text argument
// must read TRUE or FALSE.
Value logical(const Node& call, Evaluator& ev, bool isAnd) {
    bool any = false;
    bool result = isAnd;
    std::optional<Value> error;
    auto err = ev.forEachArgValue(call, [&](const Value& v, bool fromRef) {
        if (v.isError()) {
            error = v;
            return false;
        }
        if (fromRef && (v.isString() || v.isEmpty())) return true;
        bool b;
        if (auto e = toBoolean(v, b)) {
            error = *e;
            return false;
        }
        any = true;
        result = isAnd ? (result && b) : (result || b);
        return true;
    });
    if (err) return *err;
    if (error) return *error;
    if (!any) return Value::error(ErrorCode::Value);
    return Value::boolean(result);
}

Value fnAnd(const Node& call, Evaluator& ev) { return logical(call, ev, true); }
Value fnOr(const Node& call, Evaluator& ev) { return logical(call, ev, false); }

Value fnNot(const Node& call, Evaluator& ev) {
    bool b;
    if (auto e = toBoolean(ev.arg(call, 0), b)) return *e;
    return Value::boolean(!b);
}

Value fnIfError(const Node& call, Evaluator& ev) {
    Value v = ev.arg(call, 0);
    if (!v.isError()) return v.isEmpty() ? Value::number(0) : v;
    Value alt = ev.arg(call, 1);
    return alt.isEmpty() ? Value::number(0) : alt;
}

Value fnIsBlank(const Node& call, Evaluator& ev) {
    return Value::boolean(ev.arg(call, 0).isEmpty() &&
                          call.children[0]->kind != NodeKind::Missing);
}
Value fnIsNumber(const Node& call, Evaluator& ev) { return Value::boolean(ev.arg(call, 0).isNumber()); }
Value fnIsText(const Node& call, Evaluator& ev) { return Value::boolean(ev.arg(call, 0).isString()); }
Value fnIsLogical(const Node& call, Evaluator& ev) { return Value::boolean(ev.arg(call, 0).isBoolean()); }
Value fnIsError(const Node& call, Evaluator& ev) { return Value::boolean(ev.arg(call, 0).isError()); }
Value fnIsNa(const Node& call, Evaluator& ev) {
    Value v = ev.arg(call, 0);
    return Value::boolean(v.isError() && v.asError() == ErrorCode::NA);
}
Value fnTrue(const Node&, Evaluator&) { return Value::boolean(true); }
Value fnFalse(const Node&, Evaluator&) { return Value::boolean(false); }
Value fnNa(const Node&, Evaluator&) { return Value::error(ErrorCode::NA); }

}  // namespace

void addLogicalFunctions(std::vector<FunctionInfo>& t) {
    t.push_back({"IF", 2, 3, fnIf});
    t.push_back({"AND", 1, -1, fnAnd});
    t.push_back({"OR", 1, -1, fnOr});
    t.push_back({"NOT", 1, 1, fnNot});
    t.push_back({"IFERROR", 2, 2, fnIfError});
    t.push_back({"ISBLANK", 1, 1, fnIsBlank});
    t.push_back({"ISNUMBER", 1, 1, fnIsNumber});
    t.push_back({"ISTEXT", 1, 1, fnIsText});
    t.push_back({"ISLOGICAL", 1, 1, fnIsLogical});
    t.push_back({"ISERROR", 1, 1, fnIsError});
    t.push_back({"ISNA", 1, 1, fnIsNa});
    t.push_back({"TRUE", 0, 0, fnTrue});
    t.push_back({"FALSE", 0, 0, fnFalse});
    t.push_back({"NA", 0, 0, fnNa});
}

}  // namespace zevo::grid::formula::detail
