// Following rows through insertions and deletions, and copying formulas.
#include <gtest/gtest.h>

#include "MapContext.h"

namespace zevo::grid::formula {
namespace {

// The formula text after shifting rows on `changed`, for a formula on "Own".
std::string shifted(const std::string& text, const std::string& changed, int atRow, int delta,
                    bool* changedFlag = nullptr) {
    Expression e = Expression::parse(text);
    EXPECT_TRUE(e.isValid()) << text;
    bool c = e.shiftRows("Own", changed, atRow, delta);
    if (changedFlag) *changedFlag = c;
    return e.toText();
}

TEST(FormulaShift, InsertedRowsMoveReferencesAtOrBelowThePoint) {
    bool changed = false;
    EXPECT_EQ(shifted("A4+$B$5+C$6+$D7", "Own", 5, 2, &changed), "A4+$B$7+C$8+$D9");
    EXPECT_TRUE(changed);
    EXPECT_EQ(shifted("A4+B4", "Own", 5, 3, &changed), "A4+B4");
    EXPECT_FALSE(changed);
    // Ranges spanning the point grow; ranges starting at it move whole.
    EXPECT_EQ(shifted("SUM(A3:A8)", "Own", 5, 2), "SUM(A3:A10)");
    EXPECT_EQ(shifted("SUM(A5:A8)", "Own", 5, 2), "SUM(A7:A10)");
    EXPECT_EQ(shifted("SUM(A1:A4)", "Own", 5, 2), "SUM(A1:A4)");
    EXPECT_EQ(shifted("SUM(A1:B4)", "Own", 4, 1), "SUM(A1:B5)");
}

TEST(FormulaShift, OnlyReferencesIntoTheChangedSheetMove) {
    // Unqualified references belong to the formula's own sheet.
    EXPECT_EQ(shifted("A9+Other!A9", "Other", 2, 1), "A9+Other!A10");
    EXPECT_EQ(shifted("A9+Other!A9", "own", 2, 1), "A10+Other!A9");   // names ignore case
    EXPECT_EQ(shifted("'Tờ khai'!K9+K9", "TỜ KHAI", 9, 1), "'Tờ khai'!K10+K9");
    EXPECT_EQ(shifted("Own!A9+A9", "Own", 2, 1), "Own!A10+A10");
    bool changed = true;
    EXPECT_EQ(shifted("Other!A9", "Third", 1, 5, &changed), "Other!A9");
    EXPECT_FALSE(changed);
}

TEST(FormulaShift, DeletedRowsTurnReferencesIntoRefErrors) {
    // Rows 5..6 go.
    EXPECT_EQ(shifted("A4+A5+A6+A7+$A$9", "Own", 5, -2), "A4+#REF!+#REF!+A5+$A$7");
    EXPECT_EQ(shifted("SUM(A5:B6)", "Own", 5, -2), "SUM(#REF!)");
    EXPECT_EQ(shifted("SUM(A3:A8)", "Own", 5, -2), "SUM(A3:A6)");    // shrinks
    EXPECT_EQ(shifted("SUM(A5:A8)", "Own", 5, -2), "SUM(A5:A6)");    // top edge deleted
    EXPECT_EQ(shifted("SUM(A2:A5)", "Own", 5, -2), "SUM(A2:A4)");    // bottom edge deleted
    EXPECT_EQ(shifted("SUM(A7:A9)", "Own", 5, -2), "SUM(A5:A7)");
    EXPECT_EQ(shifted("SUM(A1:A4)", "Own", 5, -2), "SUM(A1:A4)");

    // The result still parses, evaluates to #REF! and reads nothing deleted.
    Expression e = Expression::parse("IF(ISERROR(A5),1,A5)+Other!B2");
    EXPECT_TRUE(e.shiftRows("Own", "Own", 5, -1));
    EXPECT_EQ(e.toText(), "IF(ISERROR(#REF!),1,#REF!)+Other!B2");
    ASSERT_EQ(e.references().size(), 1u);
    EXPECT_EQ(e.references()[0].sheet, "Other");
    EXPECT_TRUE(Expression::parse(e.toText()) == e);
    test::MapContext ctx({"Own", "Other"});
    EXPECT_EQ(evaluate(Expression::parse("SUM(A5:A6)+1"), ctx), test::num(1));
    Expression gone = Expression::parse("SUM(A5:A6)+1");
    gone.shiftRows("Own", "Own", 5, -2);
    EXPECT_EQ(evaluate(gone, ctx), test::err(ErrorCode::Ref));
}

TEST(FormulaShift, InsertThenDeleteRestoresTheFormula) {
    const std::string text = "SUM($A$2:B20)+'Tờ khai'!C7*Own!D3-E30";
    Expression e = Expression::parse(text);
    EXPECT_TRUE(e.shiftRows("Own", "own", 10, 4));
    EXPECT_EQ(e.toText(), "SUM($A$2:B24)+'Tờ khai'!C7*Own!D3-E34");
    EXPECT_TRUE(e.shiftRows("Own", "Own", 10, -4));
    EXPECT_TRUE(e == Expression::parse(text));
}

TEST(FormulaShift, RowsPushedOffTheGridBecomeRefErrors) {
    EXPECT_EQ(shifted("A1048576+A1", "Own", 2, 1), "#REF!+A1");
    EXPECT_EQ(shifted("SUM(A10:A1048576)", "Own", 20, 5), "SUM(A10:A1048576)");
}

TEST(FormulaShift, ShiftingACopyLeavesTheOriginalAlone) {
    // Copies share their tree; a shift must rebuild, never edit in place.
    Expression original = Expression::parse("SUM(A1:A9)+IF(B5>0,C5,D2)");
    Expression copy = original;
    ASSERT_TRUE(copy.shiftRows("Own", "Own", 3, 2));
    EXPECT_EQ(copy.toText(), "SUM(A1:A11)+IF(B7>0,C7,D2)");
    EXPECT_EQ(original.toText(), "SUM(A1:A9)+IF(B5>0,C5,D2)");
    Expression moved = original.offset(1, 0);
    ASSERT_TRUE(moved.shiftRows("Own", "Own", 1, -1));
    EXPECT_EQ(moved.toText(), "SUM(A1:A9)+IF(B5>0,C5,D2)");
    EXPECT_EQ(original.toText(), "SUM(A1:A9)+IF(B5>0,C5,D2)");
}

TEST(FormulaShift, UnparsedFormulasAreLeftAlone) {
    Expression bad = Expression::parse("SUM(A1");
    EXPECT_FALSE(bad.shiftRows("Own", "Own", 1, 3));
    EXPECT_EQ(bad.toText(), "SUM(A1");
}

TEST(FormulaOffset, RelativePartsMoveAndAbsolutePartsStay) {
    Expression e = Expression::parse("A1+$B2+C$3+$D$4+SUM(E5:$F$6)+Other!G7");
    EXPECT_EQ(e.offset(2, 1).toText(), "B3+$B4+D$3+$D$4+SUM(F$6:$F7)+Other!H9");
    // The original is untouched: copies share nothing mutable.
    EXPECT_EQ(e.toText(), "A1+$B2+C$3+$D$4+SUM(E5:$F$6)+Other!G7");
    EXPECT_EQ(e.offset(0, 0).toText(), e.toText());
    EXPECT_EQ(Expression::parse("A5+B1").offset(-4, 0).toText(), "A1+#REF!");
    EXPECT_EQ(Expression::parse("B1").offset(0, -2).toText(), "#REF!");
    EXPECT_EQ(Expression::parse("SUM(A2:A9)").offset(-3, 0).toText(), "SUM(#REF!)");
    EXPECT_EQ(Expression::parse("XFD1").offset(0, 1).toText(), "#REF!");
    EXPECT_EQ(Expression::parse("$A$1").offset(-5, -5).toText(), "$A$1");
}

}  // namespace
}  // namespace zevo::grid::formula
