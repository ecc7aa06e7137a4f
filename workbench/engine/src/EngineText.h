#pragma once
// Small text helpers of the template engine: numbers read the way the declaration
// files were always read, trimming, and doubles written as the notes show them.
#include <string>

#include "zevo/Text.h"

namespace zevo::engine::text {

using zevo::text::leadingNumber;
using zevo::text::plainNumber;
using zevo::text::trimBlanks;
using zevo::text::trimSpaces;

// leadingNumber, with 0 for a value beyond the range of a double.
double leadingValue(const std::string& text);

// Whether the whole text (surrounding blanks allowed) is a number: sign, digits,
// decimal point, exponent. The empty text is not a number.
bool isNumeric(const std::string& text);

// A double as the notes show bounds: integers without a point ("100", "-5"), other
// values with up to 15 significant digits ("0.25"), very large ones as "1E+15".
std::string formatDouble(double value);

bool startsWith(const std::string& text, const std::string& prefix);

}  // namespace zevo::engine::text
