// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

// True when path names the same file as one of inputs ("-" is standard input): the same device and inode
// through any link or spelling. Paths that do not exist name no input.
bool IsAnInput(const std::string& path, const std::vector<std::string>& inputs);

// Writes a file whole or not at all: write fills a temporary file beside path, which then takes its place.
// false, with "transitfit: PATH: cannot write the WHAT" on err, when it cannot be written; nothing is left then.
bool WriteWhole(const std::string& path, const char* what, const std::function<void(std::ostream&)>& write,
                std::ostream& err);
