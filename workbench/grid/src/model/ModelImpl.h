#pragma once
// Storage of the grid model, shared by the model's source files only.
#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "zevo/ErrorLog.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/grid/formula/EvalContext.h"

namespace zevo::grid {

using FormatPtr = std::shared_ptr<const CellFormat>;

// A formula cell's parsed formula, its last computed value and the cells it reads.
struct FormulaState {
    struct Area {
        int sheet;   // 0-based
        int c1, r1, c2, r2;
        bool covers(int s, int c, int r) const {
            return s == sheet && c >= c1 && c <= c2 && r >= r1 && r <= r2;
        }
        bool meets(int s, int ca, int ra, int cb, int rb) const {
            return s == sheet && c1 <= cb && ca <= c2 && r1 <= rb && ra <= r2;
        }
    };
    formula::Expression expr;
    formula::Value value;
    bool dirty = true;
    bool evaluating = false;
    int sheet = 0;   // where the formula lives (0-based), kept right as rows move
    int col = 0;
    int row = 0;
    std::vector<Area> areas;
};

struct Cell {
    FormatPtr fmt;
    std::string text;               // content of every kind but number and percent
    std::optional<double> number;   // content of number and percent cells
    int comboIndex = -1;
    std::string note;
    std::unique_ptr<FormulaState> formula;
};

// A span anchored in the row that stores it.
struct SpanEntry {
    int col;
    int cols;
    int rows;
};

struct Row {
    std::vector<std::unique_ptr<Cell>> cells;   // index = column - 1
    std::optional<double> height;
    bool pageBreak = false;
    std::vector<SpanEntry> spans;
};

struct Sheet {
    std::string name;
    bool visible = true;
    bool landscape = false;
    PageMargins margins;
    int paperSize = 0, fitToWidth = 0, fitToHeight = 0;   // as in SheetData
    FontData font;
    int maxCols = 0;
    int maxRows = 0;
    int usedCols = 0;                           // widest row vector ever made
    std::vector<std::unique_ptr<Row>> rows;     // index = row - 1; null = empty row
    std::map<int, double> colWidths;
    std::map<int, FormatPtr> colFormats;        // default format of a column's empty cells
    double defaultRowHeight = kDefaultRowHeightPt;
    int frozenRows = 0;
    int frozenCols = 0;
    int activeCol = 1;
    int activeRow = 1;
    int maxSpanRows = 1;                        // tallest span: bounds the span look-up

    Row* rowPtr(int row) const {
        return row >= 1 && row <= static_cast<int>(rows.size()) ? rows[row - 1].get() : nullptr;
    }
    Cell* cellPtr(int col, int row) const {
        Row* r = rowPtr(row);
        if (!r || col < 1 || col > static_cast<int>(r->cells.size())) return nullptr;
        return r->cells[col - 1].get();
    }
    Row& ensureRow(int row);
};

// Content a write leaves in a cell.
struct CellContent {
    std::string text;
    std::optional<double> number;
    int comboIndex = -1;
    bool operator==(const CellContent&) const = default;
};

// ---- content rules (CellContent.cpp) ----
// What a cell of this format keeps of `input`; nullopt when it refuses it.
// `asValue`: the input is an unformatted value ("1234.5") rather than display text.
std::optional<CellContent> acceptInput(const CellFormat& fmt, const std::string& input,
                                       bool asValue);
// The default content of an empty cell of this kind ("0" for check boxes).
CellContent emptyContent(const CellFormat& fmt);
std::string displayText(const CellFormat& fmt, const CellContent& content);
std::string valueText(const CellFormat& fmt, const CellContent& content);
std::string formatNumber(double v, int decimals, const std::string& thousands,
                         const std::string& decimalPoint, bool showThousands);
std::vector<std::string> comboItems(const std::string& list);
std::size_t utf8Count(const std::string& text);
std::string utf8Prefix(const std::string& text, std::size_t count);
// Date text "dd/mm/yyyy" of a spreadsheet day serial.
std::string dateTextOfSerial(double serial);

struct SpreadModel::Impl {
    std::vector<std::unique_ptr<Sheet>> sheets;
    int addressed = 0;   // 0-based
    int displayed = 0;
    int col = 1;
    int row = 1;
    bool redraw = true;
    bool events = true;
    bool loadEvents = false;
    std::vector<SpreadListener*> listeners;
    std::unordered_set<Cell*> formulas;
    // Formulas by the sheets and columns they read; rebuilt when stale, added to
    // when a formula is attached.
    // Within a column, areas of fewer than kShortRows rows are kept by the blocks
    // of kShortRows rows they touch (one or two), so that a write finds its
    // readers without scanning every formula of the column: a column of chained
    // cells would otherwise cost time quadratic in its length.
    struct ColumnReaders {
        std::map<int, std::vector<FormulaState*>> byBlock;
        std::vector<FormulaState*> tall;   // areas of kShortRows rows or more
    };
    struct SheetReaders {
        std::vector<FormulaState*> all;
        std::unordered_map<int, ColumnReaders> byCol;
        std::vector<FormulaState*> wide;   // areas wider than kNarrowCols columns
    };
    static constexpr int kNarrowCols = 64;
    static constexpr int kShortRows = 64;
    static int rowBlock(int row) { return row < 0 ? -1 : row / kShortRows; }
    std::vector<SheetReaders> readers;
    bool readersStale = true;
    long long evaluations = 0;
    FormatPtr defaultFormat = std::make_shared<const CellFormat>();

    Sheet& cur() { return *sheets[addressed]; }
    const Sheet& cur() const { return *sheets[addressed]; }
    Sheet* sheetAt(int index0) const {
        return index0 >= 0 && index0 < static_cast<int>(sheets.size()) ? sheets[index0].get()
                                                                       : nullptr;
    }

    const CellFormat& formatAt(const Sheet& s, int col, int row) const;
    FormatPtr formatPtrAt(const Sheet& s, int col, int row) const;
    Cell& ensureCell(Sheet& s, int col, int row);
    CellFormat& mutableFormat(Cell& c);
    CellContent contentOf(const Cell& c) const;

    // ---- content ----
    // Writes one cell; returns whether its content changed. `raise`: programmatic
    // write, Change notifications of the load-time class apply.
    bool write(int sheet, int col, int row, const std::string& input, bool asValue, bool raise);
    void setContent(Cell& c, const CellContent& content);
    std::string textOfCell(int sheet, int col, int row);
    std::string valueOfCell(int sheet, int col, int row);

    // ---- formulas (Formulas.cpp) ----
    void setCellFormula(int sheet, int col, int row, const std::string& text);
    void attachFormula(Cell& c, formula::Expression expr, int sheet, int col, int row);
    void detachFormula(Cell& c);
    void detachRowFormulas(Row& r);
    void resolveAreas(FormulaState& f);
    formula::Value formulaValue(Cell& c);
    // Evaluates the formulas `c` reads, transitively, deepest first with an
    // explicit stack, so that a long chain of formulas needs no deep recursion.
    void settleDependencies(Cell& c);
    int evaluationDepth = 0;
    formula::Value cellValue(int sheet, int col, int row);
    // Marks the formulas that read the area (transitively) for re-evaluation;
    // returns those that were up to date, with their old values. `all`: also
    // those marked before (with their last computed values).
    std::vector<std::pair<FormulaState*, formula::Value>> markReaders(int sheet, int c1, int r1,
                                                                      int c2, int r2,
                                                                      bool all = false);
    void rebuildReaders();
    void indexReader(FormulaState* f);
    // Rows moved on `sheet`: formula positions and references follow.
    void shiftFormulas(int sheet, int atRow, int delta);
    void clearFormulas();

    // ---- events (Events.cpp) ----
    template <class F>
    void raise(const char* name, F&& f);
    void raiseChange(int col, int row);
};

// Calls every listener subscribed when the event starts and still subscribed when
// its turn comes. A listener's failure is logged and does not stop the others.
template <class F>
void SpreadModel::Impl::raise(const char* name, F&& f) {
    if (!events) return;
    const std::vector<SpreadListener*> snapshot = listeners;
    for (SpreadListener* l : snapshot) {
        if (std::find(listeners.begin(), listeners.end(), l) == listeners.end()) continue;
        try {
            f(*l);
        } catch (const std::exception& e) {
            WriteErrorLog("fpSpread", name, e);
        } catch (...) {
            WriteErrorLog("fpSpread", name, err::kUnexpected, "unknown failure");
        }
    }
}

}  // namespace zevo::grid
