#include "DateSerial.h"

#include <cmath>
#include <string>

namespace zevo::grid::formula::detail {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

CivilDate civilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

const long long kDay0 = daysFromCivil(1899, 12, 31);
const double kLastSerial = 2958465;   // 9999-12-31

}  // namespace

std::optional<double> dateSerial(double year, double month, double day) {
    // Parts this far out cannot meet a date up to 9999 in any combination worth
    // answering; refusing them first keeps the integer arithmetic in range.
    if (!std::isfinite(year) || !std::isfinite(month) || !std::isfinite(day)) return std::nullopt;
    if (std::fabs(month) > 1e7 || std::fabs(day) > 1e10) return std::nullopt;
    long long y = static_cast<long long>(std::trunc(year));
    long long m = static_cast<long long>(std::trunc(month));
    long long d = static_cast<long long>(std::trunc(day));
    if (y < 0 || y > 9999) return std::nullopt;
    if (y < 1900) y += 1900;
    // Months roll into years.
    long long m0 = m - 1;
    y += m0 >= 0 ? m0 / 12 : -((-m0 + 11) / 12);
    m0 = ((m0 % 12) + 12) % 12;
    double first = static_cast<double>(daysFromCivil(y, static_cast<unsigned>(m0 + 1), 1) - kDay0);
    // From March 1900 on, day numbers include the phantom 29 February.
    if (first >= 60) first += 1;
    double serial = first + static_cast<double>(d) - 1;
    if (serial < 0 || serial > kLastSerial) return std::nullopt;
    return serial;
}

std::optional<CivilDate> civilFromSerial(double serial) {
    if (!(serial >= 0) || serial > kLastSerial) return std::nullopt;
    long long s = static_cast<long long>(std::floor(serial));
    if (s == 0) return CivilDate{1900, 1, 0};
    if (s == 60) return CivilDate{1900, 2, 29};
    if (s > 60) --s;
    return civilFromDays(kDay0 + s);
}

std::optional<double> parseDateText(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    int parts[3];
    char seps[2] = {0, 0};
    int lens[3];
    std::size_t i = 0;
    for (int k = 0; k < 3; ++k) {
        std::size_t start = i;
        int v = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 4)
            v = v * 10 + (text[i++] - '0');
        if (i == start) return std::nullopt;
        parts[k] = v;
        lens[k] = static_cast<int>(i - start);
        if (k < 2) {
            if (i >= text.size() || (text[i] != '/' && text[i] != '-' && text[i] != '.'))
                return std::nullopt;
            seps[k] = text[i++];
        }
    }
    if (i != text.size() || seps[0] != seps[1]) return std::nullopt;
    int y, m, d;
    if (lens[0] == 4) {
        y = parts[0], m = parts[1], d = parts[2];
    } else if (lens[2] == 4) {
        d = parts[0], m = parts[1], y = parts[2];
    } else {
        return std::nullopt;
    }
    if (m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
    auto serial = dateSerial(y, m, d);
    // Refuse days that roll over (31/02/2020).
    if (!serial) return std::nullopt;
    auto back = civilFromSerial(*serial);
    if (!back || back->day != d || back->month != m) return std::nullopt;
    return serial;
}

}  // namespace zevo::grid::formula::detail
