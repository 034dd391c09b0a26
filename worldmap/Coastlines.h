// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <vector>

#include "WorldMap.h"

// The land of Natural Earth at 1:110m (public domain), as worldmap/tools/coastlines.py wrote it from the npm
// package world-atlas 2.0.2: simplified to a tenth of a degree, kept to a hundredth.
namespace worldmap {

// Each closed ring of the land's outline (its last point joins its first), east longitude from -180 to 180.
std::vector<std::vector<GeoPoint>> LandRings();

}  // namespace worldmap
