// Prints how the time to load, evaluate and re-evaluate a chain of formula cells
// grows with its length (each cell reads the one above). Run by hand:
//   bench_chain [longest rows [shortest rows]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "zevo/grid/SpreadModel.h"
#include "zevo/grid/WorkbookData.h"

using namespace zevo::grid;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Column A: 1, A1+1, A2+1, ...; column B: running sums of column A.
WorkbookData chain(int rows) {
    WorkbookData wb;
    SheetData s;
    s.name = "S";
    s.maxCol = 2;
    s.maxRow = rows;
    auto cell = [](int col, int row) {
        CellData c;
        c.col = col;
        c.row = row;
        return c;
    };
    CellData a1 = cell(1, 1);
    a1.type = CellValueType::Number;
    a1.number = 1;
    s.cells.push_back(a1);
    CellData b1 = a1;
    b1.col = 2;
    s.cells.push_back(b1);
    for (int r = 2; r <= rows; ++r) {
        CellData a = cell(1, r), b = cell(2, r);
        a.formula = "A" + std::to_string(r - 1) + "+1";
        b.formula = "B" + std::to_string(r - 1) + "+A" + std::to_string(r);
        s.cells.push_back(a);
        s.cells.push_back(b);
    }
    wb.sheets.push_back(s);
    return wb;
}

}  // namespace

int main(int argc, char** argv) {
    const int longest = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int shortest = argc > 2 ? std::atoi(argv[2]) : longest / 8;
    std::printf("%9s %10s %12s %14s %14s\n", "rows", "load s", "evaluate s", "write A1 s", "re-evaluate s");
    int bad = 0;
    for (int rows = shortest; rows <= longest; rows *= 2) {
        const WorkbookData wb = chain(rows);
        SpreadModel g;
        auto t0 = std::chrono::steady_clock::now();
        g.fromWorkbookData(wb);
        const double load = seconds(t0);
        t0 = std::chrono::steady_clock::now();
        const std::string first = g.textAt(2, rows);
        const double evaluate = seconds(t0);
        t0 = std::chrono::steady_clock::now();
        g.setPosition(1, 1, 1);
        g.setValue("2");
        const double write = seconds(t0);
        t0 = std::chrono::steady_clock::now();
        const std::string second = g.textAt(2, rows);
        const double again = seconds(t0);
        const long long n = rows;
        bad += first != std::to_string(n * (n + 1) / 2) || second != std::to_string(n * (n + 3) / 2 - 1);
        std::printf("%9d %10.3f %12.3f %14.3f %14.3f\n", rows, load, evaluate, write, again);
        std::fflush(stdout);
        if (rows == longest) break;
        if (rows * 2 > longest) rows = longest / 2;
    }
    if (bad) std::printf("WRONG RESULTS\n");
    return bad ? 1 : 0;
}
