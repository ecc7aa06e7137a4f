#include "EngineText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zevo::engine::text {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Length of the number at the start of s (0 when there is none).
std::size_t numberLength(const std::string& s, std::size_t i) {
    const std::size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    bool digits = false;
    while (i < s.size() && isDigit(s[i])) { ++i; digits = true; }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) { ++i; digits = true; }
    }
    if (!digits) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        bool expDigits = false;
        while (j < s.size() && isDigit(s[j])) { ++j; expDigits = true; }
        if (expDigits) i = j;
    }
    return i - start;
}
}  // namespace

std::string trim(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b])) ++b;
    while (e > b && isBlank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

double leadingValue(const std::string& text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!isBlank(c)) s.push_back(c);
    std::size_t len = numberLength(s, 0);
    if (len == 0) return 0;
    double v = std::strtod(s.substr(0, len).c_str(), nullptr);
    return std::isfinite(v) ? v : 0;
}

bool isNumeric(const std::string& text) {
    std::string s = trim(text);
    if (s.empty()) return false;
    std::size_t len = numberLength(s, 0);
    if (len != s.size()) return false;
    return std::isfinite(std::strtod(s.c_str(), nullptr));
}

std::string formatDouble(double value) {
    if (value == 0) return "0";
    char buf[64];
    if (std::fabs(value) < 1e15 && value == std::floor(value)) {
        std::snprintf(buf, sizeof buf, "%.0f", value);
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%.15G", value);
    std::string s = buf;
    return s;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace zevo::engine::text
