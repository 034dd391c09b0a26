// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace campaign {

std::string Format(const char* format, double value, int decimals) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, decimals, value);
    return buffer;
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
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld.%lld", whole / 36000 % 24,
                  whole / 600 % 60, whole / 10 % 60, whole % 10);
    return buffer;
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

}  // namespace campaign
