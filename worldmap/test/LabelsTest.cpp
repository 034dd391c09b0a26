// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include <gtest/gtest.h>

#include "Labels.h"

using worldmap::Box;

TEST(Overlaps, Boxes) {
    const Box a{0, 0, 10, 10};
    EXPECT_TRUE(worldmap::Overlaps(a, {5, 5, 10, 10}));
    EXPECT_TRUE(worldmap::Overlaps(a, {2, 2, 3, 3}));    // inside
    EXPECT_FALSE(worldmap::Overlaps(a, {10, 0, 5, 5}));  // touching edges do not overlap
    EXPECT_FALSE(worldmap::Overlaps(a, {0, 11, 5, 5}));
    EXPECT_FALSE(worldmap::Overlaps(a, {-6, 0, 5, 5}));
}

// Labels of sites crowded together each find a place clear of the others and of the markers, inside the frame; a
// lone site's label stands right of its marker, left of it at the frame's right edge.
TEST(PlaceLabel, CrowdedSitesStayClear) {
    const Box frame{20, 70, 960, 480};
    const double sites[][2] = {{500, 200}, {505, 204}, {498, 210}, {510, 196}, {960, 300}, {25, 540}};
    std::vector<Box> taken;
    for (const auto& s : sites) taken.push_back({s[0] - 5, s[1] - 5, 10, 10});
    for (std::size_t k = 0; k < std::size(sites); ++k) {
        const worldmap::LabelPlace place = worldmap::PlaceLabel(sites[k][0], sites[k][1], 120, 17, frame, taken);
        EXPECT_TRUE(place.clear) << k;
        for (const Box& other : taken) EXPECT_FALSE(worldmap::Overlaps(place.box, other)) << k;
        EXPECT_GE(place.box.x, frame.x);
        EXPECT_LE(place.box.x + place.box.width, frame.x + frame.width) << k;
        EXPECT_LE(place.box.y + place.box.height, frame.y + frame.height) << k;
        if (k == 4) {
            EXPECT_LT(place.box.x + place.box.width, sites[4][0]);
        }
        if (k == 5) {
            EXPECT_GT(place.box.x, sites[5][0]);
        }
        if (k >= 4) {
            EXPECT_FALSE(place.leader);
        }
        taken.push_back(place.box);
    }
}
