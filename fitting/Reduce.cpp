// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Reduce.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <map>
#include <string>
#include <system_error>
#include <thread>
#include <tuple>
#include <vector>
#include <utility>

#include "WeightedFit.h"
#include "WhichTransit.h"

namespace fitting {

using namespace campaign;

namespace {

// Each file's undated timings belong to the transit most of its dated timings belong to; a file without a
// dated timing is identified by its timings at their sites. One wrong date cannot outvote the rest, and the
// rows of other days are reported one by one as foreign.
struct Tally {
    std::vector<TransitChoice> transits;  // in order of first choice
    std::vector<long> votes;              // timings per transit
};

// The index of choice in tally, added when new.
int Enter(Tally& tally, TransitChoice choice) {
    for (std::size_t k = 0; k < tally.transits.size(); ++k) {
        if (tally.transits[k].date == choice.date && tally.transits[k].planet == choice.planet) return static_cast<int>(k);
    }
    tally.transits.push_back(std::move(choice));
    tally.votes.push_back(0);
    return static_cast<int>(tally.transits.size() - 1);
}

// The transits the timings belong to, the one with most timings first, each timing's transit set: every
// transit a date of the campaign touches (the most frequent dates decide: each asks the ephemeris, in
// milliseconds, so a file of a million different typos costs no more than a few dozen), each undated timing
// in its file's. false, with the refusal of the most frequent date and its first timing's line, when no date
// belongs to a transit and no file can be identified otherwise, or ChooseByTimings's refusal.
bool ChooseTransits(Campaign& campaign, CoefficientSource source, Reduction& r) {
    struct Date {
        int year, month, day;
        long count;
        std::size_t first;
        int transit = -1;
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
    std::vector<std::size_t> order(dates.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return dates[a].count > dates[b].count; });
    constexpr std::size_t MostDates = 24;
    Tally tally;
    for (std::size_t k = 0; k < std::min(order.size(), MostDates); ++k) {
        Date& d = dates[order[k]];
        TransitChoice choice;
        TransitRefusal refusal;
        if (ChooseTransit(d.year, d.month, d.day, source, choice, refusal)) d.transit = Enter(tally, std::move(choice));
    }
    // Per file, the votes of its dated timings and whether it has an undated one.
    const std::size_t files = campaign.files.size();
    std::vector<std::vector<long>> fileVotes(files);
    std::vector<char> undated(files, 0);
    auto transitOfDate = [&](const Timing& t) {
        return t.year == 0 ? -1 : dates[index.at({t.year, t.month, t.day})].transit;
    };
    for (const Timing& t : campaign.timings) {
        const auto f = static_cast<std::size_t>(t.file);
        const int k = transitOfDate(t);
        if (k < 0) {
            undated[f] |= t.year == 0;
            continue;
        }
        fileVotes[f].resize(tally.transits.size(), 0);
        ++fileVotes[f][static_cast<std::size_t>(k)];
    }
    std::vector<int> fileTransit(files, -1);
    for (std::size_t f = 0; f < files; ++f) {
        const std::vector<long>& v = fileVotes[f];
        if (!v.empty()) fileTransit[f] = static_cast<int>(std::max_element(v.begin(), v.end()) - v.begin());
    }
    // A file of undated timings alone: its timings say which transit (the whole campaign when it is the only file).
    for (std::size_t f = 0; f < files; ++f) {
        if (fileTransit[f] >= 0 || !undated[f]) continue;
        Campaign own;
        const bool alone = std::all_of(campaign.timings.begin(), campaign.timings.end(),
                                       [&](const Timing& t) { return static_cast<std::size_t>(t.file) == f; });
        if (!alone) {
            own.files = campaign.files;
            own.observers = campaign.observers;
            for (const Timing& t : campaign.timings) {
                if (static_cast<std::size_t>(t.file) == f) own.timings.push_back(t);
            }
        }
        TransitChoice choice;
        if (!ChooseByTimings(alone ? campaign : own, source, choice, r.refusal)) {
            if (!alone) r.refusedFile = static_cast<int>(f), r.refusedLine = 0;
            return false;
        }
        fileTransit[f] = Enter(tally, std::move(choice));
    }
    if (tally.transits.empty()) {
        if (dates.empty()) return false;
        const Timing& t = campaign.timings[dates[order.front()].first];
        TransitChoice refused;
        ChooseTransit(t.year, t.month, t.day, source, refused, r.refusal);
        r.refusedFile = t.file, r.refusedLine = t.line;
        return false;
    }
    // Each timing's transit: its date's, else its file's, else the first one's (where DropForeignTimings says why).
    for (Timing& t : campaign.timings) {
        int k = transitOfDate(t);
        if (k < 0) k = fileTransit[static_cast<std::size_t>(t.file)];
        if (k < 0) k = 0;
        t.transit = static_cast<std::int8_t>(k);
        ++tally.votes[static_cast<std::size_t>(k)];
    }
    // The transit with most timings first: a campaign of one transit with a stray date reads as before.
    std::vector<std::size_t> rank(tally.transits.size());
    for (std::size_t k = 0; k < rank.size(); ++k) rank[k] = k;
    std::stable_sort(rank.begin(), rank.end(), [&](std::size_t a, std::size_t b) { return tally.votes[a] > tally.votes[b]; });
    std::vector<std::int8_t> renumber(rank.size());
    for (std::size_t k = 0; k < rank.size(); ++k) {
        renumber[rank[k]] = static_cast<std::int8_t>(k);
        r.transits.push_back(std::move(tally.transits[rank[k]]));
    }
    for (Timing& t : campaign.timings) t.transit = renumber[static_cast<std::size_t>(t.transit)];
    return true;
}

// One observer's timings of two transits were made with two clocks: the second transit's become an
// observer of their own, of the same name, so that clock offsets, contact order and the jackknife keep them apart.
void SplitObserversByTransit(Campaign& campaign) {
    std::vector<int> transitOf(campaign.observers.size(), -1);
    std::map<std::pair<int, int>, int> split;
    for (Timing& t : campaign.timings) {
        int& first = transitOf[static_cast<std::size_t>(t.observer)];
        if (first < 0) first = t.transit;
        if (first == t.transit) continue;
        const auto [it, added] = split.try_emplace({t.observer, t.transit}, static_cast<int>(campaign.observers.size()));
        if (added) campaign.observers.push_back(campaign.observers[static_cast<std::size_t>(t.observer)]);
        t.observer = it->second;
    }
}

}  // namespace

Reduction Reduce(Campaign campaign, const ReduceOptions& options, std::ostream& err) {
    Reduction r;
    r.clockOffsets = options.fit.clockOffsets;
    r.seed = options.fit.seed;
    if (options.transitGiven) {
        TransitChoice choice;
        if (!ChooseTransit(options.transitYear, options.transitMonth, options.transitDay, options.coefficients, choice,
                           r.refusal)) {
            r.outcome = Outcome::NoTransit;
            r.campaign = std::move(campaign);
            return r;
        }
        r.transits.push_back(std::move(choice));
        for (Timing& t : campaign.timings) t.transit = 0;
    } else if (!ChooseTransits(campaign, options.coefficients, r)) {
        r.outcome = Outcome::NoTransit;
        r.campaign = std::move(campaign);
        return r;
    }
    r.refusedFile = -1, r.refusedLine = 0;
    // ElementsOf fails only for a transit without contacts 1 and 4, which ChooseTransit never gives.
    // The exact model needs no coefficients: the 2004 table gives way to the ephemeris. The ephemeris works
    // out the models on a thread of their own while the timings are sorted out here, which asks it nothing.
    std::vector<SiteModel> exactModels(r.transits.size());
    std::vector<char> exact(r.transits.size(), 0);
    auto makeModels = [&] {
        for (std::size_t k = 0; k < r.transits.size(); ++k) {
            SiteModel& model = exactModels[k];
            if (options.model != SiteModelKind::Exact || !ephemeris::ElementsOf(r.transits[k].transit, model.elements)) continue;
            const ephemeris::BesselianElements elements = model.elements;
            model = EphemerisSiteModel(r.transits[k].transit);
            model.elements = elements;
            model.kind = SiteModelKind::Exact;
            exact[k] = 1;
        }
    };
    {
        // Out of memory there is carried here, where the program's edge reports it.
        std::exception_ptr failure;
        std::jthread models;  // joined before the models are used, however this block ends
        // The library reports a thread it cannot start by throwing: the models are then made here, after.
        try {
            models = std::jthread([&] {
                try {
                    makeModels();
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
        }
        DropForeignTimings(r.transits, campaign, err);
        if (r.transits.size() > 1) SplitObserversByTransit(campaign);
        MarkDuplicates(campaign);
        if (models.joinable()) models.join();
        else makeModels();
        if (failure) std::rethrow_exception(failure);
    }
    for (std::size_t k = 0; k < r.transits.size(); ++k) {
        if (!exact[k]) continue;
        r.transits[k].model = exactModels[k];
        r.transits[k].table = false;
    }
    r.campaign = std::move(campaign);
    FitState state;
    state.sunAltitude = SunAltitudes(r.campaign, r.transits);
    std::vector<SiteModel> models;
    for (const TransitChoice& choice : r.transits) models.push_back(choice.model);
    r.fit = FitCampaign(r.campaign, models, options.fit, state);
    if (!r.fit.fitted) {
        r.outcome = Outcome::NoFit;
        return r;
    }
    Diagnose(r.campaign, r.transits, state, r.fit);
    // The exact model has no linearisation to be biased by.
    if (r.transits.size() == 1 && r.transits.front().model.kind == SiteModelKind::Linear) {
        r.fit.modelBias = LinearModelBias(r.campaign, r.transits.front(), r.fit, options.fit);
    }
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
    const FitResult fit = FitCampaign(exact, {choice.model}, plain, state);
    if (!fit.fitted || !(fit.auKm > 0.0)) return NaN;
    return fit.auKm / ReferenceAuKm - 1.0;
}

}  // namespace fitting
