// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Spool.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "Pieces.h"
#include "Placed.h"

namespace report {

using namespace campaign;

namespace {

// A piece's room, kept from block to block, and the bytes of it laid out.
struct Piece {
    std::string room;
    std::size_t used = 0;
};

// A regular file being written at places of the program's choosing: its descriptor (-1: none), the place
// of the next byte, and whether a write failed (any thread may say so).
struct PlacedFile {
    int descriptor;
    std::uint64_t at;
    std::atomic<bool> failed;
};

}  // namespace

void SpoolRows(std::size_t count, std::ostream& out, int fileDescriptor, const LayOutRows& layOut) {
    std::vector<Piece> pieces(PieceThreads()), written(pieces.size());
    const std::size_t block = pieces.size() * RowsPerPiece;
    // Piece p of the block from first (nothing past the last row).
    auto layOutPiece = [&](std::size_t p, std::size_t first) {
        const std::size_t from = std::min(count, first + p * RowsPerPiece);
        pieces[p].used = layOut(pieces[p].room, from, std::min(count, from + RowsPerPiece));
    };
    // A regular file is written at each piece's own place by the thread that laid it out, each block while
    // the next is laid out: the threads copy into the file side by side, no third one waits on the copying.
    PlacedFile file{fileDescriptor, 0, false};
    if (file.descriptor >= 0) {
        out.flush();
        file.descriptor = out ? kit::StartPlacing(file.descriptor, file.at) : -1;
    }
    if (file.descriptor >= 0) {
        // One block more than the rows fill: the last one laid out is written in it.
        for (std::size_t first = 0; first < count + block; first += block) {
            // The places of the block laid out before, in the order of its pieces.
            std::vector<std::uint64_t> at(written.size());
            for (std::size_t p = 0; p < written.size(); ++p) at[p] = std::exchange(file.at, file.at + written[p].used);
            ForEachPiece(pieces.size(), 1, [&](std::size_t begin, std::size_t end) {
                for (std::size_t p = begin; p < end; ++p) {
                    auto write = [&] {
                        if (!kit::WriteAt(file.descriptor, written[p].room.data(), written[p].used, at[p])) file.failed = true;
                        written[p].used = 0;
                    };
                    // The system copies into one file one write at a time: every other thread writes after
                    // laying out, so that the writes take turns rather than wait for each other.
                    if (p % 2 == 0) write(), layOutPiece(p, first);
                    else layOutPiece(p, first), write();
                }
            });
            std::swap(pieces, written);
        }
        // What follows goes on after the rows.
        if (file.failed || !kit::EndPlacing(file.descriptor, file.at)) out.setstate(std::ios::badbit);
        return;
    }
    auto write = [&] {
        for (Piece& piece : written) out.write(piece.room.data(), static_cast<std::streamsize>(std::exchange(piece.used, 0)));
    };
    for (std::size_t first = 0; first < count; first += block) {
        // The library reports a thread it cannot start by throwing: the block is then written here, after.
        std::jthread writer;  // joined however the block ends
        try {
            writer = std::jthread(write);
        } catch (const std::system_error&) {
        }
        ForEachPiece(pieces.size(), 1, [&](std::size_t begin, std::size_t end) {
            for (std::size_t p = begin; p < end; ++p) layOutPiece(p, first);
        });
        if (writer.joinable()) writer.join();
        else write();
        std::swap(pieces, written);
    }
    write();
}

}  // namespace report
