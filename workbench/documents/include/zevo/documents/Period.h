#pragma once
// The reporting period of the open declaration and the choice of the template
// version (Validity) that applies to it.
#include <compare>
#include <string>

#include "zevo/Xml.h"

namespace zevo::documents {

// A calendar date; the zero date (all 0) is earlier than every real date.
struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    auto operator<=>(const CalendarDate&) const = default;
    bool isZero() const { return year == 0 && month == 0 && day == 0; }
    std::string text() const;   // "dd/mm/yyyy"
};

// Start of the fiscal year, fixed at start-up.
inline constexpr int kFiscalStartDay = 1;
inline constexpr int kFiscalStartMonth = 1;

CalendarDate LastDayOfMonth(int year, int month);    // zero date outside 1 … 12
CalendarDate LastDayOfQuarter(int quarter, int year);
CalendarDate LastDayOfFiscalYear(int year);
CalendarDate today();

// "dd/mm/yyyy" (one-digit day and month allowed). RuntimeError 13 when it is not
// a real date.
CalendarDate parseDate(const std::string& text);

enum class PeriodKind { None, Monthly, Quarterly, Yearly };

// Tested in this order: "Month" = "1", "ThreeMonth" = "1", "Year" = "1".
PeriodKind periodKindOf(const xml::Node& menuEntry);

// The date the template version is chosen for, from the session's period values
// ("today" for a declaration without a period). Throws on a non-numeric period.
CalendarDate periodReferenceDate(const xml::Node& menuEntry, const CalendarDate& todayDate);

// The key of the session file record: "03/2009", "02/2009", "2009" or "".
std::string periodKey(const xml::Node& menuEntry);

// The Validity of clsVariables::NodeMenu with the latest "StartDate" not after the
// period reference date (the first of equal ones); null when none qualifies.
// Errors are logged; an unreadable "StartDate" ends the search with the best so far.
xml::Node GetValidityNode();
xml::Node GetValidityNode(const CalendarDate& todayDate);

}  // namespace zevo::documents
