// Damaged and hostile files: every one gives a RuntimeError with a reason (or is
// read with the offending parts ignored), never a crash or a runaway allocation.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "TestFiles.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/XlsxReader.h"
#include "zevo/grid/XlsxWriter.h"

namespace zevo::grid {
namespace {

using test::minimalWorkbook;
using test::Parts;
using test::TempFolder;
using test::worksheetXml;
using test::writeZip;

const std::string kOneCell = worksheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");

// The reader must refuse the file with the invalid-format number and a reason.
void expectRefused(const std::string& path, const std::string& reasonPart = {}) {
    try {
        readXlsx(path);
        ADD_FAILURE() << "no error for " << path;
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), xlsx::kErrInvalidFormat) << e.what();
        EXPECT_NE(std::string(e.what()), "");
        if (!reasonPart.empty()) EXPECT_NE(std::string(e.what()).find(reasonPart), std::string::npos) << e.what();
    }
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

const std::string kBillionLaughs =
    "<?xml version=\"1.0\"?><!DOCTYPE sst [<!ENTITY a \"aaaaaaaaaa\">"
    "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
    "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
    "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
    "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\"><!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">]>"
    "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>&i;</t></si></sst>";

TEST(XlsxHostileFiles, NotAZipArchive) {
    TempFolder tmp;
    writeBytes(tmp.file("empty.xlsx"), "");
    expectRefused(tmp.file("empty.xlsx"));
    std::mt19937 random(42);
    std::string noise(100000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    writeBytes(tmp.file("noise.xlsx"), noise);
    expectRefused(tmp.file("noise.xlsx"));
    writeBytes(tmp.file("text.xlsx"), "PK\x03\x04 this is not really a zip");
    expectRefused(tmp.file("text.xlsx"));
}

TEST(XlsxHostileFiles, MissingFileIsFileNotFound) {
    TempFolder tmp;
    try {
        readXlsx(tmp.file("nowhere.xlsx"));
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), xlsx::kErrFileNotFound);
    }
    EXPECT_THROW(readXlsx(tmp.path().string()), RuntimeError);   // a folder
}

TEST(XlsxHostileFiles, TruncatedArchives) {
    TempFolder tmp;
    WorkbookData book;
    SheetData s;
    s.name = "S";
    for (int r = 1; r <= 200; ++r) {
        CellData c;
        c.col = 1;
        c.row = r;
        c.type = CellValueType::String;
        c.text = "dòng " + std::to_string(r);
        s.cells.push_back(c);
    }
    s.maxCol = 1;
    s.maxRow = 200;
    book.sheets = {s};
    writeXlsx(book, tmp.file("whole.xlsx"));
    const std::string whole = readBytes(tmp.file("whole.xlsx"));
    ASSERT_NO_THROW(readXlsx(tmp.file("whole.xlsx")));
    for (std::size_t keep : {whole.size() / 4, whole.size() / 2, whole.size() - 30, whole.size() - 1}) {
        writeBytes(tmp.file("cut.xlsx"), whole.substr(0, keep));
        SCOPED_TRACE(keep);
        expectRefused(tmp.file("cut.xlsx"));
    }
    // Damage inside compressed data: flip bytes in the middle of the archive.
    std::string flipped = whole;
    for (std::size_t i = whole.size() / 3; i < whole.size() / 3 + 64; ++i) flipped[i] = static_cast<char>(~flipped[i]);
    writeBytes(tmp.file("flipped.xlsx"), flipped);
    expectRefused(tmp.file("flipped.xlsx"));
}

TEST(XlsxHostileFiles, MissingOrBrokenParts) {
    TempFolder tmp;
    Parts parts = minimalWorkbook({{"S", kOneCell}});
    Parts noWorkbook;
    for (const auto& p : parts)
        if (p.first != "xl/workbook.xml") noWorkbook.push_back(p);
    writeZip(tmp.file("noworkbook.xlsx"), noWorkbook);
    expectRefused(tmp.file("noworkbook.xlsx"), "workbook.xml");

    Parts noSheet;
    for (const auto& p : parts)
        if (p.first != "xl/worksheets/sheet1.xml") noSheet.push_back(p);
    writeZip(tmp.file("nosheet.xlsx"), noSheet);
    expectRefused(tmp.file("nosheet.xlsx"), "sheet1.xml");

    writeZip(tmp.file("badxml.xlsx"), minimalWorkbook({{"S", "<worksheet><sheetData><row><c r=\"A1\"><v>1</v></row>"}}));
    expectRefused(tmp.file("badxml.xlsx"), "sheet1.xml");

    writeZip(tmp.file("nosheets.xlsx"), minimalWorkbook({}));
    expectRefused(tmp.file("nosheets.xlsx"));

    // A cell that names a shared string that does not exist.
    writeZip(tmp.file("badstring.xlsx"),
             minimalWorkbook({{"S", worksheetXml("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row>")}}, {},
                             "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>x</t></si></sst>"));
    expectRefused(tmp.file("badstring.xlsx"), "shared string");
}

TEST(XlsxHostileFiles, EntityExpansionAndExternalEntitiesAreRefused) {
    TempFolder tmp;
    writeZip(tmp.file("laughs.xlsx"), minimalWorkbook({{"S", kOneCell}}, {}, kBillionLaughs));
    expectRefused(tmp.file("laughs.xlsx"), "sharedStrings");

    // The same document in UTF-16: no byte pattern to spot, the parser must refuse it.
    std::string utf16 = "\xFF\xFE";
    const std::string decl = kBillionLaughs.substr(std::string("<?xml version=\"1.0\"?>").size());
    const std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + decl;
    for (char c : doc) {
        utf16 += c;
        utf16 += '\0';
    }
    writeZip(tmp.file("laughs16.xlsx"), minimalWorkbook({{"S", kOneCell}}, {}, utf16));
    expectRefused(tmp.file("laughs16.xlsx"));

    const std::string external =
        "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
        "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>&x;</t></is></c></row></sheetData></worksheet>";
    writeZip(tmp.file("xxe.xlsx"), minimalWorkbook({{"S", external}}));
    expectRefused(tmp.file("xxe.xlsx"));
}

// One archive whose sheet part inflates to 65 MiB of blanks from a few hundred
// kilobytes, built once for the zip bomb cases.
class XlsxZipBomb : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        std::string bomb = worksheetXml("");
        bomb.insert(bomb.find("<sheetData>"), std::string(xlsx::kMaxPartBytes + (1u << 20), ' '));
        writeZip(folder_->file("bomb.xlsx"), minimalWorkbook({{"S", bomb}}));
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    static TempFolder* folder_;
};
TempFolder* XlsxZipBomb::folder_ = nullptr;

TEST_F(XlsxZipBomb, PartIsRefusedByItsRecordedSize) {
    ASSERT_LT(std::filesystem::file_size(folder_->file("bomb.xlsx")), 2u << 20);
    expectRefused(folder_->file("bomb.xlsx"), "too large");
}

TEST_F(XlsxZipBomb, FalseSmallRecordedSizeStillStopsAtTheLimit) {
    std::string bytes = readBytes(folder_->file("bomb.xlsx"));
    // Rewrite the recorded uncompressed size of the sheet part (local header and
    // central directory) to 1000 bytes.
    const std::string name = "xl/worksheets/sheet1.xml";
    auto patch = [&](std::size_t header, std::size_t sizeOffset) {
        bytes[header + sizeOffset] = static_cast<char>(0xE8);
        bytes[header + sizeOffset + 1] = 0x03;
        bytes[header + sizeOffset + 2] = 0;
        bytes[header + sizeOffset + 3] = 0;
    };
    int patched = 0;
    for (std::size_t pos = bytes.find(name); pos != std::string::npos; pos = bytes.find(name, pos + 1)) {
        if (pos >= 30 && bytes.compare(pos - 30, 4, "PK\x03\x04") == 0) patch(pos - 30, 22), ++patched;
        if (pos >= 46 && bytes.compare(pos - 46, 4, "PK\x01\x02") == 0) patch(pos - 46, 24), ++patched;
    }
    ASSERT_EQ(patched, 2);
    writeBytes(folder_->file("liar.xlsx"), bytes);
    expectRefused(folder_->file("liar.xlsx"));
}

TEST(XlsxHostileFiles, AbsurdReferencesAreIgnored) {
    TempFolder tmp;
    const std::string sheet = worksheetXml(
        "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"A99999999999\"><v>2</v></c><c r=\"XFE1\"><v>3</v></c>"
        "<c r=\"ZZZZ1\"><v>4</v></c><c r=\"1A\"><v>5</v></c><c r=\"XFD1\"><v>6</v></c></row>"
        "<row r=\"2000000\"><c r=\"A2000000\"><v>7</v></c></row><row r=\"-4\"><c><v>8</v></c></row>"
        "<row r=\"1048576\"><c r=\"B1048576\" s=\"-1\"><v>9</v></c></row>",
        "<dimension ref=\"A1:ZZZZ99999999999\"/><cols><col min=\"1\" max=\"99999999\" width=\"1e308\"/>"
        "<col min=\"-5\" max=\"3\" width=\"3\"/></cols>",
        "<mergeCells><mergeCell ref=\"A1:ZZZZ9\"/></mergeCells><rowBreaks><brk id=\"-1\"/><brk id=\"99999999999\"/></rowBreaks>");
    writeZip(tmp.file("absurd.xlsx"), minimalWorkbook({{"S", sheet}}));
    const SheetData s = readXlsx(tmp.file("absurd.xlsx")).sheets.at(0);
    ASSERT_EQ(s.cells.size(), 3u);
    EXPECT_EQ(s.cells[0].number, 1);
    EXPECT_EQ(s.cells[1].col, 16384);
    EXPECT_EQ(s.cells[2].row, 1048576);
    EXPECT_EQ(s.cells[2].style, 0);
    EXPECT_EQ(s.maxCol, 16384);
    EXPECT_EQ(s.maxRow, 1048576);
    EXPECT_TRUE(s.merges.empty());
    EXPECT_TRUE(s.rowBreaks.empty());
    EXPECT_TRUE(s.colWidthsPx.empty());
}

// Small files that decode to gigabytes: one long shared string, shared formula
// or font name repeated by reference. Each is refused, never std::bad_alloc.
TEST(XlsxHostileFiles, AmplificationIsBoundedForTheWholeWorkbook) {
    TempFolder tmp;
    const std::string mib(1u << 20, 'x');
    std::string rows;
    for (int r = 1; r <= 20000; ++r)
        rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\" t=\"s\"><v>0</v></c></row>";
    writeZip(tmp.file("strings.xlsx"),
             minimalWorkbook({{"S", worksheetXml(rows)}}, {},
                             "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>" +
                                 mib + "</t></si></sst>"));
    expectRefused(tmp.file("strings.xlsx"), "too large");

    std::string formulas = "<row r=\"1\"><c r=\"A1\"><f t=\"shared\" ref=\"A1:A20000\" si=\"0\">" +
                           std::string(1u << 20, '1') + "</f></c></row>";
    for (int r = 2; r <= 20000; ++r)
        formulas += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) +
                    "\"><f t=\"shared\" si=\"0\"/></c></row>";
    writeZip(tmp.file("formulas.xlsx"), minimalWorkbook({{"S", worksheetXml(formulas)}}));
    expectRefused(tmp.file("formulas.xlsx"), "too large");

    std::string styles = "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                         "<fonts count=\"1\"><font><name val=\"" + std::string(4u << 20, 'F') +
                         "\"/></font></fonts><cellXfs>";
    for (int i = 0; i < 200000; ++i) styles += "<xf fontId=\"0\"/>";
    styles += "</cellXfs></styleSheet>";
    writeZip(tmp.file("fonts.xlsx"), minimalWorkbook({{"S", kOneCell}}, styles));
    expectRefused(tmp.file("fonts.xlsx"), "too large");
}

// Files that cost CPU or memory out of proportion to their size finish in
// seconds: they are read within bounds or refused.
TEST(XlsxHostileFiles, CpuAndRowExhaustionIsBounded) {
    TempFolder tmp;
    std::string cols = "<cols>";
    for (int i = 0; i < 100000; ++i) cols += "<col min=\"1\" max=\"16384\" width=\"3\" customWidth=\"1\"/>";
    cols += "</cols>";
    writeZip(tmp.file("cols.xlsx"), minimalWorkbook({{"S", worksheetXml("", cols)}}));
    expectRefused(tmp.file("cols.xlsx"), "column");

    // 200,000 notes in descending order, each on a new cell.
    auto parts = minimalWorkbook({{"S", kOneCell}});
    parts.emplace_back("xl/worksheets/_rels/sheet1.xml.rels",
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/comments\" Target=\"../comments1.xml\"/>"
                       "</Relationships>");
    std::string comments = "<comments xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><commentList>";
    for (int r = 200000; r >= 1; --r)
        comments += "<comment ref=\"B" + std::to_string(r) + "\"><text><t>n" + std::to_string(r) + "</t></text></comment>";
    comments += "</commentList></comments>";
    parts.emplace_back("xl/comments1.xml", comments);
    writeZip(tmp.file("comments.xlsx"), parts);
    const SheetData notes = readXlsx(tmp.file("comments.xlsx")).sheets.at(0);
    ASSERT_EQ(notes.cells.size(), 200001u);
    EXPECT_EQ(notes.cells[1].comment, "n1");
    EXPECT_EQ(notes.cells.back().comment, "n200000");

    // Many sheet entries naming one part: that part is not read again and again.
    std::vector<std::pair<std::string, std::string>> sheets;
    std::string big;
    for (int r = 1; r <= 20000; ++r) big += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>1</v></c></row>";
    for (int i = 0; i < 2000; ++i) sheets.emplace_back("S" + std::to_string(i), i == 0 ? worksheetXml(big) : kOneCell);
    Parts shared;
    for (auto& [name, bytes] : minimalWorkbook(sheets)) {
        if (name.rfind("xl/worksheets/sheet", 0) == 0 && name != "xl/worksheets/sheet1.xml") continue;
        std::string b = bytes;
        for (std::size_t at; (at = b.find("worksheets/sheet")) != std::string::npos && name.find("rels") != std::string::npos;) {
            const std::size_t end = b.find(".xml", at);
            if (b.compare(at, end - at, "worksheets/sheet1") == 0 && b.compare(at, end + 4 - at, "worksheets/sheet1.xml") == 0) {
                b.replace(at, 16, "WORKSHEETS/SHEET");
                continue;
            }
            b.replace(at, end - at, "WORKSHEETS/SHEET1");
        }
        for (std::size_t at; (at = b.find("WORKSHEETS/SHEET")) != std::string::npos;) b.replace(at, 16, "worksheets/sheet");
        shared.emplace_back(name, b);
    }
    writeZip(tmp.file("oneparts.xlsx"), shared);
    expectRefused(tmp.file("oneparts.xlsx"), "sheet1.xml");

    // Thousands of sheets each stretched to the last row by a merge.
    std::vector<std::pair<std::string, std::string>> tall;
    for (int i = 0; i < 3000; ++i)
        tall.emplace_back("T" + std::to_string(i),
                          worksheetXml("", "", "<mergeCells><mergeCell ref=\"A1048570:B1048576\"/></mergeCells>"));
    writeZip(tmp.file("tall.xlsx"), minimalWorkbook(tall));
    expectRefused(tmp.file("tall.xlsx"), "rows");
}

}  // namespace
}  // namespace zevo::grid