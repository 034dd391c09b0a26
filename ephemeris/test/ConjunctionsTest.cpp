// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Published.h"

using namespace ephemeris;

namespace {

struct PublishedEvent {
    int year, month, day;  // UT date of the event
    const char* clock;
};

struct PublishedTransit {
    const char* source;
    Planet planet;
    int year, month, day;        // a date the transit touches
    Radii radii;
    double deltaTSeconds;        // 0: DeltaTSeconds
    PublishedEvent events[5];    // C1, C2, greatest, C3, C4
    double toleranceSeconds;
    double minSeparationArcsec;  // 0: not published
    double separationToleranceArcsec;
};

const std::vector<PublishedTransit> Published = {
    {"NASA, 2004 transit of Venus", Planet::Venus, 2004, 6, 8, Radii::Nasa, 0.0,
     {{2004, 6, 8, "05:13:29"}, {2004, 6, 8, "05:32:55"}, {2004, 6, 8, "08:19:44"}, {2004, 6, 8, "11:06:33"},
      {2004, 6, 8, "11:25:59"}},
     2.0, 627.0, 0.3},
    // From here on the measured Delta T (USNO) meets what the predictions assumed to a few tenths of a
    // second: the published times are met to 1.5 s with no Delta T given (2016: see there).
    {"NASA, 2012 transit of Venus", Planet::Venus, 2012, 6, 5, Radii::Nasa, 0.0,
     {{2012, 6, 5, "22:09:38"}, {2012, 6, 5, "22:27:34"}, {2012, 6, 6, "01:29:36"}, {2012, 6, 6, "04:31:39"},
      {2012, 6, 6, "04:49:35"}},
     1.5, 554.4, 0.3},
    // Espenak's 2016 times (Observer's Handbook 2016, written a year ahead) lie 2 s after ours and 3 s after
    // the IOTA's Occult4 on JPL's ephemeris with Delta T 68.2 s (exterior contacts 11:12:16, 18:42:23 UT),
    // which ours meet to 1.3 s: his Delta T was not the one measured later. Within 2.2 s.
    {"NASA, 2016 transit of Mercury", Planet::Mercury, 2016, 5, 9, Radii::Nasa, 0.0,
     {{2016, 5, 9, "11:12:19"}, {2016, 5, 9, "11:15:31"}, {2016, 5, 9, "14:57:26"}, {2016, 5, 9, "18:39:14"},
      {2016, 5, 9, "18:42:26"}},
     2.2, 318.5, 0.3},
    // Espenak's prediction used the Delta T measured in 2019 (69.4 s, TT - UT1 from the IERS), which the
    // USNO's monthly values give too.
    {"Espenak, 2019 transit of Mercury", Planet::Mercury, 2019, 11, 11, Radii::Nasa, 0.0,
     {{2019, 11, 11, "12:35:27"}, {2019, 11, 11, "12:37:08"}, {2019, 11, 11, "15:19:48"},
      {2019, 11, 11, "18:02:33"}, {2019, 11, 11, "18:04:14"}},
     1.5, 75.9, 0.2},
    // The NASA catalogue gives minutes: Delta T models differ by seconds this far back.
    {"NASA catalogue, 1769 transit of Venus", Planet::Venus, 1769, 6, 3, Radii::Nasa, 0.0,
     {{1769, 6, 3, "19:15"}, {1769, 6, 3, "19:34"}, {1769, 6, 3, "22:25"}, {1769, 6, 4, "01:16"},
      {1769, 6, 4, "01:35"}},
     60.0, 609.3, 0.3},
};

double EventJd(const Transit& t, int index) {
    return index == 2 ? t.greatestJdUt : t.contactJdUt[index < 2 ? index : index - 1];
}

}  // namespace

TEST(FindTransit, MeetsThePublishedContactTimes) {
    for (const PublishedTransit& p : Published) {
        EphemerisOptions options;
        options.radii = p.radii;
        if (p.deltaTSeconds != 0.0) options.deltaTSeconds = p.deltaTSeconds;
        Transit t;
        ASSERT_TRUE(FindTransit(p.planet, p.year, p.month, p.day, options, t)) << p.source;
        EXPECT_EQ(t.planet, p.planet);
        for (int i = 0; i < 5; ++i) {
            if (i != 2) {
                EXPECT_TRUE(t.contactHappens[i < 2 ? i : i - 1]) << p.source;
            }
            const PublishedEvent& e = p.events[i];
            EXPECT_NEAR(SecondsAfter(e.year, e.month, e.day, e.clock, EventJd(t, i)), 0.0, p.toleranceSeconds)
                << p.source << ", event " << i;
        }
        EXPECT_NEAR(t.minSeparationArcsec, p.minSeparationArcsec, p.separationToleranceArcsec) << p.source;
    }
}

TEST(FindTransit, MeetsTheImcceContactsWithSolidRadii) {
    // IMCCE, 2004 transit of Venus, Venus of 6051.8 km: contact 1 05:13:33.2, contact 4 11:25:53.8 UT.
    EphemerisOptions options;
    options.radii = Radii::Iau;
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2004, 6, 8, options, t));
    EXPECT_EQ(t.radii, Radii::Iau);
    EXPECT_NEAR(SecondsAfter(2004, 6, 8, "05:13:33.2", t.contactJdUt[0]), 0.0, 1.0);
    EXPECT_NEAR(SecondsAfter(2004, 6, 8, "11:25:53.8", t.contactJdUt[3]), 0.0, 1.0);
}

TEST(FindTransit, TakesAnyDateTheTransitTouches) {
    const EphemerisOptions options;
    Transit evening, morning, t;
    ASSERT_TRUE(FindTransit(std::nullopt, 2012, 6, 5, options, evening));
    ASSERT_TRUE(FindTransit(std::nullopt, 2012, 6, 6, options, morning));
    EXPECT_EQ(evening.greatestJdUt, morning.greatestJdUt);
    EXPECT_EQ(evening.planet, Planet::Venus);
    EXPECT_FALSE(FindTransit(std::nullopt, 2012, 6, 7, options, t));
    EXPECT_FALSE(FindTransit(std::nullopt, 2004, 6, 9, options, t));
    EXPECT_FALSE(FindTransit(Planet::Mercury, 2004, 6, 8, options, t));
    EXPECT_FALSE(FindTransit(std::nullopt, 2004, 2, 30, options, t));
    EXPECT_FALSE(FindTransit(std::nullopt, 1599, 12, 31, options, t));
}

TEST(FindTransit, UsesAndReportsTheDeltaTGiven) {
    EphemerisOptions options;
    Transit measured, given;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2004, 6, 8, options, measured));
    EXPECT_EQ(measured.deltaTSource, DeltaTSource::Measured);
    options.deltaTSeconds = measured.deltaTSeconds + 10.0;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2004, 6, 8, options, given));
    EXPECT_EQ(given.deltaTSeconds, measured.deltaTSeconds + 10.0);
    EXPECT_EQ(given.deltaTSource, DeltaTSource::Given);
    Transit later;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2117, 12, 11, EphemerisOptions{}, later));
    EXPECT_EQ(later.deltaTSource, DeltaTSource::Extrapolated);
    // The same instants in TT: 10 s more of Delta T is every contact 10 s earlier in UT.
    for (int c = 0; c < ContactCount; ++c) {
        EXPECT_NEAR((measured.contactJdUt[c] - given.contactJdUt[c]) * 86400.0, 10.0, 0.01) << c + 1;
    }
}

TEST(FindTransit, KnowsAGrazingTransit) {
    // Mercury, 1937 May 11: the planet's centre never reaches the Sun's disc as seen from the Earth's
    // centre (NASA catalogue: a grazing transit, partial only), so contacts 2 and 3 do not happen.
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Mercury, 1937, 5, 11, EphemerisOptions{}, t));
    EXPECT_TRUE(t.contactHappens[0]);
    EXPECT_FALSE(t.contactHappens[1]);
    EXPECT_FALSE(t.contactHappens[2]);
    EXPECT_TRUE(t.contactHappens[3]);
    EXPECT_LT(t.contactJdUt[0], t.greatestJdUt);
    EXPECT_GT(t.contactJdUt[3], t.greatestJdUt);
}

TEST(ListTransits, FindsEveryTransitOfVenusSince1600) {
    // NASA, "Six Millennium Catalog of Venus Transits": UT date of greatest transit.
    const std::vector<std::string> expected = {"1631-12-07", "1639-12-04", "1761-06-06", "1769-06-03", "1874-12-09",
                                               "1882-12-06", "2004-06-08", "2012-06-06", "2117-12-11", "2125-12-08"};
    const std::vector<Transit> transits = ListTransits(Planet::Venus, 1600, 2200, EphemerisOptions{});
    std::vector<std::string> dates;
    for (const Transit& t : transits) {
        const CalendarTime c = CalendarFromJd(t.greatestJdUt);
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", c.year, c.month, c.day);
        dates.push_back(text);
    }
    EXPECT_EQ(dates, expected);
}

TEST(ListTransits, FindsTheTransitsOfMercuryOfThisCentury) {
    // NASA, "Seven Century Catalog of Mercury Transits", 2001-2100: fourteen transits.
    const std::vector<std::string> expected = {"2003-05-07", "2006-11-08", "2016-05-09", "2019-11-11", "2032-11-13",
                                               "2039-11-07", "2049-05-07", "2052-11-09", "2062-05-10", "2065-11-11",
                                               "2078-11-14", "2085-11-07", "2095-05-08", "2098-11-10"};
    const std::vector<Transit> transits = ListTransits(Planet::Mercury, 2001, 2100, EphemerisOptions{});
    std::vector<std::string> dates;
    for (const Transit& t : transits) {
        const CalendarTime c = CalendarFromJd(t.greatestJdUt);
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", c.year, c.month, c.day);
        dates.push_back(text);
    }
    EXPECT_EQ(dates, expected);
}

TEST(ListTransits, MergesBothPlanetsInTimeOrderAndClipsTheYears) {
    const std::vector<Transit> both = ListTransits(std::nullopt, 2000, 2020, EphemerisOptions{});
    ASSERT_EQ(both.size(), 6u);  // Mercury 2003, Venus 2004, Mercury 2006, Venus 2012, Mercury 2016, 2019
    EXPECT_EQ(both[1].planet, Planet::Venus);
    for (std::size_t i = 1; i < both.size(); ++i) EXPECT_LT(both[i - 1].greatestJdUt, both[i].greatestJdUt);
    EXPECT_TRUE(ListTransits(std::nullopt, 2020, 2000, EphemerisOptions{}).empty());
    EXPECT_TRUE(ListTransits(std::nullopt, 1000, 1599, EphemerisOptions{}).empty());
    EXPECT_EQ(ListTransits(Planet::Venus, 1000, 1700, EphemerisOptions{}).size(), 2u);  // 1631 and 1639 only
}

TEST(ListTransitsRoughly, BoundsEveryTransitOfTheCatalogue) {
    // Each transit of the ephemeris has a rough one of its planet whose contacts lie within RoughContactDays
    // of its own and whose ingress and egress last as long within RoughIngressDays (a graze: whose span holds
    // its contacts 1 and 4), at a hundredth of the cost or less.
    const auto started = std::chrono::steady_clock::now();
    const std::vector<RoughTransit> rough = ListTransitsRoughly(FirstCatalogueYear, LastCatalogueYear);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::vector<Transit> exact = ListTransits(std::nullopt, FirstCatalogueYear, LastCatalogueYear, EphemerisOptions{});
    for (std::size_t k = 1; k < rough.size(); ++k) {
        EXPECT_LT(rough[k - 1].contactJdUt[0] + rough[k - 1].contactJdUt[3], rough[k].contactJdUt[0] + rough[k].contactJdUt[3]);
    }
    double worst = 0.0;
    for (const Transit& t : exact) {
        const auto match = std::find_if(rough.begin(), rough.end(), [&](const RoughTransit& r) {
            return r.planet == t.planet && std::fabs((r.contactJdUt[0] + r.contactJdUt[3]) / 2.0 - t.greatestJdUt) < 0.5;
        });
        ASSERT_NE(match, rough.end()) << CalendarFromJd(t.greatestJdUt).year;
        const bool grazing = !t.contactHappens[1] || !t.contactHappens[2];
        if (grazing) {
            EXPECT_TRUE(match->grazing) << CalendarFromJd(t.greatestJdUt).year;
        }
        for (int c = 0; c < ContactCount; ++c) {
            if (!t.contactHappens[c]) continue;
            const double bound = RoughContactDays(t.planet);
            if (match->grazing) {
                EXPECT_GE(t.contactJdUt[c], match->contactJdUt[0] - bound);
                EXPECT_LE(t.contactJdUt[c], match->contactJdUt[3] + bound);
            } else {
                worst = std::max(worst, std::fabs(t.contactJdUt[c] - match->contactJdUt[c]));
                EXPECT_NEAR(t.contactJdUt[c], match->contactJdUt[c], bound) << CalendarFromJd(t.greatestJdUt).year << ' ' << c + 1;
                if (c == 1 || c == 3) {
                    EXPECT_NEAR(t.contactJdUt[c] - t.contactJdUt[c - 1], match->contactJdUt[c] - match->contactJdUt[c - 1], RoughIngressDays);
                }
            }
        }
    }
    std::printf("rough transits: %zu for %zu, worst contact %.1f min, %.3f s\n", rough.size(), exact.size(), worst * 1440.0, seconds);
}
