// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "Campaign.h"
#include "Ephemeris.h"
#include "SiteModel.h"

namespace campaign {

enum class CoefficientSource { Default, Table, Ephemeris };

// The transit a campaign's timings belong to and the site model they are reduced with.
struct TransitChoice {
    ephemeris::Transit transit;               // from the ephemeris, geocentric
    SiteModel model;
    bool table = false;            // the 8 June 2004 table rather than the ephemeris
    std::string planet;            // "venus" or "mercury"
    std::string date;              // UT date of greatest transit, "2004-06-08"
    int year = 0, month = 0, day = 0;  // the same date as numbers
};

// A transit the timings of a campaign without dates may belong to, and how many of them match it.
struct TransitCandidate {
    ephemeris::Planet planet = ephemeris::Planet::Venus;
    int year = 0, month = 0, day = 0;  // UT date of greatest transit
    int matched = 0;                   // sampled timings that match its contacts
    double offsetS = 0.0;              // their mean distance from the predicted times (or durations)
};

// Why no transit could be chosen: with the date asked for; or, for timings without dates, none matching
// them (Unmatched: the closest as candidates) or several matching them alike (Ambiguous).
struct TransitRefusal {
    enum Kind { NotADate, NoTransit, TableOnlyFor2004, Unmatched, Ambiguous } kind = NotADate;
    int year = 0, month = 0, day = 0;
    int sampled = 0;                           // Unmatched, Ambiguous: timings set against the transits
    std::vector<TransitCandidate> candidates;  // nearest their timings first
};

// Finds the transit touching the UT date year-month-day (1600..2200) and its site model: the 2004 table for
// that transit unless source asks for the ephemeris; the ephemeris for every other. false, with refusal set,
// when no transit touches the date or the table is asked for another transit.
bool ChooseTransit(int year, int month, int day, CoefficientSource source, TransitChoice& choice,
                   TransitRefusal& refusal);

// Drops the timings that cannot belong to their transit (transits[t.transit]): a contact that does not happen
// in it (a grazing transit has no contacts 2 and 3), or a date more than a day from its contacts. Each is
// reported on err as "transitfit: FILE:LINE: why" and counted as a skipped row.
void DropForeignTimings(const std::vector<TransitChoice>& transits, Campaign& campaign, std::ostream& err);

// Julian date of a timing's clock time of seconds: at its own date, or at the day that puts it nearest
// referenceJd when it has none.
double JdOf(const Timing& t, double seconds, double referenceJd);

}  // namespace campaign
