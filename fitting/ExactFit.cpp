// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "ExactFit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <utility>

#include "Pieces.h"
#include "Robust.h"

namespace fitting {

using namespace campaign;

namespace {

// Timings of one site follow each other: whether timing i begins a run of its own.
bool NewSite(const std::vector<Timing>& timings, std::size_t i) {
    const Timing& t = timings[i];
    return i == 0 || t.latitudeDegrees != timings[i - 1].latitudeDegrees || t.longitudeDegrees != timings[i - 1].longitudeDegrees ||
           t.altitudeM != timings[i - 1].altitudeM;
}

// Predictions are some microseconds each: fewer than this many are not worth a thread.
constexpr std::size_t PredictionsPerPiece = 4096;

// A clock time this near its geocentric contact is a better start for the first search than that contact:
// a step fewer. Farther off (a time zone, another contact) the geocentric contact stays the start.
constexpr double NearContactS = 600.0;

// The shift of a clock time from its contact's geocentric time, as the start of the first search; NaN where
// it is not near.
double ShiftFromGeocentric(const SiteModel& model, const Timing& t, double time) {
    const ephemeris::BesselianElements& e = model.elements;
    if (t.end != 0 || t.start < 1 || t.start > ephemeris::ContactCount || !e.contactHappens[t.start - 1]) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const double shift = Fold(time - UtSecondsOfDay(e.contactJdUt[t.start - 1]), 0.0);
    return std::fabs(shift) < NearContactS ? shift : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

void LineariseExact(const Campaign& campaign, const std::vector<SiteModel>& models, const std::vector<double>& median,
                    double q0, FitProblem& problem, std::vector<double>& omega, std::vector<double>& predictedS,
                    Linearisation& at) {
    std::vector<Row>& rows = problem.rows;
    std::vector<ephemeris::ElementsSite>& sites = at.sites;
    // The levers before are the exact model's only after a linearisation of it.
    const bool before = std::isfinite(at.q);
    double curvature = 0.0;  // the largest bend of a prediction in q, over the pieces
    std::mutex curvatureLock;
    predictedS.assign(campaign.timings.size(), std::numeric_limits<double>::quiet_NaN());
    // A site costs as much as a prediction: kept for the next linearisation where several timings share it.
    const bool known = !sites.empty();
    // The runs of sites, counted at every PredictionsPerPiece-th row too: a piece finds the run it begins in
    // from the mark before its start.
    std::size_t runs = 0;
    std::vector<std::size_t> runsBefore;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i % PredictionsPerPiece == 0) runsBefore.push_back(runs);
        runs += NewSite(campaign.timings, i);
    }
    const bool keep = !known && runs * 2 <= rows.size();
    if (keep) sites.resize(runs);
    // Each timing's prediction is its own: the pieces give the rows the whole would.
    ForEachPiece(rows.size(), PredictionsPerPiece, [&](std::size_t begin, std::size_t end) {
        double largest = 0.0;
        std::size_t run = runsBefore[begin / PredictionsPerPiece];
        for (std::size_t i = begin / PredictionsPerPiece * PredictionsPerPiece; i < begin; ++i) run += NewSite(campaign.timings, i);
        ephemeris::ElementsSite site;
        for (std::size_t i = begin; i < end; ++i) {
            Row& row = rows[i];
            const Timing& t = campaign.timings[i];
            const bool next = NewSite(campaign.timings, i);
            if (next || i == begin) {
                // The run this timing belongs to: a piece may begin inside one.
                const std::size_t index = run - (next ? 0 : 1);
                if (known) {
                    site = sites[index];
                } else {
                    site = ephemeris::ElementsSiteOf(t.latitudeDegrees, t.longitudeDegrees, t.altitudeM);
                    if (keep) sites[index] = site;
                }
            }
            run += next;
            double predicted = 0.0, shift = 0.0, perQ = 0.0, perQSquared = 0.0;
            // A clock time's shift at q0 as the linearisation before has it, to start the search from: its row
            // holds y = t - (S - q g), exact at that q and good to the curvature at q0. The first search starts
            // from the clock time itself where that is near.
            const SiteModel& model = models[static_cast<std::size_t>(t.transit)];
            const double time = row.clock ? Fold(t.seconds, median[ContactIndex(t)]) : t.seconds;
            double from = std::numeric_limits<double>::quiet_NaN();
            if (row.clock && !before) from = ShiftFromGeocentric(model, t, time);
            else if (row.clock && row.g != 0.0) from = time - row.y + q0 * row.g;
            if (!PredictTiming(model, t.start, t.end, site, q0, predicted, shift, perQ, from, &perQSquared)) {
                row.g = 0.0;
                row.y = time;
                row.w = 0.0;
                omega[i] = 0.0;
                continue;
            }
            predictedS[i] = predicted;
            // NaN, where a grazing contact bends without bound, is the largest of all.
            largest = std::isnan(perQSquared) ? perQSquared : std::max(largest, std::fabs(perQSquared));
            row.g = perQ;
            // What the lever does not carry of the shift at q0: the model's curvature, a few seconds at most.
            const double remainder = shift - q0 * perQ;
            row.y = time - remainder;
        }
        const std::scoped_lock lock(curvatureLock);
        curvature = std::isnan(largest) ? largest : std::max(curvature, largest);
    });
    at.curvature = curvature;
    at.q = q0;
}

bool StillLinear(const Linearisation& at, double q) {
    const double move = std::fabs(q - at.q);
    return move < ConvergedQ || (std::isfinite(at.curvature) && 0.5 * 4.0 * at.curvature * move * move < LinearS);
}

void ScreenGross(const FitProblem& problem, double q0, std::vector<double>& omega, std::vector<char>& gross) {
    const std::vector<Row>& rows = problem.rows;
    // Each row's implied reference: its time less its shift at q0, gathered in pieces (a median asks no order).
    const auto categories = static_cast<std::size_t>(problem.categories);
    std::vector<std::vector<double>> implied(categories);
    std::mutex lock;
    ForEachPiece(rows.size(), PredictionsPerPiece, [&](std::size_t begin, std::size_t end) {
        std::vector<std::vector<double>> own(categories);
        for (std::size_t i = begin; i < end; ++i) {
            if (omega[i] > 0.0) own[static_cast<std::size_t>(rows[i].category)].push_back(rows[i].y - q0 * rows[i].g);
        }
        const std::scoped_lock held(lock);
        for (std::size_t c = 0; c < categories; ++c) implied[c].insert(implied[c].end(), own[c].begin(), own[c].end());
    });
    std::vector<double> middle(implied.size());
    for (std::size_t c = 0; c < implied.size(); ++c) middle[c] = Median(std::move(implied[c]));
    ForEachPiece(rows.size(), PredictionsPerPiece, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const Row& row = rows[i];
            if (!(omega[i] > 0.0)) continue;
            const double apart = row.y - q0 * row.g - middle[static_cast<std::size_t>(row.category)];
            if (std::fabs(row.clock ? Fold(apart, 0.0) : apart) > GrossS) omega[i] = 0.0, gross[i] = 1;
        }
    });
}

bool IterateExact(const Campaign& campaign, const std::vector<SiteModel>& models, const std::vector<double>& median,
                  double& q0, FitProblem& problem, std::vector<double>& omega, std::vector<double>& predictedS,
                  Linearisation& at, bool linearised, Solution& solution) {
    // The shift is nearly linear in q: each step gains several digits, and 30 leave room for a far start.
    constexpr int MostSteps = 30;
    for (int step = 0; step < MostSteps; ++step) {
        if (step > 0 || !linearised) LineariseExact(campaign, models, median, q0, problem, omega, predictedS, at);
        solution = Solve(problem, omega);
        if (!solution.determined || !std::isfinite(solution.q)) return false;
        if (StillLinear(at, solution.q)) return true;
        q0 = solution.q;
    }
    LineariseExact(campaign, models, median, q0, problem, omega, predictedS, at);
    solution = Solve(problem, omega);
    return solution.determined && std::isfinite(solution.q);
}

}  // namespace fitting
