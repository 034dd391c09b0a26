// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "WhichTransit.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>
#include <utility>

namespace campaign {
namespace {

// The Besselian elements span contacts 1 to 4 and 1.5 h either side: no site's contact outside is predicted.
constexpr double SpanMarginDays = 1.5 / 24.0;
// A site's contact moves from the geocentric one by its parallax over the rate at which the separation of the
// discs changes, the rate that also sets how long ingress (contacts 1 to 2) and egress last. Over the whole
// catalogue, at sites every 5 degrees that see a contact, the move stays below 0.85 of that length (Venus
// 0.4, Mercury nearest grazing 0.82); half as much again, and a minute, bound it.
constexpr double ShiftPerIngress = 1.5;
constexpr double ShiftMarginS = 60.0;

bool SunUp(const ephemeris::SubsolarPoint& sun, double jdUt, const Timing& t) {
    return ephemeris::SunIsUp(ephemeris::SunAltitudeFrom(sun, jdUt, t.latitudeDegrees, t.longitudeDegrees));
}

// Whether t matches, and by how much (s) when it does.
bool Matches(const Timing& t, const ephemeris::BesselianElements& elements, const ephemeris::SubsolarPoint sun[],
             double& offS) {
    double start = 0.0, end = 0.0, perQ = 0.0;
    if (!ephemeris::PredictContact(elements, t.start, t.latitudeDegrees, t.longitudeDegrees, t.altitudeM, 1.0, start, perQ)) {
        return false;
    }
    if (t.end == 0) {
        offS = t.seconds - (start - 0.5 - std::floor(start - 0.5)) * DaySeconds;
        offS -= DaySeconds * std::round(offS / DaySeconds);
        return std::fabs(offS) <= ClockToleranceS && SunUp(sun[t.start - 1], start + offS / DaySeconds, t);
    }
    if (!ephemeris::PredictContact(elements, t.end, t.latitudeDegrees, t.longitudeDegrees, t.altitudeM, 1.0, end, perQ)) {
        return false;
    }
    offS = t.seconds - (end - start) * DaySeconds;
    return std::fabs(offS) <= DurationToleranceS && SunUp(sun[t.start - 1], start, t) && SunUp(sun[t.end - 1], end, t);
}

// How many timings of the sample could match transit at all, from its rough geocentric contacts: a clock time
// within the tolerance of where a site's contact can lie, modulo a day; a duration within the tolerance of
// what a site's can be. Never fewer than MatchTransit counts with the transit's own contacts (each within
// RoughContactDays of the rough ones), and without the ephemeris.
int CountPossible(const Campaign& campaign, const std::vector<std::size_t>& sample, const ephemeris::RoughTransit& transit) {
    double centreJd[ephemeris::ContactCount], shiftS[ephemeris::ContactCount];
    const double* jd = transit.contactJdUt;
    const double roughS = ephemeris::RoughContactDays(transit.planet) * DaySeconds;
    for (int c = 0; c < ephemeris::ContactCount; ++c) {
        if (!transit.grazing) {
            centreJd[c] = jd[c];
            // The ingress as long as it can be.
            const double ingressDays = (c < 2 ? jd[1] - jd[0] : jd[3] - jd[2]) + ephemeris::RoughIngressDays;
            shiftS[c] = ShiftPerIngress * ingressDays * DaySeconds + ShiftMarginS + roughS;
        } else {
            // Grazing: a site's contact may lie anywhere in the span.
            centreJd[c] = (jd[0] + jd[3]) / 2.0;
            shiftS[c] = ((jd[3] - jd[0]) / 2.0 + SpanMarginDays) * DaySeconds + roughS;
        }
    }
    int possible = 0;
    for (const std::size_t i : sample) {
        const Timing& t = campaign.timings[i];
        const int a = t.start - 1, b = t.end - 1;
        double offS = 0.0, reachS = 0.0;
        if (t.end == 0) {
            offS = t.seconds - (centreJd[a] - 0.5 - std::floor(centreJd[a] - 0.5)) * DaySeconds;
            offS -= DaySeconds * std::round(offS / DaySeconds);
            reachS = shiftS[a] + ClockToleranceS;
        } else {
            offS = t.seconds - (centreJd[b] - centreJd[a]) * DaySeconds;
            reachS = shiftS[a] + shiftS[b] + DurationToleranceS;
        }
        possible += std::fabs(offS) <= reachS;
    }
    return possible;
}

// The transit a rough one stands for, from the ephemeris: the one touching the UT date of its middle, or of
// the day before or after where the rough middle lies near midnight. False for a near miss.
bool ExactTransit(const ephemeris::RoughTransit& rough, ephemeris::Transit& transit) {
    const double middle = (rough.contactJdUt[0] + rough.contactJdUt[ephemeris::ContactCount - 1]) / 2.0;
    for (const double day : {0.0, -1.0, 1.0}) {
        const ephemeris::CalendarTime date = ephemeris::CalendarFromJd(middle + day);
        if (ephemeris::FindTransit(rough.planet, date.year, date.month, date.day, ephemeris::EphemerisOptions{}, transit)) return true;
    }
    return false;
}

}  // namespace

std::vector<std::size_t> SampleTimings(const Campaign& campaign) {
    const std::size_t n = campaign.timings.size();
    // Four probes for each timing to be sampled, evenly over the campaign, find its sites without reading
    // a million timings.
    const std::size_t probes = std::min(n, 4 * SampledTimings);
    std::vector<std::size_t> sample;
    std::vector<bool> taken(probes, false);
    std::set<std::pair<double, double>> sites;
    for (std::size_t k = 0; k < probes && sample.size() < SampledTimings; ++k) {
        const Timing& t = campaign.timings[k * n / probes];
        if (!sites.insert({t.latitudeDegrees, t.longitudeDegrees}).second) continue;
        taken[k] = true;
        sample.push_back(k * n / probes);
    }
    // The rest from the probes left, in strides, so that they too spread over the campaign.
    const std::size_t stride = std::max<std::size_t>(1, probes / SampledTimings);
    for (std::size_t offset = 0; offset < stride; ++offset) {
        for (std::size_t k = offset; k < probes && sample.size() < SampledTimings; k += stride) {
            if (taken[k]) continue;
            taken[k] = true;
            sample.push_back(k * n / probes);
        }
    }
    std::sort(sample.begin(), sample.end());
    return sample;
}

TransitCandidate MatchTransit(const Campaign& campaign, const std::vector<std::size_t>& sample,
                              const ephemeris::Transit& transit, const ephemeris::BesselianElements& elements) {
    const ephemeris::CalendarTime greatest = ephemeris::CalendarFromJd(transit.greatestJdUt);
    TransitCandidate candidate{transit.planet, greatest.year, greatest.month, greatest.day, 0, 0.0};
    // One subsolar point per contact serves every site: a timing that matches lies within minutes of it.
    ephemeris::SubsolarPoint sun[ephemeris::ContactCount];
    for (int c = 0; c < ephemeris::ContactCount; ++c) {
        sun[c] = ephemeris::SubsolarPointAt(transit.contactHappens[c] ? transit.contactJdUt[c] : transit.greatestJdUt);
    }
    std::vector<double> offsets;
    for (const std::size_t i : sample) {
        double offS = 0.0;
        if (Matches(campaign.timings[i], elements, sun, offS)) offsets.push_back(std::fabs(offS));
    }
    candidate.matched = static_cast<int>(offsets.size());
    candidate.offsetS = offsets.empty() ? 0.0 : std::accumulate(offsets.begin(), offsets.end(), 0.0) / static_cast<double>(offsets.size());
    return candidate;
}

Identification IdentifyTransit(const Campaign& campaign, const std::vector<ephemeris::RoughTransit>& transits) {
    Identification found;
    const std::vector<std::size_t> sample = SampleTimings(campaign);
    const int n = static_cast<int>(sample.size());
    found.sampled = n;
    const int lead = std::max(1, (n + 9) / 10);
    // A transit from the ephemeris and its elements cost milliseconds, a timing's prediction a microsecond:
    // transits are tried in order of the matches they could have, and once that is a lead behind the best
    // found, no later one can count.
    std::vector<std::pair<int, std::size_t>> order;
    for (std::size_t k = 0; k < transits.size(); ++k) order.emplace_back(CountPossible(campaign, sample, transits[k]), k);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<TransitCandidate> counted;
    int best = 0;
    for (const auto& [possible, k] : order) {
        if (possible == 0 || possible <= best - lead) break;
        ephemeris::Transit transit;
        ephemeris::BesselianElements elements;
        if (!ExactTransit(transits[k], transit) || !ephemeris::ElementsOf(transit, elements)) continue;
        const TransitCandidate candidate = MatchTransit(campaign, sample, transit, elements);
        if (candidate.matched == 0) continue;
        best = std::max(best, candidate.matched);
        counted.push_back(candidate);
    }
    for (const TransitCandidate& c : counted) {
        if (c.matched > best - lead) found.contenders.push_back(c);
    }
    std::stable_sort(found.contenders.begin(), found.contenders.end(),
                     [](const auto& a, const auto& b) { return a.offsetS < b.offsetS; });
    const std::vector<TransitCandidate>& c = found.contenders;
    found.identified = !c.empty() && 3 * c[0].matched >= 2 * n &&
                       std::all_of(c.begin() + 1, c.end(), [&](const auto& other) {
                           return other.offsetS >= std::max(3.0 * c[0].offsetS, c[0].offsetS + NearerByS);
                       });
    return found;
}

const std::vector<ephemeris::RoughTransit>& TransitCatalogue() {
    static const std::vector<ephemeris::RoughTransit> catalogue =
        ephemeris::ListTransitsRoughly(ephemeris::FirstCatalogueYear, ephemeris::LastCatalogueYear);
    return catalogue;
}

bool ChooseByTimings(const Campaign& campaign, CoefficientSource source, TransitChoice& choice, TransitRefusal& refusal) {
    Identification found = IdentifyTransit(campaign, TransitCatalogue());
    if (found.identified) {
        const TransitCandidate& c = found.contenders.front();
        return ChooseTransit(c.year, c.month, c.day, source, choice, refusal);
    }
    refusal = TransitRefusal{};
    const bool reached = std::any_of(found.contenders.begin(), found.contenders.end(),
                                     [&](const auto& c) { return 3 * c.matched >= 2 * found.sampled; });
    refusal.kind = reached ? TransitRefusal::Ambiguous : TransitRefusal::Unmatched;
    refusal.sampled = found.sampled;
    refusal.candidates = std::move(found.contenders);
    return false;
}

}  // namespace campaign
