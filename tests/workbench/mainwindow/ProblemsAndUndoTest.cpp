// The problem list beside the grid and undo/redo of the user's actions, through the
// controller with the real rules library: entries follow the checks, edits, F5 and
// F6; undo replays through the grid's entry points so the paired id cells follow.
#include <gtest/gtest.h>

#include <map>

#include "MainWindowTestSupport.h"
#include "zevo/sheetdocs/MarkingColours.h"

namespace zevo::engine::test {
namespace {

using documents::GetAttributeValue;
using Ids = std::vector<std::string>;

class ProblemsAndUndoTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        open();
    }

    ProblemList& problems() { return controller_->problems(); }
    const Problem* problemAt(const std::string& cell, int sheet = 1) {
        for (const Problem& p : problems().problems())
            if (p.sheet == sheet && p.cell == cell) return &p;
        return nullptr;
    }
    // Every stored value of a list row, by column letters.
    std::map<std::string, std::string> rowValues(int row) {
        std::map<std::string, std::string> out;
        const std::string suffix = "_" + std::to_string(row);
        for (const xml::Node& cell : clsVariables().Data(0)->elementsByTagName("Cell")) {
            const std::string id = GetAttributeValue(cell, "CellID");
            if (id.size() > suffix.size() && id.compare(id.size() - suffix.size(), suffix.size(), suffix) == 0)
                out[id.substr(0, id.size() - suffix.size())] = GetAttributeValue(cell, "Value");
        }
        return out;
    }
    // The grid shows what the document stores, for every cell of a row but the
    // numbering, which the view writes itself.
    void expectGridShowsRow(int row) {
        for (const auto& [letters, value] : rowValues(row)) {
            grid().setPosition(1, col(letters.c_str()), row);
            const std::string shown = grid().cellType() == grid::CellType::Number ? grid().value() : grid().text();
            EXPECT_EQ(shown, value) << letters << row;
        }
    }
    std::size_t listGroups() {
        for (const xml::Node& section : clsVariables().Data(0)->elementsByTagName("Section"))
            if (GetAttributeValue(section, "Dynamic") == "1") return section.childElements("Cells").size();
        return 0;
    }
    // "FirstCell" of the first cell of each list row.
    std::vector<std::string> markers() {
        std::vector<std::string> out;
        for (const xml::Node& section : clsVariables().Data(0)->elementsByTagName("Section"))
            if (GetAttributeValue(section, "Dynamic") == "1")
                for (const xml::Node& group : section.childElements("Cells"))
                    out.push_back(GetAttributeValue(group.firstChildElement("Cell"), "FirstCell"));
        return out;
    }
    void key(int keyCode, const char* column, int row) {
        grid().userMoveTo(col(column), row);
        grid().userKeyUp(keyCode, 0);
    }
    void saveAnswering(int answer) {
        presenter_->push(answer);
        controller_->cmdSave_Click();
    }
};

TEST_F(ProblemsAndUndoTest, PanelListsTheFailedChecksGoesToThemAndEmptiesAsTheyAreFixed) {
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    // A second individual without sex, nationality and address.
    key(grid::keys::kF5, "K", 38);
    grid().userEdit(col("K"), 39, "Trần Thị Bình");
    EXPECT_TRUE(problems().problems().empty()) << "nothing is listed before a check";

    saveAnswering(mrNo);
    const Problem* sex = problemAt("Q39");
    ASSERT_NE(sex, nullptr);
    EXPECT_EQ(sex->severity, Problem::Severity::Error);
    EXPECT_FALSE(sex->fromLoad);
    EXPECT_EQ(sex->sheetName, grid().sheetNameOf(1));
    EXPECT_EQ(sex->note, grid().noteOf(1, col("Q"), 39));
    EXPECT_NE(problemAt("AK39"), nullptr);
    EXPECT_EQ(problemAt("Q38"), nullptr) << "the complete individual has no entry";
    EXPECT_EQ(problems().errorCount(), problems().problems().size());
    // Every entry is a marked cell and every marked cell of the row has an entry.
    for (const Problem& p : problems().problems())
        EXPECT_TRUE(sheetdocs::isMarkedColour(*grid().formatOf(p.sheet, p.col, p.row).fill)) << p.cell;

    // An entry leads to its cell, shown and active, with its note on the status line.
    grid().userMoveTo(col("K"), 38);
    const Problem target = *sex;
    ASSERT_TRUE(controller_->goToProblem(target));
    EXPECT_EQ(grid().activeSheet(), 1);
    grid().setSheet(1);
    EXPECT_EQ(grid().activeCol(), col("Q"));
    EXPECT_EQ(grid().activeRow(), 39);
    EXPECT_NE(view_.status.find(target.note.substr(0, 10)), std::string::npos) << view_.status;

    // Fixing a marked row asks for the checks again; after them the entry is gone.
    const std::size_t before = problems().problems().size();
    pick("Q", 39);
    EXPECT_TRUE(problems().recheckWanted());
    controller_->recheckProblems();
    EXPECT_FALSE(problems().recheckWanted());
    EXPECT_EQ(problemAt("Q39"), nullptr);
    EXPECT_EQ(problems().problems().size(), before - 1);
    EXPECT_EQ(grid().activeRow(), 39) << "re-checking leaves the cursor where it was";
    grid().setSheet(1);
    EXPECT_EQ(grid().activeCol(), col("Q"));

    // The rest of the row, then the list is empty.
    pick("S", 39);
    grid().userEdit(col("T"), 39, "023456789");
    grid().userEdit(col("Z"), 39, "1 Lê Lợi");
    pick("AB", 39);
    pick("AD", 39);
    pick("AF", 39);
    pick("AH", 39);
    controller_->recheckProblems();
    EXPECT_TRUE(problems().problems().empty()) << problems().problems().front().cell << " "
                                               << problems().problems().front().note;
    EXPECT_EQ(errorLog(), "");
}

TEST_F(ProblemsAndUndoTest, EntriesFollowTheirRowsThroughF5AndF6AndRefusedEntriesGoWhenRetyped) {
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    key(grid::keys::kF5, "K", 38);
    grid().userEdit(col("K"), 39, "Trần Thị Bình");
    saveAnswering(mrNo);
    ASSERT_NE(problemAt("Q39"), nullptr);

    // A row inserted above moves the entry down with its cell.
    key(grid::keys::kF5, "K", 38);
    EXPECT_EQ(problemAt("Q39"), nullptr);
    const Problem* moved = problemAt("Q40");
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->row, 40);
    EXPECT_FALSE(grid().noteOf(1, col("Q"), 40).empty());
    ASSERT_TRUE(controller_->goToProblem(*moved));
    grid().setSheet(1);
    EXPECT_EQ(grid().activeRow(), 40);
    EXPECT_EQ(grid().textAt(col("K"), 40), "Trần Thị Bình");

    // Deleting the empty row above brings it back up.
    key(grid::keys::kF6, "K", 39);
    EXPECT_NE(problemAt("Q39"), nullptr);
    EXPECT_EQ(problemAt("Q40"), nullptr);
    // Deleting the row itself removes its entries.
    key(grid::keys::kF6, "K", 39);
    for (const Problem& p : problems().problems()) EXPECT_NE(p.row, 39) << p.cell;

    // A refused entry is listed at once and goes when the cell is typed again.
    controller_->recheckProblems();
    grid().userShowSheet(1);
    controller_->entryRejected(col("N"), 38, "31/02/1985");
    const Problem* refused = problemAt("N38");
    ASSERT_NE(refused, nullptr);
    EXPECT_TRUE(refused->fromLoad);
    EXPECT_NE(refused->note.find("31/02/1985"), std::string::npos);
    // (The rules showed the sex of the stored id; another one is a change.)
    pick("Q", 38, 1);
    EXPECT_EQ(problemAt("Q38"), nullptr);
    EXPECT_FALSE(problems().recheckWanted()) << "a refused entry needs no check to clear";
}

TEST_F(ProblemsAndUndoTest, UndoAndRedoOfEditsAndPicksKeepThePairedIdCells) {
    if (HasFatalFailure()) return;
    grid().userShowSheet(1);
    EXPECT_FALSE(controller_->undo()) << "nothing to undo in a fresh declaration";
    const auto blank = rowValues(38);
    grid().userEdit(col("K"), 38, "Nguyễn Văn An");
    const auto afterName = rowValues(38);
    pick("S", 38, 1);
    pick("AB", 38);
    const auto afterPicks = rowValues(38);
    ASSERT_NE(afterPicks.at("R"), afterName.at("R"));
    ASSERT_FALSE(afterPicks.at("AA").empty());
    ASSERT_EQ(afterPicks.at("AK"), afterPicks.at("AB")) << "the second address follows the first";
    ASSERT_EQ(afterPicks.at("AJ"), afterPicks.at("AA"));

    // The province pick goes with its id and with the copy into the second address.
    ASSERT_TRUE(controller_->undo());
    auto now = rowValues(38);
    for (const char* c : {"AB", "AA", "AK", "AJ"}) EXPECT_EQ(now.at(c), "") << c;
    EXPECT_EQ(now.at("R"), afterPicks.at("R")) << "the earlier pick stays";
    expectGridShowsRow(38);
    // The district list is the whole list again, not the province's.
    grid().setPosition(1, col("AD"), 38);
    const std::string allDistricts = grid().comboList();
    // The nationality goes back to what the name brought, with its id.
    ASSERT_TRUE(controller_->undo());
    EXPECT_EQ(rowValues(38), afterName);
    // The name goes, and with it what the rules filled in for it.
    ASSERT_TRUE(controller_->undo());
    EXPECT_EQ(rowValues(38), blank);
    expectGridShowsRow(38);
    EXPECT_FALSE(controller_->history().canUndo());

    // Redo brings back every value and id as the picks left them.
    ASSERT_TRUE(controller_->redo());
    ASSERT_TRUE(controller_->redo());
    ASSERT_TRUE(controller_->redo());
    EXPECT_EQ(rowValues(38), afterPicks);
    expectGridShowsRow(38);
    grid().setPosition(1, col("AD"), 38);
    EXPECT_NE(grid().comboList(), allDistricts) << "the districts of the picked province";
    EXPECT_FALSE(controller_->redo());

    // Delete on a pick clears it and its id; undo brings both back.
    pick("Q", 38);
    const std::string sexId = rowValues(38).at("P");
    ASSERT_FALSE(sexId.empty());
    key(grid::keys::kDelete, "Q", 38);
    ASSERT_EQ(rowValues(38).at("P"), "");
    ASSERT_TRUE(controller_->undo());
    EXPECT_EQ(rowValues(38).at("P"), sexId);
    EXPECT_FALSE(rowValues(38).at("Q").empty());

    // A new action after an undo ends what could be redone.
    ASSERT_TRUE(controller_->undo());
    EXPECT_TRUE(controller_->history().canRedo());
    grid().userEdit(col("K"), 38, "Nguyễn Văn Ba");
    EXPECT_FALSE(controller_->history().canRedo());
    EXPECT_EQ(errorLog(), "");
}

TEST_F(ProblemsAndUndoTest, UndoOfF6RestoresEveryValueAndIdOfTheRowAndUndoOfF5RemovesIt) {
    if (HasFatalFailure()) return;
    // Questions are answered No unless a test says otherwise: undo and redo must
    // not depend on the user confirming a deletion again.
    presenter_ = std::make_shared<ScriptedMessagePresenter>(std::deque<int>{}, mrNo);
    clsMessageBox::setPresenter(presenter_);
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    key(grid::keys::kF5, "K", 38);
    fillIndividual(39, "Trần Thị Bình", "023456789");
    key(grid::keys::kF5, "K", 39);
    fillIndividual(40, "Lê Văn Cường", "034567890");
    const auto row38 = rowValues(38), row39 = rowValues(39), row40 = rowValues(40);
    ASSERT_EQ(listGroups(), 3u);
    ASSERT_FALSE(row39.at("AE").empty()) << "the ward's id";

    // F6 in the middle, undone: the row is back with every value, id and number.
    presenter_->push(mrYes);   // "this row holds an individual: delete it?"
    key(grid::keys::kF6, "K", 39);
    ASSERT_EQ(listGroups(), 2u);
    ASSERT_EQ(rowValues(39).at("K"), "Lê Văn Cường");
    ASSERT_TRUE(controller_->undo());
    EXPECT_EQ(listGroups(), 3u);
    EXPECT_EQ(rowValues(38), row38);
    EXPECT_EQ(rowValues(39), row39);
    EXPECT_EQ(rowValues(40), row40);
    expectGridShowsRow(39);
    EXPECT_EQ(grid().textOf(1, col("D"), 40), "3");
    ASSERT_TRUE(controller_->redo());
    EXPECT_EQ(listGroups(), 2u);
    EXPECT_EQ(rowValues(39).at("K"), "Lê Văn Cường");
    ASSERT_TRUE(controller_->undo());

    const std::vector<std::string> markersBefore = markers();
    // F6 on the first row: it comes back first, the marker of the first group with it.
    presenter_->push(mrYes);
    key(grid::keys::kF6, "K", 38);
    ASSERT_EQ(rowValues(38).at("K"), "Trần Thị Bình");
    ASSERT_TRUE(controller_->undo());
    EXPECT_EQ(rowValues(38), row38);
    EXPECT_EQ(rowValues(39), row39);
    EXPECT_EQ(rowValues(40), row40);
    expectGridShowsRow(38);
    EXPECT_EQ(markers(), markersBefore);

    // F5 undone removes the new row; redone, it is there again, empty.
    key(grid::keys::kF5, "K", 39);
    ASSERT_EQ(listGroups(), 4u);
    ASSERT_EQ(rowValues(40).at("K"), "");
    ASSERT_TRUE(controller_->undo());
    EXPECT_EQ(listGroups(), 3u);
    EXPECT_EQ(rowValues(40), row40);
    ASSERT_TRUE(controller_->redo());
    EXPECT_EQ(listGroups(), 4u);
    EXPECT_EQ(rowValues(40).at("K"), "");
    EXPECT_EQ(rowValues(41).at("K"), "Lê Văn Cường");
    EXPECT_EQ(presenter_->shownIds(), Ids({"0106", "0106"})) << "only the user's own F6 asked";
    EXPECT_EQ(errorLog(), "");
}

TEST_F(ProblemsAndUndoTest, UndoGoesBackToTheSheetOfTheActionOnTheSecondSheetToo) {
    if (HasFatalFailure()) return;
    grid().userShowSheet(2);
    grid().userEdit(col("E"), 5, "Trần Thị Một");
    key(grid::keys::kF5, "E", 5);
    grid().userEdit(col("E"), 6, "Trần Thị Hai");
    key(grid::keys::kF6, "E", 5);
    ASSERT_EQ(stored(1, "E_5"), "Trần Thị Hai");

    ASSERT_TRUE(controller_->undo());
    EXPECT_EQ(stored(1, "E_5"), "Trần Thị Một");
    EXPECT_EQ(stored(1, "E_6"), "Trần Thị Hai");
    EXPECT_EQ(grid().textOf(2, col("E"), 5), "Trần Thị Một");
    EXPECT_EQ(grid().textOf(2, col("E"), 6), "Trần Thị Hai");
    // Undo from the first sheet shows the second, where the edit was made.
    grid().userShowSheet(1);
    ASSERT_TRUE(controller_->undo());
    EXPECT_EQ(grid().activeSheet(), 2);
    EXPECT_EQ(controller_->session().currentSheet, 2);
    EXPECT_EQ(stored(1, "E_6"), "");
    EXPECT_EQ(stored(0, "K_6"), "") << "nothing was typed into the first sheet";
    EXPECT_EQ(errorLog(), "");
}

TEST_F(ProblemsAndUndoTest, MarksOfALoadedFileAreListedOnOpeningAndGoWhenRetyped) {
    if (HasFatalFailure()) return;
    fillValidDeclaration();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(controller_->UpdateData(true)) << errorLog();
    controller_->cmdExit_Click();
    controller_.reset();
    // A sex that is not in the list, written into the saved file.
    {
        const xml::DocumentPtr saved = xml::Document::fromFile(dataFile("TK_DKT.xml").string());
        ASSERT_TRUE(saved);
        const xml::Node sex = saved->elementById("Q_38");
        ASSERT_FALSE(GetAttributeValue(sex, "Value").empty());
        documents::SetAttributeValue(sex, "Value", "Không rõ");
        saved->save(dataFile("TK_DKT.xml").string());
    }

    controller_ = makeController();
    open();
    if (HasFatalFailure()) return;
    const Problem* mark = problemAt("Q38");
    ASSERT_NE(mark, nullptr) << "listed as soon as the declaration is open ";
    EXPECT_TRUE(mark->fromLoad);
    EXPECT_EQ(mark->severity, Problem::Severity::Warning);
    EXPECT_FALSE(controller_->history().canUndo()) << "loading is no user action";
    grid().userShowSheet(1);
    // (The rules showed the sex of the stored id; another one is a change.)
    pick("Q", 38, 1);
    EXPECT_EQ(problemAt("Q38"), nullptr);
    EXPECT_FALSE(problems().recheckWanted());
}

TEST_F(ProblemsAndUndoTest, NewDeclarationAndReloadForgetTheHistory) {
    if (HasFatalFailure()) return;
    grid().userShowSheet(1);
    grid().userEdit(col("K"), 38, "Nguyễn Văn An");
    ASSERT_TRUE(controller_->history().canUndo());
    controller_->Reload();
    EXPECT_FALSE(controller_->history().canUndo());

    grid().userShowSheet(1);
    grid().userEdit(col("K"), 38, "Nguyễn Văn An");
    controller_->backupWriter = [](const std::string&) { return true; };
    presenter_->push(mrYes);
    controller_->cmdDelete_Click();
    ASSERT_EQ(controller_->exitReason(), "Delete");
    EXPECT_FALSE(controller_->history().canUndo());
    EXPECT_FALSE(controller_->undo());
    EXPECT_EQ(grid().textOf(1, col("K"), 38), "");
}

}  // namespace
}  // namespace zevo::engine::test
