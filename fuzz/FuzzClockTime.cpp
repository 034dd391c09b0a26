// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// ParseClockTime on arbitrary texts: it never refuses, each field stays within 32 bits, and a text
// without a colon counts as the seconds field alone.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Dialogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::int64_t seconds = ParseClockTime(text);
    constexpr std::int64_t Field = 4294967296LL;
    if (seconds > Field * 3661 || seconds < -Field * 3661) std::abort();
    if (text.find(':') == std::string::npos) {
        if (ParseClockTime("0:0:" + text) != seconds || ParseClockTime("::" + text) != seconds) std::abort();
    }
    return 0;
}
