// Events of user actions, listener order and removal during an event, the two
// event switches.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "zevo/ErrorLog.h"
#include "zevo/grid/GridStateGuard.h"
#include "zevo/grid/SpreadModel.h"

using namespace zevo::grid;

namespace {

struct Log : SpreadListener {
    std::string name;
    std::vector<std::string>* out;
    SpreadModel* grid = nullptr;
    Log(std::string n, std::vector<std::string>* o) : name(std::move(n)), out(o) {}
    void Change(int col, int row) override {
        std::string where;
        if (grid) where = " at " + std::to_string(grid->sheet()) + ":" + std::to_string(grid->col()) + "," +
                          std::to_string(grid->row()) + "=" + grid->text();
        out->push_back(name + " Change " + std::to_string(col) + "," + std::to_string(row) + where);
    }
    void LeaveCell(int col, int row, int nc, int nr, bool& cancel) override {
        out->push_back(name + " LeaveCell " + std::to_string(col) + "," + std::to_string(row) + "->" +
                       std::to_string(nc) + "," + std::to_string(nr));
    }
    void KeyUp(int key, int shift) override {
        out->push_back(name + " KeyUp " + std::to_string(key) + "," + std::to_string(shift));
    }
    void ButtonClicked(int col, int row, int down) override {
        out->push_back(name + " ButtonClicked " + std::to_string(col) + "," + std::to_string(row) + "," +
                       std::to_string(down));
    }
    void SheetChanged(int o, int n) override {
        out->push_back(name + " SheetChanged " + std::to_string(o) + "," + std::to_string(n));
    }
    void EditMode(int col, int row, int mode, bool changed) override {
        out->push_back(name + " EditMode " + std::to_string(mode) + "," + (changed ? "1" : "0"));
    }
};

class EventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid.reset(2);
        for (int s = 1; s <= 2; ++s) {
            grid.setSheet(s);
            grid.setMaxCols(5);
            grid.setMaxRows(5);
            for (int c = 1; c <= 5; ++c)
                for (int r = 1; r <= 5; ++r) {
                    grid.setPosition(c, r);
                    grid.setLocked(false);
                }
        }
        grid.setSheet(1);
    }
    SpreadModel grid;
    std::vector<std::string> events;
};

TEST_F(EventsTest, UserEditLeavesTheOldCellThenEditsAndRaisesChangeOnTheEditedCell) {
    Log a("a", &events);
    a.grid = &grid;
    grid.addListener(&a);
    grid.setSheet(2);   // the edit addresses the displayed sheet again
    grid.userEdit(2, 3, "abc");
    EXPECT_EQ(events, (std::vector<std::string>{"a LeaveCell 1,1->2,3", "a EditMode 1,0", "a EditMode 0,1",
                                                "a Change 2,3 at 1:2,3=abc"}));
    EXPECT_EQ(grid.activeCol(), 2);
    EXPECT_EQ(grid.activeRow(), 3);
    events.clear();
    grid.userEdit(2, 3, "abc");   // same text: no change
    EXPECT_EQ(events, (std::vector<std::string>{"a EditMode 1,0", "a EditMode 0,0"}));
}

TEST_F(EventsTest, LockedCellsTakeNoUserEdit) {
    Log a("a", &events);
    grid.addListener(&a);
    grid.setPosition(4, 4);
    grid.setLocked(true);
    grid.setText("label");
    grid.userEdit(4, 4, "typed");
    EXPECT_EQ(grid.textAt(4, 4), "label");
    EXPECT_EQ(events, (std::vector<std::string>{"a LeaveCell 1,1->4,4"}));
}

TEST_F(EventsTest, CancelledLeaveCellKeepsTheActiveCellAndDropsTheEdit) {
    struct Canceller : SpreadListener {
        void LeaveCell(int, int, int, int, bool& cancel) override { cancel = true; }
    } canceller;
    grid.addListener(&canceller);
    grid.userEdit(3, 3, "x");
    EXPECT_EQ(grid.activeCol(), 1);
    EXPECT_EQ(grid.activeRow(), 1);
    EXPECT_EQ(grid.textAt(3, 3), "");
}

TEST_F(EventsTest, ListenersRemovedDuringAnEventAreSkippedAndTheRestStillCalled) {
    Log b("b", &events), c("c", &events), d("d", &events);
    struct Remover : SpreadListener {
        SpreadModel* g;
        SpreadListener* other;
        std::vector<std::string>* out;
        void KeyUp(int, int) override {
            out->push_back("remover");
            g->removeListener(this);
            g->removeListener(other);
        }
    } remover;
    remover.g = &grid;
    remover.other = &c;
    remover.out = &events;
    grid.addListener(&b);
    grid.addListener(&remover);
    grid.addListener(&c);
    grid.addListener(&d);
    grid.userKeyUp(116, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"b KeyUp 116,0", "remover", "d KeyUp 116,0"}));
    events.clear();
    grid.userKeyUp(117, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"b KeyUp 117,0", "d KeyUp 117,0"}));
}

TEST_F(EventsTest, AFailingListenerIsLoggedAndDoesNotStopTheOthers) {
    auto dir = std::filesystem::temp_directory_path() / "zevo_grid_events_log";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    zevo::setErrorLogFolderOverride(dir.string());
    struct Thrower : SpreadListener {
        void KeyUp(int, int) override { throw zevo::RuntimeError(13, "Type mismatch"); }
    } thrower;
    Log after("after", &events);
    grid.addListener(&thrower);
    grid.addListener(&after);
    grid.userKeyUp(27, 0);
    zevo::setErrorLogFolderOverride("");
    EXPECT_EQ(events, (std::vector<std::string>{"after KeyUp 27,0"}));
    std::ifstream in(dir / "LogFile.txt");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("13 : Type mismatch"), std::string::npos);
}

TEST_F(EventsTest, EventsSwitchedOffSilenceUserActionsButNotTheirEffects) {
    Log a("a", &events);
    grid.addListener(&a);
    grid.setEventsEnabled(false);
    grid.userEdit(2, 2, "quiet");
    grid.userKeyUp(46, 0);
    grid.userShowSheet(2);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(grid.activeSheet(), 2);
    grid.setSheet(1);
    EXPECT_EQ(grid.textAt(2, 2), "quiet");
}

TEST_F(EventsTest, CheckBoxClicksToggleAndReportTheButtonState) {
    grid.setPosition(3, 2);
    grid.setCellType(CellType::CheckBox);
    grid.setActiveCell(3, 2);
    Log a("a", &events);
    grid.addListener(&a);
    grid.userClickButton(3, 2, true);
    EXPECT_EQ(grid.textAt(3, 2), "1");
    grid.userClickButton(3, 2, false);
    EXPECT_EQ(grid.textAt(3, 2), "0");
    EXPECT_EQ(events, (std::vector<std::string>{"a ButtonClicked 3,2,1", "a ButtonClicked 3,2,0"}));
    events.clear();
    grid.userShowSheet(2);
    grid.userShowSheet(2);   // already shown
    EXPECT_EQ(events, (std::vector<std::string>{"a SheetChanged 1,2"}));
    EXPECT_EQ(grid.sheet(), 2);
}

}  // namespace

// The guard puts the event switch back however the guarded work ends, and the
// addressed cell too unless the work means to move it.
TEST_F(EventsTest, GuardPutsEventsAndTheAddressedCellBack) {
    SpreadModel& g = grid;
    g.setSheet(1);
    g.setPosition(2, 3);
    try {
        GridStateGuard guard(g);
        EXPECT_FALSE(g.eventsEnabled());
        g.setSheet(2);
        g.setPosition(4, 5);
        throw std::runtime_error("work failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(g.eventsEnabled());
    EXPECT_EQ(g.sheet(), 1);
    EXPECT_EQ(g.col(), 2);
    EXPECT_EQ(g.row(), 3);

    g.setEventsEnabled(false);
    {
        GridStateGuard guard(g, GridStateGuard::Events::AsTheyAre, GridStateGuard::Cell::Moved);
        g.setEventsEnabled(true);
        g.setSheet(2);
        g.setPosition(4, 5);
    }
    EXPECT_FALSE(g.eventsEnabled());
    EXPECT_EQ(g.sheet(), 2);
    EXPECT_EQ(g.col(), 4);
}
