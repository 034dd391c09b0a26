// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <limits>
#include <vector>

#include "Campaign.h"
#include "SiteModel.h"
#include "WeightedFit.h"

namespace fitting {

// What one linearisation leaves for the next: the sites as the elements see them (filled by the first when
// the sites are at most half as many as the timings, empty otherwise), the q it was made at (NaN before the
// first), and the curvature of the predictions in q there: the largest second derivative of a row's time in
// q, s per unit q squared (NaN before the first, or where a grazing contact bends without bound).
struct Linearisation {
    std::vector<ephemeris::ElementsSite> sites;
    double q = std::numeric_limits<double>::quiet_NaN();
    double curvature = std::numeric_limits<double>::quiet_NaN();
};

// Linearises the exact model at q0 for the linear machinery, each timing by its transit's model: each row's
// lever g = dP/dq and its time y = t - (S(q0) - q0 g), S the timing's distance from the geocentric contact
// (clock times folded around their contact's median, median being per ContactIndex), so that the fitted
// reference of a category is its geocentric time plus a free offset and q g stands for S(q) to first order.
// A timing its site does not see weighs 0 (row and omega). predictedS gets each timing's P(q0) (seconds after
// midnight, or the duration), NaN where unseen. at is the linearisation before, and becomes this one.
void LineariseExact(const campaign::Campaign& campaign, const std::vector<campaign::SiteModel>& models, const std::vector<double>& median,
                    double q0, FitProblem& problem, std::vector<double>& omega, std::vector<double>& predictedS,
                    Linearisation& at);

// A timing this far from the rest of its contact, against its own prediction, is a slip (an hour, a contact,
// a sign), not an observation: it is left out before the first solution, which it could throw far off.
inline constexpr double GrossS = 900.0;

// Leaves out (omega 0, gross set) each row of a problem linearised at q0 that lies more than GrossS from the
// median of its category's rows, clock times folded.
void ScreenGross(const FitProblem& problem, double q0, std::vector<double>& omega, std::vector<char>& gross);

// Gauss-Newton stops when q moves by less than this: the AU to 1e-10 of itself. The predictions end their own
// iteration within 2e-11 day, which leaves q wandering by some 1e-11 from step to step, so a tighter bound
// would never be met.
inline constexpr double ConvergedQ = 1e-10;

// How well the exact model's times are known: the elements meet the ephemeris's own solver to 0.00016 s.
inline constexpr double ExactResolutionS = 1e-4;

// A linearisation serves a q this close to its own: what the lever leaves out there, half the curvature
// times the move squared (the curvature taken four times, for it is the one at the linearisation's q and
// grows along the move), stays below LinearS, a hundredth of what the model resolves. It also serves when q
// moved by less than ConvergedQ. A campaign near the reference AU is so served by its first linearisation.
inline constexpr double LinearS = 1e-6;
bool StillLinear(const Linearisation& at, double q);

// Gauss-Newton from q0: linearise (unless linearised says the problem already is, at q0), solve the rows with
// omega > 0, and again at the new q until the linearisation is StillLinear there (at most 30 steps). The
// solution is the last one's; q0 ends as the q of the last linearisation. false when a step cannot determine
// q or q runs off (not finite).
bool IterateExact(const campaign::Campaign& campaign, const std::vector<campaign::SiteModel>& models, const std::vector<double>& median,
                  double& q0, FitProblem& problem, std::vector<double>& omega, std::vector<double>& predictedS,
                  Linearisation& at, bool linearised, Solution& solution);

}  // namespace fitting
