// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Diagnoses.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <limits>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

#include "Fit.h"
#include "Pieces.h"
#include "Robust.h"
#include "Transit.h"
#include "WeightedFit.h"

namespace fitting {

using namespace campaign;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Timings, or observers, diagnosed at a time on a thread: fewer are not worth one.
constexpr std::size_t TimingsPerPiece = 1 << 16;
constexpr std::size_t ObserversPerPiece = 1 << 14;

// The findings of one diagnosis over timings begin..end, in the order it raises them: Raise applies them.
using Found = std::vector<TimingFinding>;

// A duplicate or a copy is used once: its first is fitted, itself weighs nothing.
void FindDuplicates(const Campaign& campaign, std::size_t begin, std::size_t end, Found& found) {
    for (std::size_t i = begin; i < end; ++i) {
        const Timing& t = campaign.timings[i];
        if (!t.use) found.push_back({i, NotUsed{}});
        if (t.duplicate) found.push_back({i, Duplicate{}});
        if (t.copiedFrom >= 0) found.push_back({i, Copied{campaign.observers[static_cast<std::size_t>(t.copiedFrom)]}});
    }
}

void FindOutliers(const FitState& state, const FitResult& result, std::size_t begin, std::size_t end, Found& found) {
    for (std::size_t k = begin; k < end && k < state.problem.rows.size(); ++k) {
        // Where the Sun was down, that is the reason it was left out.
        const bool sunDown = k < state.sunAltitude.size() && state.sunAltitude[k] < BelowHorizonDegrees;
        if (state.rejected[k] && !sunDown) found.push_back({k, Outlier{result.timings[k].oMinusCS}});
    }
}

// Timings that do not fit, the tolerance being the biweight's edge at the fit's scale: each diagnosis
// proposes a fix, none is applied.
// Both site models ask the linear lever for another contact or a mirrored site: the exact model's references
// are geocentric contact times plus an offset as well, and the lever misses its exact shift by seconds (0.7 % of
// the parallax), far inside the tolerance, so the same timings are flagged (the 2004 sample: the same flags).
// A timing's site with the sign of its latitude ('N') or longitude ('E') turned; differs is false where that
// coordinate is 0 and turning it changes nothing.
struct Flip {
    char which;
    double latitude, longitude;
    bool differs;
};

std::array<Flip, 2> Flips(const Timing& t) {
    return {{{'N', -t.latitudeDegrees, t.longitudeDegrees, t.latitudeDegrees != 0.0},
             {'E', t.latitudeDegrees, -t.longitudeDegrees, t.longitudeDegrees != 0.0}}};
}

// The exact model's residual of row's time against contact start (end = 0) or the duration start-end at site,
// with that category's reference: NaN where the site does not see it or the category was not fitted.
double ExactResidual(const SiteModel& model, const Solution& solution, const Row& row, double seconds, int start,
                     int end, int category, const ephemeris::ElementsSite& site) {
    double predicted = 0.0, shift = 0.0, perQ = 0.0;
    if (category < 0 || std::isnan(solution.reference[static_cast<std::size_t>(category)]) ||
        !PredictTiming(model, start, end, site, solution.q, predicted, shift, perQ)) {
        return NaN;
    }
    const auto j = static_cast<std::size_t>(row.observer);
    const double offset = row.clock && solution.hasOffset[j] ? solution.offset[j] : 0.0;
    const double r = seconds - solution.reference[static_cast<std::size_t>(category)] - shift - offset;
    return row.clock ? Fold(r, 0.0) : r;
}

// The exact model's diagnoses: each proposed fix is the timing against its own prediction so changed (another
// contact's, the mirrored site's), and is proposed only when it fits within the tolerance and at most a third
// of the O-C is left.
void FindExactMisfits(const Campaign& campaign, const std::vector<TransitChoice>& transits, const FitState& state,
                      const FitResult& result, std::size_t begin, std::size_t end, Found& found) {
    const std::vector<Row>& rows = state.problem.rows;
    const Solution& solution = state.solution;
    for (std::size_t i = begin; i < end && i < rows.size(); ++i) {
        const Row& row = rows[i];
        const Timing& t = campaign.timings[i];
        const TimingFit& fit = result.timings[i];
        if (t.duplicate || t.copiedFrom >= 0 || !(row.w > 0.0)) continue;
        const double tolerance = TukeyC * state.scale * std::sqrt(1.0 / row.w);
        const double oc = fit.oMinusCS;
        if (!(std::fabs(oc) > tolerance)) continue;
        auto fits = [&](double fixed) { return std::fabs(fixed) <= tolerance && std::fabs(fixed) <= std::fabs(oc) / 3.0; };
        if (row.clock) {
            const double halfHours = std::round(oc / 1800.0);
            if (std::fabs(halfHours) >= 1 && std::fabs(halfHours) <= 28 && fits(oc - halfHours * 1800.0)) {
                found.push_back({i, TimeZone{halfHours / 2.0}});
            }
        }
        const SiteModel& model = transits[static_cast<std::size_t>(t.transit)].model;
        const ephemeris::ElementsSite site = ephemeris::ElementsSiteOf(t.latitudeDegrees, t.longitudeDegrees, t.altitudeM);
        if (row.clock) {
            for (int other = 1; other <= 4; ++other) {
                if (other == t.start) continue;
                const int category = 4 * t.transit + other - 1;
                const double r = ExactResidual(model, solution, row, t.seconds, other, 0, category, site);
                if (fits(r)) {
                    found.push_back({i, WrongContact{other, r}});
                    break;
                }
            }
        }
        for (const Flip& flip : Flips(t)) {
            if (!flip.differs) continue;
            const double r = ExactResidual(model, solution, row, t.seconds, t.start, t.end, row.category,
                                           ephemeris::ElementsSiteOf(flip.latitude, flip.longitude, t.altitudeM));
            if (fits(r)) {
                found.push_back({i, CoordinateSign{flip.which, r}});
                break;
            }
        }
    }
}

// A dated clock time whose date is not the day its contact came at its site, by the exact prediction.
void FindWrongDay(const Campaign& campaign, const std::vector<TransitChoice>& transits, const FitResult& result,
                  std::size_t begin, std::size_t end, Found& found) {
    for (std::size_t i = begin; i < end; ++i) {
        const Timing& t = campaign.timings[i];
        const TimingFit& fit = result.timings[i];
        if (t.end != 0 || t.year == 0 || std::isnan(fit.predictedS) || std::isnan(fit.oMinusCS)) continue;
        // The predicted time of day falls on the day nearest the geocentric contact; the timing's on its date.
        const double reference = transits[static_cast<std::size_t>(t.transit)].transit.contactJdUt[t.start - 1];
        const double predictedJd = JdOf(Timing{}, fit.predictedS, reference);
        const double days = std::round(JdOf(t, t.seconds, reference) - predictedJd);
        if (days != 0.0) found.push_back({i, WrongDay{static_cast<int>(days)}});
    }
}

void FindMisfits(const Campaign& campaign, const std::vector<TransitChoice>& transits, const FitState& state,
                 const FitResult& result, std::size_t begin, std::size_t end, Found& found) {
    const std::vector<Row>& rows = state.problem.rows;
    const Solution& solution = state.solution;
    const double scale = state.scale;
    for (std::size_t i = begin; i < end && i < rows.size(); ++i) {
        const Row& row = rows[i];
        const Timing& t = campaign.timings[i];
        const TimingFit& fit = result.timings[i];
        // A duplicate's first is diagnosed; a weight of 0 would make the tolerance infinite.
        if (t.duplicate || t.copiedFrom >= 0 || !(row.w > 0.0)) continue;
        const double sigma = std::sqrt(1.0 / row.w);
        const double tolerance = TukeyC * scale * sigma;
        const double oc = fit.oMinusCS;
        if (!(std::fabs(oc) > tolerance)) continue;
        const SiteModel& model = transits[static_cast<std::size_t>(t.transit)].model;
        if (row.clock && std::fabs(oc) >= 3000.0) {
            const double halfHours = std::round(oc / 1800.0);
            if (std::fabs(halfHours) >= 2 && std::fabs(halfHours) <= 28 && std::fabs(oc - halfHours * 1800.0) <= 300.0) {
                found.push_back({i, TimeZone{halfHours / 2.0}});
            }
        }
        if (row.clock) {
            for (int other = 1; other <= 4; ++other) {
                const int category = 4 * t.transit + other - 1;
                if (other == t.start || std::isnan(solution.reference[static_cast<std::size_t>(category)])) continue;
                const double lever = SiteLever(model, other, 0, t.latitudeDegrees, t.longitudeDegrees);
                const double r = ResidualFor(solution, row, category, lever);
                if (std::fabs(r) <= tolerance) {
                    found.push_back({i, WrongContact{other, r}});
                    break;
                }
            }
        }
        for (const Flip& flip : Flips(t)) {
            if (!flip.differs) continue;
            const double lever = SiteLever(model, t.start, t.end, flip.latitude, flip.longitude);
            const double r = ResidualFor(solution, row, row.category, lever);
            if (std::fabs(r) <= tolerance) {
                found.push_back({i, CoordinateSign{flip.which, r}});
                break;
            }
        }
    }
}

// Each observer's clock times that are not in the order of their contacts, on times unwrapped across
// midnight along the reference times.
void FindContactOrder(const Campaign& campaign, int transitCount, const FitState& state, Found& found) {
    const std::vector<Row>& rows = state.problem.rows;
    const Solution& solution = state.solution;
    const std::size_t count = rows.size();
    const auto observers = campaign.observers.size();
    // Each transit's references in the order of its contacts (an observer's timings are of one transit).
    const std::size_t contacts = 4 * static_cast<std::size_t>(transitCount);
    std::vector<double> unwrapped(contacts, NaN);
    double previous = -std::numeric_limits<double>::infinity();
    for (std::size_t c = 0; c < contacts; ++c) {
        if (c % 4 == 0) previous = -std::numeric_limits<double>::infinity();
        double reference = solution.reference[c];
        if (std::isnan(reference)) continue;
        // Whole days in one step: a fit the data hardly determine can leave references 10^12 s apart, where a
        // loop of days would run for hours, or for ever once a day no longer changes the sum.
        if (reference < previous) reference += DaySeconds * std::ceil((previous - reference) / DaySeconds);
        unwrapped[c] = previous = reference;
    }
    // The clock times of each observer, gathered by counting: one list for all, not one allocation per observer.
    std::vector<std::size_t> start(observers + 1, 0), byObserver;
    // A timing its row leaves out may be anything: it puts no other in doubt.
    auto ordered = [&](const Timing& t) {
        return t.end == 0 && !t.duplicate && t.copiedFrom < 0 && t.use && !std::isnan(unwrapped[ContactIndex(t)]);
    };
    for (const Timing& t : campaign.timings) {
        if (ordered(t)) ++start[static_cast<std::size_t>(t.observer) + 1];
    }
    for (std::size_t j = 1; j < start.size(); ++j) start[j] += start[j - 1];
    byObserver.resize(start.back());
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        if (ordered(campaign.timings[i])) byObserver[next[static_cast<std::size_t>(campaign.timings[i].observer)]++] = i;
    }
    auto when = [&](std::size_t i) {
        const Row& row = rows[i];
        const double r = row.y - solution.reference[static_cast<std::size_t>(row.category)];
        return unwrapped[static_cast<std::size_t>(row.category)] + Fold(r, 0.0);
    };
    // Each observer's times are their own: observers are looked at in pieces, and what the pieces find
    // is raised in their order.
    std::vector<std::pair<std::size_t, Found>> pieces;
    std::mutex lock;
    ForEachPiece(start.size() - 1, ObserversPerPiece, [&](std::size_t firstObserver, std::size_t lastObserver) {
    Found own;
    for (std::size_t j = firstObserver; j < lastObserver; ++j) {
        const auto list = std::span(byObserver).subspan(start[j], start[j + 1] - start[j]);
        // Per contact the earliest and the latest of the observer's times: a time is out of order when it is not
        // before every later contact's earliest, or not after every earlier contact's latest.
        double earliest[4], latest[4];
        std::fill(std::begin(earliest), std::end(earliest), std::numeric_limits<double>::infinity());
        std::fill(std::begin(latest), std::end(latest), -std::numeric_limits<double>::infinity());
        for (const std::size_t i : list) {
            const int c = campaign.timings[i].start - 1;
            earliest[c] = std::min(earliest[c], when(i));
            latest[c] = std::max(latest[c], when(i));
        }
        for (const std::size_t i : list) {
            const int c = campaign.timings[i].start - 1;
            for (int other = 0; other < 4; ++other) {
                const bool outOfOrder = (other > c && !(when(i) < earliest[other])) || (other < c && !(when(i) > latest[other]));
                if (!outOfOrder) continue;
                const int first = std::min(c, other) + 1, second = std::max(c, other) + 1;
                own.push_back({i, ContactOrder{first, second}});
                break;
            }
        }
    }
    const std::scoped_lock held(lock);
    pieces.emplace_back(firstObserver, std::move(own));
    });
    std::sort(pieces.begin(), pieces.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& piece : pieces) found.insert(found.end(), piece.second.begin(), piece.second.end());
}

// Where the Sun had not risen, from the altitudes the fit was given.
void FindBelowHorizon(const FitState& state, const FitResult& result, std::size_t begin, std::size_t end, Found& found) {
    for (std::size_t i = begin; i < end && i < state.sunAltitude.size() && i < result.timings.size(); ++i) {
        if (state.sunAltitude[i] < BelowHorizonDegrees) found.push_back({i, BelowHorizon{state.sunAltitude[i]}});
    }
}

}  // namespace

std::vector<float> SunAltitudes(const Campaign& campaign, const std::vector<TransitChoice>& transits) {
    // One subsolar point per contact serves every site: the contacts of a transit span hours, not days.
    std::vector<ephemeris::SubsolarPoint> points(transits.size() * ephemeris::ContactCount);
    for (std::size_t k = 0; k < transits.size(); ++k) {
        const ephemeris::Transit& transit = transits[k].transit;
        for (int c = 0; c < ephemeris::ContactCount; ++c) {
            if (transit.contactHappens[c]) points[k * ephemeris::ContactCount + static_cast<std::size_t>(c)] = ephemeris::SubsolarPointAt(transit.contactJdUt[c]);
        }
    }
    std::vector<float> altitudes(campaign.timings.size(), 90.0F);
    // Each timing's altitude is its own: a million are worked in pieces.
    constexpr std::size_t TimingsPerPiece = 1 << 16;
    ForEachPiece(campaign.timings.size(), TimingsPerPiece, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const Timing& t = campaign.timings[i];
            const auto k = static_cast<std::size_t>(t.transit);
            const ephemeris::Transit& transit = transits[k].transit;
            double lowest = 90.0;
            for (const int contact : {t.start, t.end}) {
                if (contact == 0 || !transit.contactHappens[contact - 1]) continue;
                const double reference = transit.contactJdUt[contact - 1];
                const double jd = t.end == 0 ? JdOf(t, t.seconds, reference) : reference;
                const ephemeris::SubsolarPoint& point = points[k * ephemeris::ContactCount + static_cast<std::size_t>(contact - 1)];
                lowest = std::fmin(lowest, ephemeris::SunAltitudeFrom(point, jd, t.latitudeDegrees, t.longitudeDegrees));
            }
            altitudes[i] = static_cast<float>(lowest);
        }
    });
    return altitudes;
}

const char* FlagWord(Flag flag) {
    static const char* const Words[FlagCount] = {"duplicate", "time-zone", "wrong-contact", "coordinate-sign",
                                                 "contact-order", "outlier", "below-horizon", "copied", "wrong-day",
                                                 "not-used"};
    return Words[flag];
}

std::string FlagWords(unsigned flagBits) {
    std::string words;
    for (int flag = 0; flag < FlagCount; ++flag) {
        if (!(flagBits & (1u << flag))) continue;
        if (!words.empty()) words += ' ';
        words += FlagWord(static_cast<Flag>(flag));
    }
    return words;
}

void Raise(FitResult& result, std::size_t i, const Finding& finding) {
    const unsigned bit = 1u << finding.index();
    unsigned& flagBits = result.timings[i].flagBits;
    if (flagBits & bit) return;
    flagBits |= bit;
    result.findings.push_back({i, finding});
}

void OrderFindings(FitResult& result) {
    // Each diagnosis raises in file order: the list is a few sorted runs, and a stable sort keeps the order
    // in which one timing's findings were raised.
    std::stable_sort(result.findings.begin(), result.findings.end(),
                     [](const TimingFinding& a, const TimingFinding& b) { return a.timing < b.timing; });
}

void Diagnose(const Campaign& campaign, const std::vector<TransitChoice>& transits, const FitState& state,
              FitResult& result) {
    // Each timing is diagnosed on its own: a million are diagnosed in pieces, each diagnosis listing what it
    // finds, and the lists are raised diagnosis by diagnosis, each in the order of the timings, as one thread
    // going through them in turn would raise them.
    const bool exact = transits.front().model.kind == SiteModelKind::Exact;
    enum { Duplicates, Outliers, Misfits, Order, Horizon, Days, Diagnoses };
    std::vector<std::pair<std::size_t, std::array<Found, Diagnoses>>> pieces;
    std::mutex lock;
    ForEachPiece(campaign.timings.size(), TimingsPerPiece, [&](std::size_t begin, std::size_t end) {
        std::array<Found, Diagnoses> found;
        FindDuplicates(campaign, begin, end, found[Duplicates]);
        FindOutliers(state, result, begin, end, found[Outliers]);
        if (exact) FindExactMisfits(campaign, transits, state, result, begin, end, found[Misfits]);
        else FindMisfits(campaign, transits, state, result, begin, end, found[Misfits]);
        FindBelowHorizon(state, result, begin, end, found[Horizon]);
        if (exact) FindWrongDay(campaign, transits, result, begin, end, found[Days]);
        const std::scoped_lock held(lock);
        pieces.emplace_back(begin, std::move(found));
    });
    std::sort(pieces.begin(), pieces.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Found order;
    FindContactOrder(campaign, static_cast<int>(transits.size()), state, order);
    for (int d = 0; d < Diagnoses; ++d) {
        if (d == Order) {
            for (const TimingFinding& f : order) Raise(result, f.timing, f.finding);
            continue;
        }
        for (const auto& piece : pieces) {
            for (const TimingFinding& f : piece.second[static_cast<std::size_t>(d)]) Raise(result, f.timing, f.finding);
        }
    }
    OrderFindings(result);
}

}  // namespace fitting
