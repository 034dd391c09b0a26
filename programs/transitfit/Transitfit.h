// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <istream>
#include <ostream>

#include "Options.h"

// Reads the files, reduces the campaign and writes the report. Returns the exit status: 0 a fit was made, 1 no
// fit is possible, 2 a file could not be read or the plot not written.
int RunFitCommand(const FitCommand& command, std::istream& in, std::ostream& out, std::ostream& err);
