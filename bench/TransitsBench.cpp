// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// Pace of the ephemeris: one transit's contacts and site coefficients (found from its date, as
// `transits coefficients` does), and the whole catalogue 1600-2200 of both planets. Medians of ROUNDS runs.
// Usage: bench_transits [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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
    return sink == 0 ? 1 : 0;
}
