// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "WorldMap.h"

#include <cmath>

#include "Reduction.h"

namespace worldmap {
namespace {

// Savric, Patterson and Jenny, "The Equal Earth map projection", Int. J. Geogr. Inf. Sci. 33 (2019) 454, eq. 2.
constexpr long double A1 = 1.340264L, A2 = -0.081106L, A3 = 0.000893L, A4 = 0.003796L;

MapPoint Project(long double latitude, long double longitude) {
    const long double theta = std::asin(std::sqrt(3.0L) / 2.0L * std::sin(latitude));
    const long double t2 = theta * theta, t6 = t2 * t2 * t2;
    const long double x = 2.0L * std::sqrt(3.0L) * longitude * std::cos(theta) /
                          (3.0L * (9.0L * A4 * t6 * t2 + 7.0L * A3 * t6 + 3.0L * A2 * t2 + A1));
    const long double y = theta * (A1 + A2 * t2 + t6 * (A3 + A4 * t2));
    return {static_cast<double>(x), static_cast<double>(y)};
}

}  // namespace

MapPoint EqualEarth(const GeoPoint& point) {
    return Project(point.latitudeDegrees * DegToRad, point.longitudeEastDegrees * DegToRad);
}

double EqualEarthHalfWidth() { return Project(0.0L, 180.0L * DegToRad).x; }

double EqualEarthHalfHeight() { return Project(90.0L * DegToRad, 0.0L).y; }

}  // namespace worldmap
