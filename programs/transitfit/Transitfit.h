// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <istream>
#include <ostream>

#include "Options.h"

// The exit statuses, one rule for every case: an AU (with its uncertainty where the timings allow one); no AU
// from timings that were read (one timing site, timings that agree exactly, an AU the data do not bound,
// timings without dates that match no transit or several alike: the reason on standard error and, with
// --format json, in the JSON); bad input (a file that cannot be read or
// holds no readable timing, a date no transit touches, a plot onto an input) or output that cannot be written.
inline constexpr int ExitAu = 0, ExitNoAu = 1, ExitBadInput = 2;

// Reads the files, reduces the campaign and writes the report and the plot; returns the exit status.
int RunFitCommand(const FitCommand& command, std::istream& in, std::ostream& out, std::ostream& err);
