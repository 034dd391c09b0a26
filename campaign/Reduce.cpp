// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Reduce.h"

#include <cmath>
#include <limits>
#include <map>
#include <utility>

#include "WeightedFit.h"

namespace campaign {

Reduction Reduce(Campaign campaign, const ReduceOptions& options, std::ostream& err) {
    Reduction r;
    r.clockOffsets = options.fit.clockOffsets;
    r.seed = options.fit.seed;
    // The transit: as asked, else the first date in the data, else that of the coefficient table.
    int year = 2004, month = 6, day = 8;
    if (options.transitYear != 0) {
        year = options.transitYear, month = options.transitMonth, day = options.transitDay;
    } else {
        for (const Timing& t : campaign.timings) {
            if (t.year != 0) {
                year = t.year, month = t.month, day = t.day;
                r.refusedFile = t.file, r.refusedLine = t.line;
                break;
            }
        }
    }
    if (!ChooseTransit(year, month, day, options.coefficients, r.choice, r.refusal)) {
        r.outcome = Outcome::NoTransit;
        r.campaign = std::move(campaign);
        return r;
    }
    r.refusedFile = -1, r.refusedLine = 0;
    DropForeignTimings(r.choice, campaign, err);
    MarkDuplicates(campaign);
    r.campaign = std::move(campaign);
    FitState state;
    r.fit = FitCampaign(r.campaign, r.choice.model, options.fit, state);
    if (!r.fit.fitted) {
        r.outcome = Outcome::NoFit;
        return r;
    }
    Diagnose(r.campaign, r.choice, state, r.fit);
    r.fit.modelBias = LinearModelBias(r.campaign, r.choice, r.fit, options.fit);
    return r;
}

double LinearModelBias(const Campaign& campaign, const TransitChoice& choice, const FitResult& result,
                       const FitOptions& options) {
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    constexpr std::size_t MostTimings = 400, MostSites = 100;
    if (choice.table) return NaN;
    std::vector<std::size_t> used;
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        if (result.timings[i].used) used.push_back(i);
    }
    if (used.empty()) return NaN;
    const std::size_t stride = (used.size() + MostTimings - 1) / MostTimings;
    Campaign exact;
    exact.files = campaign.files;
    exact.observers = campaign.observers;
    std::map<std::pair<double, double>, ephemeris::LocalCircumstances> sites;
    for (std::size_t k = 0; k < used.size(); k += stride) {
        const Timing& t = campaign.timings[used[k]];
        const auto key = std::pair{t.latitudeDegrees, t.longitudeDegrees};
        auto found = sites.find(key);
        if (found == sites.end()) {
            ephemeris::LocalCircumstances local;
            if (sites.size() >= MostSites || !ephemeris::LocalContacts(choice.transit, t.latitudeDegrees, t.longitudeDegrees, t.altitudeM, local)) {
                continue;
            }
            found = sites.emplace(key, local).first;
        }
        const ephemeris::LocalCircumstances& local = found->second;
        if (!local.contactHappens[t.start - 1] || (t.end != 0 && !local.contactHappens[t.end - 1])) continue;
        Timing model = t;
        model.year = 0;
        const double start = local.contactJdUt[t.start - 1];
        if (t.end == 0) {
            model.seconds = (start - 0.5 - std::floor(start - 0.5)) * DaySeconds;
        } else {
            model.seconds = (local.contactJdUt[t.end - 1] - start) * DaySeconds;
        }
        exact.timings.push_back(model);
    }
    FitOptions plain = options;
    plain.keepAll = true;  // exact contacts have no outliers; the model's own misfit must stay in
    plain.resamples = 0;
    FitState state;
    const FitResult fit = FitCampaign(exact, choice.model, plain, state);
    if (!fit.fitted || !(fit.auKm > 0.0)) return NaN;
    return fit.auKm / ReferenceAuKm - 1.0;
}

}  // namespace campaign
