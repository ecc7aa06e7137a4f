// A registration declaration filled and checked the way a user works: the installed
// templates of "100_7", the real rules library, the grid's user entry points.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/DataFiles.h"
#include "zevo/documents/MenuFile.h"
#include "zevo/documents/Period.h"
#include "zevo/engine/GridEventHandler.h"
#include "zevo/engine/OpenDeclaration.h"
#include "zevo/sheetdocs/MarkingColours.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/rules/BusinessLibrary.h"

namespace zevo::engine::test {
namespace {

using documents::GetAttributeValue;

const fs::path kDist = ZEVO_DIST_DIR;

// The first item of a tab-separated pick list.
std::string item(const std::string& list, std::size_t index = 0) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i) {
        start = list.find('\t', start);
        if (start == std::string::npos) return {};
        ++start;
    }
    return list.substr(start, list.find('\t', start) - start);
}

// The main window's start-up, from the menu entry to the loaded declaration.
class Declaration {
public:
    Declaration() : handler(session, grid) {}
    ~Declaration() {
        if (rule) rule->fps(nullptr);
    }

    void open(const fs::path& dataFolder) {
        clsVariables vars;
        xml::LoadResult result = menu.load((kDist / "Bin" / "Menu.xml").string());
        ASSERT_TRUE(result.ok()) << result.reason;
        vars.DataFolder(dataFolder.string() + "/");
        vars.NodeMenu(menu.entry("100_7"));
        ASSERT_FALSE(vars.NodeMenu().isNull());
        vars.Year("");
        vars.Month("");
        vars.ThreeMonths("");
        vars.FirstDay("");
        vars.LastDay("");
        vars.NodeValidity(documents::GetValidityNode());
        ASSERT_FALSE(vars.NodeValidity().isNull());
        for (const xml::Node& entry : vars.NodeValidity().childElements("Sheet"))
            documents::SetAttributeValue(entry, "Active", "1");

        library = std::make_unique<rules::BusinessLibrary>(ZEVO_BUSINESS_DIR);
        OpenDeclaration(session, grid, handler, rule,
                        [&](const std::string& name) { return library->createRule(name); });
        ASSERT_GE(grid.sheetCount(), 3);
        ASSERT_NE(rule, nullptr);
        session.startUp = false;
    }

    std::string text(int sheet, const char* column, int row) const {
        return grid.textOf(sheet, col(column), row);
    }
    std::string comboList(const char* column, int row) {
        grid.setPosition(1, col(column), row);
        return grid.comboList();
    }
    std::string stored(int sheetIndex, const std::string& id) const {
        return GetAttributeValue(clsVariables().Data(sheetIndex)->elementById(id), "Value");
    }
    // Picks the list item of a pick-list cell the way the user does.
    std::string pick(const char* column, int row, std::size_t index = 0) {
        const std::string chosen = item(comboList(column, row), index);
        EXPECT_FALSE(chosen.empty()) << column << row << " has no list";
        grid.userEdit(col(column), row, chosen);
        return chosen;
    }

    DeclarationSession session;
    grid::SpreadModel grid;
    GridEventHandler handler;
    documents::MenuFile menu;
    std::unique_ptr<rules::BusinessLibrary> library;
    std::unique_ptr<rules::RuleObject> rule;
};

class EndToEndTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (!fs::exists(kDist / "Bin" / "Menu.xml") ||
            !fs::exists(kDist / "Templates" / "100_7" / "TK_DKT.xlsx"))
            GTEST_SKIP() << "the installation tree is not staged in " << kDist
                         << " (run cmake --install <build> first)";
        setProgramFolderOverride((kDist / "Bin").string());
        xml::LoadResult result;
        messageDoc_ = xml::Document::fromFile((kDist / "Bin" / "Message.xml").string(), &result);
        ASSERT_TRUE(result.ok()) << result.reason;
        clsVariables().NodeMessage(
            messageDoc_->elementsByTagName("Message").front().childElements());
        dataFolder_ = dir_ / "DataFiles";
        fs::create_directories(dataFolder_);
    }

    // One individual on a list row, with both identity numbers and the first address.
    void fillIndividual(Declaration& d, int row, const std::string& name,
                        const std::string& identity) {
        d.grid.userEdit(col("K"), row, name);
        d.grid.userEdit(col("N"), row, "1/2/09");   // short form, completed by the rules
        d.pick("Q", row);
        d.pick("S", row);   // the first nationality is Viet Nam ("00")
        d.grid.userEdit(col("T"), row, identity);
        d.grid.userEdit(col("W"), row, "P" + std::to_string(row));
        d.grid.userEdit(col("Z"), row, "12 Phố Huế");
        d.pick("AB", row);
        d.pick("AD", row);
        d.pick("AF", row);
        d.pick("AH", row);
    }

    xml::DocumentPtr messageDoc_;
    fs::path dataFolder_;
};

TEST_F(EndToEndTest, DeclarationIsFilledCheckedSavedAndLoadedAgain) {
    auto first = std::make_unique<Declaration>();
    Declaration& d = *first;
    d.open(dataFolder_);
    if (HasFatalFailure()) return;
    const std::string sheet1 = d.grid.sheetNameOf(1);

    // New declaration: today's date from the rules went into the document.
    EXPECT_EQ(d.stored(0, "L_19"), d.text(1, "L", 19));
    EXPECT_EQ(d.stored(0, "L_17"), "1");
    EXPECT_FALSE(d.grid.sheetVisibleOf(d.grid.sheetCount()));

    // Header: a tax code typed with dots is rewritten when the cell is left.
    d.grid.userShowSheet(1);
    d.grid.userEdit(col("K"), 9, "1234.567.893");
    EXPECT_EQ(d.stored(0, "K_9"), "1234.567.893");
    d.grid.userMoveTo(col("K"), 7);
    EXPECT_EQ(d.text(1, "K", 9), "1234567893");
    EXPECT_EQ(d.stored(0, "K_9"), "1234567893");
    d.grid.userEdit(col("K"), 7, "Công ty TNHH Ánh Dương");
    EXPECT_EQ(d.stored(0, "K_7"), "Công ty TNHH Ánh Dương");

    const std::string department = d.pick("L", 13);
    EXPECT_EQ(d.stored(0, "L_13"), department);
    EXPECT_FALSE(d.stored(0, "O_13").empty());
    const std::string office = d.pick("L", 15, 1);
    EXPECT_EQ(d.stored(0, "L_15"), office);
    const std::string officeId = d.stored(0, "O_15");
    EXPECT_FALSE(officeId.empty());

    // Three individuals, the list grown with F5 from the row above.
    fillIndividual(d, 38, "Nguyễn Văn An", "012345678");
    EXPECT_EQ(d.text(1, "AK", 38), d.text(1, "AB", 38)) << "second address follows the first";
    EXPECT_EQ(d.stored(0, "AJ_38"), d.stored(0, "AA_38"));
    EXPECT_FALSE(d.stored(0, "AA_38").empty());
    EXPECT_FALSE(d.stored(0, "AE_38").empty());
    EXPECT_EQ(d.stored(0, "AI_38"), "12 Phố Huế");
    EXPECT_EQ(d.text(1, "N", 38), "01/02/2009");
    EXPECT_EQ(d.stored(0, "N_38"), "01/02/2009");
    EXPECT_EQ(d.stored(0, "R_38"), "00");

    d.grid.userMoveTo(col("K"), 38);
    d.grid.userKeyUp(grid::keys::kF5, 0);
    EXPECT_EQ(d.text(1, "D", 39), "2");
    EXPECT_EQ(d.text(1, "D", 40), "aa");
    EXPECT_EQ(d.grid.activeRow(), 39);
    ASSERT_FALSE(clsVariables().Data(0)->elementById("K_39").isNull());
    EXPECT_EQ(GetAttributeValue(clsVariables().Data(0)->elementById("D_39"), "FirstCell"), "1");
    fillIndividual(d, 39, "Trần Thị Bình", "087654321");

    d.grid.userMoveTo(col("K"), 39);
    d.grid.userKeyUp(grid::keys::kF5, 0);
    fillIndividual(d, 40, "Lê Văn Cường", "012345678");   // the first one's number again
    // The second address of row 40 is picked by hand from another province.
    d.pick("AK", 40, 1);
    EXPECT_NE(d.stored(0, "AJ_40"), d.stored(0, "AA_40"));
    EXPECT_EQ(d.text(1, "D", 41), "aa");
    EXPECT_TRUE(clsVariables().AdjustData(0));

    // A fourth row started by mistake and removed with F6 after the rules' question.
    d.grid.userMoveTo(col("K"), 40);
    d.grid.userKeyUp(grid::keys::kF5, 0);
    d.grid.userEdit(col("K"), 41, "Nhầm");
    EXPECT_EQ(d.stored(0, "K_41"), "Nhầm");
    presenter_->push(mrYes);
    d.grid.userMoveTo(col("K"), 41);
    d.grid.userKeyUp(grid::keys::kF6, 0);
    EXPECT_EQ(presenter_->shownIds(), std::vector<std::string>{"0106"});
    EXPECT_EQ(d.text(1, "D", 41), "aa");
    EXPECT_TRUE(clsVariables().Data(0)->elementById("K_41").isNull());
    EXPECT_EQ(d.stored(0, "K_40"), "Lê Văn Cường");
    presenter_->clear();

    // The completion check marks the duplicate identity numbers only.
    d.rule->finish();
    const int last = d.grid.sheetCount();
    const std::string duplicate = d.grid.textOf(last, col("E"), 13);
    for (int row : {38, 40}) {
        EXPECT_EQ(d.grid.noteOf(1, col("T"), row), duplicate) << row;
        d.grid.setPosition(1, col("T"), row);
        EXPECT_EQ(d.grid.backColor(), sheetdocs::kErrorColour) << row;
    }
    EXPECT_EQ(d.grid.noteOf(1, col("T"), 39), "");
    EXPECT_EQ(d.grid.noteOf(1, col("K"), 9), "");
    EXPECT_EQ(d.text(1, "Q", 19), "3");
    EXPECT_EQ(d.grid.textOf(last, col("B"), 15), "0");
    d.grid.setPosition(last, col("C"), 15);
    EXPECT_EQ(d.grid.formula(), "'" + sheet1 + "'!T38");

    // Saved, then opened in a fresh window: the same grid, the same documents.
    documents::saveActiveSheetDocuments(clsVariables().NodeMenu(), clsVariables().NodeValidity());
    ASSERT_TRUE(fs::exists(dataFolder_ / "TK_DKT.xml"));
    std::vector<std::vector<std::string>> texts(3);
    for (int s = 1; s <= 2; ++s)
        for (int r = 1; r <= d.grid.maxRowsOf(s); ++r)
            for (int c = 1; c <= d.grid.maxColsOf(s); ++c) texts[s].push_back(d.grid.textOf(s, c, r));
    const std::string savedSheet1 = clsVariables().Data(0)->toString();
    const int rows1 = d.grid.maxRowsOf(1);
    first.reset();
    clsVariables().Data(0, nullptr);

    Declaration again;
    again.open(dataFolder_);
    if (HasFatalFailure()) return;
    EXPECT_EQ(again.grid.maxRowsOf(1), rows1);
    EXPECT_EQ(again.session.colourRestore.size(), 0u) << "nothing was refused on loading";
    EXPECT_EQ(again.stored(0, "O_15"), officeId);
    EXPECT_EQ(clsVariables().Data(0)->toString(), savedSheet1);
    for (int s = 1; s <= 2; ++s) {
        std::size_t i = 0;
        for (int r = 1; r <= again.grid.maxRowsOf(s); ++r)
            for (int c = 1; c <= again.grid.maxColsOf(s); ++c, ++i)
                ASSERT_EQ(again.grid.textOf(s, c, r), texts[s].at(i))
                    << "sheet " << s << " " << grid::columnLetters(c) << r;
    }
    EXPECT_EQ(errorLog(), "");
    EXPECT_TRUE(presenter_->shown().empty());
}

}  // namespace
}  // namespace zevo::engine::test
