// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "ExactFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "Fit.h"
#include "Resampling.h"
#include "Transit.h"

using namespace campaign;
using namespace fitting;

namespace {

// Where the Sun stands this high at a contact, its limb is clear of the horizon and its refraction.
constexpr double SunUpDegrees = 5.0;

// The exact contacts of the direct solver on a grid of sites, a clock time for each contact where the Sun is up
// and the duration 1-4 where it is up at both; noiseS (Box-Muller over NextRandom) added to each. Sites every
// stepDegrees, sites with no contact left out; sites counts those kept.
Campaign ExactCampaign(const ephemeris::Transit& transit, double stepDegrees, double noiseS, std::uint64_t seed, int& sites) {
    std::uint64_t state = seed;
    auto uniform = [&] { return static_cast<double>(NextRandom(state) >> 11) * 0x1.0p-53; };
    auto normal = [&] {
        const double u1 = 1.0 - uniform(), u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * 3.14159265358979323846 * u2);
    };
    Campaign campaign;
    campaign.files.push_back("exact.csv");
    sites = 0;
    for (double latitude = -75.0; latitude <= 75.0; latitude += stepDegrees) {
        for (double longitude = -180.0; longitude < 180.0; longitude += stepDegrees) {
            ephemeris::LocalCircumstances local;
            if (!ephemeris::LocalContacts(transit, latitude, longitude, 0.0, local)) continue;
            bool up[4];
            for (int c = 0; c < 4; ++c) up[c] = local.contactHappens[c] && local.contactSunAltitudeDegrees[c] > SunUpDegrees;
            if (!up[0] && !up[1] && !up[2] && !up[3]) continue;
            const int observer = static_cast<int>(campaign.observers.size());
            campaign.observers.push_back("site " + std::to_string(observer));
            ++sites;
            Timing t;
            t.observer = observer;
            t.latitudeDegrees = latitude;
            t.longitudeDegrees = longitude;
            t.sigmaS = noiseS;
            for (int c = 0; c < 4; ++c) {
                if (!up[c]) continue;
                const double jd = local.contactJdUt[c];
                t.start = static_cast<std::int8_t>(c + 1), t.end = 0;
                t.seconds = (jd - 0.5 - std::floor(jd - 0.5)) * DaySeconds + noiseS * normal();
                campaign.timings.push_back(t);
            }
            if (up[0] && up[3]) {
                t.start = 1, t.end = 4;
                t.seconds = (local.contactJdUt[3] - local.contactJdUt[0]) * DaySeconds + noiseS * normal();
                campaign.timings.push_back(t);
            }
        }
    }
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) campaign.timings[i].line = static_cast<long>(i) + 2;
    return campaign;
}

SiteModel ExactModel(const ephemeris::Transit& transit) {
    SiteModel model = EphemerisSiteModel(transit);
    model.kind = SiteModelKind::Exact;
    EXPECT_TRUE(ephemeris::ElementsOf(transit, model.elements));
    return model;
}

struct Case {
    ephemeris::Planet planet;
    int year, month, day;
};

// Transits of Venus at both ends of the catalogue's measured Delta T and of Mercury, whose parallax is smaller.
const Case Cases[] = {{ephemeris::Planet::Venus, 1769, 6, 3},
                      {ephemeris::Planet::Venus, 2004, 6, 8},
                      {ephemeris::Planet::Venus, 2012, 6, 6},
                      {ephemeris::Planet::Mercury, 2019, 11, 11}};

}  // namespace

TEST(FitCampaign, ExactModelGivesTheAuOfExactContacts) {
    for (const Case& c : Cases) {
        ephemeris::Transit transit;
        ASSERT_TRUE(ephemeris::FindTransit(c.planet, c.year, c.month, c.day, {}, transit)) << c.year;
        int sites = 0;
        const Campaign campaign = ExactCampaign(transit, 12.0, 0.0, 1, sites);
        EXPECT_GE(sites, 200) << c.year;
        FitOptions options;
        options.resamples = 0;
        FitState state;
        const FitResult fit = FitCampaign(campaign, {ExactModel(transit)}, options, state);
        ASSERT_TRUE(fit.fitted) << c.year;
        // The elements agree with the direct solver to 0.0002 s; the levers are minutes (Venus) and seconds up.
        EXPECT_NEAR(fit.auKm / ReferenceAuKm, 1.0, 1e-6) << c.year;
        std::printf("exact model, %d: %d sites, %ld timings, AU off by %.2e\n", c.year, sites, fit.used,
                    fit.auKm / ReferenceAuKm - 1.0);
        EXPECT_EQ(fit.rejected, 0) << c.year;
        // The prediction at the fitted AU is the made contact itself, up to a free offset per contact.
        for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
            if (!fit.timings[i].used) continue;
            EXPECT_NEAR(fit.timings[i].oMinusCS, 0.0, 0.01) << c.year << " timing " << i;
        }
        // The linear model's bias is what the exact one removes: it must be far outside 1e-6 for this to test it.
        FitState linearState;
        const FitResult linear = FitCampaign(campaign, {EphemerisSiteModel(transit)}, options, linearState);
        ASSERT_TRUE(linear.fitted);
        EXPECT_GT(std::fabs(linear.auKm / ReferenceAuKm - 1.0), 1e-4) << c.year;
    }
}

TEST(FitCampaign, ExactModelUncertaintyCoversTheAu) {
    ephemeris::Transit transit;
    ASSERT_TRUE(ephemeris::FindTransit(ephemeris::Planet::Venus, 2012, 6, 6, {}, transit));
    const SiteModel model = ExactModel(transit);
    int withinOne = 0, withinTwo = 0;
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        int sites = 0;
        const Campaign campaign = ExactCampaign(transit, 20.0, 5.0, seed, sites);
        FitOptions options;
        options.resamples = 200;
        FitState state;
        const FitResult fit = FitCampaign(campaign, {model}, options, state);
        ASSERT_TRUE(fit.fitted) << seed;
        const double error = std::fabs(fit.auKm - ReferenceAuKm);
        withinOne += error <= fit.auSigmaKm;
        withinTwo += error <= 2.0 * fit.auSigmaKm;
    }
    // A sound one-sigma uncertainty covers 68 % (13.6 of 20, 10 or more in 95 % of runs), two sigma 95 % (17 or
    // more in 92 % of runs); the seeds are fixed, so the counts are too.
    EXPECT_GE(withinOne, 10);
    EXPECT_GE(withinTwo, 17);
    std::printf("exact model, 20 campaigns with 5 s noise: %d within 1 sigma, %d within 2 sigma\n", withinOne, withinTwo);
}

TEST(LineariseExact, PiecesGiveEachTimingItsOwnPrediction) {
    // Enough timings for several pieces of predictions, in runs of 1 to 7 at a site so that pieces begin
    // inside runs, first with sites to keep (runs of several) and then without (every timing its own site):
    // each row is the timing's own prediction, as PredictTiming gives it at its site.
    ephemeris::Transit transit;
    ASSERT_TRUE(ephemeris::FindTransit(ephemeris::Planet::Venus, 2004, 6, 8, ephemeris::EphemerisOptions{}, transit));
    const std::vector<SiteModel> models = {ExactModel(transit)};
    const SiteModel& model = models.front();
    for (const int longestRun : {7, 1}) {
        Campaign campaign;
        campaign.observers.push_back("one");
        for (int site = 0; campaign.timings.size() < 20000; ++site) {
            Timing t;
            t.latitudeDegrees = -60.0 + 0.37 * (site % 300);
            t.longitudeDegrees = -30.0 + 0.71 * (site % 101);
            for (int k = 0; k < 1 + site % longestRun; ++k) {
                t.start = static_cast<std::int8_t>(1 + k % 4);
                t.end = k == 4 ? 4 : 0;
                if (t.end != 0) t.start = 1;
                t.seconds = t.end != 0 ? 20000.0 : 20000.0 + 4000.0 * t.start;
                campaign.timings.push_back(t);
            }
        }
        FitProblem problem;
        problem.rows.assign(campaign.timings.size(), Row{0.0, 0.0, 1.0, 0, 0, true});
        for (std::size_t i = 0; i < campaign.timings.size(); ++i) problem.rows[i].clock = campaign.timings[i].end == 0;
        std::vector<double> omega(campaign.timings.size(), 1.0), predicted;
        const std::vector<double> median = {20000.0 + 4000.0, 20000.0 + 8000.0, 20000.0 + 12000.0, 20000.0 + 16000.0};
        Linearisation at;
        const double q = 1.01;
        LineariseExact(campaign, models, median, q, problem, omega, predicted, at);
        EXPECT_EQ(at.sites.empty(), longestRun == 1);
        // A second linearisation, from the sites kept and the predictions before, gives the same rows to the
        // microsecond the search ends within.
        const std::vector<Row> first = problem.rows;
        const std::vector<double> firstPredicted = predicted;
        LineariseExact(campaign, models, median, q, problem, omega, predicted, at);
        std::size_t seen = 0;
        for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
            const Timing& t = campaign.timings[i];
            const ephemeris::ElementsSite site = ephemeris::ElementsSiteOf(t.latitudeDegrees, t.longitudeDegrees, t.altitudeM);
            double p = 0.0, shift = 0.0, perQ = 0.0;
            if (!PredictTiming(model, t.start, t.end, site, q, p, shift, perQ)) {
                EXPECT_EQ(omega[i], 0.0) << "timing " << i;
                continue;
            }
            ++seen;
            EXPECT_EQ(firstPredicted[i], p) << "timing " << i;
            EXPECT_EQ(first[i].g, perQ) << "timing " << i;
            EXPECT_NEAR(predicted[i], p, 2e-6) << "timing " << i;
            EXPECT_NEAR(problem.rows[i].g, perQ, 1e-6) << "timing " << i;
            EXPECT_NEAR(problem.rows[i].y, first[i].y, 2e-6) << "timing " << i;
        }
        EXPECT_GT(seen, campaign.timings.size() / 2);
    }
}

TEST(FitCampaign, ExactModelFromAFarStartEndsAtItsOwnPredictions) {
    // Timings predicted at an AU 1.5 % above the reference: Gauss-Newton walks from q = 1, and stops once its
    // linearisation is good to a microsecond at the fitted q. The AU is the one they were made with, and each
    // timing's prediction is the model's own at the fitted AU, not at the last linearisation's.
    ephemeris::Transit transit;
    ASSERT_TRUE(ephemeris::FindTransit(ephemeris::Planet::Venus, 2004, 6, 8, ephemeris::EphemerisOptions{}, transit));
    const SiteModel model = ExactModel(transit);
    const double trueQ = 1.0 / 1.015;
    Campaign campaign;
    campaign.files.push_back("far.csv");
    for (double latitude = -50.0; latitude <= 70.0; latitude += 10.0) {
        for (double longitude = -20.0; longitude <= 140.0; longitude += 10.0) {
            const ephemeris::ElementsSite site = ephemeris::ElementsSiteOf(latitude, longitude, 0.0);
            for (int c = 1; c <= 4; ++c) {
                double predicted = 0.0, shift = 0.0, perQ = 0.0;
                if (!PredictTiming(model, c, 0, site, trueQ, predicted, shift, perQ)) continue;
                Timing t;
                t.observer = static_cast<int>(campaign.observers.size());
                t.latitudeDegrees = latitude, t.longitudeDegrees = longitude;
                t.start = static_cast<std::int8_t>(c);
                t.seconds = predicted;
                t.line = static_cast<long>(campaign.timings.size()) + 2;
                campaign.timings.push_back(t);
                campaign.observers.push_back("o" + std::to_string(t.observer));
            }
        }
    }
    FitOptions options;
    options.resamples = 0;
    FitState state;
    const FitResult fit = FitCampaign(campaign, {model}, options, state);
    ASSERT_TRUE(fit.fitted);
    EXPECT_NEAR(fit.q / trueQ - 1.0, 0.0, 1e-7);
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        const Timing& t = campaign.timings[i];
        double predicted = 0.0, shift = 0.0, perQ = 0.0;
        ASSERT_TRUE(PredictTiming(model, t.start, 0, ephemeris::ElementsSiteOf(t.latitudeDegrees, t.longitudeDegrees, 0.0), fit.q,
                                  predicted, shift, perQ));
        EXPECT_NEAR(fit.timings[i].predictedS, predicted, 1e-4) << i;
    }
}
