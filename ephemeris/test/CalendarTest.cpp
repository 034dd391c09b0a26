// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <gtest/gtest.h>

using namespace ephemeris;

TEST(JulianDayAtMidnight, MatchesMeeus) {
    // Meeus, Astronomical Algorithms, chapter 7: 2000 January 1.5 is JD 2451545.0, 1600 January 1.0 is 2305447.5.
    EXPECT_EQ(JulianDayAtMidnight(2000, 1, 1), 2451544.5);
    EXPECT_EQ(JulianDayAtMidnight(1600, 1, 1), 2305447.5);
    EXPECT_EQ(JulianDayAtMidnight(1987, 6, 19), 2446965.5);
}

TEST(CalendarFromJd, RoundsToTenthsAndCarries) {
    const CalendarTime t = CalendarFromJd(2451544.5 + (5.0 * 3600.0 + 13.0 * 60.0 + 29.44) / 86400.0);
    EXPECT_EQ(t.year, 2000);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.hour, 5);
    EXPECT_EQ(t.minute, 13);
    EXPECT_EQ(t.tenthsOfSecond, 294);
    const CalendarTime carried = CalendarFromJd(2451544.5 + 86399.96 / 86400.0);
    EXPECT_EQ(carried.day, 2);
    EXPECT_EQ(carried.hour, 0);
    EXPECT_EQ(carried.minute, 0);
    EXPECT_EQ(carried.tenthsOfSecond, 0);
    const CalendarTime leap = CalendarFromJd(JulianDayAtMidnight(2004, 2, 29));
    EXPECT_EQ(leap.month, 2);
    EXPECT_EQ(leap.day, 29);
}

TEST(CalendarFromJd, GoesBackAndForthBeforeTheJulianPeriod) {
    // JD 0 is noon of -4713 November 24 in the proleptic Gregorian calendar (Meeus, chapter 7); the
    // calendar runs on through it and through year 0 without a gap.
    EXPECT_EQ(JulianDayAtMidnight(-4713, 11, 24), -0.5);
    const struct {
        int year, month, day;
    } dates[] = {{-4713, 11, 24}, {-5000, 3, 1}, {0, 2, 29}, {-1, 12, 31}, {1582, 10, 4}, {9999, 12, 31}};
    for (const auto& d : dates) {
        const CalendarTime t = CalendarFromJd(JulianDayAtMidnight(d.year, d.month, d.day) + 0.25);
        EXPECT_EQ(t.year, d.year);
        EXPECT_EQ(t.month, d.month);
        EXPECT_EQ(t.day, d.day) << d.year;
        EXPECT_EQ(t.hour, 6);
    }
    EXPECT_EQ(JulianDayAtMidnight(2004, 2, 30), JulianDayAtMidnight(2004, 3, 1));  // rolls over
}
