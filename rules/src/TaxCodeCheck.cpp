#include "zevo/rules/TaxCodeCheck.h"

#include <array>
#include <exception>
#include <vector>

#include "zevo/ErrorLog.h"
#include "zevo/rules/TaxCode.h"
#include "zevo/rules/mdlFuntions.h"

namespace zevo::rules {

namespace {

// The characters of a UTF-8 text, one string each.
std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = 1;
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xF0) len = 4;
        else if (c >= 0xE0) len = 3;
        else if (c >= 0xC0) len = 2;
        out.push_back(text.substr(i, len));
        i += len;
    }
    return out;
}

}  // namespace

std::string CheckTaxCode(const std::string& c1, const std::string& c2, const std::string& c3,
                         const std::string& c4, const std::string& c5, const std::string& c6,
                         const std::string& c7, const std::string& c8, const std::string& c9,
                         const std::string& c10, const std::string& c11, const std::string& c12,
                         const std::string& c13) {
    try {
        const std::array<std::string, 9> firstNine{c1, c2, c3, c4, c5, c6, c7, c8, c9};
        bool emptyLeading = c10.empty();
        for (const auto& c : firstNine) emptyLeading = emptyLeading || c.empty();
        bool wrongDigit = false;
        if (!emptyLeading) wrongDigit = !taxcode::checkDigitMatches(firstNine, c10);
        const int emptySuffix = int(c11.empty()) + int(c12.empty()) + int(c13.empty());
        const bool partSuffix = emptySuffix == 1 || emptySuffix == 2;
        std::string flags;
        flags += emptyLeading ? '1' : '0';
        flags += wrongDigit ? '1' : '0';
        flags += partSuffix ? '1' : '0';
        return flags;
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "CheckTaxCode", e);
        return "000";
    }
}

void CheckTaxCodeCell(grid::Spread& grid, int sheet, int col, int row, bool& valid) {
    grid.setPosition(sheet, col, row);
    const std::string typed = grid.text();
    const std::string code = removeAll(removeAll(typed, "."), "-");
    const std::vector<std::string> ch = characters(code);
    std::string result;
    if (ch.size() == 13 || ch.size() == 10) {
        const bool withSuffix = ch.size() == 13;
        const std::string flags =
            CheckTaxCode(ch[0], ch[1], ch[2], ch[3], ch[4], ch[5], ch[6], ch[7], ch[8], ch[9],
                         withSuffix ? ch[10] : "0", withSuffix ? ch[11] : "0",
                         withSuffix ? ch[12] : "0");
        if (flags == "000") {
            std::string ten;
            for (std::size_t i = 0; i < 10; ++i) ten += ch[i];
            result = withSuffix ? ten + "-" + ch[10] + ch[11] + ch[12] : ten;
        }
    }
    if (typed.empty() || !result.empty()) {
        SetCellValue(grid, col, row, result);
        grid.setPosition(sheet, col, row);
        grid.setText(result);
        valid = true;
    } else {
        valid = false;
    }
}

}  // namespace zevo::rules
