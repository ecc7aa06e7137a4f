#pragma once
// The grid as the engine, the main window and the rules library see it: a
// spreadsheet with an addressed sheet, a current cell (col, row) that the cell
// properties apply to, a per-sheet active cell, events with listeners and two
// event switches. Header-only and abstract: the rules library includes it without
// linking the program. Rows, columns and sheets count from 1.
//
// Events: programmatic writes raise nothing, except that while the load-time
// event class is on, a write raises Change for the written cell and for every
// formula cell of the same sheet whose computed value changed because of it. User actions (the
// view, or tests through the user* entry points) raise the events of the action
// when all events are on. Listeners are called in subscription order; a listener
// may unsubscribe (itself or another) during an event.
#include <string>

#include "zevo/grid/WorkbookData.h"

namespace zevo::grid {

enum class CellType {
    Edit,
    Masked,     // mask + placeholder ("picture" cell type of the rules)
    ComboBox,
    CheckBox,   // text/value "1" checked, "0" clear
    Number,
    Percent,
    Date,
    Button,
    Picture,
    StaticText,
};

struct PageMargins {
    double left = 0.7, right = 0.7, top = 0.75, bottom = 0.75;   // inches
    bool operator==(const PageMargins&) const = default;
};

struct CellSpan {
    int anchorCol = -1;   // -1 when the cell is in no span
    int anchorRow = -1;
    int cols = 0;
    int rows = 0;
};

// Key codes used by the handlers (Windows virtual-key numbers).
namespace keys {
inline constexpr int kEscape = 27;
inline constexpr int kDelete = 46;
inline constexpr int kF1 = 112;
inline constexpr int kF2 = 113;
inline constexpr int kF4 = 115;
inline constexpr int kF5 = 116;
inline constexpr int kF6 = 117;
inline constexpr int kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;
}  // namespace keys

class SpreadListener {
public:
    virtual ~SpreadListener() = default;
    virtual void Change(int col, int row) {}
    virtual void LeaveCell(int col, int row, int newCol, int newRow, bool& cancel) {}
    virtual void KeyUp(int keyCode, int shift) {}
    virtual void ButtonClicked(int col, int row, int buttonDown) {}
    virtual void SheetChanged(int oldSheet, int newSheet) {}
    virtual void EditMode(int col, int row, int mode, bool changeMade) {}
};

class Spread {
public:
    virtual ~Spread() = default;

    // ---- workbook ----
    // Replaces every sheet with the workbook's. Throws RuntimeError with a clear reason.
    virtual void loadWorkbook(const std::string& path) = 0;
    // Writes all sheets as an .xlsx workbook (atomically). Throws RuntimeError.
    virtual void exportWorkbook(const std::string& path) const = 0;

    // ---- sheets ----
    virtual int sheetCount() const = 0;
    virtual int sheet() const = 0;              // addressed sheet
    virtual void setSheet(int sheet) = 0;
    virtual int activeSheet() const = 0;        // displayed sheet
    virtual void setActiveSheet(int sheet) = 0; // raises no event
    // Properties of the addressed sheet:
    virtual std::string sheetName() const = 0;
    virtual void setSheetName(const std::string& name) = 0;
    virtual bool sheetVisible() const = 0;
    virtual void setSheetVisible(bool visible) = 0;
    virtual bool printLandscape() const = 0;
    virtual void setPrintLandscape(bool landscape) = 0;
    virtual FontData sheetFont() const = 0;
    virtual void setSheetFont(const FontData& font) = 0;
    // Page margins in inches.
    virtual PageMargins printMargins() const = 0;
    virtual void setPrintMargins(const PageMargins& margins) = 0;

    // ---- position (addressed sheet) ----
    virtual int col() const = 0;
    virtual int row() const = 0;
    virtual void setCol(int col) = 0;
    virtual void setRow(int row) = 0;
    void setPosition(int col, int row) { setCol(col); setRow(row); }
    void setPosition(int sheet, int col, int row) { setSheet(sheet); setCol(col); setRow(row); }
    virtual int activeCol() const = 0;          // the addressed sheet's active cell
    virtual int activeRow() const = 0;
    virtual void setActiveCell(int col, int row) = 0;   // raises no event
    virtual int maxCols() const = 0;
    virtual int maxRows() const = 0;
    virtual void setMaxCols(int count) = 0;
    virtual void setMaxRows(int count) = 0;
    virtual int dataColCount() const = 0;       // last column / row holding data
    virtual int dataRowCount() const = 0;

    // ---- rows and columns (addressed sheet) ----
    // Inserting and deleting move the rows below (with their heights, page
    // breaks and spans) and shift every formula of the workbook that refers to
    // them; a reference to a deleted cell becomes #REF!. The row count (maxRows)
    // is left to the caller.
    virtual void insertRows(int row, int count) = 0;
    virtual void deleteRows(int row, int count) = 0;
    // Copies rows first..last onto dest.. with content, formats, kinds, locks,
    // spans and formulas (formulas adjusted as a spreadsheet copy does).
    virtual void copyRowRange(int first, int last, int dest) = 0;
    virtual double rowHeight(int row) const = 0;          // points
    virtual void setRowHeight(int row, double height) = 0;
    virtual double maxTextRowHeight(int row) const = 0;   // height the row's text needs
    // A page break stands after a row whose flag is set.
    virtual bool rowPageBreak(int row) const = 0;
    virtual void setRowPageBreak(int row, bool brk) = 0;
    virtual double colWidth(int col) const = 0;           // pixels
    virtual void setColWidth(int col, double width) = 0;

    // ---- addresses ----
    virtual std::string colLetters(int col) const = 0;        // 1 -> "A", 27 -> "AA"
    virtual int colNumber(const std::string& letters) const = 0;   // 0 when not letters

    // ---- spans ----
    // The span containing (col, row); anchor -1/-1 when there is none. Returns
    // whether the cell is in a span.
    virtual bool getCellSpan(int col, int row, CellSpan& span) const = 0;
    // A new span replaces the spans it overlaps; a 1 x 1 span only removes them.
    virtual void addCellSpan(int col, int row, int cols, int rows) = 0;
    virtual void removeCellSpan(int col, int row) = 0;   // the span holding the cell

    // ---- content ----
    // Current cell. Writing may shorten or refuse (max length, digits only, number
    // bounds, mask, combo items): read back to see what the cell kept. A cell
    // with a formula keeps its formula and ignores text and value writes.
    virtual std::string text() const = 0;       // as displayed
    virtual void setText(const std::string& text) = 0;
    virtual std::string value() const = 0;      // unformatted (numbers as "1234.5")
    virtual void setValue(const std::string& value) = 0;
    virtual std::string formula() const = 0;    // "" = none; without "="
    virtual void setFormula(const std::string& formula) = 0;
    virtual void recalcCell() = 0;              // re-evaluate the current cell's formula
    // Any cell of the addressed sheet by position.
    virtual std::string textAt(int col, int row) const = 0;
    virtual void setTextAt(int col, int row, const std::string& text) = 0;

    // ---- attributes of the current cell ----
    virtual CellType cellType() const = 0;
    virtual void setCellType(CellType type) = 0;
    virtual bool locked() const = 0;
    virtual void setLocked(bool locked) = 0;
    virtual Colour backColor() const = 0;
    virtual void setBackColor(Colour colour) = 0;
    virtual std::string note() const = 0;
    virtual void setNote(const std::string& note) = 0;
    virtual int maxEditLen() const = 0;         // 0 = no limit
    virtual void setMaxEditLen(int length) = 0;
    virtual double numberMin() const = 0;
    virtual double numberMax() const = 0;
    virtual void setNumberMin(double v) = 0;
    virtual void setNumberMax(double v) = 0;
    virtual void setNumberSeparators(const std::string& thousands, const std::string& decimal,
                                     bool show) = 0;
    virtual bool digitsOnly() const = 0;
    virtual void setDigitsOnly(bool digits) = 0;
    virtual std::string comboList() const = 0;   // items separated (and ended) by tabs
    virtual void setComboList(const std::string& items) = 0;
    virtual int comboIndex() const = 0;           // -1 = none
    virtual void setComboIndex(int index) = 0;    // also sets the text
    virtual std::string mask() const = 0;
    virtual void setMask(const std::string& mask) = 0;
    virtual std::string placeholder() const = 0;
    virtual void setPlaceholder(const std::string& text) = 0;
    virtual std::string checkCaption() const = 0;
    virtual void setCheckCaption(const std::string& caption) = 0;
    virtual std::string tag() const = 0;
    virtual void setTag(const std::string& tag) = 0;
    virtual HAlign hAlign() const = 0;
    virtual void setHAlign(HAlign align) = 0;
    virtual FontData font() const = 0;
    virtual void setFont(const FontData& font) = 0;

    // ---- control ----
    virtual void setRedraw(bool on) = 0;            // repaint suspension (a view hint)
    virtual bool redraw() const = 0;
    virtual void setEventsEnabled(bool on) = 0;     // all events
    virtual bool eventsEnabled() const = 0;
    virtual void setLoadEventsEnabled(bool on) = 0; // load-time class (change notifications)
    virtual bool loadEventsEnabled() const = 0;
    virtual void addListener(SpreadListener* listener) = 0;
    virtual void removeListener(SpreadListener* listener) = 0;

    // ---- user actions (the view and tests go through these) ----
    // They work on the displayed sheet; before each event the addressed sheet and
    // the current cell are set to the displayed sheet and the cell concerned.
    // Typing `text` into (col, row) of the displayed sheet: the cell becomes
    // active (LeaveCell for the old one), the text is written as a user edit and
    // Change is raised.
    // A locked cell takes no user edit (nothing is written, no Change).
    virtual void userEdit(int col, int row, const std::string& text) = 0;
    virtual void userMoveTo(int col, int row) = 0;          // LeaveCell, then move
    virtual void userKeyUp(int keyCode, int shift) = 0;     // KeyUp on the active cell
    virtual void userClickButton(int col, int row, bool down) = 0;   // check boxes, buttons
    virtual void userShowSheet(int sheet) = 0;              // SheetChanged
};

}  // namespace zevo::grid
