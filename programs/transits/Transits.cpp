// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transits.h"

#include "Fields.h"
#include "ModulDos.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "Reduction.h"

using ephemeris::Radii;

namespace {

constexpr double LowestHeightMetres = -1000.0;    // below the Dead Sea shore, for a mine or a sea-level error
constexpr double HighestHeightMetres = 20000.0;   // above every mountain and most aircraft
constexpr double LargestDeltaTSeconds = 3600.0;   // far beyond any Delta T of 1600..2200 (at most about 3 min)

struct Texts {
    const char* hint;
    const char* help;
    const char* notADateForm;
    const char* noSuchDate;
    const char* yearOutside;
    const char* notAYear;
    const char* fromAfterTo;
    const char* deltaTNotNumber;
    const char* deltaTOutside;
    const char* siteForm;
    const char* latitudeOutside;
    const char* longitudeOutside;
    const char* heightOutside;
    const char* notPlanet;
    const char* notRadii;
    const char* notFormat;
    const char* notLanguage;
    const char* needsDate;
    const char* noCommand;
    const char* commandLine;
    const char* noTransitAny;
    const char* noTransitOf;
    const char* venus;
    const char* mercury;
    const char* venusGenitive;
    const char* mercuryGenitive;
    const char* bothGenitive;
    const char* listTitle;
    const char* listHeader;
    const char* transitOf;
    const char* geocentric;
    const char* seenFrom;
    const char* deltaTLine;
    const char* deltaTGiven;
    const char* deltaTPolynomials;
    const char* radiiNasa;
    const char* radiiIau;
    const char* greatest;
    const char* minSeparation;
    const char* sunAltitude;
    const char* sunBelow;
    const char* doesNotHappen;
    const char* coefficientsTitle;
    const char* coefficientsAxes;
    const char* contactWord;
};

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
    "\n"
    "Options:\n"
    "  --planet venus|mercury   only this planet (default: both)\n"
    "  --from YEAR, --to YEAR   the years of list (default: 1600 and 2200)\n"
    "  --site LAT,LON[,HEIGHT]  for contacts: degrees, north and east positive, height in m (WGS84)\n"
    "  --delta-t SECONDS        TT - UT instead of the Espenak-Meeus polynomials\n"
    "  --radii nasa|iau         NASA's radii (default) or the IAU's solid planets, as the IMCCE\n"
    "  --format text|json       for people (default) or for scripts\n"
    "  --language en|de         English or German (default: from LC_ALL, LC_MESSAGES, LANG)\n"
    "  --help                   this text\n"
    "  --version                the version\n"
    "\n"
    "Exit status: 0 done, 1 no transit touches the date, 2 bad input.\n",
    "date \"%s\" is not in the form YYYY-MM-DD",
    "date \"%s\" does not exist",
    "year %s is outside 1600..2200",
    "year \"%s\" is not a whole number",
    "--from %s is after --to %s",
    "Delta T \"%s\" is not a number of seconds",
    "Delta T \"%s\" is outside -3600..3600 s",
    "site \"%s\" is not in the form LAT,LON or LAT,LON,HEIGHT",
    "latitude \"%s\" is outside -90..90",
    "longitude \"%s\" is outside -180..180",
    "height \"%s\" is outside -1000..20000 m",
    "planet \"%s\" is neither venus nor mercury",
    "radii \"%s\" are neither nasa nor iau",
    "format \"%s\" is neither text nor json",
    "language \"%s\" is neither en nor de",
    "%s needs a DATE (YYYY-MM-DD)",
    "no command given: list, contacts or coefficients",
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
    "Espenak-Meeus",
    "NASA radii",
    "IAU radii",
    "greatest",
    "minimum separation %s arcsec",
    "Sun %s deg",
    "Sun below the horizon (%s deg)",
    "does not happen here",
    "Site coefficients A_c, transit of %s, %s (s per unit site vector, sphere of 6364 km)",
    "x: lon 0 on the equator, y: 90 E on the equator, z: north pole",
    "contact",
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
    "\n"
    "Optionen:\n"
    "  --planet venus|mercury   nur dieser Planet (Vorgabe: beide)\n"
    "  --from JAHR, --to JAHR   die Jahre von list (Vorgabe: 1600 und 2200)\n"
    "  --site BREITE,L\xC4NGE[,H\xD6HE]  f\xFCr contacts: Grad, Nord und Ost positiv, H\xF6he in m (WGS84)\n"
    "  --delta-t SEKUNDEN       TT - UT statt der Polynome von Espenak und Meeus\n"
    "  --radii nasa|iau         die Radien der NASA (Vorgabe) oder die festen Planeten der IAU (IMCCE)\n"
    "  --format text|json       f\xFCr Menschen (Vorgabe) oder f\xFCr Skripte\n"
    "  --language en|de         Englisch oder Deutsch (Vorgabe: aus LC_ALL, LC_MESSAGES, LANG)\n"
    "  --help                   dieser Text\n"
    "  --version                die Version\n"
    "\n"
    "Exit-Status: 0 fertig, 1 kein Durchgang am Datum, 2 falsche Eingabe.\n",
    "das Datum \"%s\" hat nicht die Form JJJJ-MM-TT",
    "das Datum \"%s\" gibt es nicht",
    "das Jahr %s liegt au\xDF" "erhalb von 1600..2200",
    "das Jahr \"%s\" ist keine ganze Zahl",
    "--from %s liegt nach --to %s",
    "Delta T \"%s\" ist keine Zahl von Sekunden",
    "Delta T \"%s\" liegt au\xDF" "erhalb von -3600..3600 s",
    "der Ort \"%s\" hat nicht die Form BREITE,L\xC4NGE oder BREITE,L\xC4NGE,H\xD6HE",
    "die Breite \"%s\" liegt au\xDF" "erhalb von -90..90",
    "die L\xE4nge \"%s\" liegt au\xDF" "erhalb von -180..180",
    "die H\xF6he \"%s\" liegt au\xDF" "erhalb von -1000..20000 m",
    "der Planet \"%s\" ist weder venus noch mercury",
    "die Radien \"%s\" sind weder nasa noch iau",
    "das Format \"%s\" ist weder text noch json",
    "die Sprache \"%s\" ist weder en noch de",
    "%s braucht ein DATUM (JJJJ-MM-TT)",
    "kein Befehl: list, contacts oder coefficients",
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
    "Espenak-Meeus",
    "Radien der NASA",
    "Radien der IAU",
    "Mitte",
    "kleinster Abstand %s Bogensekunden",
    "Sonne %s Grad",
    "Sonne unter dem Horizont (%s Grad)",
    "findet hier nicht statt",
    "Ortskoeffizienten A_c, Durchgang %s, %s (s je Einheit des Ortsvektors, Kugel von 6364 km)",
    "x: L\xE4nge 0 am \xC4quator, y: 90 Ost am \xC4quator, z: Nordpol",
    "Kontakt",
};

const Texts& TextsFor(TransitsLanguage language) { return language == TransitsLanguage::German ? German : English; }

// The text with each %s replaced by the next of up to four strings.
std::string Fill(const char* pattern, const std::string& a = "", const std::string& b = "",
                 const std::string& c = "", const std::string& d = "") {
    std::string out;
    const std::string* args[4] = {&a, &b, &c, &d};
    int next = 0;
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's' && next < 4) {
            out += *args[next++];
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

// One sentence and the hint, as a usage error.
int UsageError(const Texts& texts, const std::string& sentence, std::ostream& err) {
    err << "transits: " << sentence << '\n' << texts.hint << '\n';
    return 2;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// [+-]digits[.digits] or [+-].digits: the grammar people write; no exponent, no inf or nan.
bool ParseDecimal(const std::string& text, double& value) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    bool point = false;
    for (std::size_t j = i; j < text.size(); ++j) {
        if (IsDigit(text[j])) {
            ++digits;
        } else if (text[j] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    // from_chars takes no leading '+'.
    const std::size_t from = text[0] == '+' ? 1 : 0;
    double parsed = 0.0;
    const auto result = std::from_chars(text.data() + from, text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

// [+-]digits, at most 9 of them.
bool ParseWhole(const std::string& text, int& value) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i == text.size() || text.size() - i > 9) return false;
    for (std::size_t j = i; j < text.size(); ++j) {
        if (!IsDigit(text[j])) return false;
    }
    const std::size_t from = text[0] == '+' ? 1 : 0;
    int parsed = 0;
    const auto result = std::from_chars(text.data() + from, text.data() + text.size(), parsed);
    if (result.ec != std::errc()) return false;
    value = parsed;
    return true;
}

int ParseYearOption(const Texts& texts, const std::string& text, int& year, std::ostream& err) {
    if (!ParseWhole(text, year)) return UsageError(texts, Fill(texts.notAYear, text), err);
    if (year < FirstCatalogueYear || year > LastCatalogueYear) {
        return UsageError(texts, Fill(texts.yearOutside, text), err);
    }
    return -1;
}

// YYYY-MM-DD, a real date in the catalogue's years.
int ParseDateArgument(const Texts& texts, const std::string& text, TransitsOptions& options, std::ostream& err) {
    const bool form = text.size() == 10 && text[4] == '-' && text[7] == '-' && IsDigit(text[0]) && IsDigit(text[1]) &&
                      IsDigit(text[2]) && IsDigit(text[3]) && IsDigit(text[5]) && IsDigit(text[6]) &&
                      IsDigit(text[8]) && IsDigit(text[9]);
    if (!form) return UsageError(texts, Fill(texts.notADateForm, text), err);
    int year = 0, month = 0, day = 0;
    ParseWhole(text.substr(0, 4), year);
    ParseWhole(text.substr(5, 2), month);
    ParseWhole(text.substr(8, 2), day);
    if (!fields::IsCalendarDate(year, month, day)) return UsageError(texts, Fill(texts.noSuchDate, text), err);
    if (year < FirstCatalogueYear || year > LastCatalogueYear) {
        return UsageError(texts, Fill(texts.yearOutside, text.substr(0, 4)), err);
    }
    options.year = year, options.month = month, options.day = day;
    return -1;
}

int ParseSite(const Texts& texts, const std::string& text, TransitsOptions& options, std::ostream& err) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == ',') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    double values[3] = {0.0, 0.0, 0.0};
    bool readable = parts.size() == 2 || parts.size() == 3;
    // The coordinates as transitfit reads them: 51.47, 51.47N, 28 W, 7 O, 49 13 09 N or 49:13:09N.
    std::string why;
    readable = readable && fields::ParseAngle(parts[0], "NS", fields::NumberStyle{}, values[0], why) &&
               fields::ParseAngle(parts[1], "EW", fields::NumberStyle{}, values[1], why);
    if (readable && parts.size() == 3) readable = ParseDecimal(parts[2], values[2]);
    if (!readable) return UsageError(texts, Fill(texts.siteForm, text), err);
    if (values[0] < -90.0 || values[0] > 90.0) return UsageError(texts, Fill(texts.latitudeOutside, parts[0]), err);
    if (values[1] < -180.0 || values[1] > 180.0) {
        return UsageError(texts, Fill(texts.longitudeOutside, parts[1]), err);
    }
    if (values[2] < LowestHeightMetres || values[2] > HighestHeightMetres) {
        return UsageError(texts, Fill(texts.heightOutside, parts[2]), err);
    }
    options.siteGiven = true;
    options.latitudeDegrees = values[0], options.longitudeEastDegrees = values[1], options.heightMetres = values[2];
    return -1;
}

std::string PlanetName(Planet planet) { return planet == Planet::Venus ? "venus" : "mercury"; }

// A number for people: fixed decimals, a decimal comma in German.
std::string Number(TransitsLanguage language, double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);  // no "-0.0"
    if (language == TransitsLanguage::German) {
        for (char& c : text) {
            if (c == '.') c = ',';
        }
    }
    return text;
}

std::string DateText(const CalendarTime& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buffer;
}

std::string ClockText(const CalendarTime& t, bool tenths) {
    char buffer[32];
    if (tenths) {
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%d", t.hour, t.minute, t.tenthsOfSecond / 10,
                      t.tenthsOfSecond % 10);
    } else {
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", t.hour, t.minute, t.tenthsOfSecond / 10);
    }
    return buffer;
}

// ISO 8601 UT to the tenth of a second: 2004-06-08T05:13:29.4Z.
std::string IsoText(double jd) {
    const CalendarTime t = CalendarFromJd(jd);
    return DateText(t) + "T" + ClockText(t, true) + "Z";
}

// One event (C1..C4 or greatest) of a transit, in time order.
struct Event {
    std::string name;
    double jdUt;
    bool withAltitude;
    double sunAltitudeDegrees;
    int contact;  // 1..4, 0 for the greatest transit
};

std::vector<Event> Events(const TransitsEntry& entry, bool local) {
    std::vector<Event> events;
    const Transit& t = entry.transit;
    const LocalCircumstances& l = entry.local;
    for (int c = 1; c <= ContactCount; ++c) {
        if (c == 3) {
            events.push_back({"greatest", local ? l.greatestJdUt : t.greatestJdUt, local,
                              l.greatestSunAltitudeDegrees, 0});
        }
        const bool happens = local ? l.contactHappens[c - 1] : t.contactHappens[c - 1];
        if (!happens) continue;
        events.push_back({"C" + std::to_string(c), local ? l.contactJdUt[c - 1] : t.contactJdUt[c - 1], local,
                          l.contactSunAltitudeDegrees[c - 1], c});
    }
    return events;
}

std::string PlanetWord(const Texts& texts, Planet planet) { return planet == Planet::Venus ? texts.venus : texts.mercury; }

std::string DeltaTLine(const TransitsOptions& options, const Transit& t) {
    const Texts& texts = TextsFor(options.language);
    return Fill(texts.deltaTLine, Number(options.language, t.deltaTSeconds, 1),
                options.ephemeris.deltaTSeconds ? texts.deltaTGiven : texts.deltaTPolynomials,
                t.radii == Radii::Nasa ? texts.radiiNasa : texts.radiiIau);
}

std::string SiteText(const TransitsOptions& options) {
    return Number(TransitsLanguage::English, options.latitudeDegrees, 4) + "," +
           Number(TransitsLanguage::English, options.longitudeEastDegrees, 4) + "," +
           Number(TransitsLanguage::English, options.heightMetres, 0);
}

void WriteList(const TransitsOptions& options, const TransitsReport& report, std::ostream& out) {
    const Texts& texts = TextsFor(options.language);
    const std::string which = !options.planet                 ? texts.bothGenitive
                              : *options.planet == Planet::Venus ? texts.venusGenitive
                                                                 : texts.mercuryGenitive;
    const std::string deltaT = options.ephemeris.deltaTSeconds ? texts.deltaTGiven : texts.deltaTPolynomials;
    out << Fill(texts.listTitle, which, std::to_string(options.fromYear), std::to_string(options.toYear),
                "Delta T " + deltaT + ", " + (options.ephemeris.radii == Radii::Nasa ? texts.radiiNasa : texts.radiiIau))
        << '\n'
        << texts.listHeader << '\n';
    for (const TransitsEntry& entry : report.entries) {
        const Transit& t = entry.transit;
        const CalendarTime start = CalendarFromJd(t.contactJdUt[0]);
        const double startDay = JulianDayAtMidnight(start.year, start.month, start.day);
        char line[256];
        std::snprintf(line, sizeof line, "%-8s %s", PlanetWord(texts, t.planet).c_str(), DateText(start).c_str());
        out << line;
        // Events after midnight carry "+1", as in a timetable.
        auto cell = [&](bool happens, double jd) {
            if (!happens) return std::string("--:--:--  ");  // ten wide, as every cell
            // Rounded to the whole second shown: cutting the tenths would read 58.9 s as 58.
            const CalendarTime c = CalendarFromJd(std::round(jd * 86400.0) / 86400.0);
            const long days = std::lround(JulianDayAtMidnight(c.year, c.month, c.day) - startDay);
            std::string text = ClockText(c, false) + (days > 0 ? "+" + std::to_string(days) : "");
            text.resize(10, ' ');
            return text;
        };
        out << "  " << cell(t.contactHappens[0], t.contactJdUt[0]) << "  " << cell(t.contactHappens[1], t.contactJdUt[1])
            << "  " << cell(true, t.greatestJdUt) << "  " << cell(t.contactHappens[2], t.contactJdUt[2]) << "  "
            << cell(t.contactHappens[3], t.contactJdUt[3]) << "  ";
        std::string separation = Number(options.language, t.minSeparationArcsec, 1) + "\"";
        separation.resize(11, ' ');
        out << separation << Number(options.language, t.deltaTSeconds, 1) << " s\n";
    }
}

void WriteContacts(const TransitsOptions& options, const TransitsEntry& entry, std::ostream& out) {
    const Texts& texts = TextsFor(options.language);
    const Transit& t = entry.transit;
    const Planet planet = t.planet;
    out << Fill(texts.transitOf, planet == Planet::Venus ? texts.venusGenitive : texts.mercuryGenitive,
                DateText(CalendarFromJd(t.greatestJdUt)))
        << ", " << (options.siteGiven ? Fill(texts.seenFrom, SiteText(options)) : std::string(texts.geocentric)) << '\n'
        << DeltaTLine(options, t) << '\n';
    const std::vector<Event> events = Events(entry, options.siteGiven);
    int nextContact = 1;
    auto missing = [&](int upTo) {
        for (; nextContact < upTo; ++nextContact) {
            out << "C" << nextContact << "        " << texts.doesNotHappen << '\n';
        }
    };
    for (const Event& e : events) {
        if (e.contact > 0) {
            missing(e.contact);
            nextContact = e.contact + 1;
        } else {
            missing(3);
        }
        const CalendarTime when = CalendarFromJd(e.jdUt);
        std::string name = e.contact > 0 ? e.name : texts.greatest;
        name.resize(10, ' ');
        out << name << DateText(when) << ' ' << ClockText(when, true);
        if (e.withAltitude) {
            const std::string altitude = Number(options.language, e.sunAltitudeDegrees, 1);
            out << "   " << Fill(e.sunAltitudeDegrees < 0.0 ? texts.sunBelow : texts.sunAltitude, altitude);
        }
        if (e.contact == 0) {
            const double separation = options.siteGiven ? entry.local.minSeparationArcsec : t.minSeparationArcsec;
            out << "   " << Fill(texts.minSeparation, Number(options.language, separation, 1));
        }
        out << '\n';
    }
    missing(ContactCount + 1);
}

void WriteCoefficients(const TransitsOptions& options, const TransitsEntry& entry, std::ostream& out) {
    const Texts& texts = TextsFor(options.language);
    const Transit& t = entry.transit;
    out << Fill(texts.coefficientsTitle, t.planet == Planet::Venus ? texts.venusGenitive : texts.mercuryGenitive,
                DateText(CalendarFromJd(t.greatestJdUt)))
        << '\n'
        << texts.coefficientsAxes << '\n'
        << DeltaTLine(options, t) << '\n';
    char line[160];
    std::snprintf(line, sizeof line, "%-9s %10s %10s %10s\n", texts.contactWord, "x", "y", "z");
    out << line;
    for (int c = 0; c < ContactCount; ++c) {
        if (!std::isfinite(entry.coefficientsSeconds[c][0])) {
            out << c + 1 << "         " << texts.doesNotHappen << '\n';
            continue;
        }
        std::snprintf(line, sizeof line, "%-9d %10s %10s %10s\n", c + 1,
                      Number(options.language, entry.coefficientsSeconds[c][0], 2).c_str(),
                      Number(options.language, entry.coefficientsSeconds[c][1], 2).c_str(),
                      Number(options.language, entry.coefficientsSeconds[c][2], 2).c_str());
        out << line;
    }
}

nlohmann::ordered_json EventsJson(const TransitsEntry& entry, bool local) {
    nlohmann::ordered_json events = nlohmann::ordered_json::array();
    for (const Event& e : Events(entry, local)) {
        nlohmann::ordered_json item;
        item["event"] = e.name;
        item["ut"] = IsoText(e.jdUt);
        if (e.withAltitude) {
            item["sun_altitude_deg"] = e.sunAltitudeDegrees;
            item["sun_below_horizon"] = e.sunAltitudeDegrees < 0.0;
        }
        events.push_back(item);
    }
    return events;
}

nlohmann::ordered_json TransitHeadJson(const Transit& t) {
    nlohmann::ordered_json head;
    head["planet"] = PlanetName(t.planet);
    head["date"] = DateText(CalendarFromJd(t.greatestJdUt));
    head["delta_t_s"] = t.deltaTSeconds;
    head["radii"] = t.radii == Radii::Nasa ? "nasa" : "iau";
    return head;
}

}  // namespace

TransitsLanguage LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    return kit::LanguageFromLocale(lcAll, lcMessages, lang);
}

int ParseTransitsOptions(const std::vector<std::string>& args, TransitsLanguage language, std::ostream& out,
                         std::ostream& err, TransitsOptions& options) {
    // The language first, by hand: every later message is written in it.
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--language") {
            if (args[i + 1] == "de") language = TransitsLanguage::German;
            if (args[i + 1] == "en") language = TransitsLanguage::English;
        }
    }
    for (const std::string& arg : args) {
        if (arg == "--language=de") language = TransitsLanguage::German;
        if (arg == "--language=en") language = TransitsLanguage::English;
    }
    options.language = language;
    const Texts& texts = TextsFor(language);

    CLI::App app{"", "transits"};
    app.set_help_flag();
    bool help = false, version = false;
    std::string format = "text", languageText, deltaT, radii = "nasa", planet, from, to, date, site;
    app.add_flag("--help", help);
    app.add_flag("--version", version);
    app.add_option("--format", format);
    app.add_option("--language", languageText);
    app.add_option("--delta-t", deltaT);
    app.add_option("--radii", radii);
    CLI::App* list = app.add_subcommand("list");
    CLI::App* contacts = app.add_subcommand("contacts");
    CLI::App* coefficients = app.add_subcommand("coefficients");
    for (CLI::App* command : {list, contacts, coefficients}) {
        command->fallthrough();
        command->set_help_flag();
        command->add_option("--planet", planet);
    }
    list->add_option("--from", from);
    list->add_option("--to", to);
    contacts->add_option("date", date);
    contacts->add_option("--site", site);
    coefficients->add_option("date", date);
    app.require_subcommand(0, 1);

    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        return UsageError(texts, Fill(texts.commandLine, e.what()), err);
    }

    if (help) {
        out << texts.help;
        return 0;
    }
    if (version) {
        out << "transits " << TRANSITS_VERSION << '\n';
        return 0;
    }
    if (!languageText.empty() && languageText != "en" && languageText != "de") {
        return UsageError(texts, Fill(texts.notLanguage, languageText), err);
    }
    if (format == "text") {
        options.format = OutputFormat::Text;
    } else if (format == "json") {
        options.format = OutputFormat::Json;
    } else {
        return UsageError(texts, Fill(texts.notFormat, format), err);
    }
    if (radii == "nasa") {
        options.ephemeris.radii = Radii::Nasa;
    } else if (radii == "iau") {
        options.ephemeris.radii = Radii::Iau;
    } else {
        return UsageError(texts, Fill(texts.notRadii, radii), err);
    }
    if (!deltaT.empty() || app.count("--delta-t") > 0) {
        double seconds = 0.0;
        if (!ParseDecimal(deltaT, seconds)) return UsageError(texts, Fill(texts.deltaTNotNumber, deltaT), err);
        if (std::fabs(seconds) > LargestDeltaTSeconds) {
            return UsageError(texts, Fill(texts.deltaTOutside, deltaT), err);
        }
        options.ephemeris.deltaTSeconds = seconds;
    }
    if (!planet.empty()) {
        if (planet == "venus") {
            options.planet = Planet::Venus;
        } else if (planet == "mercury") {
            options.planet = Planet::Mercury;
        } else {
            return UsageError(texts, Fill(texts.notPlanet, planet), err);
        }
    }
    if (list->parsed()) {
        options.command = TransitsCommand::List;
        if (!from.empty()) {
            if (const int status = ParseYearOption(texts, from, options.fromYear, err); status >= 0) return status;
        }
        if (!to.empty()) {
            if (const int status = ParseYearOption(texts, to, options.toYear, err); status >= 0) return status;
        }
        if (options.fromYear > options.toYear) {
            return UsageError(texts, Fill(texts.fromAfterTo, from, to), err);
        }
        return -1;
    }
    if (!contacts->parsed() && !coefficients->parsed()) return UsageError(texts, texts.noCommand, err);
    options.command = contacts->parsed() ? TransitsCommand::Contacts : TransitsCommand::Coefficients;
    if (date.empty()) {
        return UsageError(texts, Fill(texts.needsDate, contacts->parsed() ? "contacts" : "coefficients"), err);
    }
    if (const int status = ParseDateArgument(texts, date, options, err); status >= 0) return status;
    if (!site.empty() || contacts->count("--site") > 0) {
        if (const int status = ParseSite(texts, site, options, err); status >= 0) return status;
    }
    return -1;
}

bool RunTransits(const TransitsOptions& options, std::ostream& err, TransitsReport& report) {
    report = TransitsReport{};
    if (options.command == TransitsCommand::List) {
        for (const Transit& t : ListTransits(options.planet, options.fromYear, options.toYear, options.ephemeris)) {
            TransitsEntry entry;
            entry.transit = t;
            report.entries.push_back(entry);
        }
        return true;
    }
    TransitsEntry entry;
    if (!FindTransit(options.planet, options.year, options.month, options.day, options.ephemeris, entry.transit)) {
        const Texts& texts = TextsFor(options.language);
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", options.year, options.month, options.day);
        err << "transits: "
            << (options.planet ? Fill(texts.noTransitOf, PlanetWord(texts, *options.planet), date)
                               : Fill(texts.noTransitAny, date))
            << '\n';
        report.status = 1;
        return false;
    }
    if (options.command == TransitsCommand::Contacts && options.siteGiven) {
        // The site was checked while parsing, so LocalContacts cannot refuse it.
        LocalContacts(entry.transit, options.latitudeDegrees, options.longitudeEastDegrees, options.heightMetres,
                      entry.local);
    }
    if (options.command == TransitsCommand::Coefficients) ContactCoefficients(entry.transit, entry.coefficientsSeconds);
    report.entries.push_back(entry);
    return true;
}

void WriteTransitsText(const TransitsOptions& options, const TransitsReport& report, std::ostream& out) {
    if (options.command == TransitsCommand::List) {
        WriteList(options, report, out);
    } else if (!report.entries.empty()) {
        if (options.command == TransitsCommand::Contacts) {
            WriteContacts(options, report.entries.front(), out);
        } else {
            WriteCoefficients(options, report.entries.front(), out);
        }
    }
}

bool WriteTransitsJson(const TransitsOptions& options, const TransitsReport& report, std::ostream& out) {
    nlohmann::ordered_json document;
    if (options.command == TransitsCommand::List) {
        document["from"] = options.fromYear;
        document["to"] = options.toYear;
        document["transits"] = nlohmann::ordered_json::array();
        for (const TransitsEntry& entry : report.entries) {
            nlohmann::ordered_json item = TransitHeadJson(entry.transit);
            item["min_separation_arcsec"] = entry.transit.minSeparationArcsec;
            item["events"] = EventsJson(entry, false);
            document["transits"].push_back(item);
        }
    } else if (!report.entries.empty()) {
        const TransitsEntry& entry = report.entries.front();
        document = TransitHeadJson(entry.transit);
        if (options.command == TransitsCommand::Contacts) {
            if (options.siteGiven) {
                document["site"] = {{"latitude_deg", options.latitudeDegrees},
                                    {"longitude_deg", options.longitudeEastDegrees},
                                    {"height_m", options.heightMetres}};
            }
            document["min_separation_arcsec"] =
                options.siteGiven ? entry.local.minSeparationArcsec : entry.transit.minSeparationArcsec;
            document["events"] = EventsJson(entry, options.siteGiven);
        } else {
            document["earth_radius_km"] = static_cast<double>(EarthRadiusKm);
            document["coefficients"] = nlohmann::ordered_json::array();
            for (int c = 0; c < ContactCount; ++c) {
                if (!std::isfinite(entry.coefficientsSeconds[c][0])) continue;
                document["coefficients"].push_back({{"contact", c + 1},
                                                    {"x_s", entry.coefficientsSeconds[c][0]},
                                                    {"y_s", entry.coefficientsSeconds[c][1]},
                                                    {"z_s", entry.coefficientsSeconds[c][2]}});
            }
        }
    }
    std::string text;
    try {
        text = document.dump(2);
    } catch (const nlohmann::json::exception&) {
        return false;
    }
    out << text << '\n';
    return true;
}
