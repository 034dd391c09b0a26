// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include "Ephemeris.h"
#include "internal/Geometry.h"

// The contact solver inside the ephemeris: the contacts and the minimum separation within a window.
namespace ephemeris {

// An observer: Earth-fixed position in km (the centre is zero) and, for the Sun's altitude, the zenith.
struct Observer {
    Vector earthFixedKm;
    Vector zenith;
    bool atCentre;
};

// Contacts and greatest transit in days from the window's centre (TT), and the minimum separation, arcsec.
struct Solution {
    long double contactTau[ContactCount];
    bool happens[ContactCount];
    long double greatestTau;
    long double minSeparation;
};

// The observer at a WGS84 site (ranges as for LocalContacts); false (out untouched) for a site out of range.
bool SiteObserver(double latitudeDegrees, double longitudeEastDegrees, double heightMetres, Observer& out);

// What the observer sees at tau days from the window's centre (TT): the separation of the centres and the two
// radii in arcsec, the directions in AU (J2000) and the instant.
struct View {
    long double separation, sunRadius, planetRadius;
    Vector sun;        // the Sun from the observer, AU
    Vector planet;     // the planet from the observer, AU
    Vector observer;   // the observer from the centre, AU, J2000
    double jdUt, jdTt;
};

View ViewAt(const Window& window, const Observer& observer, long double tau);

// The geometric altitude of the Sun's centre in the view, degrees.
long double AltitudeDegrees(const View& view, const Observer& observer);

// The direction of target (J2000) on the Sun's disc as seen in the view, degrees 0..360 at the Sun's centre
// towards the east, from the point where the great circle towards reference crosses the limb.
double DiscAngleOf(const View& view, const Vector& target, const Vector& reference);

// The window of a transit already found, centred on its greatest transit.
Window WindowOf(const Transit& transit);

// Where the planet's centre stands on the Sun's disc at tau, degrees 0..360 at the Sun's centre towards the
// east: pDeg from the north point of the equator of date, vDeg from the zenith point (0 for the Earth's centre).
struct DiscAngles {
    double pDeg, vDeg;
};

DiscAngles DiscAnglesAt(const Window& window, const Observer& observer, long double tau);

// The contacts the observer sees within the window; a contact whose limb is not crossed there does not happen.
Solution Solve(const Window& window, const Observer& observer);

}  // namespace ephemeris
