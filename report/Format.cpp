// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

#include "Ephemeris.h"

namespace report {

using namespace campaign;

namespace {

// The digits of value, at least width of them, as "%0*lld" writes a number that is not negative, at at (which
// moves past them): a million timings' times are written, and a format parsed for each costs more than the
// rest of the line. Texts are laid out in a buffer and made a string once.
void PutDigits(char*& at, long long value, std::size_t width) {
    char digits[24];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (; count < width; ++count) digits[count] = '0';
    while (count > 0) *at++ = digits[--count];
}

// "hh:mm:ss" of a whole number of seconds that is not negative, the hours not taken modulo 24.
void PutClock(char*& at, long long second) {
    PutDigits(at, second / 3600, 2);
    *at++ = ':';
    PutDigits(at, second / 60 % 60, 2);
    *at++ = ':';
    PutDigits(at, second % 60, 2);
}

// "1769-06-02", the year of four digits or more.
std::string DateOf(int year, int month, int day) {
    char buffer[48];
    if (year < 0) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
        return buffer;
    }
    char* at = buffer;
    PutDigits(at, year, 4);
    *at++ = '-';
    PutDigits(at, month, 2);
    *at++ = '-';
    PutDigits(at, day, 2);
    return {buffer, at};
}

// "1769-06-02" of the day beginning at a UT JD (its noon is far from any rounding).
std::string DateText(double midnightJd) {
    const ephemeris::CalendarTime date = ephemeris::CalendarFromJd(midnightJd + 0.5);
    return DateOf(date.year, date.month, date.day);
}

}  // namespace

std::string Format(const char* format, double value, int decimals) {
    // The usual form, two to a row of a million timings, without a format parsed: the standard's conversion
    // writes the same digits as printf in the "C" locale, rounded the same way.
    if (std::strcmp(format, "%.*f") == 0 && std::isfinite(value) && decimals >= 0 && std::fabs(value) < 1e15) {
        char digits[64];
        const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
        if (error == std::errc()) return {digits, end};
    }
    // Every digit, however large the number: a value of 1e300 takes 300 of them.
    char buffer[128];
    const int length = std::snprintf(buffer, sizeof buffer, format, decimals, value);
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < sizeof buffer) return {buffer, static_cast<std::size_t>(length)};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, decimals, value);
    return text;
}

std::string Localised(std::string text, kit::Language language) {
    return language == kit::Language::German ? kit::WithDecimalComma(std::move(text)) : text;
}

std::string Significant(double value, int unitPower, kit::Language language) {
    const double shown = value / std::pow(10.0, unitPower);
    const int digits = std::fabs(shown) >= 1.0 ? static_cast<int>(std::floor(std::log10(std::fabs(shown)))) + 1 : 1;
    return Localised(Format("%.*f", shown, std::max(0, 4 - digits)), language);
}

std::string RoundToUncertainty(double value, double sigma, int unitPower, kit::Language language) {
    if (!std::isfinite(sigma) || !(sigma > 0.0)) return Significant(value, unitPower, language);
    int place = static_cast<int>(std::floor(std::log10(sigma)));
    // 0.12 keeps two digits: one would round it by up to 40 %.
    if (std::floor(sigma / std::pow(10.0, place)) < 2.0) --place;
    const double step = std::pow(10.0, place);
    const double roundedValue = std::round(value / step) * step;
    const double roundedSigma = std::round(sigma / step) * step;
    const int decimals = std::max(0, unitPower - place);
    const double unit = std::pow(10.0, unitPower);
    return Localised(Format("%.*f", roundedValue / unit, decimals) + " \xC2\xB1 " + Format("%.*f", roundedSigma / unit, decimals),
                     language);
}

std::string FormatUt(double seconds) {
    const double tenths = std::round(seconds * 10.0);
    const auto whole = static_cast<long long>(tenths);
    if (whole >= 0) {
        // Every field below 100 and not negative: the digits as the format below writes them, without it (a
        // million timings' predicted times are written).
        const long long fields[3] = {whole / 36000 % 24, whole / 600 % 60, whole / 10 % 60};
        std::string text = "00:00:00.0";
        for (std::size_t f = 0; f < 3; ++f) {
            text[3 * f] = static_cast<char>('0' + fields[f] / 10);
            text[3 * f + 1] = static_cast<char>('0' + fields[f] % 10);
        }
        text[9] = static_cast<char>('0' + whole % 10);
        return text;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld.%lld", whole / 36000 % 24,
                  whole / 600 % 60, whole / 10 % 60, whole % 10);
    return buffer;
}

std::string FormatUtMs(double seconds) {
    const auto ms = static_cast<long long>(std::llround(seconds * 1000.0));
    if (ms >= 0) {
        char buffer[48];
        char* at = buffer;
        PutClock(at, ms / 1000);
        *at++ = '.';
        PutDigits(at, ms % 1000, 3);
        return {buffer, at};
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld.%03lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return buffer;
}

std::string WrittenTimeText(const Timing& t) {
    // The reader writes no time before the start of its day.
    const long long ms = std::max<long long>(t.writtenMs, 0);
    long long scale = 1;
    for (int k = 0; k < t.writtenDecimals; ++k) scale *= 10;
    char buffer[64];
    char* at = buffer;
    if (t.writtenDecimals < 0) {
        PutDigits(at, ms / 3600000, 2);
        *at++ = ':';
        PutDigits(at, ms / 60000 % 60, 2);
        return {buffer, at};
    }
    // In units of the last written decimal: 7 29 15.25 is 2 695 525 hundredths.
    const long long units = (ms * scale + 500) / 1000;
    PutClock(at, units / scale);
    if (t.writtenDecimals > 0) {
        *at++ = '.';
        PutDigits(at, units % scale, static_cast<std::size_t>(t.writtenDecimals));
    }
    return {buffer, at};
}

std::string WrittenDateText(const Timing& t) {
    if (t.year == 0) return {};
    return DateText(ephemeris::JulianDayAtMidnight(t.year, t.month, t.day) + t.writtenDays);
}

std::string UtDateText(const Timing& t) {
    if (t.year == 0) return {};
    return DateOf(t.year, t.month, t.day);
}

std::string Signed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%+.*f", decimals, value);
    return buffer;
}

std::string HoursText(double hours) {
    const double whole = std::trunc(std::fabs(hours));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%c%.0f:%02.0f h", hours < 0 ? '-' : '+', whole, (std::fabs(hours) - whole) * 60.0);
    return buffer;
}

std::string Padded(std::string text, std::size_t width) {
    const std::size_t columns = kit::DisplayWidth(text);
    if (columns < width) text.append(width - columns, ' ');
    return text;
}

}  // namespace report
