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
