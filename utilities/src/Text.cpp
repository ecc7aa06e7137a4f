#include "zevo/Text.h"

#include <cmath>
#include <cstdlib>

namespace zevo::text {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string trimWhere(std::string_view text, std::string_view blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

// Digits of s from i on, appended to out; whether there was one.
bool takeDigits(std::string_view s, std::size_t& i, std::string& out) {
    const std::size_t start = i;
    while (i < s.size() && isDigit(s[i])) out.push_back(s[i++]);
    return i > start;
}

// The number at the start of s in the form strtod reads ("e" exponent), or "" when
// s starts with none. A "d" exponent is taken as "e"; `dExponent` allows it.
std::string numberPrefix(std::string_view s, bool dExponent) {
    std::size_t i = 0;
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) num.push_back(s[i++]);
    bool digits = takeDigits(s, i, num);
    if (i < s.size() && s[i] == '.') {
        num.push_back(s[i++]);
        digits = takeDigits(s, i, num) || digits;
    }
    if (!digits) return {};
    const bool exponent = i < s.size() && (s[i] == 'e' || s[i] == 'E' ||
                                           (dExponent && (s[i] == 'd' || s[i] == 'D')));
    if (exponent) {
        std::size_t j = i + 1;
        std::string exp = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp.push_back(s[j++]);
        if (takeDigits(s, j, exp)) {
            num += exp;
            i = j;
        }
    }
    return num;
}

}  // namespace

std::string trimSpaces(std::string_view text) { return trimWhere(text, " "); }
std::string trimBlanks(std::string_view text) { return trimWhere(text, " \t\r\n"); }

double leadingNumber(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!isBlank(c)) s.push_back(c);
    const std::string num = numberPrefix(s, true);
    return num.empty() ? 0 : std::strtod(num.c_str(), nullptr);
}

std::optional<double> plainNumber(std::string_view text) {
    const std::string num = numberPrefix(text, false);
    if (num.empty() || num.size() != text.size()) return std::nullopt;
    const double v = std::strtod(num.c_str(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace zevo::text
