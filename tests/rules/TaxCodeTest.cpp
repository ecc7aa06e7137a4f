#include <gtest/gtest.h>

#include "RulesTestSupport.h"
#include "zevo/rules/TaxCode.h"
#include "zevo/rules/TaxCodeCheck.h"

namespace zevo::rules::test {
namespace {

// The thirteen characters of a code (missing ones empty) through the flag check.
std::string flagsOf(const std::string& code) {
    std::string c[13];
    for (std::size_t i = 0; i < 13 && i < code.size(); ++i)
        c[i] = code[i] == ' ' ? std::string{} : std::string(1, code[i]);
    return CheckTaxCode(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11],
                        c[12]);
}

std::array<std::string, 10> tenOf(const std::string& code) {
    std::array<std::string, 10> c;
    for (std::size_t i = 0; i < 10; ++i) c[i] = std::string(1, code[i]);
    return c;
}

TEST(TaxCodeDigits, CheckDigitFromWeightedSum) {
    // 31+58+69+76+85+78+49+40+27 = 513, remainder 7, check digit 3.
    EXPECT_EQ(flagsOf("1234567893"), "000");
    EXPECT_EQ(flagsOf("1234567890"), "010");
    EXPECT_TRUE(taxcode::checkTenDigits(tenOf("1234567893")));
    EXPECT_FALSE(taxcode::checkTenDigits(tenOf("1234567890")));
    // Remainder 10 gives check digit 0: 100000000 weighs 31, 31 mod 11 = 9 -> check 1;
    // 000000020 weighs 10 -> remainder 10 -> check 0.
    EXPECT_EQ(flagsOf("0000000200"), "000");
    EXPECT_EQ(flagsOf("1000000001"), "000");
}

TEST(TaxCodeDigits, SumsThatAreMultiplesOfElevenNeverPass) {
    // The expected value is 10 then, which no tenth digit matches.
    for (char last = '0'; last <= '9'; ++last) {
        EXPECT_EQ(flagsOf(std::string("000000000") + last), "010") << last;   // sum 0
        EXPECT_EQ(flagsOf(std::string("000000012") + last), "010") << last;   // 5 + 6
        EXPECT_EQ(flagsOf(std::string("100001000") + last), "010") << last;   // 31 + 13
    }
}

TEST(TaxCodeDigits, LettersCountAsZeroAndNeverMatchInTenthPlace) {
    // "A" in the first place counts 0, as "0" does.
    EXPECT_EQ(flagsOf("A000000200"), flagsOf("0000000200"));
    EXPECT_EQ(flagsOf("000000020A"), "010");
    std::array<std::string, 10> c = tenOf("0000000200");
    c[9] = "A";
    EXPECT_FALSE(taxcode::checkTenDigits(c));
}

TEST(TaxCodeDigits, EmptyLeadingAndPartialSuffixFlags) {
    // An empty leading character sets flag 1 and leaves the digit flag clear.
    EXPECT_EQ(flagsOf("12345 7893"), "100");
    EXPECT_EQ(flagsOf("123456789 "), "100");
    EXPECT_EQ(flagsOf("1234567893001"), "000");
    EXPECT_EQ(flagsOf("1234567893XYZ"), "000");   // suffix content is not tested
    EXPECT_EQ(flagsOf("12345678930 1"), "001");
    EXPECT_EQ(flagsOf("123456789300"), "001");
    EXPECT_EQ(flagsOf("1234567890 01"), "011");
}

class TaxCodeCellTest : public RulesSession {
protected:
    // Types a code into G38 of sheet 1 and checks the cell.
    bool check(const std::string& typed) {
        buildGrid();
        put(1, "G", 38, typed);
        bool valid = false;
        CheckTaxCodeCell(grid_, 1, col("G"), 38, valid);
        return valid;
    }
};

TEST_F(TaxCodeCellTest, ValidCodesAreNormalisedInGridAndDocument) {
    for (const char* typed : {"1234567893-001", "1234567893001", "1234.567.893-001"}) {
        EXPECT_TRUE(check(typed)) << typed;
        EXPECT_EQ(text(1, "G", 38), "1234567893-001") << typed;
        EXPECT_EQ(storedValue(0, "G_38"), "1234567893-001") << typed;
    }
    EXPECT_TRUE(check("123-456-7893"));
    EXPECT_EQ(text(1, "G", 38), "1234567893");
    EXPECT_EQ(storedValue(0, "G_38"), "1234567893");
}

TEST_F(TaxCodeCellTest, WrongCodesStayAsTyped) {
    for (const char* typed : {"1234567890", "123456789", "12345678931", "123456789300",
                              "1234567890-001", "12345678 3"}) {
        EXPECT_FALSE(check(typed)) << typed;
        EXPECT_EQ(text(1, "G", 38), typed);
        EXPECT_EQ(storedValue(0, "G_38"), "") << typed;
    }
}

TEST_F(TaxCodeCellTest, EmptyCellIsValidAndStoredEmpty) {
    clsVariables().Data(0)->elementById("G_38").setAttribute("Value", "old");
    EXPECT_TRUE(check(""));
    EXPECT_EQ(text(1, "G", 38), "");
    EXPECT_EQ(storedValue(0, "G_38"), "");
}

}  // namespace
}  // namespace zevo::rules::test

// Whole numbers only: dates and check digits read their parts with it, so a point
// or an exponent ends the number instead of scaling it.
TEST(TaxCodeLeadingInteger, StopsAtAPointOrAnExponent) {
    EXPECT_EQ(zevo::rules::taxcode::leadingInteger("1e3"), 1);
    EXPECT_EQ(zevo::rules::taxcode::leadingInteger("1.9"), 1);
    EXPECT_EQ(zevo::rules::taxcode::leadingInteger(" 1 2x"), 12);
    EXPECT_EQ(zevo::rules::taxcode::leadingInteger("-7"), -7);
}
