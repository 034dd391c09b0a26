// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <libnova/earth.h>
#include <libnova/mercury.h>
#include <libnova/precession.h>
#include <libnova/sidereal_time.h>
#include <libnova/solar.h>
#include <libnova/venus.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "Reduction.h"
#include "Fields.h"

namespace {

constexpr long double Pi = 3.14159265358979323846264338327950288L;
constexpr long double ArcSecondsPerRadian = 206264.806247096355156L;
constexpr long double AuKm = 149597870.7L;
constexpr long double SecondsPerDay = 86400.0L;
constexpr double J2000Jd = 2451545.0;
constexpr long double DaysPerGregorianYear = 365.2425L;
constexpr long double SunRadiusArcsecAt1Au = 959.63L;
constexpr long double VenusRadiusArcsecAt1Au = 8.41L;
constexpr long double MercuryRadiusArcsecAt1Au = 3.36L;
constexpr long double VenusRadiusKm = 6051.8L;
constexpr long double MercuryRadiusKm = 2439.7L;
constexpr long double WgsEquatorKm = 6378.137L;
constexpr long double WgsFlattening = 1.0L / 298.257223563L;
constexpr long double VenusSynodicDays = 583.92L;
constexpr long double MercurySynodicDays = 115.88L;

// Half the span of the interpolated positions around a conjunction: a transit of Mercury lasts up to
// about 8 h and its greatest transit lies within an hour of the conjunction, so 10.8 h either side
// leaves every contact, also at a site, well inside.
constexpr long double WindowHalfDays = 0.45L;
// Chebyshev nodes across the window: the geocentric positions change on a scale of days, and 11 nodes
// reproduce them over 0.9 day to far below a microarcsecond (checked in the tests against libnova).
constexpr int NodeCount = 11;
// A conjunction is looked at closely when the centres are nearer than this many disc-plus-planet radii:
// the path is inclined some 9 degrees to the ecliptic, so the minimum is within a few percent of the
// separation at conjunction; 1.3 leaves room for paths up to 40 degrees.
constexpr long double CandidateFactor = 1.3L;
// Root and minimum are found to 1e-10 day (9 microseconds): the site coefficients take differences of
// contact times 40 s apart and keep five digits.
constexpr long double TimeToleranceDays = 1e-10L;
constexpr long double PseudoSiteEarthRadii = 0.05L;

struct Vector {
    long double x, y, z;
};

Vector Add(const Vector& a, const Vector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vector Subtract(const Vector& a, const Vector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector Scale(const Vector& a, long double s) { return {a.x * s, a.y * s, a.z * s}; }
long double Dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector Cross(const Vector& a, const Vector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
long double Norm(const Vector& a) { return std::sqrt(Dot(a, a)); }

// atan2 of cross and dot keeps full precision at the few arcminutes of a transit, where acos loses it.
long double SeparationArcsec(const Vector& a, const Vector& b) {
    return std::atan2(Norm(Cross(a, b)), Dot(a, b)) * ArcSecondsPerRadian;
}

Vector FromRaDec(long double raDegrees, long double decDegrees, long double length) {
    const long double ra = raDegrees * DegToRad, dec = decDegrees * DegToRad;
    return {length * std::cos(dec) * std::cos(ra), length * std::cos(dec) * std::sin(ra), length * std::sin(dec)};
}

// Geocentric positions in AU in the J2000 equator and equinox: the planet as libnova gives it (light
// time included), the Sun from the Earth's heliocentric position in the same frame. The apparent Sun of
// date would sit 10 arcsec away from this frame and move every contact by minutes.
struct Geometry {
    Vector planet, sun;
};

Geometry GeometryAt(Planet planet, double jdTt) {
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
    return std::asin(km / (distanceAu * AuKm)) * ArcSecondsPerRadian;
}

// Positions sampled at Chebyshev points around a conjunction and interpolated between them, so that the
// hundreds of positions a site's contacts need cost one libnova call per node.
struct Window {
    Planet planet;
    Radii radii;
    double centreJdTt;
    long double deltaTSeconds;
    Geometry nodes[NodeCount];
};

long double NodeX(int j) { return std::cos(Pi * static_cast<long double>(j) / (NodeCount - 1)); }

Window OpenWindow(Planet planet, Radii radii, double centreJdTt, long double deltaTSeconds) {
    Window window{planet, radii, centreJdTt, deltaTSeconds, {}};
    for (int j = 0; j < NodeCount; ++j) {
        const long double jd = static_cast<long double>(centreJdTt) + WindowHalfDays * NodeX(j);
        window.nodes[j] = GeometryAt(planet, static_cast<double>(jd));
    }
    return window;
}

// Barycentric interpolation on Chebyshev points of the second kind; tau in days from the centre.
Geometry Interpolate(const Window& window, long double tau) {
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

// Rotation from the mean equator and equinox of date to J2000, from libnova's precession of two axes.
struct Rotation {
    Vector column[3];
};

Rotation PrecessionToJ2000(double jdTt) {
    ln_equ_posn xAxis{0.0, 0.0}, yAxis{90.0, 0.0}, xImage{}, yImage{};
    ln_get_equ_prec2(&xAxis, jdTt, J2000Jd, &xImage);
    ln_get_equ_prec2(&yAxis, jdTt, J2000Jd, &yImage);
    const Vector x = FromRaDec(xImage.ra, xImage.dec, 1.0L), y = FromRaDec(yImage.ra, yImage.dec, 1.0L);
    return {{x, y, Cross(x, y)}};
}

// An Earth-fixed vector turned by the apparent sidereal time and precessed into J2000.
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

// An observer: Earth-fixed position in km (the centre is zero) and, for the Sun's altitude, the zenith.
struct Observer {
    Vector earthFixedKm;
    Vector zenith;
    bool atCentre;
};

// What the observer sees at tau: the separation of the centres and the two radii, in arcsec.
struct View {
    long double separation, sunRadius, planetRadius;
    Vector sun;        // the Sun from the observer, AU
    Vector observer;   // the observer from the centre, AU, J2000
    double jdUt, jdTt;
};

View ViewAt(const Window& window, const Observer& observer, long double tau) {
    const Geometry g = Interpolate(window, tau);
    const long double jdTt = static_cast<long double>(window.centreJdTt) + tau;
    const double jdUt = static_cast<double>(jdTt - window.deltaTSeconds / SecondsPerDay);
    Vector site{0, 0, 0};
    if (!observer.atCentre) {
        site = Scale(EarthFixedToJ2000(observer.earthFixedKm, jdUt, static_cast<double>(jdTt)), 1.0L / AuKm);
    }
    const Vector planet = Subtract(g.planet, site), sun = Subtract(g.sun, site);
    return {SeparationArcsec(planet, sun), SunRadiusArcsec(Norm(sun)),
            PlanetRadiusArcsec(window.planet, window.radii, Norm(planet)), sun, site, jdUt,
            static_cast<double>(jdTt)};
}

// Contacts 1 and 4 touch the limb from outside, 2 and 3 from inside.
long double ContactFunction(const View& view, int contact) {
    const bool outer = contact == 1 || contact == 4;
    return view.separation - (outer ? view.sunRadius + view.planetRadius : view.sunRadius - view.planetRadius);
}

// Golden-section search for the minimum separation in [low, high] (one minimum: the relative motion
// dominates the diurnal parallax by two orders of magnitude).
long double MinimumSeparationTau(const Window& window, const Observer& observer, long double low, long double high) {
    const long double ratio = (std::sqrt(5.0L) - 1.0L) / 2.0L;
    long double a = low, b = high;
    long double c = b - ratio * (b - a), d = a + ratio * (b - a);
    long double fc = ViewAt(window, observer, c).separation, fd = ViewAt(window, observer, d).separation;
    while (b - a > TimeToleranceDays) {
        if (fc < fd) {
            b = d, d = c, fd = fc;
            c = b - ratio * (b - a);
            fc = ViewAt(window, observer, c).separation;
        } else {
            a = c, c = d, fc = fd;
            d = a + ratio * (b - a);
            fd = ViewAt(window, observer, d).separation;
        }
    }
    return (a + b) / 2.0L;
}

// The root of a contact function in [low, high], whose ends have opposite signs (Illinois false position).
long double ContactRoot(const Window& window, const Observer& observer, int contact, long double low, long double high) {
    long double a = low, b = high;
    long double fa = ContactFunction(ViewAt(window, observer, a), contact);
    long double fb = ContactFunction(ViewAt(window, observer, b), contact);
    int side = 0;
    for (int i = 0; i < 200 && b - a > TimeToleranceDays; ++i) {
        long double c = (a * fb - b * fa) / (fb - fa);
        if (!(c > a && c < b)) c = (a + b) / 2.0L;
        const long double fc = ContactFunction(ViewAt(window, observer, c), contact);
        if (fc == 0.0L) return c;
        if ((fc > 0.0L) == (fa > 0.0L)) {
            a = c, fa = fc;
            if (side == -1) fb /= 2.0L;
            side = -1;
        } else {
            b = c, fb = fc;
            if (side == 1) fa /= 2.0L;
            side = 1;
        }
    }
    return (a + b) / 2.0L;
}

struct Solution {
    long double contactTau[ContactCount];
    bool happens[ContactCount];
    long double greatestTau;
    long double minSeparation;
};

Solution Solve(const Window& window, const Observer& observer) {
    Solution s{};
    const long double low = -WindowHalfDays, high = WindowHalfDays;
    s.greatestTau = MinimumSeparationTau(window, observer, low, high);
    const View greatest = ViewAt(window, observer, s.greatestTau);
    s.minSeparation = greatest.separation;
    for (int contact = 1; contact <= ContactCount; ++contact) {
        const bool beforeGreatest = contact <= 2;
        const long double edge = beforeGreatest ? low : high;
        const bool inside = ContactFunction(greatest, contact) < 0.0L;
        const bool outsideAtEdge = ContactFunction(ViewAt(window, observer, edge), contact) > 0.0L;
        s.happens[contact - 1] = inside && outsideAtEdge;
        if (!s.happens[contact - 1]) continue;
        s.contactTau[contact - 1] = beforeGreatest ? ContactRoot(window, observer, contact, low, s.greatestTau)
                                                   : ContactRoot(window, observer, contact, s.greatestTau, high);
    }
    return s;
}

long double DecimalYear(long double jd) { return 2000.0L + (jd - J2000Jd) / DaysPerGregorianYear; }

long double WrapDegrees(long double angle) {
    long double a = std::fmod(angle, 360.0L);
    if (a > 180.0L) a -= 360.0L;
    if (a <= -180.0L) a += 360.0L;
    return a;
}

long double SynodicDays(Planet planet) { return planet == Planet::Venus ? VenusSynodicDays : MercurySynodicDays; }

// The heliocentric positions of the planet and the Earth, degrees and AU, ecliptic of libnova's VSOP87.
struct Heliocentric {
    ln_helio_posn planet, earth;
};

Heliocentric HeliocentricAt(Planet planet, double jdTt) {
    Heliocentric h{};
    if (planet == Planet::Venus) {
        ln_get_venus_helio_coords(jdTt, &h.planet);
    } else {
        ln_get_mercury_helio_coords(jdTt, &h.planet);
    }
    ln_get_earth_helio_coords(jdTt, &h.earth);
    return h;
}

// Heliocentric longitude of the planet minus the Earth's: zero at inferior conjunction, +-180 at superior.
long double LongitudeGapDegrees(const Heliocentric& h) {
    return WrapDegrees(static_cast<long double>(h.planet.L) - static_cast<long double>(h.earth.L));
}

// Near inferior conjunction, the planet's angle from the Sun's centre as seen from the Earth, arcsec,
// from the heights of both above the ecliptic; a cheap first look before the full positions.
long double ConjunctionSeparationArcsec(const Heliocentric& h) {
    const long double b = h.planet.B * DegToRad, r = h.planet.R;
    const long double be = h.earth.B * DegToRad, re = h.earth.R;
    const long double planetAngle = std::atan2(r * std::sin(b) - re * std::sin(be), re * std::cos(be) - r * std::cos(b));
    const long double sunAngle = std::atan2(-re * std::sin(be), re * std::cos(be));
    const long double gap = LongitudeGapDegrees(h) * DegToRad * r / (re - r);
    return std::hypot(planetAngle - sunAngle, gap) * ArcSecondsPerRadian;
}

// Mean orbital elements, J2000 ecliptic and equinox, degrees and AU, with their rates per Julian century
// (Standish, "Keplerian Elements for Approximate Positions of the Major Planets", JPL, 1800-2050 fit).
// At the 2270 inferior conjunctions of 1600-2200 they put the planet within 31 arcsec of where libnova
// does, enough to tell which conjunctions come near the Sun's disc, so that libnova runs only for those.
struct MeanElements {
    long double a, e, eRate, i, iRate, meanLongitude, meanLongitudeRate, perihelion, perihelionRate, node, nodeRate;
};
constexpr MeanElements MercuryElements{0.38709927L, 0.20563593L, 0.00001906L, 7.00497902L, -0.00594749L,
                                       252.25032350L, 149472.67411175L, 77.45779628L, 0.16047689L,
                                       48.33076593L, -0.12534081L};
constexpr MeanElements VenusElements{0.72333566L, 0.00677672L, -0.00004107L, 3.39467605L, -0.00078890L,
                                     181.97909950L, 58517.81538729L, 131.60246718L, 0.00268329L,
                                     76.67984255L, -0.27769418L};
constexpr MeanElements EarthElements{1.00000261L, 0.01671123L, -0.00004392L, -0.00001531L, -0.01294668L,
                                     100.46457166L, 35999.37244981L, 102.93768193L, 0.32327364L, 0.0L, 0.0L};
// A conjunction goes on to libnova when its rough separation is within twice the reach of the discs:
// some 1000 arcsec to spare for the Kepler positions' 31.
constexpr long double RoughCandidateFactor = 2.0L;

Vector KeplerPosition(const MeanElements& m, long double jdTt) {
    const long double t = (jdTt - J2000Jd) / 36525.0L;
    const long double e = m.e + m.eRate * t, i = (m.i + m.iRate * t) * DegToRad;
    const long double perihelion = (m.perihelion + m.perihelionRate * t) * DegToRad;
    const long double node = (m.node + m.nodeRate * t) * DegToRad;
    const long double meanAnomaly = WrapDegrees(m.meanLongitude + m.meanLongitudeRate * t) * DegToRad - perihelion;
    long double eccentric = meanAnomaly + e * std::sin(meanAnomaly);
    for (int k = 0; k < 6; ++k) {
        eccentric -= (eccentric - e * std::sin(eccentric) - meanAnomaly) / (1.0L - e * std::cos(eccentric));
    }
    const long double xp = m.a * (std::cos(eccentric) - e), yp = m.a * std::sqrt(1.0L - e * e) * std::sin(eccentric);
    const long double w = perihelion - node;
    const long double cw = std::cos(w), sw = std::sin(w), cn = std::cos(node), sn = std::sin(node);
    const long double ci = std::cos(i), si = std::sin(i);
    return {(cw * cn - sw * sn * ci) * xp + (-sw * cn - cw * sn * ci) * yp,
            (cw * sn + sw * cn * ci) * xp + (-sw * sn + cw * cn * ci) * yp, (sw * si) * xp + (cw * si) * yp};
}

// The Kepler positions as the heliocentric longitude, latitude (degrees) and distance libnova gives.
Heliocentric KeplerHeliocentric(Planet planet, long double jdTt) {
    const Vector p = KeplerPosition(planet == Planet::Venus ? VenusElements : MercuryElements, jdTt);
    const Vector e = KeplerPosition(EarthElements, jdTt);
    auto spherical = [](const Vector& v) {
        return ln_helio_posn{static_cast<double>(std::atan2(v.y, v.x) / DegToRad),
                             static_cast<double>(std::atan2(v.z, std::hypot(v.x, v.y)) / DegToRad),
                             static_cast<double>(Norm(v))};
    };
    return {spherical(p), spherical(e)};
}

// Secant steps on the longitude gap from guessJdTt to the nearest inferior conjunction, with positions
// from position(jd); stops when a step is below stepDays. False if the steps do not settle.
template <typename Position>
bool SecantConjunction(Planet planet, long double guessJdTt, long double stepDays, Position position,
                       long double& jdTt, Heliocentric& at) {
    const long double meanRate = 360.0L / SynodicDays(planet);
    const long double maxStep = SynodicDays(planet) / 4.0L;
    long double t0 = guessJdTt, g0 = LongitudeGapDegrees(position(t0));
    long double t1 = t0 - g0 / meanRate, g1 = 0.0L;
    for (int i = 0; i < 40; ++i) {
        at = position(t1);
        g1 = LongitudeGapDegrees(at);
        if (g1 == g0) break;
        long double step = -g1 * (t1 - t0) / (g1 - g0);
        if (std::fabs(step) > maxStep) step = std::copysign(maxStep, step);
        t0 = t1, g0 = g1;
        t1 += step;
        if (std::fabs(step) < stepDays) break;
    }
    jdTt = t1;
    return std::fabs(g1) < 0.01L;
}

// Reach of the two discs from the Sun's centre near conjunction, arcsec, generous for the planet.
long double RoughReachArcsec(const Heliocentric& h) {
    return SunRadiusArcsecAt1Au / h.earth.R + VenusRadiusArcsecAt1Au / (h.earth.R - h.planet.R);
}

// The inferior conjunction nearest guessJdTt, from the Kepler positions and then, if the planet comes
// near the Sun's disc (near), from libnova's to a few seconds (all the window around it needs). False
// when the steps do not settle (a guess near superior conjunction).
bool NearConjunction(Planet planet, long double guessJdTt, long double& jdTt, Heliocentric& at, bool& near) {
    near = false;
    long double rough = 0.0L;
    Heliocentric roughAt{};
    auto kepler = [planet](long double jd) { return KeplerHeliocentric(planet, jd); };
    if (!SecantConjunction(planet, guessJdTt, 1e-5L, kepler, rough, roughAt)) return false;
    jdTt = rough;
    if (ConjunctionSeparationArcsec(roughAt) > RoughCandidateFactor * RoughReachArcsec(roughAt)) return true;
    auto vsop = [planet](long double jd) { return HeliocentricAt(planet, static_cast<double>(jd)); };
    if (!SecantConjunction(planet, rough, 1e-4L, vsop, jdTt, at)) return false;
    near = true;
    return true;
}

long double DeltaTFor(const EphemerisOptions& options, long double jdTt) {
    if (options.deltaTSeconds) return *options.deltaTSeconds;
    return DeltaTSeconds(static_cast<double>(DecimalYear(jdTt)));
}

// The transit at an inferior conjunction, if the planet's disc reaches the Sun's as seen from the centre.
bool TransitAtConjunction(Planet planet, long double conjunctionJdTt, const Heliocentric& h,
                          const EphemerisOptions& options, Transit& out) {
    if (ConjunctionSeparationArcsec(h) > CandidateFactor * RoughReachArcsec(h)) return false;
    const Geometry g = GeometryAt(planet, static_cast<double>(conjunctionJdTt));
    const long double reach =
        SunRadiusArcsec(Norm(g.sun)) + PlanetRadiusArcsec(planet, options.radii, Norm(g.planet));
    if (SeparationArcsec(g.planet, g.sun) > CandidateFactor * reach) return false;
    const long double deltaT = DeltaTFor(options, conjunctionJdTt);
    const Window window = OpenWindow(planet, options.radii, static_cast<double>(conjunctionJdTt), deltaT);
    const Solution s = Solve(window, Observer{{0, 0, 0}, {0, 0, 0}, true});
    if (!s.happens[0]) return false;
    const long double centreUt = static_cast<long double>(window.centreJdTt) - deltaT / SecondsPerDay;
    out = Transit{};
    out.planet = planet;
    out.radii = options.radii;
    for (int c = 0; c < ContactCount; ++c) {
        out.contactHappens[c] = s.happens[c];
        out.contactJdUt[c] = s.happens[c] ? static_cast<double>(centreUt + s.contactTau[c]) : 0.0;
    }
    out.greatestJdUt = static_cast<double>(centreUt + s.greatestTau);
    out.minSeparationArcsec = static_cast<double>(s.minSeparation);
    out.deltaTSeconds = static_cast<double>(deltaT);
    return true;
}

// The window of a transit already found, centred on its greatest transit.
Window WindowOf(const Transit& transit) {
    const long double deltaT = transit.deltaTSeconds;
    const long double centre = static_cast<long double>(transit.greatestJdUt) + deltaT / SecondsPerDay;
    return OpenWindow(transit.planet, transit.radii, static_cast<double>(centre), deltaT);
}

long double AltitudeDegrees(const View& view, const Observer& observer) {
    const Vector zenith = EarthFixedToJ2000(observer.zenith, view.jdUt, view.jdTt);
    return std::asin(Dot(view.sun, zenith) / Norm(view.sun)) / DegToRad;
}

bool InCatalogue(int year) { return year >= FirstCatalogueYear && year <= LastCatalogueYear; }

}  // namespace

double DeltaTSeconds(double decimalYear) {
    // Espenak and Meeus, "Five Millennium Canon of Solar Eclipses" (NASA/TP-2006-214141), section 2.6.
    const long double y = decimalYear;
    auto longTerm = [](long double year) {
        const long double u = (year - 1820.0L) / 100.0L;
        return -20.0L + 32.0L * u * u;
    };
    long double dt = 0.0L;
    if (y < -500.0L) {
        dt = longTerm(y);
    } else if (y < 500.0L) {
        const long double u = y / 100.0L;
        dt = 10583.6L + u * (-1014.41L + u * (33.78311L + u * (-5.952053L +
             u * (-0.1798452L + u * (0.022174192L + u * 0.0090316521L)))));
    } else if (y < 1600.0L) {
        const long double u = (y - 1000.0L) / 100.0L;
        dt = 1574.2L + u * (-556.01L + u * (71.23472L + u * (0.319781L +
             u * (-0.8503463L + u * (-0.005050998L + u * 0.0083572073L)))));
    } else if (y < 1700.0L) {
        const long double t = y - 1600.0L;
        dt = 120.0L + t * (-0.9808L + t * (-0.01532L + t / 7129.0L));
    } else if (y < 1800.0L) {
        const long double t = y - 1700.0L;
        dt = 8.83L + t * (0.1603L + t * (-0.0059285L + t * (0.00013336L - t / 1174000.0L)));
    } else if (y < 1860.0L) {
        const long double t = y - 1800.0L;
        dt = 13.72L + t * (-0.332447L + t * (0.0068612L + t * (0.0041116L + t * (-0.00037436L +
             t * (0.0000121272L + t * (-0.0000001699L + t * 0.000000000875L))))));
    } else if (y < 1900.0L) {
        const long double t = y - 1860.0L;
        dt = 7.62L + t * (0.5737L + t * (-0.251754L + t * (0.01680668L + t * (-0.0004473624L + t / 233174.0L))));
    } else if (y < 1920.0L) {
        const long double t = y - 1900.0L;
        dt = -2.79L + t * (1.494119L + t * (-0.0598939L + t * (0.0061966L - t * 0.000197L)));
    } else if (y < 1941.0L) {
        const long double t = y - 1920.0L;
        dt = 21.20L + t * (0.84493L + t * (-0.076100L + t * 0.0020936L));
    } else if (y < 1961.0L) {
        const long double t = y - 1950.0L;
        dt = 29.07L + t * (0.407L + t * (-1.0L / 233.0L + t / 2547.0L));
    } else if (y < 1986.0L) {
        const long double t = y - 1975.0L;
        dt = 45.45L + t * (1.067L + t * (-1.0L / 260.0L - t / 718.0L));
    } else if (y < 2005.0L) {
        const long double t = y - 2000.0L;
        dt = 63.86L + t * (0.3345L + t * (-0.060374L + t * (0.0017275L + t * (0.000651814L + t * 0.00002373599L))));
    } else if (y < 2050.0L) {
        const long double t = y - 2000.0L;
        dt = 62.92L + t * (0.32217L + t * 0.005589L);
    } else if (y < 2150.0L) {
        dt = longTerm(y) - 0.5628L * (2150.0L - y);
    } else {
        dt = longTerm(y);
    }
    return static_cast<double>(dt);
}

double JulianDayAtMidnight(int year, int month, int day) {
    // Fliegel and Van Flandern's day number, in long long so that no year in int range overflows.
    const long long a = (14 - month) / 12;
    const long long y = static_cast<long long>(year) + 4800 - a;
    const long long m = month + 12 * a - 3;
    const long long floorY4 = y >= 0 ? y / 4 : -((-y + 3) / 4);
    const long long floorY100 = y >= 0 ? y / 100 : -((-y + 99) / 100);
    const long long floorY400 = y >= 0 ? y / 400 : -((-y + 399) / 400);
    const long long dayNumber = day + (153 * m + 2) / 5 + 365 * y + floorY4 - floorY100 + floorY400 - 32045;
    return static_cast<double>(dayNumber) - 0.5;
}

CalendarTime CalendarFromJd(double jd) {
    constexpr long long TenthsPerDay = 864000;
    // Rounding the whole instant first carries 59.96 s into the next minute, hour and day.
    const long long tenths = std::llround((static_cast<long double>(jd) + 0.5L) * TenthsPerDay);
    long long dayNumber = tenths / TenthsPerDay, inDay = tenths % TenthsPerDay;
    if (inDay < 0) inDay += TenthsPerDay, --dayNumber;
    const long long a = dayNumber + 32044;
    const long long b = (4 * a + 3) / 146097;
    const long long c = a - 146097 * b / 4;
    const long long d = (4 * c + 3) / 1461;
    const long long e = c - 1461 * d / 4;
    const long long m = (5 * e + 2) / 153;
    CalendarTime t{};
    t.day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    t.month = static_cast<int>(m + 3 - 12 * (m / 10));
    t.year = static_cast<int>(100 * b + d - 4800 + m / 10);
    t.hour = static_cast<int>(inDay / 36000);
    t.minute = static_cast<int>(inDay / 600 % 60);
    t.tenthsOfSecond = static_cast<int>(inDay % 600);
    return t;
}

bool FindTransit(std::optional<Planet> planet, int year, int month, int day, const EphemerisOptions& options,
                 Transit& out) {
    if (!InCatalogue(year) || !fields::IsCalendarDate(year, month, day)) return false;
    const long double dayStartUt = JulianDayAtMidnight(year, month, day);
    for (const Planet candidate : {Planet::Venus, Planet::Mercury}) {
        if (planet && *planet != candidate) continue;
        const long double middayTt = dayStartUt + 0.5L + DeltaTSeconds(year + 0.5) / SecondsPerDay;
        long double conjunction = 0.0L;
        Heliocentric h{};
        bool near = false;
        if (!NearConjunction(candidate, middayTt, conjunction, h, near) || !near) continue;
        if (std::fabs(conjunction - middayTt) > 2.0L) continue;
        Transit transit;
        if (!TransitAtConjunction(candidate, conjunction, h, options, transit)) continue;
        if (transit.contactJdUt[0] < dayStartUt + 1.0L && transit.contactJdUt[3] >= dayStartUt) {
            out = transit;
            return true;
        }
    }
    return false;
}

std::vector<Transit> ListTransits(std::optional<Planet> planet, int fromYear, int toYear,
                                  const EphemerisOptions& options) {
    std::vector<Transit> transits;
    fromYear = fromYear < FirstCatalogueYear ? FirstCatalogueYear : fromYear;
    toYear = toYear > LastCatalogueYear ? LastCatalogueYear : toYear;
    if (fromYear > toYear) return transits;
    const long double startUt = JulianDayAtMidnight(fromYear, 1, 1);
    const long double endUt = JulianDayAtMidnight(toYear + 1, 1, 1);
    for (const Planet candidate : {Planet::Venus, Planet::Mercury}) {
        if (planet && *planet != candidate) continue;
        const long double synodic = SynodicDays(candidate);
        // From one conjunction, the next lies a synodic period on, give or take the eccentric orbits'
        // few weeks; the first guess starts a period early so that no conjunction is stepped over.
        long double guess = startUt - synodic;
        long double conjunction = 0.0L, previous = -std::numeric_limits<long double>::infinity();
        while (guess < endUt + synodic) {
            Heliocentric h{};
            bool near = false;
            if (!NearConjunction(candidate, guess, conjunction, h, near) || conjunction < previous + synodic / 2.0L) {
                guess += synodic / 4.0L;
                continue;
            }
            previous = conjunction;
            guess = conjunction + synodic;
            if (!near) continue;
            Transit transit;
            if (!TransitAtConjunction(candidate, conjunction, h, options, transit)) continue;
            if (transit.greatestJdUt >= startUt && transit.greatestJdUt < endUt) transits.push_back(transit);
        }
    }
    if (!planet) {
        // Two sorted runs: merge them into time order.
        std::vector<Transit> merged;
        std::size_t venus = 0;
        while (venus < transits.size() && transits[venus].planet == Planet::Venus) ++venus;
        std::size_t i = 0, j = venus;
        while (i < venus || j < transits.size()) {
            if (j == transits.size() || (i < venus && transits[i].greatestJdUt < transits[j].greatestJdUt)) {
                merged.push_back(transits[i++]);
            } else {
                merged.push_back(transits[j++]);
            }
        }
        transits = merged;
    }
    return transits;
}

bool LocalContacts(const Transit& transit, double latitudeDegrees, double longitudeEastDegrees,
                   double heightMetres, LocalCircumstances& out) {
    if (!(latitudeDegrees >= -90.0 && latitudeDegrees <= 90.0)) return false;
    if (!(longitudeEastDegrees >= -180.0 && longitudeEastDegrees <= 180.0)) return false;
    if (!std::isfinite(heightMetres)) return false;
    const long double lat = latitudeDegrees * DegToRad, lon = longitudeEastDegrees * DegToRad;
    const Observer observer{GeodeticToEarthFixedKm(lat, lon, heightMetres / 1000.0L), ZenithEarthFixed(lat, lon), false};
    const Window window = WindowOf(transit);
    const Solution s = Solve(window, observer);
    const long double centreUt = static_cast<long double>(window.centreJdTt) - window.deltaTSeconds / SecondsPerDay;
    LocalCircumstances local;
    for (int c = 0; c < ContactCount; ++c) {
        local.contactHappens[c] = s.happens[c];
        if (!s.happens[c]) continue;
        local.contactJdUt[c] = static_cast<double>(centreUt + s.contactTau[c]);
        local.contactSunAltitudeDegrees[c] =
            static_cast<double>(AltitudeDegrees(ViewAt(window, observer, s.contactTau[c]), observer));
    }
    local.greatestJdUt = static_cast<double>(centreUt + s.greatestTau);
    local.minSeparationArcsec = static_cast<double>(s.minSeparation);
    local.greatestSunAltitudeDegrees =
        static_cast<double>(AltitudeDegrees(ViewAt(window, observer, s.greatestTau), observer));
    out = local;
    return true;
}

void ContactCoefficients(const Transit& transit, double coefficientsSeconds[ContactCount][3]) {
    const Window window = WindowOf(transit);
    const long double offsetKm = PseudoSiteEarthRadii * EarthRadiusKm;
    for (int axis = 0; axis < 3; ++axis) {
        Solution side[2];
        for (int k = 0; k < 2; ++k) {
            Vector fixed{0, 0, 0};
            const long double signedOffset = k == 0 ? offsetKm : -offsetKm;
            if (axis == 0) fixed.x = signedOffset;
            if (axis == 1) fixed.y = signedOffset;
            if (axis == 2) fixed.z = signedOffset;
            side[k] = Solve(window, Observer{fixed, {0, 0, 0}, false});
        }
        for (int c = 0; c < ContactCount; ++c) {
            const bool known = side[0].happens[c] && side[1].happens[c];
            const long double perUnit =
                (side[0].contactTau[c] - side[1].contactTau[c]) * SecondsPerDay / (2.0L * PseudoSiteEarthRadii);
            coefficientsSeconds[c][axis] = known ? static_cast<double>(perUnit) : std::numeric_limits<double>::quiet_NaN();
        }
    }
}

double SunAltitudeDegrees(double jdUt, double latitudeDegrees, double longitudeEastDegrees, double heightMetres) {
    const long double deltaT = DeltaTSeconds(static_cast<double>(DecimalYear(jdUt)));
    const double jdTt = static_cast<double>(static_cast<long double>(jdUt) + deltaT / SecondsPerDay);
    ln_rect_posn sun{};
    ln_get_solar_geo_coords(jdTt, &sun);
    const long double lat = latitudeDegrees * DegToRad, lon = longitudeEastDegrees * DegToRad;
    const Vector site = Scale(EarthFixedToJ2000(GeodeticToEarthFixedKm(lat, lon, heightMetres / 1000.0L), jdUt, jdTt),
                              1.0L / AuKm);
    const Vector zenith = EarthFixedToJ2000(ZenithEarthFixed(lat, lon), jdUt, jdTt);
    const Vector seen = Subtract(Vector{sun.X, sun.Y, sun.Z}, site);
    return static_cast<double>(std::asin(Dot(seen, zenith) / Norm(seen)) / DegToRad);
}

namespace {

// The Sun's direction in the Earth-fixed frame: its J2000 vector read along the J2000 images of the axes.
void SubsolarDirection(double jdUt, long double& latitude, long double& longitude) {
    const long double deltaT = DeltaTSeconds(static_cast<double>(DecimalYear(jdUt)));
    const double jdTt = static_cast<double>(static_cast<long double>(jdUt) + deltaT / SecondsPerDay);
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
