#pragma once
#include "Dialogue.h"

// chordspan: the AU from the duration of the transit between two contacts, timed at two sites.
const Method& ChordspanMethod();
