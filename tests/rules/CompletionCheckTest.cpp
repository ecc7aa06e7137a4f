#include <gtest/gtest.h>

#include "RulesTestSupport.h"

namespace zevo::rules::test {
namespace {

class CompletionCheckTest : public RulesSession {
protected:
    std::string formulaOf(int sheet, const char* column, int row) {
        grid_.setPosition(sheet, col(column), row);
        return grid_.formula();
    }
    // A complete, valid individual on sheet 1.
    void completeRow(int row, const std::string& t) {
        put(1, "G", row, "1234567893");
        put(1, "K", row, "Nguyễn Văn A");
        put(1, "Q", row, "Nam");
        put(1, "S", row, "Việt Nam");
        put(1, "R", row, "00");
        put(1, "T", row, t);
        put(1, "AH", row, "Việt Nam");
        for (const char* c : {"AK", "AM", "AO", "AI"}) put(1, c, row, "x");
    }
};

TEST_F(CompletionCheckTest, FinishMarksFailuresAndWritesTheSummary) {
    buildGrid(3);
    put(1, "K", 9, "1234567890");
    completeRow(38, "012345678");
    put(1, "G", 38, "1234567890");
    put(1, "Q", 38, " ");
    put(1, "AM", 38, "");
    // Row 39 repeats T and, without nationality "00", lacks W.
    put(1, "T", 39, "012345678");
    put(1, "R", 39, "12");
    // Row 40 holds zeros only; its old marks go.
    put(1, "K", 40, "000");
    grid_.setPosition(1, col("K"), 40);
    grid_.setNote("old");
    grid_.setBackColor(12632319);

    grid_.setSheet(2);
    attach().finish();

    EXPECT_EQ(grid_.sheet(), 1);
    EXPECT_TRUE(grid_.eventsEnabled());
    EXPECT_TRUE(marked(1, "K", 9));
    EXPECT_EQ(noteOf(1, "K", 9), "E42");
    EXPECT_EQ(noteOf(1, "G", 38), "E42");
    EXPECT_EQ(noteOf(1, "Q", 38), "E17");
    EXPECT_EQ(noteOf(1, "AM", 38), "E22");
    EXPECT_FALSE(marked(1, "AK", 38));
    EXPECT_FALSE(marked(1, "W", 38));
    // Both rows of a repeated T are marked.
    EXPECT_EQ(noteOf(1, "T", 38), "E13");
    EXPECT_EQ(noteOf(1, "T", 39), "E13");
    EXPECT_EQ(noteOf(1, "W", 39), "E20");
    EXPECT_EQ(noteOf(1, "K", 39), "E15");
    EXPECT_FALSE(marked(1, "K", 40));
    EXPECT_EQ(noteOf(1, "K", 40), "");
    EXPECT_FALSE(marked(1, "Q", 40));

    // Rows are counted by K alone, so the row of zeros counts too.
    EXPECT_EQ(text(1, "Q", 19), "2");
    EXPECT_EQ(text(3, "B", 15), "0");
    EXPECT_EQ(formulaOf(3, "C", 15), "'Tờ khai'!K9");
}

TEST_F(CompletionCheckTest, FinishClearsMarksOnceFixed) {
    buildGrid(2);
    put(1, "K", 9, "1234567890");
    completeRow(38, "012345678");
    put(1, "Q", 38, "");
    attach().finish();
    EXPECT_TRUE(marked(1, "Q", 38));

    put(1, "K", 9, "1234567893");
    put(1, "Q", 38, "Nam");
    rule().finish();
    EXPECT_FALSE(marked(1, "K", 9));
    EXPECT_FALSE(marked(1, "Q", 38));
    EXPECT_EQ(noteOf(1, "Q", 38), "");
    EXPECT_EQ(text(1, "K", 9), "1234567893");
    EXPECT_EQ(text(3, "B", 15), "1");
    EXPECT_EQ(formulaOf(3, "C", 15), "");
}

TEST_F(CompletionCheckTest, ClearedTaxCodeTakesItsTintFromTheValidationTable) {
    buildGrid(1);
    // The window's validation table refers to K9 from a tinted C cell.
    grid_.setPosition(3, col("C"), 12);
    grid_.setFormula("'Tờ khai'!K9");
    grid_.setBackColor(0xFFFFCC);
    put(1, "K", 9, "12345");
    attach().finish();
    EXPECT_TRUE(marked(1, "K", 9));
    put(1, "K", 9, "1234567893");
    rule().finish();
    grid_.setPosition(1, col("K"), 9);
    EXPECT_EQ(grid_.backColor(), 0xFFFFCCu);
    EXPECT_EQ(grid_.note(), "");
}

TEST_F(CompletionCheckTest, FirstErrorFollowsCheckOrder) {
    buildGrid(2);
    put(1, "K", 9, "123-456-7893");
    completeRow(38, "012345678");
    completeRow(39, "112345678");
    put(1, "AI", 39, "");
    put(1, "G", 39, "12345");
    attach().finish();
    EXPECT_EQ(text(1, "K", 9), "1234567893");
    EXPECT_EQ(storedValue(0, "K_9"), "1234567893");
    EXPECT_EQ(formulaOf(3, "C", 15), "'Tờ khai'!G39");
    EXPECT_EQ(text(1, "Q", 19), "2");
}

TEST_F(CompletionCheckTest, IdentityPaperLengthAndOtherNationalities) {
    buildGrid(3);
    put(1, "K", 9, "");
    completeRow(38, "12345678");
    completeRow(39, "1234567890");
    completeRow(40, "123456789");
    put(1, "R", 40, "12");
    put(1, "W", 40, "B1234567");
    attach().finish();
    EXPECT_EQ(noteOf(1, "T", 38), "E43");
    EXPECT_EQ(noteOf(1, "T", 39), "E43");
    // Not "00": W is the paper, T is not required.
    EXPECT_FALSE(marked(1, "T", 40));
    EXPECT_FALSE(marked(1, "W", 40));
    EXPECT_FALSE(marked(1, "K", 9));   // an empty header tax code is valid
}

TEST_F(CompletionCheckTest, CitizenIdentityNumberHasTwelveDigits) {
    buildGrid(3);
    put(1, "K", 9, "");
    completeRow(38, "001085012345");
    completeRow(39, "123456789");
    completeRow(40, "12345678901");
    attach().finish();
    EXPECT_FALSE(marked(1, "T", 38));
    EXPECT_FALSE(marked(1, "T", 39));
    EXPECT_EQ(noteOf(1, "T", 40), "E43");
}

TEST_F(CompletionCheckTest, ChoicesLeftUnderAnotherParentAreMarked) {
    buildGrid(2);
    put(1, "K", 9, "");
    // The department became Hai Phong; the office of Ha Noi stayed.
    put(1, "L", 13, "HPH - Cục Thuế Hải Phòng");
    put(1, "L", 15, "Chi cục Thuế Ba Đình");
    completeRow(38, "123456789");
    // The province became Hai Phong; district and ward of Ha Noi stayed.
    put(1, "AB", 38, "Hải Phòng");
    put(1, "AD", 38, "Ba Đình");
    put(1, "AF", 38, "Phúc Xá");
    // A ward of another district of the right province.
    put(1, "AK", 38, "Hà Nội");
    put(1, "AM", 38, "Ba Đình");
    put(1, "AO", 38, "Phúc Tân");
    completeRow(39, "123456780");
    put(1, "AB", 39, "Hà Nội");
    put(1, "AD", 39, "Hoàn Kiếm");
    put(1, "AF", 39, "Phúc Tân");
    attach().finish();

    EXPECT_EQ(noteOf(1, "L", 15), "E48");
    EXPECT_EQ(noteOf(1, "AD", 38), "E49");
    EXPECT_FALSE(marked(1, "AF", 38)) << "only the district is out of place";
    EXPECT_FALSE(marked(1, "AM", 38));
    EXPECT_EQ(noteOf(1, "AO", 38), "E49");
    for (const char* c : {"AD", "AF", "AK", "AM", "AO"}) EXPECT_FALSE(marked(1, c, 39)) << c;
    EXPECT_EQ(text(3, "B", 15), "0");
    EXPECT_EQ(formulaOf(3, "C", 15), "'Tờ khai'!L15");

    // Fixed choices lose their marks on the next check.
    put(1, "AD", 38, "Hồng Bàng");
    put(1, "AO", 38, "Trúc Bạch");
    rule().finish();
    EXPECT_FALSE(marked(1, "AD", 38));
    EXPECT_FALSE(marked(1, "AF", 38));
    EXPECT_FALSE(marked(1, "AO", 38));
}

TEST_F(CompletionCheckTest, EmptyListPassesWhenHeaderIsValid) {
    buildGrid(0);
    put(1, "K", 9, "1234567893");
    put(1, "Q", 19, "5");
    attach().finish();
    EXPECT_EQ(text(1, "Q", 19), "0");
    EXPECT_EQ(text(3, "B", 15), "1");
    EXPECT_EQ(formulaOf(3, "C", 15), "");
}

TEST_F(CompletionCheckTest, Finish2ChoiceGroupPairsAndDayMonthOrder) {
    buildGrid(1, 4);
    const char* choices[] = {"CN", "CP", "CR", "CT", "CV", "CX", "CZ", "DB", "DD"};
    const char* partners[] = {"CO", "CQ", "CS", "CU", "CW", "CY", "DA", "DC", "DE"};
    for (int r = 5; r <= 8; ++r) {
        put(2, "C", r, "01/01/2020");
        for (const char* c : choices) put(2, c, r, "N");
    }
    put(2, "CT", 6, "Y");      // one real choice clears the group
    put(2, "CN", 7, "");       // empty counts as "N"
    put(2, "BW", 5, "16/03");
    put(2, "BX", 5, "15/03");
    put(2, "BW", 6, "15/03");
    put(2, "BX", 6, "16/03");
    put(2, "BW", 7, "15/03");
    put(2, "BX", 7, "15/03");
    put(2, "BW", 8, "xx");     // no date sorts before any date
    put(2, "BX", 8, "15/03");
    put(2, "V", 6, "x");       // W required
    put(2, "Z", 7, "01/01/2020");   // Y required
    put(2, "Y", 8, "1");       // Z required
    put(2, "Z", 8, "");
    grid_.setSheet(1);
    attach().finish2();

    EXPECT_EQ(grid_.sheet(), 1);
    for (const char* p : partners) {
        EXPECT_EQ(noteOf(2, p, 5), "E40") << p;
        EXPECT_FALSE(marked(2, p, 6)) << p;
        EXPECT_TRUE(marked(2, p, 7)) << p;
    }
    EXPECT_EQ(noteOf(2, "BW", 5), "E41");
    EXPECT_FALSE(marked(2, "BW", 6));
    EXPECT_FALSE(marked(2, "BW", 7));
    EXPECT_FALSE(marked(2, "BW", 8));
    EXPECT_EQ(noteOf(2, "W", 6), "E34");
    EXPECT_EQ(noteOf(2, "Y", 7), "E30");
    EXPECT_EQ(noteOf(2, "Z", 8), "E35");
    EXPECT_EQ(noteOf(2, "E", 5), "E25");
    EXPECT_EQ(noteOf(2, "EJ", 8), "E39");
    EXPECT_FALSE(marked(2, "C", 5));
    EXPECT_EQ(text(3, "B", 24), "0");
    // The grid may drop quotes a plain sheet name does not need.
    const std::string reference = formulaOf(3, "C", 24);
    EXPECT_TRUE(reference == "'PL'!E5" || reference == "PL!E5") << reference;
    // Sheet 1's summary is not touched.
    EXPECT_EQ(text(3, "B", 15), "");
}

TEST_F(CompletionCheckTest, Finish2OnRowsWithoutContent) {
    buildGrid(1, 2);
    put(2, "C", 5, "0");
    put(2, "E", 5, "00");
    grid_.setPosition(2, col("E"), 5);
    grid_.setNote("old");
    grid_.setBackColor(12632319);
    attach().finish2();
    EXPECT_FALSE(marked(2, "E", 5));
    EXPECT_FALSE(marked(2, "CO", 5));
    EXPECT_EQ(text(3, "B", 24), "1");
    EXPECT_EQ(formulaOf(3, "C", 24), "");
}

}  // namespace
}  // namespace zevo::rules::test
