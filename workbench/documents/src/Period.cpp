#include "zevo/documents/Period.h"

#include <cstdio>
#include <ctime>

#include "NumericText.h"
#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"

namespace zevo::documents {

namespace {

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && isLeapYear(year)) return 29;
    return kDays[month - 1];
}

CalendarDate addMonthsThenPreviousDay(CalendarDate d, int months) {
    int total = d.year * 12 + (d.month - 1) + months;
    d.year = total / 12;
    d.month = total % 12 + 1;
    d.day = std::min(d.day, daysInMonth(d.year, d.month));
    // One day back.
    if (--d.day == 0) {
        if (--d.month == 0) {
            d.month = 12;
            --d.year;
        }
        d.day = daysInMonth(d.year, d.month);
    }
    return d;
}

}  // namespace

std::string CalendarDate::text() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", day, month, year);
    return buf;
}

CalendarDate LastDayOfMonth(int year, int month) {
    if (month < 1 || month > 12) return {};
    return {year, month, daysInMonth(year, month)};
}

CalendarDate LastDayOfQuarter(int quarter, int year) { return LastDayOfMonth(year, 3 * quarter); }

CalendarDate LastDayOfFiscalYear(int year) {
    return addMonthsThenPreviousDay({year, kFiscalStartMonth, kFiscalStartDay}, 12);
}

CalendarDate today() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

CalendarDate parseDate(const std::string& text) {
    auto bad = [&]() -> RuntimeError {
        return RuntimeError(err::kTypeMismatch, "Type mismatch: date \"" + text + "\"");
    };
    auto first = text.find('/');
    auto second = first == std::string::npos ? first : text.find('/', first + 1);
    if (second == std::string::npos) throw bad();
    auto day = detail::parseWhole(text.substr(0, first));
    auto month = detail::parseWhole(text.substr(first + 1, second - first - 1));
    auto year = detail::parseWhole(text.substr(second + 1));
    if (!day || !month || !year || *year < 100 || *year > 9999 || *month < 1 || *month > 12)
        throw bad();
    CalendarDate d{static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day)};
    if (d.day < 1 || d.day > daysInMonth(d.year, d.month)) throw bad();
    return d;
}

PeriodKind periodKindOf(const xml::Node& menuEntry) {
    if (GetAttributeValue(menuEntry, "Month") == "1") return PeriodKind::Monthly;
    if (GetAttributeValue(menuEntry, "ThreeMonth") == "1") return PeriodKind::Quarterly;
    if (GetAttributeValue(menuEntry, "Year") == "1") return PeriodKind::Yearly;
    return PeriodKind::None;
}

CalendarDate periodReferenceDate(const xml::Node& menuEntry, const CalendarDate& todayDate) {
    clsVariables session;
    switch (periodKindOf(menuEntry)) {
        case PeriodKind::Monthly:
            return LastDayOfMonth(detail::toInt16(session.Year()),
                                  detail::toInt16(session.Month()));
        case PeriodKind::Quarterly: {
            const std::string q = session.ThreeMonths();
            if (q != "1" && q != "2" && q != "3" && q != "4") return {};
            return LastDayOfQuarter(q[0] - '0', detail::toInt16(session.Year()));
        }
        case PeriodKind::Yearly:
            return LastDayOfFiscalYear(detail::toInt16(session.Year()));
        case PeriodKind::None:
            break;
    }
    return todayDate;
}

std::string periodKey(const xml::Node& menuEntry) {
    clsVariables session;
    switch (periodKindOf(menuEntry)) {
        case PeriodKind::Monthly:
            return detail::padDigits(session.Month(), 2) + "/" + detail::padDigits(session.Year(), 4);
        case PeriodKind::Quarterly:
            return detail::padDigits(session.ThreeMonths(), 2) + "/" +
                   detail::padDigits(session.Year(), 4);
        case PeriodKind::Yearly:
            return detail::padDigits(session.Year(), 4);
        case PeriodKind::None:
            break;
    }
    return {};
}

xml::Node GetValidityNode() { return GetValidityNode(today()); }

xml::Node GetValidityNode(const CalendarDate& todayDate) {
    xml::Node best;
    try {
        xml::Node menu = clsVariables().NodeMenu();
        if (menu.isNull()) throw RuntimeError(91, "Object variable not set (no menu entry)");
        const CalendarDate reference = periodReferenceDate(menu, todayDate);
        CalendarDate bestStart;
        for (const xml::Node& validity : menu.selectNodes("Validity")) {
            CalendarDate start = parseDate(GetAttributeValue(validity, "StartDate"));
            if (start <= reference && (best.isNull() || start > bestStart)) {
                best = validity;
                bestStart = start;
            }
        }
    } catch (const std::exception& e) {
        WriteErrorLog("mdlFunctions", "GetValidityNode", e);
    }
    return best;
}

}  // namespace zevo::documents
