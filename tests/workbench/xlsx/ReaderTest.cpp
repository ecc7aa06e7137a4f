// Reading workbook files written by other spreadsheet programs: the forms of the
// format that our own writer never produces.
#include <gtest/gtest.h>

#include "TestFiles.h"
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

TEST(XlsxReader, SharedFormulasAreExpandedPerCell) {
    TempFolder tmp;
    const std::string sheet = worksheetXml(
        "<row r=\"2\"><c r=\"B2\"><f t=\"shared\" ref=\"B2:C4\" si=\"0\">A2*2+$C$1+Sheet2!A2+SUM(A$1:A2)&amp;\"A1\"</f><v>1</v></c>"
        "<c r=\"C2\"><f t=\"shared\" si=\"0\"/><v>2</v></c></row>"
        "<row r=\"4\"><c r=\"B4\"><f t=\"shared\" si=\"0\"/><v>3</v></c></row>"
        "<row r=\"5\"><c r=\"B5\"><f t=\"shared\" ref=\"B5:B6\" si=\"1\">LOG10(A5)+'My Sheet'!B5</f></c>"
        "<c r=\"C5\"><f t=\"shared\" ref=\"C5:C6\" si=\"2\">A1</f></c></row>"
        "<row r=\"6\"><c r=\"B6\"><f t=\"shared\" si=\"1\"/></c></row>");
    writeZip(tmp.file("f.xlsx"), minimalWorkbook({{"S", sheet}}));
    const SheetData s = readXlsx(tmp.file("f.xlsx")).sheets.at(0);
    ASSERT_TRUE(at(s, 2, 2) && at(s, 3, 2) && at(s, 2, 4) && at(s, 2, 6));
    EXPECT_EQ(at(s, 2, 2)->formula, "A2*2+$C$1+Sheet2!A2+SUM(A$1:A2)&\"A1\"");
    EXPECT_EQ(at(s, 3, 2)->formula, "B2*2+$C$1+Sheet2!B2+SUM(B$1:B2)&\"A1\"");
    EXPECT_EQ(at(s, 2, 4)->formula, "A4*2+$C$1+Sheet2!A4+SUM(A$1:A4)&\"A1\"");
    EXPECT_EQ(at(s, 2, 6)->formula, "LOG10(A6)+'My Sheet'!B6");
    EXPECT_EQ(at(s, 2, 4)->type, CellValueType::Number);
    EXPECT_EQ(at(s, 2, 4)->number, 3);
    EXPECT_EQ(at(s, 2, 5)->type, CellValueType::Empty);   // formula not computed yet
}

TEST(XlsxReader, ValueKindsRichTextAndStrings) {
    TempFolder tmp;
    const std::string strings =
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<si><t>Mã số thuế</t></si>"
        "<si><r><rPr><b/></rPr><t xml:space=\"preserve\">Họ và </t></r><r><t>tên</t></r><rPh sb=\"0\" eb=\"1\"><t>x</t></rPh></si>"
        "<si><t xml:space=\"preserve\">  </t></si></sst>";
    const std::string sheet = worksheetXml(
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c>"
        "<c r=\"D1\" t=\"inlineStr\"><is><r><t>in</t></r><r><t>line</t></r></is></c>"
        "<c r=\"E1\" t=\"b\"><v>1</v></c><c r=\"F1\" t=\"e\"><v>#DIV/0!</v></c>"
        "<c r=\"G1\" t=\"str\"><f>A1&amp;\"\"</f><v>Mã số thuế</v></c><c r=\"H1\"><v>1.5E-3</v></c></row>"
        "<row><c><v>7</v></c><c><v>8</v></c></row>");
    writeZip(tmp.file("v.xlsx"), minimalWorkbook({{"S", sheet}}, {}, strings));
    const SheetData s = readXlsx(tmp.file("v.xlsx")).sheets.at(0);
    EXPECT_EQ(at(s, 1, 1)->text, "Mã số thuế");
    EXPECT_EQ(at(s, 2, 1)->text, "Họ và tên");
    EXPECT_EQ(at(s, 3, 1)->text, "  ");
    EXPECT_EQ(at(s, 4, 1)->text, "inline");
    EXPECT_EQ(at(s, 5, 1)->type, CellValueType::Boolean);
    EXPECT_EQ(at(s, 5, 1)->number, 1);
    EXPECT_EQ(at(s, 6, 1)->type, CellValueType::Error);
    EXPECT_EQ(at(s, 6, 1)->text, "#DIV/0!");
    EXPECT_EQ(at(s, 7, 1)->type, CellValueType::String);
    EXPECT_EQ(at(s, 7, 1)->formula, "A1&\"\"");
    EXPECT_DOUBLE_EQ(at(s, 8, 1)->number, 0.0015);
    // Rows and cells without numbers follow their predecessors.
    ASSERT_TRUE(at(s, 1, 2) && at(s, 2, 2));
    EXPECT_EQ(at(s, 2, 2)->number, 8);
    EXPECT_EQ(s.maxCol, 8);
    EXPECT_EQ(s.maxRow, 2);
}

TEST(XlsxReader, StylesThemeAndPaletteColoursWidthsAndHiddenParts) {
    TempFolder tmp;
    const std::string styles =
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy\"/></numFmts>"
        "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
        "<font><b/><i val=\"0\"/><sz val=\"9\"/><color indexed=\"10\"/><name val=\"Tahoma\"/></font></fonts>"
        "<fills count=\"5\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill>"
        "<fill><patternFill patternType=\"solid\"><fgColor theme=\"4\"/><bgColor indexed=\"64\"/></patternFill></fill>"
        "<fill><patternFill patternType=\"solid\"><fgColor theme=\"0\" tint=\"-0.5\"/></patternFill></fill>"
        "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFFCC1\"/></patternFill></fill></fills>"
        "<borders count=\"2\"><border><left/><right/></border><border><left style=\"thin\"/></border></borders>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"1\" fillId=\"2\" borderId=\"1\"/></cellStyleXfs>"
        "<cellXfs count=\"5\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
        "<xf numFmtId=\"164\" fontId=\"1\" fillId=\"2\" borderId=\"1\"><alignment horizontal=\"center\" vertical=\"top\" wrapText=\"1\"/><protection locked=\"0\"/></xf>"
        "<xf numFmtId=\"3\" fontId=\"7\" fillId=\"3\"/>"
        "<xf numFmtId=\"10\" fillId=\"4\"><alignment horizontal=\"right\"/></xf>"
        "<xf numFmtId=\"14\" fillId=\"1\"/></cellXfs>"
        "<dxfs count=\"1\"><dxf><font><b/></font><fill><patternFill><bgColor rgb=\"FF00FF00\"/></patternFill></fill></dxf></dxfs>"
        "</styleSheet>";
    const std::string sheet = worksheetXml(
        "<row r=\"1\" ht=\"30\" customHeight=\"1\"><c r=\"A1\" s=\"1\"><v>45000</v></c><c r=\"B1\" s=\"2\"/><c r=\"C1\" s=\"3\"/>"
        "<c r=\"D1\" s=\"-3\"/><c r=\"E1\" s=\"99\"/><c r=\"F1\" s=\"4\"/></row>"
        "<row r=\"2\" hidden=\"1\" ht=\"20\"/><row r=\"3\" ht=\"15\"/><row r=\"4\" ht=\"18\"/>",
        "<sheetViews><sheetView workbookViewId=\"0\"><pane xSplit=\"2\" ySplit=\"5\" topLeftCell=\"C6\" state=\"frozen\"/></sheetView></sheetViews>"
        "<sheetFormatPr defaultRowHeight=\"15\"/>"
        "<cols><col min=\"1\" max=\"1\" width=\"13.7109375\" customWidth=\"1\"/><col min=\"2\" max=\"3\" width=\"2.7109375\" customWidth=\"1\" style=\"1\"/>"
        "<col min=\"4\" max=\"4\" width=\"9.140625\" hidden=\"1\"/><col min=\"5\" max=\"5\" width=\"8.7109375\"/></cols>",
        "<mergeCells count=\"2\"><mergeCell ref=\"A5:C6\"/><mergeCell ref=\"bogus\"/></mergeCells>"
        "<pageMargins left=\"0.125\" right=\"0.25\" top=\"0.75\" bottom=\"0.5\" header=\"0.3\" footer=\"0.3\"/>"
        "<pageSetup orientation=\"landscape\"/><rowBreaks count=\"2\"><brk id=\"20\" max=\"16383\" man=\"1\"/><brk id=\"7\" man=\"1\"/></rowBreaks>");
    writeZip(tmp.file("s.xlsx"), minimalWorkbook({{"S", sheet}}, styles));
    const WorkbookData book = readXlsx(tmp.file("s.xlsx"));
    const SheetData& s = book.sheets.at(0);
    ASSERT_EQ(book.styles.size(), 5u);

    const StyleData& a = book.styles[static_cast<std::size_t>(at(s, 1, 1)->style)];
    EXPECT_EQ(a.numberFormat, "dd/mm/yyyy");
    EXPECT_EQ(a.font.name, "Tahoma");
    EXPECT_EQ(a.font.size, 9);
    EXPECT_TRUE(a.font.bold);
    EXPECT_FALSE(a.font.italic);
    EXPECT_EQ(a.font.colour, rgb(255, 0, 0));
    EXPECT_EQ(a.fill, rgb(0x4F, 0x81, 0xBD));   // accent 1 of the default theme
    EXPECT_TRUE(a.border);
    EXPECT_FALSE(a.locked);
    EXPECT_EQ(a.hAlign, HAlign::Center);
    EXPECT_EQ(a.vAlign, VAlign::Top);
    EXPECT_TRUE(a.wrap);

    const StyleData& b = book.styles[static_cast<std::size_t>(at(s, 2, 1)->style)];
    EXPECT_EQ(b.numberFormat, "#,##0");
    EXPECT_EQ(b.font.name, "Calibri");   // font index out of range: the first font
    EXPECT_EQ(b.fill, rgb(128, 128, 128));   // white darkened by half
    EXPECT_TRUE(b.locked);
    EXPECT_FALSE(b.border);

    const StyleData& c = book.styles[static_cast<std::size_t>(at(s, 3, 1)->style)];
    EXPECT_EQ(c.fill, rgb(255, 252, 193));
    EXPECT_EQ(c.numberFormat, "0.00%");
    EXPECT_EQ(c.hAlign, HAlign::Right);
    EXPECT_EQ(at(s, 4, 1)->style, 0);   // negative index
    EXPECT_EQ(at(s, 5, 1)->style, 0);   // beyond the formats
    EXPECT_FALSE(book.styles[static_cast<std::size_t>(at(s, 6, 1)->style)].fill);   // gray125 is no fill
    EXPECT_EQ(book.styles[static_cast<std::size_t>(at(s, 6, 1)->style)].numberFormat, "dd/mm/yyyy");   // short date, day first

    // 13.7109375 characters are 96 pixels, 2.7109375 are 19; hidden is 0; the
    // default width is not recorded unless marked custom.
    EXPECT_EQ(s.colWidthsPx, (std::map<int, double>{{1, 96}, {2, 19}, {3, 19}, {4, 0}, {5, 61}}));
    EXPECT_EQ(s.colStyles, (std::map<int, int>{{2, 1}, {3, 1}}));
    EXPECT_EQ(s.rowHeightsPt, (std::map<int, double>{{1, 30}, {2, 0}, {4, 18}}));
    EXPECT_EQ(s.frozenCols, 2);
    EXPECT_EQ(s.frozenRows, 5);
    ASSERT_EQ(s.merges.size(), 1u);
    EXPECT_EQ(s.merges[0], (MergeData{1, 5, 3, 6}));
    EXPECT_EQ(s.rowBreaks, (std::vector<int>{7, 20}));
    EXPECT_TRUE(s.landscape);
    EXPECT_DOUBLE_EQ(s.marginLeft, 0.125);
    EXPECT_DOUBLE_EQ(s.marginBottom, 0.5);
    EXPECT_EQ(s.maxRow, 6);   // the merge reaches row 6
}

TEST(XlsxReader, SheetOrderVisibilityAndNotesFollowTheWorkbook) {
    TempFolder tmp;
    auto parts = minimalWorkbook({{"Bìa", worksheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>")},
                                  {"hidden:Ẩn", worksheetXml("")}});
    parts.emplace_back("xl/worksheets/_rels/sheet1.xml.rels",
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/comments\" Target=\"../comments7.xml\"/>"
                       "<Relationship Id=\"rId2\" Type=\"http://x/hyperlink\" Target=\"http://example.invalid/\" TargetMode=\"External\"/>"
                       "</Relationships>");
    parts.emplace_back("xl/comments7.xml",
                       "<comments xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><authors><author>a</author></authors><commentList>"
                       "<comment ref=\"A1\" authorId=\"0\"><text><r><t>Nhập </t></r><r><t>mã số thuế</t></r></text></comment>"
                       "<comment ref=\"C4\" authorId=\"0\"><text><t>trống</t></text></comment></commentList></comments>");
    writeZip(tmp.file("n.xlsx"), parts);
    const WorkbookData book = readXlsx(tmp.file("n.xlsx"));
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(book.sheets[0].name, "Bìa");
    EXPECT_FALSE(book.sheets[0].hidden);
    EXPECT_EQ(book.sheets[1].name, "Ẩn");
    EXPECT_TRUE(book.sheets[1].hidden);
    EXPECT_EQ(book.sheets[1].maxRow, 0);
    const SheetData& s = book.sheets[0];
    ASSERT_EQ(s.cells.size(), 2u);
    EXPECT_EQ(s.cells[0].comment, "Nhập mã số thuế");
    EXPECT_EQ(s.cells[0].number, 1);
    EXPECT_EQ(s.cells[1].col, 3);
    EXPECT_EQ(s.cells[1].row, 4);
    EXPECT_EQ(s.cells[1].type, CellValueType::Empty);
    EXPECT_EQ(s.cells[1].comment, "trống");
    EXPECT_EQ(s.maxCol, 3);
    EXPECT_EQ(s.maxRow, 4);
}

}  // namespace
}  // namespace zevo::grid
