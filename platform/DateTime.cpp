#include "platform/DateTime.h"

namespace veltrona {

std::int64_t daysFromCivil(int year, int month, int day) {
    // Howard Hinnant's algorithm.
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

int dayOfWeek(int year, int month, int day) {
    const std::int64_t d = daysFromCivil(year, month, day);
    return static_cast<int>(((d % 7) + 11) % 7); // 1970-01-01 was a Thursday
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

DateTime addDays(const DateTime& dt, int days) {
    DateTime r = dt;
    civilFromDays(daysFromCivil(dt.year, dt.month, dt.day) + days, r.year, r.month, r.day);
    return r;
}

std::string twoDigits(int value) {
    std::string s = std::to_string(value);
    return s.size() < 2 ? "0" + s : s;
}

} // namespace veltrona
