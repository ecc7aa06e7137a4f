// Reactions to edits: catalogue ids follow the picked texts, district and ward lists
// follow the chosen province and district, the second address copies the first
// while it is empty, dates are normalised and tax codes checked.
#include "clsZEVO.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/rules/DateFormat.h"
#include "zevo/rules/TaxCodeCheck.h"
#include "zevo/rules/mdlFuntions.h"

namespace zevo::rules {

namespace {

constexpr int kLastHeaderRow = 37;
// Viet Nam's ids in the nationality and the country catalogues.
constexpr const char* kNationalityVietNam = "00";
constexpr const char* kCountryVietNam = "VN";

bool isOneOf(const std::string& s, std::initializer_list<const char*> list) {
    for (const char* item : list)
        if (s == item) return true;
    return false;
}

}  // namespace

// The value in a tax-department text: what follows the first " - " (the text from its third
// character when there is none).
std::string clsZEVO::departmentValue(const std::string& text) {
    const std::size_t pos = text.find(" - ");
    if (pos != std::string::npos) return text.substr(pos + 3);
    // Skip two characters, not two bytes: the texts are UTF-8.
    std::size_t i = 0;
    for (int skipped = 0; i < text.size() && skipped < 2; ++skipped) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return text.substr(i);
}

void clsZEVO::Change(int col, int row) {
    grid::Spread& g = grid();
    const int sheet = takeEventSheet();
    const std::string text = cellText(col, row);
    const std::string column = letters(col);
    if (sheet == 1) {
        if (row > kLastHeaderRow) {
            // The second address follows the first only while its own cell is empty.
            auto followInSecondAddress = [&](const char* second) {
                const int c = colOf(second);
                if (!text::trimSpaces(cellText(c, row)).empty()) return;
                putCell(c, row, text);
                Change(c, row);
            };
            if (column == "Q") {
                SexChanged(col, row, text);
            } else if (column == "S" || column == "AH") {
                NationalityChanged(col, row, text);
            } else if (column == "AB") {
                ProvinceChanged(col, row, text);
                followInSecondAddress("AK");
            } else if (column == "AD") {
                DistrictChanged(col, row, text);
                followInSecondAddress("AM");
            } else if (column == "AF") {
                WardChanged(col, row, text);
                followInSecondAddress("AO");
            } else if (column == "AK") {
                ProvinceChanged(col, row, text);
            } else if (column == "AM") {
                DistrictChanged(col, row, text);
            } else if (column == "AO") {
                WardChanged(col, row, text);
            } else if (column == "K") {
                // Nearly every individual is a Vietnamese living in Viet Nam: once a
                // name is typed, an empty nationality and an empty country of the
                // permanent address become Viet Nam. An untouched row stays empty
                // (and F6 removes it without a question).
                if (!text::trimSpaces(text).empty() && !g.locked()) {
                    startAsVietNam(colOf("S"), row, getXMLQNational(), kNationalityVietNam);
                    startAsVietNam(colOf("AH"), row, getXMLNational(), kCountryVietNam);
                }
            } else if (column == "Z") {
                putCell(colOf("AI"), row, text);
            } else if (isOneOf(column, {"N", "U", "X", "AU"})) {
                NormalizeDateCell(g, currentSheetNumber(), row, col, "DD/MM/YYYY");
            }
        }
        const std::string id = sheetdocs::MakeCellID(g, col, row);
        if (id == "L_13")
            TaxDepartmentChanged(sheet, col, row, text);
        else if (id == "L_15")
            TaxOfficeChanged(sheet, col, row, text);
        if (id == "L_19") NormalizeDateCell(g, sheet, row, col, "DD/MM/YYYY");
    } else if (sheet == 2) {
        if (isOneOf(column, {"C", "Z", "AH", "FG", "W"}))
            NormalizeDateCell(g, sheet, row, col, "DD/MM/YYYY");
        else if (isOneOf(column, {"BW", "BX"}))
            NormalizeDateCell(g, sheet, row, col, "DD/MM");
    }
}

void clsZEVO::LeaveCell(int col, int row, int newCol, int newRow, bool& cancel) {
    grid::Spread& g = grid();
    const int sheet = takeEventSheet();
    const std::string column = letters(col);
    bool valid = true;
    if (sheet == 1) {
        if (column == "G" || sheetdocs::MakeCellID(g, col, row) == "K_9")
            CheckTaxCodeCell(g, sheet, col, row, valid);
    } else if (sheet == 2) {
        if (isOneOf(column, {"D", "EF", "BY"})) CheckTaxCodeCell(g, sheet, col, row, valid);
    }
}

void clsZEVO::startAsVietNam(int col, int row, const xml::DocumentPtr& catalogue,
                             const char* id) {
    if (!text::trimSpaces(cellText(col, row)).empty()) return;
    const std::string home = GetAttributeValue(getNodeById(1, id, catalogue), "value");
    if (home.empty()) return;
    putCell(col, row, home);
    NationalityChanged(col, row, home);
}

void clsZEVO::SexChanged(int col, int row, const std::string& text) {
    SetCellValue(grid(), col, row, text);
    xml::Node item = getNodeByValue(1, text, getXMLSex());
    putCell(colOf("P"), row, GetAttributeValue(item, "id"));
}

void clsZEVO::NationalityChanged(int col, int row, const std::string& text) {
    const std::string column = letters(col);
    if (column == "S") {
        SetCellValue(grid(), col, row, text);
        xml::Node item = getNodeByValue(1, text, getXMLQNational());
        const std::string id = GetAttributeValue(item, "id");
        putCell(colOf("R"), row, id);
        if (id == "98") putCell(colOf("Y"), row, GetAttributeValue(item, "type"));
    } else if (column == "AH") {
        SetCellValue(grid(), col, row, text);
        xml::Node item = getNodeByValue(1, text, getXMLNational());
        putCell(colOf("AG"), row, GetAttributeValue(item, "id"));
    }
}

void clsZEVO::ProvinceChanged(int col, int row, const std::string& text) {
    grid::Spread& g = grid();
    const xml::DocumentPtr location = getXMLLocation();
    xml::Node province = getNodeByValue(1, text, location);
    const std::string districts =
        text.empty() ? allDistricts_ : getValueListToString(2, location, province);
    SetCellValue(g, col, row, text);

    struct Target {
        int sheet;
        const char* province;
        const char* id;
        const char* district;
    };
    static constexpr Target kTargets[] = {
        {1, "AB", "AA", "AD"}, {1, "AK", "AJ", "AM"}, {2, "I", "H", "K"},
        {2, "P", "O", "R"},    {2, "CC", "CB", "CE"}, {2, "CK", "CJ", "CM"},
    };
    const std::string column = letters(col);
    for (const Target& t : kTargets) {
        if (t.sheet != currentSheetNumber() || column != t.province) continue;
        putCell(colOf(t.id), row, GetAttributeValue(province, "id"));
        SetCellList(g, colOf(t.district), row, districts);
        break;
    }
    // Re-assigning the text re-selects it in the new list.
    const std::string current = g.text();
    g.setText(current);
    DistrictChanged(g.col(), g.row(), g.text());
}

void clsZEVO::DistrictChanged(int col, int row, const std::string& text) {
    grid::Spread& g = grid();
    SetCellValue(g, col, row, text);
    const std::string column = letters(col);
    const xml::DocumentPtr location = getXMLLocation();
    if (currentSheetNumber() == 1 && (column == "AD" || column == "AM")) {
        const bool first = column == "AD";
        xml::Node province = getNodeByValue(1, cellText(colOf(first ? "AB" : "AK"), row), location);
        xml::Node district = getNodeByValue(2, text, location, province);
        const std::string wards =
            text.empty() ? allWards_ : getValueListToString(3, location, district);
        putCell(colOf(first ? "AC" : "AL"), row, GetAttributeValue(district, "id"));
        SetCellList(g, colOf(first ? "AF" : "AO"), row, wards);
        const std::string current = g.text();
        g.setText(current);
        WardChanged(g.col(), g.row(), g.text());
    } else if (currentSheetNumber() == 2) {
        struct Target {
            const char* district;
            const char* province;
            const char* id;
        };
        static constexpr Target kTargets[] = {
            {"K", "I", "J"}, {"R", "P", "Q"}, {"CE", "CC", "CD"}, {"CM", "CK", "CL"}};
        for (const Target& t : kTargets) {
            if (column != t.district) continue;
            xml::Node province = getNodeByValue(1, cellText(colOf(t.province), row), location);
            xml::Node district = getNodeByValue(2, text, location, province);
            putCell(colOf(t.id), row, GetAttributeValue(district, "id"));
            break;
        }
    }
}

void clsZEVO::WardChanged(int col, int row, const std::string& text) {
    grid::Spread& g = grid();
    SetCellValue(g, col, row, text);
    const std::string column = letters(col);
    if (currentSheetNumber() != 1 || (column != "AF" && column != "AO")) return;
    const bool first = column == "AF";
    const xml::DocumentPtr location = getXMLLocation();
    xml::Node province = getNodeByValue(1, cellText(colOf(first ? "AB" : "AK"), row), location);
    xml::Node district =
        getNodeByValue(2, cellText(colOf(first ? "AD" : "AM"), row), location, province);
    xml::Node ward = getNodeByValue(3, text, location, district);
    putCell(colOf(first ? "AE" : "AN"), row, GetAttributeValue(ward, "id"));
}

void clsZEVO::TaxDepartmentChanged(int sheet, int col, int row, const std::string& text) {
    grid::Spread& g = grid();
    g.setSheet(sheet);
    SetCellValue(g, col, row, text);
    const xml::DocumentPtr taxOffice = getXMLTaxoffice();
    const std::string value = departmentValue(text);
    xml::Node department = getNodeByValue(1, value, taxOffice);
    // Grid and document keep the same id, so a later read of the grid agrees.
    putCell(colOf("O"), 13, GetAttributeValue(department, "id"));

    department = getNodeByValue(1, value, taxOffice);
    const int colL = colOf("L");
    SetCellList(g, colL, 15, getValueListToString(2, taxOffice, department));
    g.setSheet(sheet);
    g.setPosition(colL, 15);
    g.setText(text::trimSpaces(g.text()));
    if (g.text().empty() && !g.comboList().empty()) g.setComboIndex(0);
    TaxOfficeChanged(sheet, colL, 15, g.text());
}

void clsZEVO::TaxOfficeChanged(int sheet, int col, int row, const std::string& text) {
    grid::Spread& g = grid();
    g.setSheet(sheet);
    SetCellValue(g, col, row, text);
    if (sheet != 1 || sheetdocs::MakeCellID(g, col, row) != "L_15") return;
    const xml::DocumentPtr taxOffice = getXMLTaxoffice();
    xml::Node department = getNodeByValue(1, departmentValue(cellText(colOf("L"), 13)), taxOffice);
    xml::Node office = getNodeByValue(2, text, taxOffice, department);
    putCell(colOf("O"), 15, GetAttributeValue(office, "id"));
}

}  // namespace zevo::rules
