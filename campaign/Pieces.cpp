// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Pieces.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace campaign {

unsigned PieceThreads() {
    // More threads than this would share a memory bus the work already fills.
    constexpr unsigned MostThreads = 8;
    // Asked once: the library reads the processors from the system each time.
    static const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, MostThreads);
    return threads;
}

void ForEachPiece(std::size_t count, std::size_t least, const std::function<void(std::size_t, std::size_t)>& work) {
    if (count == 0) return;
    const std::size_t pieces = std::clamp<std::size_t>(count / std::max<std::size_t>(least, 1), 1, PieceThreads());
    auto begin = [&](std::size_t p) { return count / pieces * p + std::min(p, count % pieces); };
    // Memory running out inside a piece is carried to the calling thread, where the program's edge reports it:
    // escaping a thread it would end the program without a word.
    std::vector<std::exception_ptr> failures(pieces);
    auto run = [&](std::size_t p) {
        try {
            work(begin(p), begin(p + 1));
        } catch (...) {
            failures[p] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    std::vector<std::size_t> leftOver;
    threads.reserve(pieces - 1);
    for (std::size_t p = 1; p < pieces; ++p) {
        // The library reports a thread it cannot start by throwing: that piece waits for the calling thread.
        try {
            threads.emplace_back(run, p);
        } catch (const std::system_error&) {
            leftOver.push_back(p);
        }
    }
    run(0);
    for (const std::size_t p : leftOver) run(p);
    for (std::thread& thread : threads) thread.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
}

}  // namespace campaign
