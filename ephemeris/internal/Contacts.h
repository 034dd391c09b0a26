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
