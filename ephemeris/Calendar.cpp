// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <chrono>
#include <cmath>

#include "Units.h"
#include "internal/Calendar.h"

namespace ephemeris {
namespace {

// The JD of 1970-01-01 at 0h, where std::chrono's days count from.
constexpr long long UnixEpochJdAt0h = 2440588;

}  // namespace

long double DecimalYear(long double jd) { return 2000.0L + (jd - kit::J2000Jd) / kit::DaysPerGregorianYear; }

// std::chrono's proleptic Gregorian calendar, exact in integers. libnova's ln_get_julian_day and ln_get_date
// are not used: they turn to the Julian calendar before 1582 October 15 and compute the day in double.
double JulianDayAtMidnight(int year, int month, int day) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                        std::chrono::day{static_cast<unsigned>(day)}};
    return static_cast<double>(date.time_since_epoch().count() + UnixEpochJdAt0h) - 0.5;
}

CalendarTime CalendarFromJd(double jd) {
    constexpr long long TenthsPerDay = 864000;
    // Rounding the whole instant first carries 59.96 s into the next minute, hour and day.
    const long long tenths = std::llround((static_cast<long double>(jd) + 0.5L) * TenthsPerDay);
    long long dayNumber = tenths / TenthsPerDay, inDay = tenths % TenthsPerDay;
    if (inDay < 0) inDay += TenthsPerDay, --dayNumber;
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{dayNumber - UnixEpochJdAt0h}}};
    CalendarTime t{};
    t.year = static_cast<int>(date.year());
    t.month = static_cast<int>(static_cast<unsigned>(date.month()));
    t.day = static_cast<int>(static_cast<unsigned>(date.day()));
    t.hour = static_cast<int>(inDay / 36000);
    t.minute = static_cast<int>(inDay / 600 % 60);
    t.tenthsOfSecond = static_cast<int>(inDay % 600);
    return t;
}

}  // namespace ephemeris
