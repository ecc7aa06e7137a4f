#pragma once
// Small text helpers of the template engine: numbers read the way the declaration
// files were always read, trimming, and doubles written as the notes show them.
#include <string>

namespace zevo::engine::text {

// Leading numeric value of a text: blanks skipped, optional sign, digits, point,
// exponent; reading stops at the first other character; no digits give 0.
double leadingValue(const std::string& text);

// Whether the whole text (surrounding blanks allowed) is a number: sign, digits,
// decimal point, exponent. The empty text is not a number.
bool isNumeric(const std::string& text);

std::string trim(const std::string& text);

// A double as the notes show bounds: integers without a point ("100", "-5"), other
// values with up to 15 significant digits ("0.25"), very large ones as "1E+15".
std::string formatDouble(double value);

bool startsWith(const std::string& text, const std::string& prefix);

}  // namespace zevo::engine::text
