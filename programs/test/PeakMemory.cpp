// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// Runs PROGRAM with its arguments on this process's standard input and output, then writes the program's peak
// resident memory in kB to REPORT and exits with the program's status (128 + the signal if one ended it).
// Usage: peak_memory REPORT PROGRAM [ARGUMENTS...]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: peak_memory REPORT PROGRAM [ARGUMENTS...]\n", stderr);
        return 2;
    }
    const pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        execvp(argv[2], argv + 2);
        std::perror(argv[2]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return 2;
    std::FILE* report = std::fopen(argv[1], "w");
    if (report == nullptr) return 2;
    std::fprintf(report, "%ld\n", usage.ru_maxrss);  // Linux counts ru_maxrss in kB
    if (std::fclose(report) != 0) return 2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
