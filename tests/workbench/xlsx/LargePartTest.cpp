// Parts read in pieces: texts, tags and escapes that straddle the pieces the
// parser is fed, empty elements in both spellings, and damage far into a part.
#include <gtest/gtest.h>

#include "TestFiles.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/XlsxReader.h"

namespace zevo::grid {
namespace {

using test::minimalWorkbook;
using test::TempFolder;
using test::worksheetXml;
using test::writeZip;

const CellData* at(const SheetData& s, int col, int row) {
    for (const auto& c : s.cells)
        if (c.col == col && c.row == row) return &c;
    return nullptr;
}

constexpr const char* kSst = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";

TEST(XlsxLargeParts, TextsAndEscapesAcrossPiecesStayWhole) {
    TempFolder tmp;
    // A shared string far longer than one piece, escapes and a comment inside it,
    // then thousands of small ones so that later strings start at odd offsets.
    std::string longText;
    for (int i = 0; i < 30000; ++i) longText += "ab&<" [i % 4];
    std::string escaped;
    for (char c : longText) escaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : std::string(1, c);
    std::string strings = std::string(kSst) + "<si><t>" + escaped + "<!-- note -->&#x1EBF;</t></si>";
    for (int i = 0; i < 6000; ++i) strings += "<si><t>s" + std::to_string(i) + "&amp;</t></si>";
    strings += "</sst>";
    std::string rows;
    for (int r = 1; r <= 3000; ++r)
        rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\" t=\"s\"><v>" +
                std::to_string(r == 1 ? 0 : r) + "</v></c><c r=\"B" + std::to_string(r) + "\"><v>" +
                std::to_string(r) + ".5</v></c></row>";
    writeZip(tmp.file("big.xlsx"), minimalWorkbook({{"R&amp;D &lt;1&gt; &#38; &#x26;", worksheetXml(rows)}}, {}, strings));
    const WorkbookData book = readXlsx(tmp.file("big.xlsx"));
    const SheetData& s = book.sheets.at(0);
    EXPECT_EQ(s.name, "R&D <1> & &");
    ASSERT_EQ(s.cells.size(), 6000u);
    EXPECT_EQ(at(s, 1, 1)->text, longText + "\xE1\xBA\xBF");
    for (int r = 2; r <= 3000; r += 499) {
        ASSERT_TRUE(at(s, 1, r) && at(s, 2, r)) << r;
        EXPECT_EQ(at(s, 1, r)->text, "s" + std::to_string(r - 1) + "&");
        EXPECT_EQ(at(s, 2, r)->number, r + 0.5);
    }
}

TEST(XlsxLargeParts, EmptyElementsInBothSpellingsAndEndTagsAfterLongContent) {
    TempFolder tmp;
    // The first view holds enough content to be read in several pieces; its end
    // tag must still close it, so the second view's frozen pane is not taken.
    std::string views = "<sheetViews><sheetView workbookViewId=\"0\">";
    for (int i = 0; i < 4000; ++i) views += "<selection activeCell=\"A1\" sqref=\"A1\"></selection>";
    views += "</sheetView><sheetView workbookViewId=\"1\"><pane ySplit=\"3\" state=\"frozen\"/></sheetView></sheetViews>";
    const std::string rows =
        "<row r=\"1\"><c r=\"A1\"></c><c r=\"B1\"/><c r=\"C1\"><v></v></c><c r=\"D1\"><v>7</v></c></row>"
        "<row r=\"2\"></row><row r=\"3\"><c><v>8</v></c></row>";
    writeZip(tmp.file("empty.xlsx"), minimalWorkbook({{"S", worksheetXml(rows, views)}}));
    const SheetData s = readXlsx(tmp.file("empty.xlsx")).sheets.at(0);
    EXPECT_EQ(s.frozenRows, 0);
    ASSERT_TRUE(at(s, 1, 1) && at(s, 2, 1) && at(s, 3, 1) && at(s, 4, 1));
    EXPECT_EQ(at(s, 1, 1)->type, CellValueType::Empty);
    EXPECT_EQ(at(s, 3, 1)->type, CellValueType::Empty);
    EXPECT_EQ(at(s, 4, 1)->number, 7);
    // A cell without a reference in the row after an empty row goes to that row.
    ASSERT_TRUE(at(s, 1, 3));
    EXPECT_EQ(at(s, 1, 3)->number, 8);
}

TEST(XlsxLargeParts, DamageFarIntoAPartIsReported) {
    TempFolder tmp;
    std::string rows;
    for (int r = 1; r <= 5000; ++r) rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>1</v></c></row>";
    const std::string broken[] = {
        worksheetXml(rows + "<row r=\"5001\"><c r=\"A5001\"><v>1</v></row>"),   // mismatched tag
        worksheetXml(rows + "<row r=\"5001\"><c r=\"A5001\"><v>&bogus;</v></c></row>"),   // undeclared entity
        worksheetXml(rows).substr(0, worksheetXml(rows).size() - 20),   // cut short
    };
    for (const std::string& sheet : broken) {
        writeZip(tmp.file("bad.xlsx"), minimalWorkbook({{"S", sheet}}));
        try {
            readXlsx(tmp.file("bad.xlsx"));
            ADD_FAILURE() << "no error";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), xlsx::kErrInvalidFormat);
            EXPECT_NE(std::string(e.what()).find("sheet1.xml"), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace zevo::grid
