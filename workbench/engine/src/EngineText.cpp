#include "EngineText.h"

#include <cmath>
#include <cstdio>

namespace zevo::engine::text {

double leadingValue(const std::string& text) {
    const double v = leadingNumber(text);
    return std::isfinite(v) ? v : 0;
}

bool isNumeric(const std::string& text) { return plainNumber(trimBlanks(text)).has_value(); }

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
