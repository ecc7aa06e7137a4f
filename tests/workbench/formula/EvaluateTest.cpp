// Operators, comparisons, conversions, references and error propagation.
#include <gtest/gtest.h>

#include "MapContext.h"

namespace zevo::grid::formula {
namespace {

using test::boolean;
using test::err;
using test::num;
using test::str;

TEST(FormulaEvaluate, ArithmeticConvertsOperandsLikeASpreadsheet) {
    test::MapContext ctx;
    ctx.setText("A1", "12");       // numeric text takes part in arithmetic
    ctx.setText("A2", "abc");
    ctx.set("A3", Value::boolean(true));
    EXPECT_EQ(ctx.eval("A1*2"), num(24));
    EXPECT_EQ(ctx.eval("A3+1"), num(2));
    EXPECT_EQ(ctx.eval("B9+1"), num(1));                 // blank cell is 0
    EXPECT_EQ(ctx.eval("\" 1,234.5 \"+0"), num(1234.5));
    EXPECT_EQ(ctx.eval("\"50%\"*1"), num(0.5));
    EXPECT_EQ(ctx.eval("A2+1"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("1/0"), err(ErrorCode::Div0));
    EXPECT_EQ(ctx.eval("B9/B8"), err(ErrorCode::Div0));
    EXPECT_EQ(ctx.eval("0^0"), err(ErrorCode::Num));
    EXPECT_EQ(ctx.eval("(-8)^0.5"), err(ErrorCode::Num));
    EXPECT_EQ(ctx.eval("10^400"), err(ErrorCode::Num));
    EXPECT_EQ(ctx.eval("-B9"), num(0));
    // Sums that cancel give exactly 0, as the displayed digits suggest.
    EXPECT_EQ(ctx.eval("0.1+0.2-0.3"), num(0));
    EXPECT_EQ(ctx.eval("1.1*3-3.3"), num(0));
}

TEST(FormulaEvaluate, ComparisonsFollowSpreadsheetOrdering) {
    test::MapContext ctx;
    ctx.setText("A1", "Mã Số");
    ctx.setNumber("A2", 5);
    ctx.setText("A3", "5");
    EXPECT_EQ(ctx.eval("A1=\"mã số\""), boolean(true));     // text equality ignores case
    EXPECT_EQ(ctx.eval("A1=\"MÃ SỐ\""), boolean(true));
    EXPECT_EQ(ctx.eval("A2=A3"), boolean(false));           // number never equals text
    EXPECT_EQ(ctx.eval("A3>A2"), boolean(true));            // text sorts after numbers
    EXPECT_EQ(ctx.eval("TRUE>\"zzz\""), boolean(true));     // booleans after text
    EXPECT_EQ(ctx.eval("B1=0"), boolean(true));             // blank equals 0 ...
    EXPECT_EQ(ctx.eval("B1=\"\""), boolean(true));          // ... and "" ...
    EXPECT_EQ(ctx.eval("B1=FALSE"), boolean(true));         // ... and FALSE
    EXPECT_EQ(ctx.eval("B1<>A2"), boolean(true));
    EXPECT_EQ(ctx.eval("0.1+0.2=0.3"), boolean(true));
    EXPECT_EQ(ctx.eval("\"a\"<\"B\""), boolean(true));
    EXPECT_EQ(ctx.eval("2<=2"), boolean(true));
    EXPECT_EQ(ctx.eval("3>=4"), boolean(false));
}

TEST(FormulaEvaluate, ConcatenationShowsNumbersInGeneralFormat) {
    test::MapContext ctx;
    EXPECT_EQ(ctx.eval("1/3&\"\""), str("0.333333333333333"));
    EXPECT_EQ(ctx.eval("10^20&\"\""), str("1E+20"));
    EXPECT_EQ(ctx.eval("1234567890123456&\"\""), str("1.23456789012346E+15"));
    EXPECT_EQ(ctx.eval("123456789012345&\"\""), str("123456789012345"));
    EXPECT_EQ(ctx.eval("-2.50&\"\""), str("-2.5"));
    EXPECT_EQ(ctx.eval("0.0001&\"|\"&1E-10"), str("0.0001|1E-10"));
    EXPECT_EQ(ctx.eval("TRUE&B1&1"), str("TRUE1"));
}

TEST(FormulaEvaluate, ErrorsPropagateLeftFirst) {
    test::MapContext ctx;
    ctx.set("A1", Value::error(ErrorCode::NA));
    EXPECT_EQ(ctx.eval("A1+1/0"), err(ErrorCode::NA));
    EXPECT_EQ(ctx.eval("1/0+A1"), err(ErrorCode::Div0));
    EXPECT_EQ(ctx.eval("A1&\"x\""), err(ErrorCode::NA));
    EXPECT_EQ(ctx.eval("A1=A1"), err(ErrorCode::NA));
    EXPECT_EQ(ctx.eval("-A1%"), err(ErrorCode::NA));
    EXPECT_EQ(ctx.eval("LEN(A1)"), err(ErrorCode::NA));
    EXPECT_EQ(ctx.eval("NOSUCHFUNCTION(1)"), err(ErrorCode::Name));
    EXPECT_EQ(ctx.eval("LEN(1,2)"), err(ErrorCode::Value));   // wrong argument count
}

TEST(FormulaEvaluate, ReferencesReadTheRightSheetAndCell) {
    test::MapContext ctx({"Header", "Tờ khai 01", "O'Brien"});
    ctx.set(0, "B2", num(1));
    ctx.set(1, "K9", num(7));
    ctx.set(2, "A1", str("x"));
    EXPECT_EQ(ctx.eval("'Tờ khai 01'!K9*2"), num(14));
    EXPECT_EQ(ctx.eval("'TỜ KHAI 01'!K9"), num(7));        // sheet names ignore case
    EXPECT_EQ(ctx.eval("'O''Brien'!A1"), str("x"));
    EXPECT_EQ(ctx.eval("B2"), num(1));                      // own sheet
    EXPECT_EQ(ctx.eval("B2", 1), num(0));                   // blank on the other sheet shows 0
    EXPECT_EQ(ctx.eval("Missing!A1"), err(ErrorCode::Ref));
    EXPECT_EQ(ctx.eval("SUM(Missing!A1:A3)"), err(ErrorCode::Ref));
    EXPECT_EQ(ctx.eval("A1:A2"), err(ErrorCode::Value));    // a range where one value is wanted
    EXPECT_EQ(ctx.eval("(B2:B2)+1"), num(2));
}

TEST(FormulaEvaluate, FormulaCellsAreEvaluatedThroughTheContext) {
    test::MapContext ctx({"Sheet1", "Sheet2"});
    ctx.set(1, "A1", num(2));
    ctx.setFormula(0, "A1", "Sheet2!A1*10");
    ctx.setFormula(0, "A2", "A1+1");
    ctx.setFormula(0, "A3", "A4");      // a cycle through the context
    ctx.setFormula(0, "A4", "A3");
    EXPECT_EQ(ctx.eval("A2"), num(21));
    EXPECT_TRUE(ctx.eval("A3").isError());
}

TEST(FormulaEvaluate, ContextFailuresBecomeErrorValues) {
    struct Throwing : test::MapContext {
        Value cellValue(int, int, int) override { throw std::runtime_error("storage gone"); }
    } ctx;
    EXPECT_EQ(ctx.eval("A1+1"), err(ErrorCode::Value));
}

}  // namespace
}  // namespace zevo::grid::formula
