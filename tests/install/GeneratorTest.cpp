// The template generator: description parsing, the document/workbook agreement
// check that fails the build, and the documents and ini files it writes.
#include "Description.h"
#include "DocumentWriter.h"
#include "TemplateWorkbook.h"
#include "XmlText.h"
#include "zevo/grid/XlsxReader.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/valid.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;
using namespace zevo::tools;
namespace grid = zevo::grid;

namespace {

class TempDir {
public:
    TempDir() {
        path_ = fs::temp_directory_path() / ("zevo-gen-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string file(const std::string& name, const std::string& text) const {
        std::string p = (path_ / name).string();
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    std::string path(const std::string& name = {}) const { return (path_ / name).string(); }

private:
    fs::path path_;
    static inline int counter_ = 0;
};

const char* kInput = R"(style base
style in like=base fill=CCFFFF unlocked
sheet "Tờ khai"
document TK
interface-ini TK_UI
section static
label B2 base "Mã số thuế:"
data K2 in id2=C2 maxlen=14 status=S1 help=7
data L2 in "preset" id2=D2 encode=0 receive=0
section dynamic maxrows=9
data D5 base "1" id2=A10
data E5 in id2=B10 digits maxlen=12
data F5 in marker=cbo id2=C10
label D6 base "aa"
)";

const char* kReport = R"(style base
sheet "Tờ khai"
label A1 base "Tiêu đề"
data C2 base
data D2:E2 base
data A10 base
data B10 base
data C10 base
sheet Header hidden
)";

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

}  // namespace

TEST(TemplateDescription, ParsesQuotedTextConditionsAndRanges) {
    TempDir dir;
    std::string p = dir.file("d.txt", "style base\n"
                                      "[A3] sheet \"Khổ A3\" landscape paper=A3\n"
                                      "[!A3] sheet \"Khổ A4\"\n"
                                      "width B:D 40\n"
                                      "label B1:D1 base \"Cộng hòa \\\"xã hội\\\"\"\n"
                                      "formula B2 base \"=IF(LEN('Tờ khai'!K9)>0,1,0)\"\n");
    Description a4 = readDescription(p);
    ASSERT_EQ(a4.sheets.size(), 1u);
    EXPECT_EQ(a4.sheets[0].name, "Khổ A4");
    EXPECT_EQ(a4.sheets[0].paper, 9);
    EXPECT_EQ(a4.sheets[0].widths.size(), 3u);
    ASSERT_EQ(a4.sheets[0].cells.size(), 2u);
    EXPECT_EQ(a4.sheets[0].cells[0].text, "Cộng hòa \"xã hội\"");
    EXPECT_EQ(a4.sheets[0].cells[0].to.col, 4);
    EXPECT_EQ(a4.sheets[0].cells[1].text, "=IF(LEN('Tờ khai'!K9)>0,1,0)");

    Description a3 = readDescription(p, {"A3"});
    EXPECT_EQ(a3.sheets[0].name, "Khổ A3");
    EXPECT_TRUE(a3.sheets[0].landscape);
    EXPECT_EQ(a3.sheets[0].paper, 8);
}

TEST(TemplateDescription, RejectsMistakesWithFileAndLine) {
    TempDir dir;
    auto err = [&](const std::string& text) {
        std::string p = dir.file("bad.txt", text);
        return errorOf([&] { readDescription(p); });
    };
    EXPECT_NE(err("style base\nsheet S\nlabel A1 nostyle \"x\"\n").find("bad.txt:3"), std::string::npos);
    EXPECT_NE(err("style base\nsheet S\nlabel A1:B2 base \"x\"\nlabel B2 base \"y\"\n").find("described twice"),
              std::string::npos);
    EXPECT_NE(err("style base\nsheet S\nlabel 9A base \"x\"\n").find("bad cell address"), std::string::npos);
    EXPECT_NE(err("style base\nsheet S\nlabel A1 base \"open\n").find("unterminated"), std::string::npos);
    EXPECT_NE(err("style base\nlabel A1 base \"x\"\n").find("before the first sheet"), std::string::npos);
    EXPECT_NE(err("style base\nsheet S\nlabel A1 base \"x\" maxlen=3\n").find("data cells"), std::string::npos);
    EXPECT_NE(err("style base\nsheet S\nlabel B1:A1 base \"x\"\n").find("backwards"), std::string::npos);
}

TEST(TemplateDescription, ColumnLettersRoundTrip) {
    for (int c : {1, 26, 27, 52, 53, 163, 702, 703, 16384}) EXPECT_EQ(columnNumber(columnLetters(c)), c);
    EXPECT_EQ(columnLetters(163), "FG");
    EXPECT_EQ(cellId(parseAddress("AA120")), "AA_120");
    EXPECT_EQ(cellId(parseAddress("K_9")), "K_9");
}

TEST(SheetDocuments, AgreeWithWorkbooksOrTheBuildFails) {
    TempDir dir;
    Description input = readDescription(dir.file("in.txt", kInput));
    Description report = readDescription(dir.file("rp.txt", kReport));
    EXPECT_NO_THROW(writeDocuments(input, input, {{&report}}, dir.path()));

    // A printed place that the report lacks.
    Description missing = readDescription(dir.file("rp2.txt", std::string(kReport).replace(
                                                                   std::string(kReport).find("data B10 base\n"), 14, "")));
    std::string e = errorOf([&] { writeDocuments(input, input, {{&missing}}, dir.path()); });
    EXPECT_NE(e.find("B_10 is not a data cell"), std::string::npos) << e;

    // A printed place that exists only as a label, and the inside of a merged block.
    std::string text = kInput;
    text.replace(text.find("id2=B10"), 7, "id2=A1");
    text.replace(text.find("id2=D2"), 6, "id2=E2");
    Description wrong = readDescription(dir.file("in2.txt", text));
    e = errorOf([&] { writeDocuments(wrong, wrong, {{&report}}, dir.path()); });
    EXPECT_NE(e.find("A_1 is not a data cell"), std::string::npos) << e;
    EXPECT_NE(e.find("E_2 is not a data cell"), std::string::npos) << e;

    // A report document naming an input cell that holds no data (a label).
    Description bound = readDescription(dir.file("bind.txt", "sheet \"Tờ khai\"\ndocument R\nsection static\n"
                                                              "bind K2 id2=C2\nbind B2 id2=A10\n"));
    e = errorOf([&] { writeDocuments(bound, input, {{&report}}, dir.path()); });
    EXPECT_NE(e.find("B_2 is not a data cell of"), std::string::npos) << e;

    // A data cell without a printed place.
    text = kInput;
    text.replace(text.find(" id2=C10"), 8, "");
    Description noPlace = readDescription(dir.file("in3.txt", text));
    e = errorOf([&] { writeDocuments(noPlace, noPlace, {{&report}}, dir.path()); });
    EXPECT_NE(e.find("F_5 has no id2"), std::string::npos) << e;
}

TEST(SheetDocuments, CarryIdsSectionsAndIniLimits) {
    TempDir dir;
    Description input = readDescription(dir.file("in.txt", kInput));
    Description report = readDescription(dir.file("rp.txt", kReport));
    writeDocuments(input, input, {{&report}}, dir.path());

    // libxml2 with the internal subset: CellID is an ID, and no blank text nodes
    // stand between the elements.
    xmlDocPtr doc = xmlReadFile(dir.path("TK.xml").c_str(), nullptr, XML_PARSE_DTDATTR);
    ASSERT_NE(doc, nullptr);
    xmlAttrPtr id = xmlGetID(doc, reinterpret_cast<const xmlChar*>("E_5"));
    ASSERT_NE(id, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(id->parent->name), "Cell");
    xmlNodePtr root = xmlDocGetRootElement(doc);
    int sections = 0;
    for (xmlNodePtr s = root->children; s; s = s->next) {
        EXPECT_EQ(s->type, XML_ELEMENT_NODE);
        ++sections;
    }
    EXPECT_EQ(sections, 2);
    xmlFreeDoc(doc);

    XmlElement tree = readXmlFile(dir.path("TK.xml"));
    ASSERT_EQ(tree.children.size(), 2u);
    const XmlElement& header = tree.children[0];
    const XmlElement& list = tree.children[1];
    auto attr = [](const XmlElement& e, const std::string& k) -> std::string {
        for (const auto& [n, v] : e.attributes)
            if (n == k) return v;
        return "<none>";
    };
    EXPECT_EQ(attr(header, "Dynamic"), "0");
    EXPECT_EQ(attr(list, "Dynamic"), "1");
    EXPECT_EQ(attr(list, "MaxRows"), "9");
    const auto& headerCells = header.children.at(0).children;
    ASSERT_EQ(headerCells.size(), 2u);
    EXPECT_EQ(attr(headerCells[0], "CellID2"), "C_2");
    EXPECT_EQ(attr(headerCells[0], "StatusID"), "S1");
    EXPECT_EQ(attr(headerCells[0], "FirstCell"), "<none>");
    EXPECT_EQ(attr(headerCells[1], "Value"), "preset");
    EXPECT_EQ(attr(headerCells[1], "Encode"), "0");
    EXPECT_EQ(attr(headerCells[1], "Receive"), "0");
    const auto& row = list.children.at(0).children;
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EQ(attr(row[0], "FirstCell"), "0");
    EXPECT_EQ(attr(row[1], "FirstCell"), "<none>");
    EXPECT_EQ(attr(row[2], "Value"), "");   // a combo marker is not a value

    XmlElement ini = readXmlFile(dir.path("TK_UI.xml"));
    const auto& iniCells = ini.children.at(0).children.at(0).children;
    ASSERT_EQ(iniCells.size(), 2u);
    EXPECT_EQ(attr(iniCells[0], "CellID"), "K_2");
    EXPECT_EQ(attr(iniCells[0], "MaxLen"), "14");
    EXPECT_EQ(attr(iniCells[0], "HelpContextID"), "7");
    EXPECT_EQ(attr(iniCells[1], "TextNumberFormat"), "True");
}

TEST(SheetDocuments, ReportDocumentsMarkTheirRowGroups) {
    TempDir dir;
    Description input = readDescription(dir.file("in.txt", kInput));
    Description report = readDescription(dir.file("rp.txt", kReport));
    Description bound = readDescription(dir.file("bind.txt", "sheet \"Tờ khai\"\ndocument R\nsection static\n"
                                                              "bind K2 id2=C2\nsection dynamic maxrows=1\n"
                                                              "bind E5 id2=B10\n"));
    writeDocuments(bound, input, {{&report}}, dir.path());
    XmlElement tree = readXmlFile(dir.path("R.xml"));
    ASSERT_EQ(tree.children.size(), 2u);
    EXPECT_EQ(tree.children[0].children.at(0).attributes.at(0), std::make_pair(std::string("Dynamic"), std::string("0")));
    EXPECT_EQ(tree.children[1].children.at(0).attributes.at(0), std::make_pair(std::string("Dynamic"), std::string("1")));
}

TEST(StatusCatalogue, EveryStatusIdNeedsItsText) {
    TempDir dir;
    Description input = readDescription(dir.file("in.txt", kInput));
    std::string table = dir.file("status.txt", "# comment\nS1 | Dòng 1\\nDòng 2\n");
    writeStatus(table, {&input}, dir.path("Status.xml"));
    XmlElement st = readXmlFile(dir.path("Status.xml"));
    ASSERT_EQ(st.children.size(), 1u);
    EXPECT_EQ(st.children[0].attributes[1].second, "Dòng 1\\nDòng 2");   // the two characters stay

    std::string empty = dir.file("empty.txt", "S2 | khác\n");
    std::string e = errorOf([&] { writeStatus(empty, {&input}, dir.path("Status.xml")); });
    EXPECT_NE(e.find("status id S1 has no text"), std::string::npos) << e;
    std::string dup = dir.file("dup.txt", "S1 | a\nS1 | b\n");
    EXPECT_FALSE(errorOf([&] { writeStatus(dup, {&input}, dir.path("Status.xml")); }).empty());
}

TEST(TemplateWorkbook, WritesAReadableFileOrReportsWhy) {
    TempDir dir;
    Description input = readDescription(dir.file("in.txt", kInput));
    writeWorkbook(input, dir.path("in.xlsx"));
    EXPECT_GT(fs::file_size(dir.path("in.xlsx")), 1000u);
    // A sheet name a workbook cannot hold.
    Description bad = readDescription(dir.file("bad.txt", "style base\nsheet \"a/b\"\n"));
    EXPECT_FALSE(errorOf([&] { writeWorkbook(bad, dir.path("bad.xlsx")); }).empty());
}

// What the generator hands to the grid's writer comes back from the grid's reader:
// colours not swapped, number presets as numbers, merged blocks whole, page setup.
TEST(TemplateWorkbook, ReadsBackAsDescribed) {
    TempDir dir;
    Description d = readDescription(dir.file("rt.txt", R"(style base size=11
style pink like=base fill=FFC0C0 colour=0000FF bold border align=center
style amount like=base format=0 unlocked
sheet "Tờ khai" paper=A3 fit=1 landscape protect
width E 0
width B 20
label B2:D2 pink "Tiêu đề"
data B4 amount "12"
data C4 amount marker=cbo
formula B5 base "=B4*2"
sheet Header hidden
label A1 base "x"
)"));
    writeWorkbook(d, dir.path("rt.xlsx"));
    grid::WorkbookData book = grid::readXlsx(dir.path("rt.xlsx"));
    ASSERT_EQ(book.sheets.size(), 2u);
    const grid::SheetData& s = book.sheets[0];
    EXPECT_EQ(s.paperSize, 8);
    EXPECT_EQ(s.fitToWidth, 1);
    EXPECT_TRUE(s.landscape);
    EXPECT_TRUE(s.protectedSheet);
    EXPECT_TRUE(book.sheets[1].hidden);
    EXPECT_EQ(s.colWidthsPx.at(5), 0);
    EXPECT_EQ(s.colWidthsPx.at(2), 20);
    ASSERT_EQ(s.merges.size(), 1u);
    EXPECT_EQ(s.merges[0], (grid::MergeData{2, 2, 4, 2}));
    auto at = [&](int col, int row) -> const grid::CellData& {
        for (const auto& c : s.cells)
            if (c.col == col && c.row == row) return c;
        throw std::runtime_error("no cell " + std::to_string(col) + "," + std::to_string(row));
    };
    const grid::StyleData& title = book.styles.at(static_cast<std::size_t>(at(2, 2).style));
    EXPECT_EQ(at(2, 2).text, "Tiêu đề");
    EXPECT_EQ(title.fill, grid::rgb(255, 192, 192));
    EXPECT_EQ(title.font.colour, grid::rgb(0, 0, 255));
    EXPECT_TRUE(title.font.bold && title.border);
    EXPECT_EQ(title.font.size, 11);
    EXPECT_EQ(title.hAlign, grid::HAlign::Center);
    // The rest of the block keeps the block's format (its border shows).
    EXPECT_EQ(book.styles.at(static_cast<std::size_t>(at(4, 2).style)), title);
    EXPECT_EQ(at(2, 4).type, grid::CellValueType::Number);
    EXPECT_EQ(at(2, 4).number, 12);
    EXPECT_FALSE(book.styles.at(static_cast<std::size_t>(at(2, 4).style)).locked);
    EXPECT_EQ(at(3, 4).text, "cbo");
    EXPECT_EQ(at(2, 5).formula, "B4*2");
    // The closing empty cell beyond the used range.
    EXPECT_EQ(at(6, 6).type, grid::CellValueType::Empty);
}

TEST(CompactXml, KeepsNoBlankTextAndEscapes) {
    XmlElement root{"Root", {}, {}};
    root.add("Item").attr("value", "a<b & \"c\"\ttab");
    std::string text = serializeCompact(root);
    xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr, 0);
    ASSERT_NE(doc, nullptr);
    xmlNodePtr r = xmlDocGetRootElement(doc);
    ASSERT_NE(r->children, nullptr);
    EXPECT_EQ(r->children->type, XML_ELEMENT_NODE);
    EXPECT_EQ(r->children->next, nullptr);
    xmlChar* v = xmlGetProp(r->children, reinterpret_cast<const xmlChar*>("value"));
    EXPECT_STREQ(reinterpret_cast<const char*>(v), "a<b & \"c\"\ttab");
    xmlFree(v);
    xmlFreeDoc(doc);

    TempDir dir;
    std::string src = dir.file("m.xml", "<?xml version=\"1.0\"?>\n<!-- note -->\n<Root>\n  <A x=\"1\">\n    <B/>\n  </A>\n</Root>\n");
    XmlElement back = readXmlFile(src);
    ASSERT_EQ(back.children.size(), 1u);
    EXPECT_EQ(back.children[0].children.size(), 1u);
    EXPECT_FALSE(errorOf([&] { readXmlFile(dir.file("bad.xml", "<Root><A></Root>")); }).empty());
    EXPECT_FALSE(errorOf([&] { readXmlFile(dir.file("text.xml", "<Root>text</Root>")); }).empty());
}
