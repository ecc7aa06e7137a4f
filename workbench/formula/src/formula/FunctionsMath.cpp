// Aggregates (SUM, COUNT, COUNTA, COUNTIF, MIN, MAX ...) and arithmetic functions.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "Criteria.h"
#include "Evaluator.h"
#include "Functions.h"

namespace zevo::grid::formula::detail {

namespace {

// Numbers of the arguments as SUM sees them: cells of ranges count only when
// they hold numbers (errors propagate); direct arguments convert (numeric text,
// booleans) or fail with #VALUE!.
template <typename Add>
std::optional<Value> forEachNumber(const Node& call, Evaluator& ev, Add&& add) {
    std::optional<Value> error;
    auto err = ev.forEachArgValue(call, [&](const Value& v, bool fromRef) {
        if (v.isError()) {
            error = v;
            return false;
        }
        if (fromRef) {
            if (v.isNumber()) add(v.asNumber());
            return true;
        }
        double x;
        if (auto e = toNumber(v, x)) {
            error = *e;
            return false;
        }
        add(x);
        return true;
    });
    if (err) return err;
    return error;
}

Value fnSum(const Node& call, Evaluator& ev) {
    double sum = 0;
    if (auto e = forEachNumber(call, ev, [&](double x) { sum = approxAdd(sum, x); })) return *e;
    return numberResult(sum);
}

Value fnAverage(const Node& call, Evaluator& ev) {
    double sum = 0;
    int count = 0;
    if (auto e = forEachNumber(call, ev, [&](double x) { sum = approxAdd(sum, x); ++count; }))
        return *e;
    if (count == 0) return Value::error(ErrorCode::Div0);
    return numberResult(sum / count);
}

Value extreme(const Node& call, Evaluator& ev, bool wantMax) {
    bool any = false;
    double best = 0;
    auto e = forEachNumber(call, ev, [&](double x) {
        if (!any || (wantMax ? x > best : x < best)) best = x;
        any = true;
    });
    if (e) return *e;
    return numberResult(any ? best : 0.0);
}

Value fnMin(const Node& call, Evaluator& ev) { return extreme(call, ev, false); }
Value fnMax(const Node& call, Evaluator& ev) { return extreme(call, ev, true); }

// COUNT never fails: it counts numbers in ranges, and direct arguments that are
// or read as numbers.
Value fnCount(const Node& call, Evaluator& ev) {
    double count = 0;
    auto err = ev.forEachArgValue(call, [&](const Value& v, bool fromRef) {
        if (v.isNumber()) ++count;
        else if (!fromRef && v.isBoolean()) ++count;
        else if (!fromRef && v.isString() && parseNumber(v.asString())) ++count;
        return true;
    });
    if (err) return *err;
    return Value::number(count);
}

// Cells that are not blank (errors and "" results included); every direct argument.
Value fnCountA(const Node& call, Evaluator& ev) {
    double count = 0;
    auto err = ev.forEachArgValue(call, [&](const Value& v, bool fromRef) {
        if (!fromRef || !v.isEmpty()) ++count;
        return true;
    });
    if (err) return *err;
    return Value::number(count);
}

Value fnCountBlank(const Node& call, Evaluator& ev) {
    const Reference* ref = Evaluator::referenceOf(*call.children[0]);
    if (!ref) return Value::error(ErrorCode::Value);
    double nonBlank = 0;
    auto err = ev.forEachCell(*ref, [&](const Value& v) {
        if (!v.isEmpty() && !(v.isString() && v.asString().empty())) ++nonBlank;
        return true;
    });
    if (err) return *err;
    return Value::number(Evaluator::cellCount(*ref) - nonBlank);
}

Value fnCountIf(const Node& call, Evaluator& ev) {
    const Reference* ref = Evaluator::referenceOf(*call.children[0]);
    if (!ref) return Value::error(ErrorCode::Value);
    Criterion criterion(ev.arg(call, 1));
    double count = 0;
    // Cells beyond the sheet's data are blank: count them without reading them.
    double visited = 0;
    auto err = ev.forEachCell(*ref, [&](const Value& v) {
        ++visited;
        if (criterion.matches(v)) ++count;
        return true;
    });
    if (err) return *err;
    double unread = Evaluator::cellCount(*ref) - visited;
    if (unread > 0 && criterion.matches(Value())) count += unread;
    return Value::number(count);
}

Value fnSumIf(const Node& call, Evaluator& ev) {
    const Reference* ref = Evaluator::referenceOf(*call.children[0]);
    if (!ref) return Value::error(ErrorCode::Value);
    const Reference* sumRef = ref;
    if (call.children.size() > 2) {
        sumRef = Evaluator::referenceOf(*call.children[2]);
        if (!sumRef) return Value::error(ErrorCode::Value);
    }
    Criterion criterion(ev.arg(call, 1));
    int sheet = ev.sheetOf(*ref);
    int sumSheet = ev.sheetOf(*sumRef);
    if (sheet < 0 || sumSheet < 0) return Value::error(ErrorCode::Ref);
    // The sum range takes the criteria range's shape from its own top-left corner.
    EvalContext& ctx = ev.context();
    int lastRow = std::min(ref->last.row, ctx.lastRow(sheet));
    int lastCol = std::min(ref->last.col, ctx.lastCol(sheet));
    double sum = 0;
    for (int r = ref->first.row; r <= lastRow; ++r) {
        for (int c = ref->first.col; c <= lastCol; ++c) {
            if (!criterion.matches(ctx.cellValue(sheet, c, r))) continue;
            int sr = sumRef->first.row + (r - ref->first.row);
            int sc = sumRef->first.col + (c - ref->first.col);
            if (sr > kMaxRow || sc > kMaxCol) continue;
            Value v = ctx.cellValue(sumSheet, sc, sr);
            if (v.isError()) return v;
            if (v.isNumber()) sum = approxAdd(sum, v.asNumber());
        }
    }
    return numberResult(sum);
}

Value unaryMath(const Node& call, Evaluator& ev, double (*f)(double)) {
    double x;
    if (auto e = toNumber(ev.arg(call, 0), x)) return *e;
    return numberResult(f(x));
}

Value fnAbs(const Node& call, Evaluator& ev) { return unaryMath(call, ev, [](double x) { return std::fabs(x); }); }
Value fnInt(const Node& call, Evaluator& ev) { return unaryMath(call, ev, [](double x) { return std::floor(x); }); }

enum class RoundMode { Nearest, Up, Down };

// Rounds to `digits` decimals (negative: tens, hundreds ...). The scaled value
// is first cut to 15 significant digits so that 1.005 rounds to 1.01 as shown.
double roundTo(double x, double digitsArg, RoundMode mode) {
    int digits = static_cast<int>(std::trunc(digitsArg));
    if (digits > 15) digits = 15;
    if (digits < -308) return 0;
    double scale = std::pow(10.0, std::abs(digits));
    double scaled = digits >= 0 ? x * scale : x / scale;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", scaled);
    scaled = std::strtod(buf, nullptr);
    double r;
    switch (mode) {
        case RoundMode::Nearest: r = std::round(scaled); break;   // half away from zero
        case RoundMode::Up: r = scaled < 0 ? std::floor(scaled) : std::ceil(scaled); break;
        default: r = std::trunc(scaled); break;
    }
    return digits >= 0 ? r / scale : r * scale;
}

Value rounding(const Node& call, Evaluator& ev, RoundMode mode) {
    double x, d;
    if (auto e = toNumber(ev.arg(call, 0), x)) return *e;
    if (auto e = toNumber(ev.arg(call, 1), d)) return *e;
    return numberResult(roundTo(x, d, mode));
}

Value fnRound(const Node& call, Evaluator& ev) { return rounding(call, ev, RoundMode::Nearest); }
Value fnRoundUp(const Node& call, Evaluator& ev) { return rounding(call, ev, RoundMode::Up); }
Value fnRoundDown(const Node& call, Evaluator& ev) { return rounding(call, ev, RoundMode::Down); }

// The result takes the divisor's sign, as in spreadsheets: MOD(-3, 2) = 1.
Value fnMod(const Node& call, Evaluator& ev) {
    double a, b;
    if (auto e = toNumber(ev.arg(call, 0), a)) return *e;
    if (auto e = toNumber(ev.arg(call, 1), b)) return *e;
    if (b == 0) return Value::error(ErrorCode::Div0);
    double r = approxAdd(a, -b * std::floor(a / b));
    if (approxEqual(r, b)) r = 0;
    return numberResult(r);
}

}  // namespace

void addMathFunctions(std::vector<FunctionInfo>& t) {
    t.push_back({"SUM", 1, -1, fnSum});
    t.push_back({"AVERAGE", 1, -1, fnAverage});
    t.push_back({"MIN", 1, -1, fnMin});
    t.push_back({"MAX", 1, -1, fnMax});
    t.push_back({"COUNT", 1, -1, fnCount});
    t.push_back({"COUNTA", 1, -1, fnCountA});
    t.push_back({"COUNTBLANK", 1, 1, fnCountBlank});
    t.push_back({"COUNTIF", 2, 2, fnCountIf});
    t.push_back({"SUMIF", 2, 3, fnSumIf});
    t.push_back({"ABS", 1, 1, fnAbs});
    t.push_back({"INT", 1, 1, fnInt});
    t.push_back({"ROUND", 2, 2, fnRound});
    t.push_back({"ROUNDUP", 2, 2, fnRoundUp});
    t.push_back({"ROUNDDOWN", 2, 2, fnRoundDown});
    t.push_back({"MOD", 2, 2, fnMod});
}

}  // namespace zevo::grid::formula::detail
