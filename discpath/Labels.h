// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <vector>

// Where the labels of the path picture go: each takes the nearest free place around the point it names, clear
// of the lines, discs and labels drawn before it, and a leader line joins them. In pixels, y downwards.
namespace discpath {

struct Box {
    double x = 0.0, y = 0.0, width = 0.0, height = 0.0;
};

struct Circle {
    double x = 0.0, y = 0.0, r = 0.0;
};

struct Segment {
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
};

// What a new label must keep clear of: its box clear of every box, disc and line, its leader clear of every
// box and of the other leaders.
struct Obstacles {
    std::vector<Box> boxes;
    std::vector<Circle> circles;
    std::vector<Segment> lines;
    std::vector<Segment> leaders;
};

// The Sun's disc, and the frame every label stays inside.
struct Stage {
    Circle sun;
    Box frame;
};

// A label of width x height naming the disc of radius reach around (x, y). side +1 or -1 prefers the places
// turned anticlockwise or clockwise (on the screen) from the point's direction, 0 neither.
struct LabelRequest {
    double x = 0.0, y = 0.0, reach = 0.0;
    double width = 0.0, height = 0.0;
    int side = 0;
};

// Where a label went: its box, and the leader from the named disc's edge to the box. clear is false when no
// free place was found and the label stands at its first place regardless.
struct Placement {
    Box box;
    Segment leader;
    bool clear = false;
};

// The label outside the Sun's disc, in the direction of its point from the Sun's centre or as near to it as
// is free, as near the limb as is free.
Placement PlaceOutside(const Stage& stage, const LabelRequest& request, const Obstacles& obstacles);

// The label inside the Sun's disc, beside its point towards the Sun's centre (or, if that side is full, away
// from it); outside, as PlaceOutside, when the disc has no room.
Placement PlaceInside(const Stage& stage, const LabelRequest& request, const Obstacles& obstacles);

// Adds a placed label's box and leader to what later labels keep clear of.
void Occupy(const Placement& placement, Obstacles& obstacles);

// Whether a and b come within pad of each other.
bool Overlaps(const Box& a, const Box& b, double pad);

// Whether the line comes within pad of the box.
bool Touches(const Box& box, const Segment& line, double pad);

// Whether the disc comes within pad of the box.
bool Touches(const Box& box, const Circle& disc, double pad);

}  // namespace discpath
