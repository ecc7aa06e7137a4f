// Completion checks: every checked cell is marked with its rule's message (taken
// from column E of the grid's last sheet) or cleared, and the last sheet receives
// a status flag and a reference to the first failing cell.
#include <map>
#include <unordered_map>
#include <vector>

#include "clsZEVO.h"
#include "zevo/grid/GridStateGuard.h"
#include "zevo/rules/DateFormat.h"
#include "zevo/rules/TaxCodeCheck.h"
#include "zevo/rules/mdlFuntions.h"
#include "zevo/sheetdocs/MarkingColours.h"

namespace zevo::rules {

namespace {

// One run of a check on one sheet.
class CheckRun {
public:
    CheckRun(grid::Spread& g, std::map<int, std::string> messages)
        : g_(g), messages_(std::move(messages)) {}

    void mark(int col, int row, int messageRow) {
        g_.setPosition(col, row);
        g_.setNote(messages_[messageRow]);
        g_.setBackColor(sheetdocs::kErrorColour);
        if (firstError_.empty()) firstError_ = g_.colLetters(col) + std::to_string(row);
    }
    void clear(int col, int row, grid::Colour normal = grid::kWhite) {
        g_.setPosition(col, row);
        g_.setNote("");
        g_.setBackColor(normal);
    }
    void markOrClear(bool failed, int col, int row, int messageRow,
                     grid::Colour normal = grid::kWhite) {
        if (failed) mark(col, row, messageRow);
        else clear(col, row, normal);
    }
    std::string text(int col, int row) const { return g_.textAt(col, row); }
    std::string trimmed(int col, int row) const { return text::trimSpaces(g_.textAt(col, row)); }

    // A row has content when its listed cells hold anything but zeros and blanks.
    bool hasContent(const std::vector<int>& cols, int row) const {
        std::string all;
        for (int c : cols) all += g_.textAt(c, row);
        return !text::trimSpaces(removeAll(std::move(all), "0")).empty();
    }

    // Status flag in B and first-error reference (a formula) in C of the summary row
    // on the last sheet.
    void writeSummary(int summaryRow, const std::string& checkedSheetName) {
        g_.setSheet(g_.sheetCount());
        g_.setPosition(2, summaryRow);
        g_.setText(firstError_.empty() ? "1" : "0");
        g_.setPosition(3, summaryRow);
        g_.setFormula(firstError_.empty() ? std::string{}
                                          : "'" + checkedSheetName + "'!" + firstError_);
    }

private:
    grid::Spread& g_;
    std::map<int, std::string> messages_;
    std::string firstError_;
};

std::map<int, std::string> readMessages(grid::Spread& g, const std::vector<int>& rows) {
    g.setSheet(g.sheetCount());
    std::map<int, std::string> messages;
    const int colE = g.colNumber("E");
    for (int r : rows) messages[r] = g.textAt(colE, r);
    return messages;
}

// The normal colour of a checked cell, as the window's validation table on the last
// sheet records it (the colour of C in the row that refers to the cell); white
// when no row does.
grid::Colour normalColourOf(grid::Spread& g, const std::string& cell) {
    g.setSheet(g.sheetCount());
    const int colC = g.colNumber("C");
    const std::string suffix = "!" + cell;
    for (int r = 12; r <= g.maxRows(); ++r) {
        g.setPosition(colC, r);
        const std::string reference = g.formula();
        if (reference.size() >= suffix.size() &&
            reference.compare(reference.size() - suffix.size(), suffix.size(), suffix) == 0)
            return g.backColor();
    }
    return grid::kWhite;
}

std::vector<int> columns(grid::Spread& g, std::initializer_list<const char*> letters) {
    std::vector<int> out;
    for (const char* l : letters) out.push_back(g.colNumber(l));
    return out;
}

// Rows of a list from its first row up to (not including) the end-marker row, or the
// sheet's last row when no marker follows.
std::vector<int> listRows(grid::Spread& g, int firstRow, int markerCol) {
    std::vector<int> rows;
    for (int r = firstRow; r <= g.maxRows() && g.textAt(markerCol, r) != "aa"; ++r)
        rows.push_back(r);
    return rows;
}

// Tells which values of a list occur more than once. The check has always been a
// search for ":value:" in the list's values joined as ":v1::v2:...", once the first
// hit was taken out; without a colon in any value that is exactly "two or more
// rows hold the value", so a count answers it in one pass. Values with colons keep
// the text search, whose matches can straddle two values.
class DuplicateValues {
public:
    void add(std::string value) {
        if (value.find(':') != std::string::npos) colons_ = true;
        joined_ += ":" + value + ":";
        ++counts_[std::move(value)];
    }
    bool occursTwice(const std::string& value) const {
        if (colons_) {
            const std::string key = ":" + value + ":";
            std::string rest = joined_;
            const std::size_t pos = rest.find(key);
            if (pos != std::string::npos) rest.erase(pos, key.size());
            return rest.find(key) != std::string::npos;
        }
        const auto it = counts_.find(value);
        return it != counts_.end() && it->second > 1;
    }

private:
    std::unordered_map<std::string, int> counts_;
    std::string joined_;
    bool colons_ = false;
};

}  // namespace

bool clsZEVO::childUnder(const xml::Node& parent, const std::string& childText) const {
    if (parent.isNull() || childText.empty()) return true;
    for (const xml::Node& item : parent.childElements())
        if (GetAttributeValue(item, "value") == childText) return true;
    return false;
}

std::pair<bool, bool> clsZEVO::outsideParents(const xml::DocumentPtr& location,
                                              const std::string& province,
                                              const std::string& district,
                                              const std::string& ward) {
    const xml::Node provinceItem = getNodeByValue(1, province, location);
    if (!province.empty() && !childUnder(provinceItem, district)) return {true, false};
    if (district.empty()) return {false, false};
    return {false, !childUnder(getNodeByValue(2, district, location, provinceItem), ward)};
}

void clsZEVO::finish() {
    grid::Spread& g = grid();
    grid::GridStateGuard eventsOff(g, grid::GridStateGuard::Events::Off, grid::GridStateGuard::Cell::Moved);
    setCurrentSheetNumber(1);
    CheckRun run(g, readMessages(g, {13, 14, 15, 17, 18, 19, 20, 21, 22, 23, 42, 43, 48, 49}));

    // The organisation's tax code is an input cell: cleared, it takes its tint back.
    const grid::Colour taxCodeColour = normalColourOf(g, "K9");
    g.setSheet(1);
    bool valid = true;
    CheckTaxCodeCell(g, 1, colOf("K"), 9, valid);
    run.markOrClear(!valid, colOf("K"), 9, 42, taxCodeColour);

    // A changed department keeps the office chosen before (it is looked up again
    // over the whole level), but that office must belong to the new department.
    // Only marked: the window's own check clears this pick cell to its colour.
    const xml::DocumentPtr taxOffice = getXMLTaxoffice();
    const xml::DocumentPtr location = getXMLLocation();
    const int colL = colOf("L");
    const std::string department = run.trimmed(colL, 13);
    if (!department.empty() &&
        !childUnder(getNodeByValue(1, departmentValue(department), taxOffice),
                    run.trimmed(colL, 15)))
        run.mark(colL, 15, 48);

    const int colG = colOf("G"), colK = colOf("K"), colR = colOf("R"), colT = colOf("T"),
              colW = colOf("W");
    const std::vector<int> rows = listRows(g, 38, colOf("D"));
    DuplicateValues allT, allW;
    for (int r : rows) {
        allT.add(run.trimmed(colT, r));
        allW.add(run.trimmed(colW, r));
    }

    const std::vector<int> contentCols =
        columns(g, {"G", "K", "N", "Q", "S", "T", "U", "V", "W", "X", "Y", "Z", "AB", "AD", "AF",
                    "AH", "AI", "AK", "AM", "AO", "AP", "AQ", "AU"});
    const std::pair<const char*, int> required[] = {{"K", 15},  {"Q", 17},  {"S", 18},
                                                    {"AH", 21}, {"AK", 22}, {"AM", 22},
                                                    {"AO", 22}, {"AI", 22}};
    struct Address {
        int province, district, ward;
    };
    const Address addresses[] = {{colOf("AB"), colOf("AD"), colOf("AF")},
                                 {colOf("AK"), colOf("AM"), colOf("AO")}};
    int filled = 0;
    for (int r : rows) {
        g.setSheet(1);
        if (!run.trimmed(colK, r).empty()) ++filled;
        const bool content = run.hasContent(contentCols, r);

        CheckTaxCodeCell(g, 1, colG, r, valid);
        run.markOrClear(content && !valid, colG, r, 42);

        for (const auto& [column, message] : required) {
            const int c = colOf(column);
            run.markOrClear(content && run.trimmed(c, r).empty(), c, r, message);
        }

        // Vietnamese nationals are identified by T, everyone else by W.
        const std::string t = run.trimmed(colT, r);
        const std::string w = run.trimmed(colW, r);
        if (run.trimmed(colR, r) == "00") {
            run.markOrClear(content && t.empty(), colT, r, 19);
            run.clear(colW, r);
        } else {
            run.markOrClear(content && w.empty(), colW, r, 20);
            run.clear(colT, r);
        }
        if (content && !t.empty()) run.markOrClear(allT.occursTwice(t), colT, r, 13);
        if (content && !w.empty()) run.markOrClear(allW.occursTwice(w), colW, r, 14);
        // The citizen identity card (12 digits) replaced the identity card (9 digits).
        if (!t.empty() && charCount(run.text(colT, r)) != 9 && charCount(run.text(colT, r)) != 12)
            run.mark(colT, r, 43);

        // Districts and wards keep their text when the province or district above
        // them changes; one that no longer belongs there is marked.
        for (const auto& [province, district, ward] : addresses) {
            const auto [districtOutside, wardOutside] =
                outsideParents(location, run.trimmed(province, r), run.trimmed(district, r),
                               run.trimmed(ward, r));
            // The current address is required: its check above cleared a filled cell.
            const bool required = district == colOf("AM");
            if (content && districtOutside) run.mark(district, r, 49);
            else if (!required) run.clear(district, r);
            if (content && wardOutside) run.mark(ward, r, 49);
            else if (!required) run.clear(ward, r);
        }
    }

    g.setSheet(1);
    g.setPosition(colOf("Q"), 19);
    g.setText(std::to_string(filled));
    run.writeSummary(15, g.sheetName());
    g.setSheet(currentSheetNumber());
}

void clsZEVO::finish2() {
    grid::Spread& g = grid();
    grid::GridStateGuard eventsOff(g, grid::GridStateGuard::Events::Off, grid::GridStateGuard::Cell::Moved);
    setCurrentSheetNumber(g.sheet());
    std::vector<int> messageRows{24, 25};
    for (int r = 27; r <= 41; ++r) messageRows.push_back(r);
    CheckRun run(g, readMessages(g, messageRows));

    g.setSheet(2);
    const std::vector<int> contentCols = columns(
        g, {"C",  "D",  "E",  "F",  "G",  "I",  "K",  "L",  "M",  "N",  "P",  "R",  "S",  "T",
            "U",  "V",  "W",  "X",  "Y",  "Z",  "AA", "AC", "AE", "AG", "AH", "AI", "AJ", "AK",
            "AL", "AM", "AN", "AO", "AP", "AQ", "AR", "AS", "AU", "AW", "AY", "BA", "BC", "BE",
            "BG", "BI", "BK", "BM", "BO", "BQ", "BS", "BU", "BV", "BW", "BX", "BY", "BZ", "CA",
            "CC", "CE", "CF", "CG", "CH", "CI", "CK", "CM", "CO", "CQ", "CS", "CU", "CW", "CY",
            "DA", "DC", "DE", "DG", "DI", "DK", "DM", "DO", "DQ", "DR", "DS", "DT", "DU", "DW",
            "DY", "EA", "EC", "EE", "EF", "EG", "EH", "EI", "EJ", "EL", "EN", "EP", "ER", "ET",
            "EU", "EV", "EX", "EZ", "FB", "FD", "FF", "FG"});
    const std::pair<const char*, int> required[] = {
        {"C", 24},  {"E", 25},  {"G", 27},  {"I", 27},  {"K", 27},  {"N", 28},  {"P", 28}, {"R", 28},
        {"AG", 31}, {"BW", 32}, {"BX", 33}, {"EG", 36}, {"EH", 37}, {"EI", 38}, {"EJ", 39}};
    struct Pair {
        const char* filled;
        const char* partner;
        int message;
    };
    const Pair pairs[] = {{"V", "W", 34}, {"W", "V", 29}, {"Y", "Z", 35}, {"Z", "Y", 30}};
    const std::vector<int> choices =
        columns(g, {"CN", "CP", "CR", "CT", "CV", "CX", "CZ", "DB", "DD"});
    const std::vector<int> choiceMarks =
        columns(g, {"CO", "CQ", "CS", "CU", "CW", "CY", "DA", "DC", "DE"});
    const int colBW = colOf("BW"), colBX = colOf("BX");

    for (int r : listRows(g, 5, colOf("B"))) {
        const bool content = run.hasContent(contentCols, r);
        for (const auto& [column, message] : required) {
            const int c = colOf(column);
            run.markOrClear(content && run.trimmed(c, r).empty(), c, r, message);
        }
        for (const Pair& p : pairs) {
            if (run.trimmed(colOf(p.filled), r).empty()) continue;
            const int partner = colOf(p.partner);
            run.markOrClear(run.trimmed(partner, r).empty(), partner, r, p.message);
        }

        for (int c : choiceMarks) run.clear(c, r);
        bool noneChosen = true;
        for (int c : choices) {
            const std::string v = run.trimmed(c, r);
            if (!v.empty() && v != "N") noneChosen = false;
        }
        if (content && noneChosen)
            for (int c : choiceMarks) run.mark(c, r, 40);

        const std::string bw = run.trimmed(colBW, r);
        const std::string bx = run.trimmed(colBX, r);
        if (!bw.empty() && !bx.empty()) {
            std::string bwText = bw + "/2000", bxText = bx + "/2000";
            const auto from = ParseDateText(bwText, "DD/MM/YYYY");
            const auto to = ParseDateText(bxText, "DD/MM/YYYY");
            // A text that is no date sorts before every date.
            const bool later = from && (!to || *from > *to);
            run.markOrClear(later, colBW, r, 41);
        }
    }

    g.setSheet(2);
    run.writeSummary(24, g.sheetName());
    g.setSheet(currentSheetNumber());
}

}  // namespace zevo::rules
