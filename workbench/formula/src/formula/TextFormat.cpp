#include "TextFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DateSerial.h"

namespace zevo::grid::formula::detail {

namespace {

struct Token {
    enum Kind { Literal, Zero, Hash, Question, Point, Comma, Percent, At, DatePart } kind;
    std::string text;   // literal text or the date code ("dd", "yyyy" ...)
};

std::vector<std::string> splitSections(std::string_view format) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c == '"') quoted = !quoted;
        if (!quoted && c == '\\' && i + 1 < format.size()) {
            out.back() += c;
            out.back() += format[++i];
            continue;
        }
        if (!quoted && c == ';') {
            out.emplace_back();
            continue;
        }
        out.back() += c;
    }
    return out;
}

bool isDateLetter(char c) {
    switch (c) {
        case 'd': case 'D': case 'm': case 'M': case 'y': case 'Y':
        case 'h': case 'H': case 's': case 'S': return true;
        default: return false;
    }
}

std::vector<Token> tokenize(std::string_view f) {
    std::vector<Token> out;
    auto literal = [&](std::string s) {
        if (!out.empty() && out.back().kind == Token::Literal)
            out.back().text += s;
        else
            out.push_back({Token::Literal, std::move(s)});
    };
    for (std::size_t i = 0; i < f.size(); ++i) {
        char c = f[i];
        switch (c) {
            case '"': {
                std::size_t end = f.find('"', i + 1);
                if (end == std::string_view::npos) end = f.size();
                literal(std::string(f.substr(i + 1, end - i - 1)));
                i = end;
                break;
            }
            case '\\':
                if (i + 1 < f.size()) literal(std::string(1, f[++i]));
                break;
            case '0': out.push_back({Token::Zero, {}}); break;
            case '#': out.push_back({Token::Hash, {}}); break;
            case '?': out.push_back({Token::Question, {}}); break;
            case '.': out.push_back({Token::Point, {}}); break;
            case ',': out.push_back({Token::Comma, {}}); break;
            case '%': out.push_back({Token::Percent, {}}); break;
            case '@': out.push_back({Token::At, {}}); break;
            case '_':   // space as wide as the next character
                if (i + 1 < f.size()) ++i;
                literal(" ");
                break;
            case '[': {   // colours and conditions are not shown
                std::size_t end = f.find(']', i);
                i = end == std::string_view::npos ? f.size() : end;
                break;
            }
            default:
                if (isDateLetter(c)) {
                    std::size_t j = i;
                    char lower = static_cast<char>(c | 0x20);
                    while (j < f.size() && static_cast<char>(f[j] | 0x20) == lower) ++j;
                    std::string code(j - i, lower);
                    out.push_back({Token::DatePart, code});
                    i = j - 1;
                } else {
                    literal(std::string(1, c));
                }
        }
    }
    return out;
}

std::string twoDigits(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

Value formatDate(double serial, const std::vector<Token>& tokens) {
    auto date = civilFromSerial(serial);
    if (!date) return Value::error(ErrorCode::Value);
    double frac = serial - std::floor(serial);
    long secs = std::lround(frac * 86400.0);
    int hour = static_cast<int>(secs / 3600), minute = static_cast<int>(secs / 60 % 60),
        second = static_cast<int>(secs % 60);
    std::string out;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind != Token::DatePart) {
            if (t.kind == Token::Literal) out += t.text;
            else if (t.kind == Token::Point) out += '.';
            else if (t.kind == Token::Comma) out += ',';
            else if (t.kind == Token::Zero) out += '0';
            continue;
        }
        char k = t.text[0];
        std::size_t n = t.text.size();
        if (k == 'm') {
            // "m" next to hours or seconds means minutes.
            bool minutes = false;
            for (std::size_t j = i; j-- > 0;)
                if (tokens[j].kind == Token::DatePart) {
                    minutes = tokens[j].text[0] == 'h';
                    break;
                }
            for (std::size_t j = i + 1; j < tokens.size(); ++j)
                if (tokens[j].kind == Token::DatePart) {
                    minutes = minutes || tokens[j].text[0] == 's';
                    break;
                }
            if (minutes) out += n >= 2 ? twoDigits(minute) : std::to_string(minute);
            else out += n >= 2 ? twoDigits(date->month) : std::to_string(date->month);
        } else if (k == 'd') {
            out += n >= 2 ? twoDigits(date->day) : std::to_string(date->day);
        } else if (k == 'y') {
            out += n <= 2 ? twoDigits(date->year % 100) : std::to_string(date->year);
        } else if (k == 'h') {
            out += n >= 2 ? twoDigits(hour) : std::to_string(hour);
        } else if (k == 's') {
            out += n >= 2 ? twoDigits(second) : std::to_string(second);
        }
    }
    return Value::string(out);
}

std::string groupThousands(const std::string& digits) {
    std::string out;
    int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

// x >= 0 laid out by the placeholders of one section.
std::string formatNumber(double x, const std::vector<Token>& tokens) {
    std::string prefix, suffix;
    int minInt = 0, minDec = 0, maxDec = 0, percents = 0;
    bool grouping = false, point = false, seenDigit = false;
    for (const Token& t : tokens) {
        switch (t.kind) {
            case Token::Zero:
            case Token::Hash:
            case Token::Question:
                seenDigit = true;
                if (point) {
                    ++maxDec;
                    if (t.kind != Token::Hash) minDec = maxDec;
                } else if (t.kind != Token::Hash) {
                    ++minInt;
                }
                break;
            case Token::Point: point = true; break;
            case Token::Comma:
                if (seenDigit && !point) grouping = true;
                break;
            case Token::Percent:
                ++percents;
                (seenDigit ? suffix : prefix) += '%';
                break;
            case Token::Literal:
            case Token::DatePart:
            case Token::At:
                (seenDigit ? suffix : prefix) += t.text;
                break;
        }
    }
    for (int i = 0; i < percents; ++i) x *= 100;
    if (!seenDigit) return prefix + suffix;
    char buf[400];
    // Cut the scaled value to 15 significant digits before rounding so that
    // 1.005 shows as 1.01, as its digits say.
    double scale = std::pow(10.0, maxDec);
    std::snprintf(buf, sizeof buf, "%.15g", x * scale);
    double rounded = std::round(std::strtod(buf, nullptr)) / scale;
    std::snprintf(buf, sizeof buf, "%.*f", maxDec, rounded);
    std::string fixed(buf);
    std::string intPart = fixed.substr(0, fixed.find('.'));
    std::string decPart = maxDec > 0 ? fixed.substr(fixed.find('.') + 1) : "";
    while (static_cast<int>(decPart.size()) > minDec && decPart.back() == '0') decPart.pop_back();
    if (intPart == "0" && minInt == 0) intPart.clear();
    while (static_cast<int>(intPart.size()) < minInt) intPart.insert(intPart.begin(), '0');
    if (grouping) intPart = groupThousands(intPart);
    std::string out = prefix + intPart;
    if (point && (!decPart.empty() || maxDec == 0)) out += '.' + decPart;
    return out + suffix;
}

bool isDateSection(const std::vector<Token>& tokens) {
    bool datePart = false, digit = false;
    for (const Token& t : tokens) {
        if (t.kind == Token::DatePart) datePart = true;
        if (t.kind == Token::Zero || t.kind == Token::Hash || t.kind == Token::Question) digit = true;
    }
    return datePart && !digit;
}

}  // namespace

Value formatText(const Value& value, std::string_view format) {
    std::vector<std::string> sections = splitSections(format);
    double x = 0;
    std::string text;
    bool isText = false;
    switch (value.type()) {
        case ValueType::Number: x = value.asNumber(); break;
        case ValueType::Empty: x = 0; break;
        case ValueType::Boolean: return Value::string(value.toText());
        case ValueType::Error: return value;
        case ValueType::String:
            if (auto n = parseNumber(value.asString())) x = *n;
            else if (auto d = parseDateText(value.asString())) x = *d;
            else isText = true;
            text = value.asString();
            break;
    }
    if (isText) {
        // Text goes through a section holding "@" (the fourth, or the only one).
        const std::string* section = nullptr;
        if (sections.size() >= 4) section = &sections[3];
        else if (sections.size() == 1 && sections[0].find('@') != std::string::npos) section = &sections[0];
        if (!section) return Value::string(text);
        std::string out;
        for (const Token& t : tokenize(*section)) out += t.kind == Token::At ? text : t.text;
        return Value::string(out);
    }
    std::size_t index = 0;
    bool ownSign = false;   // the negative section writes its own sign
    if (x < 0 && sections.size() >= 2) {
        index = 1;
        ownSign = true;
    } else if (x == 0 && sections.size() >= 3) {
        index = 2;
    }
    std::string lower;
    for (char c : sections[index]) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (lower == "general" || lower.empty()) return Value::string(formatGeneral(x));
    std::vector<Token> tokens = tokenize(sections[index]);
    if (isDateSection(tokens)) return formatDate(x, tokens);
    std::string body = formatNumber(std::fabs(x), tokens);
    bool negative = x < 0 && !ownSign;
    // A value that rounds away to nothing shows no sign.
    bool allZero = body.find_first_of("123456789") == std::string::npos;
    return Value::string(negative && !allZero ? "-" + body : body);
}

}  // namespace zevo::grid::formula::detail
