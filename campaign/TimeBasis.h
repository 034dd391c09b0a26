// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstdint>
#include <string>

namespace campaign {

// The clock a time was written by: UT, or the mean or apparent (sundial) solar time of the site, of
// Greenwich or of Paris.
enum class TimeBasis : std::uint8_t { Ut, LocalMean, LocalApparent, GreenwichMean, GreenwichApparent, ParisMean, ParisApparent };

// The day a time counts from: the civil day from midnight, or the astronomical day, which began at noon of
// the civil date with the same number ("June 2, 21h 43m" astronomical is the morning of June 3).
enum class DayStart : std::uint8_t { Civil, Astronomical };

// Paris Observatory's meridian east of Greenwich's, in seconds of time (2° 20' 14" of arc).
inline constexpr double ParisEastOfGreenwichS = 9.0 * 60.0 + 21.0;

// The words of a time basis as written in a file, English or German: "UT", "local mean", "local apparent",
// "Greenwich mean", "Greenwich apparent", "Paris mean", "Paris apparent"; "Ortszeit mittlere", "wahre
// Ortszeit" and the like. Case and the spacing of words do not matter; an empty field is UT.
bool ParseTimeBasis(const std::string& text, TimeBasis& basis);

// The words of a time basis as a file writes them in English ("local apparent", "UT"): the one name of each
// in the reports.
const char* TimeBasisName(TimeBasis basis);

// "civil" or "astronomical".
const char* DayStartName(DayStart start);

// "civil" or "astronomical" (German "bürgerlich", or "buergerlich", and "astronomisch"); an empty field is civil.
bool ParseDayStart(const std::string& text, DayStart& start);

// The UT JD of a time written as seconds after the start of the day year-month-day (its own number, as
// printed) on a clock of basis, at a site of east longitude. Apparent time becomes mean time with the
// equation of time (apparent minus mean, from the ephemeris); local time becomes UT with the longitude.
double UtJdOf(int year, int month, int day, double seconds, TimeBasis basis, DayStart start, double longitudeEastDegrees);

}  // namespace campaign
