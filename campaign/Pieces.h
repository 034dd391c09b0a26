// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <iterator>
#include <mutex>
#include <vector>

namespace campaign {

// How many threads ForEachPiece uses at most: the processors the system reports, 1 to 8.
unsigned PieceThreads();

// Runs work(begin, end) over [0, count) cut into contiguous pieces of at least least elements, one piece per
// thread (the calling one among them), and returns when every piece is done. The work of one element must
// not depend on another's or on where the pieces are cut: the results are then the same on any machine.
// Where no thread can be started, the calling thread does that piece as well.
void ForEachPiece(std::size_t count, std::size_t least, const std::function<void(std::size_t, std::size_t)>& work);

// Sorts values by less, a strict total order (ties broken, say by an index), its pieces each on a processor
// and then merged in turn: the order is the one a single sort gives, wherever the pieces are cut.
template <typename T, typename Less>
void SortInPieces(std::vector<T>& values, Less less) {
    constexpr std::size_t Least = 1 << 16;  // fewer are sorted faster than a thread starts
    // Rows grouped as they were written (an observer's timings together) are often in order already.
    if (std::is_sorted(values.begin(), values.end(), less)) return;
    std::vector<std::size_t> ends;
    std::mutex lock;
    ForEachPiece(values.size(), Least, [&](std::size_t begin, std::size_t end) {
        std::sort(values.begin() + static_cast<std::ptrdiff_t>(begin), values.begin() + static_cast<std::ptrdiff_t>(end), less);
        const std::scoped_lock held(lock);
        ends.push_back(end);
    });
    std::sort(ends.begin(), ends.end());
    for (std::size_t k = 1; k < ends.size(); ++k) {
        std::inplace_merge(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(ends[k - 1]),
                           values.begin() + static_cast<std::ptrdiff_t>(ends[k]), less);
    }
}

}  // namespace campaign
