#include "zevo/engine/TemplateLoading.h"

#include <exception>
#include <vector>

#include "EngineText.h"
#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/Period.h"

namespace zevo::engine {

using documents::GetAttributeValue;

namespace {

// Colours of the templates and what they become on screen.
constexpr grid::Colour kTemplateGrey = 12632256;       // RGB 192, 192, 192
constexpr grid::Colour kTemplateDarkGrey = 9868950;    // RGB 150, 150, 150
constexpr grid::Colour kTemplateCyan = 16777164;       // RGB 204, 255, 255
constexpr grid::Colour kTemplateYellow = 13434879;     // RGB 255, 255, 204
constexpr grid::Colour kScreenCyan = grid::rgb(233, 245, 254);
constexpr grid::Colour kScreenYellow = grid::rgb(255, 255, 235);
constexpr grid::Colour kHiddenSheetGrey = grid::rgb(215, 215, 215);
constexpr double kWideNumberBound = 99999999999999.0;

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The heights of the template's ordinary rows differ by a point or two; they are
// made equal so the list looks even.
void normaliseRowHeights(grid::Spread& grid) {
    const int rows = grid.maxRows();
    for (int r = 1; r <= rows; ++r) {
        const double h = grid.rowHeight(r);
        if (h > 10 && h < 15) grid.setRowHeight(r, 14);
    }
}

// Maps the current cell's background; true when it was the light grey.
bool mapColour(DeclarationSession& session, grid::Spread& grid, grid::Colour buttonFace,
               grid::Colour darkGreyTo) {
    const grid::Colour c = grid.backColor();
    switch (c) {
        case kTemplateGrey:
            grid.setBackColor(buttonFace);
            session.windowBackColour = buttonFace;
            return true;
        case kTemplateDarkGrey: grid.setBackColor(darkGreyTo); break;
        case kTemplateCyan: grid.setBackColor(kScreenCyan); break;
        case kTemplateYellow: grid.setBackColor(kScreenYellow); break;
        default: break;
    }
    return false;
}

void applyMarker(grid::Spread& grid) {
    const std::string marker = text::trimBlanks(grid.text());
    if (marker == "chk") {
        grid.setCellType(grid::CellType::CheckBox);
        grid.setText("0");
        grid.setHAlign(grid::HAlign::Center);
    } else if (marker == "cbo") {
        grid.setCellType(grid::CellType::ComboBox);
        grid.setText("");
    } else if (marker == "cmd") {
        grid.setCellType(grid::CellType::Button);
    } else if (marker == "picture") {
        grid.setCellType(grid::CellType::Picture);
    }
}

}  // namespace

void LoadTemplate(grid::Spread& grid, bool interface) {
    try {
        clsVariables vars;
        if (vars.NodeMenu().isNull()) return;
        if (vars.NodeValidity().isNull()) vars.NodeValidity(documents::GetValidityNode());
        const xml::Node validity = vars.NodeValidity();
        if (validity.isNull())
            throw RuntimeError(err::kObjectRequired, "No template version applies to the period");
        const std::string file =
            GetAttributeValue(validity, interface ? "InterfaceTemplate" : "ReportTemplate");
        grid.loadWorkbook(clsMessageBox().GetAbsolutePath(file));
        // The last sheet of every workbook carries the check table and messages.
        grid.setSheet(grid.sheetCount());
        grid.setSheetVisible(false);
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "LoadTemplate", e);
    }
}

void SetupSpread(DeclarationSession& session, grid::Spread& grid) {
    grid.setRedraw(false);
    try {
        const std::vector<xml::Node> entries =
            clsVariables().NodeValidity().childElements("Sheet");
        session.headerSheet = 0;
        for (int s = 1; s <= grid.sheetCount(); ++s) {
            grid.setSheet(s);
            grid::FontData font = grid.sheetFont();
            font.name = "DejaVu Sans";
            grid.setSheetFont(font);
            if (lowerAscii(grid.sheetName()) == "header") {
                session.headerSheet = s;
                continue;
            }
            // A sheet without an entry keeps its workbook name rather than losing it.
            if (s - 1 < static_cast<int>(entries.size())) {
                const std::string caption = GetAttributeValue(entries[s - 1], "Caption");
                if (!caption.empty() && caption != grid.sheetName()) grid.setSheetName(caption);
            }
        }
        grid.setActiveSheet(1);
        grid.setSheet(1);
        session.currentSheet = 1;
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", "SetupSpread", e);
    }
    grid.setRedraw(true);
}

void FormatGrid(DeclarationSession& session, grid::Spread& grid, grid::Colour buttonFace) {
    grid.setRedraw(false);
    try {
        const int sheets = grid.sheetCount();
        for (int s = 1; s <= sheets; ++s) {
            grid.setSheet(s);
            if (!grid.sheetVisible()) continue;
            normaliseRowHeights(grid);
            const int rows = grid.maxRows(), cols = grid.maxCols();
            for (int r = 1; r <= rows; ++r) {
                for (int c = 1; c <= cols; ++c) {
                    grid.setPosition(c, r);
                    mapColour(session, grid, buttonFace, buttonFace);
                    switch (grid.cellType()) {
                        case grid::CellType::Number:
                            grid.setNumberSeparators(",", ".", true);
                            grid.setNumberMin(-kWideNumberBound);
                            grid.setNumberMax(kWideNumberBound);
                            break;
                        case grid::CellType::Edit:
                        case grid::CellType::StaticText: applyMarker(grid); break;
                        default: break;
                    }
                }
            }
        }
        // The hidden last sheet: same heights and colours, its own dark grey, kinds kept.
        grid.setSheet(sheets);
        if (!grid.sheetVisible()) {
            normaliseRowHeights(grid);
            const int rows = grid.maxRows(), cols = grid.maxCols();
            for (int r = 1; r <= rows; ++r)
                for (int c = 1; c <= cols; ++c) {
                    grid.setPosition(c, r);
                    mapColour(session, grid, buttonFace, kHiddenSheetGrey);
                }
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "FormatGrid", e);
    }
    grid.setRedraw(true);
}

void HideInactiveSheets(grid::Spread& grid) {
    try {
        const std::vector<xml::Node> entries =
            clsVariables().NodeValidity().childElements("Sheet");
        for (int s = 1; s <= grid.sheetCount(); ++s) {
            grid.setSheet(s);
            const std::string name = grid.sheetName();
            for (const xml::Node& entry : entries) {
                if (GetAttributeValue(entry, "Caption") != name) continue;
                if (GetAttributeValue(entry, "Active") == "0") grid.setSheetVisible(false);
                break;
            }
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "HideInactiveSheets", e);
    }
}

}  // namespace zevo::engine
