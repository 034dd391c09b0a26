// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Svg.h"

#include "Text.h"

#include <cmath>
#include <cstdio>

namespace kit {

std::string SvgNumber(double value, int decimals) {
    char buffer[64];
    // Adding 0.0 turns a negative zero into a positive one; a value that rounds to zero drops its sign too.
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value + 0.0);
    std::string text = buffer;
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string SvgText(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else if (c == '"') out += "&quot;";
        else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
    }
    return out;
}

std::string SiteLabel(double latitudeDegrees, double longitudeEastDegrees, const std::string& north, const std::string& south,
                      const std::string& east, const std::string& west, bool comma) {
    auto decimal = [comma](double value) {
        const std::string text = SvgNumber(value, 2);
        return comma ? WithDecimalComma(text) : text;
    };
    const std::string degree = "\xC2\xB0 ";
    return decimal(std::fabs(latitudeDegrees)) + degree + (latitudeDegrees < 0.0 ? south : north) + ", " +
           decimal(std::fabs(longitudeEastDegrees)) + degree + (longitudeEastDegrees < 0.0 ? west : east);
}

}  // namespace kit
