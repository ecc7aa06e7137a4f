#pragma once
// The value a formula computes or a cell holds, as the evaluator sees it.
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace zevo::grid::formula {

enum class ValueType { Empty, Number, String, Boolean, Error };

enum class ErrorCode {
    Ref,     // #REF!   a reference to a deleted cell, an unknown sheet, off the grid
    Value,   // #VALUE! an operand of the wrong type
    Div0,    // #DIV/0!
    Name,    // #NAME?  unknown function, or a formula that does not parse
    NA,      // #N/A
    Num,     // #NUM!   a result that is not a finite number
};

// "#REF!", "#VALUE!", ... as a spreadsheet shows them.
std::string_view errorText(ErrorCode code);
// The error a text names exactly (upper case as shown above), if any.
std::optional<ErrorCode> errorFromText(std::string_view text);

class Value {
public:
    Value() = default;   // Empty: a blank cell
    static Value number(double v) { return Value(v); }
    static Value string(std::string s) { return Value(std::move(s)); }
    static Value boolean(bool b) { return Value(b); }
    static Value error(ErrorCode e) { return Value(e); }

    ValueType type() const { return static_cast<ValueType>(data_.index()); }
    bool isEmpty() const { return type() == ValueType::Empty; }
    bool isNumber() const { return type() == ValueType::Number; }
    bool isString() const { return type() == ValueType::String; }
    bool isBoolean() const { return type() == ValueType::Boolean; }
    bool isError() const { return type() == ValueType::Error; }

    // Raw payloads; each requires the matching type (otherwise 0, "", false, Value).
    double asNumber() const;
    const std::string& asString() const;
    bool asBoolean() const;
    ErrorCode asError() const;

    // The value as a cell displays it in General format: numbers with up to 15
    // significant digits ("0.333333333333333", "1E+20"), TRUE/FALSE, the error
    // text, "" for Empty. This is also what & and the text functions see.
    std::string toText() const;

    bool operator==(const Value& other) const = default;

private:
    struct EmptyTag {
        bool operator==(const EmptyTag&) const = default;
    };
    explicit Value(double v) : data_(v) {}
    explicit Value(std::string s) : data_(std::move(s)) {}
    explicit Value(bool b) : data_(b) {}
    explicit Value(ErrorCode e) : data_(e) {}
    // Index order matches ValueType.
    std::variant<EmptyTag, double, std::string, bool, ErrorCode> data_;
};

// A number in General format, as Value::toText() writes it.
std::string formatGeneral(double v);

// The number a text stands for when a formula uses it as a number: optional
// blanks around, sign, digits with optional "," thousands groups, decimal point,
// exponent, trailing "%". Nothing else (no dates); "" is not a number.
std::optional<double> parseNumber(std::string_view text);

}  // namespace zevo::grid::formula
