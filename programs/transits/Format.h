// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <string>
#include <vector>

#include "Ephemeris.h"
#include "Text.h"
#include "Transits.h"

// The printed forms of transits' numbers, instants and events, shared by the writers.

// A number for people: fixed decimals, a decimal comma in German, never "-0.0".
std::string Number(kit::Language language, double value, int decimals);

// "2004-06-08".
std::string DateText(const ephemeris::CalendarTime& t);

// "05:13:29", or with tenths "05:13:29.4".
std::string ClockText(const ephemeris::CalendarTime& t, bool tenths);

// ISO 8601 UT to the tenth of a second: 2004-06-08T05:13:29.4Z.
std::string IsoText(double jd);

// "venus" or "mercury", as scripts read it.
std::string PlanetName(ephemeris::Planet planet);

// One event (C1..C4 or greatest) of a transit, in time order.
struct Event {
    std::string name;
    double jdUt;
    bool withAltitude;
    double sunAltitudeDegrees;
    int contact;  // 1..4, 0 for the greatest transit
    double pDeg;  // position angle, geocentric or at the site
    double vDeg;  // vertex angle, at the site only
};

// The events of entry that happen, geocentric or (local) at the site, in time order.
std::vector<Event> Events(const TransitsEntry& entry, bool local);

// The whole hours of UT from the one before contact 1 to the one after contact 4: where the elements are
// shown.
std::vector<double> ElementHours(const ephemeris::BesselianElements& elements);

// A site as the contacts name it: "52.5167,13.4000,34" (latitude, east longitude, height in m).
std::string SiteText(const ephemeris::WgsSite& site);

// An angle in degrees brought into [0, 360).
double TurnDegrees(double radians);
