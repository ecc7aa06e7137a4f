// Filling the report grid: Unicode for Unicode fonts, TCVN bytes only for ".Vn"
// fonts, zero amounts blank, added list rows and page breaks, inactive sheets skipped.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "zevo/clsUnicodeConvert.h"
#include "zevo/engine/ReportData.h"
#include "zevo/grid/SpreadModel.h"

namespace zevo::engine::test {
namespace {

// Lower-case letters only: TCVN3 keeps capitals with diacritics in separate fonts.
const std::string kName = "Nguyễn thị hồng ánh";

class ReportDataTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        // The program's character tables where the program looks for them.
        fs::create_directories(dir_ / "Bin");
        fs::copy(ZEVO_CHARSET_TABLE_DIR, dir_ / "References", fs::copy_options::recursive);
        setProgramFolderOverride((dir_ / "Bin").string());

        validity_ = xml::Document::fromString(
            "<Validity><Sheet Caption=\"A\" Active=\"1\"/><Sheet Caption=\"B\" Active=\"0\"/></Validity>");
        clsVariables vars;
        vars.NodeValidity(validity_->documentElement());
        vars.xmlDataReDim(1);
        vars.Data(0, doc(
            "<Section Dynamic=\"0\"><Cells>"
            "<Cell CellID=\"A_1\" CellID2=\"B_2\" Value=\"" + kName + "\"/>"
            "<Cell CellID=\"A_2\" CellID2=\"B_3\" Value=\"" + kName + "\"/>"
            "<Cell CellID=\"A_3\" CellID2=\"B_4\" Value=\"0.00\"/>"
            "<Cell CellID=\"A_4\" CellID2=\"B_5\" Value=\"0\"/>"
            "<Cell CellID=\"A_5\" CellID2=\"B_6\" Value=\"1234\"/>"
            "<Cell CellID=\"A_6\" Value=\"not printed\"/>"
            "</Cells></Section>"
            "<Section Dynamic=\"1\">"
            "<Cells><Cell CellID=\"A_8\" CellID2=\"B_10\" Value=\"one\" FirstCell=\"0\" PageBreak=\"1\"/></Cells>"
            "<Cells><Cell CellID=\"A_9\" CellID2=\"B_11\" Value=\"two\" FirstCell=\"1\" PageBreak=\"1\"/></Cells>"
            "</Section>"));
        vars.Data(1, doc("<Section><Cells><Cell CellID=\"A_1\" CellID2=\"B_2\" Value=\"hidden\"/>"
                         "</Cells></Section>"));

        grid::WorkbookData book;
        grid::StyleData unicode, tcvn, number;
        tcvn.font.name = ".VnTime";
        number.numberFormat = "0";
        book.styles = {grid::StyleData{}, unicode, tcvn, number};
        for (const char* name : {"A", "B", "Header"}) {
            grid::SheetData sheet;
            sheet.name = name;
            sheet.maxCol = 3;
            sheet.maxRow = 12;
            auto add = [&](int r, int style, const std::string& text = {}) {
                grid::CellData c;
                c.col = 2;
                c.row = r;
                c.style = style;
                c.type = text.empty() ? grid::CellValueType::Empty : grid::CellValueType::String;
                c.text = text;
                sheet.cells.push_back(c);
            };
            add(2, 1);
            add(3, 2);
            add(4, 3);
            add(5, 1);
            add(6, 3);
            add(10, 1);
            add(11, 1, "total");
            book.sheets.push_back(sheet);
        }
        grid_.fromWorkbookData(book);
    }

    static xml::DocumentPtr doc(const std::string& sections) {
        return xml::Document::fromString(std::string(kDocumentHead) + "<Sections>" + sections +
                                             "</Sections>",
                                         nullptr, xml::Trust::Installed);
    }

    xml::DocumentPtr validity_;
    grid::SpreadModel grid_;
};

TEST_F(ReportDataTest, LegacyFontsAloneGetTcvnText) {
    SetupReportData(grid_);
    EXPECT_EQ(grid_.textOf(1, 2, 2), kName) << "Unicode fonts print the Unicode text";
    const std::string tcvn = grid_.textOf(1, 2, 3);
    EXPECT_NE(tcvn, kName);
    clsUnicodeConvert back(ZEVO_CHARSET_TABLE_DIR);
    EXPECT_EQ(back.Convert(tcvn, TCVN, UNICODE), kName);
    EXPECT_EQ(errorLog(), "");
}

TEST_F(ReportDataTest, ZeroAmountsPrintBlankButTextZeroShows) {
    SetupReportData(grid_);
    EXPECT_EQ(grid_.textOf(1, 2, 4), "");
    EXPECT_EQ(grid_.textOf(1, 2, 5), "0");
    grid_.setPosition(1, 2, 6);
    EXPECT_EQ(grid_.value(), "1234");
    EXPECT_EQ(grid_.textOf(2, 2, 2), "") << "inactive sheets are not filled";
}

TEST_F(ReportDataTest, AddedRowGroupsGetReportRowsAndPageBreaks) {
    SetupReportData(grid_);
    EXPECT_EQ(grid_.textOf(1, 2, 10), "one");
    EXPECT_EQ(grid_.textOf(1, 2, 11), "two");
    EXPECT_EQ(grid_.textOf(1, 2, 12), "total") << "rows below the list moved down";
    EXPECT_TRUE(grid_.pageBreakOf(1, 10)) << "a group followed by another breaks the page";
    EXPECT_FALSE(grid_.pageBreakOf(1, 11)) << "the last group of its section does not";
}

}  // namespace
}  // namespace zevo::engine::test
