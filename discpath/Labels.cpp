// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Labels.h"

#include <algorithm>
#include <cmath>

#include "Units.h"

namespace discpath {
namespace {

constexpr double Rad = static_cast<double>(kit::Pi) / 180.0;

// Gaps in pixels: between a label and another label, and between a label and a line or disc; a label outside
// keeps LimbGap from the limb, one inside as much from it.
constexpr double LabelGap = 4.0, LineGap = 3.0, LimbGap = 5.0;

// Places outside: the directions turned up to 90 degrees either way in steps of 3, the distances from the limb.
constexpr double TurnStepDeg = 3.0;
constexpr int TurnSteps = 30;
constexpr double OutsideDistances[] = {14, 26, 40, 56, 76, 100, 130, 165};
// Places inside: along the line to the Sun's centre, every 6 px, and beside it.
constexpr double InsideStep = 6.0;
constexpr double InsideBeside[] = {0, 24, -24, 48, -48, 72, -72, 100, -100, 140, -140, 190, -190};
// A place turned against the preferred side, or inside away from the Sun's centre, costs as much as this much
// longer a leader.
constexpr double WrongSideCost = 30.0, AwayCost = 60.0;

struct Point {
    double x, y;
};

Point Nearest(const Box& box, Point p) {
    return {std::clamp(p.x, box.x, box.x + box.width), std::clamp(p.y, box.y, box.y + box.height)};
}

double Distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

double FarthestCorner(const Box& box, Point p) {
    double most = 0.0;
    for (const double x : {box.x, box.x + box.width}) {
        for (const double y : {box.y, box.y + box.height}) most = std::max(most, Distance({x, y}, p));
    }
    return most;
}

double Cross(Point o, Point a, Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

// Whether two segments cross (touching at an end counts: leaders from one disc start at its edge apart).
bool Cross(const Segment& s, const Segment& t) {
    const Point a{s.x1, s.y1}, b{s.x2, s.y2}, c{t.x1, t.y1}, d{t.x2, t.y2};
    const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
    return ((d1 > 0) != (d2 > 0) || d1 == 0 || d2 == 0) && ((d3 > 0) != (d4 > 0) || d3 == 0 || d4 == 0) &&
           !(d1 == 0 && d2 == 0);
}

// The leader from the edge of the named disc to the nearest point of box; of no length if the box reaches
// the disc.
Segment LeaderTo(const Box& box, const LabelRequest& r) {
    const Point anchor{r.x, r.y}, end = Nearest(box, anchor);
    const double length = Distance(anchor, end);
    if (length <= r.reach + 1.0) return {end.x, end.y, end.x, end.y};
    const double f = (r.reach + 1.0) / length;
    return {anchor.x + (end.x - anchor.x) * f, anchor.y + (end.y - anchor.y) * f, end.x, end.y};
}

bool Inside(const Box& inner, const Box& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

// Whether box, with its leader, keeps clear of everything drawn before it.
bool Free(const Stage& stage, const Box& box, const Segment& leader, const Obstacles& o) {
    if (!Inside(box, stage.frame)) return false;
    for (const Box& b : o.boxes) {
        if (Overlaps(box, b, LabelGap) || Touches(b, leader, 1.0)) return false;
    }
    for (const Circle& c : o.circles) {
        if (Touches(box, c, LineGap)) return false;
    }
    for (const Segment& s : o.lines) {
        if (Touches(box, s, LineGap)) return false;
    }
    for (const Segment& s : o.leaders) {
        if (Touches(box, s, 1.0) || Cross(leader, s)) return false;
    }
    return true;
}

// The boxes of a label with a corner or side at point, seen from the Sun's centre in direction angle: to its
// left the label ends there, to its right it starts there, above or below it is centred; and each of these
// standing above, beside or below the point, so that a tall label finds room past its neighbour's.
template <typename Offer>
void Attach(Point point, double angle, double width, double height, double penalty, Offer&& offer) {
    const double ux = std::cos(angle);
    const double x = ux < -0.35 ? point.x - width : ux > 0.35 ? point.x : point.x - width / 2.0;
    for (const double y : {point.y - height, point.y - height / 2.0, point.y}) offer(Box{x, y, width, height}, penalty);
}

struct Candidate {
    Box box;
    Segment leader;
    double cost;
};

// The cheapest free candidate, or the first if none is free. The candidates are tried cheapest first, so that
// most are never tested against what is drawn; costs are kept to a hundredth of a pixel, so that two places
// equal but for the last bits of a sine go in the order they were offered, on every platform.
template <typename Each>
Placement Cheapest(const Stage& stage, const LabelRequest& request, const Obstacles& obstacles, Each&& each) {
    std::vector<Candidate> candidates;
    each([&](const Box& box, double penalty) {
        const Segment leader = LeaderTo(box, request);
        const double cost = Distance({leader.x1, leader.y1}, {leader.x2, leader.y2}) + penalty;
        candidates.push_back({box, leader, std::round(cost * 100.0) / 100.0});
    });
    if (candidates.empty()) return {};
    std::vector<std::size_t> order(candidates.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return candidates[a].cost < candidates[b].cost; });
    for (const std::size_t i : order) {
        if (Free(stage, candidates[i].box, candidates[i].leader, obstacles)) {
            return {candidates[i].box, candidates[i].leader, true};
        }
    }
    return {candidates.front().box, candidates.front().leader, false};
}

}  // namespace

bool Overlaps(const Box& a, const Box& b, double pad) {
    return a.x - pad < b.x + b.width && b.x - pad < a.x + a.width && a.y - pad < b.y + b.height &&
           b.y - pad < a.y + a.height;
}

bool Touches(const Box& box, const Segment& line, double pad) {
    // Liang-Barsky: clip the line to the box grown by pad; it touches if anything is left.
    const double x0 = box.x - pad, x1 = box.x + box.width + pad, y0 = box.y - pad, y1 = box.y + box.height + pad;
    const double dx = line.x2 - line.x1, dy = line.y2 - line.y1;
    double low = 0.0, high = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {line.x1 - x0, x1 - line.x1, line.y1 - y0, y1 - line.y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            low = std::max(low, t);
        } else {
            high = std::min(high, t);
        }
        if (low > high) return false;
    }
    return true;
}

bool Touches(const Box& box, const Circle& disc, double pad) {
    return Distance(Nearest(box, {disc.x, disc.y}), {disc.x, disc.y}) < disc.r + pad;
}

Placement PlaceOutside(const Stage& stage, const LabelRequest& request, const Obstacles& obstacles) {
    const Point centre{stage.sun.x, stage.sun.y};
    const double direction = std::atan2(request.y - centre.y, request.x - centre.x);
    return Cheapest(stage, request, obstacles, [&](auto&& offer) {
        for (int step = 0; step <= TurnSteps; ++step) {
            for (const int sign : {request.side >= 0 ? 1 : -1, request.side >= 0 ? -1 : 1}) {
                if (step == 0 && sign != (request.side >= 0 ? 1 : -1)) continue;
                // On the screen, with y downwards, a growing angle turns clockwise: side +1 turns it back.
                const double angle = direction - sign * step * TurnStepDeg * Rad;
                const double penalty = step > 0 && request.side != 0 && sign != request.side ? WrongSideCost : 0.0;
                for (const double distance : OutsideDistances) {
                    const double r = stage.sun.r + distance;
                    Attach({centre.x + r * std::cos(angle), centre.y + r * std::sin(angle)}, angle, request.width,
                           request.height, penalty, [&](const Box& box, double cost) {
                               if (Distance(Nearest(box, centre), centre) >= stage.sun.r + LimbGap) offer(box, cost);
                           });
                }
            }
        }
    });
}

Placement PlaceInside(const Stage& stage, const LabelRequest& request, const Obstacles& obstacles) {
    const Point centre{stage.sun.x, stage.sun.y};
    const double dx = centre.x - request.x, dy = centre.y - request.y, length = std::hypot(dx, dy);
    // A point at the centre has no side towards it: then the label goes above.
    const double ux = length > 1.0 ? dx / length : 0.0, uy = length > 1.0 ? dy / length : -1.0;
    const Placement inside = Cheapest(stage, request, obstacles, [&](auto&& offer) {
        for (const int sign : {1, -1}) {
            for (double t = InsideStep; t < 2.0 * stage.sun.r; t += InsideStep) {
                for (const double beside : InsideBeside) {
                    const double mx = request.x + sign * t * ux - beside * uy;
                    const double my = request.y + sign * t * uy + beside * ux;
                    const Box box{mx - request.width / 2.0, my - request.height / 2.0, request.width, request.height};
                    if (FarthestCorner(box, centre) > stage.sun.r - LimbGap) continue;
                    offer(box, (sign < 0 ? AwayCost : 0.0) + 0.3 * std::fabs(beside));
                }
            }
        }
    });
    return inside.clear ? inside : PlaceOutside(stage, request, obstacles);
}

void Occupy(const Placement& placement, Obstacles& obstacles) {
    obstacles.boxes.push_back(placement.box);
    obstacles.leaders.push_back(placement.leader);
}

}  // namespace discpath
