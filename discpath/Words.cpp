// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Words.h"

namespace discpath {
namespace {

// U+00B0 degree, U+2033 double prime (arcsec), U+2013 en dash; German letters likewise as UTF-8 escapes, a
// following hex digit split off.
const Words English{
    "Transit of %s, %s",
    "Venus",
    "Mercury",
    "from the Earth's centre",
    "from the Earth's centre and from %s",
    "from the Earth's centre and from %s sites",
    "north up, east left, as the sky shows it",
    "zenith up at %s, as the sky shows it there",
    "C",
    "greatest transit",
    "UT",
    "LMT",
    "Sun below the horizon",
    "does not happen here",
    "ecliptic",
    "zenith",
    "N", "S", "E", "W",
    "Sun, radius %s\xE2\x80\xB3",
    "path from the Earth's centre: nearest the Sun's centre %s\xE2\x80\xB3",
    "path from %s: nearest the Sun's centre %s\xE2\x80\xB3",
    "at its greatest transit %s\xE2\x80\xB3 farther from the Sun's centre than the path from the Earth's centre",
    "at its greatest transit %s\xE2\x80\xB3 nearer the Sun's centre than the path from the Earth's centre",
    "planet to scale (radius %s\xE2\x80\xB3) at contacts C1\xE2\x80\x93" "C4 and at the greatest transit",
    "P: position angle of the planet's centre, from the north point towards the east",
    "; V: the same from the zenith",
    "times in UT",
    "; LMT: local mean time, UT + longitude/15 h",
    "dotted path, open disc: the Sun is below the horizon there",
};

const Words German{
    "Durchgang %s, %s",
    "der Venus",
    "des Merkur",
    "vom Erdmittelpunkt",
    "vom Erdmittelpunkt und von %s",
    "vom Erdmittelpunkt und von %s Orten",
    "Norden oben, Osten links, wie am Himmel",
    "Zenit oben in %s, wie am Himmel dort",
    "K",
    "Mitte",
    "UT",
    "Ortszeit",
    "Sonne unter dem Horizont",
    "findet hier nicht statt",
    "Ekliptik",
    "Zenit",
    "N", "S", "O", "W",
    "Sonne, Radius %s\xE2\x80\xB3",
    "Weg vom Erdmittelpunkt: dem Sonnenmittelpunkt am n\xC3\xA4" "chsten %s\xE2\x80\xB3",
    "Weg von %s: dem Sonnenmittelpunkt am n\xC3\xA4" "chsten %s\xE2\x80\xB3",
    "zu seiner Mitte %s\xE2\x80\xB3 weiter vom Sonnenmittelpunkt als der Weg vom Erdmittelpunkt",
    "zu seiner Mitte %s\xE2\x80\xB3 n\xC3\xA4her am Sonnenmittelpunkt als der Weg vom Erdmittelpunkt",
    "Planet ma\xC3\x9F" "st\xC3\xA4" "blich (Radius %s\xE2\x80\xB3) bei den Kontakten K1\xE2\x80\x93K4 und zur Mitte",
    "P: Positionswinkel des Planetenmittelpunkts, von Nord \xC3\xBC" "ber Ost",
    "; V: dasselbe vom Zenit aus",
    "Zeiten in UT",
    "; Ortszeit: mittlere Ortszeit, UT + L\xC3\xA4nge/15 h",
    "punktierter Weg, offene Scheibe: dort steht die Sonne unter dem Horizont",
};

}  // namespace

const Words& WordsIn(kit::Language language) { return language == kit::Language::German ? German : English; }

}  // namespace discpath
