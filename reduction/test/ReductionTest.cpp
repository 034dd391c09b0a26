// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Reduction.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The default observations, converted as the dialogue converts them: north and west positive.
struct Site {
    double latitude, longitude;
};
double Rad(long double degrees) { return static_cast<double>(degrees * DegToRad); }
const Site Essen{Rad(51.47L), -Rad(7.0L)};          // 51.47 N, 7.0 E
const Site Pretoria{-Rad(26.18L), -Rad(28.0L)};     // 26.18 S, 28.0 E

double ByContact(int contact, double t1, double t2, const Site& a, const Site& b) {
    return ReduceContactTime(contact, t1, t2, a.latitude, a.longitude, b.latitude, b.longitude);
}

}  // namespace

TEST(ReduceContactTime, GivesTheWorkedExample) {
    EXPECT_NEAR(Essen.latitude, 0.898321, 1e-6);
    EXPECT_NEAR(Pretoria.longitude, -0.488692, 1e-6);
    const double au = ByContact(1, 19191.0, 19041.0, Essen, Pretoria);
    EXPECT_NEAR(au, 142366720.0, 5.0);  // worked example: 142.4 million km
    EXPECT_NEAR(SolarParallax(au), 9.2203, 5e-5);
}

TEST(ReduceContactTime, SwappingSitesWithTheirTimesKeepsAu) {
    for (int contact = 1; contact <= 4; ++contact) {
        const double forward = ByContact(contact, 19191.0, 19041.0, Essen, Pretoria);
        const double backward = ByContact(contact, 19041.0, 19191.0, Pretoria, Essen);
        EXPECT_EQ(forward, backward) << contact;
        // Swapping only the times turns the sign.
        EXPECT_EQ(ByContact(contact, 19041.0, 19191.0, Essen, Pretoria), -forward) << contact;
    }
}

TEST(ReduceContactTime, CoincidentSitesGiveZero) {
    for (int contact = 1; contact <= 4; ++contact) {
        EXPECT_EQ(ByContact(contact, 100.0, 7.0, Essen, Essen), 0.0) << contact;
        EXPECT_EQ(ByContact(contact, 19191.0, 19041.0, Pretoria, Pretoria), 0.0) << contact;
    }
}

TEST(ReduceContactTime, OriginSiteIsTheUnitXVector) {
    // From (0 N, 0 E), vector (1, 0, 0), to the north pole, (0, 0, 1): the difference is (-1, 0, 1).
    const Site origin{0.0, 0.0}, pole{Rad(90.0L), 0.0};
    const double perSecond = 6364.0 / 0.398;
    EXPECT_NEAR(ByContact(1, 0.0, 1.0, origin, pole), (-3610000.0 + 1614000.0) * perSecond, 1e-3);
    EXPECT_NEAR(ByContact(3, 0.0, 1.0, origin, pole), (-1832000.0 - 3199000.0) * perSecond, 1e-3);
}

TEST(ReduceContactTime, WestInsteadOfEastFlipsOnlyTheYPart) {
    // Both sites mirrored in the prime meridian: only the y component of their difference changes sign.
    const Site essenWest{Essen.latitude, -Essen.longitude}, pretoriaWest{Pretoria.latitude, -Pretoria.longitude};
    const double eastern = ByContact(2, 0.0, 60.0, Essen, Pretoria);
    const double western = ByContact(2, 0.0, 60.0, essenWest, pretoriaWest);
    const double perSecond = 6364.0 / 60.0 / 0.398;
    const double dy = std::cos(Pretoria.latitude) * std::sin(Pretoria.longitude) -
                      std::cos(Essen.latitude) * std::sin(Essen.longitude);
    EXPECT_LT(dy, 0.0);
    EXPECT_NEAR(eastern - western, 2.0 * 375000.0 * dy * perSecond, 1.0);
    const double dx = std::cos(Pretoria.latitude) * std::cos(Pretoria.longitude) -
                      std::cos(Essen.latitude) * std::cos(Essen.longitude);
    const double dz = std::sin(Pretoria.latitude) - std::sin(Essen.latitude);
    EXPECT_NEAR(eastern + western, 2.0 * (3682000.0 * dx + 1878000.0 * dz) * perSecond, 1.0);
}

TEST(ReduceContactTime, ContactOutsideTheTableGivesNoNumber) {
    for (const int contact : {0, 5, -1, 2147483647, -2147483647 - 1}) {
        EXPECT_TRUE(std::isnan(ByContact(contact, 19191.0, 19041.0, Essen, Pretoria))) << contact;
    }
}

TEST(ReduceDuration, DefaultObservationsGiveTheTrueAu) {
    // Contacts 2 and 3, durations 05:24:08 and 05:33:41: the end column minus the start column.
    const double au = ReduceDuration(2, 3, 19448.0, 20021.0, Essen.latitude, Essen.longitude, Pretoria.latitude,
                                     Pretoria.longitude);
    EXPECT_NEAR(au, 149.6e6, 0.05e6);
    EXPECT_NEAR(SolarParallax(au), 8.775, 0.0005);
    // Swapped durations turn the sign; swapped sites with their durations do not.
    EXPECT_EQ(ReduceDuration(2, 3, 20021.0, 19448.0, Essen.latitude, Essen.longitude, Pretoria.latitude,
                             Pretoria.longitude),
              -au);
    EXPECT_EQ(ReduceDuration(2, 3, 20021.0, 19448.0, Pretoria.latitude, Pretoria.longitude, Essen.latitude,
                             Essen.longitude),
              au);
}

TEST(ReduceDuration, ContactsOutsideTheirRangesGiveNoNumber) {
    const int pairs[][2] = {{0, 3}, {3, 3}, {2, 2}, {2, 5}, {1, 0}, {-2147483647 - 1, 4}};
    for (const auto& pair : pairs) {
        EXPECT_TRUE(std::isnan(ReduceDuration(pair[0], pair[1], 1.0, 2.0, 0.1, 0.2, 0.3, 0.4)))
            << pair[0] << " " << pair[1];
    }
}

TEST(SolarParallax, IsTheEarthRadiusSeenFromTheAu) {
    // 6364 km at 149.6 million km: 8.7745 seconds of arc, computed by hand.
    EXPECT_NEAR(SolarParallax(149.6e6), 8.7745, 5e-5);
    EXPECT_EQ(SolarParallax(-149.6e6), -SolarParallax(149.6e6));
}
