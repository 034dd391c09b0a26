// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Chordspan.h"

#include "Transcripts.h"

TEST(Chordspan, RunsEveryTranscriptInProcess) { ExpectTranscripts(ChordspanMethod(), TRANSCRIPTS); }

TEST(Chordspan, BannerTitleLinesKeepTheirTrailingBlanks) {
    for (const Language language : {German, English}) {
        const std::string& first = ChordspanMethod().titleLines[language][0];
        EXPECT_EQ(first.size() - first.find_last_not_of(' ') - 1, 9u) << language;
    }
}
