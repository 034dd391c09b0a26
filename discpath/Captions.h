// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <string>
#include <vector>

#include "Drawing.h"

// The words of the path picture, in the language's way (a decimal comma in German) and each observer's colour.
namespace discpath {

// The title: the transit and its date, the observers, the frame.
std::vector<TextLine> TitleLines(const PathPicture& picture, kit::Language language);

// The label of event index (0..MarkCount - 1): its name, then each observer's time in UT and P, at a site also
// the local mean time (and V with the zenith up) and what the site does not see.
std::vector<TextLine> EventLines(const PathPicture& picture, int index, kit::Language language);

// The legend: the Sun, each observer's path with its nearest approach and displacement, the notes.
std::vector<LegendEntry> LegendOf(const PathPicture& picture, kit::Language language);

// The name of the ecliptic, the compass letters (north, east, south, west) and the zenith.
std::string EclipticWord(kit::Language language);
std::vector<std::string> CompassWords(kit::Language language);
std::string ZenithWord(kit::Language language);

// A length in arcsec for the scale bar: "300″".
std::string ArcsecText(double arcsec, kit::Language language);

}  // namespace discpath
