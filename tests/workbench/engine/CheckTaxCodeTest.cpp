// The program's ten-digit tax code check.
#include <gtest/gtest.h>

#include <string>

#include "zevo/engine/CheckTaxCode.h"

namespace zevo::engine {
namespace {

TEST(CheckTaxCodeTest, TenthDigitMustBeTheCheckDigit) {
    EXPECT_TRUE(CheckTaxCode("1234567893"));      // sum 513, remainder 7, check 3
    EXPECT_FALSE(CheckTaxCode("1234567890"));
    EXPECT_TRUE(CheckTaxCode("0100109106"));
    EXPECT_FALSE(CheckTaxCode("123456789"));       // too short
}

TEST(CheckTaxCodeTest, NonDigitsAndRemainderZero) {
    // A letter among the first nine counts as 0: "A23456789" sums 482, check 1.
    EXPECT_TRUE(CheckTaxCode("A234567891"));
    // "100000004" sums 43 (remainder 10, check 0): "0" matches, a letter never does.
    EXPECT_TRUE(CheckTaxCode("1000000040"));
    EXPECT_FALSE(CheckTaxCode("1", "0", "0", "0", "0", "0", "0", "0", "4", "A"));
    // "100000008" sums 55 (remainder 0): the check would be 10, which no digit is.
    for (char d = '0'; d <= '9'; ++d)
        EXPECT_FALSE(CheckTaxCode(std::string("100000008") + d)) << d;
}

}  // namespace
}  // namespace zevo::engine
