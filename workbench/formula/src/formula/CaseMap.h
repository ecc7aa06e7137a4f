#pragma once
// Case mapping of single characters and case folding of whole texts, for the
// text helpers and the wildcard matcher.
#include <string>
#include <string_view>

namespace zevo::grid::formula::detail {

char32_t toLowerCp(char32_t cp);
char32_t toUpperCp(char32_t cp);

// The text as lower-case code points; each byte of a broken sequence becomes a
// key of its own.
void foldChars(std::string_view text, std::u32string& out);

}  // namespace zevo::grid::formula::detail
