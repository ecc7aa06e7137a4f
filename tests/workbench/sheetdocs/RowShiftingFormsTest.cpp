// Identifiers in the forms a hand-edited or old document may hold: the shifting
// procedures read them the way ParserCellID does, whatever shortcut they take
// for the usual "K_9" form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/sheetdocs/RowShifting.h"
#include "zevo/grid/SpreadModel.h"

using namespace zevo::grid;
using namespace zevo::sheetdocs;

namespace {

const char* kDtd = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE Sections [
<!ELEMENT Sections (Cells*)>
<!ELEMENT Cells (Cell*)>
<!ELEMENT Cell EMPTY>
<!ATTLIST Cell CellID ID #REQUIRED CellID2 CDATA #IMPLIED Value CDATA #IMPLIED>
]>
)";

}  // namespace

TEST(RowShiftingForms, OddIdentifierFormsMoveAsTheAddressParserReadsThem) {
    SpreadModel grid;
    grid.setMaxCols(30);
    grid.setMaxRows(50);
    // CellID, CellID2, and what each becomes after moving rows from 5 on by 2 / 3.
    struct Case {
        std::string id, id2, movedId, movedId2;
    };
    const std::vector<Case> cases = {
        {"A_4", "A_40", "A_4", "A_40"},          // above the first moved row
        {"B_5", "B_20", "B_7", "B_23"},
        {"C_05", "C_007", "C_7", "C_10"},        // leading zeros
        {"D_6x", "D_9 ", "D_8", "D_12"},         // trailing characters after the number
        {"E_ 7", "E_+8", "E_9", "E_11"},         // blank and sign before the number
        {"AB_12", "nounderscore", "AB_14", "nounderscore"},   // no "_": left alone
        {"F_1000000000", "F_3", "F_1000000002", "F_6"},       // ten digits
    };
    std::string xml = std::string(kDtd) + "<Sections><Cells>";
    for (const Case& c : cases) xml += "<Cell CellID=\"" + c.id + "\" CellID2=\"" + c.id2 + "\"/>";
    xml += "<Cell CellID=\"G_9\"/><Cell CellID=\"H_9\" CellID2=\"\"/></Cells></Sections>";
    auto doc = zevo::xml::Document::fromString(xml, nullptr, zevo::xml::Trust::Installed);
    ASSERT_FALSE(doc->isEmpty());

    IncreaseRowInDOM(grid, doc, 5, 2, 3);
    std::vector<zevo::xml::Node> cells = doc->elementsByTagName("Cell");
    ASSERT_EQ(cells.size(), cases.size() + 2);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(cells[i].attribute("CellID").value_or("?"), cases[i].movedId) << cases[i].id;
        EXPECT_EQ(cells[i].attribute("CellID2").value_or("?"), cases[i].movedId2) << cases[i].id2;
    }
    // A missing or empty CellID2 stays as it was; the look-up follows the moves.
    EXPECT_FALSE(cells[cases.size()].hasAttribute("CellID2"));
    EXPECT_EQ(cells[cases.size() + 1].attribute("CellID2").value_or("?"), "");
    EXPECT_EQ(doc->elementById("G_11"), cells[cases.size()]);
    EXPECT_EQ(doc->elementById("C_7"), cells[2]);
    EXPECT_TRUE(doc->elementById("C_05").isNull());
}

TEST(RowShiftingForms, CellsAtAnyDepthAmongOtherNodesAllMoveOnce) {
    SpreadModel grid;
    grid.setMaxCols(30);
    grid.setMaxRows(200);
    // Cells straight under the root, in groups, in groups within groups, among
    // text and comments, and a group of many: every one moves, once.
    const std::string xml = std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE Sections [
<!ELEMENT Sections ANY>
<!ELEMENT Cells ANY>
<!ELEMENT Cell EMPTY>
<!ATTLIST Cell CellID ID #REQUIRED CellID2 CDATA #IMPLIED>
]>
<Sections><Cell CellID="A_1"/> <Cells><Cell CellID="A_2"/><!-- note --><Cells><Cell CellID="A_3"/>text<Cells/>
<Cells><Cell CellID="A_4"/></Cells></Cells><Cell CellID="A_5"/></Cells><Cell CellID="A_6"/><Cells>)") +
                            [] {
                                std::string many;
                                for (int r = 7; r <= 120; ++r) many += "<Cell CellID=\"B_" + std::to_string(r) + "\"/>";
                                return many;
                            }() +
                            "</Cells></Sections>";
    auto doc = zevo::xml::Document::fromString(xml, nullptr, zevo::xml::Trust::Installed);
    ASSERT_FALSE(doc->isEmpty());
    std::vector<std::string> before;
    for (const zevo::xml::Node& cell : doc->elementsByTagName("Cell")) before.push_back(*cell.attribute("CellID"));
    IncreaseRowInDOM(grid, doc, 1, 3, 0);
    const std::vector<zevo::xml::Node> cells = doc->elementsByTagName("Cell");
    ASSERT_EQ(cells.size(), before.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        int c = 0, r = 0;
        ParserCellID(grid, before[i], c, r);
        const std::string moved = MakeCellID(grid, c, r + 3);
        EXPECT_EQ(*cells[i].attribute("CellID"), moved);
        EXPECT_EQ(doc->elementById(moved), cells[i]) << moved;
    }
}
