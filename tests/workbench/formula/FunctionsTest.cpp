// The built-in functions, with the inputs that trip simple implementations.
#include <gtest/gtest.h>

#include "MapContext.h"

namespace zevo::grid::formula {
namespace {

using test::boolean;
using test::err;
using test::num;
using test::str;

TEST(FormulaFunctions, LogicalFunctionsEvaluateTheTakenBranchOnly) {
    test::MapContext ctx;
    ctx.setNumber("A1", 1);
    ctx.setText("A2", "x");
    ctx.set("A3", Value::error(ErrorCode::Div0));
    EXPECT_EQ(ctx.eval("IF(A1=1,\"one\",1/0)"), str("one"));   // the other branch never fails
    EXPECT_EQ(ctx.eval("IF(A1=2,1/0,\"no\")"), str("no"));
    EXPECT_EQ(ctx.eval("IF(0,1)"), boolean(false));
    EXPECT_EQ(ctx.eval("IF(1,,2)"), num(0));
    EXPECT_EQ(ctx.eval("IF(\"true\",1,2)"), num(1));
    EXPECT_EQ(ctx.eval("IF(A2,1,2)"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("IF(A3,1,2)"), err(ErrorCode::Div0));
    EXPECT_EQ(ctx.eval("IF(B9,1,2)"), num(2));                 // blank is false

    EXPECT_EQ(ctx.eval("AND(1,TRUE,A1)"), boolean(true));
    EXPECT_EQ(ctx.eval("AND(1,0)"), boolean(false));
    EXPECT_EQ(ctx.eval("AND(0,A3)"), err(ErrorCode::Div0));     // no short cut past an error
    EXPECT_EQ(ctx.eval("OR(1,A3)"), err(ErrorCode::Div0));
    EXPECT_EQ(ctx.eval("OR(0,A1:A2)"), boolean(true));         // text in ranges is skipped
    EXPECT_EQ(ctx.eval("AND(A2)"), err(ErrorCode::Value));      // nothing logical at all
    EXPECT_EQ(ctx.eval("AND(\"x\")"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("NOT(A1)"), boolean(false));
    EXPECT_EQ(ctx.eval("NOT(B9)"), boolean(true));

    EXPECT_EQ(ctx.eval("IFERROR(A3,\"alt\")"), str("alt"));
    EXPECT_EQ(ctx.eval("IFERROR(A1*5,\"alt\")"), num(5));
    EXPECT_EQ(ctx.eval("ISERROR(A3)"), boolean(true));
    EXPECT_EQ(ctx.eval("ISERROR(Nowhere!A1)"), boolean(true));
    EXPECT_EQ(ctx.eval("ISERROR(A2)"), boolean(false));
    EXPECT_EQ(ctx.eval("ISNA(NA())"), boolean(true));
}

TEST(FormulaFunctions, TypeTestsSeeCellContentAsStored) {
    test::MapContext ctx;
    ctx.setNumber("A1", 3);
    ctx.setText("A2", "3");
    ctx.setText("A3", "");
    EXPECT_EQ(ctx.eval("ISNUMBER(A1)"), boolean(true));
    EXPECT_EQ(ctx.eval("ISNUMBER(A2)"), boolean(false));   // numeric text is still text
    EXPECT_EQ(ctx.eval("ISTEXT(A2)"), boolean(true));
    EXPECT_EQ(ctx.eval("ISTEXT(B1)"), boolean(false));
    EXPECT_EQ(ctx.eval("ISBLANK(B1)"), boolean(true));
    EXPECT_EQ(ctx.eval("ISBLANK(A3)"), boolean(false));   // an empty text is content
    EXPECT_EQ(ctx.eval("ISBLANK(\"\")"), boolean(false));
    EXPECT_EQ(ctx.eval("ISBLANK(A1)"), boolean(false));
}

TEST(FormulaFunctions, TextFunctionsCountCharactersNotBytes) {
    test::MapContext ctx;
    ctx.setText("A1", "Mã số");
    ctx.setText("A2", "  Nguyễn   Văn  A ");
    EXPECT_EQ(ctx.eval("LEN(A1)"), num(5));
    EXPECT_EQ(ctx.eval("LEN(B1)"), num(0));
    EXPECT_EQ(ctx.eval("LEN(1/4)"), num(4));                  // "0.25"
    EXPECT_EQ(ctx.eval("LEFT(A1,2)"), str("Mã"));
    EXPECT_EQ(ctx.eval("LEFT(A1)"), str("M"));
    EXPECT_EQ(ctx.eval("RIGHT(A1,2)"), str("số"));
    EXPECT_EQ(ctx.eval("RIGHT(A1,99)"), str("Mã số"));
    EXPECT_EQ(ctx.eval("MID(A1,2,3)"), str("ã s"));
    EXPECT_EQ(ctx.eval("MID(A1,9,3)"), str(""));
    EXPECT_EQ(ctx.eval("MID(A1,0,3)"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("LEFT(A1,-1)"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("TRIM(A2)"), str("Nguyễn Văn A"));
    EXPECT_EQ(ctx.eval("UPPER(A1)"), str("MÃ SỐ"));
    EXPECT_EQ(ctx.eval("LOWER(\"ĐƯỜNG Ơ\")"), str("đường ơ"));
    EXPECT_EQ(ctx.eval("CONCATENATE(\"a\",1,TRUE,B1)"), str("a1TRUE"));
    EXPECT_EQ(ctx.eval("EXACT(\"Mã\",\"mã\")"), boolean(false));
    EXPECT_EQ(ctx.eval("EXACT(1,\"1\")"), boolean(true));
}

TEST(FormulaFunctions, FindSearchAndSubstitute) {
    test::MapContext ctx;
    ctx.setText("A1", "Tờ khai thuế TNCN");
    EXPECT_EQ(ctx.eval("FIND(\"thuế\",A1)"), num(9));
    EXPECT_EQ(ctx.eval("FIND(\"THUẾ\",A1)"), err(ErrorCode::Value));   // FIND is exact
    EXPECT_EQ(ctx.eval("SEARCH(\"THUẾ\",A1)"), num(9));
    EXPECT_EQ(ctx.eval("SEARCH(\"k?ai\",A1)"), num(4));
    EXPECT_EQ(ctx.eval("SEARCH(\"t*N\",A1,2)"), num(9));
    EXPECT_EQ(ctx.eval("FIND(\"a\",\"banana\",3)"), num(4));
    EXPECT_EQ(ctx.eval("FIND(\"\",\"abc\",2)"), num(2));
    EXPECT_EQ(ctx.eval("FIND(\"a\",\"abc\",5)"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("SUBSTITUTE(\"a-b-c\",\"-\",\"+\")"), str("a+b+c"));
    EXPECT_EQ(ctx.eval("SUBSTITUTE(\"a-b-c\",\"-\",\"\",2)"), str("a-bc"));
    EXPECT_EQ(ctx.eval("SUBSTITUTE(\"abc\",\"\",\"x\")"), str("abc"));
    EXPECT_EQ(ctx.eval("SUBSTITUTE(\"abc\",\"b\",\"x\",0)"), err(ErrorCode::Value));
}

TEST(FormulaFunctions, WildcardsMatchWholeTextsAndFindStretches) {
    test::MapContext ctx;
    ctx.setText("A1", "abcabd");
    ctx.setText("A2", "ab*d");
    ctx.setText("A3", "");
    EXPECT_EQ(ctx.eval("COUNTIF(A1,\"a*d\")"), num(1));        // star across a false start
    EXPECT_EQ(ctx.eval("COUNTIF(A1,\"a*c\")"), num(0));        // must reach the end
    EXPECT_EQ(ctx.eval("COUNTIF(A1,\"*b?\")"), num(1));
    EXPECT_EQ(ctx.eval("COUNTIF(A1,\"??????\")"), num(1));
    EXPECT_EQ(ctx.eval("COUNTIF(A1,\"???????\")"), num(0));
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A2,\"ab~*d\")"), num(1));   // ~ escapes a star
    EXPECT_EQ(ctx.eval("COUNTIF(A3,\"*\")"), num(1));          // an empty text is text
    EXPECT_EQ(ctx.eval("SEARCH(\"c?b\",A1)"), num(3));
    EXPECT_EQ(ctx.eval("SEARCH(\"b?d\",A1)"), err(ErrorCode::Value));   // too few characters left
    EXPECT_EQ(ctx.eval("SEARCH(\"~*\",A2)"), num(3));
    EXPECT_EQ(ctx.eval("SEARCH(\"*\",A1,4)"), num(4));
    // Patterns longer than a machine word take the general path.
    std::string longText(80, 'x');
    ctx.setText("B1", longText + "yz");
    std::string pattern = std::string(70, '?') + "*x?z";
    EXPECT_EQ(ctx.eval("COUNTIF(B1,\"" + pattern + "\")"), num(1));
    EXPECT_EQ(ctx.eval("COUNTIF(B1,\"" + std::string(70, '?') + "*q\")"), num(0));
    EXPECT_EQ(ctx.eval("SEARCH(\"" + std::string(66, 'x') + "y\",B1)"), num(15));
}

TEST(FormulaFunctions, ValueAndTextConvertBetweenNumbersAndText) {
    test::MapContext ctx;
    EXPECT_EQ(ctx.eval("VALUE(\" 1,234 \")"), num(1234));
    EXPECT_EQ(ctx.eval("VALUE(\"-1.5e2\")"), num(-150));
    EXPECT_EQ(ctx.eval("VALUE(B1)"), num(0));
    EXPECT_EQ(ctx.eval("VALUE(\"12a\")"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("VALUE(\"1,23\")"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("VALUE(\"\")"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("TEXT(5,\"00\")"), str("05"));
    EXPECT_EQ(ctx.eval("TEXT(3.14159,\"0.00\")"), str("3.14"));
    EXPECT_EQ(ctx.eval("TEXT(1.005,\"0.00\")"), str("1.01"));
    EXPECT_EQ(ctx.eval("TEXT(2.5,\"0\")"), str("3"));
    EXPECT_EQ(ctx.eval("TEXT(-2.5,\"0\")"), str("-3"));
    EXPECT_EQ(ctx.eval("TEXT(1234567.891,\"#,##0.00\")"), str("1,234,567.89"));
    EXPECT_EQ(ctx.eval("TEXT(0.256,\"0.0%\")"), str("25.6%"));
    EXPECT_EQ(ctx.eval("TEXT(-5,\"0;(0)\")"), str("(5)"));
    EXPECT_EQ(ctx.eval("TEXT(\"7\",\"000\")"), str("007"));
    EXPECT_EQ(ctx.eval("TEXT(\"abc\",\"000\")"), str("abc"));
    EXPECT_EQ(ctx.eval("TEXT(DATE(2024,3,5),\"dd/mm/yyyy\")"), str("05/03/2024"));
    EXPECT_EQ(ctx.eval("TEXT(DATE(2024,3,5)+0.5,\"d-m-yy hh:mm\")"), str("5-3-24 12:00"));
    EXPECT_EQ(ctx.eval("TEXT(\"05/03/2024\",\"yyyy-mm-dd\")"), str("2024-03-05"));
    EXPECT_EQ(ctx.eval("TEXT(0.5,\"#.##\")"), str(".5"));
    EXPECT_EQ(ctx.eval("TEXT(1234,\"\"\"VND \"\"#,##0\")"), str("VND 1,234"));
    EXPECT_EQ(ctx.eval("TEXT(0,\"0;-0;\"\"zero\"\"\")"), str("zero"));
    EXPECT_EQ(ctx.eval("TEXT(\"abc\",\"[Red]@\")"), str("abc"));   // colours are not text
    EXPECT_EQ(ctx.eval("TEXT(\"abc\",\"<@>\")"), str("<abc>"));
    EXPECT_EQ(ctx.eval("TEXT(1/3,\"General\")"), str("0.333333333333333"));
    EXPECT_EQ(ctx.eval("TEXT(-0.001,\"0.0\")"), str("0.0"));
    EXPECT_EQ(ctx.eval("TEXT(TRUE,\"0\")"), str("TRUE"));
    EXPECT_EQ(ctx.eval("TEXT(1/0,\"0\")"), err(ErrorCode::Div0));
}

TEST(FormulaFunctions, AggregatesSkipTextInRangesButNotInArguments) {
    test::MapContext ctx;
    ctx.setNumber("A1", 10);
    ctx.setText("A2", "20");        // text in a range: ignored by SUM, counted by COUNTA
    ctx.set("A3", Value::boolean(true));
    ctx.setNumber("A4", -5);
    ctx.setText("A5", "");
    EXPECT_EQ(ctx.eval("SUM(A1:A6)"), num(5));
    EXPECT_EQ(ctx.eval("SUM(A1:A6,\"20\",TRUE)"), num(26));
    EXPECT_EQ(ctx.eval("SUM(A1,\"x\")"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("SUM(0.1,0.2,-0.3)"), num(0));
    EXPECT_EQ(ctx.eval("COUNT(A1:A6)"), num(2));
    EXPECT_EQ(ctx.eval("COUNT(A1:A6,\"3\",\"x\",TRUE)"), num(4));
    EXPECT_EQ(ctx.eval("COUNTA(A1:A6)"), num(5));              // "" counts, the blank does not
    EXPECT_EQ(ctx.eval("COUNTA(B1:B9)"), num(0));
    EXPECT_EQ(ctx.eval("COUNTBLANK(A1:A6)"), num(2));
    EXPECT_EQ(ctx.eval("MIN(A1:A6)"), num(-5));
    EXPECT_EQ(ctx.eval("MAX(A1:A6,3)"), num(10));
    EXPECT_EQ(ctx.eval("MAX(B1:B9)"), num(0));
    ctx.set("A6", Value::error(ErrorCode::NA));
    EXPECT_EQ(ctx.eval("SUM(A1:A6)"), err(ErrorCode::NA));
    EXPECT_EQ(ctx.eval("COUNT(A1:A6)"), num(2));               // COUNT never fails
    EXPECT_EQ(ctx.eval("COUNTA(A1:A6)"), num(6));
}

TEST(FormulaFunctions, CountIfCriteria) {
    test::MapContext ctx;
    ctx.setNumber("A1", 3);
    ctx.setNumber("A2", 7);
    ctx.setText("A3", "7");
    ctx.setText("A4", "Hà Nội");
    ctx.setText("A5", "hà giang");
    ctx.set("A6", Value::boolean(true));
    // A7 blank
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,\">5\")"), num(1));        // numbers only for ordering
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,7)"), num(2));              // 7 and "7"
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,\"=7\")"), num(2));
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,\"<=3\")"), num(1));
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,\"hà*\")"), num(2));        // wildcard, any case
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,\"H? NỘI\")"), num(1));
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,\"<>\")"), num(6));         // not blank
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,\"\")"), num(1));           // blank
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,\"<>7\")"), num(5));
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,TRUE)"), num(1));
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,\"*\")"), num(3));          // texts only
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A7,\"~*\")"), num(0));
    EXPECT_EQ(ctx.eval("COUNTIF(5,5)"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("SUMIF(A1:A7,\">2\")"), num(10));
    ctx.setNumber("B1", 1);
    ctx.setNumber("B4", 100);
    ctx.setNumber("B5", 1000);
    EXPECT_EQ(ctx.eval("SUMIF(A1:A7,\"hà*\",B1:B7)"), num(1100));
}

TEST(FormulaFunctions, RangesOverTheWholeGridReadOnlyTheData) {
    test::MapContext ctx;
    ctx.setLastRow(50);
    ctx.setNumber("A50", 1);
    EXPECT_EQ(ctx.eval("COUNTA(A1:A1048576)"), num(1));
    EXPECT_EQ(ctx.eval("COUNTIF(A1:A1048576,\"\")"), num(1048575));
    EXPECT_LE(ctx.reads, 100);
}

TEST(FormulaFunctions, MathFunctions) {
    test::MapContext ctx;
    EXPECT_EQ(ctx.eval("ABS(-2.5)"), num(2.5));
    EXPECT_EQ(ctx.eval("INT(-2.5)"), num(-3));
    EXPECT_EQ(ctx.eval("INT(2.9)"), num(2));
    EXPECT_EQ(ctx.eval("ROUND(2.5,0)"), num(3));
    EXPECT_EQ(ctx.eval("ROUND(-2.5,0)"), num(-3));               // half away from zero
    EXPECT_EQ(ctx.eval("ROUND(1.005,2)"), num(1.01));
    EXPECT_EQ(ctx.eval("ROUND(1234.5678,-2)"), num(1200));
    EXPECT_EQ(ctx.eval("ROUNDUP(1.21,1)"), num(1.3));
    EXPECT_EQ(ctx.eval("ROUNDDOWN(-1.29,1)"), num(-1.2));
    EXPECT_EQ(ctx.eval("MOD(10,3)"), num(1));
    EXPECT_EQ(ctx.eval("MOD(-3,2)"), num(1));                    // sign of the divisor
    EXPECT_EQ(ctx.eval("MOD(3,-2)"), num(-1));
    EXPECT_EQ(ctx.eval("MOD(1,0)"), err(ErrorCode::Div0));
    EXPECT_EQ(ctx.eval("MOD(0.3,0.1)"), num(0));
    EXPECT_EQ(ctx.eval("ABS(\"x\")"), err(ErrorCode::Value));
}

TEST(FormulaFunctions, DatesUseTheSpreadsheetDayNumbers) {
    test::MapContext ctx;
    EXPECT_EQ(ctx.eval("DATE(1900,1,1)"), num(1));
    EXPECT_EQ(ctx.eval("DATE(1900,2,29)"), num(60));            // the phantom leap day
    EXPECT_EQ(ctx.eval("DATE(1900,3,1)"), num(61));
    EXPECT_EQ(ctx.eval("DATE(2024,2,29)"), num(45351));
    EXPECT_EQ(ctx.eval("DATE(2023,14,1)"), num(45323));         // 2024-02-01
    EXPECT_EQ(ctx.eval("DATE(2024,3,0)"), num(45351));          // day 0 = last of previous month
    EXPECT_EQ(ctx.eval("DATE(99,1,1)"), ctx.eval("DATE(1999,1,1)"));
    EXPECT_EQ(ctx.eval("DATE(10000,1,1)"), err(ErrorCode::Num));
    EXPECT_EQ(ctx.eval("DAY(45351)"), num(29));
    EXPECT_EQ(ctx.eval("MONTH(45351)"), num(2));
    EXPECT_EQ(ctx.eval("YEAR(45351)"), num(2024));
    EXPECT_EQ(ctx.eval("DAY(60)&\"/\"&MONTH(60)"), str("29/2"));
    EXPECT_EQ(ctx.eval("YEAR(\"15/03/2021\")"), num(2021));     // day-first text dates
    EXPECT_EQ(ctx.eval("MONTH(\"2021-03-15\")"), num(3));
    EXPECT_EQ(ctx.eval("DAY(\"31/02/2021\")"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("DAY(-1)"), err(ErrorCode::Num));
    // Parts far outside any date are #NUM!, not integer overflow.
    EXPECT_EQ(ctx.eval("DATE(2020,1E31,1)"), err(ErrorCode::Num));
    EXPECT_EQ(ctx.eval("DATE(2020,1,1E31)"), err(ErrorCode::Num));
    EXPECT_EQ(ctx.eval("DATE(2020,-1E19,1E19)"), err(ErrorCode::Num));
    EXPECT_EQ(ctx.eval("DATE(2020,1E18,-1E18)"), err(ErrorCode::Num));
}

TEST(FormulaFunctions, TextResultsAreLimitedToSpreadsheetCellSize) {
    test::MapContext ctx;
    // 32,767 characters is the most a cell holds; longer text is #VALUE!.
    EXPECT_EQ(ctx.eval("LEN(REPT(\"ab\",16383)&\"c\")"), num(32767));
    EXPECT_EQ(ctx.eval("REPT(\"ab\",16384)"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("REPT(\"x\",30000)&REPT(\"x\",3000)"), err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("SUBSTITUTE(REPT(\"x\",30000),\"x\",REPT(\"x\",30000))"),
              err(ErrorCode::Value));
    EXPECT_EQ(ctx.eval("LEN(REPT(\"ư\",32767))"), num(32767));   // characters, not bytes
    ctx.setFormula(0, "A1", "REPT(\"x\",20000)");
    ctx.setFormula(0, "A2", "A1&A1");
    ctx.setFormula(0, "A3", "A2&A2");
    EXPECT_EQ(ctx.eval("A3"), err(ErrorCode::Value));
}

}  // namespace
}  // namespace zevo::grid::formula
