#pragma once
// Evaluation of the node tree against a context, and the conversions the
// functions share.
#include <algorithm>
#include <optional>
#include <string>

#include "Node.h"
#include "zevo/grid/formula/EvalContext.h"
#include "zevo/grid/formula/Value.h"

namespace zevo::grid::formula::detail {

class Evaluator {
public:
    explicit Evaluator(EvalContext& context) : context_(context) {}

    // The value of a node in a place that wants one value: a single-cell
    // reference reads the cell (Empty stays Empty), a range gives #VALUE!,
    // an empty argument gives Empty.
    Value eval(const Node& n);

    // Argument i of a call (Empty when absent or empty).
    Value arg(const Node& call, std::size_t i) {
        return i < call.children.size() ? eval(*call.children[i]) : Value();
    }

    // The reference a node stands for (also through parentheses), or null.
    static const Reference* referenceOf(const Node& n);

    // Calls visit(value) for every cell of the reference, row by row, clipped
    // to the sheet's data; stops early when visit returns false. Returns #REF!
    // for an unknown sheet, otherwise nothing.
    template <typename Visit>
    std::optional<Value> forEachCell(const Reference& ref, Visit&& visit) {
        int sheet = sheetOf(ref);
        if (sheet < 0) return Value::error(ErrorCode::Ref);
        int lastRow = std::min(ref.last.row, context_.lastRow(sheet));
        int lastCol = std::min(ref.last.col, context_.lastCol(sheet));
        for (int r = ref.first.row; r <= lastRow; ++r)
            for (int c = ref.first.col; c <= lastCol; ++c)
                if (!visit(context_.cellValue(sheet, c, r))) return std::nullopt;
        return std::nullopt;
    }

    // Number of cells a reference covers before clipping.
    static double cellCount(const Reference& ref) {
        return double(ref.last.row - ref.first.row + 1) * double(ref.last.col - ref.first.col + 1);
    }

    // Visits every value of the arguments: each cell of reference arguments
    // (fromRef = true) and the value of the others (fromRef = false; an empty
    // argument is Empty). Stops when visit returns false.
    template <typename Visit>
    std::optional<Value> forEachArgValue(const Node& call, Visit&& visit) {
        for (const auto& child : call.children) {
            if (const Reference* ref = referenceOf(*child)) {
                bool stopped = false;
                auto err = forEachCell(*ref, [&](const Value& v) {
                    if (!visit(v, true)) {
                        stopped = true;
                        return false;
                    }
                    return true;
                });
                if (err) return err;
                if (stopped) return std::nullopt;
            } else {
                if (!visit(eval(*child), false)) return std::nullopt;
            }
        }
        return std::nullopt;
    }

    EvalContext& context() { return context_; }

    // The context's sheet for a reference; -1 when the sheet is unknown.
    int sheetOf(const Reference& ref) {
        return ref.sheet.empty() ? context_.currentSheet() : context_.findSheet(ref.sheet);
    }

private:
    Value binary(const Node& n);

    EvalContext& context_;
};

// ---- conversions shared by operators and functions ----

// The most characters a text result may have, as in spreadsheet cells; more
// is #VALUE!. A text of more bytes than kMaxTextBytes is certainly too long, so
// builders stop there instead of growing without bound.
constexpr std::size_t kMaxTextLength = 32767;
constexpr std::size_t kMaxTextBytes = 4 * kMaxTextLength;
Value textResult(std::string text);

// Number for arithmetic: Empty 0, booleans 1/0, numeric text; otherwise #VALUE!
// (errors pass through).
std::optional<Value> toNumber(const Value& v, double& out);

// Truth value: numbers (non-zero), booleans, Empty (false), the texts TRUE and
// FALSE in any case; otherwise #VALUE! (errors pass through).
std::optional<Value> toBoolean(const Value& v, bool& out);

// A number result, or #NUM! when it is not finite.
Value numberResult(double v);

// Spreadsheet comparison: Empty counts as 0, "" or FALSE against the other side;
// numbers < texts < booleans; texts ignore case; numbers equal when they agree
// to about 15 digits. Returns <0, 0, >0.
int compareValues(const Value& a, const Value& b);

bool approxEqual(double a, double b);
// a + b, giving exactly 0 when the operands cancel up to rounding noise.
double approxAdd(double a, double b);

}  // namespace zevo::grid::formula::detail
