// Numbers on paper: the formats the forms use must print as a spreadsheet prints them.
#include <gtest/gtest.h>

#include "CellText.h"

namespace zevo::grid::paint {
namespace {

TEST(CellText, FixedDecimalsThousandsAndPercent) {
    EXPECT_EQ(formatNumber(1234567, "#,##0"), "1,234,567");
    EXPECT_EQ(formatNumber(-1234.4, "#,##0"), "-1,234");
    EXPECT_EQ(formatNumber(999.5, "#,##0"), "1,000");
    EXPECT_EQ(formatNumber(998.5, "#,##0"), "999");   // halves away from zero
    EXPECT_EQ(formatNumber(2.675, "0.00"), "2.68");   // as written, not as stored
    EXPECT_EQ(formatNumber(1234.5, "#,##0.00"), "1,234.50");
    EXPECT_EQ(formatNumber(0, "#,##0"), "0");
    EXPECT_EQ(formatNumber(0, "#,###"), "");
    EXPECT_EQ(formatNumber(12, "0"), "12");
    EXPECT_EQ(formatNumber(2.5, "0.00"), "2.50");
    EXPECT_EQ(formatNumber(-0.001, "0.00"), "0.00");   // no "-0.00"
    EXPECT_EQ(formatNumber(1.5, "0.##"), "1.5");
    EXPECT_EQ(formatNumber(0.25, "0%"), "25%");
    EXPECT_EQ(formatNumber(0.1234, "0.00%"), "12.34%");
    EXPECT_EQ(formatNumber(-5, "#,##0;(#,##0)"), "(5)");
    EXPECT_EQ(formatNumber(5, "#,##0;(#,##0)"), "5");
    EXPECT_EQ(formatNumber(3, "0\" người\""), "3 người");
    EXPECT_EQ(formatNumber(1500000, "#,##0,\"k\""), "1,500k");
}

TEST(CellText, GeneralAndText) {
    EXPECT_EQ(formatNumber(0.1 + 0.2, ""), "0.3");
    EXPECT_EQ(formatNumber(123456789, ""), "123456789");
    EXPECT_EQ(formatNumber(-42, "General"), "-42");
    EXPECT_EQ(formatNumber(1e12, ""), "1E+12");
    EXPECT_EQ(formatNumber(101234567, "@"), "101234567");
    CellData b;
    b.type = CellValueType::Boolean;
    b.number = 1;
    EXPECT_EQ(displayText(b, StyleData{}), "TRUE");
    CellData s;
    s.type = CellValueType::String;
    s.text = "0101234567";
    StyleData money;
    money.numberFormat = "#,##0";
    EXPECT_EQ(displayText(s, money), "0101234567");   // a text stays as typed
    EXPECT_EQ(displayText(CellData{}, money), "");
}

TEST(CellText, Dates) {
    EXPECT_EQ(formatNumber(45292, "dd/mm/yyyy"), "01/01/2024");
    EXPECT_EQ(formatNumber(45351, "dd/mm/yyyy"), "29/02/2024");
    EXPECT_EQ(formatNumber(45292.75, "d/m/yy"), "1/1/24");
    EXPECT_EQ(formatNumber(36526, "m/d/yy"), "1/1/00");
    EXPECT_EQ(formatNumber(45657, "dd.mm.yyyy"), "31.12.2024");
}

}  // namespace
}  // namespace zevo::grid::paint
