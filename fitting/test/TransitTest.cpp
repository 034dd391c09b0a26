// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

#include "Reduce.h"
#include "WeightedFit.h"
#include "Words.h"
#include "SiteNames.h"

using namespace campaign;
using namespace fitting;
using namespace report;

namespace {


Timing Clock(const std::string& site, double latitude, double longitude, int contact, double seconds) {
    Timing t;
    t.site = NameIndex(site);
    t.latitudeDegrees = latitude;
    t.longitudeDegrees = longitude;
    t.start = static_cast<std::int8_t>(contact);
    t.seconds = seconds;
    return t;
}

Campaign Of(std::vector<Timing> timings) {
    Campaign campaign;
    campaign.files.push_back("t.csv");
    campaign.sites = Names();
    for (std::size_t i = 0; i < timings.size(); ++i) {
        timings[i].line = static_cast<long>(i) + 2;
        timings[i].observer = static_cast<int>(campaign.observers.size());
        campaign.observers.push_back(NameOf(timings[i]));
    }
    campaign.timings = timings;
    return campaign;
}

double SecondsOfDay(double jd) { return std::fmod(jd - 0.5 - std::floor(jd - 0.5), 1.0) * 86400.0; }

}  // namespace

TEST(ChooseTransit, TakesTheTableFor2004AndTheEphemerisElsewhere) {
    TransitChoice choice;
    TransitRefusal why;
    ASSERT_TRUE(ChooseTransit(2004, 6, 8, CoefficientSource::Default, choice, why));
    EXPECT_TRUE(choice.table);
    EXPECT_EQ(choice.date, "2004-06-08");
    EXPECT_EQ(TransitTitle(choice, kit::Language::English), "Transit of Venus, 8 June 2004");
    EXPECT_EQ(TransitTitle(choice, kit::Language::German), "Venustransit 8. Juni 2004");
    ASSERT_TRUE(ChooseTransit(2012, 6, 5, CoefficientSource::Default, choice, why));
    EXPECT_FALSE(choice.table);
    EXPECT_EQ(choice.date, "2012-06-06");
    ASSERT_TRUE(ChooseTransit(2019, 11, 11, CoefficientSource::Default, choice, why));
    EXPECT_EQ(choice.planet, "mercury");
    const struct {
        int year, month, day;
        CoefficientSource source;
        const char* why;
    } refused[] = {{2012, 6, 5, CoefficientSource::Table, "the coefficient table is that of 8 June 2004"},
                   {2010, 1, 1, CoefficientSource::Default, "no transit of Venus or Mercury touches 2010-01-01"},
                   {1500, 6, 8, CoefficientSource::Default, "1500-06-08 is not a date from 1600 to 2200"},
                   {2004, 2, 30, CoefficientSource::Default, "2004-02-30 is not a date"}};
    for (const auto& r : refused) {
        EXPECT_FALSE(ChooseTransit(r.year, r.month, r.day, r.source, choice, why)) << r.why;
        EXPECT_NE(RefusalText(why).find(r.why), std::string::npos) << RefusalText(why);
    }
}

TEST(ChooseTransit, EphemerisCoefficientsRecoverTheAuOfTheirOwnModel) {
    // Timings made from the ephemeris's coefficients in its own east-positive frame, at 149.6 million km, and
    // fitted in the table's west-positive frame: a missed turn of the y axis would move the AU by percent.
    TransitChoice choice;
    TransitRefusal why;
    ASSERT_TRUE(ChooseTransit(2012, 6, 5, CoefficientSource::Default, choice, why));
    double east[ephemeris::ContactCount][3];  // as the ephemeris gives them: longitude east positive
    ephemeris::ContactCoefficients(choice.transit, east);
    const double sites[][2] = {{19.8, -155.5}, {-33.9, 151.2}, {35.7, 139.5}, {64.8, -147.7}, {1.3, 103.9},
                               {52.3, 104.3}, {-36.9, 174.8}, {37.3, -121.6}};
    std::vector<Timing> timings;
    for (const auto& s : sites) {
        for (int c = 1; c <= 4; ++c) {
            const double lat = s[0] * std::numbers::pi / 180.0, lon = s[1] * std::numbers::pi / 180.0;
            const double* a = east[c - 1];
            const double lever = a[0] * std::cos(lat) * std::cos(lon) + a[1] * std::cos(lat) * std::sin(lon) + a[2] * std::sin(lat);
            timings.push_back(Clock("s" + std::to_string(timings.size()), s[0], s[1], c,
                                    SecondsOfDay(choice.transit.contactJdUt[c - 1]) + lever));
        }
    }
    FitState state;
    const FitResult r = FitCampaign(Of(timings), {choice.model}, FitOptions{}, state);
    ASSERT_TRUE(r.fitted);
    EXPECT_NEAR(r.auKm / ReferenceAuKm, 1.0, 1e-9);
}

TEST(Diagnose, NamesTimingsMadeWhereTheSunHadNotRisen) {
    // 2004: contact 1 came at 01:13 local time in New York, with the Sun up in Pretoria and Cairo; contact 4
    // at 19:26 in Jakarta, after sunset. A duration 1-4 from New York spans a night there.
    Campaign campaign = Of({Clock("Pretoria", -25.75, 28.23, 1, 18800), Clock("New York", 40.7, -74.0, 1, 18790),
                            Clock("Cairo", 30.0, 31.2, 4, 41150), Clock("Jakarta", -6.2, 106.8, 4, 41200),
                            Clock("New York", 40.7, -74.0, 1, 22000), Clock("Perth", -31.9, 115.9, 1, 18700),
                            Clock("Madrid", 40.4, -3.7, 4, 41180)});
    campaign.timings[4].end = 4;
    std::ostringstream err;
    ReduceOptions options;  // three timings of seven at night: the timings alone name no transit
    options.transitGiven = true;
    options.transitYear = 2004, options.transitMonth = 6, options.transitDay = 8;
    const Reduction reduced = Reduce(campaign, options, err);
    ASSERT_EQ(reduced.outcome, Outcome::Reduced);
    const bool below[] = {false, true, false, true, true, false, false};
    for (std::size_t i = 0; i < std::size(below); ++i) {
        EXPECT_EQ((reduced.fit.timings[i].flagBits & (1u << BelowHorizonFlag)) != 0, below[i]) << i;
    }
    ASSERT_FALSE(FindingsOf(reduced.fit, 1).empty());
    const Finding& finding = FindingsOf(reduced.fit, 1).back().finding;
    ASSERT_TRUE(std::holds_alternative<BelowHorizon>(finding));
    EXPECT_LT(std::get<BelowHorizon>(finding).sunAltitudeDeg, -1.0);
    EXPECT_NE(FindingText(finding, kit::Language::English).find("degrees below the horizon"), std::string::npos);
}

TEST(DropForeignTimings, ReportsContactsAndDatesOutsideTheTransit) {
    TransitChoice choice;
    TransitRefusal why;
    ASSERT_TRUE(ChooseTransit(2012, 6, 5, CoefficientSource::Default, choice, why));
    Campaign campaign = Of({Clock("A", 20, -155, 1, 79800), Clock("B", 20, -155, 3, 16300), Clock("C", 20, -155, 3, 16300)});
    campaign.timings[1].year = 2012, campaign.timings[1].month = 6, campaign.timings[1].day = 6;
    campaign.timings[2].year = 2012, campaign.timings[2].month = 6, campaign.timings[2].day = 9;
    std::ostringstream err;
    DropForeignTimings({choice}, campaign, err);
    ASSERT_EQ(campaign.timings.size(), 2u);
    EXPECT_EQ(campaign.rowsSkipped, 1);
    EXPECT_NE(err.str().find("t.csv:4: the date 2012-06-09 is not a day of the transit of 2012-06-06"), std::string::npos)
        << err.str();
}
