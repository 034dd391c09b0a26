// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// transitfit's field readers on arbitrary text, in both number styles. Accepted numbers and angles are
// finite and keep their value with spaces around them; accepted times lie in 0..48 h; a refused angle says why.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Fields.h"

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const bool decimalComma : {false, true}) {
        const fields::NumberStyle style{decimalComma};
        double value = 0.0, again = 0.0;
        if (fields::ParseNumber(text, style, value)) {
            Check(std::isfinite(value));
            Check(fields::ParseNumber(" " + text + "\t", style, again) && again == value);
        }
        for (const char* letters : {"NS", "EW"}) {
            double degrees = 0.0;
            std::string why;
            if (fields::ParseAngle(text, letters, style, degrees, why)) {
                Check(std::isfinite(degrees) && why.empty());
                Check(fields::ParseAngle(" " + text + " ", letters, style, again, why) && again == degrees);
            } else {
                Check(!why.empty());
            }
        }
        double seconds = -1.0;
        if (fields::ParseTimeOfDay(text, style, seconds)) Check(std::isfinite(seconds) && seconds >= 0.0 && seconds < 48 * 3600.0);
        fields::TimePrecision precision = fields::TimePrecision::Seconds;
        if (fields::ParseClockTime(text, style, seconds, precision)) Check(std::isfinite(seconds) && seconds >= 0.0 && seconds < 48 * 3600.0);
    }
    int year = 0, month = 0, day = 0;
    std::string why;
    if (fields::ParseDate(text, year, month, day, why)) Check(fields::IsCalendarDate(year, month, day) && why.empty());
    int start = 0, end = 0;
    if (fields::ParseContact(text, start, end)) Check(start >= 1 && start <= 4 && (end == 0 || (start < end && end <= 4)));
    return 0;
}
