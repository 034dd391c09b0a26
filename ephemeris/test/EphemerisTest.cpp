// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Reduction.h"

namespace {

// Seconds from a published "HH:MM:SS(.s)" on a UT date to the Julian date jd.
double SecondsAfter(int year, int month, int day, const char* clock, double jd) {
    int hours = 0, minutes = 0;
    double seconds = 0.0;
    EXPECT_GE(std::sscanf(clock, "%d:%d:%lf", &hours, &minutes, &seconds), 2) << clock;
    const double published = JulianDayAtMidnight(year, month, day) + (hours * 3600.0 + minutes * 60.0 + seconds) / 86400.0;
    return (jd - published) * 86400.0;
}

struct PublishedEvent {
    int year, month, day;  // UT date of the event
    const char* clock;
};

struct PublishedTransit {
    const char* source;
    Planet planet;
    int year, month, day;        // a date the transit touches
    Radii radii;
    double deltaTSeconds;        // 0: the Espenak-Meeus polynomials
    PublishedEvent events[5];    // C1, C2, greatest, C3, C4
    double toleranceSeconds;
    double minSeparationArcsec;  // 0: not published
    double separationToleranceArcsec;
};

const std::vector<PublishedTransit> Published = {
    {"NASA, 2004 transit of Venus", Planet::Venus, 2004, 6, 8, Radii::Nasa, 0.0,
     {{2004, 6, 8, "05:13:29"}, {2004, 6, 8, "05:32:55"}, {2004, 6, 8, "08:19:44"}, {2004, 6, 8, "11:06:33"},
      {2004, 6, 8, "11:25:59"}},
     2.0, 627.0, 0.3},
    {"NASA, 2012 transit of Venus", Planet::Venus, 2012, 6, 5, Radii::Nasa, 0.0,
     {{2012, 6, 5, "22:09:38"}, {2012, 6, 5, "22:27:34"}, {2012, 6, 6, "01:29:36"}, {2012, 6, 6, "04:31:39"},
      {2012, 6, 6, "04:49:35"}},
     2.0, 554.4, 0.3},
    // Espenak's prediction used the Delta T measured in 2019 (69.4 s, TT - UT1 from the IERS); the
    // polynomials, extrapolated from 2005, give 71.5 s and every contact 2.1 s earlier.
    {"Espenak, 2019 transit of Mercury", Planet::Mercury, 2019, 11, 11, Radii::Nasa, 69.4,
     {{2019, 11, 11, "12:35:27"}, {2019, 11, 11, "12:37:08"}, {2019, 11, 11, "15:19:48"},
      {2019, 11, 11, "18:02:33"}, {2019, 11, 11, "18:04:14"}},
     2.0, 75.9, 0.2},
    // The NASA catalogue gives minutes: Delta T models differ by seconds this far back.
    {"NASA catalogue, 1769 transit of Venus", Planet::Venus, 1769, 6, 3, Radii::Nasa, 0.0,
     {{1769, 6, 3, "19:15"}, {1769, 6, 3, "19:34"}, {1769, 6, 3, "22:25"}, {1769, 6, 4, "01:16"},
      {1769, 6, 4, "01:35"}},
     60.0, 609.3, 0.3},
};

double EventJd(const Transit& t, int index) {
    return index == 2 ? t.greatestJdUt : t.contactJdUt[index < 2 ? index : index - 1];
}

}  // namespace

TEST(DeltaTSeconds, MatchesTheEspenakMeeusTable) {
    // Espenak and Meeus (2006), the polynomials' own values at the start of their spans, and NASA's
    // Delta T for the 2004 transit (64.6 s).
    const struct {
        double year, seconds, tolerance;
    } table[] = {{1600.0, 120.0, 0.01}, {1700.0, 8.83, 0.01}, {1800.0, 13.72, 0.01}, {1900.0, -2.79, 0.01},
                 {1950.0, 29.07, 0.01}, {1975.0, 45.45, 0.01}, {2000.0, 63.86, 0.01}, {2004.43, 64.6, 0.1}};
    for (const auto& row : table) EXPECT_NEAR(DeltaTSeconds(row.year), row.seconds, row.tolerance) << row.year;
}

TEST(DeltaTSeconds, JoinsItsSpansWithoutJumps) {
    // The spans were fitted to meet: a wrong coefficient shows as a step at a boundary.
    for (const double boundary : {1700.0, 1800.0, 1860.0, 1900.0, 1920.0, 1941.0, 1961.0, 1986.0, 2005.0, 2050.0,
                                  2150.0}) {
        EXPECT_NEAR(DeltaTSeconds(boundary - 1e-6), DeltaTSeconds(boundary + 1e-6), 1.0) << boundary;
    }
}

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

TEST(FindTransit, MeetsThePublishedContactTimes) {
    for (const PublishedTransit& p : Published) {
        EphemerisOptions options;
        options.radii = p.radii;
        if (p.deltaTSeconds != 0.0) options.deltaTSeconds = p.deltaTSeconds;
        Transit t;
        ASSERT_TRUE(FindTransit(p.planet, p.year, p.month, p.day, options, t)) << p.source;
        EXPECT_EQ(t.planet, p.planet);
        for (int i = 0; i < 5; ++i) {
            if (i != 2) {
                EXPECT_TRUE(t.contactHappens[i < 2 ? i : i - 1]) << p.source;
            }
            const PublishedEvent& e = p.events[i];
            EXPECT_NEAR(SecondsAfter(e.year, e.month, e.day, e.clock, EventJd(t, i)), 0.0, p.toleranceSeconds)
                << p.source << ", event " << i;
        }
        EXPECT_NEAR(t.minSeparationArcsec, p.minSeparationArcsec, p.separationToleranceArcsec) << p.source;
    }
}

TEST(FindTransit, MeetsTheImcceContactsWithSolidRadii) {
    // IMCCE, 2004 transit of Venus, Venus of 6051.8 km: contact 1 05:13:33.2, contact 4 11:25:53.8 UT.
    EphemerisOptions options;
    options.radii = Radii::Iau;
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2004, 6, 8, options, t));
    EXPECT_EQ(t.radii, Radii::Iau);
    EXPECT_NEAR(SecondsAfter(2004, 6, 8, "05:13:33.2", t.contactJdUt[0]), 0.0, 1.0);
    EXPECT_NEAR(SecondsAfter(2004, 6, 8, "11:25:53.8", t.contactJdUt[3]), 0.0, 1.0);
}

TEST(FindTransit, TakesAnyDateTheTransitTouches) {
    const EphemerisOptions options;
    Transit evening, morning, t;
    ASSERT_TRUE(FindTransit(std::nullopt, 2012, 6, 5, options, evening));
    ASSERT_TRUE(FindTransit(std::nullopt, 2012, 6, 6, options, morning));
    EXPECT_EQ(evening.greatestJdUt, morning.greatestJdUt);
    EXPECT_EQ(evening.planet, Planet::Venus);
    EXPECT_FALSE(FindTransit(std::nullopt, 2012, 6, 7, options, t));
    EXPECT_FALSE(FindTransit(std::nullopt, 2004, 6, 9, options, t));
    EXPECT_FALSE(FindTransit(Planet::Mercury, 2004, 6, 8, options, t));
    EXPECT_FALSE(FindTransit(std::nullopt, 2004, 2, 30, options, t));
    EXPECT_FALSE(FindTransit(std::nullopt, 1599, 12, 31, options, t));
}

TEST(FindTransit, UsesAndReportsTheDeltaTGiven) {
    EphemerisOptions options;
    Transit polynomial, given;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2004, 6, 8, options, polynomial));
    options.deltaTSeconds = polynomial.deltaTSeconds + 10.0;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2004, 6, 8, options, given));
    EXPECT_EQ(given.deltaTSeconds, polynomial.deltaTSeconds + 10.0);
    // The same instants in TT: 10 s more of Delta T is every contact 10 s earlier in UT.
    for (int c = 0; c < ContactCount; ++c) {
        EXPECT_NEAR((polynomial.contactJdUt[c] - given.contactJdUt[c]) * 86400.0, 10.0, 0.01) << c + 1;
    }
}

TEST(FindTransit, KnowsAGrazingTransit) {
    // Mercury, 1937 May 11: the planet's centre never reaches the Sun's disc as seen from the Earth's
    // centre (NASA catalogue: a grazing transit, partial only), so contacts 2 and 3 do not happen.
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Mercury, 1937, 5, 11, EphemerisOptions{}, t));
    EXPECT_TRUE(t.contactHappens[0]);
    EXPECT_FALSE(t.contactHappens[1]);
    EXPECT_FALSE(t.contactHappens[2]);
    EXPECT_TRUE(t.contactHappens[3]);
    EXPECT_LT(t.contactJdUt[0], t.greatestJdUt);
    EXPECT_GT(t.contactJdUt[3], t.greatestJdUt);
}

TEST(ListTransits, FindsEveryTransitOfVenusSince1600) {
    // NASA, "Six Millennium Catalog of Venus Transits": UT date of greatest transit.
    const std::vector<std::string> expected = {"1631-12-07", "1639-12-04", "1761-06-06", "1769-06-03", "1874-12-09",
                                               "1882-12-06", "2004-06-08", "2012-06-06", "2117-12-11", "2125-12-08"};
    const std::vector<Transit> transits = ListTransits(Planet::Venus, 1600, 2200, EphemerisOptions{});
    std::vector<std::string> dates;
    for (const Transit& t : transits) {
        const CalendarTime c = CalendarFromJd(t.greatestJdUt);
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", c.year, c.month, c.day);
        dates.push_back(text);
    }
    EXPECT_EQ(dates, expected);
}

TEST(ListTransits, FindsTheTransitsOfMercuryOfThisCentury) {
    // NASA, "Seven Century Catalog of Mercury Transits", 2001-2100: fourteen transits.
    const std::vector<std::string> expected = {"2003-05-07", "2006-11-08", "2016-05-09", "2019-11-11", "2032-11-13",
                                               "2039-11-07", "2049-05-07", "2052-11-09", "2062-05-10", "2065-11-11",
                                               "2078-11-14", "2085-11-07", "2095-05-08", "2098-11-10"};
    const std::vector<Transit> transits = ListTransits(Planet::Mercury, 2001, 2100, EphemerisOptions{});
    std::vector<std::string> dates;
    for (const Transit& t : transits) {
        const CalendarTime c = CalendarFromJd(t.greatestJdUt);
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", c.year, c.month, c.day);
        dates.push_back(text);
    }
    EXPECT_EQ(dates, expected);
}

TEST(ListTransits, MergesBothPlanetsInTimeOrderAndClipsTheYears) {
    const std::vector<Transit> both = ListTransits(std::nullopt, 2000, 2020, EphemerisOptions{});
    ASSERT_EQ(both.size(), 6u);  // Mercury 2003, Venus 2004, Mercury 2006, Venus 2012, Mercury 2016, 2019
    EXPECT_EQ(both[1].planet, Planet::Venus);
    for (std::size_t i = 1; i < both.size(); ++i) EXPECT_LT(both[i - 1].greatestJdUt, both[i].greatestJdUt);
    EXPECT_TRUE(ListTransits(std::nullopt, 2020, 2000, EphemerisOptions{}).empty());
    EXPECT_TRUE(ListTransits(std::nullopt, 1000, 1599, EphemerisOptions{}).empty());
    EXPECT_EQ(ListTransits(Planet::Venus, 1000, 1700, EphemerisOptions{}).size(), 2u);  // 1631 and 1639 only
}

TEST(ContactCoefficients, AgreeWithThe2004Table) {
    // The 2004 table (reduction/Reduction.cpp), west-positive longitude: C_c in km s per km of AU.
    const double table[4][3] = {{3610000.0, -31000.0, 1614000.0},
                                {3682000.0, 375000.0, 1878000.0},
                                {1832000.0, 1906000.0, -3199000.0},
                                {1565000.0, 2138000.0, -2936000.0}};
    const double scale = static_cast<double>(EarthRadiusKm / (RateDivisor * 149597870.7L));
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2004, 6, 8, EphemerisOptions{}, t));
    double a[ContactCount][3];
    ContactCoefficients(t, a);
    for (int c = 0; c < ContactCount; ++c) {
        // East-positive longitude: the table's y column changes sign.
        const double expected[3] = {table[c][0] * scale, -table[c][1] * scale, table[c][2] * scale};
        double difference = 0.0, length = 0.0;
        for (int k = 0; k < 3; ++k) {
            difference += (a[c][k] - expected[k]) * (a[c][k] - expected[k]);
            length += expected[k] * expected[k];
        }
        EXPECT_LT(std::sqrt(difference / length), 0.01) << "contact " << c + 1;
    }
    // A west/east slip in contacts 3 and 4 is only 2.5 % of the vector: check the signs on their own.
    EXPECT_LT(a[2][1], 0.0);
    EXPECT_LT(a[3][1], 0.0);
}

TEST(ContactCoefficients, PredictTheLocalContacts) {
    // The linear model t_c(site) = t_c(centre) + A_c . r / R against the full topocentric solution. The
    // neglected second-order terms (the site turns some 70 km with the Earth during a 6-minute shift) stay
    // within 3 % of the shift and 1.5 s; a wrong sign or axis misses by the whole shift.
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2012, 6, 6, EphemerisOptions{}, t));
    double a[ContactCount][3];
    ContactCoefficients(t, a);
    const struct {
        double lat, lon;
    } sites[] = {{21.3, -157.9}, {-33.9, 151.2}, {35.7, 139.7}, {64.1, -21.9}};  // Honolulu, Sydney, Tokyo, Reykjavik
    for (const auto& site : sites) {
        LocalCircumstances local;
        ASSERT_TRUE(LocalContacts(t, site.lat, site.lon, 0.0, local));
        const double lat = site.lat * static_cast<double>(DegToRad), lon = site.lon * static_cast<double>(DegToRad);
        // The WGS84 site's geocentric vector in units of the 6364 km sphere.
        const double e2 = 0.00669437999014, n = 6378.137 / std::sqrt(1.0 - e2 * std::sin(lat) * std::sin(lat));
        const double r[3] = {n * std::cos(lat) * std::cos(lon), n * std::cos(lat) * std::sin(lon),
                             n * (1.0 - e2) * std::sin(lat)};
        for (int c = 0; c < ContactCount; ++c) {
            ASSERT_TRUE(local.contactHappens[c]);
            double shift = 0.0;
            for (int k = 0; k < 3; ++k) shift += a[c][k] * r[k] / static_cast<double>(EarthRadiusKm);
            EXPECT_NEAR((local.contactJdUt[c] - t.contactJdUt[c]) * 86400.0, shift, 1.5 + 0.03 * std::fabs(shift))
                << site.lat << "," << site.lon << " contact " << c + 1;
        }
    }
}

TEST(LocalContacts, MeetsThePublishedTimesForCologne) {
    // DLR, 2019 transit of Mercury for Cologne (50.94 N, 6.96 E), CET = UT + 1 h: 13:35:33, 13:37:14,
    // 19:02:22, 19:04:03 (the last two after sunset), to the second, with a Delta T and an ephemeris of
    // their own: within 3 s. With Espenak's Delta T of 69.4 s, which meets the geocentric times.
    EphemerisOptions options;
    options.deltaTSeconds = 69.4;
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Mercury, 2019, 11, 11, options, t));
    LocalCircumstances local;
    ASSERT_TRUE(LocalContacts(t, 50.94, 6.96, 50.0, local));
    const char* published[4] = {"12:35:33", "12:37:14", "18:02:22", "18:04:03"};
    for (int c = 0; c < ContactCount; ++c) {
        ASSERT_TRUE(local.contactHappens[c]);
        EXPECT_NEAR(SecondsAfter(2019, 11, 11, published[c], local.contactJdUt[c]), 0.0, 3.0) << c + 1;
    }
    EXPECT_GT(local.greatestJdUt, local.contactJdUt[1]);
    EXPECT_LT(local.greatestJdUt, local.contactJdUt[2]);
    // "The Sun sets before 17 h CET": up at contact 1, down at contacts 3 and 4.
    EXPECT_GT(local.contactSunAltitudeDegrees[0], 5.0);
    EXPECT_LT(local.contactSunAltitudeDegrees[2], 0.0);
    EXPECT_LT(local.contactSunAltitudeDegrees[3], 0.0);
}

TEST(LocalContacts, RefusesSitesOutOfRange) {
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2004, 6, 8, EphemerisOptions{}, t));
    LocalCircumstances local;
    local.greatestJdUt = 1.0;
    EXPECT_FALSE(LocalContacts(t, 90.5, 0.0, 0.0, local));
    EXPECT_FALSE(LocalContacts(t, 0.0, -180.5, 0.0, local));
    EXPECT_FALSE(LocalContacts(t, std::nan(""), 0.0, 0.0, local));
    EXPECT_FALSE(LocalContacts(t, 0.0, 0.0, INFINITY, local));
    EXPECT_EQ(local.greatestJdUt, 1.0);
}

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
