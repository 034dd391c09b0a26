// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Campaign.h"
#include "Diagnoses.h"
#include "SiteModel.h"

namespace fitting {

struct FitOptions {
    bool clockOffsets = false;    // one clock offset per observer with two or more clock times
    bool keepAll = false;         // no rejection of outliers, nor of timings made with the Sun down
    int resamples = 1000;         // bootstrap runs
    std::uint64_t seed = 20040608;
    double auKm = std::numeric_limits<double>::quiet_NaN();  // finite: the AU is given, not fitted
};

// What the fit says of one timing; its findings, which few timings have, are kept beside (FitResult::findings).
struct TimingFit {
    double oMinusCS = 0.0;          // observed minus computed, s (NaN where its contact was not fitted)
    double leverS = 0.0;            // A . v; with the exact model dP/dq at the fitted q
    double predictedS = std::numeric_limits<double>::quiet_NaN();  // exact model: P at the fitted q, UT s after midnight or a duration
    unsigned flagBits = 0;          // 1 << Flag
    bool used = false;
};

// A finding on one timing.
struct TimingFinding {
    std::size_t timing;             // index into the campaign's timings
    Finding finding;
};

struct ContactFit {
    int start = 0, end = 0;       // end = 0 for a contact's clock time, else a duration
    int transit = 0;              // of the transits reduced together
    double referenceS = 0.0;      // T_c (UT seconds after midnight) or D_se
    double rmsS = 0.0;            // rms O-C of its used timings
    double offsetS = std::numeric_limits<double>::quiet_NaN();  // exact model: the reference less the geocentric prediction
    long used = 0;
};

struct Resampling {
    // "bootstrap", "first-order bootstrap" (its spread worked out, no runs), "jackknife" or "" when none
    std::string method;
    int runs = 0;                 // resamples or observers left out
    int failed = 0;               // resamples that could not determine the AU
    std::vector<std::pair<int, double>> withoutObserver;  // jackknife: observer, AU in km without it
};

// Why no fit was made.
enum class NoFit { None, NoTiming, SitesAlike, OffsetsTakeAll };

struct FitResult {
    bool fitted = false;
    NoFit whyNot = NoFit::None;
    double q = 0.0;               // fitted scale ReferenceAuKm / AU
    double qSigmaFormal = 0.0, qSigmaResampled = 0.0;  // NaN when not computed
    double auKm = 0.0, auSigmaKm = 0.0, auSigmaFormalKm = 0.0, auSigmaResampledKm = 0.0;  // NaN when none
    double parallaxArcsec = 0.0, parallaxSigmaArcsec = 0.0;
    bool bounded = true;          // false when q - sigma <= 0: the data do not bound the AU
    bool auGiven = false;         // the AU was given (FitOptions::auKm): nothing of it is fitted or uncertain
    long degreesOfFreedom = 0;
    double scatter = 0.0;         // weighted rms of the used timings' O-C, in units of their sigma
    long read = 0, used = 0, rejected = 0;
    std::vector<ContactFit> contacts;
    std::vector<TimingFit> timings;     // parallel to the campaign's timings
    std::vector<TimingFinding> findings;  // one per flag of a timing, in file order, each timing's in the order found
    std::vector<double> clockOffsetsS;  // per observer; NaN where it has none
    Resampling resampling;
    double modelBias = std::numeric_limits<double>::quiet_NaN();  // see LinearModelBias; NaN when not known
};

// Fits the campaign: each transit's reference times and durations, clock offsets if asked, and one q, by
// weighted least squares (weights 1 / (sigma^2 + (5 s)^2)) with robust rejection unless keepAll; then the
// uncertainties. models holds one site model per transit (a timing's transit indexes it), all of one kind.
// No finding is recorded; state keeps what the diagnoses need (see WeightedFit.h).
FitResult FitCampaign(const campaign::Campaign& campaign, const std::vector<campaign::SiteModel>& models, const FitOptions& options,
                      FitState& state);

// The findings of one timing, in the order found.
std::span<const TimingFinding> FindingsOf(const FitResult& result, std::size_t timing);

}  // namespace fitting
