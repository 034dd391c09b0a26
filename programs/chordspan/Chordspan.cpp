// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Chordspan.h"

const Method& ChordspanMethod() {
    static const Method method{
        {
            {StartContactPrompt, "  Kontakt bei Beginn des Durchganges (1/2) ? ",
             "   first observed contact (1/2)            ? "},
            {DurationPrompt, "      Durchgangsdauer (hh:mm:ss)        : ", "      duration of the transit (hh:mm:ss): "},
            {EndContactPrompt, "  Kontakt bei  Ende  des Durchganges (3/4) ? ",
             "  second observed contact (3/4)            ? "},
        },
        {{
            {"                 Berechnung der Astronomischen Einheit aus         ",
             "    an verschiedenen Orten gemessenen Venustransit-Durchgangszeiten"},
            {"                 Calculation of the Astronomical Unit from         ",
             "         transit durations measured at different sites on Earth"},
        }},
        {"05:24:08", "05:33:41"},
        {{StartContactPrompt, "2", 1, 2}, {EndContactPrompt, "3", 3, 4}},
        DurationAu,
    };
    return method;
}
