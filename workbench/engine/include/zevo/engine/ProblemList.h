#pragma once
// Every marked cell of the input grid as one list: the failed rows of the
// validation table, the completion checks, the load-time marks and refused
// entries. The checks record their results as a note and a marking colour on the
// cell; the list is read from there, so it cannot disagree with what the grid
// shows. It is read whole after a check and row by row after an edit (the marks a
// user's edit can change are those of the rows it touched); F5 and F6 re-read the
// sheet whose rows moved.
#include <cstddef>
#include <string>
#include <vector>

#include "zevo/engine/DeclarationSession.h"
#include "zevo/grid/SpreadModel.h"

namespace zevo::engine {

struct Problem {
    enum class Severity { Error, Warning };
    Severity severity = Severity::Error;
    // A mark of the load check or of a refused entry: retyping the cell clears it.
    // Every other mark stays until the checks run again.
    bool fromLoad = false;
    int sheet = 0, col = 0, row = 0;
    std::string sheetName;   // the sheet's tab caption
    std::string cell;        // "G38"
    std::string note;        // the cell's note, its lines joined by " / "
    bool operator==(const Problem&) const = default;
};

class ProblemList : public grid::SpreadListener {
public:
    // Subscribes to the grid: edits re-read their rows, F5 and F6 their sheet.
    ProblemList(grid::SpreadModel& grid, const DeclarationSession& session);
    ~ProblemList() override;
    ProblemList(const ProblemList&) = delete;
    ProblemList& operator=(const ProblemList&) = delete;

    // Reads every marked cell of the visible input sheets (the last sheet, which
    // holds the check tables, is never marked).
    void rebuild();
    // Re-reads rows first..last of a sheet.
    void refreshRows(int sheet, int first, int last);
    void refreshSheet(int sheet);
    void clear();

    // Sorted by sheet, row and column.
    const std::vector<Problem>& problems() const { return problems_; }
    std::size_t errorCount() const;
    // Grows with every change of the list, so a view knows when to read it again.
    unsigned revision() const { return revision_; }

    // An edit touched a row (or F5/F6/Delete a sheet) that carried marks of the
    // checks: only running the checks again can tell whether they are fixed.
    bool recheckWanted() const { return recheckWanted_; }
    void setRecheckWanted(bool wanted) { recheckWanted_ = wanted; }

    // grid::SpreadListener
    void Change(int col, int row) override;
    void KeyUp(int keyCode, int shift) override;

private:
    void scanRows(int sheet, int first, int last, std::vector<Problem>& out) const;
    bool hasCheckMarks(int sheet, int first, int last) const;
    void replaceRows(int sheet, int first, int last, std::vector<Problem> fresh);

    grid::SpreadModel& grid_;
    const DeclarationSession& session_;
    std::vector<Problem> problems_;
    unsigned revision_ = 0;
    bool recheckWanted_ = false;
};

}  // namespace zevo::engine
