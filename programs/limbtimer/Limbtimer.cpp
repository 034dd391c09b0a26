// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Limbtimer.h"

const Method& LimbtimerMethod() {
    static const Method method{
        {
            {ContactPrompt, " 1., 2., 3. oder 4. Kontakt (1/2/3/4)   ? ", " 1st, 2nd, 3rd or 4th contact (1/2/3/4) ? "},
            {TimePrompt, "      Kontaktzeit (hh:mm:ss)            : ", "      time of contact (hh:mm:ss)        : "},
        },
        {{
            {"             Berechnung der Astronomischen Einheit aus",
             "    an verschiedenen Orten gemessenen Venustransit-Kontaktzeiten"},
            {"                 Calculation of the Astronomical Unit from",
             "    contact times measured during a transit of Venus at different sites"},
        }},
        {"05:19:51", "05:17:21"},
        {{ContactPrompt, "1", 1, 4}},
        ContactTimeAu,
    };
    return method;
}
