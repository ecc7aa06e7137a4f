// Conversion rules on small hand-made tables: replacement order of the map
// lines, the unused last line, literal markers, bad sets and broken tables.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsUnicodeConvert.h"
#include "zevo/engine/clsUnicodeTCVNConverter.h"

namespace fs = std::filesystem;
using namespace zevo;

namespace {

void write(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

class RulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("zevo_charset_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        // Three letters: á, ê, ơ.
        write(dir / "UnicodeVowels.xml", "<?xml version=\"1.0\"?><V>áêơ</V>");
        write(dir / "VIQRVowels.txt", "a'\r\ne^\r\no+\r\n");
    }
    void TearDown() override {
        fs::remove_all(dir);
        clsUnicodeConvert::setLibraryFolderOverride("");
        setProgramFolderOverride("");
    }
    int errorOf(const std::string& text, int from, int to) {
        try {
            clsUnicodeConvert(dir.string()).Convert(text, from, to);
        } catch (const RuntimeError& e) {
            return e.number();
        }
        return 0;
    }
    fs::path dir;
};

TEST_F(RulesTest, MapLinesRunInOrderEachOverTheWholeText) {
    // "e^" is listed before "^'", so in "e^'" the first one wins and the "'" stays.
    write(dir / "VIQRVowelMap.txt", "e^ 002\r\n^' 001\r\na' 001\r\n");
    clsUnicodeConvert c(dir.string());
    EXPECT_EQ(c.Convert("e^'", VIQR, UNICODE), "ê'");
    EXPECT_EQ(c.Convert("a'a' ^'", VIQR, UNICODE), "áá á");

    write(dir / "VIQRVowelMap.txt", "^' 001\r\ne^ 002\r\n");
    EXPECT_EQ(c.Convert("e^'", VIQR, UNICODE), "eá");
}

TEST_F(RulesTest, TheLastMapLineIsNotApplied) {
    write(dir / "VIQRVowelMap.txt", "a' 001\r\no+ 003");
    clsUnicodeConvert c(dir.string());
    EXPECT_EQ(c.Convert("a'o+", VIQR, UNICODE), "áo+");
}

TEST_F(RulesTest, ReplacedLettersAreNotMatchedAgainAndLiteralMarkersStay) {
    // The replacement of "a'" must not feed the later line "01".
    write(dir / "VIQRVowelMap.txt", "a' 001\r\n01 003\r\n");
    clsUnicodeConvert c(dir.string());
    EXPECT_EQ(c.Convert("a'", VIQR, UNICODE), "á");
    // "|003" in the text is text, not a letter.
    EXPECT_EQ(c.Convert("x|003y", VIQR, UNICODE), "x|003y");
    EXPECT_EQ(c.Convert("01", VIQR, UNICODE), "ơ");
}

TEST_F(RulesTest, SameSetEmptyTextAndUnknownSets) {
    clsUnicodeConvert c(dir.string());
    EXPECT_EQ(c.Convert("á", VPS, VPS), "á");
    EXPECT_EQ(c.Convert("", UNICODE, VPS), "");
    EXPECT_EQ(c.Convert("á", UNICODE, 7), "");
    EXPECT_EQ(c.Convert("á", UNICODE, 0), "");
    EXPECT_EQ(c.Convert("a'", 9, UNICODE), "");
    // From a legacy set the result is Unicode whatever the target says.
    write(dir / "VIQRVowelMap.txt", "a' 001\r\n");
    EXPECT_EQ(c.Convert("a'", VIQR, VNI), "á");
}

TEST_F(RulesTest, MissingOrShortTablesRaiseErrors) {
    EXPECT_EQ(errorOf("á", UNICODE, VPS), err::kFileNotFound);
    EXPECT_EQ(errorOf("x", VNI, UNICODE), err::kFileNotFound);
    write(dir / "VPSVowels.txt", "\xE1\xEA");   // one letter short
    EXPECT_EQ(errorOf("á", UNICODE, VPS), err::kSubscriptOutOfRange);
    write(dir / "VNIVowelMap.txt", "a\xF9 004\r\n");   // beyond the list
    EXPECT_EQ(errorOf("a\xF9", VNI, UNICODE), err::kSubscriptOutOfRange);
    fs::remove(dir / "UnicodeVowels.xml");
    EXPECT_EQ(errorOf("á", UNICODE, VIQR), err::kFileNotFound);
}

TEST_F(RulesTest, CharactersOutsideTheTablesFollowTheDocumentedRepresentation) {
    write(dir / "VPSVowels.txt", "\xE1\xEA\xD6");
    clsUnicodeConvert c(dir.string());
    // Latin-1 characters become their byte, others keep their UTF-8 bytes.
    EXPECT_EQ(c.Convert("ç€á", UNICODE, VPS), "\xE7\xE2\x82\xAC\xE1");
    // Unknown high bytes read as Latin-1, so the result is valid UTF-8.
    EXPECT_EQ(c.Convert("\xE7\xD6", VPS, UNICODE), "çơ");
}

TEST_F(RulesTest, DefaultFoldersOfTheLibraryAndTheProgram) {
    clsUnicodeConvert::setLibraryFolderOverride(dir.string());
    EXPECT_EQ(clsUnicodeConvert().tableFolder(), dir.string() + "/");
    clsUnicodeConvert::setLibraryFolderOverride("");
    std::string library = clsUnicodeConvert().tableFolder();
    EXPECT_TRUE(fs::exists(fs::path(library) / "libZEVO_Utilities.so")) << library;

    // The program reads its own copy in References beside the program folder.
    fs::create_directories(dir / "Bin");
    fs::create_directories(dir / "References");
    for (const char* name : {"UnicodeVowels.xml", "TCVNVowels.txt"})
        fs::copy_file(fs::path(ZEVO_CHARSET_TABLE_DIR) / name, dir / "References" / name);
    setProgramFolderOverride((dir / "Bin").string());
    engine::clsUnicodeTCVNConverter program;
    EXPECT_EQ(program.tableFolder(), (dir / "References").string() + "/");
    EXPECT_EQ(program.Convert("Hà Nội", UNICODE, TCVN), "H\xB5 N\xE9i");
    EXPECT_EQ(program.Convert("H\xB5 N\xE9i", TCVN, UNICODE), "Hà Nội");
}

TEST_F(RulesTest, OverlongAndSurrogateSequencesAreNotLetters) {
    write(dir / "VPSVowels.txt", "\xE1\xEA\xD6");
    clsUnicodeConvert c(dir.string());
    // "C0 BC" spells "<" in too many bytes and "ED A0 80" a lone surrogate: both
    // are broken bytes, copied as they stand, never a character.
    EXPECT_EQ(c.Convert("a\xC0\xBC", UNICODE, VPS), "a\xC0\xBC");
    EXPECT_EQ(c.Convert("\xE0\x80\xBC\xED\xA0\x80", UNICODE, VPS), "\xE0\x80\xBC\xED\xA0\x80");
    EXPECT_EQ(c.Convert("\xF4\x90\x80\x80", UNICODE, VPS), "\xF4\x90\x80\x80");
}

}  // namespace
