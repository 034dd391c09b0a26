// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <libnova/solar.h>

#include <algorithm>
#include <cmath>

#include "Reduction.h"
#include "Units.h"
#include "internal/Calendar.h"
#include "internal/Geometry.h"

namespace ephemeris {
namespace {

// The Sun's direction in the Earth-fixed frame: its J2000 vector read along the J2000 images of the axes.
void SubsolarDirection(double jdUt, long double& latitude, long double& longitude) {
    const long double deltaT = DeltaTSeconds(static_cast<double>(DecimalYear(jdUt)));
    const double jdTt = static_cast<double>(static_cast<long double>(jdUt) + deltaT / kit::SecondsPerDay);
    ln_rect_posn sun{};
    ln_get_solar_geo_coords(jdTt, &sun);
    const Vector s{sun.X, sun.Y, sun.Z};
    const long double x = Dot(s, EarthFixedToJ2000({1, 0, 0}, jdUt, jdTt));
    const long double y = Dot(s, EarthFixedToJ2000({0, 1, 0}, jdUt, jdTt));
    const long double z = Dot(s, EarthFixedToJ2000({0, 0, 1}, jdUt, jdTt));
    latitude = std::atan2(z, std::sqrt(x * x + y * y)) / DegToRad;
    longitude = std::atan2(y, x) / DegToRad;
}

}  // namespace

double SunAltitudeDegrees(double jdUt, double latitudeDegrees, double longitudeEastDegrees, double heightMetres) {
    const long double deltaT = DeltaTSeconds(static_cast<double>(DecimalYear(jdUt)));
    const double jdTt = static_cast<double>(static_cast<long double>(jdUt) + deltaT / kit::SecondsPerDay);
    ln_rect_posn sun{};
    ln_get_solar_geo_coords(jdTt, &sun);
    const long double lat = latitudeDegrees * DegToRad, lon = longitudeEastDegrees * DegToRad;
    const Vector site = Scale(EarthFixedToJ2000(GeodeticToEarthFixedKm(lat, lon, heightMetres / 1000.0L), jdUt, jdTt),
                              1.0L / kit::AuKm);
    const Vector zenith = EarthFixedToJ2000(ZenithEarthFixed(lat, lon), jdUt, jdTt);
    const Vector seen = Subtract(Vector{sun.X, sun.Y, sun.Z}, site);
    return static_cast<double>(std::asin(Dot(seen, zenith) / Norm(seen)) / DegToRad);
}

double EquationOfTimeSeconds(double jdUt) {
    long double latitude = 0, longitude = 0;
    SubsolarDirection(jdUt, latitude, longitude);
    // Apparent solar time at Greenwich is 12 h where the Sun stands over it, an hour earlier for each 15
    // degrees it stands east; the mean time there is UT.
    const long double ut = (jdUt - 0.5L - std::floor(jdUt - 0.5L)) * kit::SecondsPerDay;
    const long double apparent = kit::SecondsPerDay / 2.0L - longitude / 360.0L * kit::SecondsPerDay;
    const long double difference = apparent - ut;
    return static_cast<double>(difference - kit::SecondsPerDay * std::round(difference / kit::SecondsPerDay));
}

SubsolarPoint SubsolarPointAt(double jdUt) {
    // The rates from a second point an hour later; the longitude's wrap taken out of the difference.
    constexpr long double HourDays = 1.0L / 24.0L;
    long double lat0 = 0, lon0 = 0, lat1 = 0, lon1 = 0;
    SubsolarDirection(jdUt, lat0, lon0);
    SubsolarDirection(static_cast<double>(jdUt + HourDays), lat1, lon1);
    SubsolarPoint point;
    point.jdUt = jdUt;
    point.latitudeDegrees = static_cast<double>(lat0);
    point.longitudeEastDegrees = static_cast<double>(lon0);
    point.latitudeRateDegPerDay = static_cast<double>((lat1 - lat0) / HourDays);
    point.longitudeRateDegPerDay = static_cast<double>(WrapDegrees(lon1 - lon0) / HourDays);
    return point;
}

double SunAltitudeFrom(const SubsolarPoint& point, double jdUt, double latitudeDegrees, double longitudeEastDegrees) {
    // In double: a hundredth of a degree is all that is asked, and a campaign asks a million times.
    constexpr double Rad = static_cast<double>(DegToRad);
    const double days = jdUt - point.jdUt;
    const double delta = (point.latitudeDegrees + point.latitudeRateDegPerDay * days) * Rad;
    const double hourAngle = (longitudeEastDegrees - point.longitudeEastDegrees - point.longitudeRateDegPerDay * days) * Rad;
    const double phi = latitudeDegrees * Rad;
    const double sine = std::sin(phi) * std::sin(delta) + std::cos(phi) * std::cos(delta) * std::cos(hourAngle);
    return std::asin(std::clamp(sine, -1.0, 1.0)) / Rad;
}

}  // namespace ephemeris
