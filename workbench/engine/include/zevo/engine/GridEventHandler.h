#pragma once
// The main window's own handlers of the input grid's events, apart from the
// window: typed values go into the sheet documents, retyped cells lose their load
// mark, check boxes store "x", and the insert, delete and clear keys act on the
// dynamic sections when the rule object allows it. The window subscribes it to
// the grid before the rule object gets the grid, so it sees every event first.
#include "zevo/engine/DeclarationSession.h"
#include "zevo/grid/Spread.h"
#include "zevo/rules/RuleObject.h"

namespace zevo::engine {

// Told before a user's edit or key changes anything, so that the state before it
// can be recorded (undo). Not told while the start-up fills the grid.
class UserActionObserver {
public:
    virtual ~UserActionObserver() = default;
    // A typed value or a pick reached (col, row) of the sheet; the sheet document
    // still holds the values from before it.
    virtual void beforeEdit(int sheet, int col, int row) {}
    // F5, F6 or Delete on (col, row) of the sheet, before the handler acts.
    virtual void beforeKey(int keyCode, int sheet, int col, int row) {}
};

class GridEventHandler : public grid::SpreadListener {
public:
    // Subscribes to the grid; the rule object (may be null) is borrowed.
    GridEventHandler(DeclarationSession& session, grid::Spread& grid,
                     rules::RuleObject* rule = nullptr);
    ~GridEventHandler() override;
    GridEventHandler(const GridEventHandler&) = delete;
    GridEventHandler& operator=(const GridEventHandler&) = delete;

    void setRuleObject(rules::RuleObject* rule) { rule_ = rule; }
    rules::RuleObject* ruleObject() const { return rule_; }
    void setActionObserver(UserActionObserver* observer) { observer_ = observer; }

    void Change(int col, int row) override;
    void ButtonClicked(int col, int row, int buttonDown) override;
    void KeyUp(int keyCode, int shift) override;
    void SheetChanged(int oldSheet, int newSheet) override;

private:
    void handleChange(int col, int row);
    void storeComputedValue(int col, int row);

    DeclarationSession& session_;
    grid::Spread& grid_;
    rules::RuleObject* rule_;
    UserActionObserver* observer_ = nullptr;
    bool inKey_ = false;   // the key's own change of the pending cell is part of the key
};

}  // namespace zevo::engine
