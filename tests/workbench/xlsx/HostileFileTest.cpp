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

}  // namespace
}  // namespace zevo::grid
