// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "Fit.h"
#include "Report.h"
#include "Transit.h"

enum class OutputFormat { Text, Json, Csv };

// What the command line asks for.
struct FitCommand {
    std::vector<std::string> files;   // "-" for standard input
    FitOptions fit;
    OutputFormat format = OutputFormat::Text;
    std::string plotFile;             // empty: no plot
    ReportLanguage language = ReportLanguage::English;
    int transitYear = 0, transitMonth = 0, transitDay = 0;  // --transit: a UT date the transit touches; 0: not given
    CoefficientSource coefficients = CoefficientSource::Default;
};

// The report language the environment names: German when the first of LC_ALL, LC_MESSAGES and LANG that
// is set and not empty names a German locale.
ReportLanguage LanguageFromEnvironment();

// Parses the command line into command. Returns -1 to go on, 0 after --help or --version (written to out),
// 2 after a usage error (written to err with a hint).
int ParseFitCommand(int argc, const char* const* argv, FitCommand& command, std::ostream& out, std::ostream& err);

// Reads the files, fits and writes the report. Returns the exit status: 0 a fit was made, 1 no fit is
// possible, 2 a file could not be read or the plot not written.
int RunFitCommand(const FitCommand& command, std::istream& in, std::ostream& out, std::ostream& err);
