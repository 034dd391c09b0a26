// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <string>

#include "Diagnoses.h"
#include "Fit.h"
#include "Text.h"
#include "Transit.h"

namespace report {

// The fixed words of the text report, in UTF-8.
struct TextWords {
    const char* timings;
    const char* read;
    const char* used;
    const char* rejected;
    const char* au;
    const char* millionKm;
    const char* parallax;
    const char* noErrorBar;
    const char* unbounded;
    const char* uncertainty;
    const char* formal;
    const char* dof;
    const char* bootstrap;
    const char* jackknife;
    const char* noResampling;
    const char* coefficients;
    const char* clockOffsets;
    const char* contactHeader;
    const char* duration;
    const char* timingHeader;
    const char* without;
    const char* notDetermined;
    const char* notSolved;     // after a count of bootstrap runs that could not determine the AU
    const char* siteModel;     // the exact model's line, before the ephemeris: "Site model: exact, ...; "
    const char* auGiven;       // after a given AU
    const char* exactContactHeader;  // the contact table with each contact's offset from its prediction
    const char* exactTimingHeader;   // the timing table with each timing's predicted UT
    const char* notUsed;       // after a count of timings their rows leave out
    const char* asPrinted;     // the title of the column of times as written, when some were not UT
    const char* utTime;        // and of the column of their UT
    const char* firstOrder;    // after "bootstrap over observers" when its spread was worked out, not drawn
};

// The fixed words of the picture, in UTF-8.
struct PlotWords {
    const char* timings;       // after the title and the count: " timings"
    const char* leverAxis;
    const char* timeAxis;
    const char* millionKm;     // after a number: " million km"
    const char* slope;         // before the fitted AU: "slope: AU = "
    const char* contact;       // before a contact's number: "contact "
    const char* duration;
    const char* rejected;
};

const TextWords& TextWordsIn(kit::Language language);
const PlotWords& PlotWordsIn(kit::Language language);

// The short name of a time basis in the timing table: "LAT" for local apparent time, German "WOZ".
const char* BasisAbbreviation(campaign::TimeBasis basis, kit::Language language);

// The note under a timing table with times as written: what each abbreviation of basesShown (1 << basis)
// means, and, when astronomical, what "astr." means; one line with its line end.
std::string WrittenTimesNote(unsigned basesShown, bool astronomical, kit::Language language);

// A finding as one plain sentence, without a full stop.
std::string FindingText(const fitting::Finding& finding, kit::Language language);

// Why a fit does not bound the AU (result.bounded is false): no distance, a negative one, or an uncertainty
// that reaches infinity; one sentence without a figure of the AU.
std::string UnboundedText(const fitting::FitResult& result, kit::Language language);

// "Transit of Venus, 8 June 2004", "Venustransit 8. Juni 2004".
std::string TransitTitle(const campaign::TransitChoice& choice, kit::Language language);

// The titles of transits reduced together, joined by " + ".
std::string TransitsTitle(const std::vector<campaign::TransitChoice>& transits, kit::Language language);

// Where the site model's coefficients come from: "table of 8 June 2004", or the ephemeris with its Delta T.
std::string CoefficientsName(const campaign::TransitChoice& choice, kit::Language language);

// The line on what the linear site model does to the AU (bias as LinearModelBias gives it).
std::string ModelBiasNote(double bias, kit::Language language);

// The line on Mercury's small levers, reachS the largest a contact moves between sites.
std::string MercuryNote(double reachS, kit::Language language);

// Why no transit could be chosen, in English for a message: for timings without dates, the transits they
// match (the first four) or the closest, and how to name the transit.
std::string RefusalText(const campaign::TransitRefusal& refusal);

// The report of timings without dates that name no transit (refusal Unmatched or Ambiguous): why, every
// candidate a line with its matches, and how to name the transit.
std::string UnidentifiedReport(const campaign::TransitRefusal& refusal, kit::Language language);

// Why no fit was made, in English for a message.
std::string NoFitText(fitting::NoFit why);

}  // namespace report
