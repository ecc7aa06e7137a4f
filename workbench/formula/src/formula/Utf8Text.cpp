#include "zevo/grid/formula/Utf8Text.h"

#include "CaseMap.h"

#include <cstdint>

namespace zevo::grid::formula {

namespace {

// The code point at text[i] and its length in bytes. An invalid or truncated
// sequence counts as its first byte alone, marked invalid so callers copy it as is.
struct Decoded {
    char32_t cp;
    std::size_t len;
    bool valid;
};

Decoded decodeAt(std::string_view text, std::size_t i) {
    auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) return {b0, 1, true};
    std::size_t need = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) { need = 1; cp = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { need = 2; cp = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { need = 3; cp = b0 & 0x07; }
    else return {b0, 1, false};
    for (std::size_t k = 1; k <= need; ++k) {
        if (i + k >= text.size()) return {b0, 1, false};
        auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return {b0, 1, false};
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms ("C0 BC" for "<"), surrogates and code points past U+10FFFF
    // are not characters.
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[need] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return {b0, 1, false};
    return {cp, need + 1, true};
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool inRange(char32_t cp, char32_t lo, char32_t hi) { return cp >= lo && cp <= hi; }

// Ranges where upper and lower case alternate: the capital has the given parity.
bool pairedUpper(char32_t cp, char32_t lo, char32_t hi, unsigned upperParity) {
    return inRange(cp, lo, hi) && (cp & 1u) == upperParity;
}

template <typename Map>
std::string mapCase(std::string_view text, Map map) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(map(b)));
            ++i;
            continue;
        }
        Decoded d = decodeAt(text, i);
        if (d.valid)
            appendUtf8(out, map(d.cp));
        else
            out.push_back(text[i]);
        i += d.len;
    }
    return out;
}

}  // namespace

std::size_t utf8Length(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); i += decodeAt(text, i).len) ++n;
    return n;
}

std::size_t utf8Offset(std::string_view text, std::size_t index) {
    std::size_t i = 0;
    while (index > 0 && i < text.size()) {
        i += decodeAt(text, i).len;
        --index;
    }
    return i;
}

std::string utf8Substr(std::string_view text, std::size_t start, std::size_t count) {
    std::size_t from = utf8Offset(text, start);
    std::size_t to = from + utf8Offset(text.substr(from), count);
    return std::string(text.substr(from, to - from));
}

std::string utf8Upper(std::string_view text) { return mapCase(text, detail::toUpperCp); }
std::string utf8Lower(std::string_view text) { return mapCase(text, detail::toLowerCp); }

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        Decoded da = decodeAt(a, i), db = decodeAt(b, j);
        if (da.valid != db.valid) return false;
        if (da.valid ? detail::toLowerCp(da.cp) != detail::toLowerCp(db.cp) : a[i] != b[j]) return false;
        i += da.len;
        j += db.len;
    }
    return i == a.size() && j == b.size();
}

namespace detail {

char32_t toLowerCp(char32_t cp) {
    if (inRange(cp, 'A', 'Z')) return cp + 32;
    if (cp < 0x80) return cp;
    if (inRange(cp, 0xC0, 0xDE) && cp != 0xD7) return cp + 32;
    if (cp == 0x178) return 0xFF;
    if (pairedUpper(cp, 0x100, 0x137, 0) || pairedUpper(cp, 0x14A, 0x177, 0) ||
        pairedUpper(cp, 0x139, 0x148, 1) || pairedUpper(cp, 0x179, 0x17E, 1))
        return cp + 1;
    if (cp == 0x1A0 || cp == 0x1AF) return cp + 1;   // Ơ Ư
    if (inRange(cp, 0x391, 0x3AB) && cp != 0x3A2) return cp + 32;
    if (inRange(cp, 0x410, 0x42F)) return cp + 32;
    if (inRange(cp, 0x400, 0x40F)) return cp + 80;
    if (pairedUpper(cp, 0x1E00, 0x1E95, 0) || pairedUpper(cp, 0x1EA0, 0x1EFF, 0)) return cp + 1;
    return cp;
}

char32_t toUpperCp(char32_t cp) {
    if (inRange(cp, 'a', 'z')) return cp - 32;
    if (cp < 0x80) return cp;
    if (inRange(cp, 0xE0, 0xFE) && cp != 0xF7) return cp - 32;
    if (cp == 0xFF) return 0x178;
    if (pairedUpper(cp, 0x100, 0x137, 1) || pairedUpper(cp, 0x14A, 0x177, 1) ||
        pairedUpper(cp, 0x139, 0x148, 0) || pairedUpper(cp, 0x179, 0x17E, 0))
        return cp - 1;
    if (cp == 0x1A1 || cp == 0x1B0) return cp - 1;   // ơ ư
    if (inRange(cp, 0x3B1, 0x3CB) && cp != 0x3C2) return cp - 32;
    if (inRange(cp, 0x430, 0x44F)) return cp - 32;
    if (inRange(cp, 0x450, 0x45F)) return cp - 80;
    if (pairedUpper(cp, 0x1E00, 0x1E95, 1) || pairedUpper(cp, 0x1EA0, 0x1EFF, 1)) return cp - 1;
    return cp;
}

void foldChars(std::string_view text, std::u32string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(toLowerCp(b));
            ++i;
            continue;
        }
        Decoded d = decodeAt(text, i);
        // A broken byte gets a key no real character has.
        out.push_back(d.valid ? toLowerCp(d.cp) : 0x110000 + b);
        i += d.len;
    }
}

}  // namespace detail

}  // namespace zevo::grid::formula
