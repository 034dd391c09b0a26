// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "ModulDos.h"
#include "Transits.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

// Parse, run, write; the texts are Windows-1252 and are written in UTF-8, as by every command-line program here.
int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);  // so that a console shows the UTF-8 it is given
#else
    // A file grown past the size limit (ulimit -f) is a failed write, reported in a sentence, not a signal that
    // ends the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const Charset charset = Charset::Utf8;
    const std::vector<std::string> args(argv, argv + argc);
    const kit::Language language =
        kit::LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    std::ostringstream out, err, plotErr;  // plotErr is UTF-8 already: it may name a file in UTF-8
    TransitsOptions options;
    int status = ParseTransitsOptions(args, language, out, err, options);
    if (status < 0) {
        TransitsReport report;
        if (!RunTransits(options, err, report)) {
            status = report.status;
        } else if (options.format == OutputFormat::Json) {
            status = WriteTransitsJson(options, report, out) ? 0 : 1;
        } else {
            WriteTransitsText(options, report, out);
            status = 0;
        }
        if (status == 0 && !WriteTransitsPlot(options, report, plotErr)) status = 2;
    }
    std::cout << ToConsoleText(charset, out.str()) << std::flush;
    std::cerr << ToConsoleText(charset, err.str()) << plotErr.str();
    // A full disc or a closed pipe must not pass for success.
    if (!std::cout.good() && status == 0) {
        std::cerr << "transits: cannot write to standard output\n";
        status = 1;
    }
    std::cerr << std::flush;
    return status;
}
