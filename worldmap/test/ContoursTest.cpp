// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include <gtest/gtest.h>

#include <cmath>

#include "Transits.h"
#include "WorldMap.h"

using worldmap::GeoPoint;

namespace {

// Whether p lies inside rings by the even-odd rule, in the plane of longitude and latitude.
bool Inside(const std::vector<std::vector<GeoPoint>>& rings, const GeoPoint& p) {
    bool inside = false;
    for (const std::vector<GeoPoint>& ring : rings) {
        for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
            const GeoPoint& a = ring[i];
            const GeoPoint& b = ring[j];
            if ((a.latitudeDegrees > p.latitudeDegrees) != (b.latitudeDegrees > p.latitudeDegrees) &&
                p.longitudeEastDegrees < a.longitudeEastDegrees + (p.latitudeDegrees - a.latitudeDegrees) *
                                                                      (b.longitudeEastDegrees - a.longitudeEastDegrees) /
                                                                      (b.latitudeDegrees - a.latitudeDegrees)) {
                inside = !inside;
            }
        }
    }
    return inside;
}

}  // namespace

// A made-up grid whose contact 1 is seen north of 30 degrees and inside a ring around 20 S, 60 W: one outline
// along the map's top edge and one closed ring, and the inside is where the margins say.
TEST(RegionOf, FollowsTheMargins) {
    worldmap::SeenGrid grid;
    grid.stepDegrees = 2.0, grid.rows = 90, grid.columns = 180;
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column) {
            const GeoPoint c = worldmap::CellCentre(grid, row, column);
            const double ring = 12.0 - std::hypot(c.latitudeDegrees + 20.0, c.longitudeEastDegrees + 60.0);
            grid.upMargin[0].push_back(std::max(c.latitudeDegrees - 30.0, ring));
        }
    }
    const worldmap::Region region = worldmap::RegionOf(grid, 1);
    ASSERT_EQ(region.rings.size(), 2u);
    for (const GeoPoint& p : {GeoPoint{89.9, 0.0}, GeoPoint{45.0, 179.9}, GeoPoint{31.0, -179.0}, GeoPoint{-20.0, -60.0},
                              GeoPoint{-25.0, -55.0}}) {
        EXPECT_TRUE(Inside(region.rings, p)) << p.latitudeDegrees << ", " << p.longitudeEastDegrees;
    }
    for (const GeoPoint& p : {GeoPoint{29.0, 0.0}, GeoPoint{-89.9, 0.0}, GeoPoint{-20.0, -75.0}, GeoPoint{0.0, 179.9}}) {
        EXPECT_FALSE(Inside(region.rings, p)) << p.latitudeDegrees << ", " << p.longitudeEastDegrees;
    }
}

// The 2004 map: the regions of contacts 1 and 4 hold the cells whose Sun is up, and the curves run where the Sun
// stands at -0.83 degree, rising where they say sunrise.
TEST(CurvesOf, Venus2004) {
    worldmap::SunUpModel model;
    ASSERT_TRUE(worldmap::SunUpModelOf(FoundTransit(MapCases[0]), model));
    worldmap::SeenGrid grid;
    ASSERT_TRUE(worldmap::ClassifyGrid(model, 1.0, grid));
    for (const int contact : {1, 4}) {
        const worldmap::Region region = worldmap::RegionOf(grid, contact);
        int checked = 0;
        for (int row = 0; row < grid.rows; row += 3) {
            for (int column = 0; column < grid.columns; column += 3) {
                const double margin = grid.upMargin[contact - 1][static_cast<std::size_t>(row * grid.columns + column)];
                if (std::fabs(margin) < 1.5) continue;  // beside the outline, where the lines cut the cells
                EXPECT_EQ(Inside(region.rings, worldmap::CellCentre(grid, row, column)), margin > 0.0) << row << " " << column;
                ++checked;
            }
        }
        EXPECT_GT(checked, 6000);
        const std::vector<worldmap::Curve> curves = worldmap::CurvesOf(grid, model, contact);
        int rising = 0, setting = 0;
        for (const worldmap::Curve& curve : curves) {
            EXPECT_EQ(curve.contact, contact);
            ASSERT_GE(curve.points.size(), 2u);
            (curve.sunrise ? rising : setting) += static_cast<int>(curve.points.size());
            for (const GeoPoint& p : curve.points) {
                // A curve ends on the map's edge, up to half a cell from where it crosses it.
                const bool onEdge = std::fabs(p.longitudeEastDegrees) == 180.0 || std::fabs(p.latitudeDegrees) == 90.0;
                if (!onEdge) {
                    EXPECT_NEAR(worldmap::FastUpMargin(model, contact, p), 0.0, 0.1);
                }
                const double jd = model.transit.contactJdUt[contact - 1];
                const double now = ephemeris::SunAltitudeFrom(model.sun, jd, p.latitudeDegrees, p.longitudeEastDegrees);
                const double later =
                    ephemeris::SunAltitudeFrom(model.sun, jd + 0.01, p.latitudeDegrees, p.longitudeEastDegrees);
                // Near the turn from sunrise to sunset, at the curve's highest latitude, the Sun barely moves in
                // altitude: only a clear change is asked for.
                if (std::fabs(later - now) > 0.2) {
                    EXPECT_EQ(later > now, curve.sunrise) << p.latitudeDegrees;
                }
            }
        }
        // Both a sunrise and a sunset curve, each across much of the world.
        EXPECT_GT(rising, 150);
        EXPECT_GT(setting, 150);
    }
}
