// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include <iostream>

#include "Transitfit.h"

// Parse, run, write; nothing else.
int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    FitCommand command;
    if (const int status = ParseFitCommand(argc, argv, command, std::cout, std::cerr); status >= 0) return status;
    return RunFitCommand(command, std::cin, std::cout, std::cerr);
}
