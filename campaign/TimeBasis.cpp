// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "TimeBasis.h"

#include <cctype>

#include "Ephemeris.h"
#include "Units.h"

namespace campaign {
namespace {

// Lower case with single spaces, the marks people put between words ("local-mean", "local_mean") as spaces.
std::string Folded(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const bool space = c == ' ' || c == '\t' || c == '-' || c == '_';
        if (space) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace

bool ParseTimeBasis(const std::string& text, TimeBasis& basis) {
    struct Name {
        const char* words;
        TimeBasis basis;
    };
    static const Name Names[] = {
        {"", TimeBasis::Ut},                                  {"ut", TimeBasis::Ut},
        {"utc", TimeBasis::Ut},                               {"weltzeit", TimeBasis::Ut},
        {"local mean", TimeBasis::LocalMean},                 {"mittlere ortszeit", TimeBasis::LocalMean},
        {"ortszeit mittlere", TimeBasis::LocalMean},          {"local apparent", TimeBasis::LocalApparent},
        {"wahre ortszeit", TimeBasis::LocalApparent},         {"ortszeit wahre", TimeBasis::LocalApparent},
        {"greenwich mean", TimeBasis::GreenwichMean},         {"mittlere greenwicher zeit", TimeBasis::GreenwichMean},
        {"greenwich apparent", TimeBasis::GreenwichApparent}, {"wahre greenwicher zeit", TimeBasis::GreenwichApparent},
        {"paris mean", TimeBasis::ParisMean},                 {"mittlere pariser zeit", TimeBasis::ParisMean},
        {"paris apparent", TimeBasis::ParisApparent},         {"wahre pariser zeit", TimeBasis::ParisApparent},
    };
    const std::string folded = Folded(text);
    for (const Name& name : Names) {
        if (folded == name.words) {
            basis = name.basis;
            return true;
        }
    }
    return false;
}

const char* TimeBasisName(TimeBasis basis) {
    switch (basis) {
        case TimeBasis::LocalMean: return "local mean";
        case TimeBasis::LocalApparent: return "local apparent";
        case TimeBasis::GreenwichMean: return "Greenwich mean";
        case TimeBasis::GreenwichApparent: return "Greenwich apparent";
        case TimeBasis::ParisMean: return "Paris mean";
        case TimeBasis::ParisApparent: return "Paris apparent";
        case TimeBasis::Ut: break;
    }
    return "UT";
}

const char* DayStartName(DayStart start) { return start == DayStart::Astronomical ? "astronomical" : "civil"; }

bool ParseDayStart(const std::string& text, DayStart& start) {
    const std::string folded = Folded(text);
    if (folded.empty() || folded == "civil" || folded == "b\xC3\xBCrgerlich" || folded == "buergerlich") {
        start = DayStart::Civil;
        return true;
    }
    if (folded == "astronomical" || folded == "astronomisch") {
        start = DayStart::Astronomical;
        return true;
    }
    return false;
}

double UtJdOf(int year, int month, int day, double seconds, TimeBasis basis, DayStart start, double longitudeEastDegrees) {
    const double days = kit::SecondsPerDayDouble;
    double jd = ephemeris::JulianDayAtMidnight(year, month, day) + (start == DayStart::Astronomical ? 0.5 : 0.0) + seconds / days;
    // The clock's meridian east of Greenwich, in days: its mean time is UT plus that.
    double east = 0.0;
    if (basis == TimeBasis::LocalMean || basis == TimeBasis::LocalApparent) east = longitudeEastDegrees / 360.0;
    if (basis == TimeBasis::ParisMean || basis == TimeBasis::ParisApparent) east = ParisEastOfGreenwichS / days;
    jd -= east;
    if (basis == TimeBasis::LocalApparent || basis == TimeBasis::GreenwichApparent || basis == TimeBasis::ParisApparent) {
        // Mean is apparent less the equation, taken at the UT it gives: it moves by a second a day, so a second
        // pass settles it.
        const double apparent = jd;
        for (int pass = 0; pass < 2; ++pass) jd = apparent - ephemeris::EquationOfTimeSeconds(jd) / days;
    }
    return jd;
}

}  // namespace campaign
