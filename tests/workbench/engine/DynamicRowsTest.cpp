// Inserting and deleting row groups of a dynamic list: grid rows, document groups,
// identifiers below the change, the first-group marker and the row limit.
#include <gtest/gtest.h>

#include "SetupDataFixture.h"
#include "zevo/engine/DynamicRows.h"
#include "zevo/engine/SetupData.h"
#include "zevo/sheetdocs/RowShifting.h"

namespace zevo::engine::test {
namespace {

class DynamicRowsTest : public SetupDataTest {
protected:
    void SetUp() override {
        SetupDataTest::SetUp();
        writeFile(data_ / "D1.xml", dataFile({}));
        SetupData(session_, grid_);
        clsVariables().AdjustDataReDim(2);
        session_.currentSheet = 1;
        grid_.setSheet(1);
    }
    xml::Node cell(const std::string& id) const { return clsVariables().Data(0)->elementById(id); }
    std::size_t groups() const {
        return cell("B_11").parent().parent().childElements("Cells").size();
    }
};

TEST_F(DynamicRowsTest, InsertAddsAnEmptyGroupBelowAndMovesWhatFollows) {
    InsertNode(session_, grid_, 2, 11);
    EXPECT_EQ(groups(), 2u);
    ASSERT_FALSE(cell("B_12").isNull());
    EXPECT_EQ(documents::GetAttributeValue(cell("B_12"), "FirstCell"), "1");
    EXPECT_EQ(documents::GetAttributeValue(cell("B_12"), "Value"), "");
    EXPECT_EQ(documents::GetAttributeValue(cell("C_12"), "Value"), "0") << "number cells start at 0";
    EXPECT_EQ(documents::GetAttributeValue(cell("B_12"), "CellID2"), "B_21");
    EXPECT_EQ(stored(0, "B_11"), "first") << "the source group keeps its values";
    EXPECT_EQ(grid_.textOf(1, 2, 12), "");
    EXPECT_EQ(grid_.textOf(1, 1, 13), "aa");
    EXPECT_TRUE(clsVariables().AdjustData(0));
}

TEST_F(DynamicRowsTest, InsertStopsAtMaxRowsAndOutsideDynamicSections) {
    InsertNode(session_, grid_, 2, 2);   // static section
    EXPECT_EQ(grid_.textOf(1, 1, 12), "aa");
    EXPECT_FALSE(clsVariables().AdjustData(0));
    InsertNode(session_, grid_, 2, 11);
    InsertNode(session_, grid_, 2, 12);
    EXPECT_EQ(groups(), 3u);
    InsertNode(session_, grid_, 2, 13);   // MaxRows = 3
    EXPECT_EQ(groups(), 3u);
    EXPECT_EQ(grid_.textOf(1, 1, 14), "aa");
    InsertNode(session_, grid_, 1, 10);   // a label: logged, nothing changes
    EXPECT_NE(errorLog().find("InsertNode"), std::string::npos);
}

TEST_F(DynamicRowsTest, DeletingTheFirstGroupPassesItsMarkerOn) {
    InsertNode(session_, grid_, 2, 11);
    documents::SetAttributeValue(cell("B_12"), "Value", "second");
    DeleteNode(session_, grid_, 1, 2, 11, true);
    EXPECT_EQ(groups(), 1u);
    ASSERT_FALSE(cell("B_11").isNull());
    EXPECT_EQ(stored(0, "B_11"), "second");
    EXPECT_EQ(documents::GetAttributeValue(cell("B_11"), "FirstCell"), "0");
    EXPECT_EQ(documents::GetAttributeValue(cell("B_11"), "CellID2"), "B_20");
    EXPECT_TRUE(cell("B_12").isNull());
    EXPECT_EQ(grid_.textOf(1, 1, 12), "aa");
    EXPECT_TRUE(presenter_->shown().empty()) << "one-line groups go without a question";
}

TEST_F(DynamicRowsTest, DeletingTheOnlyGroupEmptiesIt) {
    grid_.setPosition(1, 2, 11);
    grid_.setNote("old mark");
    grid_.setBackColor(sheetdocs::kErrorColour);
    DeleteNode(session_, grid_, 1, 2, 11, true);
    EXPECT_EQ(groups(), 1u);
    EXPECT_EQ(stored(0, "B_11"), "");
    EXPECT_EQ(stored(0, "C_11"), "0");
    EXPECT_EQ(grid_.textOf(1, 2, 11), "");
    EXPECT_EQ(grid_.textOf(1, 3, 11), "0");
    EXPECT_EQ(grid_.noteOf(1, 2, 11), "");
    EXPECT_EQ(colourAt(1, 2, 11), grid::kWhite);
    EXPECT_TRUE(IsRowGroupEmpty(grid_, cell("B_11").parent()));
}

}  // namespace
}  // namespace zevo::engine::test
