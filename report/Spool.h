// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

namespace report {

// Lays out rows [begin, end) of a report at the start of room (room grows as it must and may hold text of
// before past what is laid out) and gives the bytes laid out. Called on several threads at once: it may only
// read what every row shares.
using LayOutRows = std::function<std::size_t(std::string& room, std::size_t begin, std::size_t end)>;

// Rows a thread lays out at a time, a few hundred bytes each: the pieces' text (some 7 MB on two processors) is
// all the writing adds to the program's peak of memory, and each block starts its threads anew.
inline constexpr std::size_t RowsPerPiece = 4096;

// Rows [0, count) laid out and written to out in order: in blocks, each cut into one piece of RowsPerPiece
// per thread, each block written while the next is laid out. Where out writes to fileDescriptor and that is a
// regular file (not opened to append), each thread writes its pieces at their places itself, out flushed
// before and going on after them; a failed write leaves out bad. Memory grows with the block, not the rows.
void SpoolRows(std::size_t count, std::ostream& out, int fileDescriptor, const LayOutRows& layOut);

}  // namespace report
