#pragma once
// A parsed formula. Parse once, then evaluate as often as needed against an
// EvalContext; shift it when rows are inserted or deleted; offset it when the
// formula is copied to another cell.
//
// Syntax: numbers (1, 1.5, .5, 1E+3), strings ("a""b"), TRUE/FALSE, error literals
// (#REF! ...), cell references A1 $A$1 A$1 $A1, ranges A1:B5, sheet-qualified
// references Sheet1!A1 and 'Tờ khai 01'!A1:B2 ('' inside quotes stands for one ').
// Operators by rising precedence: comparisons = <> < > <= >=, &, + -, * /, ^,
// postfix %, unary - +. Function names are case-insensitive; empty arguments
// (IF(A1,,1)) are allowed.
//
// Parse errors never throw: the expression keeps the original text (toText gives
// it back unchanged), isValid() is false, parseError() says why, and it evaluates
// to #NAME?. An unknown function name parses (and round-trips) and evaluates to
// #NAME?.
//
// Expressions are values: copying one is cheap (the tree is shared and never
// modified in place).
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zevo/grid/formula/EvalContext.h"
#include "zevo/grid/formula/Reference.h"
#include "zevo/grid/formula/Value.h"

namespace zevo::grid::formula {

namespace detail {
struct Node;
}

class Expression {
public:
    Expression();   // an empty, invalid expression ("")

    // `text` is the formula without its leading "=" (a leading "=" is tolerated).
    static Expression parse(std::string_view text);

    bool isValid() const { return error_.empty(); }
    const std::string& parseError() const { return error_; }

    // Canonical formula text without "=": function names in capitals, no blanks,
    // sheet names quoted when they need it, parentheses as written. For a valid
    // expression parse(toText()) gives an equal expression.
    std::string toText() const;

    // Every cell and range the formula reads (references made #REF! by a deletion
    // are no longer listed), in the order they appear.
    std::vector<Reference> references() const;

    // Rows were inserted (delta > 0: `delta` rows before row atRow) or deleted
    // (delta < 0: rows atRow .. atRow - delta - 1) on sheet `changedSheet`. The
    // formula lives on `formulaSheet` (its unqualified references point there).
    // Every reference into the changed sheet follows its cells, whether absolute
    // or relative: a deleted cell becomes #REF!, ranges grow when rows are
    // inserted inside them and shrink (or become #REF! when all their rows go)
    // when rows are deleted. Sheet names compare case-insensitively. Returns
    // whether the formula changed.
    bool shiftRows(std::string_view formulaSheet, std::string_view changedSheet, int atRow,
                   int delta);

    // The formula as it reads when copied dRow rows down and dCol columns right:
    // relative parts move, absolute parts stay; a reference pushed off the grid
    // becomes #REF!.
    Expression offset(int dRow, int dCol) const;

    bool operator==(const Expression& other) const;

    // Implementation access for the evaluator.
    const detail::Node* root() const { return root_.get(); }

private:
    std::shared_ptr<const detail::Node> root_;
    std::string text_;    // the source text when the parse failed
    std::string error_;   // "" when valid
};

// Computes the formula's value. A result that is a blank cell reads 0 (=A1 with A1
// blank shows 0), as in a spreadsheet; an invalid expression gives #NAME?. Never
// throws: a failure inside the context becomes #VALUE!.
Value evaluate(const Expression& expression, EvalContext& context);

}  // namespace zevo::grid::formula
