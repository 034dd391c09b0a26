// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <cmath>

#include "Reduction.h"
#include "Units.h"
#include "internal/Contacts.h"
#include "internal/Geometry.h"

// The Besselian elements of a transit and a site's contacts from them. The cones are those of the contact
// solver: at each instant the Sun and the planet are spheres whose apparent radii from the Earth's centre
// are the solver's, in the solver's frame (J2000 positions, the site turned by the apparent sidereal time
// and precessed), so that a contact from the elements is the solver's contact.
namespace ephemeris {
namespace {

// Hours either side of contacts 1 and 4 that the series cover: a site's contact lies within some 10 minutes
// of the geocentric one for Venus and a few for Mercury; near a grazing transit it moves further.
constexpr long double MarginDays = 1.5L / 24.0L;
// Besselian iteration: a step below this (2 microseconds) ends it.
constexpr double StepToleranceDays = 2e-11;
constexpr int MaxSteps = 12;

// Chebyshev points of the first kind on [-1, 1].
long double NodeS(int j) { return std::cos(kit::Pi * (j + 0.5L) / ElementTerms); }

// The elements at one instant, long double, from the window's positions.
struct Exact {
    long double x, y, d, mu, l1, l2, tanF1, tanF2;
};

Exact ExactAt(const Window& window, long double jdUt) {
    const long double jdTt = jdUt + window.deltaTSeconds / kit::SecondsPerDay;
    const Geometry g = Interpolate(window, jdTt - window.centreJdTt);
    // The J2000 images of the Earth-fixed axes: read along them, a vector is Earth-fixed, as the solver's site.
    const double ut = static_cast<double>(jdUt), tt = static_cast<double>(jdTt);
    const Vector ex = EarthFixedToJ2000({1, 0, 0}, ut, tt), ey = EarthFixedToJ2000({0, 1, 0}, ut, tt),
                 ez = EarthFixedToJ2000({0, 0, 1}, ut, tt);
    const long double toRadii = kit::AuKm / WgsEquatorKm;
    const Vector planet = Scale(Vector{Dot(ex, g.planet), Dot(ey, g.planet), Dot(ez, g.planet)}, toRadii);
    const Vector sun = Scale(Vector{Dot(ex, g.sun), Dot(ey, g.sun), Dot(ez, g.sun)}, toRadii);
    const Vector axis = Subtract(sun, planet);
    const long double separation = Norm(axis);
    const Vector k = Scale(axis, 1.0L / separation);
    const long double d = std::asin(k.z), axisLongitude = std::atan2(k.y, k.x);
    const Vector i{-std::sin(axisLongitude), std::cos(axisLongitude), 0.0L};
    const Vector j = Cross(k, i);
    // Spheres with the solver's apparent radii at the Earth's centre: 959.63"/r is not asin(R/r), but over
    // the Earth's radius the two differ by 1e-12 rad.
    const long double sunRadius = Norm(sun) * std::sin(SunRadiusArcsec(Norm(g.sun)) / kit::ArcSecondsPerRadian);
    const long double planetRadius =
        Norm(planet) * std::sin(PlanetRadiusArcsec(window.planet, window.radii, Norm(g.planet)) / kit::ArcSecondsPerRadian);
    const long double sinF1 = (sunRadius + planetRadius) / separation, sinF2 = (sunRadius - planetRadius) / separation;
    const long double cosF1 = std::sqrt(1.0L - sinF1 * sinF1), cosF2 = std::sqrt(1.0L - sinF2 * sinF2);
    const long double z = Dot(planet, k);
    Exact e{};
    e.x = Dot(planet, i);
    e.y = Dot(planet, j);
    e.d = d;
    e.mu = -axisLongitude;
    e.tanF1 = sinF1 / cosF1;
    e.tanF2 = sinF2 / cosF2;
    // The vertex of the external cone lies planetRadius / sinF1 sunward of the planet, of the internal one
    // as far behind it.
    e.l1 = z * e.tanF1 + planetRadius / cosF1;
    e.l2 = z * e.tanF2 - planetRadius / cosF2;
    return e;
}

void Fit(const long double values[ElementTerms], double coefficients[ElementTerms]) {
    for (int k = 0; k < ElementTerms; ++k) {
        long double sum = 0.0L;
        for (int j = 0; j < ElementTerms; ++j) sum += values[j] * std::cos(kit::Pi * k * (j + 0.5L) / ElementTerms);
        coefficients[k] = static_cast<double>(sum * (k == 0 ? 1.0L : 2.0L) / ElementTerms);
    }
}

// T_k(s) and their derivatives dT_k/ds, shared by every series at one instant.
struct Basis {
    double t[ElementTerms], dt[ElementTerms];
};

// d^2 T_k / ds^2 at the instant of basis.
void SecondDerivatives(const Basis& b, double s, double ddt[ElementTerms]) {
    ddt[0] = 0.0, ddt[1] = 0.0;
    for (int k = 2; k < ElementTerms; ++k) ddt[k] = 4.0 * b.dt[k - 1] + 2.0 * s * ddt[k - 1] - ddt[k - 2];
}

Basis BasisAt(double s) {
    Basis b;
    b.t[0] = 1.0, b.dt[0] = 0.0, b.t[1] = s, b.dt[1] = 1.0;
    for (int k = 2; k < ElementTerms; ++k) {
        b.t[k] = 2.0 * s * b.t[k - 1] - b.t[k - 2];
        b.dt[k] = 2.0 * b.t[k - 1] + 2.0 * s * b.dt[k - 1] - b.dt[k - 2];
    }
    return b;
}

double Sum(const double c[ElementTerms], const double basis[ElementTerms]) {
    double sum = 0.0;
    for (int k = ElementTerms - 1; k >= 0; --k) sum += c[k] * basis[k];
    return sum;
}

// The elements and their rates per day at the instant of basis; dsPerDay converts d/ds to d/dt.
struct Evaluated {
    ElementValues value, rate;
};

Evaluated Evaluate(const BesselianElements& e, const Basis& b, double dsPerDay) {
    const double* series[8] = {e.x, e.y, e.d, e.mu, e.l1, e.l2, e.tanF1, e.tanF2};
    double v[8], r[8];
    for (int n = 0; n < 8; ++n) {
        v[n] = Sum(series[n], b.t);
        r[n] = Sum(series[n], b.dt) * dsPerDay;
    }
    return {{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]}, {r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7]}};
}

// Two doubles side by side, each computed as a double alone would be: GCC's and Clang's vectors, one
// instruction for both where the processor has one.
typedef double Pair __attribute__((vector_size(16)));

// One contact's cone of the elements, the series in pairs term by term: (x, y), (d, mu), (l, tan f). A
// prediction spends half its time in these sums; so laid out, each term of two series takes one multiply
// and one add, each series summed in the order Sum sums it, and the other cone's two are not summed at all.
struct Cone {
    Pair terms[ElementTerms][3];
};

Cone ConeOf(const BesselianElements& e, bool outer) {
    const double* series[6] = {e.x, e.y, e.d, e.mu, outer ? e.l1 : e.l2, outer ? e.tanF1 : e.tanF2};
    Cone cone;
    for (int k = 0; k < ElementTerms; ++k) {
        for (int m = 0; m < 3; ++m) cone.terms[k][m] = Pair{series[2 * m][k], series[2 * m + 1][k]};
    }
    return cone;
}

// As Evaluate, for the cone's series: the other cone's l and tan f are left 0.
Evaluated EvaluateCone(const Cone& cone, const Basis& b, double dsPerDay, bool outer) {
    Pair v[3] = {}, r[3] = {};
    for (int k = ElementTerms - 1; k >= 0; --k) {
        const Pair t = {b.t[k], b.t[k]}, dt = {b.dt[k], b.dt[k]};
        for (int m = 0; m < 3; ++m) {
            v[m] += cone.terms[k][m] * t;
            r[m] += cone.terms[k][m] * dt;
        }
    }
    const Pair perDay = {dsPerDay, dsPerDay};
    for (Pair& rate : r) rate *= perDay;
    const double l = v[2][0], f = v[2][1], lr = r[2][0], fr = r[2][1];
    return {{v[0][0], v[0][1], v[1][0], v[1][1], outer ? l : 0.0, outer ? 0.0 : l, outer ? f : 0.0, outer ? 0.0 : f},
            {r[0][0], r[0][1], r[1][0], r[1][1], outer ? lr : 0.0, outer ? 0.0 : lr, outer ? fr : 0.0, outer ? 0.0 : fr}};
}

// The second rates per day squared of the cone's x, y, d, mu, l and tan f at the instant of basis.
struct SecondRates {
    double x, y, d, mu, l, tanF;
};

SecondRates SecondRatesOf(const Cone& cone, const Basis& b, double s, double dsPerDay) {
    double ddt[ElementTerms];
    SecondDerivatives(b, s, ddt);
    Pair sum[3] = {};
    for (int k = ElementTerms - 1; k >= 0; --k) {
        const Pair t = {ddt[k], ddt[k]};
        for (int m = 0; m < 3; ++m) sum[m] += cone.terms[k][m] * t;
    }
    const double perDay2 = dsPerDay * dsPerDay;
    return {sum[0][0] * perDay2, sum[0][1] * perDay2, sum[1][0] * perDay2,
            sum[1][1] * perDay2, sum[2][0] * perDay2, sum[2][1] * perDay2};
}

}  // namespace

bool ElementsOf(const Transit& transit, BesselianElements& out) {
    if (!transit.contactHappens[0] || !transit.contactHappens[ContactCount - 1]) return false;
    const Window window = WindowOf(transit);
    BesselianElements e{};
    e.planet = transit.planet;
    e.radii = transit.radii;
    e.deltaTSeconds = transit.deltaTSeconds;
    e.startJdUt = static_cast<double>(transit.contactJdUt[0] - MarginDays);
    e.endJdUt = static_cast<double>(transit.contactJdUt[ContactCount - 1] + MarginDays);
    for (int c = 0; c < ContactCount; ++c) {
        e.contactJdUt[c] = transit.contactJdUt[c];
        e.contactHappens[c] = transit.contactHappens[c];
    }
    e.greatestJdUt = transit.greatestJdUt;
    const long double middle = (static_cast<long double>(e.startJdUt) + e.endJdUt) / 2.0L;
    const long double half = (static_cast<long double>(e.endJdUt) - e.startJdUt) / 2.0L;
    long double values[8][ElementTerms];
    for (int j = 0; j < ElementTerms; ++j) {
        const Exact x = ExactAt(window, middle + half * NodeS(j));
        const long double row[8] = {x.x, x.y, x.d, x.mu, x.l1, x.l2, x.tanF1, x.tanF2};
        for (int n = 0; n < 8; ++n) values[n][j] = row[n];
        // mu grows by some 15 degrees an hour: carry the turns so that the series sees no jump.
        if (j > 0) {
            while (values[3][j] - values[3][j - 1] < -kit::Pi) values[3][j] += 2.0L * kit::Pi;
            while (values[3][j] - values[3][j - 1] > kit::Pi) values[3][j] -= 2.0L * kit::Pi;
        }
    }
    double* series[8] = {e.x, e.y, e.d, e.mu, e.l1, e.l2, e.tanF1, e.tanF2};
    for (int n = 0; n < 8; ++n) Fit(values[n], series[n]);
    out = e;
    return true;
}

ElementValues ElementsAt(const BesselianElements& e, double jdUt) {
    const double middle = (e.startJdUt + e.endJdUt) / 2.0, half = (e.endJdUt - e.startJdUt) / 2.0;
    return Evaluate(e, BasisAt((jdUt - middle) / half), 1.0 / half).value;
}

ElementsSite ElementsSiteOf(double latitudeDegrees, double longitudeEastDegrees, double heightMetres) {
    // The site in Earth equatorial radii, in double: the elements hold 1e-8 of a radius, far below the 0.3 m
    // that a hundredth of a second is at the planet's speed across the Earth.
    const long double lat = latitudeDegrees * DegToRad, lon = longitudeEastDegrees * DegToRad;
    const Vector site = Scale(GeodeticToEarthFixedKm(lat, lon, heightMetres / 1000.0L), 1.0L / WgsEquatorKm);
    return {static_cast<double>(std::hypot(site.x, site.y)), static_cast<double>(site.z),
            static_cast<double>(std::atan2(site.y, site.x))};
}

bool PredictContact(const BesselianElements& e, int contact, double latitudeDegrees, double longitudeEastDegrees,
                    double heightMetres, double q, double& jdUt, double& jdUtPerQ) {
    return PredictContact(e, contact, ElementsSiteOf(latitudeDegrees, longitudeEastDegrees, heightMetres), q, jdUt, jdUtPerQ);
}

bool PredictContact(const BesselianElements& e, int contact, const ElementsSite& site, double q, double& jdUt,
                    double& jdUtPerQ, double fromJdUt, double* jdUtPerQSquared) {
    if (contact < 1 || contact > ContactCount) return false;
    const double rhoCos = site.rhoCos, rhoSin = site.rhoSin, lambda = site.lambda;
    const bool outer = contact == 1 || contact == 4, ingress = contact <= 2;
    const double middle = (e.startJdUt + e.endJdUt) / 2.0, half = (e.endJdUt - e.startJdUt) / 2.0;
    // From the geocentric contact, or from greatest transit where the centre sees none (a grazing transit).
    double tau = (e.contactHappens[contact - 1] ? e.contactJdUt[contact - 1] : e.greatestJdUt) - middle;
    if (std::fabs(fromJdUt - middle) <= half) tau = fromJdUt - middle;
    const Cone cone = ConeOf(e, outer);
    for (int step = 0; step < MaxSteps; ++step) {
        if (!(std::fabs(tau) <= half)) return false;
        const double at0 = tau / half;
        const Basis basis = BasisAt(at0);
        const Evaluated at = EvaluateCone(cone, basis, 1.0 / half, outer);
        const ElementValues& v = at.value;
        const ElementValues& r = at.rate;
        const double h = v.mu + lambda, sinH = std::sin(h), cosH = std::cos(h);
        const double sinD = std::sin(v.d), cosD = std::cos(v.d);
        // The site on the fundamental plane, unscaled (q = 1), and the rates of its coordinates per day.
        const double xi = rhoCos * sinH, eta = rhoSin * cosD - rhoCos * sinD * cosH;
        const double zeta = rhoSin * sinD + rhoCos * cosD * cosH;
        const double xiRate = r.mu * rhoCos * cosH, etaRate = r.mu * xi * sinD - r.d * zeta;
        const double zetaRate = r.d * eta - r.mu * xi * cosD;
        const double l = outer ? v.l1 : v.l2, tanF = outer ? v.tanF1 : v.tanF2;
        const double lRate = outer ? r.l1 : r.l2, tanFRate = outer ? r.tanF1 : r.tanF2;
        const double u = v.x - q * xi, w = v.y - q * eta, radius = l - q * zeta * tanF;
        const double uRate = r.x - q * xiRate, wRate = r.y - q * etaRate;
        const double radiusRate = lRate - q * (zetaRate * tanF + zeta * tanFRate);
        // The distance from the axis meets the cone's radius: exact for motion linear in time, so each step
        // gains digits as Newton's would, and picks the ingress or egress root by its sign.
        const double a = uRate * uRate + wRate * wRate - radiusRate * radiusRate;
        const double b = u * uRate + w * wRate - radius * radiusRate;
        const double c = u * u + w * w - radius * radius;
        const double discriminant = b * b - a * c;
        if (!(discriminant >= 0.0) || !(a > 0.0)) return false;
        const double root = std::sqrt(discriminant);
        // Both roots without cancellation: the one near zero as c over the large one's numerator.
        const double large = -(b + std::copysign(root, b));
        const double r1 = large / a, r2 = large != 0.0 ? c / large : r1;
        const double stepDays = ingress ? std::fmin(r1, r2) : std::fmax(r1, r2);
        tau += stepDays;
        if (std::fabs(stepDays) < StepToleranceDays) {
            // d(tau)/dq from F(tau, q) = u^2 + w^2 - radius^2 = 0, evaluated at the last point; b is dF/dtau / 2.
            const double dFdq = -u * xi - w * eta + radius * zeta * tanF;
            jdUtPerQ = -dFdq / b;
            jdUt = middle + tau;
            if (jdUtPerQSquared != nullptr) {
                // d2(tau)/dq2 from the same F: -(F_qq + 2 F_q,tau tau' + F_tau,tau tau'^2) / F_tau, each half of it
                // as b is, with the rates of the rates: the elements' from their series, the site's from the
                // Earth's turning and the axis' declination.
                const SecondRates rr = SecondRatesOf(cone, basis, at0, 1.0 / half);
                const double xiRate2 = rr.mu * rhoCos * cosH - r.mu * r.mu * xi;
                const double etaRate2 = rr.mu * xi * sinD + r.mu * xiRate * sinD + r.mu * xi * cosD * r.d - rr.d * zeta - r.d * zetaRate;
                const double zetaRate2 = rr.d * eta + r.d * etaRate - rr.mu * xi * cosD - r.mu * xiRate * cosD + r.mu * xi * sinD * r.d;
                const double uRate2 = rr.x - q * xiRate2, wRate2 = rr.y - q * etaRate2;
                const double radiusRate2 = rr.l - q * (zetaRate2 * tanF + 2.0 * zetaRate * tanFRate + zeta * rr.tanF);
                const double reach = zeta * tanF, reachRate = zetaRate * tanF + zeta * tanFRate;
                const double fqq = xi * xi + eta * eta - reach * reach;
                const double fqt = -uRate * xi - u * xiRate - wRate * eta - w * etaRate + radiusRate * reach + radius * reachRate;
                const double ftt = a + u * uRate2 + w * wRate2 - radius * radiusRate2;
                *jdUtPerQSquared = -(fqq + 2.0 * fqt * jdUtPerQ + ftt * jdUtPerQ * jdUtPerQ) / b;
            }
            return true;
        }
    }
    return false;
}

}  // namespace ephemeris
