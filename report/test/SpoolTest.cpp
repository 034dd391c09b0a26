// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Pieces.h"
#include "Spool.h"

#include <gtest/gtest.h>

#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

using namespace report;

namespace {

// Rows of different lengths, so that a piece written at a wrong place shows.
std::string Row(std::size_t i) { return "row " + std::to_string(i) + std::string(i % 5, '.') + '\n'; }

std::size_t LayOut(std::string& room, std::size_t begin, std::size_t end) {
    room.clear();
    for (std::size_t i = begin; i < end; ++i) room += Row(i);
    return room.size();
}

}  // namespace

TEST(SpoolRows, WritesEveryRowInOrderThroughAStreamAndAtPlacesInAFile) {
    // Counts around whole blocks of pieces: none, fewer than a piece, a block and one either side, several.
    const std::size_t block = RowsPerPiece * campaign::PieceThreads();
    const std::filesystem::path path = std::filesystem::temp_directory_path() / ("spool-" + std::to_string(getpid()));
    for (const std::size_t count : {std::size_t{0}, std::size_t{1}, block - 1, block, block + 1, 5 * block + 2}) {
        std::string expected = "head\n";
        for (std::size_t i = 0; i < count; ++i) expected += Row(i);
        expected += "tail\n";
        std::ostringstream stream;
        stream << "head\n";
        SpoolRows(count, stream, -1, LayOut);
        stream << "tail\n";
        EXPECT_EQ(stream.str(), expected) << count << " rows through a stream";
        // A regular file, and one opened to append (written through the stream): the same bytes.
        for (const int flags : {O_WRONLY | O_CREAT | O_TRUNC, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND}) {
            const int descriptor = open(path.c_str(), flags, 0600);
            ASSERT_GE(descriptor, 0);
            {
                __gnu_cxx::stdio_filebuf<char> buffer(descriptor, std::ios::out);
                std::ostream file(&buffer);
                file << "head\n";
                SpoolRows(count, file, descriptor, LayOut);
                file << "tail\n";
                EXPECT_TRUE(file.flush()) << count << " rows";
            }
            std::ifstream written(path, std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), expected)
                << count << " rows into a file" << ((flags & O_APPEND) != 0 ? " opened to append" : "");
        }
    }
    std::filesystem::remove(path);
}
