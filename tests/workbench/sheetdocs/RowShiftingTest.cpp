// Grid rows and sheet-document identifiers kept in step by the row shifting
// procedures.
#include <gtest/gtest.h>

#include <filesystem>

#include "zevo/ErrorLog.h"

#include "zevo/clsVariables.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/sheetdocs/RowShifting.h"
#include "zevo/grid/SpreadModel.h"

using namespace zevo::grid;
using namespace zevo::sheetdocs;
using zevo::xml::Document;
using zevo::xml::DocumentPtr;
using zevo::xml::Node;

namespace {

const char* kDtd = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE Sections [
<!ELEMENT Sections (Section*)>
<!ELEMENT Section (Cells*)>
<!ATTLIST Section Dynamic CDATA #IMPLIED MaxRows CDATA #IMPLIED>
<!ELEMENT Cells (Cell*)>
<!ELEMENT Cell EMPTY>
<!ATTLIST Cell CellID ID #REQUIRED CellID2 CDATA #IMPLIED Value CDATA #IMPLIED FirstCell CDATA #IMPLIED>
]>
)";

DocumentPtr load(const std::string& body) {
    zevo::xml::LoadResult res;
    auto doc = Document::fromString(kDtd + body, &res, zevo::xml::Trust::Installed);
    EXPECT_TRUE(res.ok()) << res.reason;
    return doc;
}

// One list row group per two grid rows from row 4: A number (unlocked), B name
// (unlocked), C a locked formula and D a locked label, neither in the document.
// Row 3 is the header; the row after the list holds "aa".
struct ListFixture {
    SpreadModel grid;
    DocumentPtr doc;

    explicit ListFixture(int groups) {
        grid.setMaxCols(4);
        grid.setMaxRows(4 + 2 * groups);
        grid.setTextAt(1, 3, "STT");
        grid.setTextAt(2, 3, "Họ tên");
        std::string body = "<Sections><Section Dynamic=\"1\">";
        for (int g = 0; g < groups; ++g) {
            int r = 4 + 2 * g;
            grid.setPosition(1, r);
            grid.setCellType(CellType::Number);
            grid.setLocked(false);
            grid.setValue(std::to_string(g + 1));
            grid.setPosition(2, r);
            grid.setLocked(false);
            grid.setText("name" + std::to_string(g + 1));
            grid.setPosition(2, r + 1);
            grid.setLocked(false);
            grid.setText("addr" + std::to_string(g + 1));
            grid.setPosition(3, r);
            grid.setFormula("A" + std::to_string(r) + "*2");
            grid.setPosition(4, r);
            grid.setText("đ");
            int r2 = 10 + 3 * g;
            body += "<Cells>";
            body += "<Cell CellID=\"A_" + std::to_string(r) + "\" CellID2=\"B_" + std::to_string(r2) +
                    "\" Value=\"" + std::to_string(g + 1) + "\" FirstCell=\"" + (g == 0 ? "0" : "1") + "\"/>";
            body += "<Cell CellID=\"B_" + std::to_string(r) + "\" CellID2=\"C_" + std::to_string(r2 + 1) +
                    "\" Value=\"name" + std::to_string(g + 1) + "\"/>";
            body += "<Cell CellID=\"B_" + std::to_string(r + 1) + "\" CellID2=\"C_" +
                    std::to_string(r2 + 2) + "\" Value=\"addr" + std::to_string(g + 1) + "\"/>";
            body += "</Cells>";
        }
        body += "</Section></Sections>";
        grid.setTextAt(1, 4 + 2 * groups, "aa");
        doc = load(body);
        zevo::clsVariables::resetSession();
        zevo::clsVariables v;
        v.xmlDataReDim(0);
        v.Data(0, doc);
    }

    // Every document cell reads in the grid what its "Value" says.
    void expectInStep() {
        for (Node cell : doc->elementsByTagName("Cell")) {
            int c = 0, r = 0;
            ParserCellID(grid, *cell.attribute("CellID"), c, r);
            ASSERT_EQ(grid.textAt(c, r), *cell.attribute("Value")) << *cell.attribute("CellID");
            ASSERT_EQ(doc->elementById(*cell.attribute("CellID")), cell);
        }
    }
};

TEST(RowShifting, InsertedRowsCopyTheGroupAboveWithoutMarksOrValues) {
    ListFixture f(2);
    SpreadModel& g = f.grid;
    g.setPosition(2, 6);
    g.setBackColor(kErrorColour);
    g.setNote("0078");
    g.setPosition(1, 6);
    g.setBackColor(kWarningColour);
    g.setPosition(4, 6);
    g.setBackColor(kErrorColour);   // a label: stays as copied
    InsertRow(g, 8, 2, false);
    EXPECT_EQ(g.maxRows(), 10);
    EXPECT_EQ(g.textAt(1, 10), "aa");
    g.setPosition(2, 8);
    EXPECT_EQ(g.backColor(), kWhite);
    EXPECT_EQ(g.text(), "");
    EXPECT_EQ(g.note(), "");
    EXPECT_FALSE(g.locked());
    g.setPosition(1, 8);
    EXPECT_EQ(g.cellType(), CellType::Number);
    EXPECT_EQ(g.value(), "0");
    EXPECT_EQ(g.backColor(), kWhite);
    g.setPosition(3, 8);
    EXPECT_EQ(g.formula(), "A8*2");
    EXPECT_EQ(g.value(), "0");
    g.setPosition(4, 8);
    EXPECT_EQ(g.text(), "đ");
    EXPECT_EQ(g.backColor(), kErrorColour);
    // The source group is untouched.
    g.setPosition(2, 6);
    EXPECT_EQ(g.backColor(), kErrorColour);
    EXPECT_EQ(g.text(), "name2");
}

TEST(RowShifting, ANumberCellWhoseBoundsRefuseZeroIsEmptiedNotLeftWithTheCopy) {
    ListFixture f(2);
    SpreadModel& g = f.grid;
    g.setPosition(1, 6);
    g.setNumberMin(1);
    g.setNumberMax(100);
    InsertRow(g, 8, 2, false);
    g.setPosition(1, 8);
    EXPECT_EQ(g.value(), "");
}

TEST(RowShifting, InsertedRowsDuringLoadKeepWhatWasCopied) {
    ListFixture f(2);
    SpreadModel& g = f.grid;
    g.setPosition(2, 6);
    g.setBackColor(kErrorColour);
    InsertRow(g, 8, 2, true);
    g.setPosition(2, 8);
    EXPECT_EQ(g.backColor(), kErrorColour);
    EXPECT_EQ(g.text(), "name2");
    EXPECT_EQ(g.textAt(2, 9), "addr2");
}

TEST(RowShifting, IncreaseRowInDomMovesIdentifiersAtOrBelowTheRow) {
    ListFixture f(3);
    SpreadModel& g = f.grid;
    std::string before = f.doc->toString();
    IncreaseRowInDOM(g, f.doc, 100, 2, 3);
    EXPECT_EQ(f.doc->toString(), before);
    IncreaseRowInDOM(g, f.doc, 6, 2, 3);
    EXPECT_FALSE(f.doc->elementById("A_4").isNull());
    EXPECT_TRUE(f.doc->elementById("A_6").isNull());
    Node moved = f.doc->elementById("A_8");
    ASSERT_FALSE(moved.isNull());
    EXPECT_EQ(*moved.attribute("Value"), "2");
    EXPECT_EQ(*moved.attribute("CellID2"), "B_16");
    EXPECT_EQ(*f.doc->elementById("B_11").attribute("Value"), "addr3");
    IncreaseRowInDOM(g, f.doc, 1, 1, 0);
    EXPECT_EQ(*f.doc->elementById("A_5").attribute("CellID2"), "B_10");
    IncreaseRowInDOM(g, nullptr, 1, 1, 1);   // no document: nothing
}

TEST(RowShifting, DecreaseRowInDomMovesIdentifiersOfTheSheetDocumentUp) {
    ListFixture f(3);
    SpreadModel& g = f.grid;
    f.doc->elementById("A_6").parent().remove();
    DecreaseRowInDOM(g, 1, 7, 2, 3);
    EXPECT_EQ(*f.doc->elementById("A_6").attribute("Value"), "3");
    EXPECT_EQ(*f.doc->elementById("A_6").attribute("CellID2"), "B_13");
    EXPECT_EQ(*f.doc->elementById("B_7").attribute("Value"), "addr3");
    EXPECT_FALSE(f.doc->elementById("A_4").isNull());
}

TEST(RowShifting, DeletingAGroupMovesTheRowsBelowUpAsWritingThemOneByOneWould) {
    // The reference first: the fixture last made is the session's document.
    ListFixture ref(60);
    ref.doc->elementById("A_6").parent().remove();
    for (Node cell : ref.doc->elementsByTagName("Cell")) {
        int c = 0, r = 0;
        ParserCellID(ref.grid, *cell.attribute("CellID"), c, r);
        if (r < 7) continue;
        cell.setAttribute("CellID", MakeCellID(ref.grid, c, r - 2));
        ParserCellID(ref.grid, *cell.attribute("CellID2"), c, r);
        cell.setAttribute("CellID2", MakeCellID(ref.grid, c, r - 3));
    }
    ListFixture f(60);   // rows 4 to 123: the shift crosses 100 and 99
    DeleteRow(f.grid, 1, 6, 2);
    f.doc->elementById("A_6").parent().remove();
    const std::uint64_t revision = zevo::xml::contentRevision();
    DecreaseRowInDOM(f.grid, 1, 7, 2, 3);
    EXPECT_NE(zevo::xml::contentRevision(), revision) << "the renumbered document would not be saved";
    EXPECT_EQ(f.doc->toString(), ref.doc->toString());
    f.expectInStep();
    EXPECT_TRUE(f.doc->elementById("A_122").isNull());
    EXPECT_EQ(*f.doc->elementById("B_99").attribute("Value"), "addr49");
}

TEST(RowShifting, DeleteRowRemovesGridRowsAndLeavesLoadEventsOn) {
    ListFixture f(3);
    SpreadModel& g = f.grid;
    g.setLoadEventsEnabled(false);
    DeleteRow(g, 1, 6, 2);
    EXPECT_EQ(g.maxRows(), 8);
    EXPECT_EQ(g.textAt(2, 6), "name3");
    EXPECT_EQ(g.textAt(1, 8), "aa");
    EXPECT_TRUE(g.loadEventsEnabled());
    g.setPosition(3, 6);
    EXPECT_EQ(g.formula(), "A6*2");
    EXPECT_EQ(g.value(), "6");
}

TEST(RowShifting, FailuresAreTrappedNotThrown) {
    auto dir = std::filesystem::temp_directory_path() / "zevo_grid_shift_log";
    std::filesystem::create_directories(dir);
    zevo::setErrorLogFolderOverride(dir.string());
    SpreadModel g;
    zevo::clsVariables::resetSession();   // no sheet documents
    EXPECT_NO_THROW(DeleteRow(g, 9, 1, 1));
    EXPECT_NO_THROW(DecreaseRowInDOM(g, 3, 1, 1, 1));
    g.setTextAt(1, 1, "kept");
    EXPECT_NO_THROW(InsertRow(g, 2, 1, false));
    EXPECT_EQ(g.textAt(1, 1), "kept");
    EXPECT_EQ(g.maxRows(), 0);   // nothing was inserted without a document
    zevo::setErrorLogFolderOverride("");
}

// What the insert key does on the first group of a long list: grid rows and
// document stay in step all the way down.
TEST(RowShifting, InsertingAGroupAtTheTopOfALongListKeepsDocumentAndGridInStep) {
    ListFixture f(1500);
    SpreadModel& g = f.grid;
    Node source = f.doc->elementById("A_4").parent();
    int report = 0, first = 0, last = 0;
    int rows = GetRowGroupSize(g, source, report, first, last);
    ASSERT_EQ(rows, 2);
    ASSERT_EQ(report, 3);
    InsertRow(g, last + 1, rows, false);
    IncreaseRowInDOM(g, f.doc, last + 1, rows, report);
    Node copy = source.cloneDeep();
    for (Node cell : copy.childElements("Cell")) {
        int c = 0, r = 0;
        ParserCellID(g, *cell.attribute("CellID"), c, r);
        cell.setAttribute("CellID", MakeCellID(g, c, r + rows));
        cell.setAttribute("FirstCell", "1");
        g.setPosition(c, r);
        cell.setAttribute("Value", g.cellType() == CellType::Number ? "0" : "");
        int c2 = 0, r2 = 0;
        ParserCellID(g, *cell.attribute("CellID2"), c2, r2);
        cell.setAttribute("CellID2", MakeCellID(g, c2, r2 + report));
    }
    source.insertAfter(copy);
    f.expectInStep();
    EXPECT_EQ(g.textAt(1, 4 + 2 * 1501), "aa");
    EXPECT_EQ(*f.doc->elementById("A_3004").attribute("CellID2"), "B_4510");
    g.setPosition(3, 3004);
    EXPECT_EQ(g.formula(), "A3004*2");
}

}  // namespace
