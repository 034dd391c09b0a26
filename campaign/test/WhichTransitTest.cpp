// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "WhichTransit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

using namespace campaign;

namespace {

// Observatories around the world: each transit is seen from some of them.
const double Sites[][2] = {{19.82, -155.47}, {37.34, -121.64}, {42.57, -88.56}, {-22.9, -43.2}, {51.48, 0.0},
                           {-33.93, 18.48},  {29.86, 31.34},   {17.43, 78.45},  {-6.82, 107.62}, {35.68, 139.54},
                           {-33.86, 151.2},  {64.84, -147.72}};

// Up to count clock times of the transit touching the date, by the direct contact solver (not the elements
// the identification predicts with) at each site where the Sun stands 5 degrees up, contacts first.
Campaign Seen(int year, int month, int day, std::size_t count, const std::set<int>& contacts = {1, 2, 3, 4}) {
    ephemeris::Transit transit;
    EXPECT_TRUE(ephemeris::FindTransit(std::nullopt, year, month, day, ephemeris::EphemerisOptions{}, transit));
    Campaign campaign;
    campaign.files.push_back("t.csv");
    for (const auto& site : Sites) {
        ephemeris::LocalCircumstances local;
        if (!ephemeris::LocalContacts(transit, site[0], site[1], 0.0, local)) continue;
        for (const int c : contacts) {
            if (!local.contactHappens[c - 1] || local.contactSunAltitudeDegrees[c - 1] < 5.0 || campaign.timings.size() >= count) continue;
            Timing t;
            t.latitudeDegrees = site[0], t.longitudeDegrees = site[1];
            t.start = static_cast<std::int8_t>(c);
            const double jd = local.contactJdUt[c - 1];
            t.seconds = (jd - 0.5 - std::floor(jd - 0.5)) * DaySeconds;
            campaign.timings.push_back(t);
        }
    }
    EXPECT_GE(campaign.timings.size(), std::min<std::size_t>(count, 4));
    return campaign;
}

std::string Named(const Identification& found) {
    std::string names;
    for (const TransitCandidate& c : found.contenders) {
        names += (c.planet == ephemeris::Planet::Venus ? "V" : "M") + std::to_string(c.year * 10000 + c.month * 100 + c.day) + " ";
    }
    return names;
}

}  // namespace

TEST(IdentifyTransit, NamesTheTransitWhoseContactsTheTimingsMatch) {
    Campaign night = Seen(2004, 6, 8, 12);  // the times right, the sites on the far side of the Earth
    for (Timing& t : night.timings) {
        t.latitudeDegrees = -t.latitudeDegrees;
        t.longitudeDegrees += t.longitudeDegrees > 0.0 ? -180.0 : 180.0;
    }
    const struct {
        const char* what;
        Campaign campaign;
        bool identified;
        const char* contenders;  // alike in count, nearest first; greatest transit's UT date (nullptr: any)
    } cases[] = {
        // 230 years apart, their contacts a quarter of an hour from each other: only the distance parts them.
        {"Mercury 2019", Seen(2019, 11, 11, 12), true, "M20191111 M17891105 "},
        {"Mercury 1789", Seen(1789, 11, 5, 12), true, "M17891105 M20191111 "},
        {"the Sun down", night, false, nullptr},
        // Contacts 1 and 2 of these two come within 30 s of each other (3 and 4 thirteen minutes apart).
        {"Mercury 2078, ingress only", Seen(2078, 11, 14, 12, {1, 2}), false, "M20781114 M20851107 "},
    };
    for (const auto& c : cases) {
        const Identification found = IdentifyTransit(c.campaign, TransitCatalogue());
        EXPECT_EQ(found.identified, c.identified) << c.what;
        if (c.contenders != nullptr) {
            EXPECT_EQ(Named(found), c.contenders) << c.what;
        }
    }
}

TEST(SampleTimings, SpreadsOverTheCampaignEverySiteFirst) {
    // One site throughout, and twenty others once each where a plain stride of four would never land.
    Campaign campaign;
    for (int k = 0; k < 240; ++k) {
        Timing t;
        t.latitudeDegrees = k % 12 == 5 ? k : 50.0;
        campaign.timings.push_back(t);
    }
    const std::vector<std::size_t> sample = SampleTimings(campaign);
    ASSERT_EQ(sample.size(), SampledTimings);
    std::set<double> sites;
    for (const std::size_t i : sample) sites.insert(campaign.timings[i].latitudeDegrees);
    EXPECT_EQ(sites.size(), 21u);
    EXPECT_EQ(std::adjacent_find(sample.begin(), sample.end(), [](auto a, auto b) { return b - a > 12; }), sample.end());
    EXPECT_GT(sample.back(), 225u);
    campaign.timings.resize(7);
    EXPECT_EQ(SampleTimings(campaign).size(), 7u);
}
