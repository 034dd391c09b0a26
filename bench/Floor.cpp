// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// The floor a dialogue program is measured against: it makes the writes that program makes, chunk by chunk,
// and reads a line after each, and does nothing else. Chunks come from a file written by `record`:
// the opening chunks, then one period of passes, repeated until input ends.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadChunks(std::istream& file, std::size_t count) {
    std::vector<std::string> chunks(count);
    for (std::string& chunk : chunks) {
        std::size_t size = 0;
        file >> size;
        file.get();
        chunk.resize(size);
        file.read(chunk.data(), static_cast<std::streamsize>(size));
    }
    return chunks;
}

bool Exchange(const std::string& chunk, std::string& line) {
    std::cout.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    std::cout.flush();
    return static_cast<bool>(std::getline(std::cin, line));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::ios::sync_with_stdio(false);
    std::ifstream file(argv[1], std::ios::binary);
    std::size_t openingCount = 0, periodCount = 0;
    file >> openingCount >> periodCount;
    const std::vector<std::string> opening = ReadChunks(file, openingCount);
    const std::vector<std::string> period = ReadChunks(file, periodCount);
    std::string line;
    for (const std::string& chunk : opening) {
        if (!Exchange(chunk, line)) return std::cout.put('\n').flush() ? 0 : 1;
    }
    for (;;) {
        for (const std::string& chunk : period) {
            if (!Exchange(chunk, line)) return std::cout.put('\n').flush() ? 0 : 1;
        }
    }
}
