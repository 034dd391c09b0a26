// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Words.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <vector>

#include "Format.h"

namespace report {

using namespace campaign;
using namespace fitting;

namespace {

const TextWords TextEnglish = {
    "Timings", "read", "used", "rejected", "Astronomical Unit", "million km", "Solar parallax",
    "no error bar: there are as many unknowns as timings",
    "the data do not bound the AU: its uncertainty reaches an infinite distance",
    "Uncertainty", "formal", "degrees of freedom", "bootstrap over observers", "jackknife by observer",
    "no resampling", "Coefficients", "Clock offsets", "Contact  Reference (UT)   rms O-C (s)  Timings",
    "duration", "Timing                 Observer              Contact    O-C (s)  Flags", "AU without observer",
    "not determined", "not solved",
    "Site model: exact, each timing against the contact predicted at its own site; ",
    "given with --au: each timing against its prediction for that AU",
    "Contact  Reference (UT)    Offset (s)  rms O-C (s)  Timings",
    "Timing                 Observer              Contact  Predicted (UT)    O-C (s)  Flags",
    "not used (use: no)", "As printed", "UT", "to first order, no draws"};

const TextWords TextGerman = {
    "Zeiten", "gelesen", "verwendet", "verworfen", "Astronomische Einheit", "Mio. km", "Sonnenparallaxe",
    "kein Fehlerbalken: so viele Unbekannte wie Zeiten",
    "die Daten begrenzen die AE nicht: ihre Unsicherheit reicht bis ins Unendliche",
    "Unsicherheit", "formal", "Freiheitsgrade", "Bootstrap \xC3\xBC" "ber Beobachter", "Jackknife nach Beobachter",
    "keine Wiederholungsstichprobe", "Koeffizienten", "Uhrfehler", "Kontakt  Bezug (UT)       rms B-R (s)  Zeiten",
    "Dauer", "Zeit                   Beobachter            Kontakt    B-R (s)  Kennzeichen", "AE ohne Beobachter",
    "nicht bestimmt", "nicht gel\xC3\xB6st",
    "Ortsmodell: exakt, jede Zeit gegen den f\xC3\xBCr ihren Ort vorhergesagten Kontakt; ",
    "vorgegeben mit --au: jede Zeit gegen ihre Vorhersage f\xC3\xBCr diese AE",
    "Kontakt  Bezug (UT)       Versatz (s)  rms B-R (s)   Zeiten",
    "Zeit                   Beobachter            Kontakt  Vorhersage (UT)   B-R (s)  Kennzeichen",
    "nicht verwendet (verwenden: nein)", "Im Original", "UT", "in erster Ordnung, ohne Ziehungen"};

const PlotWords PlotEnglish = {
    " timings", "site lever A\xC2\xB7v (s at 1 AU = 149.6 million km)", "time \xE2\x88\x92 contact's reference time (s)",
    " million km", "slope: AU = ", "contact ", "duration", "rejected"};

const PlotWords PlotGerman = {
    " Zeiten", "Hebel des Ortes A\xC2\xB7v (s bei 1 AE = 149,6 Mio. km)", "Zeit \xE2\x88\x92 Bezugszeit des Kontakts (s)",
    " Mio. km", "Steigung: AE = ", "Kontakt ", "Dauer", "verworfen"};

const char* const MonthEnglish[] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
const char* const MonthGerman[] = {"Januar", "Februar", "M\xC3\xA4rz",  "April",    "Mai",      "Juni",
                                   "Juli",   "August",  "September", "Oktober", "November", "Dezember"};

bool IsGerman(kit::Language language) { return language == kit::Language::German; }

std::string TimeZoneText(const TimeZone& f, bool german) {
    const std::string hours = HoursText(f.hours), size = HoursText(std::fabs(f.hours)).substr(1);
    if (german) {
        return "B-R ist " + hours + ", ein Vielfaches einer halben Stunde: Ortszeit als UT eingetragen? Die Zeit " +
               (f.hours > 0 ? "minus " : "plus ") + size + " w\xC3\xBC" "rde passen";
    }
    return "O-C is " + hours + ", a whole number of half hours: local time typed as UT? The time " +
           (f.hours > 0 ? "less " : "plus ") + size + " would fit";
}

std::string BelowHorizonText(const BelowHorizon& f, bool german) {
    char text[200];
    if (german) {
        std::snprintf(text, sizeof text,
                      "die Sonne stand an diesem Ort zu dieser Zeit %.1f Grad unter dem Horizont: so nicht zu sehen, "
                      "daher nicht verwendet; Zeit, Datum und Koordinaten des Ortes pr\xC3\xBC" "fen", -f.sunAltitudeDeg);
        // The German sentence has no full stop but the number's.
        return kit::WithDecimalComma(text);
    }
    std::snprintf(text, sizeof text,
                  "the Sun was %.1f degrees below the horizon at this site and time: it cannot have been seen, so "
                  "it is not used; check the time, the date and the site's coordinates", -f.sunAltitudeDeg);
    return text;
}

// "Transit of Venus, 8 June 2004", "Venustransit 8. Juni 2004".
std::string Title(ephemeris::Planet planet, int year, int month, int day, bool german) {
    const bool venus = planet == ephemeris::Planet::Venus;
    if (german) {
        return std::string(venus ? "Venustransit " : "Merkurtransit ") + std::to_string(day) + ". " + MonthGerman[month - 1] +
               " " + std::to_string(year);
    }
    return std::string(venus ? "Transit of Venus, " : "Transit of Mercury, ") + std::to_string(day) + " " +
           MonthEnglish[month - 1] + " " + std::to_string(year);
}

// "Venus 2004-06-08": a candidate as a message names it.
std::string CandidateName(const TransitCandidate& c) {
    char name[40];
    std::snprintf(name, sizeof name, "%s %04d-%02d-%02d", c.planet == ephemeris::Planet::Venus ? "Venus" : "Mercury", c.year,
                  c.month, c.day);
    return name;
}

// Why timings without dates name no transit, in English for a message.
std::string UnidentifiedSentence(const TransitRefusal& refusal) {
    const std::vector<TransitCandidate>& c = refusal.candidates;
    const std::string of = " of " + std::to_string(refusal.sampled) + " timings tried";
    std::string text;
    if (refusal.kind == TransitRefusal::Unmatched) {
        text = "no transit of Venus or Mercury from 1600 to 2200 matches the timings at their sites";
        if (!c.empty()) text += " (the closest, " + CandidateName(c[0]) + ", matches " + std::to_string(c[0].matched) + of + ")";
    } else {
        // A sentence names four; the report names them all.
        constexpr std::size_t Named = 4;
        text = "the timings match " + std::to_string(c.size()) + " transits alike: ";
        for (std::size_t k = 0; k < std::min(c.size(), Named); ++k) {
            text += k == 0 ? "" : k + 1 == c.size() ? " and " : ", ";
            text += CandidateName(c[k]) + " (" + std::to_string(c[k].matched) + (k == 0 ? of : "") + ")";
        }
        if (c.size() > Named) text += " and " + std::to_string(c.size() - Named) + " more";
    }
    return text + "; give the transit's date with --transit DATE or in a date column";
}

}  // namespace

const TextWords& TextWordsIn(kit::Language language) { return IsGerman(language) ? TextGerman : TextEnglish; }

const PlotWords& PlotWordsIn(kit::Language language) { return IsGerman(language) ? PlotGerman : PlotEnglish; }

std::string UnboundedText(const FitResult& result, kit::Language language) {
    const bool german = IsGerman(language);
    if (!std::isfinite(result.q) || result.q == 0.0) {
        return german ? "die Zeiten ergeben keine Entfernung: sie stimmen \xC3\xBC" "berein, als l\xC3\xA4gen alle Orte an einer Stelle"
                      : "the timings give no distance: they agree as if every site stood at one place";
    }
    if (result.q < 0.0) {
        return german ? "die Zeiten ergeben eine negative Entfernung: ein falscher Kontakt, ein falsches Datum, eine "
                        "falsche Dauer oder ein falsches Vorzeichen einer Koordinate?"
                      : "the timings give a negative distance: a wrong contact, date, duration or coordinate sign?";
    }
    return TextWordsIn(language).unbounded;
}

namespace {

struct BasisWords {
    const char* english;
    const char* englishMeaning;
    const char* german;
    const char* germanMeaning;
};

// In the order of TimeBasis.
const BasisWords BasisTable[] = {
    {"UT", "Universal Time", "UT", "Weltzeit"},
    {"LMT", "local mean time", "MOZ", "mittlere Ortszeit"},
    {"LAT", "local apparent time", "WOZ", "wahre Ortszeit"},
    {"GMT", "Greenwich mean time", "MGZ", "mittlere Greenwicher Zeit"},
    {"GAT", "Greenwich apparent time", "WGZ", "wahre Greenwicher Zeit"},
    {"PMT", "Paris mean time", "MPZ", "mittlere Pariser Zeit"},
    {"PAT", "Paris apparent time", "WPZ", "wahre Pariser Zeit"},
};

}  // namespace

const char* BasisAbbreviation(TimeBasis basis, kit::Language language) {
    const BasisWords& words = BasisTable[static_cast<std::size_t>(basis)];
    return IsGerman(language) ? words.german : words.english;
}

std::string WrittenTimesNote(unsigned basesShown, bool astronomical, kit::Language language) {
    const bool german = IsGerman(language);
    std::string note = german ? "Im Original: " : "As printed: ";
    bool first = true;
    for (std::size_t b = 0; b < std::size(BasisTable); ++b) {
        if (!(basesShown & (1u << b))) continue;
        note += first ? "" : ", ";
        note += german ? std::string(BasisTable[b].german) + " " + BasisTable[b].germanMeaning
                       : std::string(BasisTable[b].english) + " " + BasisTable[b].englishMeaning;
        first = false;
    }
    if (astronomical) {
        note += german ? "; astr. astronomischer Tag, ab Mittag des Datums"
                       : "; astr. the astronomical day, from noon of the date";
    }
    note += german ? ". UT ist die Zeit minus der L\xC3\xA4nge ihres Meridians \xC3\xB6stlich von Greenwich (Paris 9 min 21 s) und, "
                     "bei wahrer Zeit, minus der Zeitgleichung (wahre minus mittlere Zeit).\n"
                   : ". UT is the time less its meridian's longitude east of Greenwich (Paris 9 min 21 s) and, for apparent "
                     "time, less the equation of time (apparent minus mean time).\n";
    return note;
}

std::string FindingText(const Finding& finding, kit::Language language) {
    const bool german = IsGerman(language);
    if (std::holds_alternative<Duplicate>(finding)) {
        return german ? "derselbe Beobachter, Kontakt und dieselbe Zeit wie in einer fr\xC3\xBC" "heren Zeile; einmal verwendet"
                      : "the same observer, contact and time as an earlier row; used once";
    }
    if (const auto* f = std::get_if<TimeZone>(&finding)) return TimeZoneText(*f, german);
    if (const auto* f = std::get_if<WrongContact>(&finding)) {
        if (german) {
            return "passt zu Kontakt " + std::to_string(f->other) + " (B-R dort " + kit::WithDecimalComma(Signed(f->oMinusC, 1)) +
                   " s): unter der falschen Kontaktnummer eingetragen?";
        }
        return "fits contact " + std::to_string(f->other) + " (O-C " + Signed(f->oMinusC, 1) +
               " s there): posted under the wrong contact number?";
    }
    if (const auto* f = std::get_if<CoordinateSign>(&finding)) {
        const bool latitude = f->which == 'N';
        if (german) {
            return std::string("passt, wenn das Vorzeichen ") + (latitude ? "der Breite" : "der L\xC3\xA4nge") +
                   " umgekehrt w\xC3\xA4re (B-R dann " + kit::WithDecimalComma(Signed(f->oMinusC, 1)) + " s)";
        }
        return std::string("fits if the sign of its ") + (latitude ? "latitude" : "longitude") + " were flipped (O-C " +
               Signed(f->oMinusC, 1) + " s then)";
    }
    if (const auto* f = std::get_if<ContactOrder>(&finding)) {
        if (german) {
            return "Kontakt " + std::to_string(f->first) + " liegt nicht vor Kontakt " + std::to_string(f->second) +
                   " desselben Beobachters";
        }
        return "contact " + std::to_string(f->first) + " is not before contact " + std::to_string(f->second) +
               " of the same observer";
    }
    if (const auto* f = std::get_if<Outlier>(&finding)) {
        if (german) return "von der robusten Anpassung verworfen: B-R " + kit::WithDecimalComma(Signed(f->oMinusC, 1)) + " s";
        return "rejected by the robust fit: O-C " + Signed(f->oMinusC, 1) + " s";
    }
    if (const auto* f = std::get_if<WrongDay>(&finding)) {
        const std::string days = std::to_string(std::abs(f->days));
        if (german) {
            return "das Datum liegt " + days + (std::abs(f->days) == 1 ? " Tag " : " Tage ") + (f->days > 0 ? "nach" : "vor") +
                   " dem Tag, an dem der Kontakt an diesem Ort kam: das Datum pr\xC3\xBC" "fen";
        }
        return "the date is " + days + (std::abs(f->days) == 1 ? " day " : " days ") + (f->days > 0 ? "after" : "before") +
               " the day the contact came at this site: check the date";
    }
    if (std::holds_alternative<NotUsed>(finding)) {
        return german ? "nicht in der Anpassung, wie seine Zeile verlangt (verwenden: nein); B-R gegen seine Vorhersage"
                      : "left out of the fit as its row asks (use: no); O-C against its prediction";
    }
    if (const auto* f = std::get_if<Copied>(&finding)) {
        if (german) {
            return "dieselbe Zeit am selben Ort f\xC3\xBCr denselben Kontakt wie bei " + f->from +
                   ": abgeschrieben? einmal verwendet";
        }
        return "the same site, contact and time as " + f->from + "'s timing: copied? used once";
    }
    return BelowHorizonText(std::get<BelowHorizon>(finding), german);
}

std::string TransitTitle(const TransitChoice& choice, kit::Language language) {
    return Title(choice.transit.planet, choice.year, choice.month, choice.day, IsGerman(language));
}

std::string TransitsTitle(const std::vector<TransitChoice>& transits, kit::Language language) {
    std::string title;
    for (const TransitChoice& choice : transits) title += (title.empty() ? "" : " + ") + TransitTitle(choice, language);
    return title;
}

std::string CoefficientsName(const TransitChoice& choice, kit::Language language) {
    const bool german = IsGerman(language);
    if (choice.table) return german ? "Tafel vom 8. Juni 2004" : "table of 8 June 2004";
    char name[160];
    if (!german) {
        std::snprintf(name, sizeof name, "ephemeris (libnova, VSOP87), %s %s, NASA radii, Delta T %.1f s", choice.planet.c_str(),
                      choice.date.c_str(), choice.transit.deltaTSeconds);
        return name;
    }
    std::snprintf(name, sizeof name, "Ephemeride (libnova, VSOP87), %s %s, Radien der NASA, Delta T %.1f s",
                  choice.transit.planet == ephemeris::Planet::Venus ? "Venus" : "Merkur", choice.date.c_str(), choice.transit.deltaTSeconds);
    std::string text = name;
    if (const std::size_t point = text.rfind('.'); point != std::string::npos) text[point] = ',';  // Delta T's decimal comma
    return text;
}

std::string ModelBiasNote(double bias, kit::Language language) {
    const std::string exactAu = Localised(Format("%.*f", ReferenceAuKm * (1.0 + bias) * 1e-6, 1), language);
    const std::string referenceAu = Localised(Format("%.*f", ReferenceAuKm * 1e-6, 1), language);
    const std::string percent = Localised(Format("%.*f", std::fabs(bias) * 100.0, 2), language);
    const bool high = bias > 0.0;
    if (IsGerman(language)) {
        return "Lineares Ortsmodell: die exakten Kontakte an diesen Orten ergeben " + exactAu + " statt " + referenceAu +
               " Mio. km; die AE oben kann deshalb um " + percent + " % zu " + (high ? "hoch" : "niedrig") +
               " sein (nicht in der Unsicherheit).\n";
    }
    return "Linear site model: the exact contacts at these sites give " + exactAu + " million km for " + referenceAu +
           "; the AU above may be " + percent + " % too " + (high ? "high" : "low") + " for that reason (not in the uncertainty).\n";
}

std::string MercuryNote(double reachS, kit::Language language) {
    char note[200];
    std::snprintf(note, sizeof note,
                  IsGerman(language) ? "Die Kontakte Merkurs verschieben sich zwischen Orten um h\xC3\xB6" "chstens %.0f s (Venus: "
                                       "etwa 400 s): seine AE ist weit ungenauer.\n"
                                     : "Mercury's contacts move by at most %.0f s between sites (Venus's by about 400 s): its AU "
                                       "is far less precise.\n",
                  reachS);
    return note;
}

std::string RefusalText(const TransitRefusal& refusal) {
    char text[160];
    switch (refusal.kind) {
        case TransitRefusal::NotADate:
            std::snprintf(text, sizeof text, "%04d-%02d-%02d is not a date from %d to %d", refusal.year, refusal.month,
                          refusal.day, ephemeris::FirstCatalogueYear, ephemeris::LastCatalogueYear);
            return text;
        case TransitRefusal::NoTransit:
            std::snprintf(text, sizeof text, "no transit of Venus or Mercury touches %04d-%02d-%02d (UT)", refusal.year,
                          refusal.month, refusal.day);
            return text;
        case TransitRefusal::Unmatched:
        case TransitRefusal::Ambiguous: return UnidentifiedSentence(refusal);
        case TransitRefusal::TableOnlyFor2004: break;
    }
    return "the coefficient table is that of 8 June 2004; other transits take --coefficients ephemeris";
}

std::string UnidentifiedReport(const TransitRefusal& refusal, kit::Language language) {
    const bool german = IsGerman(language);
    const std::size_t count = refusal.candidates.size();
    std::string text;
    if (refusal.kind == TransitRefusal::Unmatched) {
        text = german ? "Transit nicht erkannt: kein Venus- oder Merkurtransit von 1600 bis 2200 passt zu den Zeiten an "
                        "ihren Orten"
                      : "Transit not identified: no transit of Venus or Mercury from 1600 to 2200 matches the timings at "
                        "their sites";
        if (count > 0) text += german ? (count == 1 ? "; am n\xC3\xA4" "chsten kommt" : "; am n\xC3\xA4" "chsten kommen") : "; the closest";
    } else {
        text = german ? "Transit nicht erkannt: die Zeiten passen gleich gut zu " + std::to_string(count) + " Transits"
                      : "Transit not identified: the timings match " + std::to_string(count) + " transits alike";
    }
    text += count > 0 ? ":\n" : ".\n";
    const std::string of = (german ? " von " : " of ") + std::to_string(refusal.sampled) +
                           (german ? " gepr\xC3\xBC" "ften Zeiten passen, im Mittel " : " timings tried match, ");
    for (const TransitCandidate& c : refusal.candidates) {
        text += "  " + Title(c.planet, c.year, c.month, c.day, german) + ": " + std::to_string(c.matched) + of +
                Format("%.*f", c.offsetS, 0) + (german ? " s von ihrer Vorhersage entfernt\n" : " s from their predictions on average\n");
    }
    return text + (german ? "Das Datum des Transits mit --transit DATUM oder in einer Spalte datum angeben.\n"
                          : "Give the transit's date with --transit DATE or in a date column.\n");
}

std::string NoFitText(NoFit why) {
    switch (why) {
        case NoFit::OffsetsTakeAll:
            return "the timings cannot determine the AU: once each clock's offset and each contact's reference time are "
                   "taken out, nothing depends on where the sites are";
        case NoFit::SitesAlike:
            return "the timings cannot determine the AU: every contact was timed at one site only, or at sites that lie "
                   "alike to the Sun (--au 149597870.7 shows each timing against its prediction)";
        case NoFit::NoTiming:
        case NoFit::None: break;
    }
    return "there is no usable timing";
}

}  // namespace report
