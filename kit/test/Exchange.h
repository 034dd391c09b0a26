// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once
#include <sstream>
#include <string>

#include "ModulDos.h"

// A console whose input is what the user typed and whose output is kept for comparison.
struct Exchange {
    std::istringstream in;
    std::ostringstream out;
    Console io;
    explicit Exchange(const std::string& typed, Charset charset = Charset::DosCodePage)
        : in(typed), io{in, out, charset} {}
};
