// DATE, DAY, MONTH, YEAR over day numbers of the 1900 date system.
#include <cmath>

#include "DateSerial.h"
#include "Evaluator.h"
#include "Functions.h"

namespace zevo::grid::formula::detail {

namespace {

Value fnDate(const Node& call, Evaluator& ev) {
    double y, m, d;
    if (auto e = toNumber(ev.arg(call, 0), y)) return *e;
    if (auto e = toNumber(ev.arg(call, 1), m)) return *e;
    if (auto e = toNumber(ev.arg(call, 2), d)) return *e;
    auto serial = dateSerial(y, m, d);
    if (!serial) return Value::error(ErrorCode::Num);
    return Value::number(*serial);
}

// The date an argument stands for: a day number, or a date written as text.
std::optional<Value> dateArg(const Node& call, Evaluator& ev, CivilDate& out) {
    Value v = ev.arg(call, 0);
    double serial;
    if (v.isString() && !parseNumber(v.asString())) {
        auto parsed = parseDateText(v.asString());
        if (!parsed) return Value::error(ErrorCode::Value);
        serial = *parsed;
    } else if (auto e = toNumber(v, serial)) {
        return e;
    }
    auto date = civilFromSerial(serial);
    if (!date) return Value::error(ErrorCode::Num);
    out = *date;
    return std::nullopt;
}

Value fnDay(const Node& call, Evaluator& ev) {
    CivilDate d;
    if (auto e = dateArg(call, ev, d)) return *e;
    return Value::number(d.day);
}

Value fnMonth(const Node& call, Evaluator& ev) {
    CivilDate d;
    if (auto e = dateArg(call, ev, d)) return *e;
    return Value::number(d.month);
}

Value fnYear(const Node& call, Evaluator& ev) {
    CivilDate d;
    if (auto e = dateArg(call, ev, d)) return *e;
    return Value::number(d.year);
}

}  // namespace

void addDateFunctions(std::vector<FunctionInfo>& t) {
    t.push_back({"DATE", 3, 3, fnDate});
    t.push_back({"DAY", 1, 1, fnDay});
    t.push_back({"MONTH", 1, 1, fnMonth});
    t.push_back({"YEAR", 1, 1, fnYear});
}

}  // namespace zevo::grid::formula::detail
