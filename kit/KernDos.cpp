// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "KernDos.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <string_view>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::size_t SkipBlanks(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') ++at;  // the blank only: a tab is an ordinary character
    return at;
}

std::string_view TakeDigits(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    return text.substr(start, at - start);
}

// The decimal power of the first significant digit, saturated; only its sign and size matter.
long long DecimalMagnitude(std::string_view whole, std::string_view fraction, bool exponentNegative,
                           std::string_view exponent) {
    constexpr long long Saturated = 1'000'000'000LL;
    long long power = 0;
    for (const char c : exponent) {
        power = std::min(Saturated, power * 10 + (c - '0'));
    }
    if (exponentNegative) power = -power;
    const auto firstWhole = whole.find_first_not_of('0');
    if (firstWhole != std::string_view::npos) {
        return power + static_cast<long long>(std::min<std::size_t>(whole.size() - firstWhole, Saturated));
    }
    const auto firstFraction = fraction.find_first_not_of('0');
    return power - static_cast<long long>(std::min<std::size_t>(firstFraction, Saturated));
}

}  // namespace

bool ReadReal(const std::string& text, double& value) {
    const std::string_view all = text;
    std::size_t at = SkipBlanks(all);
    bool negative = false;
    if (at < all.size() && (all[at] == '+' || all[at] == '-')) {
        negative = all[at] == '-';
        ++at;
    }
    const std::size_t restStart = at;
    const std::string_view whole = TakeDigits(all, at);
    std::string_view fraction;
    if (at < all.size() && all[at] == '.') {
        ++at;
        fraction = TakeDigits(all, at);
    }
    bool exponentNegative = false;
    std::string_view exponent;
    if (at < all.size() && (all[at] == 'E' || all[at] == 'e')) {
        ++at;
        if (at < all.size() && (all[at] == '+' || all[at] == '-')) {
            exponentNegative = all[at] == '-';
            ++at;
        }
        exponent = TakeDigits(all, at);
        if (exponent.empty()) return false;
    }
    if (at == restStart || at != all.size()) return false;

    // A canonical form that from_chars reads in any locale; empty digit runs read as 0.
    std::string canonical;
    canonical.reserve(whole.size() + fraction.size() + exponent.size() + 6);
    canonical += whole.empty() ? std::string_view("0") : whole;
    canonical += '.';
    canonical += fraction.empty() ? std::string_view("0") : fraction;
    if (!exponent.empty()) {
        canonical += exponentNegative ? "e-" : "e";
        canonical += exponent;
    }
    long double magnitude = 0.0L;
    const auto [end, error] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), magnitude);
    if (end != canonical.data() + canonical.size()) return false;
    if (error == std::errc::result_out_of_range) {
        // Too small for the extended format rounds to zero; too large for it is beyond a double as well.
        if (DecimalMagnitude(whole, fraction, exponentNegative, exponent) > 0) return false;
        magnitude = 0.0L;
    } else if (error != std::errc()) {
        return false;
    }
    // Halfway between the largest double and the next power of two: from here on a double would be infinite.
    constexpr long double DoubleLimit = (2.0L - 0x1p-53L) * 0x1p1023L;
    if (!(magnitude < DoubleLimit)) return false;
    const double rounded = magnitude > DBL_MAX ? DBL_MAX : static_cast<double>(magnitude);
    value = negative ? -rounded : rounded;
    return true;
}

IntegerScan ScanInteger(const std::string& text) {
    const std::string_view all = text;
    std::size_t at = SkipBlanks(all);
    IntegerScan scan{false, 0, 0};

    std::size_t hexStart = std::string_view::npos;
    if (at < all.size() && (all[at] == '$' || all[at] == 'x' || all[at] == 'X')) {
        hexStart = at + 1;
    } else if (at + 1 < all.size() && all[at] == '0' && (all[at + 1] == 'x' || all[at + 1] == 'X')) {
        hexStart = at + 2;
    }
    if (hexStart != std::string_view::npos) {
        std::uint32_t pattern = 0;
        std::size_t digits = 0;
        at = hexStart;
        while (at < all.size() && digits < 8 && HexDigit(all[at]) >= 0) {
            pattern = pattern * 16 + static_cast<std::uint32_t>(HexDigit(all[at]));
            ++at;
            ++digits;
        }
        scan.complete = digits > 0 && at == all.size();
        if (scan.complete) {
            scan.value = static_cast<std::int32_t>(pattern);  // two's complement: $FFFFFFFF is -1
        } else {
            scan.digitsValue = pattern;
        }
        return scan;
    }

    bool negative = false;
    if (at < all.size() && (all[at] == '+' || all[at] == '-')) {
        negative = all[at] == '-';
        ++at;
    }
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    std::size_t digits = 0;
    // A digit that would leave the 32-bit range is the first unreadable one.
    while (at < all.size() && IsDigit(all[at]) && magnitude * 10 + (all[at] - '0') <= limit) {
        magnitude = magnitude * 10 + (all[at] - '0');
        ++at;
        ++digits;
    }
    scan.complete = digits > 0 && at == all.size();
    if (scan.complete) {
        scan.value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    } else {
        scan.digitsValue = magnitude;
    }
    return scan;
}

bool ReadInteger(const std::string& text, std::int32_t& value) {
    const IntegerScan scan = ScanInteger(text);
    if (scan.complete) value = scan.value;
    return scan.complete;
}

bool AskReal(Console& io, const std::string& prompt, std::string& answer, double& value) {
    // A cut answer is refused even when its first bytes read as a number ("1e000...05" would read as 1),
    // and stays refused at Enter alone, as long as it is the remembered answer.
    bool cut = false;
    for (;;) {
        const Reply reply = AskReply(io, prompt, answer);
        if (reply == Reply::Ended) return false;
        if (reply != Reply::Empty) cut = reply == Reply::Cut;
        if (!cut) {
            std::string reading = answer;
            std::replace(reading.begin(), reading.end(), ',', '.');
            if (ReadReal(reading, value)) return true;
        }
        RingBell(io);
    }
}

bool AskInteger(Console& io, const std::string& prompt, std::string& answer, std::int32_t& value) {
    bool cut = false;  // as in AskReal: "0000...01" cut would read as 0
    for (;;) {
        const Reply reply = AskReply(io, prompt, answer);
        if (reply == Reply::Ended) return false;
        if (reply != Reply::Empty) cut = reply == Reply::Cut;
        if (!cut && ReadInteger(answer, value)) return true;
        RingBell(io);
    }
}
