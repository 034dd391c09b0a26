// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

using namespace ephemeris;

namespace {

constexpr double Rad = 3.14159265358979323846 / 180.0;

double AngleDifference(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

double Length(const DiscPosition& p) { return std::hypot(p.northArcsec, p.eastArcsec); }

// The limb circle a contact's centre lies on: outside for 1 and 4, inside for 2 and 3.
double LimbRadius(const DiscPosition& p, int contact) {
    return contact == 1 || contact == 4 ? p.sunRadiusArcsec + p.planetRadiusArcsec
                                        : p.sunRadiusArcsec - p.planetRadiusArcsec;
}

Transit Found(Planet planet, int year, int month, int day) {
    Transit t;
    EXPECT_TRUE(FindTransit(planet, year, month, day, EphemerisOptions{}, t)) << year;
    return t;
}

}  // namespace

TEST(DiscPositions, PutsTheContactsOnTheLimbCircles) {
    // At C1 and C4 the centres stand the sum of the radii apart, at C2 and C3 their difference, at the
    // position angles the contact solver gives; from the Earth's centre and from the sites of 1769 and 2004.
    const struct {
        Planet planet;
        int year, month, day;
        std::optional<WgsSite> site;
    } cases[] = {
        {Planet::Venus, 2004, 6, 8, std::nullopt},
        {Planet::Venus, 2004, 6, 8, WgsSite{51.43, 7.19, 0.0}},     // Bochum
        {Planet::Venus, 2004, 6, 8, WgsSite{-25.75, 28.23, 0.0}},   // Pretoria
        {Planet::Venus, 1769, 6, 3, WgsSite{70.37, 31.11, 0.0}},    // Vardo
        {Planet::Venus, 1769, 6, 3, WgsSite{-17.49, -149.50, 2.0}}, // Point Venus, Tahiti
        {Planet::Venus, 2012, 6, 6, std::nullopt},
        {Planet::Mercury, 2019, 11, 11, std::nullopt},
        {Planet::Mercury, 2032, 11, 13, WgsSite{51.43, 7.19, 0.0}},
    };
    for (const auto& k : cases) {
        const Transit t = Found(k.planet, k.year, k.month, k.day);
        LocalCircumstances local;
        if (k.site) {
            ASSERT_TRUE(LocalContacts(t, k.site->latitudeDegrees, k.site->longitudeEastDegrees, k.site->heightMetres,
                                      local));
        }
        std::vector<double> times;
        for (int c = 0; c < ContactCount; ++c) times.push_back(k.site ? local.contactJdUt[c] : t.contactJdUt[c]);
        std::vector<DiscPosition> at;
        ASSERT_TRUE(DiscPositions(t, k.site, times, at));
        ASSERT_EQ(at.size(), 4u);
        for (int c = 0; c < ContactCount; ++c) {
            const DiscPosition& p = at[static_cast<std::size_t>(c)];
            EXPECT_NEAR(Length(p), LimbRadius(p, c + 1), 0.1) << k.year << " contact " << c + 1;
            const double p0 = k.site ? local.contactPDeg[c] : t.contactPDeg[c];
            EXPECT_NEAR(AngleDifference(std::atan2(p.eastArcsec, p.northArcsec) / Rad, p0), 0.0, 0.001);
            // The same solver at the same instant, but the instant passes through a UT JD in double: 1e-6 degree.
            EXPECT_NEAR(AngleDifference(p.pDeg, p0), 0.0, 1e-6);
            if (k.site) {
                EXPECT_NEAR(AngleDifference(p.vDeg, local.contactVDeg[c]), 0.0, 1e-6);
                EXPECT_NEAR(AngleDifference(p.pDeg - p.zenithPDeg, p.vDeg), 0.0, 1e-6);
                EXPECT_NEAR(p.sunAltitudeDegrees, local.contactSunAltitudeDegrees[c], 1e-6);
            } else {
                EXPECT_EQ(p.vDeg, 0.0);
                EXPECT_EQ(p.sunAltitudeDegrees, 0.0);
            }
        }
    }
}

TEST(DiscPositions, PassNearestAtThePublishedMinimumSeparation) {
    // NASA (Espenak): 626.9 arcsec on 2004 June 8, 554.4 on 2012 June 6; Mercury 2019 75.9. Sampled every
    // 5 s for half an hour either side of greatest transit, the path comes no nearer.
    const struct {
        Planet planet;
        int year, month, day;
        double published;
    } cases[] = {{Planet::Venus, 2004, 6, 8, 626.9}, {Planet::Venus, 2012, 6, 6, 554.4},
                 {Planet::Mercury, 2019, 11, 11, 75.9}};
    for (const auto& k : cases) {
        const Transit t = Found(k.planet, k.year, k.month, k.day);
        std::vector<double> times;
        for (int i = -360; i <= 360; ++i) times.push_back(t.greatestJdUt + i * 5.0 / 86400.0);
        std::vector<DiscPosition> path;
        ASSERT_TRUE(DiscPositions(t, std::nullopt, times, path));
        double nearest = 1e9;
        for (const DiscPosition& p : path) nearest = std::min(nearest, Length(p));
        EXPECT_NEAR(nearest, k.published, 0.3) << k.year;
        EXPECT_NEAR(nearest, t.minSeparationArcsec, 0.01) << k.year;
        EXPECT_NEAR(Length(path[360]), t.minSeparationArcsec, 1e-6) << k.year;
    }
}

TEST(DiscPositions, StartAtThePublishedPositionAngles) {
    // NASA (Espenak): P at contact 1 of Mercury 2016 83.2 degrees, 2019 109.8, from the offsets alone.
    const struct {
        int year, month, day;
        double p1;
    } cases[] = {{2016, 5, 9, 83.2}, {2019, 11, 11, 109.8}};
    for (const auto& k : cases) {
        const Transit t = Found(Planet::Mercury, k.year, k.month, k.day);
        std::vector<DiscPosition> at;
        ASSERT_TRUE(DiscPositions(t, std::nullopt, {t.contactJdUt[0]}, at));
        EXPECT_NEAR(AngleDifference(std::atan2(at[0].eastArcsec, at[0].northArcsec) / Rad, k.p1), 0.0, 0.2) << k.year;
    }
}

TEST(DiscPositions, TurnTheEclipticAsTheSunsLongitudeDoes) {
    // The ecliptic's pole stands at position angle atan(-cos(lambda) tan(epsilon)) on the Sun's disc (the first
    // term of the solar P angle): 0 at the solstices, -23.4 degrees at the March equinox. lambda from Meeus's
    // low-precision Sun (Astronomical Algorithms, ch. 25), good to 0.01 degree.
    const struct {
        Planet planet;
        int year, month, day;
    } cases[] = {{Planet::Venus, 2004, 6, 8}, {Planet::Mercury, 2019, 11, 11}, {Planet::Mercury, 2016, 5, 9}};
    for (const auto& k : cases) {
        const Transit t = Found(k.planet, k.year, k.month, k.day);
        std::vector<DiscPosition> at;
        ASSERT_TRUE(DiscPositions(t, std::nullopt, {t.greatestJdUt}, at));
        const double centuries = (t.greatestJdUt - 2451545.0) / 36525.0;
        const double meanLongitude = 280.46646 + 36000.76983 * centuries;
        const double anomaly = (357.52911 + 35999.05029 * centuries) * Rad;
        const double lambda = (meanLongitude + 1.914602 * std::sin(anomaly) + 0.019993 * std::sin(2 * anomaly)) * Rad;
        const double expected = std::atan(-std::cos(lambda) * std::tan(23.4393 * Rad)) / Rad;
        EXPECT_NEAR(AngleDifference(at[0].eclipticPoleDeg, expected), 0.0, 0.05) << k.year;
    }
}

TEST(DiscPositions, RefuseSitesAndInstantsOutOfReach) {
    const Transit t = Found(Planet::Venus, 2004, 6, 8);
    std::vector<DiscPosition> out{DiscPosition{}};
    EXPECT_FALSE(DiscPositions(t, WgsSite{91.0, 0.0, 0.0}, {t.greatestJdUt}, out));
    EXPECT_FALSE(DiscPositions(t, WgsSite{0.0, 0.0, 30000.0}, {t.greatestJdUt}, out));
    EXPECT_FALSE(DiscPositions(t, std::nullopt, {t.greatestJdUt, t.greatestJdUt + 0.5}, out));
    EXPECT_EQ(out.size(), 1u);  // untouched
    EXPECT_TRUE(DiscPositions(t, std::nullopt, {t.greatestJdUt + 0.44, t.greatestJdUt - 0.44}, out));
    EXPECT_EQ(out.size(), 2u);
}
