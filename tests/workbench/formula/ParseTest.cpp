// Parsing, canonical text and the references a formula reads.
#include <gtest/gtest.h>

#include "MapContext.h"

namespace zevo::grid::formula {
namespace {

using test::err;

TEST(FormulaParse, CanonicalTextRoundTrips) {
    struct Case {
        const char* input;
        const char* canonical;
    };
    const Case cases[] = {
        {"1+2*3", "1+2*3"},
        {" sum( A1 , $B$2:c$7 ) ", "SUM(A1,$B$2:C$7)"},
        {"=if(a1>=0,\"yes\",\"say \"\"no\"\"\")", "IF(A1>=0,\"yes\",\"say \"\"no\"\"\")"},
        {"-(A1+B1)%&\"x\"", "-(A1+B1)%&\"x\""},
        {"2^-1", "2^-1"},
        {"1.5E+3+.5", "1500+0.5"},
        {"1E+21", "1E+21"},
        {"true<>false", "TRUE<>FALSE"},
        {"#ref!+#N/A", "#REF!+#N/A"},
        {"IF(A1,,1)", "IF(A1,,1)"},
        {"NOW()", "NOW()"},   // unknown functions keep their text
        {"Sheet2!A1+sheet2!$XFD$1048576", "Sheet2!A1+sheet2!$XFD$1048576"},
        {"'Tờ khai 01'!K9", "'Tờ khai 01'!K9"},
        {"'O''Brien'!A1:B2", "'O''Brien'!A1:B2"},
        {"'Plain'!A1", "Plain!A1"},
        {"'A1'!B2+'TRUE'!C3+'2020'!D4", "'A1'!B2+'TRUE'!C3+'2020'!D4"},
        {"Data!B5:A1", "Data!A1:B5"},                // ranges are stored top-left first
        {"Data!A1:Data!B2", "Data!A1:B2"},
        {"A$5:$B1", "A1:$B$5"},                  // each coordinate keeps its $
    };
    for (const Case& c : cases) {
        Expression e = Expression::parse(c.input);
        ASSERT_TRUE(e.isValid()) << c.input << ": " << e.parseError();
        EXPECT_EQ(e.toText(), c.canonical) << c.input;
        Expression again = Expression::parse(e.toText());
        EXPECT_TRUE(again == e) << c.input;
        EXPECT_EQ(again.toText(), e.toText());
    }
}

TEST(FormulaParse, PrecedenceFollowsSpreadsheets) {
    test::MapContext ctx;
    EXPECT_EQ(ctx.eval("-2^2"), test::num(4));          // negation before power
    EXPECT_EQ(ctx.eval("2^3^2"), test::num(64));        // power is left-associative
    EXPECT_EQ(ctx.eval("1+2*3-4/2"), test::num(5));
    EXPECT_EQ(ctx.eval("1+2&3"), test::str("33"));      // & below arithmetic
    EXPECT_EQ(ctx.eval("1&2=\"12\""), test::boolean(true));  // comparison lowest
    EXPECT_EQ(ctx.eval("50%*2"), test::num(1));
    EXPECT_EQ(ctx.eval("(1+2)*3"), test::num(9));
}

TEST(FormulaParse, BadTextIsKeptAndEvaluatesToName) {
    for (const char* bad : {"1+", "SUM(A1", "\"open", "A1:", "'Sheet!A1", "foo+1", "1 2", "A0",
                            "XFE1", "A1048577", "1E+999", "#BOGUS", "Sheet1!", "'x'!A1:'y'!B2", ")"}) {
        Expression e = Expression::parse(bad);
        EXPECT_FALSE(e.isValid()) << bad;
        EXPECT_FALSE(e.parseError().empty()) << bad;
        EXPECT_EQ(e.toText(), bad);
        test::MapContext ctx;
        EXPECT_EQ(evaluate(e, ctx), err(ErrorCode::Name)) << bad;
        EXPECT_TRUE(e.references().empty());
    }
    // Pathological nesting is refused, not a stack overflow.
    std::string deep(100000, '(');
    EXPECT_FALSE(Expression::parse(deep + "1" + std::string(100000, ')')).isValid());
    EXPECT_FALSE(Expression::parse(std::string(100000, '-') + "1").isValid());
    std::string chain = "1";
    for (int i = 0; i < 100000; ++i) chain += "+1";
    EXPECT_FALSE(Expression::parse(chain).isValid());
    // Long but sensible sums still work.
    std::string sum = "A1";
    for (int r = 2; r <= 500; ++r) sum += "+A" + std::to_string(r);
    Expression e = Expression::parse(sum);
    ASSERT_TRUE(e.isValid());
    test::MapContext ctx;
    ctx.setNumber("A500", 2);
    ctx.setNumber("A1", 1);
    EXPECT_EQ(evaluate(e, ctx), test::num(3));
    EXPECT_EQ(e.references().size(), 500u);
}

TEST(FormulaParse, ReferencesListEveryCellAndRangeWithItsSheet) {
    Expression e = Expression::parse("IF(A1>0,SUM('Tờ khai'!$B$2:C5),Header!D7)+A1");
    auto refs = e.references();
    ASSERT_EQ(refs.size(), 4u);
    EXPECT_EQ(refs[0].sheet, "");
    EXPECT_EQ(refs[0].first, (CellRef{1, 1, false, false}));
    EXPECT_FALSE(refs[0].isRange);
    EXPECT_EQ(refs[1].sheet, "Tờ khai");
    EXPECT_TRUE(refs[1].isRange);
    EXPECT_EQ(refs[1].first, (CellRef{2, 2, true, true}));
    EXPECT_EQ(refs[1].last, (CellRef{3, 5, false, false}));
    EXPECT_TRUE(refs[1].contains(3, 4));
    EXPECT_FALSE(refs[1].contains(4, 4));
    EXPECT_EQ(refs[2].sheet, "Header");
    EXPECT_EQ(refs[2].first.col, 4);
    EXPECT_EQ(refs[2].first.row, 7);
}

TEST(FormulaParse, EqualityIgnoresSpellingButNotContent) {
    EXPECT_TRUE(Expression::parse("sum(a1)") == Expression::parse("SUM(A1)"));
    EXPECT_TRUE(Expression::parse("'DATA'!A1") == Expression::parse("data!A1"));
    EXPECT_FALSE(Expression::parse("A1") == Expression::parse("$A1"));
    EXPECT_FALSE(Expression::parse("A1+B1") == Expression::parse("A1-B1"));
    EXPECT_FALSE(Expression::parse("\"a\"") == Expression::parse("\"A\""));
    EXPECT_FALSE(Expression::parse("(1)") == Expression::parse("1"));
}

}  // namespace
}  // namespace zevo::grid::formula
