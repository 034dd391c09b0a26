// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <gtest/gtest.h>

#include <cmath>

#include "Published.h"
#include "Reduction.h"

using namespace ephemeris;

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
    // their own: within 3 s, with the measured Delta T (69.35 s).
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Mercury, 2019, 11, 11, EphemerisOptions{}, t));
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
    EXPECT_FALSE(LocalContacts(t, 0.0, 0.0, MaxSiteHeightM + 1.0, local));
    EXPECT_FALSE(LocalContacts(t, 0.0, 0.0, MinSiteHeightM - 1.0, local));
    EXPECT_EQ(local.greatestJdUt, 1.0);
    // An airborne observer at 12 km sees the transit too.
    EXPECT_TRUE(LocalContacts(t, 0.0, 0.0, 12000.0, local));
}
