// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstdint>

#include "Ephemeris.h"

// The transits the tests draw maps of, found as transits contacts DATE finds them.
struct MapCase {
    ephemeris::Planet planet;
    int year, month, day;
};

inline constexpr MapCase MapCases[] = {
    {ephemeris::Planet::Venus, 2004, 6, 8},    {ephemeris::Planet::Venus, 2012, 6, 6},
    {ephemeris::Planet::Venus, 1769, 6, 3},    {ephemeris::Planet::Mercury, 2019, 11, 11},
    {ephemeris::Planet::Mercury, 2032, 11, 13},
};

inline ephemeris::Transit FoundTransit(const MapCase& c) {
    ephemeris::Transit transit;
    ephemeris::FindTransit(c.planet, c.year, c.month, c.day, ephemeris::EphemerisOptions{}, transit);
    return transit;
}

// A small generator of its own (64-bit LCG, Knuth's MMIX constants), so that the points are the same everywhere.
struct Points {
    std::uint64_t state = 20040608;
    double Next(double low, double high) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return low + (high - low) * static_cast<double>(state >> 11) / 9007199254740992.0;
    }
};
