// Cell addresses, spans and row group sizes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "zevo/ErrorLog.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/grid/SpreadModel.h"

using namespace zevo::grid;
using namespace zevo::sheetdocs;

namespace {

std::pair<int, int> parse(const Spread& g, const std::string& id, int col = -7, int row = -7) {
    zevo::sheetdocs::ParserCellID(g, id, col, row);
    return {col, row};
}

TEST(CellAddress, ParserCellIDReadsColumnLettersAndRow) {
    SpreadModel g;
    EXPECT_EQ(parse(g, "K_9"), std::make_pair(11, 9));
    EXPECT_EQ(parse(g, "AA_120"), std::make_pair(27, 120));
    EXPECT_EQ(parse(g, "Z_1"), std::make_pair(26, 1));
    EXPECT_EQ(parse(g, "AZ_3"), std::make_pair(52, 3));
    EXPECT_EQ(parse(g, "K9"), std::make_pair(0, 0));
    EXPECT_EQ(parse(g, ""), std::make_pair(0, 0));
    EXPECT_EQ(parse(g, "K_"), std::make_pair(11, 0));
    EXPECT_EQ(parse(g, "K_12abc"), std::make_pair(11, 12));   // leading number only
    EXPECT_EQ(parse(g, "K_x"), std::make_pair(11, 0));
    EXPECT_EQ(parse(g, "K_2.5"), std::make_pair(11, 2));      // half to even
    EXPECT_EQ(parse(g, "K_3.5"), std::make_pair(11, 4));
    EXPECT_EQ(parse(g, "1_5"), std::make_pair(0, 5));         // no letters, no column
    EXPECT_EQ(parse(g, "K_1_2"), std::make_pair(11, 1));      // the first "_" splits
    EXPECT_EQ(parse(g, "K_0038"), std::make_pair(11, 38));    // leading zeros
    EXPECT_EQ(parse(g, "K_ 38"), std::make_pair(11, 38));     // blanks are skipped
    EXPECT_EQ(parse(g, "K_999999999"), std::make_pair(11, 999999999));
    EXPECT_EQ(parse(g, "K_0000000001"), std::make_pair(11, 1));
}

TEST(CellAddress, ParserCellIDLogsAnOverflowAndKeepsTheRowItCameWith) {
    auto dir = std::filesystem::temp_directory_path() / "zevo_grid_address_log";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    zevo::setErrorLogFolderOverride(dir.string());
    SpreadModel g;
    EXPECT_EQ(parse(g, "B_99999999999", 5, 6), std::make_pair(2, 6));
    zevo::setErrorLogFolderOverride("");
    std::ifstream in(dir / "LogFile.txt");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("mdlFunctions ParserCellID"), std::string::npos);
    EXPECT_NE(text.str().find("6 : "), std::string::npos);
}

TEST(CellAddress, MakeCellIDIsTheInverseOfParserCellID) {
    SpreadModel g;
    EXPECT_EQ(MakeCellID(g, 11, 9), "K_9");
    EXPECT_EQ(MakeCellID(g, 27, 120), "AA_120");
    for (int col : {1, 2, 25, 26, 27, 52, 53, 702, 703, 16384})
        for (int row : {1, 9, 10, 65536}) {
            std::string id = MakeCellID(g, col, row);
            ASSERT_EQ(parse(g, id), std::make_pair(col, row)) << id;
        }
    EXPECT_EQ(MakeCellID(g, 703, 1), "AAA_1");
}

TEST(CellAddress, GetCellSpanMovesToTheAnchorOfTheBlock) {
    SpreadModel g;
    g.addCellSpan(3, 5, 3, 2);   // C5:E6
    int col = 5, row = 6, cols = 0, rows = 0;
    GetCellSpan(g, col, row, &cols, &rows);
    EXPECT_EQ(col, 3);
    EXPECT_EQ(row, 5);
    EXPECT_EQ(cols, 3);
    EXPECT_EQ(rows, 2);
    col = 7;
    row = 6;
    GetCellSpan(g, col, row);
    EXPECT_EQ(col, 7);
    EXPECT_EQ(row, 6);
}

zevo::xml::DocumentPtr group(const std::string& cells) {
    zevo::xml::LoadResult res;
    auto doc = zevo::xml::Document::fromString("<Cells>" + cells + "</Cells>", &res);
    EXPECT_TRUE(res.ok()) << res.reason;
    return doc;
}

TEST(CellAddress, GetRowGroupSizeMeasuresInputAndReportRows) {
    SpreadModel g;
    auto doc = group(R"(<Cell CellID="B_12" CellID2="C_40"/><Cell CellID="C_12" CellID2="D_41"/>)"
                     R"(<Cell CellID="D_13" CellID2="D_41"/>)");
    int report = 0, first = 0, last = 0;
    EXPECT_EQ(GetRowGroupSize(g, doc->documentElement(), report, first, last), 2);
    EXPECT_EQ(report, 2);
    EXPECT_EQ(first, 12);
    EXPECT_EQ(last, 13);

    auto single = group(R"(<Cell CellID="A_7" CellID2="A_20"/>)");
    EXPECT_EQ(GetRowGroupSize(g, single->documentElement(), report, first, last), 1);
    EXPECT_EQ(report, 1);

    report = 99;
    EXPECT_EQ(GetRowGroupSize(g, zevo::xml::Node(), report, first, last), 0);
    EXPECT_EQ(first, 100000);
    EXPECT_EQ(last, 0);
    EXPECT_EQ(report, 99);
}

}  // namespace
