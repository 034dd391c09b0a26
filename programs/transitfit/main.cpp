// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include <iostream>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "Transitfit.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

// Parse, run, write; nothing else.
int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
#ifdef __GLIBC__
    // A fit allocates and frees the same few vectors of a million numbers a dozen times: kept in the heap and
    // reused, rather than mapped anew and faulted in page by page, they cost the system a third of the time.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    // The threads that share out the work allocate little (the catalogue, the report's text): one heap for all,
    // as one thread had, keeps a heap of their own per thread out of the peak of memory.
    mallopt(M_ARENA_MAX, 1);
#endif
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);  // the report is UTF-8: a console should show it so
#endif
    FitCommand command;
    if (const int status = ParseFitCommand(argc, argv, command, std::cout, std::cerr); status >= 0) return status;
#ifndef _WIN32
    command.outputDescriptor = 1;  // the report goes to standard output
    // A file grown past the size limit (ulimit -f) is a failed write, reported in a sentence with status 2,
    // not a signal that ends the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    return RunFitCommand(command, std::cin, std::cout, std::cerr);
}
