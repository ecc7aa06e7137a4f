#include "NumericText.h"

#include <cctype>
#include <limits>

#include "zevo/RuntimeError.h"

namespace zevo::documents::detail {

std::optional<long long> parseWhole(const std::string& text) {
    size_t i = 0, n = text.size();
    while (i < n && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    while (n > i && std::isspace(static_cast<unsigned char>(text[n - 1]))) --n;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == n) return std::nullopt;
    long long v = 0;
    for (; i < n; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
        if (v > (std::numeric_limits<long long>::max() - 9) / 10) return std::nullopt;
        v = v * 10 + (text[i] - '0');
    }
    return negative ? -v : v;
}

namespace {
int toIntIn(const std::string& text, long long lo, long long hi) {
    auto v = parseWhole(text);
    if (!v) throw RuntimeError(err::kTypeMismatch, "Type mismatch: \"" + text + "\"");
    if (*v < lo || *v > hi) throw RuntimeError(err::kOverflow, "Overflow: " + text);
    return static_cast<int>(*v);
}
}  // namespace

int toInt16(const std::string& text) { return toIntIn(text, -32768, 32767); }

int toInt32(const std::string& text) {
    return toIntIn(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

std::string padDigits(const std::string& text, size_t width) {
    if (text.empty() || text.size() >= width) return text;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return text;
    return std::string(width - text.size(), '0') + text;
}

}  // namespace zevo::documents::detail
