// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

// Time scales inside the ephemeris.
namespace ephemeris {

// The decimal year (2000.0 at J2000) of a JD, in mean Gregorian years: what DeltaTSeconds takes.
long double DecimalYear(long double jd);

}  // namespace ephemeris
