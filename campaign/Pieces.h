// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstddef>
#include <functional>

namespace campaign {

// How many threads ForEachPiece uses at most: the processors the system reports, 1 to 8.
unsigned PieceThreads();

// Runs work(begin, end) over [0, count) cut into contiguous pieces of at least least elements, one piece per
// thread (the calling one among them), and returns when every piece is done. The work of one element must
// not depend on another's or on where the pieces are cut: the results are then the same on any machine.
// Where no thread can be started, the calling thread does that piece as well.
void ForEachPiece(std::size_t count, std::size_t least, const std::function<void(std::size_t, std::size_t)>& work);

}  // namespace campaign
