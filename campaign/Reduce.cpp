// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Reduce.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <vector>
#include <utility>

#include "WeightedFit.h"
#include "WhichTransit.h"

namespace campaign {

namespace {

// The transit most of the dated timings belong to: one wrong date cannot outvote the rest, and the rows of
// other days are reported one by one as foreign. With no date at all, the one the timings match at their
// sites. false, with the refusal of the most frequent date and its first timing's line, when no date belongs
// to a transit, or ChooseByTimings's refusal.
bool ChooseByDates(const Campaign& campaign, CoefficientSource source, Reduction& r) {
    struct Date {
        int year, month, day;
        long count;
        std::size_t first;
    };
    std::vector<Date> dates;
    std::map<std::tuple<int, int, int>, std::size_t> index;
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        const Timing& t = campaign.timings[i];
        if (t.year == 0) continue;
        const auto [it, added] = index.try_emplace({t.year, t.month, t.day}, dates.size());
        if (added) dates.push_back({t.year, t.month, t.day, 0, i});
        ++dates[it->second].count;
    }
    if (dates.empty()) return ChooseByTimings(campaign, source, r.choice, r.refusal);
    std::stable_sort(dates.begin(), dates.end(), [](const Date& a, const Date& b) { return a.count > b.count; });
    // Each date asks the ephemeris (milliseconds); the most frequent dates decide, so a file of a million
    // different typos costs no more than a few dozen.
    constexpr std::size_t MostDates = 24;
    struct Votes {
        long count = 0;
        TransitChoice choice;
    };
    std::map<std::string, Votes> votes;
    for (std::size_t k = 0; k < std::min(dates.size(), MostDates); ++k) {
        TransitChoice choice;
        TransitRefusal refusal;
        if (!ChooseTransit(dates[k].year, dates[k].month, dates[k].day, source, choice, refusal)) continue;
        Votes& v = votes[choice.date];
        v.count += dates[k].count;
        v.choice = std::move(choice);  // every date of one transit chooses the same
    }
    if (votes.empty()) {
        const Timing& t = campaign.timings[dates.front().first];
        ChooseTransit(t.year, t.month, t.day, source, r.choice, r.refusal);
        r.refusedFile = t.file, r.refusedLine = t.line;
        return false;
    }
    const auto best = std::max_element(votes.begin(), votes.end(),
                                       [](const auto& a, const auto& b) { return a.second.count < b.second.count; });
    r.choice = best->second.choice;
    return true;
}

}  // namespace

Reduction Reduce(Campaign campaign, const ReduceOptions& options, std::ostream& err) {
    Reduction r;
    r.clockOffsets = options.fit.clockOffsets;
    r.seed = options.fit.seed;
    if (options.transitGiven) {
        if (!ChooseTransit(options.transitYear, options.transitMonth, options.transitDay, options.coefficients, r.choice,
                           r.refusal)) {
            r.outcome = Outcome::NoTransit;
            r.campaign = std::move(campaign);
            return r;
        }
    } else if (!ChooseByDates(campaign, options.coefficients, r)) {
        r.outcome = Outcome::NoTransit;
        r.campaign = std::move(campaign);
        return r;
    }
    r.refusedFile = -1, r.refusedLine = 0;
    // ElementsOf fails only for a transit without contacts 1 and 4, which ChooseTransit never gives.
    // The exact model needs no coefficients: the 2004 table gives way to the ephemeris.
    if (options.model == SiteModelKind::Exact && ephemeris::ElementsOf(r.choice.transit, r.choice.model.elements)) {
        const ephemeris::BesselianElements elements = r.choice.model.elements;
        r.choice.model = EphemerisSiteModel(r.choice.transit);
        r.choice.model.elements = elements;
        r.choice.model.kind = SiteModelKind::Exact;
        r.choice.table = false;
    }
    DropForeignTimings(r.choice, campaign, err);
    MarkDuplicates(campaign);
    r.campaign = std::move(campaign);
    FitState state;
    state.sunAltitude = SunAltitudes(r.campaign, r.choice);
    r.fit = FitCampaign(r.campaign, r.choice.model, options.fit, state);
    if (!r.fit.fitted) {
        r.outcome = Outcome::NoFit;
        return r;
    }
    Diagnose(r.campaign, r.choice, state, r.fit);
    // The exact model has no linearisation to be biased by.
    if (r.choice.model.kind == SiteModelKind::Linear) r.fit.modelBias = LinearModelBias(r.campaign, r.choice, r.fit, options.fit);
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
