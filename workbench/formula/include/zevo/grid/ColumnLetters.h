#pragma once
// Column letters as spreadsheets name columns: 1 -> "A", 26 -> "Z", 27 -> "AA".
#include <string>

namespace zevo::grid {

// Highest column a letter name may denote ("XFD", as in .xlsx workbooks).
inline constexpr int kMaxColumnNumber = 16384;

// "" for a column below 1 or above kMaxColumnNumber.
inline std::string columnLetters(int col) {
    if (col < 1 || col > kMaxColumnNumber) return {};
    std::string out;
    while (col > 0) {
        int d = (col - 1) % 26;
        out.insert(out.begin(), static_cast<char>('A' + d));
        col = (col - 1) / 26;
    }
    return out;
}

// 0 when the text is empty, holds anything but letters, or names a column beyond
// kMaxColumnNumber. Lower-case letters count as their capitals.
inline int columnNumber(const std::string& letters) {
    if (letters.empty() || letters.size() > 3) return 0;
    int n = 0;
    for (char c : letters) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') return 0;
        n = n * 26 + (c - 'A' + 1);
    }
    return n <= kMaxColumnNumber ? n : 0;
}

}  // namespace zevo::grid
