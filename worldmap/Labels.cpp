// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Labels.h"

namespace worldmap {

bool Overlaps(const Box& a, const Box& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

LabelPlace PlaceLabel(double x, double y, double width, double height, const Box& frame, const std::vector<Box>& obstacles) {
    // Directions in order of preference: right, left, above, below, then the four corners.
    constexpr double Directions[8][2] = {{1, 0}, {-1, 0}, {0, -1}, {0, 1}, {1, -1}, {-1, -1}, {1, 1}, {-1, 1}};
    constexpr double Gaps[] = {7.0, 22.0, 40.0, 60.0};
    LabelPlace first;
    bool haveFirst = false;
    for (const double gap : Gaps) {
        for (const auto& d : Directions) {
            // The box's near side or corner stands gap away from the marker; centred across where it lies straight
            // beside it.
            const double left = d[0] > 0 ? x + gap : d[0] < 0 ? x - gap - width : x - width / 2.0;
            const double top = d[1] > 0 ? y + gap : d[1] < 0 ? y - gap - height : y - height / 2.0;
            const Box box{left, top, width, height};
            const bool inFrame = box.x >= frame.x && box.y >= frame.y && box.x + box.width <= frame.x + frame.width &&
                                 box.y + box.height <= frame.y + frame.height;
            if (!inFrame) continue;
            const LabelPlace place{box, gap > Gaps[0], true};
            if (!haveFirst) first = place, first.clear = false, haveFirst = true;
            bool free = true;
            for (const Box& other : obstacles) free = free && !Overlaps(box, other);
            if (free) return place;
        }
    }
    if (!haveFirst) first.box = {x + Gaps[0], y - height / 2.0, width, height};
    return first;
}

}  // namespace worldmap
