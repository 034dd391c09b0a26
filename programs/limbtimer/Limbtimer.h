#pragma once
#include "Dialogue.h"

// limbtimer: the AU from the clock time of one contact seen at two sites.
const Method& LimbtimerMethod();
