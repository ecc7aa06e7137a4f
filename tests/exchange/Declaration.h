#pragma once
// The small declaration the writer and reader tests share: sheet "1" with a header
// (tax code first, tax office fourth), a section that neither writes nor takes
// anything, a list of up to five one-row groups and a footer below the list;
// sheets "2" and "3" not in use; sheet "4" with a list of two-row groups and no limit.
#include "ExchangeTestSupport.h"
#include "zevo/exchange/ExchangeReader.h"

namespace zevo::exchange::test {

inline std::vector<SheetSpec> smallDeclaration() {
    const std::string header = "<Section Dynamic=\"0\"><Cells>" + cell("K_9", "") + cell("L_9", "") +
                               cell("M_9", "") + cell("O_15", "") + "</Cells></Section>";
    const std::string silent = "<Section Dynamic=\"0\" Receive=\"0\"><Cells>" +
                               cell("D_20", "shown", "Encode=\"0\" Receive=\"0\"") + "</Cells></Section>";
    const std::string list = "<Section Dynamic=\"1\" MaxRows=\"5\"><Cells>" + cell("B_30", "", "FirstCell=\"0\"") +
                             cell("C_30", "") + cell("D_30", "label", "Encode=\"0\" Receive=\"0\"") +
                             "</Cells></Section>";
    const std::string footer = "<Section Dynamic=\"0\"><Cells>" + cell("B_40", "") + "</Cells></Section>";
    const std::string unused = "<Section Dynamic=\"0\"><Cells>" + cell("A_1", "z") + "</Cells></Section>";
    const std::string pairs = "<Section Dynamic=\"\"><Cells>" + cell("B_5", "", "FirstCell=\"0\"") +
                              cell("C_6", "") + "</Cells></Section>";
    return {{"1", "TK", header + silent + list + footer},
            {"2", "U2", unused, "0"},
            {"3", "U3", unused, "0"},
            {"4", "BK", pairs}};
}

class DeclarationTest : public ExchangeTest {
protected:
    void SetUp() override {
        ExchangeTest::SetUp();
        declare(smallDeclaration());
    }
    xml::Node section(int sheetIndex, int number) const {
        return doc(sheetIndex)->documentElement().childElements("Section").at(static_cast<std::size_t>(number));
    }
    // Fills the open declaration: header, `people` list rows, footer, `pairs` rows of sheet 4.
    void fill(int people, int pairs, const std::string& taxCode = "0101234567",
              const std::string& office = "10100") {
        ExchangeReader reader(grid_);
        setValue(0, "K_9", taxCode);
        setValue(0, "L_9", "a~b#c<d");
        setValue(0, "O_15", office);
        const int present = static_cast<int>(section(0, 2).childElements("Cells").size());
        if (people > present) reader.AppendSectionRows(section(0, 2), people - present);
        for (int r = 0; r < people; ++r) {
            setValue(0, "B_" + std::to_string(30 + r), "Person " + std::to_string(r + 1));
            setValue(0, "C_" + std::to_string(30 + r), r % 2 ? "" : "#" + std::to_string(r));
        }
        setValue(0, "B_" + std::to_string(40 + std::max(people, 1) - 1), "footer");
        if (pairs > 1) reader.AppendSectionRows(section(3, 0), pairs - 1);
        for (int r = 0; r < pairs; ++r) setValue(3, "B_" + std::to_string(5 + 2 * r), "pair " + std::to_string(r));
    }
};

}  // namespace zevo::exchange::test
