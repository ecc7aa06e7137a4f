// Number text in both directions and the UTF-8 helpers.
#include <gtest/gtest.h>

#include <cmath>

#include "zevo/grid/formula/Utf8Text.h"
#include "zevo/grid/formula/Value.h"

namespace zevo::grid::formula {
namespace {

TEST(FormulaText, GeneralFormatKeepsFifteenDigits) {
    EXPECT_EQ(formatGeneral(0), "0");
    EXPECT_EQ(formatGeneral(-0.0), "0");
    EXPECT_EQ(formatGeneral(1234.5), "1234.5");
    EXPECT_EQ(formatGeneral(1e15), "1E+15");
    EXPECT_EQ(formatGeneral(999999999999999), "999999999999999");
    EXPECT_EQ(formatGeneral(9999999999999999.0), "1E+16");
    EXPECT_EQ(formatGeneral(-1.5e-12), "-1.5E-12");
    EXPECT_EQ(formatGeneral(0.1 + 0.2), "0.3");
    EXPECT_EQ(formatGeneral(100), "100");
    EXPECT_EQ(formatGeneral(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(formatGeneral(1.23e-5), "0.0000123");
    EXPECT_EQ(formatGeneral(1e300), "1E+300");
}

TEST(FormulaText, NumbersReadBackFromText) {
    EXPECT_EQ(parseNumber("42"), 42);
    EXPECT_EQ(parseNumber(" -3.5 "), -3.5);
    EXPECT_EQ(parseNumber("+.5"), 0.5);
    EXPECT_EQ(parseNumber("1,234,567"), 1234567);
    EXPECT_EQ(parseNumber("12%"), 0.12);
    EXPECT_EQ(parseNumber("1E3"), 1000);
    for (const char* bad : {"", " ", "-", ".", "1,2", "12,34,567", ",123", "1e", "1.2.3", "abc",
                            "1 2", "0x10", "1e999", "--1"})
        EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
    // What General writes, parseNumber reads back to the same 15 digits.
    for (double v : {1.0 / 7, -123456.789, 6.02214076e23, 3e-11}) {
        auto back = parseNumber(formatGeneral(v));
        ASSERT_TRUE(back.has_value());
        EXPECT_NEAR(*back, v, std::fabs(v) * 1e-14);
    }
}

TEST(FormulaText, ErrorNamesRoundTrip) {
    for (ErrorCode e : {ErrorCode::Ref, ErrorCode::Value, ErrorCode::Div0, ErrorCode::Name,
                        ErrorCode::NA, ErrorCode::Num})
        EXPECT_EQ(errorFromText(errorText(e)), e);
    EXPECT_FALSE(errorFromText("#ref").has_value());
    EXPECT_EQ(Value::error(ErrorCode::Div0).toText(), "#DIV/0!");
}

TEST(FormulaText, Utf8HelpersWorkOnCharacters) {
    const std::string s = "Mã số thuế";
    EXPECT_EQ(utf8Length(s), 10u);
    EXPECT_EQ(utf8Substr(s, 3, 2), "số");
    EXPECT_EQ(utf8Substr(s, 8, 100), "uế");
    EXPECT_EQ(utf8Substr(s, 50, 1), "");
    EXPECT_EQ(utf8Upper("đường ơi ưa ỹ"), "ĐƯỜNG ƠI ƯA Ỹ");
    EXPECT_EQ(utf8Lower("ÀÉÎÕÜ ĂÂÊÔ"), "àéîõü ăâêô");
    EXPECT_TRUE(equalsIgnoreCase("Tờ Khai", "TỜ KHAI"));
    EXPECT_FALSE(equalsIgnoreCase("Tờ khai", "To khai"));
    EXPECT_FALSE(equalsIgnoreCase("abc", "abcd"));
    // Broken bytes count as one character each and survive case mapping.
    const std::string broken = std::string("a\xC3") + "b\xE1\xBA";
    EXPECT_EQ(utf8Length(broken), 5u);
    EXPECT_EQ(utf8Upper(broken), std::string("A\xC3") + "B\xE1\xBA");
    // Overlong forms and surrogates are broken bytes too, never the character
    // they would spell ("C0 BC" is not "<").
    EXPECT_EQ(utf8Length("\xC0\xBC"), 2u);
    EXPECT_EQ(utf8Lower("\xC1\x81"), "\xC1\x81");
    EXPECT_EQ(utf8Length("\xED\xA0\x80"), 3u);
    EXPECT_EQ(utf8Length("\xF0\x82\x82\xAC"), 4u);
}

}  // namespace
}  // namespace zevo::grid::formula
