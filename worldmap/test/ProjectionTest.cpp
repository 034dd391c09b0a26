// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include <gtest/gtest.h>

#include <cmath>

#include "WorldMap.h"

using worldmap::EqualEarth;
using worldmap::GeoPoint;

// Savric, Patterson and Jenny (2019): the map of the unit sphere is 2 x 2.7066 wide and 2 x 1.3174 high (their
// table 2 and the d3-geo-projection values), and the equator and the central meridian map to the axes.
TEST(EqualEarth, ExtentAndAxes) {
    EXPECT_NEAR(worldmap::EqualEarthHalfWidth(), 2.70663, 1e-5);
    EXPECT_NEAR(worldmap::EqualEarthHalfHeight(), 1.31736, 1e-5);
    EXPECT_EQ(EqualEarth({0.0, 0.0}).x, 0.0);
    EXPECT_EQ(EqualEarth({0.0, 0.0}).y, 0.0);
    EXPECT_NEAR(EqualEarth({0.0, 90.0}).x, worldmap::EqualEarthHalfWidth() / 2.0, 1e-12);  // x grows with longitude
    EXPECT_EQ(EqualEarth({40.0, 0.0}).x, 0.0);
    // Mirror images north-south and east-west.
    const worldmap::MapPoint p = EqualEarth({35.0, 120.0}), q = EqualEarth({-35.0, -120.0});
    EXPECT_NEAR(p.x, -q.x, 1e-15);
    EXPECT_NEAR(p.y, -q.y, 1e-15);
    EXPECT_GT(p.y, 0.0);
}

// Equal area: a band of latitudes between two parallels takes 2 pi (sin north - sin south) on the unit sphere, and
// on the map the area between the straight parallels and the curved meridians of -180 and 180 degrees.
TEST(EqualEarth, KeepsAreas) {
    const double bands[][2] = {{0.0, 10.0}, {30.0, 60.0}, {60.0, 90.0}, {-90.0, 90.0}, {-45.0, -20.0}};
    for (const auto& band : bands) {
        // Trapezoids between the parallels, a tenth of a degree high: the meridian is smooth.
        double area = 0.0;
        const int steps = static_cast<int>(std::lround((band[1] - band[0]) * 10.0));
        for (int k = 0; k < steps; ++k) {
            const double a = band[0] + (band[1] - band[0]) * k / steps, b = band[0] + (band[1] - band[0]) * (k + 1) / steps;
            const worldmap::MapPoint pa = EqualEarth({a, 180.0}), pb = EqualEarth({b, 180.0});
            area += (pa.x + pb.x) * (pb.y - pa.y);  // both halves: 2 x the mean half width x the height
        }
        const double rad = 3.14159265358979323846 / 180.0;
        EXPECT_NEAR(area, 2.0 * 3.14159265358979323846 * (std::sin(band[1] * rad) - std::sin(band[0] * rad)), 1e-4)
            << band[0] << ".." << band[1];
    }
}
