#include "zevo/engine/ProblemList.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "zevo/ErrorLog.h"
#include "zevo/Text.h"
#include "zevo/sheetdocs/MarkingColours.h"

namespace zevo::engine {

namespace {

bool before(const Problem& a, const Problem& b) {
    if (a.sheet != b.sheet) return a.sheet < b.sheet;
    if (a.row != b.row) return a.row < b.row;
    return a.col < b.col;
}

// The note as one line: its lines joined, trailing blanks gone.
std::string oneLine(const std::string& note) {
    std::string out;
    std::string line;
    auto flush = [&] {
        const std::string t = text::trimBlanks(line);
        if (!t.empty()) out += (out.empty() ? "" : " / ") + t;
        line.clear();
    };
    for (char c : note) {
        if (c == '\r') continue;
        if (c == '\n') flush();
        else line.push_back(c);
    }
    flush();
    return out;
}

}  // namespace

ProblemList::ProblemList(grid::SpreadModel& grid, const DeclarationSession& session)
    : grid_(grid), session_(session) {
    grid_.addListener(this);
}

ProblemList::~ProblemList() { grid_.removeListener(this); }

void ProblemList::scanRows(int sheet, int first, int last, std::vector<Problem>& out) const {
    if (sheet < 1 || sheet >= grid_.sheetCount() || !grid_.sheetVisibleOf(sheet)) return;
    first = std::max(first, 1);
    last = std::min(last, grid_.maxRowsOf(sheet));
    const int cols = grid_.maxColsOf(sheet);
    const std::string sheetName = grid_.sheetNameOf(sheet);
    grid_.forEachNote(sheet, first, last, cols, [&](int c, int r, const std::string& note) {
        // Notes of the template (help texts) carry no marking colour.
        const std::optional<grid::Colour> fill = grid_.formatOf(sheet, c, r).fill;
        if (!fill || !sheetdocs::isMarkedColour(*fill)) return;
        std::string line = oneLine(note);
        if (line.empty()) return;
        Problem p;
        p.severity = *fill == sheetdocs::kErrorColour ? Problem::Severity::Error : Problem::Severity::Warning;
        const std::string letters = grid_.colLetters(c);
        p.fromLoad =
            session_.colourRestore.contains(ColourRestoreRecord::key(sheet, letters + "_" + std::to_string(r)));
        p.sheet = sheet;
        p.col = c;
        p.row = r;
        p.sheetName = sheetName;
        p.cell = letters + std::to_string(r);
        p.note = std::move(line);
        out.push_back(std::move(p));
    });
}

void ProblemList::rebuild() {
    recheckWanted_ = false;
    try {
        std::vector<Problem> fresh;
        for (int s = 1; s < grid_.sheetCount(); ++s) scanRows(s, 1, grid_.maxRowsOf(s), fresh);
        if (fresh != problems_) {
            problems_ = std::move(fresh);
            ++revision_;
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", "ProblemList.rebuild", e);
    }
}

void ProblemList::replaceRows(int sheet, int first, int last, std::vector<Problem> fresh) {
    auto inRange = [&](const Problem& p) { return p.sheet == sheet && p.row >= first && p.row <= last; };
    const auto begin = std::find_if(problems_.begin(), problems_.end(), inRange);
    auto end = begin;
    while (end != problems_.end() && inRange(*end)) ++end;
    if (std::equal(begin, end, fresh.begin(), fresh.end())) return;
    problems_.erase(begin, end);
    Problem probe;
    probe.sheet = sheet;
    probe.row = first;
    const auto pos = std::lower_bound(problems_.begin(), problems_.end(), probe, before);
    problems_.insert(pos, std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
    ++revision_;
}

void ProblemList::refreshRows(int sheet, int first, int last) {
    try {
        std::vector<Problem> fresh;
        scanRows(sheet, first, last, fresh);
        replaceRows(sheet, first, last, std::move(fresh));
    } catch (const std::exception& e) {
        WriteErrorLog("mainForm", "ProblemList.refreshRows", e);
    }
}

void ProblemList::refreshSheet(int sheet) {
    if (sheet < 1 || sheet > grid_.sheetCount()) return;
    // Rows past the sheet's end (after F6) must go as well.
    int last = grid_.maxRowsOf(sheet);
    for (const Problem& p : problems_)
        if (p.sheet == sheet) last = std::max(last, p.row);
    refreshRows(sheet, 1, last);
}

void ProblemList::clear() {
    recheckWanted_ = false;
    if (problems_.empty()) return;
    problems_.clear();
    ++revision_;
}

std::size_t ProblemList::errorCount() const {
    return static_cast<std::size_t>(std::count_if(problems_.begin(), problems_.end(), [](const Problem& p) {
        return p.severity == Problem::Severity::Error;
    }));
}

bool ProblemList::hasCheckMarks(int sheet, int first, int last) const {
    return std::any_of(problems_.begin(), problems_.end(), [&](const Problem& p) {
        return p.sheet == sheet && p.row >= first && p.row <= last && !p.fromLoad;
    });
}

void ProblemList::Change(int col, int row) {
    if (session_.startUp) return;
    const int sheet = session_.currentSheet;
    grid::CellSpan span;
    int first = row, last = row;
    if (grid_.spanOf(sheet, col, row, span) && span.anchorRow > 0) {
        first = span.anchorRow;
        last = span.anchorRow + std::max(span.rows, 1) - 1;
    }
    if (hasCheckMarks(sheet, first, last)) recheckWanted_ = true;
    refreshRows(sheet, first, last);
}

void ProblemList::KeyUp(int keyCode, int shift) {
    if (session_.startUp) return;
    if (keyCode != grid::keys::kF5 && keyCode != grid::keys::kF6 && keyCode != grid::keys::kDelete)
        return;
    const int sheet = session_.currentSheet;
    if (hasCheckMarks(sheet, 1, grid_.maxRowsOf(sheet) + 1000000)) recheckWanted_ = true;
    refreshSheet(sheet);
}

}  // namespace zevo::engine
