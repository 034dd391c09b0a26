// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "internal/Contacts.h"

#include "Reduction.h"
#include "Units.h"

namespace ephemeris {
namespace {

// The mean obliquity of J2000 (IAU 2006, 84381.406 arcsec). The ecliptic of date leans from it by less than
// 50 arcsec a century: a few hundredths of a degree on the disc between 1600 and 2200.
constexpr long double ObliquityJ2000Deg = 84381.406L / 3600.0L;

}  // namespace

bool DiscPositions(const Transit& transit, const std::vector<DiscRequest>& requests, std::vector<DiscPosition>& out) {
    std::vector<Observer> observers;
    observers.reserve(requests.size());
    for (const DiscRequest& r : requests) {
        Observer observer{{0, 0, 0}, {0, 0, 0}, true};
        if (r.site && !SiteObserver(r.site->latitudeDegrees, r.site->longitudeEastDegrees, r.site->heightMetres, observer)) {
            return false;
        }
        observers.push_back(observer);
    }
    const Window window = WindowOf(transit);
    const long double deltaTDays = window.deltaTSeconds / kit::SecondsPerDay;
    std::vector<long double> taus;
    taus.reserve(requests.size());
    for (const DiscRequest& r : requests) {
        const long double tau =
            static_cast<long double>(r.jdUt) + deltaTDays - static_cast<long double>(window.centreJdTt);
        if (!(tau >= -WindowHalfDays && tau <= WindowHalfDays)) return false;
        taus.push_back(tau);
    }
    const long double epsilon = ObliquityJ2000Deg * DegToRad;
    const Vector eclipticPole{0.0L, -std::sin(epsilon), std::cos(epsilon)};
    std::vector<DiscPosition> positions;
    positions.reserve(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const Observer& observer = observers[i];
        const View view = ViewAt(window, observer, taus[i]);
        // The pole of date, as for the contacts' position angles.
        const Vector pole = EarthFixedToJ2000({0, 0, 1}, view.jdUt, view.jdTt);
        DiscPosition p;
        p.jdUt = requests[i].jdUt;
        p.pDeg = DiscAngleOf(view, view.planet, pole);
        const long double angle = p.pDeg * DegToRad;
        p.northArcsec = static_cast<double>(view.separation * std::cos(angle));
        p.eastArcsec = static_cast<double>(view.separation * std::sin(angle));
        p.sunRadiusArcsec = static_cast<double>(view.sunRadius);
        p.planetRadiusArcsec = static_cast<double>(view.planetRadius);
        p.eclipticPoleDeg = DiscAngleOf(view, eclipticPole, pole);
        if (!observer.atCentre) {
            const Vector zenith = EarthFixedToJ2000(observer.zenith, view.jdUt, view.jdTt);
            p.vDeg = DiscAngleOf(view, view.planet, zenith);
            p.zenithPDeg = DiscAngleOf(view, zenith, pole);
            p.sunAltitudeDegrees = static_cast<double>(AltitudeDegrees(view, observer));
        }
        positions.push_back(p);
    }
    out = std::move(positions);
    return true;
}

bool DiscPositions(const Transit& transit, const std::optional<WgsSite>& site, const std::vector<double>& jdUt,
                   std::vector<DiscPosition>& out) {
    std::vector<DiscRequest> requests;
    requests.reserve(jdUt.size());
    for (const double jd : jdUt) requests.push_back({site, jd});
    return DiscPositions(transit, requests, out);
}

}  // namespace ephemeris
