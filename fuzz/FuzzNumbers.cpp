// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// The kit's number recognisers on arbitrary answers. Every accepted real is finite and reads back to itself
// when written out again; every accepted integer does too, and the scan agrees with the reading.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "KernDos.h"

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    double value = 0.0;
    if (ReadReal(text, value)) {
        Check(std::isfinite(value));
        char written[64];
        // 17 significant digits lie far inside a double's rounding interval, so the extended reading keeps it.
        const auto end = std::to_chars(written, written + sizeof written, value, std::chars_format::scientific, 16);
        double again = 1.0;
        Check(ReadReal(std::string(written, end.ptr), again));
        Check(again == value && std::signbit(again) == std::signbit(value));
        Check(ReadReal("  " + text, again) && again == value);
        Check(!ReadReal(text + " ", again));
    }

    std::int32_t whole = 0;
    const bool read = ReadInteger(text, whole);
    const IntegerScan scan = ScanInteger(text);
    Check(read == scan.complete);
    if (read) {
        Check(whole == scan.value);
        std::int32_t again = 0;
        Check(ReadInteger(std::to_string(whole), again) && again == whole);
    } else {
        Check(scan.digitsValue >= 0 && scan.digitsValue <= 4294967295LL);
    }
    return 0;
}
