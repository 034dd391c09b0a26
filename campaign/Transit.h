// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <ostream>
#include <string>

#include "Campaign.h"
#include "Ephemeris.h"
#include "Fit.h"

enum class CoefficientSource { Default, Table, Ephemeris };

// The transit a campaign's timings belong to and the coefficients they are reduced with.
struct TransitChoice {
    Transit transit;               // from the ephemeris, geocentric
    Coefficients coefficients;
    bool table = false;            // the 8 June 2004 table rather than the ephemeris
    std::string planet;            // "venus" or "mercury"
    std::string date;              // UT date of greatest transit, "2004-06-08"
    std::string titleEnglish, titleGerman;  // "Transit of Venus, 8 June 2004"
};

// Finds the transit touching the UT date year-month-day (1600..2200) and its coefficients: the 2004 table
// for that transit unless source asks for the ephemeris; the ephemeris for every other. false, with why set
// to one sentence, when no transit touches the date or the table is asked for another transit.
bool ChooseTransit(int year, int month, int day, CoefficientSource source, TransitChoice& choice, std::string& why);

// Drops the timings that cannot belong to the chosen transit: a contact that does not happen in it (a
// grazing transit has no contacts 2 and 3), or a date more than a day from its contacts. Each is reported
// on err as "transitfit: FILE:LINE: why" and counted as a skipped row.
void DropForeignTimings(const TransitChoice& choice, Campaign& campaign, std::ostream& err);

// Flags below-horizon on every timing made where the Sun's centre was more than a degree below the horizon
// (refraction and the Sun's radius keep it in view down to about 0.9 degree): a clock time at its date, or
// when none is given at the day nearest the contact; a duration at the geocentric times of both contacts.
void FlagBelowHorizon(const Campaign& campaign, const TransitChoice& choice, FitResult& result);

// What the linear site model alone does to the AU of this campaign: the contacts the ephemeris's own solver
// gives at the sites of the used timings (at most 100 sites, and 400 timings, spread over the campaign) are
// fitted as the timings were, and the AU they give is compared with the ephemeris's own. Returns that AU
// over the ephemeris's, minus 1 (+0.004: the fitted AU may be 0.4 % high); NaN with the 2004 table, whose
// numbers the two-site programs define, or when the exact contacts give no fit.
double LinearModelBias(const Campaign& campaign, const TransitChoice& choice, const FitResult& result,
                       const FitOptions& options);
