#include "zevo/grid/formula/Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zevo::grid::formula {

namespace {

struct ErrorName {
    ErrorCode code;
    std::string_view text;
};

constexpr ErrorName kErrorNames[] = {
    {ErrorCode::Ref, "#REF!"},   {ErrorCode::Value, "#VALUE!"}, {ErrorCode::Div0, "#DIV/0!"},
    {ErrorCode::Name, "#NAME?"}, {ErrorCode::NA, "#N/A"},       {ErrorCode::Num, "#NUM!"},
};

const std::string kEmptyString;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string_view errorText(ErrorCode code) {
    for (const auto& e : kErrorNames)
        if (e.code == code) return e.text;
    return "#VALUE!";
}

std::optional<ErrorCode> errorFromText(std::string_view text) {
    for (const auto& e : kErrorNames)
        if (e.text == text) return e.code;
    return std::nullopt;
}

double Value::asNumber() const {
    auto* p = std::get_if<double>(&data_);
    return p ? *p : 0.0;
}

const std::string& Value::asString() const {
    auto* p = std::get_if<std::string>(&data_);
    return p ? *p : kEmptyString;
}

bool Value::asBoolean() const {
    auto* p = std::get_if<bool>(&data_);
    return p ? *p : false;
}

ErrorCode Value::asError() const {
    auto* p = std::get_if<ErrorCode>(&data_);
    return p ? *p : ErrorCode::Value;
}

std::string Value::toText() const {
    switch (type()) {
        case ValueType::Empty: return {};
        case ValueType::Number: return formatGeneral(asNumber());
        case ValueType::String: return asString();
        case ValueType::Boolean: return asBoolean() ? "TRUE" : "FALSE";
        case ValueType::Error: return std::string(errorText(asError()));
    }
    return {};
}

std::string formatGeneral(double v) {
    if (!std::isfinite(v)) return std::string(errorText(ErrorCode::Num));
    if (v == 0) return "0";
    // Round to 15 significant digits first; the exponent of the rounded value
    // decides between fixed and scientific notation.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    std::string s(buf);
    bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    std::size_t ePos = s.find('e');
    int exponent = std::atoi(s.c_str() + ePos + 1);
    std::string digits;
    for (std::size_t i = 0; i < ePos; ++i)
        if (isDigit(s[i])) digits.push_back(s[i]);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -9) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1, std::string::npos);
        }
        char ebuf[16];
        std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        out += ebuf;
    } else if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        auto intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out.append(digits, 0, intDigits);
            out += '.';
            out.append(digits, intDigits, std::string::npos);
        }
    }
    return out;
}

std::optional<double> parseNumber(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    text = text.substr(b, e - b);
    if (text.empty()) return std::nullopt;

    std::string clean;
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-') clean.push_back(text[i++]);
    bool digits = false;
    std::size_t groupStart = std::string::npos;   // digits since the last ","
    bool grouped = false;
    while (i < text.size() && (isDigit(text[i]) || text[i] == ',')) {
        if (text[i] == ',') {
            // Thousands separators need digits before them and exactly three after.
            if (!digits || (grouped && groupStart != 3)) return std::nullopt;
            grouped = true;
            groupStart = 0;
        } else {
            clean.push_back(text[i]);
            digits = true;
            if (grouped) ++groupStart;
        }
        ++i;
    }
    if (grouped && groupStart != 3) return std::nullopt;
    if (i < text.size() && text[i] == '.') {
        clean.push_back('.');
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            clean.push_back(text[i++]);
            digits = true;
        }
    }
    if (!digits) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        clean.push_back('e');
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) clean.push_back(text[i++]);
        bool expDigits = false;
        while (i < text.size() && isDigit(text[i])) {
            clean.push_back(text[i++]);
            expDigits = true;
        }
        if (!expDigits) return std::nullopt;
    }
    bool percent = false;
    if (i < text.size() && text[i] == '%') {
        percent = true;
        ++i;
    }
    if (i != text.size()) return std::nullopt;
    double v = std::strtod(clean.c_str(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    return percent ? v / 100.0 : v;
}

}  // namespace zevo::grid::formula
