// Text functions. Positions and lengths count characters of UTF-8 text, never bytes.
#include <cmath>

#include "Criteria.h"
#include "Evaluator.h"
#include "Functions.h"
#include "TextFormat.h"
#include "zevo/grid/formula/Utf8Text.h"

namespace zevo::grid::formula::detail {

namespace {

// The text of argument i, or the error it holds.
std::optional<Value> textArg(const Node& call, Evaluator& ev, std::size_t i, std::string& out) {
    Value v = ev.arg(call, i);
    if (v.isError()) return v;
    out = v.toText();
    return std::nullopt;
}

// A whole-number argument (truncated), or the error; `fallback` when absent.
std::optional<Value> countArg(const Node& call, Evaluator& ev, std::size_t i, double fallback,
                              double& out) {
    if (i >= call.children.size()) {
        out = fallback;
        return std::nullopt;
    }
    if (auto e = toNumber(ev.arg(call, i), out)) return e;
    out = std::trunc(out);
    return std::nullopt;
}

std::size_t clampCount(double n) {
    return n > 1e9 ? std::size_t(1e9) : static_cast<std::size_t>(n);
}

Value fnLen(const Node& call, Evaluator& ev) {
    std::string s;
    if (auto e = textArg(call, ev, 0, s)) return *e;
    return Value::number(static_cast<double>(utf8Length(s)));
}

// Blanks (U+0020) off both ends, inner runs cut to one.
Value fnTrim(const Node& call, Evaluator& ev) {
    std::string s;
    if (auto e = textArg(call, ev, 0, s)) return *e;
    std::string out;
    bool pendingBlank = false;
    for (char c : s) {
        if (c == ' ') {
            pendingBlank = !out.empty();
            continue;
        }
        if (pendingBlank) out += ' ';
        pendingBlank = false;
        out += c;
    }
    return Value::string(out);
}

Value fnValue(const Node& call, Evaluator& ev) {
    Value v = ev.arg(call, 0);
    switch (v.type()) {
        case ValueType::Error: return v;
        case ValueType::Empty: return Value::number(0);
        case ValueType::Number: return v;
        case ValueType::String:
            if (auto n = parseNumber(v.asString())) return Value::number(*n);
            return Value::error(ErrorCode::Value);
        default: return Value::error(ErrorCode::Value);
    }
}

Value fnLeft(const Node& call, Evaluator& ev) {
    std::string s;
    double n;
    if (auto e = textArg(call, ev, 0, s)) return *e;
    if (auto e = countArg(call, ev, 1, 1, n)) return *e;
    if (n < 0) return Value::error(ErrorCode::Value);
    return Value::string(utf8Substr(s, 0, clampCount(n)));
}

Value fnRight(const Node& call, Evaluator& ev) {
    std::string s;
    double n;
    if (auto e = textArg(call, ev, 0, s)) return *e;
    if (auto e = countArg(call, ev, 1, 1, n)) return *e;
    if (n < 0) return Value::error(ErrorCode::Value);
    std::size_t len = utf8Length(s);
    std::size_t take = std::min(len, clampCount(n));
    return Value::string(utf8Substr(s, len - take, take));
}

Value fnMid(const Node& call, Evaluator& ev) {
    std::string s;
    double start, n;
    if (auto e = textArg(call, ev, 0, s)) return *e;
    if (auto e = countArg(call, ev, 1, 1, start)) return *e;
    if (auto e = countArg(call, ev, 2, 0, n)) return *e;
    if (start < 1 || n < 0) return Value::error(ErrorCode::Value);
    return Value::string(utf8Substr(s, clampCount(start - 1), clampCount(n)));
}

Value fnUpper(const Node& call, Evaluator& ev) {
    std::string s;
    if (auto e = textArg(call, ev, 0, s)) return *e;
    return Value::string(utf8Upper(s));
}

Value fnLower(const Node& call, Evaluator& ev) {
    std::string s;
    if (auto e = textArg(call, ev, 0, s)) return *e;
    return Value::string(utf8Lower(s));
}

Value fnConcatenate(const Node& call, Evaluator& ev) {
    std::string out;
    for (std::size_t i = 0; i < call.children.size(); ++i) {
        std::string s;
        if (auto e = textArg(call, ev, i, s)) return *e;
        out += s;
        if (out.size() > kMaxTextBytes) return Value::error(ErrorCode::Value);
    }
    return textResult(std::move(out));
}

Value fnExact(const Node& call, Evaluator& ev) {
    std::string a, b;
    if (auto e = textArg(call, ev, 0, a)) return *e;
    if (auto e = textArg(call, ev, 1, b)) return *e;
    return Value::boolean(a == b);
}

Value fnText(const Node& call, Evaluator& ev) {
    Value v = ev.arg(call, 0);
    std::string format;
    if (v.isError()) return v;
    if (auto e = textArg(call, ev, 1, format)) return *e;
    Value formatted = formatText(v, format);
    return formatted.isString() ? textResult(formatted.asString()) : formatted;
}

Value fnSubstitute(const Node& call, Evaluator& ev) {
    std::string text, oldText, newText;
    if (auto e = textArg(call, ev, 0, text)) return *e;
    if (auto e = textArg(call, ev, 1, oldText)) return *e;
    if (auto e = textArg(call, ev, 2, newText)) return *e;
    double instance = 0;
    if (call.children.size() > 3) {
        if (auto e = countArg(call, ev, 3, 0, instance)) return *e;
        if (instance < 1) return Value::error(ErrorCode::Value);
    }
    if (oldText.empty()) return Value::string(text);
    std::string out;
    std::size_t pos = 0;
    double seen = 0;
    for (;;) {
        std::size_t hit = text.find(oldText, pos);
        if (hit == std::string::npos) break;
        ++seen;
        out.append(text, pos, hit - pos);
        if (instance == 0 || seen == instance)
            out += newText;
        else
            out += oldText;
        pos = hit + oldText.size();
        if (out.size() > kMaxTextBytes) return Value::error(ErrorCode::Value);
    }
    out.append(text, pos, std::string::npos);
    return textResult(std::move(out));
}

// FIND is exact; SEARCH ignores case and takes * ? ~ wildcards. Both answer a
// 1-based character position or #VALUE! when there is no match.
Value findText(const Node& call, Evaluator& ev, bool search) {
    std::string needle, haystack;
    double start;
    if (auto e = textArg(call, ev, 0, needle)) return *e;
    if (auto e = textArg(call, ev, 1, haystack)) return *e;
    if (auto e = countArg(call, ev, 2, 1, start)) return *e;
    std::size_t len = utf8Length(haystack);
    if (start < 1 || start > static_cast<double>(len) + 1) return Value::error(ErrorCode::Value);
    std::size_t from = clampCount(start - 1);
    if (needle.empty()) return Value::number(start);
    if (search) {
        auto at = WildcardPattern(needle).find(haystack, from);
        if (!at) return Value::error(ErrorCode::Value);
        return Value::number(static_cast<double>(*at + 1));
    }
    std::size_t byteFrom = utf8Offset(haystack, from);
    std::size_t hit = haystack.find(needle, byteFrom);
    if (hit == std::string::npos) return Value::error(ErrorCode::Value);
    return Value::number(static_cast<double>(utf8Length(std::string_view(haystack).substr(0, hit)) + 1));
}

Value fnFind(const Node& call, Evaluator& ev) { return findText(call, ev, false); }
Value fnSearch(const Node& call, Evaluator& ev) { return findText(call, ev, true); }

Value fnRept(const Node& call, Evaluator& ev) {
    std::string s;
    double n;
    if (auto e = textArg(call, ev, 0, s)) return *e;
    if (auto e = countArg(call, ev, 1, 0, n)) return *e;
    if (n < 0 || n * static_cast<double>(utf8Length(s)) > static_cast<double>(kMaxTextLength))
        return Value::error(ErrorCode::Value);
    std::string out;
    for (std::size_t i = 0; i < clampCount(n); ++i) out += s;
    return Value::string(std::move(out));
}

}  // namespace

void addTextFunctions(std::vector<FunctionInfo>& t) {
    t.push_back({"LEN", 1, 1, fnLen});
    t.push_back({"TRIM", 1, 1, fnTrim});
    t.push_back({"VALUE", 1, 1, fnValue});
    t.push_back({"LEFT", 1, 2, fnLeft});
    t.push_back({"RIGHT", 1, 2, fnRight});
    t.push_back({"MID", 3, 3, fnMid});
    t.push_back({"UPPER", 1, 1, fnUpper});
    t.push_back({"LOWER", 1, 1, fnLower});
    t.push_back({"CONCATENATE", 1, -1, fnConcatenate});
    t.push_back({"EXACT", 2, 2, fnExact});
    t.push_back({"TEXT", 2, 2, fnText});
    t.push_back({"SUBSTITUTE", 3, 4, fnSubstitute});
    t.push_back({"FIND", 2, 3, fnFind});
    t.push_back({"SEARCH", 2, 3, fnSearch});
    t.push_back({"REPT", 2, 2, fnRept});
}

}  // namespace zevo::grid::formula::detail
