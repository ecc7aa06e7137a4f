#include "zevo/rules/DateFormat.h"

#include <cstdint>
#include <vector>

#include "zevo/rules/TaxCode.h"
#include "zevo/rules/mdlFuntions.h"

namespace zevo::rules {

namespace {

enum class DateFormat { DayMonthYear, DayMonth, MonthYear, Year, Unknown };

DateFormat formatOf(const std::string& format) {
    std::string f;
    for (char c : format) f.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c);
    if (f == "DD/MM/YYYY") return DateFormat::DayMonthYear;
    if (f == "DD/MM") return DateFormat::DayMonth;
    if (f == "MM/YYYY") return DateFormat::MonthYear;
    if (f == "YYYY") return DateFormat::Year;
    return DateFormat::Unknown;
}

struct MaskSetting {
    const char* placeholder;
    const char* mask;
};

std::optional<MaskSetting> maskOf(DateFormat f) {
    switch (f) {
        case DateFormat::DayMonthYear: return MaskSetting{"../../....", "99//99//9999"};
        case DateFormat::DayMonth: return MaskSetting{"../..", "99//99"};
        case DateFormat::MonthYear: return MaskSetting{"../....", "99//9999"};
        case DateFormat::Year: return MaskSetting{"....", "9999"};
        case DateFormat::Unknown: break;
    }
    return std::nullopt;
}

// A day or month part: its leading number, or nothing when it does not fit the
// 16-bit field the old runtime read it into.
std::optional<int> shortPart(const std::string& part) {
    std::int64_t v = taxcode::leadingInteger(part);
    if (v < INT16_MIN || v > INT16_MAX) return std::nullopt;
    return static_cast<int>(v);
}

std::vector<std::string> splitParts(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t slash = text.find('/', start);
        parts.push_back(text::trimSpaces(std::string_view(text).substr(
            start, slash == std::string::npos ? std::string::npos : slash - start)));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return parts;
}

int currentYear() {
    auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    return static_cast<int>(Date{today}.year());
}

std::string twoDigits(unsigned v) { return (v < 10 ? "0" : "") + std::to_string(v); }

}  // namespace

void SetDateCellFormat(grid::Spread& grid, int sheet, int row, int col, const std::string& format) {
    grid.setPosition(sheet, col, row);
    grid.setCellType(grid::CellType::Masked);
    grid.setHAlign(grid::HAlign::Center);
    grid.setPlaceholder("../../....");
    if (auto m = maskOf(formatOf(format))) {
        grid.setPlaceholder(m->placeholder);
        grid.setMask(m->mask);
    }
}

void NormalizeDateCell(grid::Spread& grid, int sheet, int row, int col, const std::string& format) {
    grid.setPosition(sheet, col, row);
    setCurrentSheetNumber(sheet);
    std::string text = grid.text();
    if (text::trimSpaces(text).empty()) {
        grid.setPlaceholder("");
    } else if (auto date = ParseDateText(text, format)) {
        grid.setText(FormatDateText(*date, format));
    } else {
        grid.setText("");
    }
    SetCellValue(grid, grid.col(), grid.row(), grid.text());
    if (auto m = maskOf(formatOf(format))) {
        grid.setPlaceholder(m->placeholder);
        grid.setMask(m->mask);
    }
}

std::optional<Date> ParseDateText(std::string& text, const std::string& format) {
    text = removeAll(std::move(text), ".");
    const std::vector<std::string> parts = splitParts(text);
    std::optional<int> day, month;
    std::string year;
    switch (formatOf(format)) {
        case DateFormat::DayMonthYear:
            if (parts.size() != 3) return std::nullopt;
            day = shortPart(parts[0]);
            month = shortPart(parts[1]);
            year = NormalizeYear(parts[2]);
            break;
        case DateFormat::DayMonth:
            if (parts.size() != 2) return std::nullopt;
            day = shortPart(parts[0]);
            month = shortPart(parts[1]);
            year = std::to_string(currentYear());
            break;
        case DateFormat::MonthYear:
            if (parts.size() != 2) return std::nullopt;
            day = 1;
            month = shortPart(parts[0]);
            year = NormalizeYear(parts[1]);
            break;
        case DateFormat::Year:
            if (parts.size() != 1) return std::nullopt;
            day = 1;
            month = 1;
            year = NormalizeYear(parts[0]);
            break;
        case DateFormat::Unknown:
            return std::nullopt;
    }
    if (year.empty() || !day || !month) return std::nullopt;
    return MakeValidDate(std::stoi(year), *month, *day);
}

std::optional<Date> MakeValidDate(int year, int month, int day) {
    // Years below 100 were mapped onto a century window by the old runtime, so they
    // never came back unchanged; the calendar ends at 9999.
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    Date date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
              std::chrono::day{static_cast<unsigned>(day)}};
    if (!date.ok()) return std::nullopt;
    return date;
}

std::string NormalizeYear(const std::string& text) {
    const std::string s = removeAll(text, ".");
    if (!taxcode::isWholeNumber(s)) return {};
    std::int64_t v = taxcode::leadingInteger(s);
    if (v < 0 || v > 9999) return {};
    if (v <= 9) v += 2000;
    if (v <= 99) v += 2000;
    if (v <= 999) v += 2000;
    return v > 1900 ? std::to_string(v) : std::string{};
}

std::string FormatDateText(const Date& date, const std::string& format) {
    const std::string d = twoDigits(static_cast<unsigned>(date.day()));
    const std::string m = twoDigits(static_cast<unsigned>(date.month()));
    const std::string y = std::to_string(static_cast<int>(date.year()));
    switch (formatOf(format)) {
        case DateFormat::DayMonthYear: return d + "/" + m + "/" + y;
        case DateFormat::DayMonth: return d + "/" + m;
        case DateFormat::MonthYear: return m + "/" + y;
        case DateFormat::Year: return y;
        case DateFormat::Unknown: break;
    }
    return {};
}

}  // namespace zevo::rules
