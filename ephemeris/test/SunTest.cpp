// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <gtest/gtest.h>

using namespace ephemeris;

TEST(SunAltitudeDegrees, FollowsTheSunThroughTheDay) {
    // Greenwich, 2004 June 8: the Sun culminates near 12:01 UT at 90 - 51.48 + 22.9 = 61.4 degrees
    // (declination from the Astronomical Almanac), and is down at midnight.
    const double midnight = JulianDayAtMidnight(2004, 6, 8);
    EXPECT_NEAR(SunAltitudeDegrees(midnight + 12.02 / 24.0, 51.4779, 0.0, 46.0), 61.4, 0.2);
    EXPECT_LT(SunAltitudeDegrees(midnight, 51.4779, 0.0, 46.0), -10.0);
    // Half a day later or 180 degrees away in longitude is the same sky.
    EXPECT_NEAR(SunAltitudeDegrees(midnight, 0.0, 180.0, 0.0), SunAltitudeDegrees(midnight + 0.5, 0.0, 0.0, 0.0), 0.3);
}

TEST(SunAltitudeFrom, AgreesWithTheEphemerisForHoursAround) {
    // One subsolar point at the 2004 greatest transit serves every site through the transit and beyond.
    const double greatest = JulianDayAtMidnight(2004, 6, 8) + (8.0 + 20.0 / 60.0) / 24.0;
    const SubsolarPoint point = SubsolarPointAt(greatest);
    const double sites[][2] = {{51.48, 0.0}, {-25.75, 28.23}, {60.16, 24.96}, {18.97, 72.82}, {40.7, -74.0},
                               {-33.9, 151.2}, {0.0, 180.0}, {89.0, 10.0}};
    for (const auto& site : sites) {
        for (const double hours : {-6.0, -3.2, 0.0, 1.5, 6.0}) {
            const double jd = greatest + hours / 24.0;
            EXPECT_NEAR(SunAltitudeFrom(point, jd, site[0], site[1]), SunAltitudeDegrees(jd, site[0], site[1], 0.0), 0.02)
                << site[0] << ' ' << site[1] << ' ' << hours;
        }
    }
}

TEST(EquationOfTimeSeconds, MeetsPublishedValues) {
    // Meeus, Astronomical Algorithms, example 28.b: 1992 October 13.0 TD, +13 m 42.6 s (59 s of Delta T move
    // it by 0.1 s). As the transit observers printed it for their evenings and mornings (Phil. Trans.): 3 June
    // 1769 in the English evening, 2 m 15.75 s (Canton, Hornsby), and 6 June 1761 in the Greenwich morning,
    // 1 m 52 s to be taken from apparent time for mean time (Bliss), to their rounding and their solar
    // tables (nutation, a second in this, was new to them). The year's extremes and its June zero, to a few
    // seconds.
    const struct {
        int year, month, day;
        double hours, seconds, tolerance;
    } cases[] = {
        {1992, 10, 13, -59.0 / 3600.0, 13 * 60 + 42.6, 0.5},
        {1769, 6, 3, 19.5, 2 * 60 + 15.75, 2.5},
        {1761, 6, 6, 6.0, 60 + 52.0, 2.5},
        {2004, 2, 11, 12.0, -(14 * 60 + 13.0), 10.0},
        {2004, 11, 3, 12.0, 16 * 60 + 25.0, 10.0},
        {2004, 6, 13, 12.0, 0.0, 15.0},
    };
    for (const auto& c : cases) {
        const double jd = JulianDayAtMidnight(c.year, c.month, c.day) + c.hours / 24.0;
        EXPECT_NEAR(EquationOfTimeSeconds(jd), c.seconds, c.tolerance) << c.year << '-' << c.month << '-' << c.day;
    }
}
