// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <vector>

// Where the sites' labels go on the map: beside their marker, clear of every marker and label placed before. In
// pixels, y downwards.
namespace worldmap {

struct Box {
    double x = 0.0, y = 0.0, width = 0.0, height = 0.0;
};

// Whether a and b overlap.
bool Overlaps(const Box& a, const Box& b);

// A label's place.
struct LabelPlace {
    Box box;
    bool leader = false;  // far from its marker: a line joins them
    bool clear = false;   // false: no free place, and the label stands at its first place regardless
};

// A label of width x height for the marker at (x, y): the first free place of those beside the marker (right,
// left, above, below, then the corners), then the same farther out, inside frame and clear of obstacles.
LabelPlace PlaceLabel(double x, double y, double width, double height, const Box& frame, const std::vector<Box>& obstacles);

}  // namespace worldmap
