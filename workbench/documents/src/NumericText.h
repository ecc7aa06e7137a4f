#pragma once
// Conversions of the numeric texts held in the session and the XML files.
#include <optional>
#include <string>

namespace zevo::documents::detail {

// "  12 " -> 12; "+3" -> 3. nullopt for anything that is not a whole number.
std::optional<long long> parseWhole(const std::string& text);

// A whole number or RuntimeError 13 (type mismatch); outside 16 bits: error 6.
int toInt16(const std::string& text);
// A whole number or RuntimeError 13; outside 32 bits: error 6.
int toInt32(const std::string& text);

// Leading zeros up to `width` for a text of digits; other texts stay as they are.
std::string padDigits(const std::string& text, size_t width);

}  // namespace zevo::documents::detail
