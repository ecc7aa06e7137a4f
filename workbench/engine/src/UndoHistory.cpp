#include "zevo/engine/UndoHistory.h"

#include <algorithm>
#include <exception>

#include "zevo/ErrorLog.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/engine/CellUpdates.h"
#include "zevo/engine/DynamicRows.h"
#include "zevo/grid/GridStateGuard.h"
#include "zevo/sheetdocs/CellAddress.h"

namespace zevo::engine {

using documents::GetAttributeValue;
using documents::SetAttributeValue;

namespace {

constexpr const char* kModule = "mainForm";

// Replays raise events of their own; nothing of them is recorded.
class Replaying {
public:
    explicit Replaying(bool& flag) : flag_(flag) { flag_ = true; }
    ~Replaying() { flag_ = false; }
    Replaying(const Replaying&) = delete;
    Replaying& operator=(const Replaying&) = delete;

private:
    bool& flag_;
};

// Undoing F5 and redoing F6 delete a row the user has asked to delete: the
// questions before deleting a row with data ("0106" of the rules, "0075" of a
// group of several lines) are answered Yes; every other message is shown.
class DeletionConfirmed : public MessagePresenter {
public:
    DeletionConfirmed() : previous_(clsMessageBox::presenter()) {}
    int present(const MessageRequest& request) override {
        if (request.id == "0106" || request.id == kMsgDeleteRowGroup) return mrYes;
        return previous_ ? previous_->present(request) : 0;
    }
    const std::shared_ptr<MessagePresenter>& previous() const { return previous_; }

private:
    std::shared_ptr<MessagePresenter> previous_;
};

class ConfirmDeletions {
public:
    ConfirmDeletions() : presenter_(std::make_shared<DeletionConfirmed>()) {
        clsMessageBox::setPresenter(presenter_);
    }
    ~ConfirmDeletions() { clsMessageBox::setPresenter(presenter_->previous()); }
    ConfirmDeletions(const ConfirmDeletions&) = delete;
    ConfirmDeletions& operator=(const ConfirmDeletions&) = delete;

private:
    std::shared_ptr<DeletionConfirmed> presenter_;
};

}  // namespace

UndoHistory::UndoHistory(DeclarationSession& session, grid::SpreadModel& grid)
    : session_(session), grid_(grid) {}

// ---------------------------------------------------------------- recording

xml::Node UndoHistory::groupAt(int sheet, int col, int row) {
    const xml::DocumentPtr doc = clsVariables().Data(sheet - 1);
    if (!doc || sheet < 1 || sheet > grid_.sheetCount()) return {};
    grid::GridStateGuard keep(grid_, grid::GridStateGuard::Events::AsTheyAre);
    grid_.setSheet(sheet);
    sheetdocs::GetCellSpan(grid_, col, row);
    const xml::Node cell = doc->elementById(sheetdocs::MakeCellID(grid_, col, row));
    if (cell.isNull() || !cell.hasAttribute("Value")) return {};
    const xml::Node group = cell.parent();
    return !group.isNull() && group.name() == "Cells" ? group : xml::Node();
}

UndoHistory::GroupValues UndoHistory::valuesOf(const xml::Node& group) {
    GroupValues v;
    if (group.isNull()) return v;
    int reportRows = 0, last = 0;
    v.rows = sheetdocs::GetRowGroupSize(grid_, group, reportRows, v.first, last);
    for (const xml::Node& cell : group.childElements("Cell")) {
        if (!cell.hasAttribute("Value")) continue;
        int c = 0, r = 0;
        sheetdocs::ParserCellID(grid_, GetAttributeValue(cell, "CellID"), c, r);
        if (c < 1 || r < 1) continue;
        v.items.push_back({c, r - v.first, GetAttributeValue(cell, "Value")});
    }
    return v;
}

namespace {

// Sections are the document element's children; counting siblings does not walk
// the cells of a long list.
int sectionIndex(const xml::Node& section) {
    if (section.isNull()) return -1;
    int i = 0;
    for (xml::Node s = section.previousSiblingElement("Section"); !s.isNull();
         s = s.previousSiblingElement("Section"))
        ++i;
    return i;
}

xml::Node sectionAt(int sheet, int index) {
    const xml::DocumentPtr doc = clsVariables().Data(sheet - 1);
    if (!doc || index < 0) return {};
    const xml::Node root = doc->documentElement();
    xml::Node s = root.isNull() ? xml::Node() : root.firstChildElement("Section");
    for (int i = 0; i < index && !s.isNull(); ++i) s = s.nextSiblingElement("Section");
    return s;
}

}  // namespace

std::size_t UndoHistory::groupCount(int sheet, int section) {
    std::size_t n = 0;
    for (xml::Node g = sectionAt(sheet, section).firstChildElement("Cells"); !g.isNull();
         g = g.nextSiblingElement("Cells"))
        ++n;
    return n;
}

xml::Node UndoHistory::groupByIndex(int sheet, int section, int index) {
    int i = 0;
    for (xml::Node g = sectionAt(sheet, section).firstChildElement("Cells"); !g.isNull();
         g = g.nextSiblingElement("Cells"), ++i)
        if (i == index) return g;
    return {};
}

void UndoHistory::begin(Kind kind, int sheet, int col, int row) {
    closePending();
    const xml::Node group = groupAt(sheet, col, row);
    if (group.isNull()) return;
    Action a;
    a.kind = kind;
    a.sheet = sheet;
    a.col = col;
    a.row = row;
    a.before = valuesOf(group);
    const xml::Node section = group.parent();
    a.section = sectionIndex(section);
    if (kind != Kind::Edit) {
        for (xml::Node g = section.firstChildElement("Cells"); !g.isNull(); g = g.nextSiblingElement("Cells")) {
            if (g == group) a.groupIndex = static_cast<int>(a.groupsBefore);
            ++a.groupsBefore;
        }
    }
    pending_ = std::move(a);
}

void UndoHistory::beforeEdit(int sheet, int col, int row) {
    if (replaying_ || suspended_) return;
    try {
        // A user's edit is on the active cell of the shown sheet. Writes of the rules
        // in reply (an id cell, the copied second address) may raise Change as well
        // while the load-time events are on: they belong to the edit that caused them.
        if (grid_.activeSheet() != sheet) return;
        {
            grid::GridStateGuard keep(grid_, grid::GridStateGuard::Events::AsTheyAre);
            grid_.setSheet(sheet);
            int activeCol = grid_.activeCol(), activeRow = grid_.activeRow();
            sheetdocs::GetCellSpan(grid_, activeCol, activeRow);
            int c = col, r = row;
            sheetdocs::GetCellSpan(grid_, c, r);
            if (c != activeCol || r != activeRow) return;
        }
        begin(Kind::Edit, sheet, col, row);
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "UndoHistory.beforeEdit", e);
    }
}

void UndoHistory::beforeKey(int keyCode, int sheet, int col, int row) {
    if (replaying_ || suspended_) return;
    try {
        if (keyCode == grid::keys::kF5) begin(Kind::Insert, sheet, col, row);
        else if (keyCode == grid::keys::kF6) begin(Kind::Delete, sheet, col, row);
        else if (keyCode == grid::keys::kDelete) begin(Kind::Edit, sheet, col, row);
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "UndoHistory.beforeKey", e);
    }
}

// The state after the pending action, now that it is over; an action that changed
// nothing is forgotten.
void UndoHistory::closePending() {
    if (!pending_) return;
    Action a = std::move(*pending_);
    pending_.reset();
    switch (a.kind) {
        case Kind::Edit:
            a.after = valuesOf(groupAt(a.sheet, a.col, a.row));
            if (a.after.items == a.before.items) return;
            break;
        case Kind::Insert:
            if (groupCount(a.sheet, a.section) != a.groupsBefore + 1) return;
            a.after = valuesOf(groupByIndex(a.sheet, a.section, a.groupIndex + 1));
            break;
        case Kind::Delete:
            if (groupCount(a.sheet, a.section) == a.groupsBefore) {
                // The only group of its section is emptied, not removed.
                if (a.groupsBefore != 1) return;
                a.after = valuesOf(groupByIndex(a.sheet, a.section, 0));
                if (a.after.items == a.before.items) return;
                a.cleared = true;
            }
            break;
    }
    push(std::move(a));
}

void UndoHistory::push(Action action) {
    redo_.clear();
    undo_.push_back(std::move(action));
    while (undo_.size() > kLimit) undo_.pop_front();
}

bool UndoHistory::canUndo() {
    closePending();
    return !undo_.empty();
}

bool UndoHistory::canRedo() {
    closePending();
    return !redo_.empty();
}

std::size_t UndoHistory::undoCount() {
    closePending();
    return undo_.size();
}

void UndoHistory::clear() {
    pending_.reset();
    undo_.clear();
    redo_.clear();
}

bool UndoHistory::undo() {
    closePending();
    if (undo_.empty()) return false;
    bool done = false;
    try {
        Replaying replay(replaying_);
        done = replayUndo(undo_.back());
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Undo", e);
    }
    if (!done) return false;
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
    return true;
}

bool UndoHistory::redo() {
    closePending();
    if (redo_.empty()) return false;
    bool done = false;
    try {
        Replaying replay(replaying_);
        done = replayRedo(redo_.back());
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Redo", e);
    }
    if (!done) return false;
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
    return true;
}

// ---------------------------------------------------------------- replaying

bool UndoHistory::replayUndo(const Action& a) {
    showSheet(a.sheet);
    switch (a.kind) {
        case Kind::Edit:
            apply(a.sheet, a.before, a.before.first, a.col, a.row);
            break;
        case Kind::Insert: {
            // F6 on the group F5 made, on the line of the cell F5 was pressed in.
            pressKey(grid::keys::kF6, a.col, a.after.first + (a.row - a.before.first));
            if (groupCount(a.sheet, a.section) != a.groupsBefore) return false;
            break;
        }
        case Kind::Delete: {
            if (a.cleared) {
                apply(a.sheet, a.before, a.before.first, a.col, a.row);
                break;
            }
            // F5 inserts below a group: below the one that stood above, or, for the
            // first group, below the first and the two swap their values.
            const int above = std::max(a.groupIndex - 1, 0);
            const xml::Node anchor = groupByIndex(a.sheet, a.section, above);
            if (anchor.isNull()) return false;
            const GroupValues anchorValues = valuesOf(anchor);
            if (anchorValues.items.empty()) return false;
            pressKey(grid::keys::kF5, anchorValues.items.front().col,
                     anchorValues.first + anchorValues.items.front().offset);
            if (groupCount(a.sheet, a.section) != a.groupsBefore) return false;
            // The moved group's locked cells that typing does not fill are its row
            // number, which F5 has already set for the new place.
            if (a.groupIndex == 0)
                apply(a.sheet, anchorValues, a.before.first + a.before.rows, 0, 0, false);
            apply(a.sheet, a.before, a.before.first);
            break;
        }
    }
    grid_.userMoveTo(a.col, a.row);
    return true;
}

bool UndoHistory::replayRedo(const Action& a) {
    showSheet(a.sheet);
    switch (a.kind) {
        case Kind::Edit:
            apply(a.sheet, a.after, a.before.first, a.col, a.row);
            break;
        case Kind::Insert:
            pressKey(grid::keys::kF5, a.col, a.row);
            if (groupCount(a.sheet, a.section) != a.groupsBefore + 1) return false;
            apply(a.sheet, a.after, a.after.first);
            break;
        case Kind::Delete:
            pressKey(grid::keys::kF6, a.col, a.row);
            if (a.cleared) {
                apply(a.sheet, a.after, a.before.first);
            } else if (groupCount(a.sheet, a.section) != a.groupsBefore - 1) {
                return false;
            }
            break;
    }
    grid_.userMoveTo(a.col, a.row);
    return true;
}

void UndoHistory::showSheet(int sheet) {
    if (grid_.activeSheet() != sheet) grid_.userShowSheet(sheet);
}

void UndoHistory::pressKey(int keyCode, int col, int row) {
    grid_.userMoveTo(col, row);
    if (keyCode == grid::keys::kF6) {
        ConfirmDeletions confirmed;
        grid_.userKeyUp(keyCode, 0);
    } else {
        grid_.userKeyUp(keyCode, 0);
    }
}

std::string UndoHistory::storedValue(int sheet, int col, int row) {
    const xml::DocumentPtr doc = clsVariables().Data(sheet - 1);
    if (!doc) return {};
    return GetAttributeValue(doc->elementById(sheetdocs::MakeCellID(grid_, col, row)), "Value");
}

void UndoHistory::enter(int sheet, int col, int row, const std::string& value) {
    grid_.setSheet(sheet);
    grid_.setPosition(col, row);
    if (grid_.cellType() == grid::CellType::CheckBox)
        grid_.userClickButton(col, row, value == "x");
    else
        grid_.userEdit(col, row, value);
}

void UndoHistory::writeDirectly(int sheet, int col, int row, const std::string& value) {
    {
        grid::GridStateGuard quiet(grid_);
        grid_.setSheet(sheet);
        grid_.setPosition(col, row);
        const grid::CellType type = grid_.cellType();
        if (type == grid::CellType::CheckBox)
            grid_.setValue(value == "x" ? "1" : "0");
        else if (type == grid::CellType::Number || type == grid::CellType::Percent)
            grid_.setValue(value);
        else
            grid_.setText(value);
    }
    const xml::DocumentPtr doc = clsVariables().Data(sheet - 1);
    const xml::Node cell = doc ? doc->elementById(sheetdocs::MakeCellID(grid_, col, row)) : xml::Node();
    if (!cell.isNull()) SetAttributeValue(cell, "Value", value);
    clsVariables().AdjustData(sheet - 1, true);
}

void UndoHistory::apply(int sheet, const GroupValues& target, int first, int col, int row,
                        bool writeTheRest) {
    auto differs = [&](const GroupValues::Item& item) {
        return storedValue(sheet, item.col, first + item.offset) != item.value;
    };
    std::vector<GroupValues::Item> items = target.items;
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return a.offset != b.offset ? a.offset < b.offset : a.col < b.col;
    });
    // The cell acted on first: its rules set its paired cells and dependent lists.
    for (const auto& item : items)
        if (item.col == col && first + item.offset == row && differs(item))
            enter(sheet, item.col, first + item.offset, item.value);
    // Then what a user can type, left to right: a province before its district.
    for (const auto& item : items) {
        const int r = first + item.offset;
        if (!differs(item)) continue;
        grid_.setSheet(sheet);
        grid_.setPosition(item.col, r);
        if (!grid_.locked()) enter(sheet, item.col, r, item.value);
    }
    if (!writeTheRest) return;
    for (const auto& item : items)
        if (differs(item)) writeDirectly(sheet, item.col, first + item.offset, item.value);
}

}  // namespace zevo::engine
