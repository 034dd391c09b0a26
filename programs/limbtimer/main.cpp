// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include <iostream>

#include "Limbtimer.h"

// Arguments are ignored: the program takes everything from the dialogue.
int main() {
    std::ios::sync_with_stdio(false);
    Console io{std::cin, std::cout, DetectCharset()};
    return RunDialogue(io, LimbtimerMethod());
}
