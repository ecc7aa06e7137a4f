// Calendar arithmetic, period keys and the choice of the template version.
#include "DocumentsTestSupport.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/Period.h"

using namespace zevo;
using namespace zevo::documents;
using Period = zevo::test::SessionFixture;

namespace {

// Keeps the menu document alive with the session's NodeMenu.
void selectMenu(const std::string& menuAttributes, const std::string& validities) {
    auto doc = xml::Document::fromString("<Root><Menu ID=\"100_7\" " + menuAttributes + ">" +
                                         validities + "</Menu></Root>");
    clsVariables().NodeMenu(doc->documentElement().firstChildElement());
}

std::string chosen(const CalendarDate& today) {
    return GetAttributeValue(GetValidityNode(today), "Name");
}

const char* kTwoVersions =
    "<Validity Name=\"A\" StartDate=\"01/01/2009\"/><Validity Name=\"B\" StartDate=\"01/07/2010\"/>";

}  // namespace

TEST(Calendar, LastDays) {
    EXPECT_EQ(LastDayOfMonth(2000, 2).text(), "29/02/2000");
    EXPECT_EQ(LastDayOfMonth(2100, 2).text(), "28/02/2100");
    EXPECT_EQ(LastDayOfMonth(2024, 2).text(), "29/02/2024");
    EXPECT_EQ(LastDayOfMonth(2009, 4).text(), "30/04/2009");
    EXPECT_EQ(LastDayOfMonth(2009, 12).text(), "31/12/2009");
    EXPECT_TRUE(LastDayOfMonth(2009, 13).isZero());
    EXPECT_TRUE(LastDayOfMonth(2009, 0).isZero());
    EXPECT_EQ(LastDayOfQuarter(1, 2009).text(), "31/03/2009");
    EXPECT_EQ(LastDayOfQuarter(2, 2009).text(), "30/06/2009");
    EXPECT_EQ(LastDayOfQuarter(4, 2009).text(), "31/12/2009");
    EXPECT_EQ(LastDayOfFiscalYear(2009).text(), "31/12/2009");
    EXPECT_LT(CalendarDate{}, (CalendarDate{1, 1, 1}));

    EXPECT_EQ(parseDate("01/07/2010"), (CalendarDate{2010, 7, 1}));
    EXPECT_EQ(parseDate("1/7/2010"), (CalendarDate{2010, 7, 1}));
    for (const char* bad : {"", "2010-07-01", "31/02/2010", "00/01/2010", "01/13/2010", "aa/bb/cccc"})
        EXPECT_THROW(parseDate(bad), RuntimeError) << bad;
}

TEST_F(Period, ValidityByDateWithoutAPeriod) {
    selectMenu("Year=\"0\"", kTwoVersions);
    EXPECT_EQ(chosen({2010, 3, 15}), "A");
    EXPECT_EQ(chosen({2010, 6, 30}), "A");
    EXPECT_EQ(chosen({2010, 7, 1}), "B");
    EXPECT_TRUE(GetValidityNode({2008, 12, 31}).isNull());

    // Equal start dates: the first in document order wins, whatever the order of
    // the others.
    selectMenu("", "<Validity Name=\"B\" StartDate=\"01/07/2010\"/>"
                   "<Validity Name=\"A1\" StartDate=\"01/01/2009\"/>"
                   "<Validity Name=\"A2\" StartDate=\"01/01/2009\"/>");
    EXPECT_EQ(chosen({2010, 1, 1}), "A1");
    EXPECT_EQ(chosen({2011, 1, 1}), "B");
}

TEST_F(Period, ValidityByReportingPeriod) {
    clsVariables session;
    session.Year("2010");
    session.Month("6");
    selectMenu("Year=\"1\" Month=\"1\"", kTwoVersions);
    EXPECT_EQ(chosen({2030, 1, 1}), "A");   // 30/06/2010, not today
    session.Month("7");
    EXPECT_EQ(chosen({2000, 1, 1}), "B");

    selectMenu("Year=\"1\" ThreeMonth=\"1\"", kTwoVersions);
    session.ThreeMonths("3");
    EXPECT_EQ(chosen({2000, 1, 1}), "B");
    session.ThreeMonths("5");
    EXPECT_TRUE(GetValidityNode({2030, 1, 1}).isNull());
    session.ThreeMonths("03");   // not exactly "1" … "4"
    EXPECT_TRUE(GetValidityNode({2030, 1, 1}).isNull());

    selectMenu("Year=\"1\"", kTwoVersions);
    session.Year("2009");
    EXPECT_EQ(chosen({2030, 1, 1}), "A");
    EXPECT_TRUE(log().empty());
}

TEST_F(Period, ErrorsAreLoggedAndEndTheSearch) {
    clsVariables session;
    session.Year("abc");
    selectMenu("Year=\"1\"", kTwoVersions);
    EXPECT_TRUE(GetValidityNode({2030, 1, 1}).isNull());
    EXPECT_NE(log().find("mdlFunctions GetValidityNode"), std::string::npos);
    EXPECT_NE(log().find("13 : "), std::string::npos);

    // An unreadable start date ends the search with the best node before it.
    selectMenu("", "<Validity Name=\"A\" StartDate=\"01/01/2009\"/>"
                   "<Validity Name=\"X\" StartDate=\"soon\"/>"
                   "<Validity Name=\"B\" StartDate=\"01/07/2010\"/>");
    EXPECT_EQ(chosen({2011, 1, 1}), "A");

    clsVariables().NodeMenu({});
    EXPECT_TRUE(GetValidityNode({2011, 1, 1}).isNull());
}

TEST_F(Period, PeriodKeysArePadded) {
    clsVariables session;
    session.Year("9");
    session.Month("3");
    session.ThreeMonths("2");
    auto doc = xml::Document::fromString(
        "<Root><M Month=\"1\" Year=\"1\"/><Q ThreeMonth=\"1\" Year=\"1\"/><Y Year=\"1\"/>"
        "<N Year=\"2\"/></Root>");
    auto entries = doc->documentElement().childElements();
    EXPECT_EQ(periodKey(entries[0]), "03/0009");
    EXPECT_EQ(periodKey(entries[1]), "02/0009");
    EXPECT_EQ(periodKey(entries[2]), "0009");
    EXPECT_EQ(periodKey(entries[3]), "");
    session.Year("2009");
    session.Month("12");
    EXPECT_EQ(periodKey(entries[0]), "12/2009");
}
