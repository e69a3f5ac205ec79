#pragma once

#include <cstdint>
#include <string>

namespace veltrona {

// A local calendar date and time of day, as the platform's clock reports it.
struct DateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Days since 1970-01-01 of a proleptic Gregorian date; used for date arithmetic.
std::int64_t daysFromCivil(int year, int month, int day);
// The inverse of daysFromCivil.
void civilFromDays(std::int64_t days, int& year, int& month, int& day);
// 0 = Sunday ... 6 = Saturday.
int dayOfWeek(int year, int month, int day);
bool isLeapYear(int year);
int daysInMonth(int year, int month);
// The date shifted by a number of days (negative goes back).
DateTime addDays(const DateTime& dt, int days);

// Two-digit, zero-filled decimal; used by many file names and line layouts.
std::string twoDigits(int value);

} // namespace veltrona
