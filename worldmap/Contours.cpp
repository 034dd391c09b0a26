// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "WorldMap.h"

#include <cmath>
#include <unordered_map>

#include "Reduction.h"

namespace worldmap {
namespace {

// The grid's margins of one contact ringed by nodes outside the region on the map's edges (the poles' lines
// and the meridians of 180 degrees), so that every outline closes, along the edge where it reaches it.
struct Padded {
    const SeenGrid& grid;
    const std::vector<double>& margins;
    int width() const { return grid.columns + 2; }
    int height() const { return grid.rows + 2; }
    bool edge(int i, int j) const { return i == 0 || j == 0 || i == height() - 1 || j == width() - 1; }
    double value(int i, int j) const {
        if (edge(i, j)) return -1.0;
        const double v = margins[static_cast<std::size_t>((i - 1) * grid.columns + (j - 1))];
        return std::isnan(v) ? -1.0 : v;  // no contact there: not seen
    }
    GeoPoint at(int i, int j) const {
        const double latitude = i == 0 ? 90.0 : i == height() - 1 ? -90.0 : CellCentre(grid, i - 1, 0).latitudeDegrees;
        const double longitude =
            j == 0 ? -180.0 : j == width() - 1 ? 180.0 : CellCentre(grid, 0, j - 1).longitudeEastDegrees;
        return {latitude, longitude};
    }
    bool inside(int i, int j) const { return value(i, j) >= 0.0; }
};

// A crossing of the outline with the edge between two neighbouring nodes, and whether it lies on the map's edge.
struct Crossing {
    GeoPoint point;
    bool onEdge = false;
};

// Edge ids: 2 (i W + j) for the edge from (i, j) east, one more for the edge from (i, j) south.
long EastEdge(const Padded& p, int i, int j) { return 2L * (static_cast<long>(i) * p.width() + j); }
long SouthEdge(const Padded& p, int i, int j) { return EastEdge(p, i, j) + 1; }

Crossing CrossingOf(const Padded& p, int i1, int j1, int i2, int j2) {
    // Where a node lies on the map's edge, the outline runs along the edge itself.
    if (p.edge(i1, j1)) return {p.at(i1, j1), true};
    if (p.edge(i2, j2)) return {p.at(i2, j2), true};
    const double v1 = p.value(i1, j1), v2 = p.value(i2, j2);
    const double t = v1 / (v1 - v2);
    const GeoPoint a = p.at(i1, j1), b = p.at(i2, j2);
    return {{a.latitudeDegrees + t * (b.latitudeDegrees - a.latitudeDegrees),
             a.longitudeEastDegrees + t * (b.longitudeEastDegrees - a.longitudeEastDegrees)},
            false};
}

struct Segment {
    long from, to;
};

// Marching squares: the segments of the outline in each square of four nodes, as pairs of edge ids, and the
// crossing on each edge id.
void Segments(const Padded& p, std::vector<Segment>& segments, std::unordered_map<long, Crossing>& crossings) {
    for (int i = 0; i + 1 < p.height(); ++i) {
        for (int j = 0; j + 1 < p.width(); ++j) {
            const bool a = p.inside(i, j), b = p.inside(i, j + 1), c = p.inside(i + 1, j + 1), d = p.inside(i + 1, j);
            const long top = EastEdge(p, i, j), bottom = EastEdge(p, i + 1, j);
            const long left = SouthEdge(p, i, j), right = SouthEdge(p, i, j + 1);
            if (a != b) crossings.try_emplace(top, CrossingOf(p, i, j, i, j + 1));
            if (d != c) crossings.try_emplace(bottom, CrossingOf(p, i + 1, j, i + 1, j + 1));
            if (a != d) crossings.try_emplace(left, CrossingOf(p, i, j, i + 1, j));
            if (b != c) crossings.try_emplace(right, CrossingOf(p, i, j + 1, i + 1, j + 1));
            if (a == c && b == d && a != b) {
                // A saddle: the mean of the corners decides whether the inside corners join across the middle.
                const double mean = (p.value(i, j) + p.value(i, j + 1) + p.value(i + 1, j + 1) + p.value(i + 1, j)) / 4.0;
                if ((mean >= 0.0) == a) {
                    segments.push_back({top, right}), segments.push_back({left, bottom});  // b and d cut off
                } else {
                    segments.push_back({top, left}), segments.push_back({right, bottom});  // a and c cut off
                }
                continue;
            }
            std::vector<long> crossed;
            if (a != b) crossed.push_back(top);
            if (b != c) crossed.push_back(right);
            if (d != c) crossed.push_back(bottom);
            if (a != d) crossed.push_back(left);
            if (crossed.size() == 2) segments.push_back({crossed[0], crossed[1]});
        }
    }
}

// The closed loops the segments form: every crossed edge lies between two squares, so each id meets two segments.
std::vector<std::vector<Crossing>> Loops(const Padded& p) {
    std::vector<Segment> segments;
    std::unordered_map<long, Crossing> crossings;
    Segments(p, segments, crossings);
    std::unordered_map<long, std::vector<std::size_t>> byEdge;
    for (std::size_t k = 0; k < segments.size(); ++k) {
        byEdge[segments[k].from].push_back(k);
        byEdge[segments[k].to].push_back(k);
    }
    std::vector<bool> used(segments.size(), false);
    std::vector<std::vector<Crossing>> loops;
    for (std::size_t first = 0; first < segments.size(); ++first) {
        if (used[first]) continue;
        std::vector<Crossing> loop;
        const long start = segments[first].from;
        long at = start;
        std::size_t k = first;
        while (!used[k]) {
            used[k] = true;
            loop.push_back(crossings.at(at));
            at = segments[k].from == at ? segments[k].to : segments[k].from;
            for (const std::size_t next : byEdge[at]) {
                if (!used[next]) k = next;
            }
        }
        loops.push_back(std::move(loop));
    }
    return loops;
}

}  // namespace

Region RegionOf(const SeenGrid& grid, int contact) {
    Region region;
    region.contact = contact;
    const Padded padded{grid, grid.upMargin[contact - 1]};
    for (const std::vector<Crossing>& loop : Loops(padded)) {
        std::vector<GeoPoint>& ring = region.rings.emplace_back();
        for (const Crossing& c : loop) ring.push_back(c.point);
    }
    return region;
}

std::vector<Curve> CurvesOf(const SeenGrid& grid, const SunUpModel& model, int contact) {
    // East of the subsolar point at the contact it is afternoon: the Sun sets there.
    const double jd = model.elements.contactHappens[contact - 1] ? model.elements.contactJdUt[contact - 1]
                                                                 : model.elements.greatestJdUt;
    const double sunLongitude = model.sun.longitudeEastDegrees + model.sun.longitudeRateDegPerDay * (jd - model.sun.jdUt);
    auto sunrise = [&](const GeoPoint& p) {
        return std::sin((p.longitudeEastDegrees - sunLongitude) * static_cast<double>(DegToRad)) <= 0.0;
    };
    std::vector<Curve> curves;
    const Padded padded{grid, grid.upMargin[contact - 1]};
    for (const std::vector<Crossing>& loop : Loops(padded)) {
        const std::size_t n = loop.size();
        // Start after a stretch along the map's edge, if there is one, so that no curve is cut where the loop
        // happens to begin.
        std::size_t start = 0;
        for (std::size_t k = 0; k < n; ++k) {
            if (loop[k].onEdge && loop[(k + 1) % n].onEdge) {
                start = (k + 1) % n;
                break;
            }
        }
        Curve* open = nullptr;
        for (std::size_t step = 0; step < n; ++step) {
            const Crossing& a = loop[(start + step) % n];
            const Crossing& b = loop[(start + step + 1) % n];
            if (a.onEdge && b.onEdge) {
                open = nullptr;
                continue;
            }
            const bool rising = sunrise(b.point);
            if (open == nullptr || open->sunrise != rising) {
                // A new stretch begins where the last one ended, so that the curve has no gap.
                curves.push_back({contact, rising, {a.point}});
                open = &curves.back();
            }
            open->points.push_back(b.point);
        }
    }
    return curves;
}

}  // namespace worldmap
