// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once
#include "Dialogue.h"

// limbtimer: the AU from the clock time of one contact seen at two sites.
const Method& LimbtimerMethod();
