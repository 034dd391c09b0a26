// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once
#include "Dialogue.h"

// chordspan: the AU from the duration of the transit between two contacts, timed at two sites.
const Method& ChordspanMethod();
