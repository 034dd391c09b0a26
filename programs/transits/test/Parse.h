// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "Transits.h"

// The command line transits ARGS... as ParseTransitsOptions reads it.
struct Parsed {
    int status;
    std::string out, err;
    TransitsOptions options;
};

inline Parsed Parse(std::vector<std::string> args, kit::Language language = kit::Language::English) {
    args.insert(args.begin(), "transits");
    Parsed p{};
    std::ostringstream out, err;
    p.status = ParseTransitsOptions(args, language, out, err, p.options);
    p.out = out.str();
    p.err = err.str();
    return p;
}
