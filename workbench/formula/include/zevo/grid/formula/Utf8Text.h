#pragma once
// UTF-8 text helpers the formula functions (and sheet-name look-ups) rely on.
// Case mapping covers ASCII, Latin-1, Latin Extended-A/B and the Vietnamese
// letters (ơ, ư, ạ ... ỹ); other characters are left as they are. Invalid bytes
// count as one character each and are kept.
#include <cstddef>
#include <string>
#include <string_view>

namespace zevo::grid::formula {

// Number of characters (code points).
std::size_t utf8Length(std::string_view text);

// Byte offset of character `index` (0-based); text.size() when past the end.
std::size_t utf8Offset(std::string_view text, std::size_t index);

// Characters [start, start + count) (0-based), clipped to the text.
std::string utf8Substr(std::string_view text, std::size_t start, std::size_t count);

std::string utf8Upper(std::string_view text);
std::string utf8Lower(std::string_view text);

// Equality ignoring case ("Tờ khai" equals "TỜ KHAI").
bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace zevo::grid::formula
