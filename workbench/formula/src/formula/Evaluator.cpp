#include "Evaluator.h"

#include <cmath>

#include "Functions.h"
#include "zevo/grid/formula/Expression.h"
#include "zevo/grid/formula/Utf8Text.h"

namespace zevo::grid::formula {

namespace detail {

std::optional<Value> toNumber(const Value& v, double& out) {
    switch (v.type()) {
        case ValueType::Empty: out = 0; return std::nullopt;
        case ValueType::Number: out = v.asNumber(); return std::nullopt;
        case ValueType::Boolean: out = v.asBoolean() ? 1 : 0; return std::nullopt;
        case ValueType::String:
            if (auto n = parseNumber(v.asString())) {
                out = *n;
                return std::nullopt;
            }
            return Value::error(ErrorCode::Value);
        case ValueType::Error: return v;
    }
    return Value::error(ErrorCode::Value);
}

std::optional<Value> toBoolean(const Value& v, bool& out) {
    switch (v.type()) {
        case ValueType::Empty: out = false; return std::nullopt;
        case ValueType::Number: out = v.asNumber() != 0; return std::nullopt;
        case ValueType::Boolean: out = v.asBoolean(); return std::nullopt;
        case ValueType::String: {
            std::string u = utf8Upper(v.asString());
            if (u == "TRUE" || u == "FALSE") {
                out = u == "TRUE";
                return std::nullopt;
            }
            return Value::error(ErrorCode::Value);
        }
        case ValueType::Error: return v;
    }
    return Value::error(ErrorCode::Value);
}

Value numberResult(double v) {
    if (!std::isfinite(v)) return Value::error(ErrorCode::Num);
    return Value::number(v == 0 ? 0.0 : v);   // no "-0"
}

Value textResult(std::string text) {
    if (text.size() > kMaxTextLength && utf8Length(text) > kMaxTextLength)
        return Value::error(ErrorCode::Value);
    return Value::string(std::move(text));
}

bool approxEqual(double a, double b) {
    if (a == b) return true;
    if (a == 0 || b == 0 || (a < 0) != (b < 0)) return false;
    // About 15 significant decimal digits, the precision cells show.
    return std::fabs(a - b) <= std::max(std::fabs(a), std::fabs(b)) * 3.6e-15;
}

double approxAdd(double a, double b) {
    if ((a < 0) != (b < 0) && approxEqual(a, -b)) return 0.0;
    return a + b;
}

namespace {
int rank(ValueType t) {
    switch (t) {
        case ValueType::Number: return 0;
        case ValueType::String: return 1;
        case ValueType::Boolean: return 2;
        default: return 3;
    }
}
}  // namespace

int compareValues(const Value& a0, const Value& b0) {
    static const Value kZero = Value::number(0), kNoText = Value::string(""),
                       kFalse = Value::boolean(false);
    if (a0.isEmpty() && b0.isEmpty()) return 0;
    auto blankLike = [&](const Value& other) -> const Value& {
        switch (other.type()) {
            case ValueType::String: return kNoText;
            case ValueType::Boolean: return kFalse;
            default: return kZero;
        }
    };
    const Value& a = a0.isEmpty() ? blankLike(b0) : a0;
    const Value& b = b0.isEmpty() ? blankLike(a0) : b0;
    int ra = rank(a.type()), rb = rank(b.type());
    if (ra != rb) return ra < rb ? -1 : 1;
    switch (a.type()) {
        case ValueType::Number: {
            double x = a.asNumber(), y = b.asNumber();
            if (approxEqual(x, y)) return 0;
            return x < y ? -1 : 1;
        }
        case ValueType::String: {
            if (equalsIgnoreCase(a.asString(), b.asString())) return 0;
            std::string x = utf8Lower(a.asString()), y = utf8Lower(b.asString());
            return x < y ? -1 : (x == y ? 0 : 1);
        }
        case ValueType::Boolean:
            return int(a.asBoolean()) - int(b.asBoolean());
        default: return 0;
    }
}

const Reference* Evaluator::referenceOf(const Node& n) {
    const Node* p = &n;
    while (p->kind == NodeKind::Paren) p = p->children[0].get();
    return p->kind == NodeKind::Ref ? &p->ref : nullptr;
}

Value Evaluator::eval(const Node& n) {
    switch (n.kind) {
        case NodeKind::Number: return Value::number(n.number);
        case NodeKind::String: return Value::string(n.text);
        case NodeKind::Boolean: return Value::boolean(n.boolean);
        case NodeKind::Error: return Value::error(n.error);
        case NodeKind::Missing: return Value();
        case NodeKind::Ref: {
            // Several cells where one value is wanted.
            if (n.ref.first.row != n.ref.last.row || n.ref.first.col != n.ref.last.col)
                return Value::error(ErrorCode::Value);
            int sheet = sheetOf(n.ref);
            if (sheet < 0) return Value::error(ErrorCode::Ref);
            return context_.cellValue(sheet, n.ref.first.col, n.ref.first.row);
        }
        case NodeKind::Paren: return eval(*n.children[0]);
        case NodeKind::Unary: {
            Value v = eval(*n.children[0]);
            if (n.op == Op::Plus) return v;
            double x;
            if (auto e = toNumber(v, x)) return *e;
            return numberResult(-x);
        }
        case NodeKind::Percent: {
            double x;
            if (auto e = toNumber(eval(*n.children[0]), x)) return *e;
            return numberResult(x / 100.0);
        }
        case NodeKind::Binary: return binary(n);
        case NodeKind::Call: {
            if (n.function < 0) return Value::error(ErrorCode::Name);
            const FunctionInfo& f = functionInfo(n.function);
            int count = static_cast<int>(n.children.size());
            if (count < f.minArgs || (f.maxArgs >= 0 && count > f.maxArgs))
                return Value::error(ErrorCode::Value);
            return f.impl(n, *this);
        }
    }
    return Value::error(ErrorCode::Value);
}

Value Evaluator::binary(const Node& n) {
    Value a = eval(*n.children[0]);
    Value b = eval(*n.children[1]);
    if (a.isError()) return a;
    if (b.isError()) return b;
    switch (n.op) {
        case Op::Concat: return textResult(a.toText() + b.toText());
        case Op::Eq: return Value::boolean(compareValues(a, b) == 0);
        case Op::Ne: return Value::boolean(compareValues(a, b) != 0);
        case Op::Lt: return Value::boolean(compareValues(a, b) < 0);
        case Op::Gt: return Value::boolean(compareValues(a, b) > 0);
        case Op::Le: return Value::boolean(compareValues(a, b) <= 0);
        case Op::Ge: return Value::boolean(compareValues(a, b) >= 0);
        default: break;
    }
    double x, y;
    if (auto e = toNumber(a, x)) return *e;
    if (auto e = toNumber(b, y)) return *e;
    switch (n.op) {
        case Op::Add: return numberResult(approxAdd(x, y));
        case Op::Sub: return numberResult(approxAdd(x, -y));
        case Op::Mul: return numberResult(x * y);
        case Op::Div:
            if (y == 0) return Value::error(ErrorCode::Div0);
            return numberResult(x / y);
        case Op::Pow:
            if (x == 0 && y == 0) return Value::error(ErrorCode::Num);
            if (x == 0 && y < 0) return Value::error(ErrorCode::Div0);
            return numberResult(std::pow(x, y));
        default: return Value::error(ErrorCode::Value);
    }
}

}  // namespace detail

Value evaluate(const Expression& expression, EvalContext& context) {
    const detail::Node* root = expression.root();
    if (!root) return Value::error(ErrorCode::Name);
    try {
        detail::Evaluator ev(context);
        Value v = ev.eval(*root);
        // A formula that ends on a blank cell shows 0, as in a spreadsheet.
        return v.isEmpty() ? Value::number(0) : v;
    } catch (const std::bad_alloc&) {
        return Value::error(ErrorCode::Num);
    } catch (...) {
        return Value::error(ErrorCode::Value);
    }
}

}  // namespace zevo::grid::formula
