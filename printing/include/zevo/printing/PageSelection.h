#pragma once
// The pages box of the print dialog: which records (or report pages) a print run
// takes. A selection is either the one item "All" or items that are a page number
// ("3") or a range of two page numbers joined by "-" ("3-5").
#include <optional>
#include <string>
#include <vector>

namespace zevo::printing {

inline constexpr const char* kAllPages = "All";

using PageSelection = std::vector<std::string>;

// The selection every page belongs to.
inline PageSelection allPages() { return {kAllPages}; }

// One item of the pages box: digits and "-" only, not empty, not page 0; with a
// "-" exactly two such numbers, the second not smaller than the first.
bool IsValidPageItem(const std::string& item);

// The pages box as typed: blanks are dropped, an empty text selects "All",
// otherwise the comma-separated items; nullopt when any item is invalid.
std::optional<PageSelection> parsePageSelection(const std::string& text);

// Whether page `page` is selected ("All", an equal number, or a range holding it).
bool IsPrintedPage(const PageSelection& pages, int page);

// Characters the two boxes take; backspace always passes.
bool isCopiesCharacter(char c);
bool isPagesCharacter(char c);

}  // namespace zevo::printing
