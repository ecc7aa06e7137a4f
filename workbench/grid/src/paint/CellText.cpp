#include "CellText.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

namespace zevo::grid::paint {

namespace {

// The first section of a format code, with quoted literals, colours, padding and
// fill directives removed: what is left decides the kind of number shown.
std::string coreOf(const std::string& code, bool negative, std::string& prefix, std::string& suffix) {
    std::string section;
    int sectionIndex = 0;
    bool quoted = false;
    std::string sections[2];
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"') quoted = !quoted;
        if (c == ';' && !quoted) {
            if (++sectionIndex > 1) break;
            continue;
        }
        sections[sectionIndex] += c;
    }
    const std::string& chosen = (negative && !sections[1].empty()) ? sections[1] : sections[0];
    std::string core;
    bool inCore = false, afterCore = false;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const char c = chosen[i];
        std::string literal;
        if (c == '"') {
            const auto end = chosen.find('"', i + 1);
            literal = chosen.substr(i + 1, (end == std::string::npos ? chosen.size() : end) - i - 1);
            i = end == std::string::npos ? chosen.size() : end;
        } else if (c == '[') {
            const auto end = chosen.find(']', i);
            i = end == std::string::npos ? chosen.size() : end;
            continue;
        } else if (c == '_' || c == '*') {
            ++i;   // padding and fill take the next character
            continue;
        } else if (c == '\\' && i + 1 < chosen.size()) {
            literal = chosen.substr(++i, 1);
        } else if (c == '0' || c == '#' || c == '?' || c == '.' || c == ',' || c == '%' ||
                   ((c == 'd' || c == 'm' || c == 'y' || c == 'D' || c == 'M' || c == 'Y' || c == '/' || c == '-') && inCore)) {
            core += c;
            inCore = true;
            continue;
        } else if (c == 'd' || c == 'm' || c == 'y' || c == 'D' || c == 'M' || c == 'Y' || c == '@') {
            core += c;
            inCore = true;
            continue;
        } else {
            literal = std::string(1, c);
        }
        if (inCore) afterCore = true;
        (afterCore ? suffix : prefix) += literal;
    }
    return core;
}

bool isDateCore(const std::string& core) {
    bool date = false;
    for (char c : core) {
        if (c == '0' || c == '#') return false;
        if (c == 'd' || c == 'm' || c == 'y' || c == 'D' || c == 'M' || c == 'Y') date = true;
    }
    return date;
}

std::string formatDate(double serial, const std::string& core) {
    // Days since 1899-12-30 (the spreadsheet epoch, leap-year bug included for > 60).
    long days = static_cast<long>(std::floor(serial));
    if (days < 1) return formatNumber(serial, "");
    long z = days - 25569 + 719468;   // to days since 0000-03-01 via 1970-01-01
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long y = yoe + era * 400;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const long d = doy - (153 * mp + 2) / 5 + 1;
    const long m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    std::string out;
    for (std::size_t i = 0; i < core.size();) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(core[i])));
        std::size_t n = 1;
        while (i + n < core.size() && std::tolower(static_cast<unsigned char>(core[i + n])) == c) ++n;
        char buf[16];
        if (c == 'd') std::snprintf(buf, sizeof buf, n >= 2 ? "%02ld" : "%ld", d);
        else if (c == 'm') std::snprintf(buf, sizeof buf, n >= 2 ? "%02ld" : "%ld", m);
        else if (c == 'y') std::snprintf(buf, sizeof buf, n >= 3 ? "%04ld" : "%02ld", n >= 3 ? y : y % 100);
        else std::snprintf(buf, sizeof buf, "%c", core[i]);
        out += buf;
        i += n;
    }
    return out;
}

std::string general(double v) {
    if (v == 0) return "0";
    char buf[64];
    const double a = std::fabs(v);
    if (a >= 1e11 || a < 1e-9) std::snprintf(buf, sizeof buf, "%.5E", v);
    else std::snprintf(buf, sizeof buf, "%.10g", v);
    std::string s = buf;
    if (s.find('E') != std::string::npos) {
        // 1.23450E+12 -> 1.2345E+12
        auto e = s.find('E');
        std::string mant = s.substr(0, e);
        if (mant.find('.') != std::string::npos) {
            while (mant.back() == '0') mant.pop_back();
            if (mant.back() == '.') mant.pop_back();
        }
        s = mant + s.substr(e);
    }
    return s;
}

}  // namespace

std::string formatNumber(double value, const std::string& numberFormat) {
    if (!std::isfinite(value)) return "#NUM!";
    if (numberFormat.empty() || numberFormat == "General" || numberFormat == "@") return general(value);
    std::string prefix, suffix;
    const bool negative = value < 0;
    const std::string core = coreOf(numberFormat, negative, prefix, suffix);
    if (isDateCore(core)) return prefix + formatDate(value, core) + suffix;
    if (core.empty() || core.find_first_of("0#?") == std::string::npos) return prefix + general(value) + suffix;

    bool hasNegativeSection = false;
    {
        bool quoted = false;
        for (char c : numberFormat) {
            if (c == '"') quoted = !quoted;
            if (c == ';' && !quoted) hasNegativeSection = true;
        }
    }
    const bool percent = core.find('%') != std::string::npos;
    const auto dot = core.find('.');
    int decimals = 0;
    if (dot != std::string::npos)
        for (std::size_t i = dot + 1; i < core.size(); ++i)
            if (core[i] == '0' || core[i] == '#' || core[i] == '?') ++decimals;
    const std::string intPart = core.substr(0, dot);
    const bool thousands = intPart.find(',') != std::string::npos;
    // Trailing commas scale by thousands.
    double v = std::fabs(value) * (percent ? 100 : 1);
    std::size_t trailing = 0;
    while (trailing < intPart.size() && intPart[intPart.size() - 1 - trailing] == ',') ++trailing;
    for (std::size_t i = 0; i < trailing; ++i) v /= 1000;

    // Halves round away from zero, and a decimal like 2.675 (stored just below)
    // rounds as written: a few units of the last place are added first.
    const double unit = std::pow(10.0, decimals);
    if (v * unit < 1e15) v = std::round(v * unit * (1 + 4 * DBL_EPSILON)) / unit;
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string digits = buf;
    std::string whole = digits.substr(0, digits.find('.'));
    std::string frac = digits.find('.') == std::string::npos ? "" : digits.substr(digits.find('.'));
    // Optional decimal places (#) drop their trailing zeros.
    std::size_t required = 0;
    if (dot != std::string::npos)
        for (std::size_t i = dot + 1; i < core.size(); ++i)
            if (core[i] == '0') ++required;
    while (frac.size() > 1 + required && frac.back() == '0') frac.pop_back();
    if (frac == ".") frac.clear();
    if (intPart.find('0') == std::string::npos && whole == "0") whole.clear();
    if (thousands && trailing < intPart.size()) {
        std::string grouped;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            if (i > 0 && (whole.size() - i) % 3 == 0) grouped += ',';
            grouped += whole[i];
        }
        whole = grouped;
    }
    std::string out = whole + frac;
    bool allZero = out.find_first_not_of("0.,") == std::string::npos;
    const std::string sign = (negative && !hasNegativeSection && !allZero) ? "-" : "";
    return sign + prefix + out + (percent ? "%" : "") + suffix;
}

std::string displayText(const CellData& cell, const StyleData& style) {
    switch (cell.type) {
        case CellValueType::Empty: return {};
        case CellValueType::String:
        case CellValueType::Error: return cell.text;
        case CellValueType::Boolean: return cell.number != 0 ? "TRUE" : "FALSE";
        case CellValueType::Number: return formatNumber(cell.number, style.numberFormat);
    }
    return {};
}

}  // namespace zevo::grid::paint
