// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <optional>
#include <vector>

// Transits of Venus and Mercury from the VSOP87 positions of libnova, in UT, geocentric or at a site.
// libnova keeps static caches of its last results: call everything here from one thread only.

enum class Planet { Venus, Mercury };

// Which radii the contacts use: NASA's (Sun 959.63", Venus 8.41", Mercury 3.36" at 1 AU) or the solid
// bodies of the IAU (Venus 6051.8 km, Mercury 2439.7 km) that the IMCCE used, with the same Sun.
enum class Radii { Nasa, Iau };

// The years the catalogue covers; the Delta T polynomials and the positions are checked against
// published predictions inside them.
inline constexpr int FirstCatalogueYear = 1600;
inline constexpr int LastCatalogueYear = 2200;

// Contact 1..4 are stored at index contact - 1.
inline constexpr int ContactCount = 4;

struct EphemerisOptions {
    Radii radii = Radii::Nasa;
    std::optional<double> deltaTSeconds;  // TT - UT; unset: the Espenak-Meeus polynomials
};

// One transit as seen from the Earth's centre; times are Julian dates in UT.
struct Transit {
    Planet planet = Planet::Venus;
    Radii radii = Radii::Nasa;
    double contactJdUt[ContactCount] = {0.0, 0.0, 0.0, 0.0};
    bool contactHappens[ContactCount] = {false, false, false, false};  // a grazing transit lacks 2 and 3
    double greatestJdUt = 0.0;                                         // minimum geocentric separation
    double minSeparationArcsec = 0.0;                                  // of the centres
    double deltaTSeconds = 0.0;                                        // the TT - UT used
};

// A transit seen from one site: contacts, greatest transit (the minimum separation there) and the Sun's
// altitude (degrees, geometric, no refraction) at each.
struct LocalCircumstances {
    double contactJdUt[ContactCount] = {0.0, 0.0, 0.0, 0.0};
    bool contactHappens[ContactCount] = {false, false, false, false};
    double contactSunAltitudeDegrees[ContactCount] = {0.0, 0.0, 0.0, 0.0};
    double greatestJdUt = 0.0;
    double minSeparationArcsec = 0.0;
    double greatestSunAltitudeDegrees = 0.0;
};

// A UT instant split for printing, the seconds rounded to tenths with the carry taken into the date.
struct CalendarTime {
    int year, month, day, hour, minute;
    int tenthsOfSecond;  // 0..599
};

// TT - UT in seconds at decimalYear (2004.5 is mid-2004), Espenak and Meeus (2006), for any year.
double DeltaTSeconds(double decimalYear);

// Julian date of 0h UT on a Gregorian date. Unchecked: an impossible date gives the date it rolls over to.
double JulianDayAtMidnight(int year, int month, int day);

// Gregorian date and time of a Julian date, to the nearest tenth of a second.
CalendarTime CalendarFromJd(double jd);

// The transit (of planet, or of either when planet is unset) whose contacts 1..4 touch the UT date
// year-month-day; false when there is none or the date lies outside the catalogue's years.
bool FindTransit(std::optional<Planet> planet, int year, int month, int day, const EphemerisOptions& options,
                 Transit& out);

// Every transit (of planet, or of both when unset) whose greatest transit falls in the UT years
// fromYear..toYear, clipped to the catalogue's years, in time order; found by searching the inferior
// conjunctions, each kept when the planet's disc reaches the Sun's. Empty when fromYear > toYear.
std::vector<Transit> ListTransits(std::optional<Planet> planet, int fromYear, int toYear,
                                  const EphemerisOptions& options);

// Contacts and greatest transit of transit at a site on the WGS84 ellipsoid (latitude -90..90, longitude
// -180..180 east positive, degrees; height in m above the ellipsoid). False (out untouched) for a site
// out of range. A contact that the site does not see (a grazing transit there) has contactHappens false.
bool LocalContacts(const Transit& transit, double latitudeDegrees, double longitudeEastDegrees,
                   double heightMetres, LocalCircumstances& out);

// A_c in seconds per unit site vector, [contact - 1][x, y, z], such that the contact at a site on the
// sphere of EarthRadiusKm at v = (cos lat cos lon, cos lat sin lon, sin lat), longitude east positive, comes
// at t_c(geocentre) + A_c . v. From central differences at pseudo-sites 0.05 Earth radii either side of
// the centre along each Earth-fixed axis. A contact that does not happen there gets NaN.
void ContactCoefficients(const Transit& transit, double coefficientsSeconds[ContactCount][3]);

// Geometric altitude of the Sun's centre in degrees at a UT Julian date and a WGS84 site (as for
// LocalContacts), with the Espenak-Meeus Delta T. Unchecked: a site out of range gives a meaningless angle.
double SunAltitudeDegrees(double jdUt, double latitudeDegrees, double longitudeEastDegrees, double heightMetres);

// Where the Sun stands in the zenith at an instant, and how fast that point moves: from it the Sun's altitude
// at any site within a few hours follows without the ephemeris (for checking many timings at once).
struct SubsolarPoint {
    double jdUt = 0.0;
    double latitudeDegrees = 0.0, longitudeEastDegrees = 0.0;       // geocentric direction of the Sun
    double latitudeRateDegPerDay = 0.0, longitudeRateDegPerDay = 0.0;
};

// The subsolar point at a UT Julian date, with the Espenak-Meeus Delta T.
SubsolarPoint SubsolarPointAt(double jdUt);

// Geometric altitude of the Sun's centre in degrees at a UT Julian date and a site (geodetic latitude, east
// longitude), from a subsolar point taken within hours: within 0.02 degree of SunAltitudeDegrees for six
// hours either side (the Sun's parallax and the Earth's flattening of the site's position are left out).
double SunAltitudeFrom(const SubsolarPoint& point, double jdUt, double latitudeDegrees, double longitudeEastDegrees);
