#pragma once
// Date cells of the declaration: four text formats ("DD/MM/YYYY", "DD/MM",
// "MM/YYYY", "YYYY", compared without regard to case), masked grid cells for them,
// and the parser that rewrites what the user typed in canonical form or clears it.
#include <chrono>
#include <optional>
#include <string>

#include "zevo/grid/Spread.h"

namespace zevo::rules {

using Date = std::chrono::year_month_day;

// Makes (sheet, row, col) a masked date cell of the format. The library's current
// sheet number is not changed.
void SetDateCellFormat(grid::Spread& grid, int sheet, int row, int col, const std::string& format);
// Reparses the cell's text, rewrites it canonically (or clears it when it is no
// valid date), stores it in the sheet document and sets placeholder and mask.
void NormalizeDateCell(grid::Spread& grid, int sheet, int row, int col, const std::string& format);

// The date the text denotes in the format, or nothing. The text loses its "."
// characters in place. A part too large for the old 16-bit fields counts as invalid.
std::optional<Date> ParseDateText(std::string& text, const std::string& format);
// The date of exactly these year, month and day, or nothing (31/04, 29/02 of a
// common year, month 0 or 13, day 0 ... are rejected).
std::optional<Date> MakeValidDate(int year, int month, int day);
// A year text: 0-999 become 2000 + value; years after 1900 up to 9999 are kept;
// anything else (not a number, negative, 1000-1900, above 9999) gives "".
std::string NormalizeYear(const std::string& text);
// Today's local date: the declaration date and the year of "DD/MM" dates.
Date Today();
// Canonical text of the date in the format; "" for an unknown format.
std::string FormatDateText(const Date& date, const std::string& format);

}  // namespace zevo::rules
