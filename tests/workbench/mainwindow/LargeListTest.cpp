// A declaration loaded from its data files in one go equals the same declaration
// built row by row with F5 and typing: grid texts, notes and colours after the
// completion checks, the documents and their identifier look-up.
#include <gtest/gtest.h>

#include "MainWindowTestSupport.h"
#include "zevo/Xml.h"

namespace zevo::engine::test {
namespace {

using documents::GetAttributeValue;

// Every cell of a sheet as text, note and fill, one line each (a white fill is
// shown as none: F5 paints new cells white where a loaded sheet leaves them).
std::string sheetPicture(grid::SpreadModel& g, int sheet, int skipCol = 0) {
    std::string out;
    for (int r = 1; r <= g.maxRowsOf(sheet); ++r)
        for (int c = 1; c <= g.maxColsOf(sheet); ++c) {
            if (c == skipCol) continue;
            const grid::CellFormat f = g.formatOf(sheet, c, r);
            out += std::to_string(c) + "," + std::to_string(r) + ":" + g.textOf(sheet, c, r) + "|" +
                   g.noteOf(sheet, c, r) + "|" + (f.fill && *f.fill != grid::kWhite ? std::to_string(*f.fill) : "-") + "\n";
        }
    return out;
}

TEST_F(MainWindowTest, LoadedListEqualsTheListBuiltRowByRow) {
    open();
    if (HasFatalFailure()) return;
    constexpr int kRows = 24;
    grid().userShowSheet(1);
    for (int i = 0; i < kRows; ++i) {
        const int row = 38 + i;
        grid().userEdit(col("K"), row, "Nguyễn Văn " + std::to_string(i + 1));
        // Every fifth tax code repeats an earlier one: the duplicate check marks both.
        grid().userEdit(col("T"), row, std::to_string(100000000 + (i % 5 == 4 ? i - 1 : i)));
        if (i + 1 < kRows) {
            grid().userMoveTo(col("K"), row);
            grid().userKeyUp(grid::keys::kF5, 0);
        }
    }
    grid().userShowSheet(2);
    for (int i = 0; i < kRows; ++i) {
        grid().userEdit(col("E"), 5 + i, "Trần Thị " + std::to_string(i + 1));
        if (i + 1 < kRows) {
            grid().userMoveTo(col("E"), 5 + i);
            grid().userKeyUp(grid::keys::kF5, 0);
        }
    }
    ASSERT_TRUE(controller_->UpdateData(true)) << errorLog();
    controller_->ruleObject()->finish();
    controller_->ruleObject()->finish2();
    const int last = grid().sheetCount();
    // The second sheet's row numbers (B) are written by F5 only, not on opening.
    const int colB = col("B");
    const std::string built[] = {sheetPicture(grid(), 1), sheetPicture(grid(), 2, colB),
                                 sheetPicture(grid(), last)};
    const std::string builtDocs[] = {clsVariables().Data(0)->toString(), clsVariables().Data(1)->toString()};
    ASSERT_NE(built[0].find("Nguyễn Văn 24"), std::string::npos);
    ASSERT_NE(built[1].find("Trần Thị 24"), std::string::npos);
    ASSERT_NE(grid().noteOf(1, col("T"), 38 + 4), "") << "the repeated tax code is marked";
    controller_->cmdExit_Click();
    controller_.reset();

    controller_ = makeController();
    open();
    if (HasFatalFailure()) return;
    EXPECT_EQ(clsVariables().Data(0)->toString(), builtDocs[0]);
    EXPECT_EQ(clsVariables().Data(1)->toString(), builtDocs[1]);
    controller_->ruleObject()->finish();
    controller_->ruleObject()->finish2();
    EXPECT_EQ(sheetPicture(grid(), 1), built[0]);
    EXPECT_EQ(sheetPicture(grid(), 2, colB), built[1]);
    EXPECT_EQ(sheetPicture(grid(), last), built[2]) << "same status flags and first failing cells";

    // Every identifier of the loaded documents finds its own cell.
    for (int s = 0; s < 2; ++s) {
        const xml::DocumentPtr doc = clsVariables().Data(s);
        int checked = 0;
        for (const xml::Node& cell : doc->elementsByTagName("Cell")) {
            const std::string id = GetAttributeValue(cell, "CellID");
            if (id.empty()) continue;
            ASSERT_EQ(doc->elementById(id), cell) << id;
            ++checked;
        }
        EXPECT_GT(checked, kRows * 2);
    }
    EXPECT_EQ(errorLog(), "");
}

}  // namespace
}  // namespace zevo::engine::test
