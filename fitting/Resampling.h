// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstdint>
#include <vector>

#include "Fit.h"
#include "WeightedFit.h"

namespace fitting {

// How many resamples to draw, and from which seed.
struct ResamplingRun {
    int resamples = 1000;
    std::uint64_t seed = 20040608;
};

// splitmix64: small, fast and the same on every platform, so a seed repeats a run exactly. Advances state.
std::uint64_t NextRandom(std::uint64_t& state);

// The resampled uncertainty of q, by whole observers, into result.resampling and result.qSigmaResampled: a
// bootstrap from 20 observers on (beyond 2,000 its spread to first order, worked out without runs), a
// jackknife (with the AU without each observer) below; NaN when neither can be made. omega and solution are
// the fit's.
void Resample(const FitProblem& problem, const std::vector<double>& omega, const Solution& solution,
              const ResamplingRun& run, FitResult& result);

}  // namespace fitting
