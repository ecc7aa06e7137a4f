#include "RefText.h"

#include <utility>

#include "zevo/grid/ColumnLetters.h"

namespace zevo::grid::formula::detail {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
}  // namespace

std::optional<CellRef> parseCellRef(std::string_view text) {
    CellRef ref;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '$') {
        ref.colAbsolute = true;
        ++i;
    }
    std::size_t letters = i;
    while (i < text.size() && isLetter(text[i])) ++i;
    if (i == letters || i - letters > 3) return std::nullopt;
    ref.col = columnNumber(std::string(text.substr(letters, i - letters)));
    if (ref.col < 1 || ref.col > kMaxCol) return std::nullopt;
    if (i < text.size() && text[i] == '$') {
        ref.rowAbsolute = true;
        ++i;
    }
    std::size_t digits = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    if (i == digits || i != text.size() || i - digits > 7 || text[digits] == '0')
        return std::nullopt;
    ref.row = std::stoi(std::string(text.substr(digits)));
    if (ref.row > kMaxRow) return std::nullopt;
    return ref;
}

void normaliseRange(Reference& ref) {
    if (ref.first.col > ref.last.col) {
        std::swap(ref.first.col, ref.last.col);
        std::swap(ref.first.colAbsolute, ref.last.colAbsolute);
    }
    if (ref.first.row > ref.last.row) {
        std::swap(ref.first.row, ref.last.row);
        std::swap(ref.first.rowAbsolute, ref.last.rowAbsolute);
    }
}

std::string cellRefText(const CellRef& ref) {
    std::string out;
    if (ref.colAbsolute) out += '$';
    out += columnLetters(ref.col);
    if (ref.rowAbsolute) out += '$';
    out += std::to_string(ref.row);
    return out;
}

std::string sheetPrefixText(const std::string& sheet) {
    // Plain ASCII words that cannot be mistaken for a cell, a number or a
    // boolean go unquoted; everything else is quoted with ' doubled.
    bool plain = !sheet.empty() && !isDigit(sheet[0]) && sheet[0] != '.';
    for (char c : sheet)
        if (!(isLetter(c) || isDigit(c) || c == '_' || c == '.')) plain = false;
    if (plain) {
        // Names that read as a cell ("A1", "XFD12") or an R1C1 address, or as a
        // boolean, need quotes.
        std::string upper;
        for (char c : sheet) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        if (parseCellRef(sheet) || upper == "TRUE" || upper == "FALSE") plain = false;
        if (!upper.empty() && (upper[0] == 'R' || upper[0] == 'C')) {
            std::size_t i = 1;
            while (i < upper.size() && isDigit(upper[i])) ++i;
            if (upper[0] == 'R' && i < upper.size() && upper[i] == 'C') ++i;
            while (i < upper.size() && isDigit(upper[i])) ++i;
            if (i == upper.size()) plain = false;
        }
    }
    if (plain) return sheet + "!";
    std::string out = "'";
    for (char c : sheet) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'!";
}

}  // namespace zevo::grid::formula::detail
