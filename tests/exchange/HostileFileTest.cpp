// Exchange files are untrusted: whatever a file holds, the import refuses it with
// "0072", reads nothing outside it and leaves the data files as they were.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "Declaration.h"
#include "zevo/exchange/BackupRestoreController.h"
#include "zevo/exchange/ExchangeWriter.h"

namespace zevo::exchange::test {
namespace {

class HostileFileTest : public DeclarationTest {
protected:
    void SetUp() override {
        DeclarationTest::SetUp();
        fill(2, 1);
        const auto book = CreateExcelBook();
        good_ = book[0] + book[3];
        ExchangeReader reader(grid_);
        ASSERT_TRUE(reader.RestoreDataFile(good_, false));
        tk_ = readFile(dataPath("TK"));
        bk_ = readFile(dataPath("BK"));
        presenter_->clear();
    }
    // Imports the file's bytes through the dialog (merge, no questions) and
    // expects "0072" with the data files untouched.
    void expectRefused(const std::string& bytes, const char* what) {
        writeFile(root_ / "hostile.txt", bytes);
        BackupRestoreController dialog(grid_);
        dialog.bIsBackup = false;
        dialog.Form_Load();
        dialog.setPath((root_ / "hostile.txt").string());
        presenter_->clear();
        EXPECT_FALSE(dialog.cmdOK_Click()) << what;
        EXPECT_EQ(presenter_->shownIds(), Ids({"0072"})) << what;
        EXPECT_EQ(readFile(dataPath("TK")), tk_) << what;
        EXPECT_EQ(readFile(dataPath("BK")), bk_) << what;
        dialog.Form_Unload();
    }
    std::string good_, tk_, bk_;
};

TEST_F(HostileFileTest, ExternalEntitiesReadNothing) {
    const std::string secret = (root_ / "secret.txt").string();
    writeFile(secret, "SECRET-VALUE");
    const std::string dtd = "<!DOCTYPE S1 [<!ENTITY xxe SYSTEM \"file://" + secret + "\">]>";
    expectRefused(toUtf16File(dtd + "<S1><S><C>&xxe;~~~</C></S></S1>"), "DTD before the block");
    expectRefused(toUtf16File("<S1>" + dtd + "<S><C>&xxe;~~~</C></S></S1>"), "DTD inside the block");
    expectRefused(toUtf16File("<S1><S><C>&xxe;~~~</C></S></S1>"), "undeclared entity");
    expectRefused(toUtf16File("<S1><S><C><?xml-stylesheet href=\"http://x/\"?>~~~</C></S></S1>"),
                  "processing instruction");
    EXPECT_EQ(readFile(dataPath("TK")).find("SECRET"), std::string::npos);
}

TEST_F(HostileFileTest, EntityExpansionIsRefusedAtOnce) {
    std::string dtd = "<!DOCTYPE S1 [<!ENTITY l0 \"lol\">";
    for (int i = 1; i <= 9; ++i) {
        dtd += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) dtd += "&l" + std::to_string(i - 1) + ";";
        dtd += "\">";
    }
    dtd += "]>";
    const auto start = std::chrono::steady_clock::now();
    expectRefused(toUtf16File(dtd + "<S1><S><C>&l9;~~~</C></S></S1>"), "billion laughs before");
    expectRefused(toUtf16File("<S1>" + dtd + "<S><C>&l9;~~~</C></S></S1>"), "billion laughs inside");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(HostileFileTest, BytesThatAreNotAnExchangeFile) {
    const std::string bytes = toUtf16File(good_);
    expectRefused(bytes.substr(0, bytes.size() - 1), "odd byte count");
    expectRefused(bytes.substr(2), "no byte-order mark");
    expectRefused(bytes.substr(0, bytes.size() / 2 & ~std::size_t(1)), "cut in half");
    expectRefused(toUtf16File("<S1>\xF0\x9D\x84\x9E</S1>").substr(0, 12), "cut inside a surrogate pair");
    expectRefused("", "empty file");
    std::mt19937 random(7);
    std::string noise = "\xFF\xFE";
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>(random());
    expectRefused(noise, "stray bytes");
    expectRefused(toUtf16File(good_ + std::string("\0", 1)), "a NUL after the blocks");
    expectRefused(toUtf16File(good_.substr(0, 10) + std::string("\x01", 1) + good_.substr(10)),
                  "a control character in a value");
}

TEST_F(HostileFileTest, FiftyMegabytesOfOneLine) {
    expectRefused(toUtf16File(std::string(25'000'000, 'A')), "one line of letters");
    expectRefused(toUtf16File("<S1>" + std::string(25'000'000, 'A') + "</S1>"),
                  "a sheet block of 25 million characters of text");
    expectRefused(toUtf16File(std::string(5'000'000, '<') + "S1>"), "a line of tag starts");
}

}  // namespace
}  // namespace zevo::exchange::test
