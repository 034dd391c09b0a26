// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "Dialogue.h"

// Runs every <case>.in of a transcript folder through the dialogue in-process and compares with <case>.out.
// Cases named ...-utf8 talk to a UTF-8 console, all others to a DOS code page console.
inline void ExpectTranscripts(const Method& method, const std::filesystem::path& folder) {
    const auto read = [](const std::filesystem::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    };
    int cases = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".in") continue;
        const std::string name = entry.path().stem().string();
        const bool utf8 = name.ends_with("-utf8");
        std::istringstream in(read(entry.path()));
        std::ostringstream out;
        Console io{in, out, utf8 ? Charset::Utf8 : Charset::DosCodePage};
        EXPECT_EQ(RunDialogue(io, method), 0) << name;
        std::filesystem::path expected = entry.path();
        EXPECT_EQ(out.str(), read(expected.replace_extension(".out"))) << name;
        ++cases;
    }
    EXPECT_GT(cases, 0) << folder;
}
