// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// A whole run of one program with the fuzzer's bytes as everything the user types. The run must end at
// the end of the input, write no more than a bounded amount per line typed, and never show a result
// that is not a number.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "Dialogue.h"
#include PROGRAM_HEADER

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

// A result line is its label, blanks, a fixed-point number with the given decimals, and the unit.
void CheckResultLine(std::string_view line, std::string_view label, int decimals, std::string_view unit) {
    Check(line.size() >= label.size() + unit.size());
    std::string_view number = line.substr(label.size(), line.size() - label.size() - unit.size());
    Check(line.substr(line.size() - unit.size()) == unit);
    number.remove_prefix(std::min(number.find_first_not_of(' '), number.size()));
    if (!number.empty() && number[0] == '-') number.remove_prefix(1);
    const auto point = number.find('.');
    Check(point != std::string_view::npos && point > 0 && number.size() == point + 1 + static_cast<std::size_t>(decimals));
    for (std::size_t i = 0; i < number.size(); ++i) Check(i == point || (number[i] >= '0' && number[i] <= '9'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string typed(reinterpret_cast<const char*>(data), size);
    const Method& method = PROGRAM_METHOD();
    static const Dialogue texts = [&] {
        Dialogue opened;
        std::istringstream english("e\n");
        std::ostringstream ignored;
        Console quiet{english, ignored, Charset::DosCodePage};
        OpenDialogue(quiet, method, opened);
        return opened;
    }();
    for (const Charset charset : {Charset::DosCodePage, Charset::Utf8}) {
        std::istringstream in(typed);
        std::ostringstream out;
        Console io{in, out, charset};
        Check(RunDialogue(io, method) == 0);
        const std::string shown = out.str();

        // Each line typed shows one prompt with at most one remembered answer, and perhaps a result block.
        const std::size_t lines = static_cast<std::size_t>(std::count(typed.begin(), typed.end(), '\n')) + 1;
        Check(shown.size() <= (lines + 1) * (typed.size() + 1024));

        std::size_t start = 0;
        while (start < shown.size()) {
            std::size_t end = shown.find('\n', start);
            if (end == std::string::npos) end = shown.size();
            const std::string_view line(shown.data() + start, end - start);
            for (const TextSet& set : texts.texts) {
                if (line.starts_with(set[AuLabel])) CheckResultLine(line, set[AuLabel], 1, set[AuUnit]);
                if (line.starts_with(set[ParallaxLabel])) CheckResultLine(line, set[ParallaxLabel], 3, "\"");
            }
            start = end + 1;
        }
    }
    return 0;
}
