#pragma once
// COUNTIF-style criteria (">5", "<>x", "ab*", 7) and wildcard matching.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zevo/grid/formula/Value.h"

namespace zevo::grid::formula::detail {

// A pattern where * is any run, ? one character and ~ escapes the next one;
// case is ignored. Compiled once, matched against many texts.
class WildcardPattern {
public:
    explicit WildcardPattern(std::string_view pattern);
    // Whole-text match.
    bool matches(std::string_view text) const;
    // Position (0-based, in characters) of the first place at or after `start`
    // where the pattern matches a stretch of the text.
    std::optional<std::size_t> find(std::string_view text, std::size_t start) const;

private:
    struct Item {
        char32_t ch;
        enum Kind { Literal, Any, Star } kind;
    };
    bool matchFrom(const std::u32string& text, std::size_t from, bool wholeText) const;
    std::vector<Item> items_;
};

class Criterion {
public:
    explicit Criterion(const Value& criterion);
    bool matches(const Value& cell) const;

private:
    enum class Cmp { Eq, Ne, Lt, Gt, Le, Ge };
    bool equalTo(const Value& cell) const;
    Cmp cmp_ = Cmp::Eq;
    Value operand_;
    std::optional<WildcardPattern> pattern_;   // for text operands
};

}  // namespace zevo::grid::formula::detail
