// Prints how fast formulas parse, evaluate and shift. Run by hand:
//   bench_formula [repetitions]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "zevo/grid/formula/Expression.h"
#include "zevo/grid/formula/Utf8Text.h"

using namespace zevo::grid::formula;

namespace {

// Two sheets of plain values in dense arrays: the cost measured is the engine's.
class ArrayContext : public EvalContext {
public:
    static constexpr int kRows = 5000, kCols = 20;
    ArrayContext() : cells_(2 * kRows * kCols) {
        for (int s = 0; s < 2; ++s)
            for (int r = 1; r <= kRows; ++r)
                for (int c = 1; c <= kCols; ++c) {
                    Value& v = cells_[index(s, c, r)];
                    if (c % 3 == 0) v = Value::string("Mã số " + std::to_string(r));
                    else if (c % 3 == 1) v = Value::number(r * 1.5 + c);
                }
    }
    int currentSheet() const override { return 0; }
    int findSheet(std::string_view name) const override {
        if (equalsIgnoreCase(name, "Tờ khai")) return 0;
        if (equalsIgnoreCase(name, "PL01")) return 1;
        return -1;
    }
    Value cellValue(int sheet, int col, int row) override {
        if (col > kCols || row > kRows) return {};
        return cells_[index(sheet, col, row)];
    }
    int lastRow(int) const override { return kRows; }
    int lastCol(int) const override { return kCols; }

private:
    static std::size_t index(int s, int c, int r) {
        return (static_cast<std::size_t>(s) * kRows + (r - 1)) * kCols + (c - 1);
    }
    std::vector<Value> cells_;
};

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    int reps = argc > 1 ? std::atoi(argv[1]) : 20000;
    const std::vector<std::string> checks = {
        "IF(AND(LEN(TRIM('Tờ khai'!C9))>0,ISNUMBER(VALUE(MID('Tờ khai'!C9,2,3)))),1,0)",
        "IF(OR('Tờ khai'!A12=\"\",COUNTIF(PL01!C1:C200,\"Mã*\")>0),1,0)",
        "IF(SUM(PL01!A1:A100)-'Tờ khai'!D7*2<=0,1,0)",
        "IF(ISBLANK(K9),1,IF(LEFT(C12,2)=\"Mã\",1,0))",
    };
    ArrayContext ctx;

    auto t0 = std::chrono::steady_clock::now();
    std::size_t sink = 0;
    for (int i = 0; i < reps; ++i) sink += Expression::parse(checks[i % checks.size()]).isValid();
    double parse = seconds(t0);

    std::vector<Expression> parsed;
    for (const auto& c : checks) parsed.push_back(Expression::parse(c));
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < reps; ++i) sink += evaluate(parsed[i % parsed.size()], ctx).isNumber();
    double eval = seconds(t0);

    Expression counta = Expression::parse("COUNTA(A1:A5000)+COUNTIF(C1:C5000,\"<>\")");
    int rangeReps = reps / 100 + 1;
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < rangeReps; ++i) sink += evaluate(counta, ctx).isNumber();
    double range = seconds(t0);

    // Inserting one row under 2,000 formulas that each read a few cells.
    std::vector<Expression> sheetFormulas;
    for (int r = 1; r <= 2000; ++r)
        sheetFormulas.push_back(Expression::parse("IF(A" + std::to_string(r) + ">0,SUM(B" +
                                                  std::to_string(r) + ":F" + std::to_string(r) +
                                                  "),'Tờ khai'!C" + std::to_string(r) + ")"));
    t0 = std::chrono::steady_clock::now();
    for (auto& f : sheetFormulas) sink += f.shiftRows("Tờ khai", "Tờ khai", 1000, 1);
    double shift = seconds(t0);

    std::printf("parse:     %8.2f us per check formula (%d formulas)\n", parse / reps * 1e6, reps);
    std::printf("evaluate:  %8.2f us per check formula (parsed once)\n", eval / reps * 1e6);
    std::printf("ranges:    %8.2f ms per COUNTA+COUNTIF over 2 x 5000 cells\n",
                range / rangeReps * 1e3);
    std::printf("shift:     %8.2f ms to shift 2000 formulas for one inserted row\n", shift * 1e3);
    return sink == 0 ? 1 : 0;
}
