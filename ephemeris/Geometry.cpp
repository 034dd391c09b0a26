// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "internal/Geometry.h"

#include <libnova/mercury.h>
#include <libnova/precession.h>
#include <libnova/sidereal_time.h>
#include <libnova/solar.h>
#include <libnova/venus.h>

#include "Reduction.h"
#include "Units.h"

namespace ephemeris {
namespace {

constexpr long double MercuryRadiusArcsecAt1Au = 3.36L;
constexpr long double VenusRadiusKm = 6051.8L;
constexpr long double MercuryRadiusKm = 2439.7L;
constexpr long double WgsFlattening = 1.0L / 298.257223563L;

Vector FromRaDec(long double raDegrees, long double decDegrees, long double length) {
    const long double ra = raDegrees * DegToRad, dec = decDegrees * DegToRad;
    return {length * std::cos(dec) * std::cos(ra), length * std::cos(dec) * std::sin(ra), length * std::sin(dec)};
}

long double NodeX(int j) { return std::cos(kit::Pi * static_cast<long double>(j) / (NodeCount - 1)); }

// Rotation from the mean equator and equinox of date to J2000, from libnova's precession of two axes.
struct Rotation {
    Vector column[3];
};

Rotation PrecessionToJ2000(double jdTt) {
    ln_equ_posn xAxis{0.0, 0.0}, yAxis{90.0, 0.0}, xImage{}, yImage{};
    ln_get_equ_prec2(&xAxis, jdTt, kit::J2000Jd, &xImage);
    ln_get_equ_prec2(&yAxis, jdTt, kit::J2000Jd, &yImage);
    const Vector x = FromRaDec(xImage.ra, xImage.dec, 1.0L), y = FromRaDec(yImage.ra, yImage.dec, 1.0L);
    return {{x, y, Cross(x, y)}};
}

}  // namespace

long double SeparationArcsec(const Vector& a, const Vector& b) {
    // atan2 of cross and dot: acos loses the precision at small angles.
    return std::atan2(Norm(Cross(a, b)), Dot(a, b)) * kit::ArcSecondsPerRadian;
}

long double WrapDegrees(long double angle) {
    long double a = std::fmod(angle, 360.0L);
    if (a > 180.0L) a -= 360.0L;
    if (a <= -180.0L) a += 360.0L;
    return a;
}

Geometry GeometryAt(Planet planet, double jdTt) {
    // The apparent Sun of date would sit 10 arcsec away from the J2000 frame and move every contact by minutes.
    ln_equ_posn equ{};
    double distanceAu = 0.0;
    if (planet == Planet::Venus) {
        ln_get_venus_equ_coords(jdTt, &equ);
        distanceAu = ln_get_venus_earth_dist(jdTt);
    } else {
        ln_get_mercury_equ_coords(jdTt, &equ);
        distanceAu = ln_get_mercury_earth_dist(jdTt);
    }
    ln_rect_posn sun{};
    ln_get_solar_geo_coords(jdTt, &sun);
    return {FromRaDec(equ.ra, equ.dec, distanceAu), {sun.X, sun.Y, sun.Z}};
}

long double SunRadiusArcsec(long double distanceAu) { return SunRadiusArcsecAt1Au / distanceAu; }

long double PlanetRadiusArcsec(Planet planet, Radii radii, long double distanceAu) {
    if (radii == Radii::Nasa) {
        return (planet == Planet::Venus ? VenusRadiusArcsecAt1Au : MercuryRadiusArcsecAt1Au) / distanceAu;
    }
    const long double km = planet == Planet::Venus ? VenusRadiusKm : MercuryRadiusKm;
    return std::asin(km / (distanceAu * kit::AuKm)) * kit::ArcSecondsPerRadian;
}

Window OpenWindow(Planet planet, Radii radii, double centreJdTt, long double deltaTSeconds) {
    Window window{planet, radii, centreJdTt, deltaTSeconds, {}};
    for (int j = 0; j < NodeCount; ++j) {
        const long double jd = static_cast<long double>(centreJdTt) + WindowHalfDays * NodeX(j);
        window.nodes[j] = GeometryAt(planet, static_cast<double>(jd));
    }
    return window;
}

Geometry Interpolate(const Window& window, long double tau) {
    // Barycentric interpolation on Chebyshev points of the second kind.
    const long double x = tau / WindowHalfDays;
    Geometry sum{{0, 0, 0}, {0, 0, 0}};
    long double weightSum = 0.0L;
    for (int j = 0; j < NodeCount; ++j) {
        const long double dx = x - NodeX(j);
        if (dx == 0.0L) return window.nodes[j];
        long double w = (j % 2 == 0 ? 1.0L : -1.0L) / dx;
        if (j == 0 || j == NodeCount - 1) w *= 0.5L;
        sum.planet = Add(sum.planet, Scale(window.nodes[j].planet, w));
        sum.sun = Add(sum.sun, Scale(window.nodes[j].sun, w));
        weightSum += w;
    }
    return {Scale(sum.planet, 1.0L / weightSum), Scale(sum.sun, 1.0L / weightSum)};
}

Vector EarthFixedToJ2000(const Vector& fixed, double jdUt, double jdTt) {
    const long double theta = static_cast<long double>(ln_get_apparent_sidereal_time(jdUt)) * 15.0L * DegToRad;
    const Vector ofDate{fixed.x * std::cos(theta) - fixed.y * std::sin(theta),
                        fixed.x * std::sin(theta) + fixed.y * std::cos(theta), fixed.z};
    const Rotation r = PrecessionToJ2000(jdTt);
    return Add(Add(Scale(r.column[0], ofDate.x), Scale(r.column[1], ofDate.y)), Scale(r.column[2], ofDate.z));
}

Vector GeodeticToEarthFixedKm(long double latitude, long double longitude, long double heightKm) {
    const long double e2 = WgsFlattening * (2.0L - WgsFlattening);
    const long double s = std::sin(latitude);
    const long double n = WgsEquatorKm / std::sqrt(1.0L - e2 * s * s);
    return {(n + heightKm) * std::cos(latitude) * std::cos(longitude),
            (n + heightKm) * std::cos(latitude) * std::sin(longitude), (n * (1.0L - e2) + heightKm) * s};
}

Vector ZenithEarthFixed(long double latitude, long double longitude) {
    return {std::cos(latitude) * std::cos(longitude), std::cos(latitude) * std::sin(longitude), std::sin(latitude)};
}

}  // namespace ephemeris
