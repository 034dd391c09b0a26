// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Pieces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

using namespace campaign;

TEST(ForEachPiece, EveryElementOnceInContiguousPieces) {
    const struct {
        std::size_t count, least;
    } cases[] = {{0, 1}, {1, 1}, {2, 1}, {7, 1}, {1000, 1}, {1000, 300}, {1000, 1000}, {1000, 5000}, {100003, 4096}, {5, 0}};
    for (const auto& c : cases) {
        std::vector<std::atomic<int>> seen(c.count);
        std::atomic<int> pieces = 0, calls = 0;
        std::atomic<bool> ordered = true;
        ForEachPiece(c.count, c.least, [&](std::size_t begin, std::size_t end) {
            ++calls;
            if (!(begin < end && end <= c.count)) ordered = false;
            for (std::size_t i = begin; i < end; ++i) ++seen[i];
            ++pieces;
        });
        for (std::size_t i = 0; i < c.count; ++i) EXPECT_EQ(seen[i].load(), 1) << c.count << " elements, element " << i;
        EXPECT_TRUE(ordered.load()) << c.count << " elements";
        // No empty piece, none smaller than asked unless the whole is, and no more than the threads.
        const std::size_t most = c.count == 0 ? 0 : std::max<std::size_t>(1, c.count / std::max<std::size_t>(c.least, 1));
        EXPECT_LE(static_cast<std::size_t>(calls.load()), std::min<std::size_t>(most, PieceThreads())) << c.count << " elements";
        EXPECT_EQ(pieces.load(), calls.load());
    }
}

TEST(ForEachPiece, FailureInAPieceReachesTheCaller) {
    // The library's exception from one piece (here an index out of range) comes out of the call, after
    // every other piece has finished.
    std::atomic<int> done = 0;
    const std::vector<int> none;
    EXPECT_THROW(ForEachPiece(4 * PieceThreads(), 1,
                              [&](std::size_t begin, std::size_t end) {
                                  if (begin == 0) static_cast<void>(none.at(end));
                                  ++done;
                              }),
                 std::out_of_range);
    EXPECT_EQ(done.load(), static_cast<int>(PieceThreads()) - 1);
}

TEST(SortInPieces, GivesTheOrderOfOneSort) {
    // Enough values for a piece per processor, few distinct keys so that the index decides most ties, and
    // sizes that do not divide evenly: the merged pieces are the one sort's order.
    for (const std::size_t count : {std::size_t{0}, std::size_t{5}, std::size_t{300001}}) {
        std::vector<std::pair<int, std::size_t>> values(count);
        for (std::size_t i = 0; i < count; ++i) values[i] = {static_cast<int>((i * 7919) % 13), i};
        std::vector<std::pair<int, std::size_t>> expected = values;
        std::sort(expected.begin(), expected.end());
        SortInPieces(values, [](const auto& a, const auto& b) { return a < b; });
        EXPECT_EQ(values, expected) << count;
        SortInPieces(values, [](const auto& a, const auto& b) { return a < b; });  // in order already
        EXPECT_EQ(values, expected) << count;
    }
}
