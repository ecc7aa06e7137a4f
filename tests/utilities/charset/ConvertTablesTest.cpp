// The installed tables: every letter in every encoding, checked against
// independent references (composition rules, glibc's iconv) and round-tripped.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <set>

#include "CharsetTestSupport.h"
#include "zevo/Xml.h"
#include "zevo/clsUnicodeConvert.h"

using namespace zevo;
using charset_test::Expected;

namespace {

const std::string kTables = ZEVO_CHARSET_TABLE_DIR;

// iconv(3) of one string; "" on failure.
std::string iconvText(const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string input = in;
    char out[64] = {};
    char* src = input.data();
    size_t srcLeft = input.size();
    char* dst = out;
    size_t dstLeft = sizeof out;
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);   // flush a pending character
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return {};
    return std::string(out, static_cast<size_t>(dst - out));
}

class TablesTest : public ::testing::Test {
protected:
    clsUnicodeConvert convert{kTables};
    std::vector<Expected> letters = charset_test::vietnameseLetters();
};

TEST_F(TablesTest, UnicodeListHoldsExactlyTheVietnameseLetters) {
    ASSERT_EQ(letters.size(), 134u);
    auto doc = xml::Document::fromFile(kTables + "/UnicodeVowels.xml");
    ASSERT_TRUE(doc && !doc->isEmpty());
    QString list = QString::fromStdString(doc->documentElement().text());
    ASSERT_EQ(list.size(), 134);
    std::set<std::string> fromTable, built;
    for (QChar c : list) fromTable.insert(QString(c).toStdString());
    for (const auto& e : letters) built.insert(e.utf8);
    EXPECT_EQ(fromTable, built);
}

TEST_F(TablesTest, ViqrAndVniFormsFollowTheirCompositionRules) {
    for (const auto& e : letters) {
        EXPECT_EQ(convert.Convert(e.utf8, UNICODE, VIQR), e.viqr) << e.utf8;
        EXPECT_EQ(convert.Convert(e.viqr, VIQR, UNICODE), e.utf8) << e.viqr;
        EXPECT_EQ(convert.Convert(e.utf8, UNICODE, VNI), e.vni) << e.utf8;
        EXPECT_EQ(convert.Convert(e.vni, VNI, UNICODE), e.utf8) << e.utf8;
    }
}

TEST_F(TablesTest, VisciiAgreesWithIconv) {
    for (const auto& e : letters) {
        std::string glibc = iconvText("VISCII", "UTF-8", e.utf8);
        ASSERT_EQ(glibc.size(), 1u) << e.utf8;
        EXPECT_EQ(convert.Convert(e.utf8, UNICODE, VISCII), glibc) << e.utf8;
        EXPECT_EQ(convert.Convert(glibc, VISCII, UNICODE), e.utf8) << e.utf8;
    }
}

TEST_F(TablesTest, TcvnAgreesWithGlibcAndFallsBackToLowercaseForTonedCapitals) {
    int fallbacks = 0;
    for (const auto& e : letters) {
        std::string tcvn = convert.Convert(e.utf8, UNICODE, TCVN);
        ASSERT_EQ(tcvn.size(), 1u) << e.utf8;
        EXPECT_GE(static_cast<unsigned char>(tcvn[0]), 0xA1) << e.utf8;   // no ASCII collision
        std::string back = convert.Convert(tcvn, TCVN, UNICODE);
        if (back == e.utf8) {
            // TCVN3 is the VN3 subset of TCVN 5712: glibc reads the same byte.
            EXPECT_EQ(iconvText("UTF-8", "TCVN5712-1", tcvn), e.utf8) << e.utf8;
        } else {
            // Only toned capitals fall back, and they keep their tone.
            ++fallbacks;
            EXPECT_TRUE(e.upper) << e.utf8;
            EXPECT_EQ(back, charset_test::lowerUtf8(e.utf8));
            EXPECT_EQ(tcvn, convert.Convert(charset_test::lowerUtf8(e.utf8), UNICODE, TCVN));
        }
    }
    EXPECT_EQ(fallbacks, 60);
    // The untoned capitals have their own codes.
    EXPECT_EQ(convert.Convert("ĂÂÊÔƠƯĐ", UNICODE, TCVN), "\xA1\xA2\xA3\xA4\xA5\xA6\xA7");
}

TEST_F(TablesTest, VpsFollowsTheCodeChartAndRoundTrips) {
    std::set<char> used;
    for (const auto& e : letters) {
        std::string vps = convert.Convert(e.utf8, UNICODE, VPS);
        ASSERT_EQ(vps.size(), 1u) << e.utf8;
        EXPECT_NE(vps[0], '\r');
        EXPECT_NE(vps[0], '\n');
        EXPECT_TRUE(used.insert(vps[0]).second) << e.utf8;
        EXPECT_EQ(convert.Convert(vps, VPS, UNICODE), e.utf8);
    }
    // Points of the published chart, including the capitals on control codes.
    EXPECT_EQ(convert.Convert("ẠẬỴỮ", UNICODE, VPS), "\x02\x03\x19\x1D");
    EXPECT_EQ(convert.Convert("àáâãếỗĂÙ", UNICODE, VPS), "\xE0\xE1\xE2\xE3\x89\x87\x88\xA8");
    EXPECT_EQ(convert.Convert("đƯỏ", UNICODE, VPS), "\xC7\xD0\xD5");
}

TEST_F(TablesTest, WordsSurviveEveryEncodingAndLineBreaksStay) {
    const std::string text =
        "CỘNG HÒA XÃ HỘI CHỦ NGHĨA VIỆT NAM\r\nĐộc lập - Tự do - Hạnh phúc\n"
        "Tờ khai đăng ký thuế thu nhập cá nhân\rQuận Hoàn Kiếm, Hà Nội";
    for (int set : {VPS, VISCII, VNI, VIQR}) {
        std::string legacy = convert.Convert(text, UNICODE, set);
        EXPECT_NE(legacy, text);
        EXPECT_EQ(convert.Convert(legacy, set, UNICODE), text) << set;
    }
    std::string tcvn = convert.Convert(text, UNICODE, TCVN);
    EXPECT_EQ(std::count(tcvn.begin(), tcvn.end(), '\r'), 2);
    EXPECT_EQ(std::count(tcvn.begin(), tcvn.end(), '\n'), 2);
    const std::string lower = "độc lập - tự do - hạnh phúc\r\nhà nội";
    EXPECT_EQ(convert.Convert(convert.Convert(lower, UNICODE, TCVN), TCVN, UNICODE), lower);
}

TEST_F(TablesTest, TextWithoutLettersOfTheTableIsUnchanged) {
    const std::string plain = "Thanh pho 123, Quan 1 - MST: 0100231226\r\n\tSo (2)";
    for (int set : {VPS, VISCII, TCVN, VNI, VIQR}) {
        EXPECT_EQ(convert.Convert(plain, UNICODE, set), plain) << set;
        // VIQR reads "o (" and similar only where a letter's sequence stands.
        EXPECT_EQ(convert.Convert(plain, set, UNICODE), plain) << set;
    }
}

}  // namespace
