// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstdio>

#include "Ephemeris.h"

// Seconds from a published "HH:MM:SS(.s)" on a UT date to the Julian date jd.
inline double SecondsAfter(int year, int month, int day, const char* clock, double jd) {
    int hours = 0, minutes = 0;
    double seconds = 0.0;
    if (std::sscanf(clock, "%d:%d:%lf", &hours, &minutes, &seconds) < 2) return 1e9;
    const double published =
        ephemeris::JulianDayAtMidnight(year, month, day) + (hours * 3600.0 + minutes * 60.0 + seconds) / 86400.0;
    return (jd - published) * 86400.0;
}
