// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// Runs a program's dialogue on standard input and writes, for the floor, the chunks it flushes:
// the chunks of the opening and the first `passes` passes, then those of the next `passes` passes as the
// period that repeats. Fails if the pass after that does not repeat the period.
// Usage: record limbtimer|chordspan PASSES < input > chunks
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "Chordspan.h"
#include "Limbtimer.h"

namespace {

// Keeps each flushed piece of output as one chunk.
struct ChunkBuffer : std::stringbuf {
    std::vector<std::string> chunks;
    int sync() override {
        chunks.push_back(str());
        str("");
        return 0;
    }
};

void WriteChunks(const std::vector<std::string>& chunks, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) std::cout << chunks[i].size() << ' ' << chunks[i];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string program = argv[1];
    const std::size_t passes = std::strtoul(argv[2], nullptr, 10);
    if (passes == 0) return 2;
    ChunkBuffer buffer;
    std::ostream out(&buffer);
    Console io{std::cin, out, Charset::DosCodePage};
    const Method& method = program == "chordspan" ? ChordspanMethod() : LimbtimerMethod();
    const std::size_t prompts = method.contacts.size() + 10;
    Dialogue dialogue;
    if (!OpenDialogue(io, method, dialogue)) return 1;
    const std::size_t opening = 1 + prompts * passes;  // the language prompt and the first passes' prompts
    for (std::size_t pass = 0; pass < 3 * passes; ++pass) {
        if (!RunPass(io, method, dialogue)) return 1;
    }
    const std::size_t period = prompts * passes;
    const auto& chunks = buffer.chunks;
    for (std::size_t i = 0; i < period; ++i) {
        if (chunks[opening + i] != chunks[opening + period + i]) return 1;
    }
    std::cout << opening << ' ' << period << ' ';
    WriteChunks(chunks, 0, opening);
    WriteChunks(chunks, opening, opening + period);
    return 0;
}
