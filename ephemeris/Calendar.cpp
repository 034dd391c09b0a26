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

double DeltaTSeconds(double decimalYear) {
    // Espenak and Meeus, "Five Millennium Canon of Solar Eclipses" (NASA/TP-2006-214141), section 2.6.
    const long double y = decimalYear;
    auto longTerm = [](long double year) {
        const long double u = (year - 1820.0L) / 100.0L;
        return -20.0L + 32.0L * u * u;
    };
    long double dt = 0.0L;
    if (y < -500.0L) {
        dt = longTerm(y);
    } else if (y < 500.0L) {
        const long double u = y / 100.0L;
        dt = 10583.6L + u * (-1014.41L + u * (33.78311L + u * (-5.952053L +
             u * (-0.1798452L + u * (0.022174192L + u * 0.0090316521L)))));
    } else if (y < 1600.0L) {
        const long double u = (y - 1000.0L) / 100.0L;
        dt = 1574.2L + u * (-556.01L + u * (71.23472L + u * (0.319781L +
             u * (-0.8503463L + u * (-0.005050998L + u * 0.0083572073L)))));
    } else if (y < 1700.0L) {
        const long double t = y - 1600.0L;
        dt = 120.0L + t * (-0.9808L + t * (-0.01532L + t / 7129.0L));
    } else if (y < 1800.0L) {
        const long double t = y - 1700.0L;
        dt = 8.83L + t * (0.1603L + t * (-0.0059285L + t * (0.00013336L - t / 1174000.0L)));
    } else if (y < 1860.0L) {
        const long double t = y - 1800.0L;
        dt = 13.72L + t * (-0.332447L + t * (0.0068612L + t * (0.0041116L + t * (-0.00037436L +
             t * (0.0000121272L + t * (-0.0000001699L + t * 0.000000000875L))))));
    } else if (y < 1900.0L) {
        const long double t = y - 1860.0L;
        dt = 7.62L + t * (0.5737L + t * (-0.251754L + t * (0.01680668L + t * (-0.0004473624L + t / 233174.0L))));
    } else if (y < 1920.0L) {
        const long double t = y - 1900.0L;
        dt = -2.79L + t * (1.494119L + t * (-0.0598939L + t * (0.0061966L - t * 0.000197L)));
    } else if (y < 1941.0L) {
        const long double t = y - 1920.0L;
        dt = 21.20L + t * (0.84493L + t * (-0.076100L + t * 0.0020936L));
    } else if (y < 1961.0L) {
        const long double t = y - 1950.0L;
        dt = 29.07L + t * (0.407L + t * (-1.0L / 233.0L + t / 2547.0L));
    } else if (y < 1986.0L) {
        const long double t = y - 1975.0L;
        dt = 45.45L + t * (1.067L + t * (-1.0L / 260.0L - t / 718.0L));
    } else if (y < 2005.0L) {
        const long double t = y - 2000.0L;
        dt = 63.86L + t * (0.3345L + t * (-0.060374L + t * (0.0017275L + t * (0.000651814L + t * 0.00002373599L))));
    } else if (y < 2050.0L) {
        const long double t = y - 2000.0L;
        dt = 62.92L + t * (0.32217L + t * 0.005589L);
    } else if (y < 2150.0L) {
        dt = longTerm(y) - 0.5628L * (2150.0L - y);
    } else {
        dt = longTerm(y);
    }
    return static_cast<double>(dt);
}

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
