#pragma once
// Text helpers shared by the program and the rules library: trimming, numbers
// read out of texts the way the declaration files were always read, UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace zevo::text {

// Spaces removed from both ends (the declaration's own texts are trimmed so).
std::string trimSpaces(std::string_view text);
// Blanks (space, tab, carriage return, line feed) removed from both ends.
std::string trimBlanks(std::string_view text);

// The leading number of a text: blanks, tabs and line feeds are skipped anywhere,
// then an optional sign, digits, a decimal point and an exponent ("e" or "d", any
// case); reading stops at the first other character. No digits give 0; an exponent
// beyond the range of a double gives an infinite value. Hexadecimal, "inf" and
// "nan" are not numbers here.
double leadingNumber(std::string_view text);

// The value of a text that is a plain decimal number and nothing else (sign,
// digits, point, digits, "e" exponent; no blanks); nullopt otherwise or when the
// value is not finite.
std::optional<double> plainNumber(std::string_view text);

// The code point appended to out in UTF-8 (one to four bytes).
void appendUtf8(std::string& out, char32_t code);

}  // namespace zevo::text
