// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transits.h"

#include <cmath>
#include <cstdio>

#include "Format.h"
#include "MapWriters.h"
#include "Texts.h"
#include "Units.h"

using ephemeris::CalendarFromJd;
using ephemeris::CalendarTime;
using ephemeris::ContactCount;
using ephemeris::JulianDayAtMidnight;
using ephemeris::Planet;
using ephemeris::Radii;
using ephemeris::Transit;

namespace {

std::string DeltaTLine(const TransitsOptions& options, const Transit& t) {
    const Texts& texts = TextsFor(options.language);
    return Fill(texts.deltaTLine, Number(options.language, t.deltaTSeconds, 1),
                DeltaTSourceWord(texts, t.deltaTSource), t.radii == Radii::Nasa ? texts.radiiNasa : texts.radiiIau);
}

// "P  83.2 deg": the number right-aligned in five, so that the columns stand under each other.
std::string AngleCell(const char* pattern, kit::Language language, double degrees) {
    std::string number = Number(language, degrees, 1);
    if (number.size() < 5) number.insert(0, 5 - number.size(), ' ');
    return Fill(pattern, number);
}

void WriteList(const TransitsOptions& options, const TransitsReport& report, std::ostream& out) {
    const Texts& texts = TextsFor(options.language);
    const std::string which = !options.planet                 ? texts.bothGenitive
                              : *options.planet == Planet::Venus ? texts.venusGenitive
                                                                 : texts.mercuryGenitive;
    const std::string deltaT = options.ephemeris.deltaTSeconds ? texts.deltaTGiven : texts.deltaTWhereKnown;
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
            const CalendarTime c = CalendarFromJd(std::round(jd * kit::SecondsPerDayDouble) / kit::SecondsPerDayDouble);
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
    const bool atSite = entry.site >= 0;
    out << Fill(texts.transitOf, planet == Planet::Venus ? texts.venusGenitive : texts.mercuryGenitive,
                DateText(CalendarFromJd(t.greatestJdUt)))
        << ", "
        << (atSite ? Fill(texts.seenFrom, SiteText(options.sites[static_cast<std::size_t>(entry.site)]))
                   : std::string(texts.geocentric))
        << '\n'
        << DeltaTLine(options, t) << '\n';
    const std::vector<Event> events = Events(entry, atSite);
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
        out << "   " << AngleCell(texts.positionAngle, options.language, e.pDeg);
        if (atSite) out << "   " << AngleCell(texts.vertexAngle, options.language, e.vDeg);
        if (e.withAltitude) {
            const std::string altitude = Number(options.language, e.sunAltitudeDegrees, 1);
            out << "   " << Fill(ephemeris::SunIsUp(e.sunAltitudeDegrees) ? texts.sunAltitude : texts.sunBelow, altitude);
        }
        if (e.contact == 0) {
            const double separation = atSite ? entry.local.minSeparationArcsec : t.minSeparationArcsec;
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

void WriteElements(const TransitsOptions& options, const TransitsEntry& entry, std::ostream& out) {
    const Texts& texts = TextsFor(options.language);
    const Transit& t = entry.transit;
    out << Fill(texts.elementsTitle, t.planet == Planet::Venus ? texts.venusGenitive : texts.mercuryGenitive,
                DateText(CalendarFromJd(t.greatestJdUt)))
        << '\n'
        << texts.elementsUnits << '\n'
        << DeltaTLine(options, t) << '\n';
    char line[256];
    std::snprintf(line, sizeof line, "%-16s %11s %11s %10s %11s %11s %11s %11s %11s\n", "UT", "x", "y", "d", "mu",
                  "l1", "l2", "tan f1", "tan f2");
    out << line;
    const kit::Language l = options.language;
    for (const double jd : ElementHours(entry.elements)) {
        const ephemeris::ElementValues v = ephemeris::ElementsAt(entry.elements, jd);
        const CalendarTime when = CalendarFromJd(jd);
        std::snprintf(line, sizeof line, "%s %02d:%02d %11s %11s %10s %11s %11s %11s %11s %11s\n",
                      DateText(when).c_str(), when.hour, when.minute, Number(l, v.x, 6).c_str(),
                      Number(l, v.y, 6).c_str(), Number(l, v.d * 180.0 / static_cast<double>(kit::Pi), 5).c_str(),
                      Number(l, TurnDegrees(v.mu), 5).c_str(), Number(l, v.l1, 6).c_str(), Number(l, v.l2, 6).c_str(),
                      Number(l, v.tanF1, 8).c_str(), Number(l, v.tanF2, 8).c_str());
        out << line;
    }
}

}  // namespace

void WriteTransitsText(const TransitsOptions& options, const TransitsReport& report, std::ostream& out) {
    if (options.command == TransitsCommand::List) {
        WriteList(options, report, out);
    } else if (options.command == TransitsCommand::Map) {
        WriteMapText(options, report, out);
    } else if (!report.entries.empty()) {
        if (options.command == TransitsCommand::Contacts) {
            // Several sites one after the other, a blank line between.
            for (std::size_t i = 0; i < report.entries.size(); ++i) {
                if (i > 0) out << '\n';
                WriteContacts(options, report.entries[i], out);
            }
        } else if (options.command == TransitsCommand::Coefficients) {
            WriteCoefficients(options, report.entries.front(), out);
        } else {
            WriteElements(options, report.entries.front(), out);
        }
    }
}
