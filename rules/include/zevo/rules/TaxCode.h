#pragma once
// Check-digit arithmetic of tax codes, shared by the rules library and the program.
// A tax code is ten digits, the tenth being a check digit over the first nine,
// optionally followed by a three-character branch suffix.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zevo::rules::taxcode {

// Leading integer of a text as the declaration's old runtime read whole numbers:
// blanks, tabs and line feeds are skipped anywhere, then an optional sign and
// digits; reading stops at the first other character, so a point or an exponent
// ends the number (text::leadingNumber would read "1e3" as 1000, and dates must not).
// No digits give 0. Saturates far beyond any 32-bit value instead of overflowing.
inline std::int64_t leadingInteger(std::string_view text) {
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() &&
               (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
            ++i;
    };
    skipBlanks();
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    constexpr std::int64_t kCap = std::int64_t{1} << 40;
    for (skipBlanks(); i < text.size(); skipBlanks()) {
        char c = text[i];
        if (c < '0' || c > '9') break;
        if (value < kCap) value = value * 10 + (c - '0');
        ++i;
    }
    return negative ? -value : value;
}

// Whether the whole text (surrounding blanks allowed) is an optionally signed
// whole number.
inline bool isWholeNumber(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return false;
    std::size_t last = text.find_last_not_of(" \t");
    std::string_view s = text.substr(first, last - first + 1);
    if (s.front() == '+' || s.front() == '-') s.remove_prefix(1);
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

inline constexpr std::array<int, 9> kWeights{31, 29, 23, 19, 17, 13, 7, 5, 3};

// Weighted sum of the first nine characters (a non-digit counts as 0).
inline std::int64_t weightedSum(const std::array<std::string, 9>& firstNine) {
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < kWeights.size(); ++i)
        sum += kWeights[i] * leadingInteger(firstNine[i]);
    return sum;
}

// The expected value of the tenth character: 10 - (sum mod 11). A remainder of 0
// gives 10, which no digit matches, so such codes are always invalid.
inline std::int64_t checkValue(const std::array<std::string, 9>& firstNine) {
    std::int64_t r = weightedSum(firstNine) % 11;
    if (r < 0) r += 11;
    return 10 - r;
}

// Whether the tenth character is a number equal to the check value. A tenth
// character that is not a number never matches.
inline bool checkDigitMatches(const std::array<std::string, 9>& firstNine,
                              std::string_view tenth) {
    if (!isWholeNumber(tenth)) return false;
    return leadingInteger(tenth) == checkValue(firstNine);
}

// The ten-digit form used by the program: characters 1-10 as separate texts.
inline bool checkTenDigits(const std::array<std::string, 10>& chars) {
    std::array<std::string, 9> firstNine;
    for (std::size_t i = 0; i < 9; ++i) firstNine[i] = chars[i];
    return checkDigitMatches(firstNine, chars[9]);
}

}  // namespace zevo::rules::taxcode
