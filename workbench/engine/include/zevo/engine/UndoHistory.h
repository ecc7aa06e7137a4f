#pragma once
// Undo and redo of the user's actions on the input grid: typed values, picks,
// F5 (insert a row group), F6 (delete it) and Delete (clear a pick).
//
// Each action is recorded as the values of the row group it touched (the `Cells`
// element of the sheet document holding the cell) before it, and after it: the
// state after an action is taken when the next one starts or when undo is asked
// for, so whatever the rules did in reply (paired id cells, the copied second
// address, renumbering) belongs to it. Undoing replays the inverse through the
// grid's user entry points, as a user would: an edit is typed back, F5 is undone
// by F6 on the new group, F6 by F5 and typing the group's values back. The rules
// therefore refill id cells and dependent pick lists as they do for typing; what
// they do not bring back (a value no user could type) is written as it was.
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "zevo/Xml.h"
#include "zevo/engine/DeclarationSession.h"
#include "zevo/engine/GridEventHandler.h"
#include "zevo/grid/SpreadModel.h"

namespace zevo::engine {

class UndoHistory : public UserActionObserver {
public:
    // Actions kept; the oldest go first.
    static constexpr std::size_t kLimit = 1000;

    UndoHistory(DeclarationSession& session, grid::SpreadModel& grid);

    // UserActionObserver
    void beforeEdit(int sheet, int col, int row) override;
    void beforeKey(int keyCode, int sheet, int col, int row) override;

    bool canUndo();
    bool canRedo();
    // False when there is nothing to undo (redo) or the replay did not take
    // (F6 refused by the rules or answered No); the action then stays where it was.
    bool undo();
    bool redo();
    // Forgets every action (another declaration was opened).
    void clear();
    std::size_t undoCount();
    std::size_t redoCount() const { return redo_.size(); }
    bool replaying() const { return replaying_; }

    // While one lives nothing is recorded: an import types thousands of values
    // that no undo takes apart one by one.
    class Suspend {
    public:
        explicit Suspend(UndoHistory& history) : history_(history), was_(history.suspended_) {
            history_.suspended_ = true;
        }
        ~Suspend() { history_.suspended_ = was_; }
        Suspend(const Suspend&) = delete;
        Suspend& operator=(const Suspend&) = delete;

    private:
        UndoHistory& history_;
        bool was_;
    };

private:
    // The values of one row group, by column and row within the group.
    struct GroupValues {
        int first = 0;   // first grid row
        int rows = 0;
        struct Item {
            int col, offset;
            std::string value;
            bool operator==(const Item&) const = default;
        };
        std::vector<Item> items;
    };
    enum class Kind { Edit, Insert, Delete };
    struct Action {
        Kind kind = Kind::Edit;
        int sheet = 0, col = 0, row = 0;   // the cell acted on
        int section = -1;                  // index of the group's section in the document
        std::size_t groupsBefore = 0;      // row groups of that section before the action
        int groupIndex = 0;                // position of the group in its section
        GroupValues before, after;         // insert: after = the new group
        bool cleared = false;              // delete of a section's only group: emptied
    };

    xml::Node groupAt(int sheet, int col, int row);
    GroupValues valuesOf(const xml::Node& group);
    std::size_t groupCount(int sheet, int section);
    xml::Node groupByIndex(int sheet, int section, int index);
    void begin(Kind kind, int sheet, int col, int row);
    void closePending();
    void push(Action action);

    bool replayUndo(const Action& a);
    bool replayRedo(const Action& a);
    void showSheet(int sheet);
    // Brings the group at `first` to `target`: the cell (col, row) first, then
    // every cell a user can type into, in reading order, then (writeTheRest) what
    // still differs directly.
    void apply(int sheet, const GroupValues& target, int first, int col = 0, int row = 0,
               bool writeTheRest = true);
    std::string storedValue(int sheet, int col, int row);
    void enter(int sheet, int col, int row, const std::string& value);
    void writeDirectly(int sheet, int col, int row, const std::string& value);
    // Runs a key on (col, row) as the user would press it there.
    void pressKey(int keyCode, int col, int row);

    DeclarationSession& session_;
    grid::SpreadModel& grid_;
    std::optional<Action> pending_;
    std::deque<Action> undo_;
    std::vector<Action> redo_;
    bool replaying_ = false;
    bool suspended_ = false;
};

}  // namespace zevo::engine
