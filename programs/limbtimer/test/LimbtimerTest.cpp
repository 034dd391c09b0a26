#include "Limbtimer.h"

#include "Transcripts.h"

TEST(Limbtimer, RunsEveryTranscriptInProcess) { ExpectTranscripts(LimbtimerMethod(), TRANSCRIPTS); }
