// Value encoding, the U+0014 shield across the parser, and UTF-16 files.
#include <gtest/gtest.h>

#include <string>

#include "zevo/exchange/ExchangeFile.h"
#include "zevo/exchange/ExchangeReader.h"
#include "zevo/exchange/ExchangeText.h"

namespace zevo::exchange {
namespace {

const std::string kMark = "\x14";
const std::string kPrivate = "\xEE\x80\x80";      // U+E000
const std::string kPrivate2 = "\xEE\x80\x94";     // U+E014

TEST(ExchangeText, ValuesEncodeInTheSevenStepsAndDecodeBack) {
    EXPECT_EQ(encodeValue("a~b#c<d"), "a" + kMark + "b1" + kMark + kMark + "1c&lt;d");
    EXPECT_EQ(decodeValue("a" + kMark + "b1" + kMark + kMark + "1c<d"), "a~b#c<d");
    EXPECT_EQ(encodeValue("&'\">"), "&amp;&apos;&quot;&gt;");
    // "&" is escaped before the other escapes add theirs: nothing is escaped twice.
    EXPECT_EQ(encodeValue("&lt;"), "&amp;lt;");
    EXPECT_EQ(encodeValue(""), "");
    EXPECT_EQ(decodeValue("##"), "##");
    EXPECT_EQ(decodeValue("1" + kMark + kMark + "11" + kMark + kMark + "1"), "##");
}

TEST(ExchangeText, SplittingKeepsEmptyValuesAndTheEmptyRowHasNone) {
    EXPECT_TRUE(splitValues("").empty());
    EXPECT_EQ(splitValues("~").size(), 2u);
    const auto values = splitValues("a~~b~");
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0], "a");
    EXPECT_EQ(values[1], "");
    EXPECT_EQ(values[2], "b");
    EXPECT_EQ(values[3], "");
}

// The parser sees no U+0014, and every value comes back as written, literal
// private-use characters included.
TEST(ExchangeText, ControlMarksAndPrivateUseCharactersCrossTheParser) {
    const std::string tricky[] = {"a~b#c", "#", "~~", kPrivate, kPrivate2, kPrivate + kPrivate2,
                                  kPrivate + "~" + kPrivate, "x" + kPrivate + kPrivate + "#y", "1~~1x"};
    std::string row;
    for (const std::string& v : tricky) row += (row.empty() ? "" : "~") + encodeValue(v);
    const std::string block = "<S7><S><C>" + row + "</C></S></S7>";
    EXPECT_EQ(shieldForParser(block).find('\x14'), std::string::npos);
    const auto parsed = parseSheetBlock(block);
    ASSERT_TRUE(parsed);
    const auto values = splitValues(parsed->sections.at(0).at(0));
    ASSERT_EQ(values.size(), std::size(tricky));
    for (std::size_t i = 0; i + 1 < values.size(); ++i) EXPECT_EQ(readValue(values[i]), tricky[i]) << i;
    // The format itself cannot tell "1~~1" from "#": it reads back as "#".
    EXPECT_EQ(readValue(values.back()), "#x");
    // A private-use character that only a foreign file can hold stays as it is.
    EXPECT_EQ(unshieldAfterParser(kPrivate + "a"), kPrivate + "a");
    // The control character itself is not XML, also as a character reference.
    EXPECT_FALSE(parseSheetBlock("<S1><S><C>&#x14;</C></S></S1>"));
}

TEST(ExchangeFile, Utf16WithByteOrderMarkRoundTripsAndDropsLineEnds) {
    const std::string text = "<S1>Nguyễn 𝄞 ~" + kMark + "</S1>";
    const std::string bytes = toUtf16File(text);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE<\0", 4));
    EXPECT_EQ(fromUtf16File(bytes), text);
    EXPECT_EQ(fromUtf16File(toUtf16File("<S1>\r\n<S>\n</S>\r</S1>\r\n")), "<S1><S></S></S1>");
    EXPECT_EQ(fromUtf16File(std::string("\xFF\xFE", 2)), "");
}

TEST(ExchangeFile, BytesThatAreNotUtf16TextAreRefused) {
    const std::string good = toUtf16File("<S1></S1>");
    EXPECT_FALSE(fromUtf16File(""));
    EXPECT_FALSE(fromUtf16File(good.substr(0, good.size() - 1)));      // odd byte count
    EXPECT_FALSE(fromUtf16File(good.substr(2)));                        // no byte-order mark
    EXPECT_FALSE(fromUtf16File(std::string("\xFE\xFF\0<", 4)));          // big-endian mark
    EXPECT_FALSE(fromUtf16File(std::string("\xFF\xFE\x3D\xD8", 4)));     // high surrogate at the end
    EXPECT_FALSE(fromUtf16File(std::string("\xFF\xFE\x3D\xD8\x41\x00", 6)));   // high without low
    EXPECT_FALSE(fromUtf16File(std::string("\xFF\xFE\x1E\xDD", 4)));     // low without high
}

}  // namespace
}  // namespace zevo::exchange
