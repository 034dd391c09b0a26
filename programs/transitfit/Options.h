// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "Reduce.h"
#include "Text.h"

enum class OutputFormat { Text, Json, Csv };

// What the command line asks for.
struct FitCommand {
    std::vector<std::string> files;   // "-" for standard input
    fitting::ReduceOptions reduce;
    OutputFormat format = OutputFormat::Text;
    std::string plotFile;             // empty: no plot
    kit::Language language = kit::Language::English;
    int outputDescriptor = -1;        // the descriptor the report's stream writes to, where it is known
};

// Parses the command line into command. Returns -1 to go on, 0 after --help or --version (written to out),
// 2 after a usage error (written to err with a hint). The language not asked for is the environment's.
int ParseFitCommand(int argc, const char* const* argv, FitCommand& command, std::ostream& out, std::ostream& err);
