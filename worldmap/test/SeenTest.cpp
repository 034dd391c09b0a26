// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include <gtest/gtest.h>

#include <cmath>

#include "Transits.h"
#include "WorldMap.h"

using worldmap::GeoPoint;
using worldmap::Seen;

// What the map says of a site is what transits contacts --site says: the Sun's altitude at contacts 1 and 4 from
// LocalContacts, by SunIsUp. 350 points over the five transits, anywhere on the Earth (uniform on the sphere).
TEST(SeenAt, AgreesWithLocalContacts) {
    Points points;
    int compared = 0, nearHorizon = 0;
    for (const MapCase& c : MapCases) {
        const ephemeris::Transit transit = FoundTransit(c);
        worldmap::SunUpModel model;
        ASSERT_TRUE(worldmap::SunUpModelOf(transit, model));
        for (int k = 0; k < 70; ++k) {
            const GeoPoint site{std::asin(points.Next(-1.0, 1.0)) * 180.0 / 3.14159265358979323846, points.Next(-180.0, 180.0)};
            ephemeris::LocalCircumstances local;
            ASSERT_TRUE(ephemeris::LocalContacts(transit, site.latitudeDegrees, site.longitudeEastDegrees, 0.0, local));
            EXPECT_EQ(worldmap::SeenAt(model, site), worldmap::SeenFrom(local))
                << c.year << " at " << site.latitudeDegrees << ", " << site.longitudeEastDegrees;
            ++compared;
            // The fast margins themselves: far inside the band that LocalContacts settles.
            for (const int contact : {1, 4}) {
                const double fast = worldmap::FastUpMargin(model, contact, site);
                const double exact = local.contactSunAltitudeDegrees[contact - 1] - ephemeris::SunUpAltitudeDegrees;
                EXPECT_NEAR(fast, exact, worldmap::ExactWithinDegrees / 3.0) << c.year << " contact " << contact;
                const ephemeris::ElementsSite elementsSite =
                    ephemeris::ElementsSiteOf(site.latitudeDegrees, site.longitudeEastDegrees, 0.0);
                if (std::fabs(exact) < 10.0) {
                    EXPECT_NEAR(worldmap::CloseUpMargin(model, contact, elementsSite, site), exact,
                                worldmap::CloseWithinDegrees / 10.0)
                        << c.year << " contact " << contact;
                }
                if (std::fabs(exact) < 5.0) ++nearHorizon;
            }
        }
    }
    EXPECT_EQ(compared, 350);
    EXPECT_GT(nearHorizon, 10);  // the points reach the curves, where a fault would show
}

// Sites whose view of a transit the published maps show: 2004 from Europe and Pretoria whole, from Tokyo the start
// (the Sun set during it), from New York the end (it rose during it), from Tahiti nothing; 2012 the reverse of
// much of it: Honolulu and Tokyo whole, Bochum the end only.
TEST(SeenAt, KnownSites) {
    struct Case {
        int transit;
        GeoPoint site;
        Seen seen;
    } const cases[] = {
        {0, {51.43, 7.19}, Seen::Whole},  {0, {-25.75, 28.23}, Seen::Whole}, {0, {35.68, 139.69}, Seen::Start},
        {0, {40.71, -74.01}, Seen::End},  {0, {-17.53, -149.57}, Seen::None}, {1, {21.31, -157.86}, Seen::Whole},
        {1, {35.68, 139.69}, Seen::Whole}, {1, {51.43, 7.19}, Seen::End},    {1, {40.71, -74.01}, Seen::Start},
        {1, {-34.6, -58.4}, Seen::None},
    };
    worldmap::SunUpModel models[2];
    for (int k = 0; k < 2; ++k) ASSERT_TRUE(worldmap::SunUpModelOf(FoundTransit(MapCases[k]), models[k]));
    for (const Case& c : cases) {
        EXPECT_EQ(worldmap::SeenAt(models[c.transit], c.site), c.seen)
            << c.transit << ": " << c.site.latitudeDegrees << ", " << c.site.longitudeEastDegrees;
    }
}

// The rule itself, on what LocalContacts might report: the Sun up at -0.83 degree exactly, below at -0.84, and a
// contact that does not happen is not seen, whatever altitude stands beside it.
TEST(SeenFrom, ClassesBySunIsUp) {
    struct Case {
        bool happens1;
        double altitude1;
        bool happens4;
        double altitude4;
        Seen seen;
    } const cases[] = {
        {true, 10.0, true, 20.0, Seen::Whole},  {true, -0.83, true, -0.83, Seen::Whole},
        {true, -0.84, true, 3.0, Seen::End},    {true, 3.0, true, -0.84, Seen::Start},
        {true, -5.0, true, -5.0, Seen::None},   {false, 30.0, true, 30.0, Seen::End},
        {true, 30.0, false, 30.0, Seen::Start}, {false, 30.0, false, 30.0, Seen::None},
    };
    for (const Case& c : cases) {
        ephemeris::LocalCircumstances local;
        local.contactHappens[0] = c.happens1, local.contactSunAltitudeDegrees[0] = c.altitude1;
        local.contactHappens[3] = c.happens4, local.contactSunAltitudeDegrees[3] = c.altitude4;
        EXPECT_EQ(worldmap::SeenFrom(local), c.seen) << c.altitude1 << " " << c.altitude4;
    }
}
