// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "Ephemeris.h"
#include "Text.h"

// The picture every published prediction of a transit carries: the Sun's disc, north (or a site's zenith) up and
// east left as the sky shows it, with the path of the planet's centre across it from the Earth's centre and from
// each site, and the planet drawn to scale at the contacts and at the greatest transit.
namespace discpath {

// A place in the picture's frame, arcsec from the Sun's centre: up (towards the north point, or the zenith
// point with the frame turned) and left (towards the east, or 90 degrees anticlockwise from the zenith).
struct SkyPoint {
    double up = 0.0, left = 0.0;
};

// One place of a path: when, where it is drawn, and whether the Sun is up there (always at the Earth's centre).
struct PathPoint {
    double jdUt = 0.0;
    SkyPoint at;
    bool sunUp = true;
};

// The events of a track in time order: contact 1, contact 2, greatest transit, contact 3, contact 4.
inline constexpr int MarkCount = 5;

// One event of one observer; angles in degrees, the Sun's altitude geometric (0 at the Earth's centre).
struct Mark {
    int contact = 0;       // 1..4, 0 for the greatest transit
    bool happens = false;  // false: the limb is not crossed there (a grazing transit)
    double jdUt = 0.0;
    SkyPoint at;
    double pDeg = 0.0, vDeg = 0.0;
    double sunAltitudeDegrees = 0.0;
    bool sunUp = true;
};

// The transit as one observer sees it.
struct Track {
    bool geocentric = true;
    ephemeris::WgsSite site;
    std::vector<PathPoint> path;  // the planet's centre from contact 1 to contact 4, in time order
    Mark marks[MarkCount];
    double minSeparationArcsec = 0.0;
    // A site's path from the geocentric one at the site's greatest transit, perpendicular to it, in arcsec;
    // positive when the site's path lies farther from the Sun's centre (0 for the geocentric track).
    double displacementArcsec = 0.0;
};

// Everything the picture shows, in arcsec and degrees.
struct PathPicture {
    ephemeris::Transit transit;
    bool zenithUp = false;
    double sunRadiusArcsec = 0.0, planetRadiusArcsec = 0.0;  // geocentric, at the greatest transit
    // Directions in the frame at the greatest transit, degrees anticlockwise from up: the ecliptic's north
    // pole and the north point (0 unless the frame is turned to the zenith).
    double eclipticPoleDeg = 0.0, northDeg = 0.0;
    std::vector<Track> tracks;  // the Earth's centre first, then the sites as given
};

// A site, and what LocalContacts finds there for the transit.
struct SiteSeen {
    ephemeris::WgsSite site;
    ephemeris::LocalCircumstances local;
};

// Traces transit from the Earth's centre and from each site. With zenithUp the frame turns with the zenith of
// the one site, instant by instant, and the geocentric path with it. False (out untouched) for a site out of
// range or zenithUp without exactly one site.
bool TracePath(const ephemeris::Transit& transit, const std::vector<SiteSeen>& sites, bool zenithUp,
               PathPicture& out);

// Writes the picture as SVG in UTF-8, its words in language: the same bytes on every platform.
void WritePathSvg(const PathPicture& picture, kit::Language language, std::ostream& out);

// The UT dates of a transit as its pictures name it: "2004-06-08", or "2012-06-05/06" across midnight UT.
std::string DatesOf(const ephemeris::Transit& transit);

}  // namespace discpath
