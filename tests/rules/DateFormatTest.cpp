#include <gtest/gtest.h>

#include <chrono>

#include "RulesTestSupport.h"
#include "zevo/rules/DateFormat.h"

namespace zevo::rules::test {
namespace {

// Canonical text of what the parser makes of a text, "" when it is no date.
std::string normalised(std::string text, const std::string& format) {
    auto date = ParseDateText(text, format);
    return date ? FormatDateText(*date, format) : std::string{};
}

int thisYear() { return static_cast<int>(localToday().year()); }

TEST(DateText, DayMonthYear) {
    EXPECT_EQ(normalised("1/2/09", "DD/MM/YYYY"), "01/02/2009");
    EXPECT_EQ(normalised(" 7 / 12 / 2026 ", "DD/MM/YYYY"), "07/12/2026");
    EXPECT_EQ(normalised("31/02/2010", "DD/MM/YYYY"), "");
    EXPECT_EQ(normalised("31/04/2010", "DD/MM/YYYY"), "");
    EXPECT_EQ(normalised("29/02/2012", "DD/MM/YYYY"), "29/02/2012");
    EXPECT_EQ(normalised("29/02/2100", "DD/MM/YYYY"), "");   // 2100 is no leap year
    EXPECT_EQ(normalised("0/1/2010", "DD/MM/YYYY"), "");
    EXPECT_EQ(normalised("1/13/2010", "DD/MM/YYYY"), "");
    EXPECT_EQ(normalised("12/03/1890", "DD/MM/YYYY"), "");
    EXPECT_EQ(normalised("12/03/1901", "DD/MM/YYYY"), "12/03/1901");
    EXPECT_EQ(normalised("1/2", "DD/MM/YYYY"), "");
    EXPECT_EQ(normalised("1/2/2010/5", "DD/MM/YYYY"), "");
    EXPECT_EQ(normalised("", "DD/MM/YYYY"), "");
    // Leading digits count, the rest of a part is ignored.
    EXPECT_EQ(normalised("3x/4y/2011", "DD/MM/YYYY"), "03/04/2011");
}

TEST(DateText, DotsAreRemovedFirst) {
    std::string text = "12.03.2010";
    EXPECT_FALSE(ParseDateText(text, "DD/MM/YYYY"));   // one part left
    EXPECT_EQ(text, "12032010");
    EXPECT_EQ(normalised("1.2/0.3/20.10", "DD/MM/YYYY"), "12/03/2010");
}

TEST(DateText, PartsTooLargeForShortFieldsAreInvalid) {
    EXPECT_EQ(normalised("99999/1/2020", "DD/MM/YYYY"), "");
    EXPECT_EQ(normalised("1/70000/2020", "DD/MM/YYYY"), "");
    EXPECT_EQ(normalised("99999999999999999999/1/2020", "DD/MM/YYYY"), "");
    EXPECT_EQ(normalised("-1/1/2020", "DD/MM/YYYY"), "");
}

TEST(DateText, OtherFormatsAndLowerCase) {
    const std::string year = std::to_string(thisYear());
    EXPECT_EQ(normalised("5/7", "DD/MM"), "05/07");
    EXPECT_EQ(normalised("5/7", "dd/mm"), "05/07");
    EXPECT_EQ(normalised("5/7/2010", "DD/MM"), "");
    std::string leapDay = "29/2";
    const bool leap = (thisYear() % 4 == 0 && thisYear() % 100 != 0) || thisYear() % 400 == 0;
    EXPECT_EQ(ParseDateText(leapDay, "DD/MM").has_value(), leap);
    EXPECT_EQ(normalised("3/2011", "MM/YYYY"), "03/2011");
    EXPECT_EQ(normalised("3/11", "mm/yyyy"), "03/2011");
    EXPECT_EQ(normalised("13/2011", "MM/YYYY"), "");
    EXPECT_EQ(normalised("2011", "YYYY"), "2011");
    EXPECT_EQ(normalised("85", "yyyy"), "2085");
    EXPECT_EQ(normalised("1/2/09", "dd/mm/yyyy"), "01/02/2009");
    EXPECT_EQ(normalised("1/2/09", "D/M/Y"), "");
    EXPECT_EQ(FormatDateText(Date{std::chrono::year{2009}, std::chrono::month{2}, std::chrono::day{1}},
                             "Day"),
              "");
}

TEST(DateText, TodayAndTheCurrentYearAreLocal) {
    bool dayDiffers = false;
    for (const ZoneCase& zone : kFarZones) {
        LocalZone local(zone.rule);
        const Date expected = dateAtOffset(zone.hoursEast);
        dayDiffers = dayDiffers || expected != dateAtOffset(0);
        EXPECT_EQ(Today(), expected) << zone.rule;
        std::string dayMonth = "31/12";
        auto parsed = ParseDateText(dayMonth, "DD/MM");
        ASSERT_TRUE(parsed) << zone.rule;
        EXPECT_EQ(parsed->year(), expected.year()) << zone.rule;
    }
    EXPECT_TRUE(dayDiffers) << "one of the zones is always on another day than UTC";
}

TEST(DateText, YearCompletion) {
    EXPECT_EQ(NormalizeYear("0"), "2000");
    EXPECT_EQ(NormalizeYear("5"), "2005");
    EXPECT_EQ(NormalizeYear("85"), "2085");
    EXPECT_EQ(NormalizeYear("100"), "2100");
    EXPECT_EQ(NormalizeYear("999"), "2999");
    EXPECT_EQ(NormalizeYear("1000"), "");
    EXPECT_EQ(NormalizeYear("1900"), "");
    EXPECT_EQ(NormalizeYear("1901"), "1901");
    EXPECT_EQ(NormalizeYear("9999"), "9999");
    EXPECT_EQ(NormalizeYear("10000"), "");
    EXPECT_EQ(NormalizeYear("-5"), "");
    EXPECT_EQ(NormalizeYear("20x"), "");
    EXPECT_EQ(NormalizeYear(""), "");
    EXPECT_EQ(NormalizeYear("2.010"), "2010");
}

class DateCellTest : public RulesSession {};

TEST_F(DateCellTest, FormatsGiveMaskAndPlaceholder) {
    buildGrid();
    const struct {
        const char* format;
        const char* placeholder;
        const char* mask;
    } cases[] = {{"DD/MM/YYYY", "../../....", "99//99//9999"},
                 {"dd/mm", "../..", "99//99"},
                 {"MM/YYYY", "../....", "99//9999"},
                 {"yyyy", "....", "9999"},
                 {"other", "../../....", ""}};
    int row = 39;
    for (const auto& c : cases) {
        SetDateCellFormat(grid_, 1, row, col("N"), c.format);
        grid_.setPosition(1, col("N"), row);
        EXPECT_EQ(grid_.cellType(), grid::CellType::Masked) << c.format;
        EXPECT_EQ(grid_.placeholder(), c.placeholder) << c.format;
        EXPECT_EQ(grid_.mask(), c.mask) << c.format;
        ++row;
    }
}

}  // namespace
}  // namespace zevo::rules::test
