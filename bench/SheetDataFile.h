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
                if (letter == "C") value = "Cá nhân số " + std::to_string(k + 1);
                else if (letter == "E") value = std::to_string(100000000 + k);
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
