// The shared text helpers: the number reader the program, the rules and the
// documents all use, and the two trims.
#include <gtest/gtest.h>

#include <cmath>

#include "zevo/Text.h"

using namespace zevo::text;

TEST(LeadingNumber, ReadsTheLeadingDecimalNumberAndSkipsBlanksAnywhere) {
    EXPECT_EQ(leadingNumber("12abc"), 12);
    EXPECT_EQ(leadingNumber(" 1 2\t3"), 123);
    EXPECT_EQ(leadingNumber("-.5e1x"), -5);
    EXPECT_EQ(leadingNumber("2.5D2"), 250);   // "d" exponents as the old runtime read them
    EXPECT_EQ(leadingNumber("7e"), 7);        // an exponent without digits is not read
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("x1"), 0);
    EXPECT_TRUE(std::isinf(leadingNumber("1e999")));
}

// The sheet entries' "Active" was once read with strtod, which took these.
TEST(LeadingNumber, HexadecimalInfinityAndNanAreNoNumbers) {
    EXPECT_EQ(leadingNumber("0x10"), 0);
    EXPECT_EQ(leadingNumber("inf"), 0);
    EXPECT_EQ(leadingNumber("nan"), 0);
    EXPECT_EQ(leadingNumber("1x5"), 1);
}

TEST(PlainNumber, OnlyAWholeDecimalNumberWithAFiniteValue) {
    EXPECT_EQ(plainNumber("-1.5e2"), -150);
    EXPECT_EQ(plainNumber(".5"), 0.5);
    EXPECT_FALSE(plainNumber(" 1"));
    EXPECT_FALSE(plainNumber("1e"));
    EXPECT_FALSE(plainNumber("1d2"));
    EXPECT_FALSE(plainNumber("1e999"));
    EXPECT_FALSE(plainNumber("."));
    EXPECT_FALSE(plainNumber(""));
}

TEST(Trim, SpacesOnlyOrEveryBlank) {
    EXPECT_EQ(trimSpaces("  a b \t"), "a b \t");
    EXPECT_EQ(trimBlanks("\r\n a b \t"), "a b");
    EXPECT_EQ(trimSpaces("   "), "");
    EXPECT_EQ(trimBlanks(""), "");
}
