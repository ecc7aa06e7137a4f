#include "zevo/printing/PageSelection.h"

#include <limits>

namespace zevo::printing {

namespace {

// The number of an item part of digits only, or -1 when it is not one. Very long
// numbers saturate: no declaration has that many records, so they select nothing.
long long pageNumber(const std::string& part) {
    if (part.empty()) return -1;
    long long n = 0;
    for (char c : part) {
        if (c < '0' || c > '9') return -1;
        if (n < std::numeric_limits<int>::max()) n = n * 10 + (c - '0');
    }
    return n;
}

bool validNumber(const std::string& part) { return pageNumber(part) > 0; }

}  // namespace

bool isCopiesCharacter(char c) { return c >= '0' && c <= '9'; }

bool isPagesCharacter(char c) { return (c >= '0' && c <= '9') || c == ',' || c == '-'; }

bool IsValidPageItem(const std::string& item) {
    if (item.empty()) return false;
    for (char c : item)
        if (!((c >= '0' && c <= '9') || c == '-')) return false;
    const auto dash = item.find('-');
    if (dash == std::string::npos) return validNumber(item);
    if (item.find('-', dash + 1) != std::string::npos) return false;
    const std::string from = item.substr(0, dash), to = item.substr(dash + 1);
    return validNumber(from) && validNumber(to) && pageNumber(to) >= pageNumber(from);
}

std::optional<PageSelection> parsePageSelection(const std::string& text) {
    std::string compact;
    for (char c : text)
        if (c != ' ') compact.push_back(c);
    if (compact.empty()) return allPages();
    PageSelection items;
    std::size_t start = 0;
    while (true) {
        const auto comma = compact.find(',', start);
        const std::string item = compact.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!IsValidPageItem(item)) return std::nullopt;
        items.push_back(item);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

bool IsPrintedPage(const PageSelection& pages, int page) {
    for (const std::string& item : pages) {
        if (item == kAllPages) return true;
        const auto dash = item.find('-');
        if (dash == std::string::npos) {
            if (pageNumber(item) == page) return true;
            continue;
        }
        if (item.find('-', dash + 1) != std::string::npos) continue;
        const long long from = pageNumber(item.substr(0, dash)), to = pageNumber(item.substr(dash + 1));
        if (from >= 0 && to >= 0 && from <= page && page <= to) return true;
    }
    return false;
}

}  // namespace zevo::printing
