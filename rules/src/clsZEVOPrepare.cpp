// Preparing the grid: pick lists, date cells and today's date for a blank
// declaration; display texts from the stored catalogue ids of a loaded one.
#include <chrono>

#include "clsZEVO.h"
#include "zevo/rules/DateFormat.h"
#include "zevo/rules/mdlFuntions.h"

namespace zevo::rules {

namespace {

constexpr int kFirstListRow = 38;

struct IdDisplayPair {
    const char* idColumn;
    const char* displayColumn;
    int catalogue;   // 0 sex, 1 nationality, 2 location, 3 country
    int level;
};

// Order matters: each address level is resolved before the next one.
constexpr IdDisplayPair kStoredIds[] = {
    {"P", "Q", 0, 1},   {"R", "S", 1, 1},   {"AA", "AB", 2, 1}, {"AC", "AD", 2, 2},
    {"AE", "AF", 2, 3}, {"AG", "AH", 3, 1}, {"AJ", "AK", 2, 1}, {"AL", "AM", 2, 2},
    {"AN", "AO", 2, 3},
};

std::string todayText() {
    auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    return FormatDateText(Date{today}, "DD/MM/YYYY");
}

}  // namespace

void clsZEVO::Prepare1() {
    grid::Spread& g = grid();
    const xml::DocumentPtr location = getXMLLocation();
    allProvinces_ = getValueListToString(1, location);
    allDistricts_ = getValueListToString(2, location);
    allWards_ = getValueListToString(3, location);

    g.setSheet(1);
    setCurrentSheetNumber(g.sheet());
    g.setRow(kFirstListRow);
    const int row = kFirstListRow;
    SetCellList(g, colOf("Q"), row, getValueListToString(1, getXMLSex()));
    SetCellList(g, colOf("S"), row, getValueListToString(1, getXMLQNational()));
    for (const char* c : {"V", "AB", "AK"}) SetCellList(g, colOf(c), row, allProvinces_);
    for (const char* c : {"AD", "AM"}) SetCellList(g, colOf(c), row, allDistricts_);
    for (const char* c : {"AF", "AO"}) SetCellList(g, colOf(c), row, allWards_);
    SetCellList(g, colOf("AH"), row, getValueListToString(1, getXMLNational()));

    for (const char* c : {"N", "U", "X", "AU"}) SetDateCellFormat(g, 1, row, colOf(c), "DD/MM/YYYY");

    // The declaration date starts as today; it reaches the document once edited.
    SetDateCellFormat(g, 1, 19, colOf("L"), "DD/MM/YYYY");
    g.setText(todayText());

    const xml::DocumentPtr taxOffice = getXMLTaxoffice();
    g.setSheet(1);
    SetCellList(g, colOf("L"), 13, getValueListToString(1, taxOffice, {}, true));
    allTaxOffices_ = getValueListToString(2, taxOffice);
    SetCellList(g, colOf("L"), 15, allTaxOffices_);
}

void clsZEVO::Prepare2() {
    grid::Spread& g = grid();
    g.setSheet(1);
    setCurrentSheetNumber(g.sheet());
    const xml::DocumentPtr taxOffice = getXMLTaxoffice();
    const int colL = colOf("L");

    std::string department = cellText(colOf("O"), 13);
    if (!department.empty()) {
        xml::Node item = getNodeById(1, department, taxOffice);
        department = GetAttributeValue(item, "shortname") + " - " + GetAttributeValue(item, "value");
    }
    putCell(colL, 13, department);

    std::string office = cellText(colOf("O"), 15);
    if (!office.empty()) office = GetAttributeValue(getNodeById(2, office, taxOffice), "value");
    putCell(colL, 15, office);

    TaxDepartmentChanged(1, colL, 13, department);

    const xml::DocumentPtr catalogues[] = {getXMLSex(), getXMLQNational(), getXMLLocation(),
                                           getXMLNational()};
    const int colD = colOf("D");
    const int colK = colOf("K");
    const int last = lastRow();
    int filled = 0;
    int row = kFirstListRow;
    for (int i = 1;; ++i) {
        putCell(colD, row, std::to_string(i));
        if (!text::trimSpaces(cellText(colK, row)).empty()) ++filled;
        for (const IdDisplayPair& pair : kStoredIds) {
            const std::string id = cellText(colOf(pair.idColumn), row);
            std::string display;
            if (!id.empty())
                display = GetAttributeValue(
                    getNodeById(static_cast<std::int16_t>(pair.level), id, catalogues[pair.catalogue]),
                    "value");
            putCell(colOf(pair.displayColumn), row, display);
        }
        for (const char* province : {"AB", "AK"})
            ProvinceChanged(colOf(province), row, cellText(colOf(province), row));
        row = kFirstListRow + i;
        // A template without an end marker ends the walk at the grid's last row.
        if (row > last || cellText(colD, row) == "aa") break;
    }
    g.setSheet(1);
    g.setPosition(colOf("Q"), 19);
    g.setText(std::to_string(filled));
}

}  // namespace zevo::rules
