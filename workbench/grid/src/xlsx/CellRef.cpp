#include "CellRef.h"

#include <cctype>

#include "zevo/grid/XlsxReader.h"

namespace zevo::grid::xlsx {

namespace {

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameChar(char c) { return isLetter(c) || isDigit(c) || c == '_' || c == '.' || static_cast<unsigned char>(c) >= 0x80; }

// Parses [$]LETTERS[$]DIGITS at s[pos]; sets the end position. Letters may be lower case.
struct RefParts {
    bool colAbs = false, rowAbs = false;
    int col = 0, row = 0;
    std::size_t end = 0;
};

bool scanRef(std::string_view s, std::size_t pos, RefParts& out) {
    std::size_t i = pos;
    if (i < s.size() && s[i] == '$') {
        out.colAbs = true;
        ++i;
    }
    long long col = 0;
    std::size_t letters = 0;
    while (i < s.size() && isLetter(s[i])) {
        col = col * 26 + (std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1);
        ++i;
        if (++letters > 3) return false;
    }
    if (letters == 0) return false;
    if (i < s.size() && s[i] == '$') {
        out.rowAbs = true;
        ++i;
    }
    long long row = 0;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        row = row * 10 + (s[i] - '0');
        ++i;
        if (++digits > 7) return false;
    }
    if (digits == 0) return false;
    if (col < 1 || col > kMaxCols || row < 1 || row > kMaxRows) return false;
    out.col = static_cast<int>(col);
    out.row = static_cast<int>(row);
    out.end = i;
    return true;
}

}  // namespace

bool parseCellRef(std::string_view ref, int& col, int& row) {
    RefParts p;
    if (!scanRef(ref, 0, p) || p.end != ref.size()) return false;
    col = p.col;
    row = p.row;
    return true;
}

bool parseRangeRef(std::string_view ref, int& firstCol, int& firstRow, int& lastCol, int& lastRow) {
    const auto colon = ref.find(':');
    if (colon == std::string_view::npos) {
        if (!parseCellRef(ref, firstCol, firstRow)) return false;
        lastCol = firstCol;
        lastRow = firstRow;
        return true;
    }
    if (!parseCellRef(ref.substr(0, colon), firstCol, firstRow) ||
        !parseCellRef(ref.substr(colon + 1), lastCol, lastRow))
        return false;
    if (lastCol < firstCol) std::swap(firstCol, lastCol);
    if (lastRow < firstRow) std::swap(firstRow, lastRow);
    return true;
}

std::string columnLetters(int col) {
    std::string s;
    while (col > 0) {
        const int d = (col - 1) % 26;
        s.insert(s.begin(), static_cast<char>('A' + d));
        col = (col - 1) / 26;
    }
    return s;
}

std::string offsetFormula(std::string_view f, int rowOffset, int colOffset) {
    std::string out;
    out.reserve(f.size() + 8);
    std::size_t i = 0;
    while (i < f.size()) {
        const char c = f[i];
        if (c == '"' || c == '\'') {
            // Texts and quoted sheet names: copied as they stand (doubled quotes escape).
            std::size_t j = i + 1;
            while (j < f.size()) {
                if (f[j] == c) {
                    if (j + 1 < f.size() && f[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = j < f.size() ? j + 1 : j;
            out.append(f.substr(i, j - i));
            i = j;
            continue;
        }
        const bool startsToken = i == 0 || !isNameChar(f[i - 1]);
        RefParts p;
        if (startsToken && (c == '$' || isLetter(c)) && scanRef(f, i, p)) {
            const bool followedByName = p.end < f.size() && (isNameChar(f[p.end]) || f[p.end] == '(' || f[p.end] == '!');
            if (!followedByName) {
                const long long col = p.colAbs ? p.col : static_cast<long long>(p.col) + colOffset;
                const long long row = p.rowAbs ? p.row : static_cast<long long>(p.row) + rowOffset;
                if (col < 1 || col > kMaxCols || row < 1 || row > kMaxRows) {
                    out += "#REF!";
                } else {
                    if (p.colAbs) out += '$';
                    out += columnLetters(static_cast<int>(col));
                    if (p.rowAbs) out += '$';
                    out += std::to_string(row);
                }
                i = p.end;
                continue;
            }
        }
        // Copy a whole name so that its tail is never taken for a reference.
        if (isNameChar(c)) {
            std::size_t j = i;
            while (j < f.size() && isNameChar(f[j])) ++j;
            out.append(f.substr(i, j - i));
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

}  // namespace zevo::grid::xlsx
