// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// Writes count pseudo-random bytes for the given seed to standard output: the same bytes on every run.
#include <cstdio>
#include <cstdlib>
#include <random>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    std::mt19937 generator(static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)));
    const unsigned long count = std::strtoul(argv[2], nullptr, 10);
    for (unsigned long i = 0; i < count; ++i) std::putchar(static_cast<int>(generator() & 0xFF));
    return 0;
}
