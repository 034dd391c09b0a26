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

}  // namespace kit
