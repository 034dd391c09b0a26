// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "internal/Contacts.h"

#include <limits>

#include "Reduction.h"
#include "Units.h"

namespace ephemeris {
namespace {

// Root and minimum are found to 1e-10 day (9 microseconds): the site coefficients take differences of
// contact times 40 s apart and keep five digits.
constexpr long double TimeToleranceDays = 1e-10L;
constexpr long double PseudoSiteEarthRadii = 0.05L;

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

}  // namespace

View ViewAt(const Window& window, const Observer& observer, long double tau) {
    const Geometry g = Interpolate(window, tau);
    const long double jdTt = static_cast<long double>(window.centreJdTt) + tau;
    const double jdUt = static_cast<double>(jdTt - window.deltaTSeconds / kit::SecondsPerDay);
    Vector site{0, 0, 0};
    if (!observer.atCentre) {
        site = Scale(EarthFixedToJ2000(observer.earthFixedKm, jdUt, static_cast<double>(jdTt)), 1.0L / kit::AuKm);
    }
    const Vector planet = Subtract(g.planet, site), sun = Subtract(g.sun, site);
    return {SeparationArcsec(planet, sun), SunRadiusArcsec(Norm(sun)),
            PlanetRadiusArcsec(window.planet, window.radii, Norm(planet)), sun, planet, site, jdUt,
            static_cast<double>(jdTt)};
}

long double AltitudeDegrees(const View& view, const Observer& observer) {
    const Vector zenith = EarthFixedToJ2000(observer.zenith, view.jdUt, view.jdTt);
    return std::asin(Dot(view.sun, zenith) / Norm(view.sun)) / DegToRad;
}

double DiscAngleOf(const View& view, const Vector& target, const Vector& reference) {
    // reference x sun points east of reference on the sky, as the pole x the Sun points to growing right
    // ascension.
    const Vector s = Scale(view.sun, 1.0L / Norm(view.sun));
    const Vector up = Subtract(reference, Scale(s, Dot(reference, s)));
    const Vector east = Cross(up, s);
    const long double angle = std::atan2(Dot(target, east), Dot(target, up)) / DegToRad;
    // A tiny negative angle plus 360 rounds to 360 itself.
    const double turned = static_cast<double>(angle < 0.0L ? angle + 360.0L : angle);
    return turned >= 360.0 ? 0.0 : turned;
}

DiscAngles DiscAnglesAt(const Window& window, const Observer& observer, long double tau) {
    const View view = ViewAt(window, observer, tau);
    // The pole of date is the Earth-fixed z axis: the precession alone turns it, and nutation's 10 arcsec
    // move the angles by a thousandth of a degree.
    const Vector pole = EarthFixedToJ2000({0, 0, 1}, view.jdUt, view.jdTt);
    DiscAngles angles{DiscAngleOf(view, view.planet, pole), 0.0};
    if (!observer.atCentre) angles.vDeg = DiscAngleOf(view, view.planet, EarthFixedToJ2000(observer.zenith, view.jdUt, view.jdTt));
    return angles;
}

bool SiteObserver(double latitudeDegrees, double longitudeEastDegrees, double heightMetres, Observer& out) {
    if (!(latitudeDegrees >= -90.0 && latitudeDegrees <= 90.0)) return false;
    if (!(longitudeEastDegrees >= -180.0 && longitudeEastDegrees <= 180.0)) return false;
    if (!(heightMetres >= MinSiteHeightM && heightMetres <= MaxSiteHeightM)) return false;
    const long double lat = latitudeDegrees * DegToRad, lon = longitudeEastDegrees * DegToRad;
    out = {GeodeticToEarthFixedKm(lat, lon, heightMetres / 1000.0L), ZenithEarthFixed(lat, lon), false};
    return true;
}

Window WindowOf(const Transit& transit) {
    const long double deltaT = transit.deltaTSeconds;
    const long double centre = static_cast<long double>(transit.greatestJdUt) + deltaT / kit::SecondsPerDay;
    return OpenWindow(transit.planet, transit.radii, static_cast<double>(centre), deltaT);
}

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

bool LocalContacts(const Transit& transit, double latitudeDegrees, double longitudeEastDegrees,
                   double heightMetres, LocalCircumstances& out) {
    Observer observer{};
    if (!SiteObserver(latitudeDegrees, longitudeEastDegrees, heightMetres, observer)) return false;
    const Window window = WindowOf(transit);
    const Solution s = Solve(window, observer);
    const long double centreUt = static_cast<long double>(window.centreJdTt) - window.deltaTSeconds / kit::SecondsPerDay;
    LocalCircumstances local;
    for (int c = 0; c < ContactCount; ++c) {
        local.contactHappens[c] = s.happens[c];
        if (!s.happens[c]) continue;
        local.contactJdUt[c] = static_cast<double>(centreUt + s.contactTau[c]);
        local.contactSunAltitudeDegrees[c] =
            static_cast<double>(AltitudeDegrees(ViewAt(window, observer, s.contactTau[c]), observer));
        const DiscAngles angles = DiscAnglesAt(window, observer, s.contactTau[c]);
        local.contactPDeg[c] = angles.pDeg;
        local.contactVDeg[c] = angles.vDeg;
    }
    local.greatestJdUt = static_cast<double>(centreUt + s.greatestTau);
    local.minSeparationArcsec = static_cast<double>(s.minSeparation);
    local.greatestSunAltitudeDegrees =
        static_cast<double>(AltitudeDegrees(ViewAt(window, observer, s.greatestTau), observer));
    const DiscAngles greatest = DiscAnglesAt(window, observer, s.greatestTau);
    local.greatestPDeg = greatest.pDeg;
    local.greatestVDeg = greatest.vDeg;
    out = local;
    return true;
}

void ContactCoefficients(const Transit& transit, double coefficientsSeconds[ContactCount][3]) {
    // Central differences at pseudo-sites PseudoSiteEarthRadii either side of the centre along each
    // Earth-fixed axis.
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
                (side[0].contactTau[c] - side[1].contactTau[c]) * kit::SecondsPerDay / (2.0L * PseudoSiteEarthRadii);
            coefficientsSeconds[c][axis] = known ? static_cast<double>(perUnit) : std::numeric_limits<double>::quiet_NaN();
        }
    }
}

}  // namespace ephemeris
