// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "DiscPath.h"

#include <cmath>
#include <optional>

#include "Units.h"

using ephemeris::DiscPosition;
using ephemeris::DiscRequest;
using ephemeris::WgsSite;

namespace discpath {
namespace {

// Steps of a path from contact 1 to contact 4: two to three minutes for Venus, one to four for Mercury, over
// which the path departs from a straight line by far less than a hundredth of an arcsecond.
constexpr int PathSteps = 120;

// The straight stretch of the geocentric path either side of a site's greatest transit that its displacement
// is measured from: 10 minutes, over which the path bends by a few thousandths of an arcsecond.
constexpr double DisplacementHalfSpanDays = 600.0 / kit::SecondsPerDayDouble;

constexpr double Rad = static_cast<double>(kit::Pi) / 180.0;

// The events of a track in the order of Mark: contact 1, 2, greatest transit, 3, 4.
constexpr int MarkContacts[MarkCount] = {1, 2, 0, 3, 4};

// One observer: its site (unset at the Earth's centre), contacts and greatest transit.
struct Observer {
    std::optional<WgsSite> site;
    const double* contactJdUt;
    const bool* contactHappens;
    double greatestJdUt;
    double minSeparationArcsec;
};

// Where each of an observer's requests sits among all: its marks, its path, and the frame's turns at each.
struct Slots {
    std::size_t marks = 0, path = 0, turns = 0;
    std::vector<double> pathJdUt;
    std::size_t displacement = 0;  // sites: the geocentric path either side of the greatest transit
};

// Adds a request for the observer at each of times to requests; the index of the first.
std::size_t Add(std::vector<DiscRequest>& requests, const std::optional<WgsSite>& site, const std::vector<double>& times) {
    const std::size_t first = requests.size();
    for (const double jd : times) requests.push_back({site, jd});
    return first;
}

// A position in the frame: turned by turnDeg anticlockwise (0: north up, east left as given).
SkyPoint InFrame(const DiscPosition& p, double turnDeg) {
    if (turnDeg == 0.0) return {p.northArcsec, p.eastArcsec};
    const double separation = std::hypot(p.northArcsec, p.eastArcsec);
    const double angle = (p.pDeg + turnDeg) * Rad;
    return {separation * std::cos(angle), separation * std::sin(angle)};
}

bool SunUpFor(const Observer& o, const DiscPosition& p) { return !o.site || ephemeris::SunIsUp(p.sunAltitudeDegrees); }

// The instants of an observer's events; one that does not happen stands in at the greatest transit.
std::vector<double> MarkTimes(const Observer& o) {
    std::vector<double> times;
    for (const int c : MarkContacts) {
        times.push_back(c == 0 || !o.contactHappens[c - 1] ? o.greatestJdUt : o.contactJdUt[c - 1]);
    }
    return times;
}

// The instants a track is drawn at: from its own contact 1 to 4, or the geocentric ones where the planet
// misses the disc at the site.
std::vector<double> PathTimes(const ephemeris::Transit& transit, const Observer& o) {
    const double start = o.contactHappens[0] ? o.contactJdUt[0] : transit.contactJdUt[0];
    const double end = o.contactHappens[3] ? o.contactJdUt[3] : transit.contactJdUt[3];
    std::vector<double> times;
    for (int i = 0; i <= PathSteps; ++i) times.push_back(start + (end - start) * i / PathSteps);
    return times;
}

// The path with the instants where the Sun passes the horizon rule added, found between two steps by
// interpolation (straight to a thousandth of a degree in altitude and of an arcsecond in place): there the
// drawn path changes from seen to unseen. The crossing belongs to both sides.
std::vector<PathPoint> PathOf(const Observer& o, const std::vector<DiscPosition>& at, const std::vector<double>& turns) {
    std::vector<PathPoint> path;
    for (std::size_t i = 0; i < at.size(); ++i) {
        const PathPoint here{at[i].jdUt, InFrame(at[i], turns[i]), SunUpFor(o, at[i])};
        if (i > 0 && here.sunUp != SunUpFor(o, at[i - 1])) {
            const PathPoint before = path.back();
            const double a0 = at[i - 1].sunAltitudeDegrees, a1 = at[i].sunAltitudeDegrees;
            const double f = (a0 - ephemeris::SunUpAltitudeDegrees) / (a0 - a1);
            path.push_back({before.jdUt + f * (here.jdUt - before.jdUt),
                            {before.at.up + f * (here.at.up - before.at.up),
                             before.at.left + f * (here.at.left - before.at.left)},
                            true});
        }
        path.push_back(here);
    }
    return path;
}

// The perpendicular distance of a site's greatest transit from the straight stretch of the geocentric path
// there (ends), positive on the far side from the Sun's centre; north-up, where the frame does not turn.
double Displacement(const DiscPosition& site, const DiscPosition ends[2]) {
    const double dx = ends[1].eastArcsec - ends[0].eastArcsec, dy = ends[1].northArcsec - ends[0].northArcsec;
    const double length = std::hypot(dx, dy);
    auto side = [&](double east, double north) {
        return (dx * (north - ends[0].northArcsec) - dy * (east - ends[0].eastArcsec)) / length;
    };
    const double distance = side(site.eastArcsec, site.northArcsec), centre = side(0.0, 0.0);
    return (distance > 0.0) == (centre > 0.0) ? -std::fabs(distance) : std::fabs(distance);
}

}  // namespace

bool TracePath(const ephemeris::Transit& transit, const std::vector<SiteSeen>& sites, bool zenithUp, PathPicture& out) {
    if (zenithUp && sites.size() != 1) return false;
    std::vector<Observer> observers{{std::nullopt, transit.contactJdUt, transit.contactHappens, transit.greatestJdUt,
                                     transit.minSeparationArcsec}};
    for (const SiteSeen& s : sites) {
        observers.push_back({s.site, s.local.contactJdUt, s.local.contactHappens, s.local.greatestJdUt,
                             s.local.minSeparationArcsec});
    }
    // Everything in one batch: the positions of the Sun and the planet are the costly part, the requests cheap.
    const std::optional<WgsSite> zenithSite = zenithUp ? std::optional(sites.front().site) : std::nullopt;
    std::vector<DiscRequest> batch;
    std::vector<Slots> slots(observers.size());
    for (std::size_t o = 0; o < observers.size(); ++o) {
        Slots& s = slots[o];
        std::vector<double> times = MarkTimes(observers[o]);
        s.pathJdUt = PathTimes(transit, observers[o]);
        times.insert(times.end(), s.pathJdUt.begin(), s.pathJdUt.end());
        s.marks = Add(batch, observers[o].site, times);
        s.path = s.marks + MarkCount;
        // The frame turns by the zenith site's parallactic angle at each instant.
        if (zenithSite) s.turns = Add(batch, zenithSite, times);
        if (o > 0) {
            s.displacement = Add(batch, std::nullopt, {observers[o].greatestJdUt - DisplacementHalfSpanDays,
                                                      observers[o].greatestJdUt + DisplacementHalfSpanDays});
        }
    }
    std::vector<DiscPosition> at;
    if (!ephemeris::DiscPositions(transit, batch, at)) return false;
    auto turn = [&](const Slots& s, std::size_t k) { return zenithSite ? -at[s.turns + k].zenithPDeg : 0.0; };

    PathPicture picture;
    picture.transit = transit;
    picture.zenithUp = zenithUp;
    for (std::size_t o = 0; o < observers.size(); ++o) {
        const Observer& observer = observers[o];
        const Slots& s = slots[o];
        Track track;
        track.geocentric = o == 0;
        if (observer.site) track.site = *observer.site;
        track.minSeparationArcsec = observer.minSeparationArcsec;
        for (int i = 0; i < MarkCount; ++i) {
            const std::size_t k = static_cast<std::size_t>(i);
            const DiscPosition& p = at[s.marks + k];
            const int c = MarkContacts[i];
            track.marks[i] = {c,          c == 0 || observer.contactHappens[c - 1],
                              p.jdUt,     InFrame(p, turn(s, k)),
                              p.pDeg,     p.vDeg,
                              p.sunAltitudeDegrees, SunUpFor(observer, p)};
        }
        const std::vector<DiscPosition> pathAt(at.begin() + static_cast<std::ptrdiff_t>(s.path),
                                               at.begin() + static_cast<std::ptrdiff_t>(s.path + s.pathJdUt.size()));
        std::vector<double> turns;
        for (std::size_t k = 0; k < pathAt.size(); ++k) turns.push_back(turn(s, MarkCount + k));
        track.path = PathOf(observer, pathAt, turns);
        if (o > 0) track.displacementArcsec = Displacement(at[s.marks + 2], &at[s.displacement]);
        picture.tracks.push_back(std::move(track));
    }
    const DiscPosition& greatest = at[slots[0].marks + 2];
    picture.sunRadiusArcsec = greatest.sunRadiusArcsec;
    picture.planetRadiusArcsec = greatest.planetRadiusArcsec;
    picture.northDeg = turn(slots[0], 2);
    picture.eclipticPoleDeg = greatest.eclipticPoleDeg + picture.northDeg;
    out = std::move(picture);
    return true;
}

}  // namespace discpath
