// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

using namespace report;

TEST(Format, WritesFixedDecimalsAsPrintfDoes) {
    // Exact ties in binary (sixteenths, halves), values just either side of a decimal tie, signs, zeros of
    // either sign, the very small and the very large, what printf alone writes (not finite), and a spread of
    // O-C and levers as a fit gives them.
    std::vector<double> values = {0.0, -0.0, 0.0625, -0.0625, 0.1875, 2.5, 3.5, -2.5, 0.0005, 0.00049999999999999996,
                                  1.0005, 1e-300, -1e-300, 123456.78949999999, 1e14 + 0.5, 9.999999e14, 1e16, 1e300,
                                  std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity()};
    for (int k = -64; k <= 64; ++k) values.push_back(k / 16.0 + 1000.0 * k);
    std::uint64_t state = 20120606;
    for (int k = 0; k < 20000; ++k) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        values.push_back((static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5) * std::pow(10.0, k % 12 - 4));
    }
    for (const double value : values) {
        for (int decimals = 0; decimals <= 4; ++decimals) {
            char expected[512];
            std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
            ASSERT_EQ(Format("%.*f", value, decimals), expected) << decimals << " decimals of " << value;
        }
    }
}
