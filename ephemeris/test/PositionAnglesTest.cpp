// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ephemeris;

namespace {

// a - b brought into (-180, 180].
double AngleDifference(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

// The Sun's parallactic angle at a site, degrees, from the textbook formula
// tan q = sin H / (tan phi cos delta - sin delta cos H), with the hour angle and declination of the subsolar
// point (another route than the contact solver's vectors).
double ParallacticDegrees(double jdUt, double latitudeDegrees, double longitudeEastDegrees) {
    const double rad = 3.14159265358979323846 / 180.0;
    const SubsolarPoint sun = SubsolarPointAt(jdUt);
    const double h = (longitudeEastDegrees - sun.longitudeEastDegrees) * rad, delta = sun.latitudeDegrees * rad;
    const double phi = latitudeDegrees * rad;
    return std::atan2(std::sin(h), std::tan(phi) * std::cos(delta) - std::sin(delta) * std::cos(h)) / rad;
}

}  // namespace

TEST(FindTransit, MeetsThePublishedPositionAngles) {
    // NASA (Espenak), transits of Mercury: P of contacts 1, 2, greatest, 3, 4, geocentric. Other
    // predictions differ from these by 0.1-0.2 degree, hence 0.2.
    const struct {
        int year, month, day;
        double p[5];
    } cases[] = {{2016, 5, 9, {83.2, 83.5, 153.8, 224.1, 224.4}}, {2019, 11, 11, {109.8, 109.8, 24.3, 298.8, 298.7}}};
    for (const auto& k : cases) {
        Transit t;
        ASSERT_TRUE(FindTransit(Planet::Mercury, k.year, k.month, k.day, EphemerisOptions{}, t));
        const double measured[5] = {t.contactPDeg[0], t.contactPDeg[1], t.greatestPDeg, t.contactPDeg[2],
                                    t.contactPDeg[3]};
        for (int i = 0; i < 5; ++i) {
            EXPECT_NEAR(AngleDifference(measured[i], k.p[i]), 0.0, 0.2) << k.year << " event " << i;
            EXPECT_GE(measured[i], 0.0);
            EXPECT_LT(measured[i], 360.0);
        }
    }
}

TEST(LocalContacts, GivesTheVertexAngleAsPMinusTheParallacticAngle) {
    // 2019 from the Americas, north and south, morning and afternoon, and on the meridian of the geocentric
    // greatest transit, where q is near 0 and V near P. The topocentric P stays within the planet's
    // parallax against the Sun (some 15 arcsec on a disc of 16 arcmin: half a degree) of the geocentric one.
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Mercury, 2019, 11, 11, EphemerisOptions{}, t));
    const double meridian = SubsolarPointAt(t.greatestJdUt).longitudeEastDegrees;
    const struct {
        double lat, lon;
    } sites[] = {{38.9, -77.0}, {-22.9, -43.2}, {45.0, meridian}, {19.4, -99.1}, {-33.4, -70.6}};
    for (const auto& site : sites) {
        LocalCircumstances local;
        ASSERT_TRUE(LocalContacts(t, site.lat, site.lon, 0.0, local));
        for (int c = 0; c < ContactCount; ++c) {
            ASSERT_TRUE(local.contactHappens[c]);
            const double q = ParallacticDegrees(local.contactJdUt[c], site.lat, site.lon);
            EXPECT_NEAR(AngleDifference(local.contactVDeg[c], local.contactPDeg[c] - q), 0.0, 0.02)
                << site.lat << "," << site.lon << " contact " << c + 1;
            EXPECT_NEAR(AngleDifference(local.contactPDeg[c], t.contactPDeg[c]), 0.0, 0.6)
                << site.lat << "," << site.lon << " contact " << c + 1;
        }
        const double q = ParallacticDegrees(local.greatestJdUt, site.lat, site.lon);
        EXPECT_NEAR(AngleDifference(local.greatestVDeg, local.greatestPDeg - q), 0.0, 0.02) << site.lat << "," << site.lon;
    }
    LocalCircumstances onMeridian;
    ASSERT_TRUE(LocalContacts(t, 45.0, meridian, 0.0, onMeridian));
    EXPECT_NEAR(AngleDifference(onMeridian.greatestVDeg, onMeridian.greatestPDeg), 0.0, 1.0);
}
