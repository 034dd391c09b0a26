// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Texts.h"

namespace {

const Texts English{
    "Try 'transits --help'.",
    "Usage: transits [OPTIONS] COMMAND\n"
    "Every transit of Venus and Mercury from 1600 to 2200, from the VSOP87 positions of libnova.\n"
    "\n"
    "Commands:\n"
    "  list                     every transit: contacts, greatest transit, minimum separation (UT)\n"
    "  contacts DATE            the transit that touches DATE (YYYY-MM-DD, UT): its contacts, from\n"
    "                           the Earth's centre or, with --site, from a site with the Sun's altitude\n"
    "  coefficients DATE        the site coefficients A_c of each contact, in seconds per unit site\n"
    "                           vector on the 6364 km sphere, longitude east positive\n"
    "  elements DATE            the Besselian elements of the transit every hour: x, y, d, mu, l1, l2,\n"
    "                           tan f1, tan f2 (as for a solar eclipse; the Sun's and planet's cones)\n"
    "  map DATE                 the world map of the transit: where the whole of it, only its start or\n"
    "                           only its end is seen with the Sun up; with --plot drawn (SVG)\n"
    "\n"
    "Options:\n"
    "  --planet venus|mercury   only this planet (default: both)\n"
    "  --from YEAR, --to YEAR   the years of list (default: 1600 and 2200)\n"
    "  --site LAT,LON[,HEIGHT]  for contacts and map: degrees, north and east positive, height in m (WGS84);\n"
    "                           again for more sites, each in turn\n"
    "  --plot FILE              for contacts: also draw the planet's path across the Sun's disc into\n"
    "                           FILE (SVG), from the Earth's centre and from each site; for map: the\n"
    "                           map in the Equal Earth projection, each site marked\n"
    "  --grid DEGREES           for map: the cells' size (default 1; 0.25 to 10, dividing 180)\n"
    "  --zenith-up              for --plot with one --site: the site's zenith up instead of north\n"
    "  --delta-t SECONDS        TT - UT instead of the measured values (USNO; Stephenson et al. 2016)\n"
    "  --radii nasa|iau         NASA's radii (default) or the IAU's solid planets, as the IMCCE\n"
    "  --format text|json       for people (default) or for scripts\n"
    "  --language en|de         English or German (default: from LC_ALL, LC_MESSAGES, LANG)\n"
    "  --help                   this text\n"
    "  --version                the version\n"
    "\n"
    "Exit status: 0 done, 1 no transit touches the date, 2 bad input or a picture that cannot be written.\n",
    "date \"%s\" is not in the form YYYY-MM-DD",
    "date \"%s\" does not exist",
    "year %s is outside %s..%s",
    "year \"%s\" is not a whole number",
    "--from %s is after --to %s",
    "Delta T \"%s\" is not a number of seconds",
    "Delta T \"%s\" is outside -3600..3600 s",
    "site \"%s\" is not in the form LAT,LON or LAT,LON,HEIGHT",
    "latitude \"%s\" is outside -90..90",
    "longitude \"%s\" is outside -180..180",
    "height \"%s\" is outside %s..%s m",
    "planet \"%s\" is neither venus nor mercury",
    "radii \"%s\" are neither nasa nor iau",
    "format \"%s\" is neither text nor json",
    "language \"%s\" is neither en nor de",
    "%s needs a DATE (YYYY-MM-DD)",
    "no command given: list, contacts, coefficients, elements or map",
    "cannot read the command line: %s",
    "no transit of Venus or Mercury touches %s",
    "no transit of %s touches %s",
    "Venus",
    "Mercury",
    "Venus",
    "Mercury",
    "Venus and Mercury",
    "Transits of %s, %s..%s (UT; %s)",
    "planet   starts      C1          C2          greatest    C3          C4          min. sep.  Delta T",
    "Transit of %s, %s",
    "from the Earth's centre, UT",
    "seen from %s, UT",
    "Delta T %s s (%s), %s",
    "given",
    "measured",
    "reconstructed",
    "extrapolated",
    "measured where known",
    "NASA radii",
    "IAU radii",
    "greatest",
    "minimum separation %s arcsec",
    "Sun %s deg",
    "Sun below the horizon (%s deg)",
    "P %s deg",
    "V %s deg",
    "does not happen here",
    "Site coefficients A_c, transit of %s, %s (s per unit site vector, sphere of 6364 km)",
    "x: lon 0 on the equator, y: 90 E on the equator, z: north pole",
    "contact",
    "Besselian elements, transit of %s, %s, every hour of UT",
    "x, y, l1, l2 in Earth equatorial radii (6378.137 km); d, mu in degrees (equator of date)",
    "--plot needs the name of a file for the picture (the contacts go to standard output)",
    "--zenith-up turns the picture: it needs --plot FILE",
    "--zenith-up needs exactly one --site: the zenith is a site's",
    "%s: cannot write the picture",
    "grid \"%s\" is not a number of degrees from 0.25 to 10 that divides 180",
    "--plot needs the name of a file for the map (the summary goes to standard output)",
    "What is seen of it with the Sun up (its centre no lower than 0.83\xB0 below the horizon) at contacts 1 and 4",
    "the whole transit (Sun up at contacts 1 and 4)",
    "only its start (Sun up at contact 1, set by contact 4)",
    "only its end (Sun risen by contact 4, not up at contact 1)",
    "none of it (Sun down at contacts 1 and 4)",
    "WSE.",
    "contact %s",
    "%s at sunrise",
    "%s at sunset",
    "NSEW",
    "Equal Earth projection; coastlines Natural Earth 1:110m; grid of %s\xB0 (cell centres)",
    "At the Earth's centre (UT): %s; Delta T %s s",
    "Share of the Earth's surface:",
    "Map, %s\xB0 a column, %s\xB0 a line, north up (W whole, S start only, E end only, . none):",
    "%s: %s",
};

// German letters as Windows-1252 escapes; a following hex digit needs a split literal.
const Texts German{
    "Hilfe: 'transits --help'.",
    "Aufruf: transits [OPTIONEN] BEFEHL\n"
    "Alle Durchg\xE4nge von Venus und Merkur von 1600 bis 2200, aus den VSOP87-Positionen von libnova.\n"
    "\n"
    "Befehle:\n"
    "  list                     alle Durchg\xE4nge: Kontakte, Mitte, kleinster Abstand (UT)\n"
    "  contacts DATUM           der Durchgang am DATUM (JJJJ-MM-TT, UT): seine Kontakte, vom\n"
    "                           Erdmittelpunkt oder, mit --site, von einem Ort mit der Sonnenh\xF6he\n"
    "  coefficients DATUM       die Ortskoeffizienten A_c jedes Kontakts, in Sekunden je Einheit des\n"
    "                           Ortsvektors auf der Kugel von 6364 km, L\xE4nge nach Osten positiv\n"
    "  elements DATUM           die Besselschen Elemente des Durchgangs zu jeder Stunde: x, y, d, mu,\n"
    "                           l1, l2, tan f1, tan f2 (wie bei einer Sonnenfinsternis)\n"
    "  map DATUM                die Weltkarte des Durchgangs: wo er ganz, nur sein Anfang oder nur sein\n"
    "                           Ende bei Sonne \xFC" "ber dem Horizont zu sehen ist; mit --plot gezeichnet (SVG)\n"
    "\n"
    "Optionen:\n"
    "  --planet venus|mercury   nur dieser Planet (Vorgabe: beide)\n"
    "  --from JAHR, --to JAHR   die Jahre von list (Vorgabe: 1600 und 2200)\n"
    "  --site BREITE,L\xC4NGE[,H\xD6HE]  f\xFCr contacts und map: Grad, Nord und Ost positiv, H\xF6he in m (WGS84);\n"
    "                           mehrmals f\xFCr mehrere Orte, einer nach dem anderen\n"
    "  --plot DATEI             f\xFCr contacts: dazu den Weg des Planeten \xFC" "ber die Sonnenscheibe als\n"
    "                           SVG in DATEI zeichnen, vom Erdmittelpunkt und von jedem Ort; f\xFCr\n"
    "                           map: die Karte im Equal-Earth-Entwurf, jeder Ort markiert\n"
    "  --grid GRAD              f\xFCr map: die Gr\xF6\xDF" "e der Zellen (Vorgabe 1; 0,25 bis 10, Teiler von 180)\n"
    "  --zenith-up              f\xFCr --plot mit einem --site: der Zenit des Ortes oben statt Norden\n"
    "  --delta-t SEKUNDEN       TT - UT statt der gemessenen Werte (USNO; Stephenson u. a. 2016)\n"
    "  --radii nasa|iau         die Radien der NASA (Vorgabe) oder die festen Planeten der IAU (IMCCE)\n"
    "  --format text|json       f\xFCr Menschen (Vorgabe) oder f\xFCr Skripte\n"
    "  --language en|de         Englisch oder Deutsch (Vorgabe: aus LC_ALL, LC_MESSAGES, LANG)\n"
    "  --help                   dieser Text\n"
    "  --version                die Version\n"
    "\n"
    "Exit-Status: 0 fertig, 1 kein Durchgang am Datum, 2 falsche Eingabe oder ein Bild, das nicht\n"
    "geschrieben werden kann.\n",
    "das Datum \"%s\" hat nicht die Form JJJJ-MM-TT",
    "das Datum \"%s\" gibt es nicht",
    "das Jahr %s liegt au\xDF" "erhalb von %s..%s",
    "das Jahr \"%s\" ist keine ganze Zahl",
    "--from %s liegt nach --to %s",
    "Delta T \"%s\" ist keine Zahl von Sekunden",
    "Delta T \"%s\" liegt au\xDF" "erhalb von -3600..3600 s",
    "der Ort \"%s\" hat nicht die Form BREITE,L\xC4NGE oder BREITE,L\xC4NGE,H\xD6HE",
    "die Breite \"%s\" liegt au\xDF" "erhalb von -90..90",
    "die L\xE4nge \"%s\" liegt au\xDF" "erhalb von -180..180",
    "die H\xF6he \"%s\" liegt au\xDF" "erhalb von %s..%s m",
    "der Planet \"%s\" ist weder venus noch mercury",
    "die Radien \"%s\" sind weder nasa noch iau",
    "das Format \"%s\" ist weder text noch json",
    "die Sprache \"%s\" ist weder en noch de",
    "%s braucht ein DATUM (JJJJ-MM-TT)",
    "kein Befehl: list, contacts, coefficients, elements oder map",
    "die Befehlszeile ist unverst\xE4ndlich: %s",
    "kein Durchgang von Venus oder Merkur ber\xFChrt den %s",
    "kein Durchgang %s ber\xFChrt den %s",
    "Venus",
    "Merkur",
    "der Venus",
    "des Merkur",
    "von Venus und Merkur",
    "Durchg\xE4nge %s, %s..%s (UT; %s)",
    "Planet   Beginn      K1          K2          Mitte       K3          K4          Abstand    Delta T",
    "Durchgang %s, %s",
    "vom Erdmittelpunkt, UT",
    "gesehen von %s, UT",
    "Delta T %s s (%s), %s",
    "vorgegeben",
    "gemessen",
    "rekonstruiert",
    "extrapoliert",
    "gemessen, wo bekannt",
    "Radien der NASA",
    "Radien der IAU",
    "Mitte",
    "kleinster Abstand %s Bogensekunden",
    "Sonne %s Grad",
    "Sonne unter dem Horizont (%s Grad)",
    "P %s Grad",
    "V %s Grad",
    "findet hier nicht statt",
    "Ortskoeffizienten A_c, Durchgang %s, %s (s je Einheit des Ortsvektors, Kugel von 6364 km)",
    "x: L\xE4nge 0 am \xC4quator, y: 90 Ost am \xC4quator, z: Nordpol",
    "Kontakt",
    "Besselsche Elemente, Durchgang %s, %s, zu jeder vollen Stunde UT",
    "x, y, l1, l2 in \xC4quatorradien der Erde (6378,137 km); d, mu in Grad (\xC4quator des Datums)",
    "--plot braucht den Namen einer Datei f\xFCr das Bild (die Kontakte gehen auf die Standardausgabe)",
    "--zenith-up dreht das Bild: es braucht --plot DATEI",
    "--zenith-up braucht genau einen --site: der Zenit geh\xF6rt zu einem Ort",
    "%s: das Bild kann nicht geschrieben werden",
    "das Raster \"%s\" ist keine Gradzahl von 0,25 bis 10, die 180 teilt",
    "--plot braucht den Namen einer Datei f\xFCr die Karte (die \xDC" "bersicht geht auf die Standardausgabe)",
    "Was bei Sonne \xFC" "ber dem Horizont (ihre Mitte h\xF6" "chstens 0,83\xB0 darunter) bei Kontakt 1 und 4 zu sehen ist",
    "der ganze Durchgang (Sonne bei Kontakt 1 und 4 \xFC" "ber dem Horizont)",
    "nur sein Anfang (Sonne bei Kontakt 1 auf, bis Kontakt 4 untergegangen)",
    "nur sein Ende (Sonne bis Kontakt 4 aufgegangen, bei Kontakt 1 nicht auf)",
    "nichts davon (Sonne bei Kontakt 1 und 4 unter dem Horizont)",
    "GAE.",
    "Kontakt %s",
    "%s bei Sonnenaufgang",
    "%s bei Sonnenuntergang",
    "NSOW",
    "Equal-Earth-Entwurf; K\xFCstenlinien Natural Earth 1:110m; Raster von %s\xB0 (Zellmitten)",
    "Vom Erdmittelpunkt (UT): %s; Delta T %s s",
    "Anteil an der Erdoberfl\xE4" "che:",
    "Karte, %s\xB0 je Spalte, %s\xB0 je Zeile, Norden oben (G ganz, A nur Anfang, E nur Ende, . nichts):",
    "%s: %s",
};

}  // namespace

const Texts& TextsFor(kit::Language language) { return language == kit::Language::German ? German : English; }

std::string DeltaTSourceWord(const Texts& texts, ephemeris::DeltaTSource source) {
    switch (source) {
        case ephemeris::DeltaTSource::Given: return texts.deltaTGiven;
        case ephemeris::DeltaTSource::Measured: return texts.deltaTMeasured;
        case ephemeris::DeltaTSource::Reconstructed: return texts.deltaTReconstructed;
        case ephemeris::DeltaTSource::Extrapolated: return texts.deltaTExtrapolated;
    }
    return texts.deltaTMeasured;
}

std::string PlanetWord(const Texts& texts, ephemeris::Planet planet) {
    return planet == ephemeris::Planet::Venus ? texts.venus : texts.mercury;
}
