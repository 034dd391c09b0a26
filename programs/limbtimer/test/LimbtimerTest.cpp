// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Limbtimer.h"

#include "Transcripts.h"

TEST(Limbtimer, RunsEveryTranscriptInProcess) { ExpectTranscripts(LimbtimerMethod(), TRANSCRIPTS); }
