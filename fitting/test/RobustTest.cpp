// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Robust.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

using namespace fitting;

TEST(Median, ManyValuesGiveTheMiddleOfTheSortedValues) {
    // Beyond some 130,000 values the median is counted in pieces by the values' top bits: it must be
    // the value a sort puts in the middle, for spreads, ties, signs and zeros of either sign.
    std::uint64_t state = 20040608;
    auto next = [&] { return (state = state * 6364136223846793005ull + 1442695040888963407ull) >> 11; };
    const struct {
        const char* what;
        std::function<double(std::size_t)> value;
    } cases[] = {
        {"spread", [&](std::size_t) { return static_cast<double>(next()) * 1e-12 - 4.0; }},
        {"residuals", [&](std::size_t) { const double u = static_cast<double>(next() % 2000001) / 1e5 - 10.0; return u * u * u; }},
        {"ties", [&](std::size_t i) { return static_cast<double>(i % 7) - 3.0; }},
        {"zeros", [&](std::size_t i) { return i % 3 == 0 ? -0.0 : i % 3 == 1 ? 0.0 : 1e-300 * static_cast<double>(i % 5); }},
        {"one value", [&](std::size_t) { return 2.5; }},
    };
    for (const auto& c : cases) {
        for (const std::size_t n : {std::size_t{300000}, std::size_t{1000001}}) {
            std::vector<double> values(n);
            for (std::size_t i = 0; i < n; ++i) values[i] = c.value(i);
            std::vector<double> sorted = values;
            std::sort(sorted.begin(), sorted.end());
            EXPECT_EQ(Median(values), sorted[n / 2]) << c.what << ' ' << n;
        }
    }
}
