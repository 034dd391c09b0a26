// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// Pace of the ephemeris: one transit's contacts and site coefficients (found from its date, as
// `transits coefficients` does), the whole catalogue 1600-2200 of both planets, and one site's contact from
// the Besselian elements (with the site's own making, and at a site made beforehand) against the direct solver. Medians of ROUNDS runs.
// Usage: bench_transits [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "Ephemeris.h"

namespace {

template <typename Work>
double MedianMilliseconds(int rounds, Work work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    if (rounds < 1) return 2;
    using namespace ephemeris;
    const EphemerisOptions options;
    const struct {
        const char* name;
        Planet planet;
        int year, month, day;
    } cases[] = {{"Venus 2004-06-08", Planet::Venus, 2004, 6, 8}, {"Mercury 2019-11-11", Planet::Mercury, 2019, 11, 11}};
    std::size_t sink = 0;
    for (const auto& c : cases) {
        const double ms = MedianMilliseconds(rounds, [&] {
            Transit t;
            if (FindTransit(c.planet, c.year, c.month, c.day, options, t)) {
                double a[ContactCount][3];
                ContactCoefficients(t, a);
                sink += static_cast<std::size_t>(a[0][0] != 0.0);
            }
        });
        std::printf("%-20s contacts and coefficients  %8.1f ms\n", c.name, ms);
    }
    std::size_t count = 0;
    const double ms = MedianMilliseconds(rounds, [&] { count = ListTransits(std::nullopt, 1600, 2200, options).size(); });
    std::printf("%-20s whole catalogue (%zu)     %8.1f ms\n", "1600-2200", count, ms);
    for (const auto& c : cases) {
        Transit t;
        BesselianElements e;
        if (!FindTransit(c.planet, c.year, c.month, c.day, options, t) || !ElementsOf(t, e)) return 1;
        const double elementsMs = MedianMilliseconds(rounds, [&] { sink += static_cast<std::size_t>(ElementsOf(t, e)); });
        // 10000 predictions over sites spread across the day side, all four contacts.
        constexpr int Predictions = 10000;
        const double predictMs = MedianMilliseconds(rounds, [&] {
            for (int i = 0; i < Predictions; ++i) {
                double jd = 0.0, perQ = 0.0;
                const double lat = -60.0 + 120.0 * (i % 97) / 96.0, lon = -180.0 + 360.0 * (i % 89) / 89.0;
                sink += static_cast<std::size_t>(PredictContact(e, 1 + i % 4, lat, lon, 0.0, 1.0, jd, perQ));
            }
        });
        // The same at sites made beforehand, as the fit makes each site once for all its timings.
        std::vector<ElementsSite> sites;
        for (int i = 0; i < Predictions; ++i) {
            sites.push_back(ElementsSiteOf(-60.0 + 120.0 * (i % 97) / 96.0, -180.0 + 360.0 * (i % 89) / 89.0, 0.0));
        }
        const double atSiteMs = MedianMilliseconds(rounds, [&] {
            for (int i = 0; i < Predictions; ++i) {
                double jd = 0.0, perQ = 0.0;
                sink += static_cast<std::size_t>(PredictContact(e, 1 + i % 4, sites[static_cast<std::size_t>(i)], 1.0, jd, perQ));
            }
        });
        // And with the curvature in q that the fit asks of each prediction.
        const double curvedMs = MedianMilliseconds(rounds, [&] {
            for (int i = 0; i < Predictions; ++i) {
                double jd = 0.0, perQ = 0.0, perQSquared = 0.0;
                sink += static_cast<std::size_t>(PredictContact(e, 1 + i % 4, sites[static_cast<std::size_t>(i)], 1.0, jd, perQ,
                                                                std::numeric_limits<double>::quiet_NaN(), &perQSquared));
            }
        });
        const double solverMs = MedianMilliseconds(rounds, [&] {
            LocalCircumstances local;
            sink += static_cast<std::size_t>(LocalContacts(t, 10.0, 20.0, 0.0, local));
        });
        std::printf("%-20s elements %8.3f ms, one contact %8.3f us (%.3f us at a site made before, %.3f us with its "
                    "curvature), direct solver (4 contacts) %8.3f ms\n",
                    c.name, elementsMs, predictMs * 1000.0 / Predictions, atSiteMs * 1000.0 / Predictions,
                    curvedMs * 1000.0 / Predictions, solverMs);
    }
    return sink == 0 ? 1 : 0;
}
