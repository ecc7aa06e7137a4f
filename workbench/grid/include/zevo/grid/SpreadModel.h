#pragma once
// The grid itself: a headless workbook model behind the Spread interface. The Qt
// view, the page painter, the engine and the rules all work on it.
//
// Storage: per sheet a vector of row pointers, each row a vector of cell
// pointers; inserting or deleting rows moves pointers only. Cell formats are
// shared between cells (copy on write), so a loaded workbook costs one format per
// workbook style.
//
// What a cell keeps of a write, by kind (a refused write leaves the old content):
//   edit      shortened to the maximum length (characters); refused unless all
//             digits when digits-only
//   number    a number as displayed (separators of the cell) or as a value
//   percent   ("1234.5"); refused when not a number or outside the bounds
//             (no clamping); "" empties the cell. Percent text "12" or "12%" = 0.12
//   date      d/m/yyyy, kept as dd/mm/yyyy; refused when no calendar date
//   masked    text fitting the mask (9 or # digit, A letter or digit, ? letter,
//             X or & anything, "/" makes the next character literal), as a
//             masked edit control takes it: each field (run of mask characters
//             between literals) holds at most its length, fields may be short
//             while the literals are typed ("1/2/09" for "99//99//9999"), a
//             literal left out after a full field is filled in ("31122023"
//             becomes "31/12/2023"); refused for a wrong character or too many
//             characters or fields
//   combo     one of the items (the selection follows); "" clears
//   check box "1" (also "-1", "true") or "0" (also "", "false")
//   others    as written
// A cell with a formula ignores writes. Formulas are parsed once; a write marks only the formulas that
// read the written cell (and theirs, transitively) for re-evaluation, and values
// are computed when read.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "zevo/grid/Spread.h"
#include "zevo/grid/WorkbookData.h"
#include "zevo/grid/formula/Expression.h"
#include "zevo/grid/formula/Value.h"

namespace zevo::grid {

inline constexpr double kDefaultNumberBound = 99999999999999.0;
inline constexpr double kDefaultRowHeightPt = 15.0;
inline constexpr double kDefaultColWidthPx = 64.0;

// A pick list: its text (items ended by tabs) and the items, parsed once. Lists
// of the same text are interned, so a list of thousands of items assigned to many
// cells is parsed and stored once and copying it costs a reference count.
class ComboList {
public:
    struct Data;

    ComboList() = default;
    ComboList(const std::string& text);   // NOLINT: formats take list texts
    const std::string& text() const;
    operator const std::string&() const { return text(); }   // NOLINT
    const std::vector<std::string>& items() const;
    // Position of the first item equal to `item`; -1 when there is none.
    int indexOf(const std::string& item) const;
    bool empty() const { return !data_; }
    bool operator==(const ComboList& other) const;

private:
    std::shared_ptr<const Data> data_;   // null for the empty list
};

// Everything about a cell but its content.
struct CellFormat {
    CellType type = CellType::Edit;
    bool locked = true;                  // spreadsheet default
    std::optional<Colour> fill;          // none = white background
    int maxLen = 0;                      // 0 = no limit (characters)
    double numberMin = -kDefaultNumberBound;
    double numberMax = kDefaultNumberBound;
    std::string thousands = ",";
    std::string decimalPoint = ".";
    bool showSeparators = false;
    int decimals = -1;                   // -1 = as many as the value needs
    bool digitsOnly = false;
    ComboList comboList;                 // items ended by tabs
    std::string mask;
    std::string placeholder;
    std::string checkCaption;
    std::string tag;
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    bool border = false;
    FontData font;
    std::string numberFormat;            // the workbook's format code ("" = General)
    bool operator==(const CellFormat&) const = default;
};

// Cell kind of a workbook number format:
//   a format with "%" (outside quotes and brackets)          -> Percent
//   a date or time format (d, m, y, h or s codes outside
//   quotes and brackets)                                      -> Date
//   any other format that is not General or "@" ("0",
//   "0.00", "#,##0")                                          -> Number
//   General ("") or text ("@")                                -> Edit
// Check boxes, combo boxes, buttons and pictures come from the marker texts
// ("chk", "cbo", "cmd", "picture") that template loading applies later.
CellType cellTypeForNumberFormat(const std::string& numberFormat);
// Decimal places a number format shows ("0.00" -> 2, "#,##0" -> 0); -1 for General.
int decimalsOfNumberFormat(const std::string& numberFormat);

// What the painter and the view need to draw one cell.
struct CellLook {
    CellType type = CellType::Edit;
    std::string text;          // as displayed (placeholder of an empty masked cell)
    bool placeholderShown = false;
    bool locked = true;
    Colour back = kWhite;
    FontData font;
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    bool border = false;
    bool numeric = false;      // number-like content (General alignment goes right)
    bool hasNote = false;
    std::string checkCaption;
};

class SpreadModel : public Spread {
public:
    SpreadModel();
    ~SpreadModel() override;
    SpreadModel(const SpreadModel&) = delete;
    SpreadModel& operator=(const SpreadModel&) = delete;

    // ---- conversions ----
    // Replaces every sheet; addressed and displayed sheet become 1.
    void fromWorkbookData(const WorkbookData& data);
    WorkbookData toWorkbookData() const;
    void loadWorkbook(const std::string& path) override;
    void exportWorkbook(const std::string& path) const override;
    // A workbook of `count` empty sheets named "Sheet1" ...
    void reset(int count = 1);
    // Replaces every sheet with a deep copy of `other`'s (cells, formats, sizes,
    // spans, formulas, addressed and displayed sheet); listeners and event
    // switches stay this model's own.
    void copyFrom(const SpreadModel& other);

    // ---- sheets ----
    int sheetCount() const override;
    int sheet() const override;
    void setSheet(int sheet) override;
    int activeSheet() const override;
    void setActiveSheet(int sheet) override;
    std::string sheetName() const override;
    void setSheetName(const std::string& name) override;
    bool sheetVisible() const override;
    void setSheetVisible(bool visible) override;
    bool printLandscape() const override;
    void setPrintLandscape(bool landscape) override;
    FontData sheetFont() const override;
    void setSheetFont(const FontData& font) override;
    PageMargins printMargins() const override;
    void setPrintMargins(const PageMargins& margins) override;

    // ---- position ----
    int col() const override;
    int row() const override;
    void setCol(int col) override;
    void setRow(int row) override;
    int activeCol() const override;
    int activeRow() const override;
    void setActiveCell(int col, int row) override;
    int maxCols() const override;
    int maxRows() const override;
    void setMaxCols(int count) override;
    void setMaxRows(int count) override;
    int dataColCount() const override;
    int dataRowCount() const override;

    // ---- rows and columns ----
    void insertRows(int row, int count) override;
    void deleteRows(int row, int count) override;
    void copyRowRange(int first, int last, int dest) override;
    double rowHeight(int row) const override;
    void setRowHeight(int row, double height) override;
    double maxTextRowHeight(int row) const override;
    bool rowPageBreak(int row) const override;
    void setRowPageBreak(int row, bool brk) override;
    double colWidth(int col) const override;
    void setColWidth(int col, double width) override;

    std::string colLetters(int col) const override;
    int colNumber(const std::string& letters) const override;

    bool getCellSpan(int col, int row, CellSpan& span) const override;
    void addCellSpan(int col, int row, int cols, int rows) override;
    void removeCellSpan(int col, int row) override;

    // ---- content ----
    std::string text() const override;
    void setText(const std::string& text) override;
    std::string value() const override;
    void setValue(const std::string& value) override;
    std::string formula() const override;
    void setFormula(const std::string& formula) override;
    void recalcCell() override;
    std::string textAt(int col, int row) const override;
    void setTextAt(int col, int row, const std::string& text) override;

    // ---- attributes ----
    CellType cellType() const override;
    void setCellType(CellType type) override;
    bool locked() const override;
    void setLocked(bool locked) override;
    Colour backColor() const override;
    void setBackColor(Colour colour) override;
    std::string note() const override;
    void setNote(const std::string& note) override;
    int maxEditLen() const override;
    void setMaxEditLen(int length) override;
    double numberMin() const override;
    double numberMax() const override;
    void setNumberMin(double v) override;
    void setNumberMax(double v) override;
    void setNumberSeparators(const std::string& thousands, const std::string& decimal,
                             bool show) override;
    bool digitsOnly() const override;
    void setDigitsOnly(bool digits) override;
    std::string comboList() const override;
    void setComboList(const std::string& items) override;
    int comboIndex() const override;
    void setComboIndex(int index) override;
    std::string mask() const override;
    void setMask(const std::string& mask) override;
    std::string placeholder() const override;
    void setPlaceholder(const std::string& text) override;
    std::string checkCaption() const override;
    void setCheckCaption(const std::string& caption) override;
    std::string tag() const override;
    void setTag(const std::string& tag) override;
    HAlign hAlign() const override;
    void setHAlign(HAlign align) override;
    FontData font() const override;
    void setFont(const FontData& font) override;

    // ---- control ----
    void setRedraw(bool on) override;
    bool redraw() const override;
    void setEventsEnabled(bool on) override;
    bool eventsEnabled() const override;
    void setLoadEventsEnabled(bool on) override;
    bool loadEventsEnabled() const override;
    void addListener(SpreadListener* listener) override;
    void removeListener(SpreadListener* listener) override;

    // ---- user actions ----
    void userEdit(int col, int row, const std::string& text) override;
    void userMoveTo(int col, int row) override;
    void userKeyUp(int keyCode, int shift) override;
    void userClickButton(int col, int row, bool down) override;
    void userShowSheet(int sheet) override;

    // ---- read access for the view and the painter (no current cell moved) ----
    // Sheets count from 1; a cell outside the sheet reads as an empty default cell.
    CellLook look(int sheet, int col, int row) const;
    std::string textOf(int sheet, int col, int row) const;
    std::string noteOf(int sheet, int col, int row) const;
    // Calls `visit` for each cell of rows first..last and columns 1..lastCol that
    // has a note, row by row and column by column, with the note in place: scans
    // of whole sheets (a million cells, few notes) then read no note they skip.
    void forEachNote(int sheet, int first, int last, int lastCol,
                     const std::function<void(int col, int row, const std::string& note)>& visit) const;
    std::string formulaOf(int sheet, int col, int row) const;
    CellFormat formatOf(int sheet, int col, int row) const;
    bool spanOf(int sheet, int col, int row, CellSpan& span) const;
    double rowHeightOf(int sheet, int row) const;
    double colWidthOf(int sheet, int col) const;
    bool pageBreakOf(int sheet, int row) const;
    int maxRowsOf(int sheet) const;
    int maxColsOf(int sheet) const;
    std::string sheetNameOf(int sheet) const;
    bool sheetVisibleOf(int sheet) const;
    int frozenRows(int sheet) const;
    int frozenCols(int sheet) const;
    // Whole-cell format writes (the view's formatting, tests).
    void setFormatAt(int col, int row, const CellFormat& format);

    // Formula cells evaluated since the model was built (a measure for tests and
    // benchmarks of how much a write recomputes).
    long long evaluationCount() const;

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
};

}  // namespace zevo::grid
