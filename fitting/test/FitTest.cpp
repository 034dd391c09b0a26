// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>

#include "Reduce.h"
#include "Reduction.h"
#include "Report.h"
#include "WeightedFit.h"
#include "SiteNames.h"

using namespace campaign;
using namespace fitting;
using namespace report;

namespace {

double Rad(double degrees) { return static_cast<double>(degrees * DegToRad); }


Timing At(const std::string& site, double latitude, double longitude, int start, int end, double seconds) {
    Timing t;
    t.site = NameIndex(site);
    t.latitudeDegrees = latitude;
    t.longitudeDegrees = longitude;
    t.start = static_cast<std::int8_t>(start);
    t.end = static_cast<std::int8_t>(end);
    t.seconds = seconds;
    return t;
}

// A campaign from timings, each observer named by its site.
Campaign Of(std::vector<Timing> timings) {
    Campaign campaign;
    campaign.files.push_back("test.csv");
    campaign.sites = Names();
    for (std::size_t i = 0; i < timings.size(); ++i) {
        Timing& t = timings[i];
        t.line = static_cast<long>(i) + 2;
        const auto found = std::find(campaign.observers.begin(), campaign.observers.end(), NameOf(t));
        t.observer = static_cast<int>(found - campaign.observers.begin());
        if (found == campaign.observers.end()) campaign.observers.push_back(NameOf(t));
    }
    campaign.timings = timings;
    MarkDuplicates(campaign);
    return campaign;
}

// Geocentric reference times of 2004 (s), as the sample generator uses them.
constexpr double Reference[4] = {18809, 19975, 39993, 41159};

struct Site {
    const char* name;
    double latitude, longitude;
};

const Site Sites[] = {{"Greenwich", 51.48, 0.0},  {"Paris", 48.84, 2.34},      {"Madrid", 40.41, -3.69},
                      {"Potsdam", 52.38, 13.06},  {"Vienna", 48.23, 16.29},    {"Athens", 37.97, 23.72},
                      {"Helsinki", 60.16, 24.96}, {"Helwan", 29.86, 31.34},    {"Pretoria", -25.75, 28.23},
                      {"Cape Town", -33.93, 18.48}, {"Nairobi", -1.28, 36.82}, {"Tehran", 35.70, 51.40},
                      {"Mumbai", 18.97, 72.82},   {"Kodaikanal", 10.23, 77.46}, {"Bosscha", -6.82, 107.62}};

// Every site times the four contacts at the true AU scaled by 1/q, with Gaussian noise of sigma seconds.
std::vector<Timing> Synthetic(double q, double sigma, unsigned seed) {
    const SiteModel table = TableSiteModel();
    std::mt19937_64 random(seed);
    std::normal_distribution<double> noise(0.0, sigma);
    std::vector<Timing> timings;
    for (const Site& s : Sites) {
        for (int c = 1; c <= 4; ++c) {
            const double t = Reference[c - 1] + q * SiteLever(table, c, 0, s.latitude, s.longitude) + noise(random);
            timings.push_back(At(s.name, s.latitude, s.longitude, c, 0, t));
        }
    }
    return timings;
}

// The fit alone, with the 2004 table.
FitResult Fitted(const Campaign& campaign, const FitOptions& options = {}) {
    FitState state;
    return FitCampaign(campaign, {TableSiteModel()}, options, state);
}

// The whole reduction of 8 June 2004, with its table unless the exact model is asked for: the timings carry
// no date, and not all of them are the transit's.
Reduction Reduced(const Campaign& campaign, const FitOptions& options = {}, SiteModelKind model = SiteModelKind::Linear) {
    ReduceOptions reduce;
    reduce.fit = options;
    reduce.model = model;
    reduce.transitGiven = true;
    reduce.transitYear = 2004, reduce.transitMonth = 6, reduce.transitDay = 8;
    std::ostringstream err;
    return Reduce(campaign, reduce, err);
}

// The finding of kind Kind on a timing, or nullptr.
template <class Kind>
const Kind* Found(const FitResult& result, std::size_t timing) {
    for (const TimingFinding& finding : FindingsOf(result, timing)) {
        if (const auto* found = std::get_if<Kind>(&finding.finding)) return found;
    }
    return nullptr;
}

}  // namespace

TEST(FitCampaign, TwoSitesGiveTheTwoSiteReductions) {
    // Essen and Pretoria with the dialogues' default answers: the same AU as their reductions, to far
    // better than the printed 0.1 million km.
    const double essenLat = 51.47, essenLon = 7.0, pretoriaLat = -26.18, pretoriaLon = 28.0;
    for (int contact = 1; contact <= 4; ++contact) {
        const FitResult r = Fitted(Of({At("Essen", essenLat, essenLon, contact, 0, 19191),
                                       At("Pretoria", pretoriaLat, pretoriaLon, contact, 0, 19041)}));
        ASSERT_TRUE(r.fitted) << contact;
        const double expected = ReduceContactTime(contact, 19191, 19041, Rad(essenLat), -Rad(essenLon),
                                                  Rad(pretoriaLat), -Rad(pretoriaLon));
        EXPECT_NEAR(r.auKm / expected, 1.0, 1e-12) << contact;
        // As many unknowns as timings: no error bar is made up.
        EXPECT_TRUE(std::isnan(r.auSigmaKm)) << contact;
    }
    const int pairs[4][2] = {{1, 3}, {1, 4}, {2, 3}, {2, 4}};
    for (const auto& pair : pairs) {
        const double d1 = 19448, d2 = 20021;  // 05:24:08 and 05:33:41
        const double expected = ReduceDuration(pair[0], pair[1], d1, d2, Rad(essenLat), -Rad(essenLon),
                                               Rad(pretoriaLat), -Rad(pretoriaLon));
        const FitResult durations = Fitted(Of({At("Essen", essenLat, essenLon, pair[0], pair[1], d1),
                                               At("Pretoria", pretoriaLat, pretoriaLon, pair[0], pair[1], d2)}));
        ASSERT_TRUE(durations.fitted);
        EXPECT_NEAR(durations.auKm / expected, 1.0, 1e-12) << pair[0] << '-' << pair[1];
        // The same durations as start and end clock times, each clock wrong by its own offset (one by an hour):
        // with clock offsets only the differences count, as in the duration method.
        FitOptions offsets;
        offsets.clockOffsets = true;
        const FitResult clocks = Fitted(Of({At("Essen", essenLat, essenLon, pair[0], 0, 18000 + 3600),
                                            At("Essen", essenLat, essenLon, pair[1], 0, 18000 + 3600 + d1),
                                            At("Pretoria", pretoriaLat, pretoriaLon, pair[0], 0, 18100),
                                            At("Pretoria", pretoriaLat, pretoriaLon, pair[1], 0, 18100 + d2)}),
                                        offsets);
        ASSERT_TRUE(clocks.fitted);
        EXPECT_NEAR(clocks.auKm / expected, 1.0, 1e-9) << pair[0] << '-' << pair[1];
    }
}

TEST(FitCampaign, RecoversTheAuWithinItsStatedUncertainty) {
    // Twenty synthetic campaigns at 149.6 million km with 5 s noise: the AU lies within two quoted
    // uncertainties nearly always (expect 19 of 20), and the uncertainty is of the size the noise implies.
    int within = 0;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const FitResult r = Fitted(Of(Synthetic(1.0, 5.0, seed)));
        ASSERT_TRUE(r.fitted);
        within += std::fabs(r.auKm - ReferenceAuKm) <= 2.0 * r.auSigmaKm;
        EXPECT_GT(r.auSigmaKm, 0.2e6);
        EXPECT_LT(r.auSigmaKm, 3e6);
        EXPECT_EQ(r.resampling.method, "jackknife");  // 15 observers
    }
    EXPECT_GE(within, 17);
    // Noiseless timings at half the AU give it exactly.
    const FitResult half = Fitted(Of(Synthetic(2.0, 0.0, 1)));
    EXPECT_NEAR(half.auKm, ReferenceAuKm / 2.0, 1.0);
    EXPECT_EQ(half.rejected, 0);
}

TEST(FitCampaign, BootstrapAgreesWithTheFormalUncertaintyForGaussianNoise) {
    std::vector<Timing> timings;
    for (unsigned seed = 1; seed <= 3; ++seed) {  // 45 observers: a bootstrap
        std::vector<Timing> more = Synthetic(1.0, 5.0, seed);
        for (Timing& t : more) t.site = NameIndex(NameOf(t) + std::to_string(seed));
        timings.insert(timings.end(), more.begin(), more.end());
    }
    const FitResult r = Fitted(Of(timings));
    ASSERT_TRUE(r.fitted);
    EXPECT_EQ(r.resampling.method, "bootstrap");
    EXPECT_EQ(r.resampling.failed, 0);
    EXPECT_NEAR(r.auSigmaResampledKm / r.auSigmaFormalKm, 1.0, 0.35);
    // The same seed repeats the run exactly.
    EXPECT_EQ(Fitted(Of(timings)).auSigmaResampledKm, r.auSigmaResampledKm);
}

TEST(FitCampaign, FlagsTheErrorsObserversMake) {
    std::vector<Timing> timings = Synthetic(1.0, 3.0, 7);
    // Vienna's contact 4 in CEST, Athens's contact 2 posted as 1, Pretoria's longitude west, Madrid twice,
    // Helsinki's contacts 3 and 4 exchanged.
    auto find = [&](const char* site, int contact) {
        for (std::size_t i = 0; i < timings.size(); ++i) {
            if (NameOf(timings[i]) == site && timings[i].start == contact) return i;
        }
        return timings.size();
    };
    timings[find("Vienna", 4)].seconds += 7200;
    timings[find("Athens", 2)].start = 1;
    for (int c = 1; c <= 4; ++c) timings[find("Pretoria", c)].longitudeDegrees *= -1;
    timings.push_back(timings[find("Madrid", 3)]);
    std::swap(timings[find("Helsinki", 3)].seconds, timings[find("Helsinki", 4)].seconds);
    const Reduction reduced = Reduced(Of(timings));
    ASSERT_EQ(reduced.outcome, Outcome::Reduced);
    const FitResult& r = reduced.fit;
    const struct {
        std::size_t timing;
        Flag flag;
    } expected[] = {{find("Vienna", 4), TimeZoneFlag},         {find("Vienna", 4), OutlierFlag},
                    {find("Athens", 1) + 1, WrongContactFlag}, {find("Pretoria", 4), CoordinateSignFlag},
                    {find("Pretoria", 4), OutlierFlag},        {timings.size() - 1, DuplicateFlag},
                    {find("Helsinki", 3), ContactOrderFlag},   {find("Helsinki", 4), ContactOrderFlag}};
    for (const auto& e : expected) {
        EXPECT_TRUE(r.timings[e.timing].flagBits & (1u << e.flag)) << e.timing << ' ' << FlagWord(e.flag);
    }
    ASSERT_NE(Found<TimeZone>(r, find("Vienna", 4)), nullptr);
    EXPECT_DOUBLE_EQ(Found<TimeZone>(r, find("Vienna", 4))->hours, 2.0);
    ASSERT_NE(Found<WrongContact>(r, find("Athens", 1) + 1), nullptr);
    EXPECT_EQ(Found<WrongContact>(r, find("Athens", 1) + 1)->other, 2);
    ASSERT_NE(Found<CoordinateSign>(r, find("Pretoria", 4)), nullptr);
    EXPECT_EQ(Found<CoordinateSign>(r, find("Pretoria", 4))->which, 'E');
    EXPECT_FALSE(r.timings.back().used);
    // No good timing is flagged, and the planted errors leave the AU where it was.
    for (const char* site : {"Greenwich", "Paris", "Potsdam", "Mumbai"}) {
        for (int c = 1; c <= 4; ++c) EXPECT_EQ(r.timings[find(site, c)].flagBits, 0u) << site << c;
    }
    EXPECT_LE(std::fabs(r.auKm - ReferenceAuKm), 2.0 * r.auSigmaKm);
    // Without rejection the hour-long slip drags the AU far off.
    FitOptions keepAll;
    keepAll.keepAll = true;
    const FitResult all = Fitted(Of(timings), keepAll);
    EXPECT_EQ(all.rejected, 0);
    EXPECT_GT(std::fabs(all.auKm - ReferenceAuKm), 5.0 * r.auSigmaKm);
}

TEST(FitCampaign, SaysWhyNoFitIsPossible) {
    // One site only, or nothing at all: the AU cannot be determined.
    EXPECT_EQ(Fitted(Of({At("A", 50, 7, 1, 0, 19000), At("A", 50, 7, 1, 0, 19010)})).whyNot, NoFit::SitesAlike);
    EXPECT_EQ(Fitted(Of({})).whyNot, NoFit::NoTiming);
    // With clock offsets, one timing per contact at each site says nothing about the AU.
    FitOptions offsets;
    offsets.clockOffsets = true;
    const FitResult r = Fitted(Of({At("A", 50, 7, 1, 0, 19000), At("A", 50, 7, 2, 0, 20000), At("B", -26, 28, 1, 0, 19100)}),
                               offsets);
    EXPECT_FALSE(r.fitted);
    EXPECT_EQ(r.whyNot, NoFit::OffsetsTakeAll);
}

TEST(FitCampaign, TimesThatAgreeExactlyBoundNoAu) {
    // Found by fuzz_campaign: equal times at sites with different levers give q = 0 exactly, and the AU,
    // ReferenceAuKm / q, came out infinite (a float division by zero, and undefined behaviour in the report).
    const std::vector<std::vector<Timing>> cases = {
        {At("A", -17.93, 18.48, 1, 0, 19830), At("B", -33.93, 2, 3, 0, 40100), At("C", 18.97, 72.82, 3, 0, 40100)},
        {At("A", -17.93, 18.48, 1, 0, 19830), At("B", -33.93, 2, 3, 0, 40000), At("C", 18.97, 72.82, 3, 0, 40000),
         At("D", 50, 7, 3, 0, 40000)},
    };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        SCOPED_TRACE(k);
        const Reduction reduced = Reduced(Of(cases[k]));
        const FitResult& r = reduced.fit;
        ASSERT_TRUE(r.fitted);
        EXPECT_EQ(r.q, 0.0);
        EXPECT_TRUE(std::isnan(r.auKm));
        EXPECT_FALSE(r.bounded);
        for (const double value : {r.auSigmaKm, r.auSigmaFormalKm, r.auSigmaResampledKm, r.parallaxArcsec}) {
            EXPECT_FALSE(std::isinf(value));
        }
        for (const auto& [observer, au] : r.resampling.withoutObserver) EXPECT_FALSE(std::isinf(au)) << observer;
        std::ostringstream text;
        WriteTextReport(reduced, kit::Language::English, text);
        EXPECT_NE(text.str().find("the timings give no distance"), std::string::npos);
        EXPECT_EQ(text.str().find("nan"), std::string::npos) << text.str();
        EXPECT_EQ(text.str().find("inf "), std::string::npos) << text.str();
        // The exact model leaves out the timing made at night, or resolves q no better than its own times.
        const Reduction exact = Reduced(Of(cases[k]), {}, SiteModelKind::Exact);
        EXPECT_TRUE(!exact.fit.fitted || !exact.fit.bounded);
        std::ostringstream exactText;
        WriteTextReport(exact, kit::Language::English, exactText);
        EXPECT_EQ(exactText.str().find("nan"), std::string::npos) << exactText.str();
        EXPECT_EQ(exactText.str().find("inf "), std::string::npos) << exactText.str();
    }
}

TEST(FitCampaign, OneClockTimingOneContactAtTwoSitesStillFits) {
    // Found by fuzz_campaign: when every clock time is one observer's and of one contact, taking out that clock's
    // offset leaves no reference column at all, and Eigen divided by the zero pivot of the empty projection; the
    // NaN made the fit report "cannot determine" although the two sites' difference measures the AU. A common
    // clock error cancels in that difference, so the fit with offsets must give the fit without them.
    const std::vector<std::vector<Timing>> cases = {
        {At("X", 50, 7, 1, 0, 19000), At("X", -26, 28, 1, 0, 19100)},
        {At("X", 51.48, 0, 3, 0, 40010), At("X", -33.93, 18.48, 3, 0, 39950), At("X", 10.23, 77.46, 3, 0, 39900)},
    };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        SCOPED_TRACE(k);
        const Campaign campaign = Of(cases[k]);  // one observer, "X", at every site
        FitOptions offsets;
        offsets.clockOffsets = true;
        const FitResult plain = Fitted(campaign);
        const FitResult withOffsets = Fitted(campaign, offsets);
        ASSERT_TRUE(plain.fitted);
        ASSERT_TRUE(withOffsets.fitted);
        EXPECT_NEAR(withOffsets.q, plain.q, 1e-9 * std::fabs(plain.q));
        ASSERT_EQ(withOffsets.contacts.size(), 1u);
        EXPECT_TRUE(std::isfinite(withOffsets.contacts[0].referenceS));
    }
}

TEST(FitCampaign, EndsWhenReferencesLieFarApart) {
    // Found by fuzz_campaign: with clock offsets these timings fit a scale that puts one contact's reference
    // time about 10^12 s before the one before it, and unwrapping it a day at a time did not end.
    const std::vector<Timing> timings = {
        At("K", 50.94, 7.96, 1, 0, 19200),    At("G", 51.48, 0, 3, 0, 19211.2), At("G", 51.48, 0, 2, 0, 20380.8),
        At("P", 48.84, 2.34, 1, 0, 19204),    At("P", 48.84, 2.34, 4, 0, 40770.1),
        At("T", -25.75, 28.23, 2, 3, 20058),  At("M", 48.15, 11.58, 4, 0, 41578)};
    for (const bool keepAll : {false, true}) {
        SCOPED_TRACE(keepAll);
        FitOptions options;
        options.clockOffsets = true;
        options.keepAll = keepAll;
        const FitResult r = Fitted(Of(timings), options);
        ASSERT_TRUE(r.fitted);
        for (const ContactFit& c : r.contacts) {
            EXPECT_TRUE(std::isfinite(c.referenceS));
            if (c.end == 0) {
                EXPECT_TRUE(c.referenceS >= 0.0 && c.referenceS < 86400.0) << c.referenceS;
            }
        }
    }
}

TEST(OrderFindings, KeepsEachTimingsFindingsInTheOrderRaised) {
    FitResult result;
    result.timings.resize(4);
    // As the diagnoses raise them: each in file order, one diagnosis after another.
    Raise(result, 2, Duplicate{});
    Raise(result, 0, Outlier{12.0});
    Raise(result, 2, Outlier{30.0});
    Raise(result, 2, Outlier{31.0});  // a kind already found keeps its first finding
    Raise(result, 3, TimeZone{1.0});
    Raise(result, 2, BelowHorizon{-3.0});
    Raise(result, 0, BelowHorizon{-2.0});
    OrderFindings(result);
    const std::vector<std::vector<std::size_t>> kinds = {
        {OutlierFlag, BelowHorizonFlag}, {}, {DuplicateFlag, OutlierFlag, BelowHorizonFlag}, {TimeZoneFlag}};
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        std::vector<std::size_t> found;
        for (const TimingFinding& f : FindingsOf(result, i)) found.push_back(f.finding.index());
        EXPECT_EQ(found, kinds[i]) << "timing " << i;
    }
    EXPECT_EQ(std::get<Outlier>(FindingsOf(result, 2)[1].finding).oMinusC, 30.0);
    EXPECT_EQ(result.timings[2].flagBits, (1u << DuplicateFlag) | (1u << OutlierFlag) | (1u << BelowHorizonFlag));
}

TEST(Solve, ByCategoryMeansAgreesWithTheDecomposition) {
    // Asked for clock offsets but with one clock time per observer, the decomposition solves the same
    // problem the category means do: the two must agree to rounding, q fixed or fitted, with rows left out, a
    // category without rows and durations among the clock times.
    std::mt19937_64 random(7);
    std::normal_distribution<double> noise(0.0, 5.0);
    for (const bool fixed : {false, true}) {
        FitProblem problem;
        problem.categories = 6;
        problem.fixedQ = fixed ? 1.0003 : std::numeric_limits<double>::quiet_NaN();
        std::vector<double> omega;
        for (int i = 0; i < 3000; ++i) {
            const auto category = static_cast<std::int16_t>(i % 6 == 2 ? 4 : i % 6);  // category 2 has no row
            const double g = 400.0 * std::sin(0.37 * i) + (category == 5 ? 60.0 : 0.0);
            const double sigma = 1.0 + (i % 7);
            const double y = 20000.0 + 2000.0 * category + 1.0002 * g + noise(random);
            problem.rows.push_back({y, g, 1.0 / (sigma * sigma), i, category, category < 4});
            omega.push_back(i % 11 == 0 ? 0.0 : problem.rows.back().w);
        }
        problem.observers = 3000;
        const Solution means = Solve(problem, omega);
        problem.clockOffsets = true;
        const Solution decomposed = Solve(problem, omega);
        ASSERT_TRUE(means.determined && decomposed.determined);
        EXPECT_NEAR(means.q, decomposed.q, 1e-12);
        EXPECT_NEAR(means.inverseLeverNorm, decomposed.inverseLeverNorm, 1e-12 * decomposed.inverseLeverNorm);
        EXPECT_NEAR(means.rss, decomposed.rss, 1e-9 * decomposed.rss);
        EXPECT_EQ(means.rank, decomposed.rank);
        EXPECT_EQ(means.active, decomposed.active);
        for (std::size_t c = 0; c < 6; ++c) {
            EXPECT_EQ(std::isnan(means.reference[c]), c == 2);
            if (c != 2) {
                EXPECT_NEAR(means.reference[c], decomposed.reference[c], 1e-8);
            }
        }
        for (std::size_t i = 0; i < problem.rows.size(); i += 97) EXPECT_NEAR(means.residual[i], decomposed.residual[i], 1e-8);
        ASSERT_EQ(means.weightedResidual.size(), decomposed.weightedResidual.size());
        EXPECT_NEAR((means.weightedResidual - decomposed.weightedResidual).norm(), 0.0, 1e-8);
    }
}

TEST(FitCampaign, FirstOrderBootstrapNeedsNoDecomposition) {
    // More than 2,000 observers, one timing each: the first-order bootstrap from the category means (no clock
    // offsets) and from the decomposition (offsets asked for, none possible) give the same spread, and with
    // noise alike at every site that spread is the formal one.
    std::vector<Timing> timings;
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> latitude(-60.0, 70.0), longitude(-10.0, 140.0);
    std::normal_distribution<double> noise(0.0, 8.0);
    for (int i = 0; i < 2400; ++i) {
        const double lat = latitude(random), lon = longitude(random);
        const int contact = 1 + i % 4;
        const double lever = SiteLever(TableSiteModel(), contact, 0, lat, lon);
        timings.push_back(At("s" + std::to_string(i), lat, lon, contact, 0, Reference[contact - 1] + lever + noise(random)));
    }
    const Campaign campaign = Of(timings);
    FitOptions options;
    const FitResult plain = Fitted(campaign, options);
    options.clockOffsets = true;
    const FitResult offsets = Fitted(campaign, options);
    ASSERT_TRUE(plain.fitted && offsets.fitted);
    EXPECT_EQ(plain.resampling.method, "first-order bootstrap");
    EXPECT_NEAR(plain.qSigmaResampled, offsets.qSigmaResampled, 1e-9 * offsets.qSigmaResampled);
    EXPECT_NEAR(plain.qSigmaResampled / plain.qSigmaFormal, 1.0, 0.1);
    EXPECT_NEAR(plain.q, offsets.q, 1e-12);
}
