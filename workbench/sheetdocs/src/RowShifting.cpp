// Row shifting in the grid and in the sheet documents.
#include "zevo/sheetdocs/RowShifting.h"

#include <libxml/tree.h>

#include <charconv>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "zevo/ErrorLog.h"
#include "zevo/clsVariables.h"
#include "zevo/sheetdocs/CellAddress.h"

namespace zevo::sheetdocs {

namespace {

// ParserCellID for the usual "K_9" form (letters, "_", up to nine digits) without
// its number scanning; anything else goes through ParserCellID itself.
void parseAddress(const grid::Spread& grid, std::string_view address, int& col, int& row) {
    const std::size_t bar = address.find('_');
    const std::size_t digits = bar == std::string_view::npos ? 0 : address.size() - bar - 1;
    if (digits >= 1 && digits <= 9) {
        int value = 0;
        std::size_t i = bar + 1;
        for (; i < address.size() && address[i] >= '0' && address[i] <= '9'; ++i) value = value * 10 + (address[i] - '0');
        if (i == address.size()) {
            col = grid.colNumber(std::string(address.substr(0, bar)));
            row = value;
            return;
        }
    }
    ParserCellID(grid, std::string(address), col, row);
}

// Rewrites one identifier attribute with its row moved by `delta`; an attribute
// that is missing or names no cell stays as it is.
void moveIdentifier(const grid::Spread& grid, xml::Node& cell, const char* attribute, int delta, std::string& scratch) {
    xmlAttr* a = xmlHasProp(cell.raw(), reinterpret_cast<const xmlChar*>(attribute));
    if (!a) return;
    int col = 0, row = 0;
    parseAddress(grid, xml::attributeText(a, scratch), col, row);
    if (col == 0) return;
    cell.setAttribute(attribute, MakeCellID(grid, col, row + delta));
}

bool isCell(const xmlNode* node) {
    return node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, reinterpret_cast<const xmlChar*>("Cell"));
}

// A walk through one subtree in document order, collecting its `Cell` elements.
struct SubtreeWalk {
    xmlNode* root = nullptr;
    xmlNode* cur = nullptr;
    std::vector<xmlNode*> cells;

    // Visits the current node and moves on; false once the subtree is done.
    bool step() {
        if (isCell(cur)) cells.push_back(cur);
        if (cur->type == XML_ELEMENT_NODE && cur->children) {
            cur = cur->children;
            return true;
        }
        while (cur != root && !cur->next) cur = cur->parent;
        if (cur == root) return false;
        cur = cur->next;
        return true;
    }
};

// The `Cell` elements of a document in document order, as raw nodes: handles would
// cost a shared ownership count each. A row list is thousands of row groups side
// by side, each a chain of cells scattered in memory: the groups are walked
// several at a time, step by step in turn, so that the reads of their links
// overlap instead of following one another; their cells are then put in order.
std::vector<xmlNode*> cellElements(const xml::Document& document) {
    std::vector<xmlNode*> out;
    xmlNode* root = document.documentElement().raw();
    if (!root) return out;
    if (isCell(root)) out.push_back(root);
    constexpr std::size_t kTogether = 16;
    SubtreeWalk walks[kTogether];
    for (xmlNode* section = root->children; section; section = section->next) {
        if (isCell(section)) out.push_back(section);
        if (section->type != XML_ELEMENT_NODE) continue;
        xmlNode* group = section->children;
        while (group) {
            std::size_t n = 0;
            for (; group && n < kTogether; group = group->next, ++n) {
                walks[n].root = walks[n].cur = group;
                walks[n].cells.clear();
            }
            bool going[kTogether];
            std::size_t left = n;
            for (std::size_t k = 0; k < n; ++k) going[k] = true;
            while (left)
                for (std::size_t k = 0; k < n; ++k)
                    if (going[k] && !walks[k].step()) {
                        going[k] = false;
                        --left;
                    }
            for (std::size_t k = 0; k < n; ++k) out.insert(out.end(), walks[k].cells.begin(), walks[k].cells.end());
        }
    }
    return out;
}

// Which column letters of the documents' addresses ("K", "AB") are the grid's own
// spelling of a column, asked once per spelling: a moved address is then written
// from the old one's text (its letters, "_", the new row), as MakeCellID would.
class ColumnSpellings {
public:
    explicit ColumnSpellings(const grid::Spread& grid) : grid_(grid), known_(27 * 27 * 27, -1) {}

    bool canonical(std::string_view letters) {
        if (letters.empty() || letters.size() > 3) return false;
        std::size_t key = 0;
        for (char c : letters) {
            if (c < 'A' || c > 'Z') return false;
            key = key * 27 + static_cast<std::size_t>(c - 'A' + 1);
        }
        signed char& known = known_[key];
        if (known < 0) {
            const int col = grid_.colNumber(std::string(letters));
            known = col != 0 && grid_.colLetters(col) == letters;
        }
        return known != 0;
    }

private:
    const grid::Spread& grid_;
    std::vector<signed char> known_;
};

// An identifier attribute of a cell, read once: its row, and the value it takes
// when moved by some rows (moveIdentifier's, without its look-ups).
struct Address {
    xmlAttr* attribute = nullptr;
    std::string_view text;
    int col = 0, row = 0;
    std::size_t bar = 0;
    bool plain = false;   // grid letters, "_", up to nine digits

    Address(const grid::Spread& grid, ColumnSpellings& spellings, xmlNode* cell, const char* name,
            std::string& scratch) {
        // Most names differ from this one in their first letter: no call for them.
        for (xmlAttr* a = cell->properties; a; a = a->next)
            if (a->name[0] == name[0] && std::strcmp(reinterpret_cast<const char*>(a->name), name) == 0) {
                attribute = a;
                break;
            }
        if (!attribute) return;
        // The usual form read in one pass over the text in place.
        const xmlNode* t = attribute->children;
        if (t && t->type == XML_TEXT_NODE && !t->next && t->content) {
            const char* p = reinterpret_cast<const char*>(t->content);
            std::size_t letters = 0;
            while (p[letters] >= 'A' && p[letters] <= 'Z') ++letters;
            std::size_t end = letters + 1;
            int value = 0;
            if (letters >= 1 && p[letters] == '_')
                for (; p[end] >= '0' && p[end] <= '9' && end - letters <= 9; ++end) value = value * 10 + (p[end] - '0');
            if (end > letters + 1 && p[end] == '\0' && spellings.canonical(std::string_view(p, letters))) {
                text = std::string_view(p, end);
                bar = letters;
                plain = true;
                col = 1;   // some column: the letters are the grid's
                row = value;
                return;
            }
        }
        text = xml::attributeText(attribute, scratch);
        parseAddress(grid, text, col, row);
    }

    // Writes the moved value; an address that names no cell stays as it is.
    void move(const grid::Spread& grid, int delta, xml::AttributeWrites& writes, std::string& value) const {
        if (!attribute || col == 0) return;
        if (plain) {
            char digits[16];
            const auto written = std::to_chars(digits, digits + sizeof digits, row + delta);
            value.assign(text.data(), bar + 1);
            value.append(digits, written.ptr);
        } else {
            value = MakeCellID(grid, col, row + delta);
        }
        writes.write(attribute, value);
    }
};

// Moves the identifiers of the cells at or below `fromRow`, in the given order.
template <class It>
void moveCells(const grid::Spread& grid, const xml::DocumentPtr& document, It first, It last, int fromRow, int shift,
               int shift2) {
    std::string scratch, scratch2, value;
    ColumnSpellings spellings(grid);
    xml::AttributeWrites writes(document);
    // Each cell is its element, its attributes and their texts, apart from each
    // other and from the next cell's in a large document. They are fetched in
    // stages a few cells ahead, so that the memory reads of several cells overlap
    // instead of following one another.
    constexpr std::ptrdiff_t kAhead = 6;
    const It begin = first;
    const std::ptrdiff_t count = last - first;
    auto cellAt = [&](std::ptrdiff_t at) { return at < count ? begin[at] : nullptr; };
    for (std::ptrdiff_t i = 0; first != last; ++first, ++i) {
        if (xmlNode* cell = cellAt(i + 3 * kAhead)) __builtin_prefetch(&cell->properties);
        if (xmlNode* cell = cellAt(i + 2 * kAhead); cell && cell->properties) __builtin_prefetch(cell->properties);
        if (xmlNode* cell = cellAt(i + kAhead); cell && cell->properties) {
            if (cell->properties->children) __builtin_prefetch(cell->properties->children);
            if (cell->properties->next) __builtin_prefetch(cell->properties->next);
        }
        if (xmlNode* cell = cellAt(i + kAhead / 2); cell && cell->properties && cell->properties->next &&
                                                    cell->properties->next->children)
            __builtin_prefetch(cell->properties->next->children);
        const Address id(grid, spellings, *first, "CellID", scratch);
        if (id.row < fromRow) continue;
        id.move(grid, shift, writes, value);
        Address(grid, spellings, *first, "CellID2", scratch2).move(grid, shift2, writes, value);
    }
    writes.finish();
}

// What makes a row copied from a source row ready for new data, per column:
// marked colours become white, and cells that take data (unlocked, or bound to a
// `Cell` of the document) lose their value (0 for number cells, empty text
// otherwise) and their note. Judged once on the source row; a copy has the same
// colours, locks and kinds.
struct CleanStep {
    int col = 0;
    bool whiten = false;
    bool clear = false;
    bool number = false;
};

std::vector<CleanStep> cleaningOf(grid::Spread& grid, const xml::DocumentPtr& doc, int source) {
    std::vector<CleanStep> steps;
    const int cols = grid.maxCols();
    for (int c = 1; c <= cols; ++c) {
        grid.setPosition(c, source);
        CleanStep step;
        step.col = c;
        const bool bound = doc && !doc->elementById(MakeCellID(grid, c, source)).isNull();
        const bool isLocked = grid.locked();
        step.whiten = isMarkedColour(grid.backColor()) && (!isLocked || bound);
        step.clear = !isLocked || bound;   // labels and formulas stay as copied
        step.number = grid.cellType() == grid::CellType::Number;
        if (step.whiten || step.clear) steps.push_back(step);
    }
    return steps;
}

void cleanRow(grid::Spread& grid, const std::vector<CleanStep>& steps, int target) {
    for (const CleanStep& step : steps) {
        grid.setPosition(step.col, target);
        if (step.whiten) grid.setBackColor(grid::kWhite);
        if (!step.clear) continue;
        if (step.number) {
            grid.setValue("0");
            // Bounds that refuse 0 must not leave the copied amount behind.
            if (grid.value() != "0") grid.setText("");
        } else {
            grid.setText("");
        }
        grid.setNote("");
    }
}

}  // namespace

void InsertRow(grid::Spread& grid, int row, int count, bool duringLoad) {
    try {
        if (count < 1) return;
        // The document is looked up before the grid changes, so that a sheet
        // without one fails cleanly instead of half-way.
        xml::DocumentPtr doc;
        if (!duringLoad) doc = clsVariables().Data(grid.sheet() - 1);
        grid.setRedraw(false);
        grid.setMaxRows(grid.maxRows() + count);
        grid.insertRows(row, count);
        for (int j = 1; j <= count; ++j) {
            const int source = row - j;
            const int target = row + count - j;
            if (source < 1) continue;   // nothing above the first row to copy
            grid.copyRowRange(source, source, target);
            if (!duringLoad) cleanRow(grid, cleaningOf(grid, doc, source), target);
        }
        grid.setRedraw(true);
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "InsertRow", e);
    }
}

void IncreaseRowInDOM(grid::Spread& grid, const xml::DocumentPtr& document, int fromRow, int shift,
                      int shift2) {
    try {
        if (!document || document->isEmpty()) return;
        const std::vector<xmlNode*> cells = cellElements(*document);
        moveCells(grid, document, cells.rbegin(), cells.rend(), fromRow, shift, shift2);
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "IncreaseRowInDOM", e);
    }
}

void InsertRowCopies(grid::Spread& grid, int first, int last, int copies) {
    try {
        const int height = last - first + 1;
        if (copies < 1 || height < 1) return;
        const xml::DocumentPtr doc = clsVariables().Data(grid.sheet() - 1);
        grid.setRedraw(false);
        grid.setMaxRows(grid.maxRows() + copies * height);
        grid.insertRows(last + 1, copies * height);
        std::vector<std::vector<CleanStep>> cleaning;
        for (int r = first; r <= last; ++r) cleaning.push_back(cleaningOf(grid, doc, r));
        for (int k = 0; k < copies; ++k) {
            const int dest = last + 1 + k * height;
            grid.copyRowRange(first, last, dest);
            for (int r = 0; r < height; ++r) cleanRow(grid, cleaning[static_cast<std::size_t>(r)], dest + r);
        }
        grid.setRedraw(true);
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "InsertRowCopies", e);
    }
}

std::vector<xml::Node> InsertRowGroupCopies(grid::Spread& grid, const xml::Node& group, int count) {
    std::vector<xml::Node> copies;
    if (count < 1) return copies;
    int reportRows = 0, firstRow = 0, lastRow = 0;
    const int height = GetRowGroupSize(grid, group, reportRows, firstRow, lastRow);
    // The cells below move once by the whole height: one walk of the document,
    // where one walk per copy made N copies cost N walks.
    IncreaseRowInDOM(grid, group.document(), lastRow + 1, count * height, count * reportRows);
    xml::Node previous = group;
    std::string scratch;
    for (int k = 1; k <= count; ++k) {
        xml::Node copy = group.cloneDeep();
        for (xmlNode* c = copy.raw()->children; c; c = c->next) {
            if (c->type != XML_ELEMENT_NODE || !xmlStrEqual(c->name, reinterpret_cast<const xmlChar*>("Cell")))
                continue;
            xml::Node cell(copy.document(), c);
            moveIdentifier(grid, cell, "CellID", k * height, scratch);
            moveIdentifier(grid, cell, "CellID2", k * reportRows, scratch);
            if (xmlHasProp(c, reinterpret_cast<const xmlChar*>("FirstCell"))) cell.setAttribute("FirstCell", "1");
        }
        previous.insertAfter(copy);
        previous = copy;
        copies.push_back(copy);
    }
    return copies;
}

void DeleteRow(grid::Spread& grid, int sheet, int firstRow, int count) {
    try {
        grid.setLoadEventsEnabled(false);
        grid.setRedraw(false);
        grid.setSheet(sheet);
        grid.deleteRows(firstRow, count);
        grid.setMaxRows(grid.maxRows() - count);
        grid.setRedraw(true);
        grid.setLoadEventsEnabled(true);
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "DeleteRow", e);
    }
}

void DecreaseRowInDOM(grid::Spread& grid, int sheet, int fromRow, int shift, int shift2) {
    try {
        xml::DocumentPtr document = clsVariables().Data(sheet - 1);
        if (!document || document->isEmpty()) return;
        const std::vector<xmlNode*> cells = cellElements(*document);
        moveCells(grid, document, cells.begin(), cells.end(), fromRow, -shift, -shift2);
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "DecreaseRowInDOM", e);
    }
}

}  // namespace zevo::sheetdocs
