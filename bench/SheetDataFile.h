#pragma once
// Data files for the benchmarks: the installed blank document of a sheet with its
// list grown to a number of filled rows. Shared by bench_engine and bench_scale.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "zevo/Xml.h"
#include "zevo/documents/Attributes.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/sheetdocs/CellAddress.h"

namespace zevo::bench {

inline std::string moveRow(const grid::Spread& letters, const std::string& id, int delta) {
    int c = 0, r = 0;
    sheetdocs::ParserCellID(letters, id, c, r);
    return c > 0 ? sheetdocs::MakeCellID(letters, c, r + delta) : id;
}

// The blank document of a sheet (1 or 2) with its list grown to `count` filled rows; returns
// the first grid row of the list.
inline int writeDataFile(const std::string& blankPath, const std::string& target, int count, int sheet) {
    grid::SpreadModel letters;
    xml::LoadResult result;
    auto doc = xml::Document::fromFile(blankPath, &result);
    if (!result.ok()) {
        std::fprintf(stderr, "cannot read %s: %s\n", blankPath.c_str(), result.reason.c_str());
        std::exit(1);
    }
    xml::Node group;
    for (const xml::Node& section : doc->elementsByTagName("Section"))
        if (documents::GetAttributeValue(section, "Dynamic") == "1") {
            group = section.firstChildElement("Cells");
            break;
        }
    int reportRows = 0, first = 0, last = 0;
    const int rows = sheetdocs::GetRowGroupSize(letters, group, reportRows, first, last);
    // No ID table while the copies are made: the file is only written.
    doc->beginBulkEdit();
    // A distinct ten-digit code with a right check digit for each individual.
    auto taxCode = [](int k) {
        static constexpr int kWeights[9] = {31, 29, 23, 19, 17, 13, 7, 5, 3};
        for (long long prefix = 800000000LL + 3LL * k;; ++prefix) {
            const std::string digits = std::to_string(prefix);
            long long sum = 0;
            for (int i = 0; i < 9; ++i) sum += kWeights[i] * (digits[static_cast<std::size_t>(i)] - '0');
            if (sum % 11 != 0) return digits + std::to_string(10 - sum % 11);
        }
    };
    auto fill = [&](const xml::Node& g, int k) {
        for (const xml::Node& cell : g.childElements("Cell")) {
            int c = 0, r = 0;
            sheetdocs::ParserCellID(letters, documents::GetAttributeValue(cell, "CellID"), c, r);
            const std::string letter = letters.colLetters(c);
            std::string value;
            if (sheet == 1) {
                if (letter == "D") value = std::to_string(k + 1);
                else if (letter == "K") value = "Cá nhân số " + std::to_string(k + 1);
                else if (letter == "T") value = std::to_string(100000000 + k);
                else if (letter == "N") value = "01/02/1985";
                else if (letter == "R") value = "00";
                else if (letter == "Z" || letter == "AI") value = "12 Phố Huế";
                else if (letter == "AA" || letter == "AJ") value = "01";
                else if (letter == "AC" || letter == "AL") value = "001";
                else if (letter == "AE" || letter == "AN") value = "00001";
            } else {
                // Date of the request, tax code, name and street, as a user fills them.
                if (letter == "C") value = "01/12/2026";
                else if (letter == "D") value = taxCode(k);
                else if (letter == "E") value = "Cá nhân số " + std::to_string(k + 1);
                else if (letter == "G") value = "12 Phố Huế";
            }
            if (!value.empty()) documents::SetAttributeValue(cell, "Value", value);
        }
    };
    fill(group, 0);
    xml::Node previous = group;
    for (int k = 1; k < count; ++k) {
        xml::Node copy = group.cloneDeep();
        for (xml::Node cell : copy.childElements("Cell")) {
            cell.setAttribute("CellID", moveRow(letters, cell.attribute("CellID").value_or(""), k * rows));
            if (cell.hasAttribute("CellID2"))
                cell.setAttribute("CellID2", moveRow(letters, *cell.attribute("CellID2"), k * reportRows));
            if (cell.hasAttribute("FirstCell")) cell.setAttribute("FirstCell", "1");
        }
        fill(copy, k);
        previous.insertAfter(copy);
        previous = copy;
    }
    doc->save(target);
    return first;
}

}  // namespace zevo::bench
