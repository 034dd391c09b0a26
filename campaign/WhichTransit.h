// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstddef>
#include <vector>

#include "Campaign.h"
#include "Ephemeris.h"
#include "Transit.h"

// Which transit a campaign without dates belongs to, from its timings alone. A sample of the timings (at
// most SampledTimings, spread over the files, one per site first) is set against every transit of Venus and
// Mercury from 1600 to 2200, each timing at its own site:
// - a clock time matches when it lies within ClockToleranceS of the contact predicted there, modulo a day
//   (timings scatter by seconds to a minute, a time-zone slip is an hour or more), and the Sun was up there
//   at that time (ephemeris::SunIsUp);
// - a duration matches when it lies within DurationToleranceS of the duration predicted there, with the Sun
//   up at both predicted contacts.
// With n timings sampled and the most matches any transit has m, the transits with more than m - n/10
// matches (m - 1 below 10) cannot be told apart by their counts. Of these, the one whose matching timings lie
// nearest their predictions (the mean distance, which the tolerance bounds) is identified when it has at
// least two thirds of n and every other's distance is three times its own and NearerByS more: Mercury's
// transits repeat their times of day within minutes after 7 or 230 years, and only the distance parts them
// (seconds against minutes). Timings too few or too rough to part two such transits name both.
// One wrong timing in five leaves four that match (4 >= 10/3), so a time-zone slip cannot lose the right
// transit, while another transit would have to match those four as closely to be named beside it.
namespace campaign {

inline constexpr std::size_t SampledTimings = 60;
inline constexpr double ClockToleranceS = 20.0 * 60.0;
inline constexpr double DurationToleranceS = 5.0 * 60.0;
inline constexpr double NearerByS = 120.0;     // twice the scatter of careful timings: noise cannot choose

// How the sample of a campaign's timings matched the transits of a list.
struct Identification {
    int sampled = 0;                            // timings sampled
    bool identified = false;                    // contenders.front() is the transit
    std::vector<TransitCandidate> contenders;   // those alike in count, nearest first (none matched: empty)
};

// The timings set against the transits: at most SampledTimings of them, spread over the campaign, a timing
// of each site not yet sampled first. Indices into campaign.timings, in file order.
std::vector<std::size_t> SampleTimings(const Campaign& campaign);

// How the timings at indices sample match transit (as the rule above says), elements being its own: the
// count and the mean distance of those that match (matched and offsetS of the result).
TransitCandidate MatchTransit(const Campaign& campaign, const std::vector<std::size_t>& sample,
                              const ephemeris::Transit& transit, const ephemeris::BesselianElements& elements);

// The rule above over transits, each the ephemeris's transit a rough one stands for (a near miss is passed
// over): the rough contacts rule out most without the ephemeris.
Identification IdentifyTransit(const Campaign& campaign, const std::vector<ephemeris::RoughTransit>& transits);

// Every transit of Venus and Mercury from 1600 to 2200, roughly (ephemeris::ListTransitsRoughly), listed once
// per process (some milliseconds).
const std::vector<ephemeris::RoughTransit>& TransitCatalogue();

// The transit of a campaign whose timings have no date, by IdentifyTransit over TransitCatalogue, chosen as
// ChooseTransit chooses it from its date; false with refusal Unmatched (no transit reaches two thirds: the
// contenders as the closest) or Ambiguous (several alike), or with ChooseTransit's own refusal.
bool ChooseByTimings(const Campaign& campaign, CoefficientSource source, TransitChoice& choice, TransitRefusal& refusal);

}  // namespace campaign
