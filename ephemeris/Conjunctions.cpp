// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <libnova/earth.h>
#include <libnova/mercury.h>
#include <libnova/venus.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "Fields.h"
#include "Reduction.h"
#include "Units.h"
#include "internal/Calendar.h"
#include "internal/Contacts.h"
#include "internal/Geometry.h"

// The transits from their inferior conjunctions: Kepler's mean orbits find every conjunction cheaply,
// libnova refines the few that come near the Sun's disc, and the contact solver decides.
namespace ephemeris {
namespace {

constexpr long double VenusSynodicDays = 583.92L;
constexpr long double MercurySynodicDays = 115.88L;

// A conjunction is looked at closely when the centres are nearer than this many disc-plus-planet radii:
// the path is inclined some 9 degrees to the ecliptic, so the minimum is within a few percent of the
// separation at conjunction; 1.3 leaves room for paths up to 40 degrees.
constexpr long double CandidateFactor = 1.3L;

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
    return std::hypot(planetAngle - sunAngle, gap) * kit::ArcSecondsPerRadian;
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

// The position in Real's precision: long double for the conjunctions libnova refines, double (several times
// faster in the trigonometry) for the rough list of transits.
template <typename Real>
Vector KeplerPosition(const MeanElements& m, long double jdTt) {
    const Real t = static_cast<Real>((jdTt - kit::J2000Jd) / 36525.0L);
    const Real toRadians = static_cast<Real>(DegToRad);
    const Real e = static_cast<Real>(m.e) + static_cast<Real>(m.eRate) * t;
    const Real i = (static_cast<Real>(m.i) + static_cast<Real>(m.iRate) * t) * toRadians;
    const Real perihelion = (static_cast<Real>(m.perihelion) + static_cast<Real>(m.perihelionRate) * t) * toRadians;
    const Real node = (static_cast<Real>(m.node) + static_cast<Real>(m.nodeRate) * t) * toRadians;
    const Real meanAnomaly =
        static_cast<Real>(WrapDegrees(static_cast<long double>(static_cast<Real>(m.meanLongitude) + static_cast<Real>(m.meanLongitudeRate) * t))) *
            toRadians - perihelion;
    Real eccentric = meanAnomaly + e * std::sin(meanAnomaly);
    for (int k = 0; k < 6; ++k) {
        eccentric -= (eccentric - e * std::sin(eccentric) - meanAnomaly) / (Real{1} - e * std::cos(eccentric));
    }
    const Real xp = static_cast<Real>(m.a) * (std::cos(eccentric) - e), yp = static_cast<Real>(m.a) * std::sqrt(Real{1} - e * e) * std::sin(eccentric);
    const Real w = perihelion - node;
    const Real cw = std::cos(w), sw = std::sin(w), cn = std::cos(node), sn = std::sin(node);
    const Real ci = std::cos(i), si = std::sin(i);
    return {(cw * cn - sw * sn * ci) * xp + (-sw * cn - cw * sn * ci) * yp,
            (cw * sn + sw * cn * ci) * xp + (-sw * sn + cw * cn * ci) * yp, (sw * si) * xp + (cw * si) * yp};
}

// The Kepler positions as the heliocentric longitude, latitude (degrees) and distance libnova gives.
template <typename Real = long double>
Heliocentric KeplerHeliocentric(Planet planet, long double jdTt) {
    const Vector p = KeplerPosition<Real>(planet == Planet::Venus ? VenusElements : MercuryElements, jdTt);
    const Vector e = KeplerPosition<Real>(EarthElements, jdTt);
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

long double DeltaTFor(const EphemerisOptions& options, long double jdTt, DeltaTSource& source) {
    source = options.deltaTSeconds ? DeltaTSource::Given : DeltaTSourceAt(static_cast<double>(DecimalYear(jdTt)));
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
    DeltaTSource source = DeltaTSource::Given;
    const long double deltaT = DeltaTFor(options, conjunctionJdTt, source);
    const Window window = OpenWindow(planet, options.radii, static_cast<double>(conjunctionJdTt), deltaT);
    const Observer centre{{0, 0, 0}, {0, 0, 0}, true};
    const Solution s = Solve(window, centre);
    if (!s.happens[0]) return false;
    const long double centreUt = static_cast<long double>(window.centreJdTt) - deltaT / kit::SecondsPerDay;
    out = Transit{};
    out.planet = planet;
    out.radii = options.radii;
    for (int c = 0; c < ContactCount; ++c) {
        out.contactHappens[c] = s.happens[c];
        out.contactJdUt[c] = s.happens[c] ? static_cast<double>(centreUt + s.contactTau[c]) : 0.0;
        out.contactPDeg[c] = s.happens[c] ? DiscAnglesAt(window, centre, s.contactTau[c]).pDeg : 0.0;
    }
    out.greatestJdUt = static_cast<double>(centreUt + s.greatestTau);
    out.greatestPDeg = DiscAnglesAt(window, centre, s.greatestTau).pDeg;
    out.minSeparationArcsec = static_cast<double>(s.minSeparation);
    out.deltaTSeconds = static_cast<double>(deltaT);
    out.deltaTSource = source;
    return true;
}

bool InCatalogue(int year) { return year >= FirstCatalogueYear && year <= LastCatalogueYear; }

}  // namespace

bool FindTransit(std::optional<Planet> planet, int year, int month, int day, const EphemerisOptions& options,
                 Transit& out) {
    if (!InCatalogue(year) || !fields::IsCalendarDate(year, month, day)) return false;
    const long double dayStartUt = JulianDayAtMidnight(year, month, day);
    for (const Planet candidate : {Planet::Venus, Planet::Mercury}) {
        if (planet && *planet != candidate) continue;
        const long double middayTt = dayStartUt + 0.5L + DeltaTSeconds(year + 0.5) / kit::SecondsPerDay;
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

namespace {

// The UT JDs at which the catalogue's years fromYear..toYear begin and end; false when none is left.
bool CatalogueSpan(int fromYear, int toYear, long double& startUt, long double& endUt) {
    fromYear = fromYear < FirstCatalogueYear ? FirstCatalogueYear : fromYear;
    toYear = toYear > LastCatalogueYear ? LastCatalogueYear : toYear;
    if (fromYear > toYear) return false;
    startUt = JulianDayAtMidnight(fromYear, 1, 1);
    endUt = JulianDayAtMidnight(toYear + 1, 1, 1);
    return true;
}

// Calls visit(conjunction, at) for each inferior conjunction of planet from startUt to endUt that find(guess,
// conjunction, at, near) calls near, in time order.
template <typename Find, typename Visit>
void ForEachConjunction(Planet planet, long double startUt, long double endUt, Find find, Visit visit) {
    const long double synodic = SynodicDays(planet);
    // From one conjunction, the next lies a synodic period on, give or take the eccentric orbits' few weeks;
    // the first guess starts a period early so that no conjunction is stepped over.
    long double guess = startUt - synodic;
    long double conjunction = 0.0L, previous = -std::numeric_limits<long double>::infinity();
    while (guess < endUt + synodic) {
        Heliocentric h{};
        bool near = false;
        if (!find(guess, conjunction, h, near) || conjunction < previous + synodic / 2.0L) {
            guess += synodic / 4.0L;
            continue;
        }
        previous = conjunction;
        guess = conjunction + synodic;
        if (near) visit(conjunction, h);
    }
}

// Two runs sorted by time (the first planet's, then the other's) merged into time order.
template <typename T, typename Time>
void MergeRuns(std::vector<T>& both, Time time) {
    if (both.empty()) return;
    std::size_t first = 0;
    while (first < both.size() && both[first].planet == both.front().planet) ++first;
    std::vector<T> merged;
    std::size_t i = 0, j = first;
    while (i < first || j < both.size()) {
        if (j == both.size() || (i < first && time(both[i]) < time(both[j]))) {
            merged.push_back(both[i++]);
        } else {
            merged.push_back(both[j++]);
        }
    }
    both = merged;
}

// The planet's place less the Sun's centre on the sky, radians east and north along the ecliptic, from
// Kepler's orbits at jdTt; with the distances of the Sun and the planet (AU).
struct RoughOffset {
    long double x, y, sunAu, planetAu;
};

RoughOffset RoughOffsetAt(Planet planet, long double jdTt) {
    // Each body where it was when the light left it, seen from where the Earth then was (planetary
    // aberration): the Sun so lags 20 arcsec, the planet a few.
    constexpr long double LightDaysPerAu = 0.0057755183L;
    const MeanElements& elements = planet == Planet::Venus ? VenusElements : MercuryElements;
    const Vector e = KeplerPosition<double>(EarthElements, jdTt);
    const long double planetAu = Norm(Subtract(KeplerPosition<double>(elements, jdTt), e));
    const long double planetTt = jdTt - LightDaysPerAu * planetAu, sunTt = jdTt - LightDaysPerAu * Norm(e);
    const Vector g = Subtract(KeplerPosition<double>(elements, planetTt), KeplerPosition<double>(EarthElements, planetTt));
    const Vector s = Scale(KeplerPosition<double>(EarthElements, sunTt), -1.0L);
    auto longitude = [](const Vector& v) { return std::atan2(v.y, v.x); };
    auto latitude = [](const Vector& v) { return std::atan2(v.z, std::hypot(v.x, v.y)); };
    const long double dl = WrapDegrees((longitude(g) - longitude(s)) / DegToRad) * DegToRad;
    return {dl * std::cos(latitude(s)), latitude(g) - latitude(s), Norm(s), Norm(g)};
}

// A near miss of the mean orbits by this much may still be a graze: they place the planet within 31 arcsec.
constexpr long double RoughMissArcsec = 60.0L;

// The transit, roughly, at a conjunction of the mean orbits near jdTt: the planet's path across the Sun taken
// as straight through its nearest approach, the discs' radii as the contact solver's. False for a miss.
bool RoughTransitAt(Planet planet, long double jdTt, RoughTransit& out) {
    // Twice: from the conjunction to the nearest approach, and from there again, the path bending a little.
    long double greatest = jdTt, b = 0.0L, speed = 0.0L;
    RoughOffset at{};
    constexpr long double Step = 1.0L / 24.0L;
    for (int pass = 0; pass < 2; ++pass) {
        at = RoughOffsetAt(planet, greatest);
        const RoughOffset later = RoughOffsetAt(planet, greatest + Step);
        const long double vx = (later.x - at.x) / Step, vy = (later.y - at.y) / Step;
        speed = std::hypot(vx, vy);
        if (!(speed > 0.0L)) return false;
        greatest -= (at.x * vx + at.y * vy) / (speed * speed);
        b = std::fabs(at.x * vy - at.y * vx) / speed;
    }
    const long double toRadians = 1.0L / kit::ArcSecondsPerRadian;
    const long double sun = SunRadiusArcsec(at.sunAu), disc = PlanetRadiusArcsec(planet, Radii::Nasa, at.planetAu);
    const long double outer = (sun + disc) * toRadians, inner = (sun - disc) * toRadians, miss = RoughMissArcsec * toRadians;
    if (b >= outer + miss) return false;
    out = RoughTransit{};
    out.planet = planet;
    const long double deltaTDays = DeltaTSeconds(static_cast<double>(DecimalYear(greatest))) / kit::SecondsPerDay;
    const long double greatestUt = greatest - deltaTDays;
    auto half = [&](long double radius) { return std::sqrt(std::max(radius * radius - b * b, 0.0L)) / speed; };
    out.grazing = b > inner - miss;  // near the inner graze, and so near the outer one too
    const long double outerHalf = out.grazing ? half(outer + miss) : half(outer);
    const long double innerHalf = out.grazing ? outerHalf : half(inner);
    out.contactJdUt[0] = static_cast<double>(greatestUt - outerHalf);
    out.contactJdUt[1] = static_cast<double>(greatestUt - innerHalf);
    out.contactJdUt[2] = static_cast<double>(greatestUt + innerHalf);
    out.contactJdUt[3] = static_cast<double>(greatestUt + outerHalf);
    return true;
}

}  // namespace

std::vector<RoughTransit> ListTransitsRoughly(int fromYear, int toYear) {
    std::vector<RoughTransit> transits;
    long double startUt = 0.0L, endUt = 0.0L;
    if (!CatalogueSpan(fromYear, toYear, startUt, endUt)) return transits;
    for (const Planet planet : {Planet::Venus, Planet::Mercury}) {
        auto kepler = [planet](long double guess, long double& jdTt, Heliocentric& at, bool& near) {
            auto position = [planet](long double jd) { return KeplerHeliocentric<double>(planet, jd); };
            if (!SecantConjunction(planet, guess, 1e-5L, position, jdTt, at)) return false;
            near = ConjunctionSeparationArcsec(at) <= RoughCandidateFactor * RoughReachArcsec(at);
            return true;
        };
        ForEachConjunction(planet, startUt, endUt, kepler, [&](long double conjunction, const Heliocentric&) {
            RoughTransit transit;
            if (!RoughTransitAt(planet, conjunction, transit)) return;
            const double greatest = (transit.contactJdUt[0] + transit.contactJdUt[3]) / 2.0;
            if (greatest >= startUt && greatest < endUt) transits.push_back(transit);
        });
    }
    MergeRuns(transits, [](const RoughTransit& t) { return t.contactJdUt[0] + t.contactJdUt[3]; });
    return transits;
}

std::vector<Transit> ListTransits(std::optional<Planet> planet, int fromYear, int toYear,
                                  const EphemerisOptions& options) {
    std::vector<Transit> transits;
    long double startUt = 0.0L, endUt = 0.0L;
    if (!CatalogueSpan(fromYear, toYear, startUt, endUt)) return transits;
    for (const Planet candidate : {Planet::Venus, Planet::Mercury}) {
        if (planet && *planet != candidate) continue;
        auto find = [candidate](long double guess, long double& jdTt, Heliocentric& at, bool& near) {
            return NearConjunction(candidate, guess, jdTt, at, near);
        };
        ForEachConjunction(candidate, startUt, endUt, find, [&](long double conjunction, const Heliocentric& h) {
            Transit transit;
            if (!TransitAtConjunction(candidate, conjunction, h, options, transit)) return;
            if (transit.greatestJdUt >= startUt && transit.greatestJdUt < endUt) transits.push_back(transit);
        });
    }
    // Two sorted runs: merge them into time order.
    if (!planet) MergeRuns(transits, [](const Transit& t) { return t.greatestJdUt; });
    return transits;
}

}  // namespace ephemeris
