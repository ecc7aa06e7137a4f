#pragma once
// Day numbers of the 1900 date system spreadsheets use: 1 = 1900-01-01, and the
// non-existent 1900-02-29 is day 60, so that day numbers match the workbooks'.
#include <optional>
#include <string_view>

namespace zevo::grid::formula::detail {

struct CivilDate {
    int year = 1900;
    int month = 1;
    int day = 0;
};

// DATE's rules: years 0..1899 count from 1900, months and days beyond their
// range roll over. Nothing for a year outside 0..9999 or a day before day 0.
std::optional<double> dateSerial(double year, double month, double day);

// The date of a day number (fraction ignored); nothing below 0 or past 9999.
std::optional<CivilDate> civilFromSerial(double serial);

// "dd/mm/yyyy" (day first, as dates are written here) or "yyyy-mm-dd".
std::optional<double> parseDateText(std::string_view text);

}  // namespace zevo::grid::formula::detail
