// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <string>

namespace kit {

// The pieces every picture of the programs is written with, so that each is valid SVG (XML 1.0) and the
// same bytes on every platform.

// A coordinate or length with decimals digits after the point, in the C locale; never "-0".
std::string SvgNumber(double value, int decimals = 1);

// Text for XML: markup characters as entities; control characters, which XML 1.0 forbids, left out.
std::string SvgText(const std::string& text);

// A site as the pictures label it, "51.43Â° N, 7.19Â° E": degrees to two decimals (a decimal comma when
// comma is set) and the hemispheres' letters as given.
std::string SiteLabel(double latitudeDegrees, double longitudeEastDegrees, const std::string& north, const std::string& south,
                      const std::string& east, const std::string& west, bool comma);

}  // namespace kit
