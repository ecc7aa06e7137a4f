#pragma once
// What the main-window controller asks of its window. The Qt window implements it;
// headless tests use the defaults (or record the calls), so every command runs
// without widgets.
#include <string>

#include "zevo/grid/WorkbookData.h"

namespace zevo::engine {

class MainView {
public:
    virtual ~MainView() = default;

    // Apply the caption section (window title, button and label texts).
    virtual void applyCaptions(const std::string& section) {}
    // The status line below the grid; line breaks are '\n'.
    virtual void setStatusText(const std::string& text) {}
    virtual void setStatusVisible(bool visible) {}
    virtual void setGridVisible(bool visible) {}
    virtual void focusGrid() {}
    // The grid was loaded afresh (sheets, sizes): rebuild the view.
    virtual void gridReloaded() {}
    // Cells changed under the view (marks, restored colours, active cell).
    virtual void gridChanged() {}
    // Let pending window events run once (start of the completion pass).
    virtual void processEvents() {}
    // Close the window; the window's close handling calls Form_Unload.
    virtual void closeWindow() {}
    // The window's own background, taken from the grey of the template's labels.
    virtual void setBackgroundColour(grid::Colour colour) {}
    // The help topic F1 opens for the current cell (0 = none).
    virtual void setHelpContext(int context) {}
};

}  // namespace zevo::engine
