#pragma once
// The one guard for work on a grid that must not be seen: events switched off (or
// left as they are) and, when the guard ends, the event switch and (unless the work
// means to move it) the addressed sheet and cell put back, however the work ends. Header-only: the rules library
// uses it through the abstract grid without linking the grid.
#include "zevo/grid/Spread.h"

namespace zevo::grid {

class GridStateGuard {
public:
    enum class Events { Off, AsTheyAre };
    enum class Cell { Restored, Moved };

    explicit GridStateGuard(Spread& grid, Events events = Events::Off, Cell cell = Cell::Restored)
        : grid_(grid), sheet_(grid.sheet()), col_(grid.col()), row_(grid.row()),
          events_(grid.eventsEnabled()), restoreCell_(cell == Cell::Restored) {
        if (events == Events::Off) grid_.setEventsEnabled(false);
    }
    ~GridStateGuard() {
        try {
            grid_.setEventsEnabled(events_);
            if (!restoreCell_) return;
            grid_.setSheet(sheet_);
            grid_.setPosition(col_, row_);
        } catch (...) {
            // A guard that throws while unwinding would end the program.
        }
    }
    GridStateGuard(const GridStateGuard&) = delete;
    GridStateGuard& operator=(const GridStateGuard&) = delete;

private:
    Spread& grid_;
    int sheet_, col_, row_;
    bool events_;
    bool restoreCell_;
};

}  // namespace zevo::grid
