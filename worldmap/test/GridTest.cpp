// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Reduction.h"
#include "Transits.h"
#include "WorldMap.h"

using worldmap::Seen;

constexpr double Rad = static_cast<double>(DegToRad);

TEST(GridStepFits, WholeCellsOnly) {
    struct Case {
        double step;
        bool fits;
    } const cases[] = {{1.0, true},   {0.5, true},  {0.25, true}, {2.0, true},   {10.0, true},  {0.75, true},
                       {0.7, false},  {0.2, false}, {12.0, false}, {0.0, false}, {-1.0, false}, {7.0, false},
                       {std::numeric_limits<double>::quiet_NaN(), false}, {std::numeric_limits<double>::infinity(), false}};
    for (const Case& c : cases) EXPECT_EQ(worldmap::GridStepFits(c.step), c.fits) << c.step;
}

// The 2004 map on the grid of a degree: its cells, their centres, and the share of the Earth in each class.
TEST(ClassifyGrid, Venus2004) {
    worldmap::SunUpModel model;
    ASSERT_TRUE(worldmap::SunUpModelOf(FoundTransit(MapCases[0]), model));
    worldmap::SeenGrid grid;
    ASSERT_TRUE(worldmap::ClassifyGrid(model, 1.0, grid));
    ASSERT_EQ(grid.rows, 180);
    ASSERT_EQ(grid.columns, 360);
    ASSERT_EQ(grid.cells.size(), 64800u);
    EXPECT_EQ(worldmap::CellCentre(grid, 0, 0).latitudeDegrees, 89.5);
    EXPECT_EQ(worldmap::CellCentre(grid, 0, 0).longitudeEastDegrees, -179.5);
    EXPECT_EQ(worldmap::CellCentre(grid, 179, 359).latitudeDegrees, -89.5);
    EXPECT_EQ(worldmap::CellCentre(grid, 179, 359).longitudeEastDegrees, 179.5);
    // Each cell is what SeenAt finds at its centre: Bochum's cell (51.5 N, 7.5 E) whole, Tahiti's none.
    for (const auto& [row, column, seen] : {std::tuple{38, 187, Seen::Whole}, std::tuple{107, 30, Seen::None}}) {
        const std::size_t index = static_cast<std::size_t>(row * grid.columns + column);
        EXPECT_EQ(grid.cells[index], seen);
        EXPECT_EQ(grid.cells[index], worldmap::SeenAt(model, worldmap::CellCentre(grid, row, column)));
    }
    // Only cells within a few thousandths of a degree of the rule ask LocalContacts: a handful.
    EXPECT_LT(grid.exactCells, 30);
    double shares[worldmap::SeenCount];
    worldmap::SeenShares(grid, shares);
    EXPECT_NEAR(shares[0] + shares[1] + shares[2] + shares[3], 1.0, 1e-12);
    // The Sun stands 0.83 degree below the horizon on a small circle of 90.83 degrees around the subsolar point:
    // (1 - cos 90.83) / 2 of the sphere sees it up at each contact. Both caps meet in a lune whose angle is 180
    // degrees less the subsolar points' separation, widened by the strips of 0.83 degree. The sites along the
    // horizon see a contact up to 7 minutes from the geocentric one, earlier on one side and later on the other,
    // which widens the caps by a few tenths of a degree on average: a wrong sign of the 0.83 degrees would move
    // them by twice as much.
    const double up = (1.0 - std::cos(90.83 * Rad)) / 2.0;
    EXPECT_NEAR(shares[static_cast<int>(Seen::Whole)] + shares[static_cast<int>(Seen::Start)], up, 0.008);
    EXPECT_NEAR(shares[static_cast<int>(Seen::Whole)] + shares[static_cast<int>(Seen::End)], up, 0.008);
    const ephemeris::SubsolarPoint s1 = ephemeris::SubsolarPointAt(model.transit.contactJdUt[0]);
    const ephemeris::SubsolarPoint s4 = ephemeris::SubsolarPointAt(model.transit.contactJdUt[3]);
    const double separation = std::acos(
        std::sin(s1.latitudeDegrees * Rad) * std::sin(s4.latitudeDegrees * Rad) +
        std::cos(s1.latitudeDegrees * Rad) * std::cos(s4.latitudeDegrees * Rad) *
            std::cos((s4.longitudeEastDegrees - s1.longitudeEastDegrees) * Rad)) / Rad;
    EXPECT_NEAR(separation, 84.0, 1.0);  // the Earth turns 93 degrees in 6 h 13 min, seen at 22.8 degrees north
    EXPECT_NEAR(shares[static_cast<int>(Seen::Whole)], (180.0 - separation) / 360.0 + (up - 0.5), 0.01);
}

TEST(ClassifyGrid, RefusesAStepThatDoesNotFit) {
    worldmap::SunUpModel model;
    ASSERT_TRUE(worldmap::SunUpModelOf(FoundTransit(MapCases[3]), model));
    worldmap::SeenGrid grid;
    grid.rows = 7;
    EXPECT_FALSE(worldmap::ClassifyGrid(model, 0.7, grid));
    EXPECT_EQ(grid.rows, 7);
}
