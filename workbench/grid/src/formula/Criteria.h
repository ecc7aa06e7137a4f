#pragma once
// COUNTIF-style criteria (">5", "<>x", "ab*", 7) and wildcard matching.
#include <optional>
#include <string_view>

#include "zevo/grid/formula/Value.h"

namespace zevo::grid::formula::detail {

class Criterion {
public:
    explicit Criterion(const Value& criterion);
    bool matches(const Value& cell) const;

private:
    enum class Cmp { Eq, Ne, Lt, Gt, Le, Ge };
    bool equalTo(const Value& cell) const;
    Cmp cmp_ = Cmp::Eq;
    Value operand_;
};

// Whole-text match of a pattern where * is any run, ? one character and ~
// escapes the next one. Case is ignored.
bool wildcardMatch(std::string_view pattern, std::string_view text);

// Position (0-based, in characters) of the first place at or after `start`
// where the pattern matches a stretch of the text; case is ignored.
std::optional<std::size_t> wildcardFind(std::string_view pattern, std::string_view text,
                                        std::size_t start);

}  // namespace zevo::grid::formula::detail
