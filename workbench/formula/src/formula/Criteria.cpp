#include "Criteria.h"

#include <algorithm>
#include <cstdint>

#include "CaseMap.h"
#include "Evaluator.h"
#include "zevo/grid/formula/Utf8Text.h"

namespace zevo::grid::formula::detail {

namespace {

std::u32string foldedChars(std::string_view text) {
    std::u32string out;
    foldChars(text, out);
    return out;
}

// Reused between calls: matching runs once per cell of a range.
std::u32string& scratch() {
    thread_local std::u32string buffer;
    return buffer;
}

}  // namespace

WildcardPattern::WildcardPattern(std::string_view pattern) {
    std::u32string p = foldedChars(pattern);
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (p[i] == U'~' && i + 1 < p.size() && (p[i + 1] == U'*' || p[i + 1] == U'?' || p[i + 1] == U'~'))
            items_.push_back({p[++i], Item::Literal});
        else if (p[i] == U'*')
            items_.push_back({0, Item::Star});
        else if (p[i] == U'?')
            items_.push_back({0, Item::Any});
        else
            items_.push_back({p[i], Item::Literal});
    }
}

// Walks the text once, keeping the set of pattern positions reachable so far
// as bits (patterns are short; longer ones use a vector).
bool WildcardPattern::matchFrom(const std::u32string& text, std::size_t from, bool wholeText) const {
    const std::size_t n = items_.size();
    if (n < 64) {
        std::uint64_t stars = 0;
        for (std::size_t j = 0; j < n; ++j)
            if (items_[j].kind == Item::Star) stars |= std::uint64_t(1) << j;
        auto closeStars = [&](std::uint64_t r) {   // a star may take nothing
            for (std::size_t j = 0; j < n; ++j)
                if ((r >> j & 1) && (stars >> j & 1)) r |= std::uint64_t(1) << (j + 1);
            return r;
        };
        const std::uint64_t done = std::uint64_t(1) << n;
        std::uint64_t reach = closeStars(1);
        if (!wholeText && (reach & done)) return true;
        for (std::size_t t = from; t < text.size(); ++t) {
            std::uint64_t next = reach & stars;   // a star takes this character
            for (std::size_t j = 0; j < n; ++j) {
                if (!(reach >> j & 1)) continue;
                const Item& it = items_[j];
                if (it.kind == Item::Star) next |= std::uint64_t(1) << (j + 1);
                else if (it.kind == Item::Any || it.ch == text[t]) next |= std::uint64_t(1) << (j + 1);
            }
            if (!next) return false;
            reach = closeStars(next);
            if (!wholeText && (reach & done)) return true;
        }
        return (reach & done) != 0;
    }
    std::vector<char> reach(n + 1, 0), next(n + 1, 0);
    auto closeStars = [&](std::vector<char>& r) {
        for (std::size_t j = 0; j < n; ++j)
            if (r[j] && items_[j].kind == Item::Star) r[j + 1] = 1;
    };
    reach[0] = 1;
    closeStars(reach);
    if (!wholeText && reach[n]) return true;
    for (std::size_t t = from; t < text.size(); ++t) {
        std::fill(next.begin(), next.end(), 0);
        bool alive = false;
        for (std::size_t j = 0; j < n; ++j) {
            if (!reach[j]) continue;
            const Item& it = items_[j];
            if (it.kind == Item::Star) {
                next[j] = 1;
                next[j + 1] = 1;
                alive = true;
            } else if (it.kind == Item::Any || it.ch == text[t]) {
                next[j + 1] = 1;
                alive = true;
            }
        }
        if (!alive) return false;
        closeStars(next);
        reach.swap(next);
        if (!wholeText && reach[n]) return true;
    }
    return reach[n] != 0;
}

bool WildcardPattern::matches(std::string_view text) const {
    std::u32string& chars = scratch();
    foldChars(text, chars);
    return matchFrom(chars, 0, true);
}

std::optional<std::size_t> WildcardPattern::find(std::string_view text, std::size_t start) const {
    auto chars = foldedChars(text);
    for (std::size_t p = start; p <= chars.size(); ++p)
        if (matchFrom(chars, p, false)) return p;
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
    if (operand_.isString() && !operand_.asString().empty())
        pattern_.emplace(operand_.asString());
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
            return cell.isString() && pattern_->matches(cell.asString());
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
