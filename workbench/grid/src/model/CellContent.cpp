// What a cell keeps of a write, by kind, and how its content reads back.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "ModelImpl.h"
#include "zevo/Text.h"
#include "zevo/grid/formula/Utf8Text.h"

namespace zevo::grid {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (std::size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
        s.replace(p, from.size(), to);
}

// Number typed as display text: separators as the cell shows them.
std::optional<double> parseDisplayedNumber(const CellFormat& fmt, std::string s, bool percent) {
    s = text::trimBlanks(s);
    if (percent && !s.empty() && s.back() == '%') s = text::trimBlanks(s.substr(0, s.size() - 1));
    if (fmt.thousands != fmt.decimalPoint) replaceAll(s, fmt.thousands, "");
    if (fmt.decimalPoint != ".") replaceAll(s, fmt.decimalPoint, ".");
    auto v = text::plainNumber(s);
    if (v && percent) *v /= 100.0;
    return v;
}

std::optional<CellContent> acceptNumber(const CellFormat& fmt, const std::string& input,
                                        bool asValue) {
    const bool percent = fmt.type == CellType::Percent;
    if (text::trimBlanks(input).empty()) return CellContent{};
    std::optional<double> v = asValue ? text::plainNumber(text::trimBlanks(input))
                                      : parseDisplayedNumber(fmt, input, percent);
    if (!v) return std::nullopt;
    if (fmt.numberMin <= fmt.numberMax && (*v < fmt.numberMin || *v > fmt.numberMax))
        return std::nullopt;
    CellContent c;
    c.number = *v;
    return c;
}

std::optional<CellContent> acceptEdit(const CellFormat& fmt, const std::string& input) {
    if (fmt.digitsOnly) {
        for (char ch : input)
            if (!isDigit(ch)) return std::nullopt;
    }
    CellContent c;
    c.text = fmt.maxLen > 0 && utf8Count(input) > static_cast<std::size_t>(fmt.maxLen)
                 ? utf8Prefix(input, static_cast<std::size_t>(fmt.maxLen))
                 : input;
    return c;
}

// One position of a mask: a literal or a class of characters.
struct MaskSlot {
    char kind;        // '9' digit, 'A' letter or digit, '?' letter, 'X' any, 'L' literal
    std::string literal;
};

std::vector<MaskSlot> parseMask(const std::string& mask) {
    std::vector<MaskSlot> slots;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        char m = mask[i];
        switch (m) {
            case '9':
            case '#': slots.push_back({'9', {}}); break;
            case 'A':
            case 'a': slots.push_back({'A', {}}); break;
            case '?': slots.push_back({'?', {}}); break;
            case '&':
            case 'X':
            case 'x': slots.push_back({'X', {}}); break;
            case '/':
                // "/" makes the next character literal ("//" stands for "/").
                if (i + 1 < mask.size()) ++i;
                slots.push_back({'L', std::string(1, mask[i])});
                break;
            default: {
                std::size_t len = formula::utf8Offset(std::string_view(mask).substr(i), 1);
                slots.push_back({'L', mask.substr(i, len)});
                i += len - 1;
            }
        }
    }
    return slots;
}

bool slotTakes(char kind, unsigned char ch) {
    switch (kind) {
        case 'X': return true;
        case '9': return isDigit(static_cast<char>(ch));
        case 'A': return isDigit(static_cast<char>(ch)) || isAsciiLetter(ch) || ch >= 0x80;
        case '?': return isAsciiLetter(ch) || ch >= 0x80;
        default: return false;
    }
}

// The text a masked edit control keeps of `input`. Each field (a run of
// character slots between literals) takes up to its length of fitting
// characters; a field may stop short where the user typed the literal that
// follows it, or at the end of the input. A literal the user left out after a
// full field is filled in. Anything else refuses the input.
std::optional<std::string> fitMask(const std::string& mask, const std::string& input) {
    const std::vector<MaskSlot> slots = parseMask(mask);
    std::string out;
    std::size_t i = 0;
    bool fieldFull = true;   // the field before the current literal holds all it can
    for (std::size_t s = 0; s < slots.size();) {
        if (slots[s].kind == 'L') {
            const std::string& lit = slots[s].literal;
            if (input.compare(i, lit.size(), lit) == 0) {
                i += lit.size();
            } else if (i >= input.size()) {
                // Input done: trailing literals complete a full text.
                bool onlyLiterals = true;
                for (std::size_t t = s; t < slots.size(); ++t) onlyLiterals &= slots[t].kind == 'L';
                if (!(fieldFull && onlyLiterals)) return out;
            } else if (!fieldFull) {
                return std::nullopt;
            }
            out += lit;
            ++s;
            continue;
        }
        // A field: the slots up to the next literal.
        std::size_t end = s;
        while (end < slots.size() && slots[end].kind != 'L') ++end;
        std::size_t taken = s;
        while (taken < end && i < input.size() &&
               slotTakes(slots[taken].kind, static_cast<unsigned char>(input[i]))) {
            std::size_t len = formula::utf8Offset(std::string_view(input).substr(i), 1);
            out += input.substr(i, len);
            i += len;
            ++taken;
        }
        fieldFull = taken == end;
        s = end;
    }
    if (i != input.size()) return std::nullopt;
    return out;
}

CellContent textContent(std::string text, int comboIndex = -1) {
    CellContent c;
    c.text = std::move(text);
    c.comboIndex = comboIndex;
    return c;
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// "d/m/yyyy" (one or two digits for day and month) as "dd/mm/yyyy"; nullopt when
// it is no calendar date.
std::optional<std::string> normaliseDate(const std::string& input) {
    int d = 0, m = 0, y = 0;
    char tail = 0;
    if (std::sscanf(input.c_str(), "%2d/%2d/%4d%c", &d, &m, &y, &tail) != 3) return std::nullopt;
    std::size_t slash2 = input.rfind('/');
    if (input.size() - slash2 - 1 != 4) return std::nullopt;
    for (char c : input)
        if (!isDigit(c) && c != '/') return std::nullopt;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m)) return std::nullopt;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d, m, y);
    return std::string(buf);
}

}  // namespace

std::size_t utf8Count(const std::string& text) { return formula::utf8Length(text); }

std::string utf8Prefix(const std::string& text, std::size_t count) {
    return formula::utf8Substr(text, 0, count);
}

std::vector<std::string> comboItems(const std::string& list) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t tab = list.find('\t', start);
        if (tab == std::string::npos) {
            items.push_back(list.substr(start));
            break;
        }
        items.push_back(list.substr(start, tab - start));
        start = tab + 1;
    }
    return items;
}

std::optional<CellContent> acceptInput(const CellFormat& fmt, const std::string& input,
                                       bool asValue) {
    switch (fmt.type) {
        case CellType::Number:
        case CellType::Percent: return acceptNumber(fmt, input, asValue);
        case CellType::Edit: return acceptEdit(fmt, input);
        case CellType::Masked: {
            if (input.empty()) return CellContent{};
            if (fmt.mask.empty()) return textContent(input);
            auto fitted = fitMask(fmt.mask, input);
            if (!fitted) return std::nullopt;
            return textContent(*fitted);
        }
        case CellType::CheckBox: {
            std::string t = text::trimBlanks(input);
            if (t == "1" || t == "-1" || formula::equalsIgnoreCase(t, "true")) return textContent("1");
            if (t.empty() || t == "0" || formula::equalsIgnoreCase(t, "false")) return textContent("0");
            return std::nullopt;
        }
        case CellType::ComboBox: {
            if (input.empty()) return CellContent{};
            const int index = fmt.comboList.indexOf(input);
            if (index < 0) return std::nullopt;
            return textContent(input, index);
        }
        case CellType::Date: {
            if (text::trimBlanks(input).empty()) return CellContent{};
            auto date = normaliseDate(text::trimBlanks(input));
            if (!date) return std::nullopt;
            return textContent(*date);
        }
        case CellType::Button:
        case CellType::Picture:
        case CellType::StaticText: return textContent(input);
    }
    return textContent(input);
}

CellContent emptyContent(const CellFormat& fmt) {
    if (fmt.type == CellType::CheckBox) return textContent("0");
    return CellContent{};
}

std::string formatNumber(double v, int decimals, const std::string& thousands,
                         const std::string& decimalPoint, bool showThousands) {
    std::string s;
    if (decimals < 0) {
        s = formula::formatGeneral(v);
        if (s.find_first_of("Ee") != std::string::npos) return s;
    } else {
        char buf[400];
        std::snprintf(buf, sizeof buf, "%.*f", decimals > 15 ? 15 : decimals, v);
        s = buf;
        if (s == "-0" || (s.rfind("-0.", 0) == 0 && s.find_first_not_of("-0.") == std::string::npos))
            s.erase(0, 1);   // no "-0.00"
    }
    std::string sign;
    if (!s.empty() && s[0] == '-') {
        sign = "-";
        s.erase(0, 1);
    }
    std::size_t point = s.find('.');
    std::string intPart = s.substr(0, point);
    std::string frac = point == std::string::npos ? std::string() : s.substr(point + 1);
    if (showThousands && !thousands.empty()) {
        std::string grouped;
        int n = static_cast<int>(intPart.size());
        for (int i = 0; i < n; ++i) {
            grouped.push_back(intPart[i]);
            int left = n - 1 - i;
            if (left > 0 && left % 3 == 0) grouped += thousands;
        }
        intPart = grouped;
    }
    return sign + intPart + (frac.empty() ? std::string() : decimalPoint + frac);
}

std::string displayText(const CellFormat& fmt, const CellContent& content) {
    if (fmt.type == CellType::Number) {
        if (!content.number) return {};
        return formatNumber(*content.number, fmt.decimals, fmt.thousands, fmt.decimalPoint,
                            fmt.showSeparators);
    }
    if (fmt.type == CellType::Percent) {
        if (!content.number) return {};
        return formatNumber(*content.number * 100.0, fmt.decimals, fmt.thousands,
                            fmt.decimalPoint, fmt.showSeparators) +
               "%";
    }
    return content.text;
}

std::string valueText(const CellFormat& fmt, const CellContent& content) {
    if (fmt.type == CellType::Number || fmt.type == CellType::Percent)
        return content.number ? formula::formatGeneral(*content.number) : std::string();
    return content.text;
}

std::string dateTextOfSerial(double serial) {
    // Days from 1899-12-30 to a civil date (proleptic Gregorian).
    long long z = static_cast<long long>(std::floor(serial)) - 25569 + 719468;   // via 1970-01-01
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    long long d = doy - (153 * mp + 2) / 5 + 1;
    long long m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    char buf[80];
    std::snprintf(buf, sizeof buf, "%02lld/%02lld/%04lld", d, m, y);
    return buf;
}

CellType cellTypeForNumberFormat(const std::string& numberFormat) {
    if (numberFormat.empty() || numberFormat == "@" ||
        formula::equalsIgnoreCase(numberFormat, "General"))
        return CellType::Edit;
    bool date = false;
    for (std::size_t i = 0; i < numberFormat.size(); ++i) {
        char c = numberFormat[i];
        if (c == '"') {
            std::size_t end = numberFormat.find('"', i + 1);
            if (end == std::string::npos) break;
            i = end;
        } else if (c == '[') {
            std::size_t end = numberFormat.find(']', i + 1);
            if (end == std::string::npos) break;
            i = end;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;   // the next character is a literal, a padding or a fill
        } else if (c == '%') {
            return CellType::Percent;
        } else {
            char l = static_cast<char>(c | 0x20);
            if (l == 'd' || l == 'm' || l == 'y' || l == 'h' || l == 's') date = true;
        }
    }
    if (date) return CellType::Date;
    // A format with only a text section ("@" with literals) keeps text.
    if (numberFormat.find_first_of("0#?") == std::string::npos) return CellType::Edit;
    return CellType::Number;
}

int decimalsOfNumberFormat(const std::string& numberFormat) {
    if (cellTypeForNumberFormat(numberFormat) == CellType::Edit) return -1;
    std::string section = numberFormat.substr(0, numberFormat.find(';'));
    int decimals = 0;
    bool afterPoint = false;
    for (std::size_t i = 0; i < section.size(); ++i) {
        char c = section[i];
        if (c == '"') {
            std::size_t end = section.find('"', i + 1);
            if (end == std::string::npos) break;
            i = end;
        } else if (c == '[') {
            std::size_t end = section.find(']', i + 1);
            if (end == std::string::npos) break;
            i = end;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '.') {
            afterPoint = true;
        } else if (afterPoint && (c == '0' || c == '#' || c == '?')) {
            ++decimals;
        } else if (afterPoint) {
            break;
        }
    }
    return decimals;
}

}  // namespace zevo::grid
