// The validation table of the "Header" sheet, cell notes and marks, the status
// line and the F1 help topic of the current cell.
#include <QString>

#include <exception>
#include <string>
#include <vector>

#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/GridStateGuard.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/sheetdocs/MarkingColours.h"
#include "EngineText.h"

namespace zevo::engine {

using documents::GetAttributeValue;

namespace {

constexpr const char* kModule = "mainForm";

bool sameSheetName(const std::string& gridName, const std::string& wanted) {
    const QString name = QString::fromStdString(gridName);
    QString w = QString::fromStdString(wanted);
    if (name.compare(w, Qt::CaseInsensitive) == 0) return true;
    if (w.size() >= 2 && w.startsWith(u'\'') && w.endsWith(u'\'')) {
        w = w.mid(1, w.size() - 2);
        return name.compare(w, Qt::CaseInsensitive) == 0;
    }
    return false;
}

// Sheet name and the cell part of "Sheet!K9" / "'Sheet name'!K9".
void splitReference(const std::string& reference, std::string& sheetName, std::string& cell) {
    const auto bang = reference.find('!');
    if (bang == std::string::npos)
        throw RuntimeError(err::kInvalidCall, "Not a cell reference: " + reference);
    sheetName = reference.substr(0, bang);
    cell = reference.substr(bang + 1);
}

void splitCell(const grid::Spread& grid, const std::string& cell, int& col, int& row) {
    std::size_t i = 0;
    while (i < cell.size() && !(cell[i] >= '0' && cell[i] <= '9')) ++i;
    col = grid.colNumber(text::trimBlanks(cell.substr(0, i)));
    row = sheetdocs::detail::roundToInt32(text::leadingNumber(cell.substr(i)));
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

// One row of the validation table.
struct CheckRow {
    std::string check, reference, note, severity, order;
    bool hasFormula = false;
    grid::Colour normalColour = grid::kWhite;
};

CheckRow readCheckRow(const grid::SpreadModel& grid, int sheet, int row) {
    CheckRow r;
    const int b = grid.colNumber("B"), c = grid.colNumber("C");
    r.check = grid.textOf(sheet, b, row);
    r.hasFormula = !grid.formulaOf(sheet, b, row).empty();
    r.reference = grid.formulaOf(sheet, c, row);
    r.normalColour = grid.formatOf(sheet, c, row).fill.value_or(grid::kWhite);
    r.note = grid.textOf(sheet, grid.colNumber("E"), row);
    r.severity = QString::fromStdString(text::trimBlanks(grid.textOf(sheet, grid.colNumber("S"), row)))
                     .toUpper()
                     .toStdString();
    r.order = grid.textOf(sheet, grid.colNumber("T"), row);
    return r;
}

// A cell note as status lines: CR LF become line breaks, trailing blanks go.
std::string noteLines(const std::string& note) {
    return text::trimBlanks(replaceAll(note, "\r\n", "\n"));
}

}  // namespace

bool MainController::CheckValidData() {
    bool valid = true;
    grid_.setRedraw(false);
    try {
        const int header = session_.headerSheet;
        if (grid_.sheetCount() <= 1 || header < 1) {
            grid_.setRedraw(true);
            return true;
        }
        std::vector<std::pair<double, std::string>> failures;
        const int lastRow = grid_.maxRowsOf(header);
        for (int i = kValidationFirstRow; i <= lastRow; ++i) {
            if (text::trimBlanks(grid_.textOf(header, grid_.colNumber("B"), i)).empty()) continue;
            const CheckRow r = readCheckRow(grid_, header, i);
            if (text::leadingNumber(r.check) == 1) continue;
            const bool blankReference = text::trimBlanks(r.reference).empty();
            if (r.hasFormula) {
                if (r.severity != "Y" && r.severity != "N") continue;
                const bool warning = r.severity == "N";
                const bool marked = SetCellNote(r.reference, r.normalColour, r.note + " ", warning);
                if (!blankReference && marked) {
                    failures.emplace_back(text::leadingNumber(r.order), r.reference);
                    if (!warning) valid = false;
                }
            } else {
                if (!blankReference) failures.emplace_back(text::leadingNumber(r.order), r.reference);
                if (r.severity == "Y") valid = false;
            }
        }
        if (!failures.empty() && navigateToFailure_) {
            std::size_t first = 0;
            for (std::size_t k = 1; k < failures.size(); ++k)
                if (failures[k].first <= failures[first].first) first = k;
            int sheet = 0, col = 0, row = 0;
            getCellPosition(failures[first].second, sheet, col, row);
            if (sheet >= 1 && col >= 1 && row >= 1) {
                grid::GridStateGuard quiet(grid_, grid::GridStateGuard::Events::Off,
                                           grid::GridStateGuard::Cell::Moved);
                showSheet(sheet);
                grid_.setActiveCell(col, row);
                view().focusGrid();
            }
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "CheckValidData", e);
    }
    grid_.setRedraw(true);
    problems_.rebuild();
    return valid;
}

bool MainController::SetCellNote(const std::string& reference, grid::Colour normalColour,
                                 const std::string& note, bool warning) {
    try {
        std::string sheetName, cell;
        splitReference(reference, sheetName, cell);
        int sheet = 0;
        for (int s = 1; s <= grid_.sheetCount() - 1; ++s) {
            if (sameSheetName(grid_.sheetNameOf(s), sheetName)) {
                sheet = s;
                break;
            }
        }
        if (sheet == 0) return true;
        int col = 0, row = 0;
        splitCell(grid_, cell, col, row);
        if (col < 1 || row < 1) throw RuntimeError(err::kInvalidCall, "Not a cell: " + reference);
        const std::vector<xml::Node> entries = sheetEntries();
        const xml::Node entry =
            static_cast<std::size_t>(sheet - 1) < entries.size() ? entries[sheet - 1] : xml::Node();
        grid_.setSheet(sheet);
        grid_.setPosition(col, row);
        if (GetAttributeValue(entry, "Active") == "0") {
            grid_.setNote("");
            grid_.setBackColor(normalColour);
            return false;
        }
        if (text::trimBlanks(note).empty())
            grid_.setNote("");
        else if (grid_.note().empty())
            grid_.setNote(note);
        else
            grid_.setNote(grid_.note() + "\r\n" + note);
        if (!text::trimBlanks(grid_.note()).empty())
            grid_.setBackColor(warning ? sheetdocs::kWarningColour : sheetdocs::kErrorColour);
        else
            grid_.setBackColor(normalColour);
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "SetCellNote", e);
        return false;
    }
}

void MainController::getCellPosition(const std::string& reference, int& sheet, int& col,
                                     int& row) {
    try {
        std::string sheetName, cell;
        splitReference(reference, sheetName, cell);
        sheet = 0;
        for (int s = 1; s <= grid_.sheetCount(); ++s) {
            if (sameSheetName(grid_.sheetNameOf(s), sheetName)) {
                sheet = s;
                break;
            }
        }
        splitCell(grid_, cell, col, row);
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "getCellPosition", e);
    }
}

void MainController::ResetErrorCells() {
    try {
        if (rule_) rule_->ResetErrorCells();
        const int header = session_.headerSheet;
        if (header < 1 || header > grid_.sheetCount()) return;
        grid_.setRedraw(false);
        const int lastRow = grid_.maxRowsOf(header);
        const int b = grid_.colNumber("B"), c = grid_.colNumber("C");
        for (int i = kValidationFirstRow; i <= lastRow; ++i) {
            if (grid_.formulaOf(header, b, i).empty()) continue;
            const std::string reference = grid_.formulaOf(header, c, i);
            const grid::Colour colour = grid_.formatOf(header, c, i).fill.value_or(grid::kWhite);
            if (!text::trimBlanks(reference).empty()) SetCellNote(reference, colour, "", false);
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "ResetErrorCells", e);
    }
    grid_.setRedraw(true);
}

void MainController::SetStatus(int col, int row) {
    try {
        grid_.setSheet(session_.currentSheet);
        if (col == -1 && row == -1) {
            col = grid_.activeCol();
            row = grid_.activeRow();
        }
        sheetdocs::GetCellSpan(grid_, col, row);
        // A marked cell says first why it is marked.
        grid_.setPosition(col, row);
        const std::string note = noteLines(grid_.note());
        const xml::DocumentPtr doc = clsVariables().Data(session_.currentSheet - 1);
        const xml::Node cell =
            doc ? doc->elementById(sheetdocs::MakeCellID(grid_, col, row)) : xml::Node();
        if (cell.isNull() && note.empty()) return;
        std::string text;
        const std::string statusId =
            cell.isNull() ? std::string() : text::trimBlanks(GetAttributeValue(cell, "StatusID"));
        if (!statusId.empty() && statusDoc_) {
            for (const xml::Node& st : statusDoc_->elementsByTagName("St")) {
                if (text::trimBlanks(GetAttributeValue(st, "ID")) != statusId) continue;
                const std::string message = GetAttributeValue(st, "Msg");
                if (!text::trimBlanks(message).empty()) text = replaceAll(message, "\\n", "\n");
                break;
            }
        }
        statusText_ = note.empty() ? text : text.empty() ? note : note + "\n" + text;
        view().setStatusText(statusText_);
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "SetStatus", e);
    }
}

void MainController::Form_KeyDown(int keyCode, int shift) {
    if (keyCode != grid::keys::kF1) return;
    try {
        grid_.setSheet(session_.currentSheet);
        int col = grid_.activeCol(), row = grid_.activeRow();
        sheetdocs::GetCellSpan(grid_, col, row);
        const std::string id = sheetdocs::MakeCellID(grid_, col, row);
        int context = 0;
        const std::size_t index = static_cast<std::size_t>(session_.currentSheet - 1);
        if (index < session_.interfaceIni.size() && session_.interfaceIni[index]) {
            const xml::Node cell = session_.interfaceIni[index]->elementById(id);
            context = sheetdocs::detail::roundToInt32(
                text::leadingNumber(GetAttributeValue(cell, "HelpContextID")));
        }
        helpContext_ = context;
        view().setHelpContext(context);
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Form_KeyDown", e);
    }
}

void MainController::Form_KeyUp(int keyCode, int shift) {
    if (keyCode == grid::keys::kF4 && (shift & grid::keys::kAltMask)) cmdExit_Click();
}

}  // namespace zevo::engine
