// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <limits>
#include <optional>
#include <vector>

// Transits of Venus and Mercury from the VSOP87 positions of libnova, in UT, geocentric or at a site.
// libnova keeps static caches of its last results: call everything here from one thread only.
// Angles in degrees, heights in m, times as Julian dates (JD) in UT unless a name says otherwise.
namespace ephemeris {

enum class Planet { Venus, Mercury };

// Which radii the contacts use: NASA's (Sun 959.63", Venus 8.41", Mercury 3.36" at 1 AU) or the solid
// bodies of the IAU (Venus 6051.8 km, Mercury 2439.7 km) that the IMCCE used, with the same Sun.
enum class Radii { Nasa, Iau };

// The years the catalogue covers; Delta T and the positions are checked against published predictions
// inside them.
inline constexpr int FirstCatalogueYear = 1600;
inline constexpr int LastCatalogueYear = 2200;

// The heights of a site, m above the WGS84 ellipsoid: from below the Dead Sea shore (a mine, or a
// sea-level slip) to an airborne observer well above the airliners.
inline constexpr double MinSiteHeightM = -1000.0;
inline constexpr double MaxSiteHeightM = 20000.0;

// Contact 1..4 are stored at index contact - 1.
inline constexpr int ContactCount = 4;

// Where a Delta T comes from: given by the user; measured (the USNO's monthly values from 1973, the
// telescopic record of Stephenson, Morrison and Hohenkerk 2016 from 1620); reconstructed from eclipses
// (their spline before 1620); extrapolated past the last measurement.
enum class DeltaTSource { Given, Measured, Reconstructed, Extrapolated };

struct EphemerisOptions {
    Radii radii = Radii::Nasa;
    std::optional<double> deltaTSeconds;  // TT - UT; unset: DeltaTSeconds at the transit
};

// One transit as seen from the Earth's centre. A position angle P is the planet's centre's direction on the
// Sun's disc, at the Sun's centre, from the north point of the equator of date towards the east, 0..360; a
// vertex angle V the same from the zenith point (V = P - q, q the Sun's parallactic angle). Both are 0 for a
// contact that does not happen.
struct Transit {
    Planet planet = Planet::Venus;
    Radii radii = Radii::Nasa;
    double contactJdUt[ContactCount] = {0.0, 0.0, 0.0, 0.0};
    bool contactHappens[ContactCount] = {false, false, false, false};  // a grazing transit lacks 2 and 3
    double greatestJdUt = 0.0;                                         // minimum geocentric separation
    double minSeparationArcsec = 0.0;                                  // of the centres
    double contactPDeg[ContactCount] = {0.0, 0.0, 0.0, 0.0};           // position angles, geocentric
    double greatestPDeg = 0.0;
    double deltaTSeconds = 0.0;                                        // the TT - UT used
    DeltaTSource deltaTSource = DeltaTSource::Measured;                // and where it came from
};

// A transit seen from one site: contacts, greatest transit (the minimum separation there), the Sun's
// altitude (geometric, no refraction) and the position and vertex angles (topocentric) at each.
struct LocalCircumstances {
    double contactJdUt[ContactCount] = {0.0, 0.0, 0.0, 0.0};
    bool contactHappens[ContactCount] = {false, false, false, false};
    double contactSunAltitudeDegrees[ContactCount] = {0.0, 0.0, 0.0, 0.0};
    double contactPDeg[ContactCount] = {0.0, 0.0, 0.0, 0.0};
    double contactVDeg[ContactCount] = {0.0, 0.0, 0.0, 0.0};
    double greatestJdUt = 0.0;
    double minSeparationArcsec = 0.0;
    double greatestSunAltitudeDegrees = 0.0;
    double greatestPDeg = 0.0, greatestVDeg = 0.0;
};

// Terms of the Chebyshev series of each Besselian element over its span.
inline constexpr int ElementTerms = 12;

// The Besselian elements of a transit, as for a solar eclipse: the fundamental plane passes through the
// Earth's centre perpendicular to the axis through the centres of the planet and the Sun; x (east) and y
// (north) are the axis's coordinates on it in Earth equatorial radii (6378.137 km), d and mu the declination
// and the Greenwich hour angle of the axis's direction towards the Sun (rad), l1 and l2 the radii on the
// plane of the cones of the external (1 and 4) and internal (2 and 3) contacts, f1 and f2 their half-angles.
// Frame: the equator of date and the apparent sidereal time that LocalContacts turns the site by. Each
// element is a Chebyshev series in UT over [startJdUt, endJdUt], coefficient k of T_k((t - mid) / half).
struct BesselianElements {
    Planet planet = Planet::Venus;
    Radii radii = Radii::Nasa;
    double deltaTSeconds = 0.0;
    double startJdUt = 0.0, endJdUt = 0.0;
    double contactJdUt[ContactCount] = {0.0, 0.0, 0.0, 0.0};  // geocentric: the first guesses
    bool contactHappens[ContactCount] = {false, false, false, false};
    double greatestJdUt = 0.0;
    double x[ElementTerms], y[ElementTerms], d[ElementTerms], mu[ElementTerms];
    double l1[ElementTerms], l2[ElementTerms], tanF1[ElementTerms], tanF2[ElementTerms];
};

// The elements at one instant (d and mu in rad, mu not brought into a turn).
struct ElementValues {
    double x, y, d, mu, l1, l2, tanF1, tanF2;
};

// A UT instant split for printing, the seconds rounded to tenths with the carry taken into the date.
struct CalendarTime {
    int year, month, day, hour, minute;
    int tenthsOfSecond;  // 0..599
};

// Where the Sun stands in the zenith at an instant, and how fast that point moves: from it the Sun's altitude
// at any site within a few hours follows without the ephemeris (for checking many timings at once).
struct SubsolarPoint {
    double jdUt = 0.0;
    double latitudeDegrees = 0.0, longitudeEastDegrees = 0.0;  // geocentric direction of the Sun
    double latitudeRateDegPerDay = 0.0, longitudeRateDegPerDay = 0.0;
};

// Delta T (DeltaT.cpp)

// TT - UT1 in seconds at decimalYear (2000.0 at J2000, mean Gregorian years), for any year: the USNO's
// monthly measurements from 1973 February to their end (linear between months), the spline of
// Stephenson, Morrison and Hohenkerk (2016) from -720 to 1973, the parabola -20 + 32 u^2 (u in centuries
// from 1820) before -720; past the last measurement its value, bent by a cubic into the parabola by 2150.
double DeltaTSeconds(double decimalYear);

// Where DeltaTSeconds takes its value at decimalYear from (never Given).
DeltaTSource DeltaTSourceAt(double decimalYear);

// Calendar (Calendar.cpp)

// JD of 0h UT on a Gregorian date, years -32767..32767; a day past the month's end rolls into the next month.
double JulianDayAtMidnight(int year, int month, int day);

// Gregorian date and time of a JD, to the nearest tenth of a second (years -32767..32767).
CalendarTime CalendarFromJd(double jd);

// Conjunction search (Conjunctions.cpp)

// The transit (of planet, or of either when unset) whose contacts 1..4 touch the UT date year-month-day;
// false when there is none or the date lies outside the catalogue's years.
bool FindTransit(std::optional<Planet> planet, int year, int month, int day, const EphemerisOptions& options,
                 Transit& out);

// A transit as Kepler's mean orbits place it, without the ephemeris: its planet and its contacts seen from
// the Earth's centre (UT JD), each within RoughContactDays(planet) of the ephemeris's, and the lengths of
// ingress and egress within RoughIngressDays. Near a graze, where the mean orbits cannot tell whether or where
// the discs touch, grazing is set and only the span is known: contacts 1 and 4 of the ephemeris, where they
// happen, lie between contactJdUt[0] and contactJdUt[3], each end as uncertain; contacts 2 and 3 are then
// those ends too.
struct RoughTransit {
    Planet planet = Planet::Venus;
    double contactJdUt[ContactCount] = {0.0, 0.0, 0.0, 0.0};
    bool grazing = false;
};
// Venus crawls across the Sun, so the mean orbits' error in its place is more time: 13.5 and 6.2 minutes at
// worst over the catalogue, and 0.4 for an ingress.
constexpr double RoughContactDays(Planet planet) { return (planet == Planet::Venus ? 20.0 : 10.0) / 1440.0; }
inline constexpr double RoughIngressDays = 2.0 / 1440.0;

// Every transit ListTransits lists, roughly, and some near misses that only the ephemeris tells from a graze,
// in time order: a hundredth of the cost, for a first look at which transits a set of times may belong to.
std::vector<RoughTransit> ListTransitsRoughly(int fromYear, int toYear);

// Every transit (of planet, or of both when unset) whose greatest transit falls in the UT years
// fromYear..toYear, clipped to the catalogue's years, in time order. Empty when fromYear > toYear.
std::vector<Transit> ListTransits(std::optional<Planet> planet, int fromYear, int toYear,
                                  const EphemerisOptions& options);

// Contacts at a site (Contacts.cpp)

// Contacts and greatest transit of transit at a WGS84 site (latitude -90..90, longitude -180..180 east
// positive, height MinSiteHeightM..MaxSiteHeightM). False (out untouched) for a site out of range; a contact
// the site does not see (a grazing transit there) has contactHappens false.
bool LocalContacts(const Transit& transit, double latitudeDegrees, double longitudeEastDegrees,
                   double heightMetres, LocalCircumstances& out);

// A_c in seconds per unit site vector, [contact - 1][x, y, z]: the contact at a site on the sphere of
// EarthRadiusKm at v = (cos lat cos lon, cos lat sin lon, sin lat), east positive, comes at
// t_c(geocentre) + A_c . v. A contact that does not happen there gets NaN.
void ContactCoefficients(const Transit& transit, double coefficientsSeconds[ContactCount][3]);

// Besselian elements (Elements.cpp)

// The elements of transit over its contacts 1 to 4 and 1.5 h either side; false for a transit without
// contacts 1 and 4 (a default-made one).
bool ElementsOf(const Transit& transit, BesselianElements& out);

// The elements at a UT JD within their span (beyond it the series run off).
ElementValues ElementsAt(const BesselianElements& elements, double jdUt);

// Contact 1..4 at a WGS84 site (as LocalContacts) whose geocentric vector is scaled by q = AU_ref / AU
// (q = 1: the AU of the ephemeris; the solar parallax is q times the reference one): its UT JD and
// d(jdUt)/dq in days. Agrees with LocalContacts to 0.01 s where the Sun is up. False when the site does
// not see that contact within the span, or contact is not 1..4.
bool PredictContact(const BesselianElements& elements, int contact, double latitudeDegrees,
                    double longitudeEastDegrees, double heightMetres, double q, double& jdUt, double& jdUtPerQ);

// A WGS84 site as the elements see it: its distances from the Earth's axis and from the equator's plane in
// equatorial radii, and its east longitude in radians. Computing it is most of a prediction's cost: timings
// made at one site share it.
struct ElementsSite {
    double rhoCos = 0.0, rhoSin = 0.0, lambda = 0.0;
};

ElementsSite ElementsSiteOf(double latitudeDegrees, double longitudeEastDegrees, double heightMetres);

// PredictContact at a site made by ElementsSiteOf. The search starts from fromJdUt where that is finite and
// within the elements' span (a prediction made before at a q nearby needs one step or two instead of three or
// four), else from the geocentric contact. Where jdUtPerQSquared is given, d2(jdUt)/dq2 in days is written
// there: how far the slope carries a prediction to another q.
bool PredictContact(const BesselianElements& elements, int contact, const ElementsSite& site, double q, double& jdUt,
                    double& jdUtPerQ, double fromJdUt = std::numeric_limits<double>::quiet_NaN(),
                    double* jdUtPerQSquared = nullptr);

// The planet on the Sun's disc (Disc.cpp)

// A WGS84 site: latitude -90..90, longitude -180..180 east positive, height MinSiteHeightM..MaxSiteHeightM.
struct WgsSite {
    double latitudeDegrees = 0.0, longitudeEastDegrees = 0.0, heightMetres = 0.0;
};

// Where the planet's centre stands on the Sun's disc at one instant, as the contacts see it. north and east
// are its offsets from the Sun's centre in arcsec towards the north point (equator of date) and the east, in
// the plane of the sky: their length is the separation of the centres that the contacts are solved for, their
// direction the position angle pDeg. At a site vDeg is the vertex angle and zenithPDeg the position angle of
// the zenith point (the Sun's parallactic angle q, V = P - q), both 0 at the Earth's centre, as is the Sun's
// altitude. eclipticPoleDeg is the position angle of the direction towards the ecliptic's north pole (the
// ecliptic runs across the disc at right angles to it).
struct DiscPosition {
    double jdUt = 0.0;
    double northArcsec = 0.0, eastArcsec = 0.0;
    double sunRadiusArcsec = 0.0, planetRadiusArcsec = 0.0;  // apparent, with the transit's radii
    double pDeg = 0.0, vDeg = 0.0, zenithPDeg = 0.0;
    double sunAltitudeDegrees = 0.0;                          // geometric, of the Sun's centre
    double eclipticPoleDeg = 0.0;
};

// One instant to see the planet at, from the Earth's centre (site unset) or a WGS84 site.
struct DiscRequest {
    std::optional<WgsSite> site;
    double jdUt = 0.0;
};

// The planet on the Sun's disc for each request, in their order. The positions of the Sun and the planet are
// taken from libnova once per call (milliseconds), each request then costs microseconds: ask for all at once.
// False (out untouched) for a site out of range or an instant more than 0.45 day (10.8 h) from the greatest
// transit, where the positions are not kept.
bool DiscPositions(const Transit& transit, const std::vector<DiscRequest>& requests, std::vector<DiscPosition>& out);

// The same for one observer at each UT JD of jdUt.
bool DiscPositions(const Transit& transit, const std::optional<WgsSite>& site, const std::vector<double>& jdUt,
                   std::vector<DiscPosition>& out);

// The Sun (Sun.cpp)

// The one rule of every program for "the Sun is up": its geometric altitude, of its centre, at or above
// -0.83 degree, where refraction (about 0.57 degree) and the Sun's radius (0.26 degree) keep its upper limb
// in view.
inline constexpr double SunUpAltitudeDegrees = -0.83;
inline bool SunIsUp(double altitudeDegrees) { return altitudeDegrees >= SunUpAltitudeDegrees; }

// Geometric altitude of the Sun's centre at a UT JD and a WGS84 site (as for LocalContacts), with
// DeltaTSeconds. Unchecked: a site out of range gives a meaningless angle.
double SunAltitudeDegrees(double jdUt, double latitudeDegrees, double longitudeEastDegrees, double heightMetres);

// The equation of time at a UT JD, in seconds: apparent minus mean solar time, the modern sign (positive
// when a sundial is ahead of a clock, as in early November; 18th-century almanacs tabulated mean minus
// apparent). From the Sun's true hour angle at Greenwich: 12 h less the subsolar longitude, less UT.
double EquationOfTimeSeconds(double jdUt);

// The subsolar point at a UT JD, with DeltaTSeconds.
SubsolarPoint SubsolarPointAt(double jdUt);

// Geometric altitude of the Sun's centre at a UT JD and a site (geodetic latitude, east longitude) from a
// subsolar point taken within hours: within 0.02 degree of SunAltitudeDegrees for six hours either side.
double SunAltitudeFrom(const SubsolarPoint& point, double jdUt, double latitudeDegrees, double longitudeEastDegrees);

}  // namespace ephemeris
