// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

// The units of the house, once. Long double constants carry all 64 mantissa bits for the long double
// arithmetic inside the libraries; the ...Double twins are the same number rounded once, for code that
// computes in double (exchanging one for the other changes results in their last bits).
namespace kit {

inline constexpr long double Pi = 3.14159265358979323846264338327950288L;

// The astronomical unit, km (IAU 2012, exact).
inline constexpr long double AuKm = 149597870.7L;
inline constexpr double AuKmDouble = 149597870.7;

// Seconds of a day of UT or TT.
inline constexpr long double SecondsPerDay = 86400.0L;
inline constexpr double SecondsPerDayDouble = 86400.0;

// 180 * 3600 / pi.
inline constexpr long double ArcSecondsPerRadian = 206264.806247096355156L;

// Julian date of the epoch J2000.0 (2000 January 1, 12h TT).
inline constexpr double J2000Jd = 2451545.0;

// Mean length of the Gregorian year, days.
inline constexpr long double DaysPerGregorianYear = 365.2425L;

static_assert(static_cast<double>(AuKm) == AuKmDouble && static_cast<double>(SecondsPerDay) == SecondsPerDayDouble);

}  // namespace kit
