// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <vector>

#include "ExactFit.h"
#include "Pieces.h"
#include "Reduction.h"
#include "Resampling.h"
#include "Robust.h"
#include "WeightedFit.h"

namespace fitting {

using namespace campaign;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Timings whose results are listed at a time on a thread: fewer are not worth one.
constexpr std::size_t TimingsPerPiece = 1 << 16;

// How far a contact's fitted reference lies from the geocentric prediction, s: the exact model's offset, what
// black drop, radii and ephemeris leave.
double OffsetFromPrediction(const ephemeris::BesselianElements& elements, const ContactFit& contact) {
    const double start = elements.contactJdUt[contact.start - 1];
    if (contact.end != 0) {
        return contact.referenceS - (elements.contactJdUt[contact.end - 1] - start) * DaySeconds;
    }
    const double geocentricS = (start - 0.5 - std::floor(start - 0.5)) * DaySeconds;
    return Fold(contact.referenceS - geocentricS, 0.0);
}

}  // namespace

FitResult FitCampaign(const Campaign& campaign, const std::vector<SiteModel>& models, const FitOptions& options,
                      FitState& state) {
    FitResult result;
    const std::size_t count = campaign.timings.size();
    result.read = static_cast<long>(count);
    const auto observers = static_cast<int>(campaign.observers.size());
    result.clockOffsetsS.assign(static_cast<std::size_t>(observers), NaN);

    // Categories: each transit's contacts 1..4 at 4 transit + 0..3, then each duration present.
    const std::size_t transits = models.size();
    struct Category {
        int transit, start, end;
        bool operator==(const Category&) const = default;
    };
    std::vector<Category> categories;
    for (std::size_t k = 0; k < transits; ++k) {
        for (int c = 1; c <= 4; ++c) categories.push_back({static_cast<int>(k), c, 0});
    }
    auto categoryOf = [&](const Timing& t) {
        if (t.end == 0) return static_cast<int>(ContactIndex(t));
        const Category wanted{t.transit, t.start, t.end};
        for (std::size_t c = 4 * transits; c < categories.size(); ++c) {
            if (categories[c] == wanted) return static_cast<int>(c);
        }
        categories.push_back(wanted);
        return static_cast<int>(categories.size() - 1);
    };
    std::vector<std::vector<double>> clockTimes(4 * transits);
    for (const Timing& t : campaign.timings) {
        if (t.end == 0 && !t.duplicate && t.copiedFrom < 0 && t.use) clockTimes[ContactIndex(t)].push_back(t.seconds);
    }
    std::vector<double> median(4 * transits);
    for (std::size_t c = 0; c < median.size(); ++c) median[c] = Median(std::move(clockTimes[c]));

    // Every timing is a row; a duplicate's, a copy's or one its row leaves out weighs 0, so no fit sees it.
    FitProblem& problem = state.problem;
    problem.observers = observers;
    problem.clockOffsets = options.clockOffsets;
    result.auGiven = std::isfinite(options.auKm);
    problem.fixedQ = result.auGiven ? ReferenceAuKm / options.auKm : NaN;
    std::vector<Row>& rows = problem.rows;
    rows.resize(count);
    // The exact model's levers come from its linearisation: the linear ones are not worked out for it.
    const bool exact = models.front().kind == SiteModelKind::Exact;
    // The durations' categories in the order they first come; then each row is its timing's own, and a
    // million are made in pieces.
    for (const Timing& t : campaign.timings) {
        if (t.end != 0) categoryOf(t);
    }
    ForEachPiece(count, TimingsPerPiece, [&](std::size_t begin, std::size_t end) {
        Vector3 site{};
        for (std::size_t i = begin; i < end; ++i) {
            const Timing& t = campaign.timings[i];
            // Rows of one site follow each other: its vector is computed once.
            if (!exact && (i == begin || t.latitudeDegrees != campaign.timings[i - 1].latitudeDegrees ||
                           t.longitudeDegrees != campaign.timings[i - 1].longitudeDegrees)) {
                site = SiteVectorOf(t.latitudeDegrees, t.longitudeDegrees);
            }
            const SiteModel& model = models[static_cast<std::size_t>(t.transit)];
            Row row{t.seconds, exact ? 0.0 : SiteLever(model, t.start, t.end, site), 1.0 / (t.sigmaS * t.sigmaS + FloorSigmaS * FloorSigmaS),
                    t.observer, static_cast<std::int16_t>(categoryOf(t)), t.end == 0};
            if (row.clock) row.y = Fold(t.seconds, median[ContactIndex(t)]);
            if (t.duplicate || t.copiedFrom >= 0 || !t.use) row.w = 0.0;
            rows[i] = row;
        }
    });
    problem.categories = static_cast<int>(categories.size());
    // The timings' results are listed once the fit is done, when its large vectors are gone; without a fit,
    // each timing has its lever only.
    auto unfitted = [&](NoFit why) {
        result.whyNot = why;
        result.timings.assign(count, TimingFit{});
        for (std::size_t i = 0; i < count; ++i) result.timings[i].leverS = rows[i].g;
    };
    if (count == 0) {
        unfitted(NoFit::NoTiming);
        return result;
    }

    std::vector<double>& omega = state.omega;
    omega.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) omega[i] = rows[i].w;
    // Unless every timing is to be kept: what the Sun's position rules out, and (exact model) what is a
    // quarter of an hour from the rest of its contact, is left out before the first solution, which it could
    // throw far off.
    std::vector<char> leftOut(rows.size(), 0);
    for (std::size_t i = 0; !options.keepAll && i < state.sunAltitude.size() && i < rows.size(); ++i) {
        if (state.sunAltitude[i] < BelowHorizonDegrees && omega[i] > 0.0) leftOut[i] = 1, omega[i] = 0.0;
    }
    Solution& solution = state.solution;
    // The exact model starts from the reference AU, which every campaign lies within a few per cent of.
    double q0 = result.auGiven ? problem.fixedQ : 1.0;
    if (exact) problem.resolutionS = ExactResolutionS;
    std::vector<double> predicted;
    Linearisation at;
    if (exact) {
        LineariseExact(campaign, models, median, q0, problem, omega, predicted, at);
        if (!options.keepAll) ScreenGross(problem, q0, omega, leftOut);
        // The screen only lays rows aside: the problem stays linearised at q0.
        if (!IterateExact(campaign, models, median, q0, problem, omega, predicted, at, true, solution)) solution.determined = false;
    } else {
        solution = Solve(problem, omega);
    }
    if (!solution.determined) {
        unfitted(options.clockOffsets ? NoFit::OffsetsTakeAll : NoFit::SitesAlike);
        return result;
    }
    std::vector<char>& rejected = state.rejected;
    rejected.assign(rows.size(), 0);
    state.scale = MadScale(problem, omega, solution);
    if (!options.keepAll && solution.active - solution.rank >= 2) RejectOutliers(problem, omega, solution, state.scale, rejected);
    for (std::size_t i = 0; i < rows.size(); ++i) rejected[i] |= leftOut[i];
    // The rejection moved q off the linearisation: linearise again there, the rejected rows staying out, so that
    // the residuals and predictions are those of the fitted AU.
    if (exact && !StillLinear(at, solution.q)) {
        q0 = solution.q;
        if (!IterateExact(campaign, models, median, q0, problem, omega, predicted, at, false, solution)) {
            unfitted(NoFit::SitesAlike);
            return result;
        }
    }
    state.scale = MadScale(problem, omega, solution);

    result.fitted = true;
    result.q = solution.q;
    result.degreesOfFreedom = solution.active - solution.rank;
    const double variance = result.degreesOfFreedom > 0 ? solution.rss / static_cast<double>(result.degreesOfFreedom) : NaN;
    result.scatter = std::sqrt(variance);
    // A given AU has no uncertainty of its own to state.
    result.qSigmaFormal = result.auGiven ? NaN : std::sqrt(variance * solution.inverseLeverNorm);

    // A given AU has nothing to resample.
    if (!result.auGiven) Resample(problem, omega, solution, {options.resamples, options.seed}, result);

    // The quoted uncertainty is the larger of the two that were computed.
    double qSigma = NaN;
    if (!std::isnan(result.qSigmaFormal)) qSigma = result.qSigmaFormal;
    if (!std::isnan(result.qSigmaResampled) && !(result.qSigmaResampled <= qSigma)) qSigma = result.qSigmaResampled;
    result.auKm = AuOf(result.q);
    auto auSigma = [&](double qs) { return result.q != 0.0 ? std::fabs(result.auKm * qs / result.q) : NaN; };
    result.auSigmaKm = auSigma(qSigma);
    result.auSigmaFormalKm = auSigma(result.qSigmaFormal);
    result.auSigmaResampledKm = auSigma(result.qSigmaResampled);
    result.bounded = result.q > 0.0 && (result.auGiven || !(result.q - qSigma <= 0.0));
    result.parallaxArcsec = result.auKm > 0.0 ? SolarParallax(result.auKm) : NaN;
    result.parallaxSigmaArcsec = result.parallaxArcsec * result.auSigmaKm / result.auKm;

    // References, offsets and per-timing results.
    for (std::size_t j = 0; j < solution.hasOffset.size(); ++j) {
        if (solution.hasOffset[j]) result.clockOffsetsS[j] = solution.offset[j];
    }
    // Each category's squared residuals, summed in the order of the rows, in one pass over them.
    std::vector<double> squares(categories.size(), 0.0);
    std::vector<long> usedIn(categories.size(), 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!(omega[i] > 0.0)) continue;
        const auto c = static_cast<std::size_t>(rows[i].category);
        squares[c] += solution.residual[i] * solution.residual[i];
        ++usedIn[c];
    }
    for (std::size_t c = 0; c < categories.size(); ++c) {
        if (std::isnan(solution.reference[c])) continue;
        ContactFit contact;
        contact.start = categories[c].start, contact.end = categories[c].end, contact.transit = categories[c].transit;
        contact.referenceS = solution.reference[c];
        contact.used = usedIn[c];
        const double sum = squares[c];
        contact.rmsS = contact.used > 0 ? std::sqrt(sum / static_cast<double>(contact.used)) : NaN;
        if (exact) contact.offsetS = OffsetFromPrediction(models[static_cast<std::size_t>(contact.transit)].elements, contact);
        if (contact.end == 0) contact.referenceS = std::fmod(std::fmod(contact.referenceS, DaySeconds) + DaySeconds, DaySeconds);
        result.contacts.push_back(contact);
    }
    std::sort(result.contacts.begin(), result.contacts.end(), [](const ContactFit& a, const ContactFit& b) {
        if (a.transit != b.transit) return a.transit < b.transit;
        return (a.end != 0) != (b.end != 0) ? a.end == 0 : std::pair{a.start, a.end} < std::pair{b.start, b.end};
    });

    result.timings.assign(count, TimingFit{});
    // Each timing's result is its own: a million are worked in pieces.
    std::mutex countLock;
    ForEachPiece(count, TimingsPerPiece, [&](std::size_t begin, std::size_t end) {
        long used = 0, rejectedHere = 0;
        for (std::size_t i = begin; i < end; ++i) {
            const Row& row = rows[i];
            TimingFit& fit = result.timings[i];
            fit.oMinusCS = ResidualFor(solution, row, row.category, row.g);
            fit.leverS = row.g;
            // The prediction at the fitted q, from the linearisation's within LinearS.
            if (exact) fit.predictedS = predicted[i] + (solution.q - q0) * row.g;
            fit.used = omega[i] > 0.0;
            used += fit.used;
            rejectedHere += rejected[i] != 0;
        }
        const std::scoped_lock held(countLock);
        result.used += used;
        result.rejected += rejectedHere;
    });
    return result;
}

std::span<const TimingFinding> FindingsOf(const FitResult& result, std::size_t timing) {
    const auto before = [](const TimingFinding& f, std::size_t i) { return f.timing < i; };
    const auto first = std::lower_bound(result.findings.begin(), result.findings.end(), timing, before);
    auto last = first;
    while (last != result.findings.end() && last->timing == timing) ++last;
    return {first, last};
}

}  // namespace fitting
