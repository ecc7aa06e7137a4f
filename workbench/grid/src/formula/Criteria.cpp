#include "Criteria.h"

#include <string>
#include <vector>

#include "Evaluator.h"
#include "zevo/grid/formula/Utf8Text.h"

namespace zevo::grid::formula::detail {

namespace {

// Text as code points (bytes of invalid sequences stand alone), lower-cased.
std::u32string foldedChars(std::string_view text) {
    std::string lower = utf8Lower(text);
    std::u32string out;
    std::size_t n = utf8Length(lower);
    out.reserve(n);
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t next = pos + utf8Offset(std::string_view(lower).substr(pos), 1);
        char32_t cp = 0;
        for (std::size_t k = pos; k < next; ++k) cp = (cp << 8) | static_cast<unsigned char>(lower[k]);
        out.push_back(cp);   // a unique key per character is all matching needs
        pos = next;
    }
    return out;
}

struct PatternChar {
    char32_t ch;
    enum Kind { Literal, Any, Star } kind;
};

std::vector<PatternChar> compile(std::string_view pattern) {
    std::u32string p = foldedChars(pattern);
    std::vector<PatternChar> out;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (p[i] == U'~' && i + 1 < p.size() && (p[i + 1] == U'*' || p[i + 1] == U'?' || p[i + 1] == U'~'))
            out.push_back({p[++i], PatternChar::Literal});
        else if (p[i] == U'*')
            out.push_back({0, PatternChar::Star});
        else if (p[i] == U'?')
            out.push_back({0, PatternChar::Any});
        else
            out.push_back({p[i], PatternChar::Literal});
    }
    return out;
}

// reach[j] after the loop: whether pattern[0..j) can match text[from..to) for
// the `to` reached so far. Classic dynamic programming over the text.
// Returns the set of text lengths the whole pattern can match from `from`.
bool matchFrom(const std::vector<PatternChar>& pat, const std::u32string& text, std::size_t from,
               bool wholeText) {
    std::vector<char> reach(pat.size() + 1, 0);
    reach[0] = 1;
    for (std::size_t j = 0; j < pat.size() && pat[j].kind == PatternChar::Star; ++j) reach[j + 1] = 1;
    if (!wholeText && reach[pat.size()]) return true;
    for (std::size_t t = from; t < text.size(); ++t) {
        std::vector<char> next(pat.size() + 1, 0);
        for (std::size_t j = 0; j < pat.size(); ++j) {
            if (!reach[j]) continue;
            const PatternChar& pc = pat[j];
            if (pc.kind == PatternChar::Star) {
                next[j] = 1;       // the star takes this character and may take more
                next[j + 1] = 1;
            } else if (pc.kind == PatternChar::Any || pc.ch == text[t]) {
                next[j + 1] = 1;
            }
        }
        // A star may also take nothing.
        for (std::size_t j = 0; j < pat.size(); ++j)
            if (next[j] && pat[j].kind == PatternChar::Star) next[j + 1] = 1;
        reach.swap(next);
        if (!wholeText && reach[pat.size()]) return true;
        bool alive = false;
        for (char r : reach) alive = alive || r;
        if (!alive) return false;
    }
    return reach[pat.size()] != 0;
}

}  // namespace

bool wildcardMatch(std::string_view pattern, std::string_view text) {
    return matchFrom(compile(pattern), foldedChars(text), 0, true);
}

std::optional<std::size_t> wildcardFind(std::string_view pattern, std::string_view text,
                                        std::size_t start) {
    auto pat = compile(pattern);
    auto chars = foldedChars(text);
    for (std::size_t p = start; p <= chars.size(); ++p)
        if (matchFrom(pat, chars, p, false)) return p;
    return std::nullopt;
}

Criterion::Criterion(const Value& criterion) {
    if (!criterion.isString()) {
        operand_ = criterion.isEmpty() ? Value::string("") : criterion;
        return;
    }
    std::string_view s = criterion.asString();
    struct Prefix {
        std::string_view text;
        Cmp cmp;
    };
    for (Prefix p : {Prefix{"<>", Cmp::Ne}, Prefix{"<=", Cmp::Le}, Prefix{">=", Cmp::Ge},
                     Prefix{"=", Cmp::Eq}, Prefix{"<", Cmp::Lt}, Prefix{">", Cmp::Gt}}) {
        if (s.substr(0, p.text.size()) == p.text) {
            cmp_ = p.cmp;
            s.remove_prefix(p.text.size());
            break;
        }
    }
    std::string upper = utf8Upper(s);
    if (auto n = parseNumber(s))
        operand_ = Value::number(*n);
    else if (upper == "TRUE" || upper == "FALSE")
        operand_ = Value::boolean(upper == "TRUE");
    else if (auto e = errorFromText(upper))
        operand_ = Value::error(*e);
    else
        operand_ = Value::string(std::string(s));
}

bool Criterion::equalTo(const Value& cell) const {
    switch (operand_.type()) {
        case ValueType::Number: {
            if (cell.isNumber()) return approxEqual(cell.asNumber(), operand_.asNumber());
            if (cell.isString())
                if (auto n = parseNumber(cell.asString())) return approxEqual(*n, operand_.asNumber());
            return false;
        }
        case ValueType::Boolean: return cell.isBoolean() && cell.asBoolean() == operand_.asBoolean();
        case ValueType::Error: return cell.isError() && cell.asError() == operand_.asError();
        case ValueType::String: {
            const std::string& pattern = operand_.asString();
            if (pattern.empty()) return cell.isEmpty() || (cell.isString() && cell.asString().empty());
            return cell.isString() && wildcardMatch(pattern, cell.asString());
        }
        default: return cell.isEmpty();
    }
}

bool Criterion::matches(const Value& cell) const {
    if (cmp_ == Cmp::Eq) return equalTo(cell);
    if (cmp_ == Cmp::Ne) return !equalTo(cell);
    // Ordering compares like with like only: numbers with numbers, texts with texts.
    int c;
    if (operand_.isNumber() && cell.isNumber())
        c = compareValues(cell, operand_);
    else if (operand_.isString() && cell.isString())
        c = compareValues(cell, operand_);
    else if (operand_.isBoolean() && cell.isBoolean())
        c = compareValues(cell, operand_);
    else
        return false;
    switch (cmp_) {
        case Cmp::Lt: return c < 0;
        case Cmp::Gt: return c > 0;
        case Cmp::Le: return c <= 0;
        case Cmp::Ge: return c >= 0;
        default: return false;
    }
}

}  // namespace zevo::grid::formula::detail
