// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cmath>

#include "Ephemeris.h"

// Vectors, frames and positions inside the ephemeris: J2000 equator and equinox, AU, long double.
namespace ephemeris {

// The WGS84 equatorial radius, the unit of the Besselian elements.
inline constexpr long double WgsEquatorKm = 6378.137L;

// NASA's radii at 1 AU, arcsec; the conjunction search measures its reach with them too.
inline constexpr long double SunRadiusArcsecAt1Au = 959.63L;
inline constexpr long double VenusRadiusArcsecAt1Au = 8.41L;

// Half the span of the interpolated positions around a conjunction: a transit of Mercury lasts up to
// about 8 h and its greatest transit lies within an hour of the conjunction, so 10.8 h either side
// leaves every contact, also at a site, well inside.
inline constexpr long double WindowHalfDays = 0.45L;
// Chebyshev nodes across the window: the geocentric positions change on a scale of days, and 11 nodes
// reproduce them over 0.9 day to far below a microarcsecond (checked in the tests against libnova).
inline constexpr int NodeCount = 11;

struct Vector {
    long double x, y, z;
};

inline Vector Add(const Vector& a, const Vector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector Subtract(const Vector& a, const Vector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector Scale(const Vector& a, long double s) { return {a.x * s, a.y * s, a.z * s}; }
inline long double Dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector Cross(const Vector& a, const Vector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline long double Norm(const Vector& a) { return std::sqrt(Dot(a, a)); }

// The angle between a and b, arcsec, to full precision also at the few arcminutes of a transit.
long double SeparationArcsec(const Vector& a, const Vector& b);

// An angle in degrees brought into (-180, 180].
long double WrapDegrees(long double angle);

// Geocentric positions in AU in the J2000 equator and equinox: the planet as libnova gives it (light
// time included), the Sun from the Earth's heliocentric position in the same frame.
struct Geometry {
    Vector planet, sun;
};

// The positions at a TT JD.
Geometry GeometryAt(Planet planet, double jdTt);

// Apparent radius of the Sun at distanceAu, arcsec.
long double SunRadiusArcsec(long double distanceAu);

// Apparent radius of the planet at distanceAu, arcsec, with the radii chosen.
long double PlanetRadiusArcsec(Planet planet, Radii radii, long double distanceAu);

// Positions sampled at Chebyshev points around a conjunction and interpolated between them, so that the
// hundreds of positions a site's contacts need cost one libnova call per node.
struct Window {
    Planet planet;
    Radii radii;
    double centreJdTt;
    long double deltaTSeconds;
    Geometry nodes[NodeCount];
};

// The window centred on centreJdTt, its nodes filled from libnova.
Window OpenWindow(Planet planet, Radii radii, double centreJdTt, long double deltaTSeconds);

// The positions at tau days from the window's centre, |tau| <= WindowHalfDays.
Geometry Interpolate(const Window& window, long double tau);

// An Earth-fixed vector turned by the apparent sidereal time and precessed into J2000.
Vector EarthFixedToJ2000(const Vector& fixed, double jdUt, double jdTt);

// A WGS84 site (geodetic latitude and east longitude in rad, height in km) as an Earth-fixed vector in km.
Vector GeodeticToEarthFixedKm(long double latitude, long double longitude, long double heightKm);

// The unit vector of the geodetic zenith, Earth-fixed; angles in rad.
Vector ZenithEarthFixed(long double latitude, long double longitude);

}  // namespace ephemeris
