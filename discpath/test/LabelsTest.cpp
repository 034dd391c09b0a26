// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Labels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace discpath;

namespace {

// A Sun of radius 100 at (300, 300) on a page of 600 x 600.
const Stage Page{{300.0, 300.0, 100.0}, {0.0, 0.0, 600.0, 600.0}};

double FromCentre(const Box& b) {
    const double x = std::clamp(Page.sun.x, b.x, b.x + b.width), y = std::clamp(Page.sun.y, b.y, b.y + b.height);
    return std::hypot(x - Page.sun.x, y - Page.sun.y);
}

}  // namespace

TEST(Touches, TellsWhatComesWithinThePad) {
    const Box box{10.0, 10.0, 20.0, 10.0};
    const struct {
        Segment line;
        double pad;
        bool touches;
    } lines[] = {
        {{0, 0, 40, 30}, 0.0, true},     // across a corner and through
        {{0, 25, 40, 25}, 0.0, false},   // 5 below
        {{0, 25, 40, 25}, 6.0, true},    // ... within 6
        {{15, 12, 18, 14}, 0.0, true},   // wholly inside
        {{35, 0, 35, 40}, 4.0, false},   // 5 right of it, vertical
        {{30, 0, 30, 40}, 0.0, true},    // along its edge
        {{0, 0, 5, 5}, 2.0, false},      // ends short of it
        {{0, 0, 8, 8}, 2.0, true},       // ends within the pad
    };
    for (const auto& row : lines) {
        EXPECT_EQ(Touches(box, row.line, row.pad), row.touches)
            << row.line.x1 << "," << row.line.y1 << " " << row.line.x2 << "," << row.line.y2 << " pad " << row.pad;
    }
    EXPECT_TRUE(Touches(box, Circle{35.0, 15.0, 6.0}, 0.0));
    EXPECT_FALSE(Touches(box, Circle{35.0, 15.0, 4.0}, 0.5));
    EXPECT_FALSE(Touches(box, Circle{34.0, 24.0, 5.0}, 0.0));  // off the corner: 5.66 from it
    EXPECT_TRUE(Overlaps(box, Box{33.0, 10.0, 5.0, 5.0}, 4.0));
    EXPECT_FALSE(Overlaps(box, Box{33.0, 10.0, 5.0, 5.0}, 2.0));
}

TEST(PlaceOutside, KeepsTwoLabelsOfOnePlaceApart) {
    // Two contacts a few pixels apart on the left limb, as C1 and C2 of Venus: each label outside the disc,
    // inside the page, clear of the other and of both discs; leaders from the discs' edges.
    Obstacles taken;
    const LabelRequest first{201.0, 320.0, 9.0, 150.0, 60.0, 1}, second{206.0, 326.0, 9.0, 150.0, 60.0, -1};
    taken.circles = {{first.x, first.y, first.reach}, {second.x, second.y, second.reach}};
    const Placement a = PlaceOutside(Page, first, taken);
    Occupy(a, taken);
    const Placement b = PlaceOutside(Page, second, taken);
    ASSERT_TRUE(a.clear && b.clear);
    EXPECT_FALSE(Overlaps(a.box, b.box, 0.0));
    for (const Placement& p : {a, b}) {
        EXPECT_GE(FromCentre(p.box), Page.sun.r);
        EXPECT_GE(p.box.x, 0.0);
        EXPECT_LE(p.box.x + p.box.width, 600.0);
        for (const Circle& c : taken.circles) EXPECT_FALSE(Touches(p.box, c, 0.0));
    }
    EXPECT_NEAR(std::hypot(a.leader.x1 - first.x, a.leader.y1 - first.y), first.reach + 1.0, 1e-9);
    EXPECT_NEAR(std::hypot(b.leader.x1 - second.x, b.leader.y1 - second.y), second.reach + 1.0, 1e-9);
}

TEST(PlaceOutside, TurnsToTheSideAsked) {
    // Straight out from a point on the left limb a box stands in the way: side +1 turns anticlockwise on the
    // screen (here downwards), side -1 clockwise (upwards).
    Obstacles taken;
    taken.boxes.push_back({20.0, 280.0, 175.0, 40.0});
    const Placement down = PlaceOutside(Page, {200.0, 300.0, 3.0, 100.0, 30.0, 1}, taken);
    const Placement up = PlaceOutside(Page, {200.0, 300.0, 3.0, 100.0, 30.0, -1}, taken);
    ASSERT_TRUE(down.clear && up.clear);
    EXPECT_GE(down.box.y, 320.0);
    EXPECT_LE(up.box.y + up.box.height, 280.0);
}

TEST(PlaceOutside, GoesRoundWhatIsInTheWay) {
    // The place straight out from the point is taken by a box; the label goes beside it, and says so only when
    // nothing is free.
    Obstacles taken;
    taken.boxes.push_back({60.0, 250.0, 140.0, 100.0});
    const Placement p = PlaceOutside(Page, {200.0, 300.0, 3.0, 120.0, 40.0, 0}, taken);
    EXPECT_TRUE(p.clear);
    EXPECT_FALSE(Overlaps(p.box, taken.boxes[0], 0.0));
    const Stage cramped{Page.sun, {190.0, 190.0, 220.0, 220.0}};
    EXPECT_FALSE(PlaceOutside(cramped, {200.0, 300.0, 3.0, 120.0, 40.0, 0}, {}).clear);
}

TEST(PlaceInside, StaysBesideThePathWithinTheDisc) {
    // A path straight across the disc 50 px below its centre; the label of a point on it goes inside the disc,
    // towards the centre, clear of the path; with the disc too small for it, outside.
    Obstacles taken;
    taken.lines.push_back({213.4, 350.0, 386.6, 350.0});
    const LabelRequest request{300.0, 350.0, 5.0, 100.0, 50.0, 0};
    const Placement p = PlaceInside(Page, request, taken);
    ASSERT_TRUE(p.clear);
    EXPECT_FALSE(Touches(p.box, taken.lines[0], 0.0));
    EXPECT_LT(p.box.y + p.box.height, 350.0);
    for (const double x : {p.box.x, p.box.x + p.box.width}) {
        for (const double y : {p.box.y, p.box.y + p.box.height}) EXPECT_LT(std::hypot(x - 300.0, y - 300.0), 100.0);
    }
    const Placement outside = PlaceInside(Page, {300.0, 350.0, 5.0, 250.0, 50.0, 0}, taken);
    EXPECT_TRUE(outside.clear);
    EXPECT_GE(FromCentre(outside.box), Page.sun.r);
}
