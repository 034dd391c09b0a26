// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "Campaign.h"
#include "Fit.h"
#include "Transit.h"

namespace fitting {

struct ReduceOptions {
    FitOptions fit;
    bool transitGiven = false;  // a UT date the transit touches, as asked
    int transitYear = 0, transitMonth = 0, transitDay = 0;
    campaign::CoefficientSource coefficients = campaign::CoefficientSource::Default;
    campaign::SiteModelKind model = campaign::SiteModelKind::Exact;  // the transit's elements; Linear: the coefficients
};

enum class Outcome { Reduced, NoTransit, NoFit };

// A campaign reduced: everything the writers show.
struct Reduction {
    Outcome outcome = Outcome::Reduced;
    campaign::TransitRefusal refusal;  // NoTransit: the date refused, or the transits the timings match
    int refusedFile = -1;              // and the file and line of the timing whose date it was; -1: not from a timing
    long refusedLine = 0;
    campaign::Campaign campaign;       // foreign timings dropped, duplicates marked
    // Those its timings belong to, the one with most timings first; each timing's transit indexes it (empty
    // when the outcome is NoTransit).
    std::vector<campaign::TransitChoice> transits;
    FitResult fit;                     // complete with findings and model bias
    bool clockOffsets = false;         // as asked
    std::uint64_t seed = 0;            // of the bootstrap
};

// The pipeline: chooses the transit (as asked; else every transit the dates touch, an undated timing
// belonging to its file's, and a file without dates to the one its timings match at their sites:
// ChooseByTimings), drops the timings foreign to theirs (reported on err), marks duplicates, fits one AU with
// each transit's contacts on their own, diagnoses and, for one transit under the linear model, measures what
// that model does to the AU. The result is complete
// when it returns; outcome says how far it came.
Reduction Reduce(campaign::Campaign campaign, const ReduceOptions& options, std::ostream& err);

// What the linear site model alone does to the AU of this campaign: the contacts the ephemeris's own solver
// gives at the sites of the used timings (at most 100 sites, and 400 timings, spread over the campaign) are
// fitted as the timings were, and the AU they give is compared with the ephemeris's own. Returns that AU
// over the ephemeris's, minus 1 (+0.004: the fitted AU may be 0.4 % high); NaN with the 2004 table, whose
// numbers the two-site programs define, or when the exact contacts give no fit.
double LinearModelBias(const campaign::Campaign& campaign, const campaign::TransitChoice& choice, const FitResult& result,
                       const FitOptions& options);

}  // namespace fitting
