// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <gtest/gtest.h>

#include <utility>

#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <cstdio>
#include <vector>

using namespace ephemeris;

namespace {

struct Site {
    double lat, lon, height;
};

// Every 15 degrees of latitude and 30 of longitude, a few of them high up.
std::vector<Site> Grid() {
    std::vector<Site> sites;
    for (int lat = -90; lat <= 90; lat += 15) {
        for (int lon = -180; lon < 180; lon += 30) {
            sites.push_back({static_cast<double>(lat), static_cast<double>(lon), (lat + lon) % 60 == 0 ? 3000.0 : 0.0});
        }
    }
    return sites;
}

// The worst disagreement in seconds between PredictContact and LocalContacts over sites, where the Sun is
// up at the contact; counts the contacts compared and every disagreement about whether one happens.
double WorstDisagreement(const Transit& t, const std::vector<Site>& sites, int& compared, int& mismatches) {
    BesselianElements e;
    EXPECT_TRUE(ElementsOf(t, e));
    double worst = 0.0;
    for (const Site& s : sites) {
        LocalCircumstances local;
        if (!LocalContacts(t, s.lat, s.lon, s.height, local)) continue;
        for (int c = 1; c <= ContactCount; ++c) {
            double jd = 0.0, perQ = 0.0;
            const bool predicted = PredictContact(e, c, s.lat, s.lon, s.height, 1.0, jd, perQ);
            if (!local.contactHappens[c - 1]) {
                // A contact the site does not see is not made up (the solver's window is the wider).
                if (predicted && jd > e.startJdUt && jd < e.endJdUt) ++mismatches;
                continue;
            }
            if (local.contactSunAltitudeDegrees[c - 1] <= 0.0) continue;
            if (!predicted) {
                ++mismatches;
                continue;
            }
            ++compared;
            worst = std::fmax(worst, std::fabs(jd - local.contactJdUt[c - 1]) * 86400.0);
        }
    }
    return worst;
}

}  // namespace

TEST(PredictContact, AgreesWithTheDirectSolverOverTheGlobe) {
    // Every transit of both planets 1761..2117, each over a sample of the grid that moves from transit to
    // transit: a third of it for Venus, one site in 26 for Mercury, all of it for the grazing transit of
    // 1937 (the whole grid for every transit agrees too, to 0.0002 s, in 20 s).
    const std::vector<Site> grid = Grid();
    const std::vector<Transit> transits = ListTransits(std::nullopt, 1761, 2117, EphemerisOptions{});
    ASSERT_GT(transits.size(), 40u);
    double worst = 0.0;
    int compared = 0, mismatches = 0, index = 0;
    for (const Transit& t : transits) {
        std::vector<Site> sites;
        const std::size_t every = t.planet == Planet::Venus ? 3 : !t.contactHappens[1] ? 1 : 26;
        for (std::size_t i = 0; i < grid.size(); ++i) {
            if ((i + static_cast<std::size_t>(index)) % every == 0) sites.push_back(grid[i]);
        }
        const double w = WorstDisagreement(t, sites, compared, mismatches);
        const CalendarTime when = CalendarFromJd(t.greatestJdUt);
        EXPECT_LT(w, 0.01) << (t.planet == Planet::Venus ? "Venus " : "Mercury ") << when.year;
        worst = std::fmax(worst, w);
        ++index;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(compared, 1000);
    std::printf("PredictContact vs LocalContacts: %d contacts, worst %.5f s\n", compared, worst);
}

TEST(PredictContact, FromTheCentreIsTheGeocentricContact) {
    // q = 0 puts the observer at the Earth's centre: the geocentric contacts of the solver.
    for (const auto& [year, month, day] : {std::array<int, 3>{2004, 6, 8}, {2012, 6, 6}, {2019, 11, 11}, {1769, 6, 3}}) {
        Transit t;
        ASSERT_TRUE(FindTransit(std::nullopt, year, month, day, EphemerisOptions{}, t));
        BesselianElements e;
        ASSERT_TRUE(ElementsOf(t, e));
        for (int c = 1; c <= ContactCount; ++c) {
            double jd = 0.0, perQ = 0.0;
            ASSERT_TRUE(PredictContact(e, c, 51.5, 10.0, 0.0, 0.0, jd, perQ));
            EXPECT_NEAR((jd - t.contactJdUt[c - 1]) * 86400.0, 0.0, 0.01) << year << " contact " << c;
        }
    }
}

TEST(PredictContact, GivesTheSlopeInTheSolarParallax) {
    // d(jdUt)/dq against central differences; and the slope at q = 1 times 1 is the shift from the centre
    // to first order (the contact moves linearly with the site vector, to a few per cent).
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2012, 6, 6, EphemerisOptions{}, t));
    BesselianElements e;
    ASSERT_TRUE(ElementsOf(t, e));
    const Site sites[] = {{21.3, -157.9, 0.0}, {-33.9, 151.2, 50.0}, {64.1, -21.9, 0.0}, {78.2, 15.6, 0.0}};
    for (const Site& s : sites) {
        for (int c = 1; c <= ContactCount; ++c) {
            double jd = 0, perQ = 0, jdUp = 0, jdDown = 0, unused = 0;
            ASSERT_TRUE(PredictContact(e, c, s.lat, s.lon, s.height, 1.0, jd, perQ));
            // Steps of 0.01 in q: a Julian date in double resolves 40 microseconds.
            ASSERT_TRUE(PredictContact(e, c, s.lat, s.lon, s.height, 1.01, jdUp, unused));
            ASSERT_TRUE(PredictContact(e, c, s.lat, s.lon, s.height, 0.99, jdDown, unused));
            const double difference = (jdUp - jdDown) / 0.02;
            EXPECT_NEAR(perQ * 86400.0, difference * 86400.0, 1e-3 * std::fabs(difference * 86400.0) + 0.005)
                << s.lat << " contact " << c;
            double centre = 0.0;
            ASSERT_TRUE(PredictContact(e, c, s.lat, s.lon, s.height, 0.0, centre, unused));
            EXPECT_NEAR(perQ * 86400.0, (jd - centre) * 86400.0, 0.05 * std::fabs((jd - centre) * 86400.0) + 1.0);
        }
    }
}

TEST(PredictContact, GivesTheCurvatureInTheSolarParallax) {
    // d2(jdUt)/dq2 against central differences of the slope, for Venus and for Mercury, whose contacts
    // near a grazing site bend most; in seconds.
    struct Case {
        Planet planet;
        int year, month, day;
    };
    const Case cases[] = {{Planet::Venus, 2012, 6, 6}, {Planet::Mercury, 2019, 11, 11}, {Planet::Venus, 1769, 6, 3}};
    const Site sites[] = {{21.3, -157.9, 0.0}, {-33.9, 151.2, 50.0}, {64.1, -21.9, 0.0}, {-12.0, -77.0, 3000.0}, {40.0, 30.0, 0.0}};
    int compared = 0;
    for (const Case& k : cases) {
        Transit t;
        ASSERT_TRUE(FindTransit(k.planet, k.year, k.month, k.day, EphemerisOptions{}, t));
        BesselianElements e;
        ASSERT_TRUE(ElementsOf(t, e));
        for (const Site& s : sites) {
            const ElementsSite site = ElementsSiteOf(s.lat, s.lon, s.height);
            for (int c = 1; c <= ContactCount; ++c) {
                double jd = 0, perQ = 0, curvature = 0, up = 0, perQUp = 0, down = 0, perQDown = 0;
                const double nan = std::numeric_limits<double>::quiet_NaN();
                if (!PredictContact(e, c, site, 1.0, jd, perQ, nan, &curvature)) continue;
                ASSERT_TRUE(PredictContact(e, c, site, 1.001, up, perQUp));
                ASSERT_TRUE(PredictContact(e, c, site, 0.999, down, perQDown));
                const double difference = (perQUp - perQDown) / 0.002 * 86400.0;
                EXPECT_NEAR(curvature * 86400.0, difference, 1e-3 * std::fabs(difference) + 1e-3)
                    << k.year << ' ' << s.lat << ' ' << s.lon << " contact " << c;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 40);
}

TEST(PredictContact, RefusesWhatItCannotKnow) {
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2004, 6, 8, EphemerisOptions{}, t));
    BesselianElements e;
    ASSERT_TRUE(ElementsOf(t, e));
    double jd = 0.0, perQ = 0.0;
    EXPECT_FALSE(PredictContact(e, 0, 0.0, 0.0, 0.0, 1.0, jd, perQ));
    EXPECT_FALSE(PredictContact(e, 5, 0.0, 0.0, 0.0, 1.0, jd, perQ));
    // An observer a hundred Earth radii out sees the planet pass beside the Sun.
    EXPECT_FALSE(PredictContact(e, 2, 0.0, 0.0, 0.0, 100.0, jd, perQ));
    EXPECT_FALSE(ElementsOf(Transit{}, e));
}

TEST(PredictContact, CostsAboutAMicrosecond) {
    // Loose on purpose (machines and sanitizers differ): the benchmark measures; this catches a slip
    // of orders of magnitude, such as a call into libnova per step.
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2012, 6, 6, EphemerisOptions{}, t));
    BesselianElements e;
    ASSERT_TRUE(ElementsOf(t, e));
    const int count = 20000;
    double sum = 0.0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        double jd = 0.0, perQ = 0.0;
        if (PredictContact(e, 1 + i % 4, -30.0 + (i % 61), -170.0 + (i % 341), 0.0, 1.0, jd, perQ)) sum += jd;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(sum, 0.0);
    EXPECT_LT(seconds / count, 100e-6);
    std::printf("PredictContact: %.3f microseconds each\n", seconds / count * 1e6);
}

TEST(PredictContact, FindsTheSameContactFromWhereverItStarts) {
    // Each contact of 2004 at Bochum and Pretoria from the geocentric contact, from itself, from a second and
    // five minutes away, and from outside the elements' span (where the geocentric start takes over): the
    // same instant to the 2e-11 day the search ends within.
    Transit t;
    ASSERT_TRUE(FindTransit(Planet::Venus, 2004, 6, 8, EphemerisOptions{}, t));
    BesselianElements e;
    ASSERT_TRUE(ElementsOf(t, e));
    for (const auto& [latitude, longitude] : {std::pair{51.43, 7.19}, std::pair{-25.75, 28.23}}) {
        const ElementsSite site = ElementsSiteOf(latitude, longitude, 100.0);
        for (int c = 1; c <= ContactCount; ++c) {
            double jd = 0.0, perQ = 0.0;
            ASSERT_TRUE(PredictContact(e, c, site, 1.0, jd, perQ));
            for (const double fromS : {0.0, 1.0, -300.0, 300.0, 86400.0}) {
                double again = 0.0, againPerQ = 0.0;
                ASSERT_TRUE(PredictContact(e, c, site, 1.0, again, againPerQ, jd + fromS / 86400.0)) << c << ' ' << fromS;
                EXPECT_NEAR((again - jd) * 86400.0, 0.0, 2e-6) << c << ' ' << fromS;
                EXPECT_NEAR(againPerQ / perQ, 1.0, 1e-9) << c << ' ' << fromS;
            }
        }
    }
}
