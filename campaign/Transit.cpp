// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transit.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <utility>

#include "Fields.h"
#include "Text.h"

namespace {

constexpr double DaySeconds = 86400.0;
// Refraction (about 0.57 degree) and the Sun's radius (0.26 degree) keep the limb in view to 0.83 degree
// below the geometric horizon; a degree leaves room for the site's height and the hour's rounding.
constexpr double BelowHorizonDegrees = -1.0;

const char* const MonthEnglish[] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
const char* const MonthGerman[] = {"Januar", "Februar", "M\xC3\xA4rz",  "April",    "Mai",      "Juni",
                                   "Juli",   "August",  "September", "Oktober", "November", "Dezember"};

// Julian date of a clock time: at its own date, or at the day that puts it nearest reference.
double JdOf(const Timing& t, double seconds, double referenceJd) {
    if (t.year != 0) return JulianDayAtMidnight(t.year, t.month, t.day) + seconds / DaySeconds;
    const double midnight = std::floor(referenceJd - 0.5) + 0.5;
    const double jd = midnight + seconds / DaySeconds;
    return jd + std::round(referenceJd - jd);
}

}  // namespace

bool ChooseTransit(int year, int month, int day, CoefficientSource source, TransitChoice& choice, std::string& why) {
    if (year < FirstCatalogueYear || year > LastCatalogueYear || !fields::IsCalendarDate(year, month, day)) {
        char text[160];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d is not a date from %d to %d", year, month, day,
                      FirstCatalogueYear, LastCatalogueYear);
        why = text;
        return false;
    }
    TransitChoice c;
    if (!FindTransit(std::nullopt, year, month, day, EphemerisOptions{}, c.transit)) {
        char text[160];
        std::snprintf(text, sizeof text, "no transit of Venus or Mercury touches %04d-%02d-%02d (UT)", year, month, day);
        why = text;
        return false;
    }
    const CalendarTime greatest = CalendarFromJd(c.transit.greatestJdUt);
    const bool of2004 = c.transit.planet == Planet::Venus && greatest.year == 2004;
    if (source == CoefficientSource::Table && !of2004) {
        why = "the coefficient table is that of 8 June 2004; other transits take --coefficients ephemeris";
        return false;
    }
    c.table = of2004 && source != CoefficientSource::Ephemeris;
    c.planet = c.transit.planet == Planet::Venus ? "venus" : "mercury";
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", greatest.year, greatest.month, greatest.day);
    c.date = date;
    const bool venus = c.transit.planet == Planet::Venus;
    c.titleEnglish = std::string(venus ? "Transit of Venus, " : "Transit of Mercury, ") + std::to_string(greatest.day) +
                     " " + MonthEnglish[greatest.month - 1] + " " + std::to_string(greatest.year);
    c.titleGerman = std::string(venus ? "Venustransit " : "Merkurtransit ") + std::to_string(greatest.day) + ". " +
                    MonthGerman[greatest.month - 1] + " " + std::to_string(greatest.year);
    if (c.table) {
        c.coefficients = TableCoefficients();
    } else {
        double a[ContactCount][3];
        ContactCoefficients(c.transit, a);
        for (int contact = 0; contact < ContactCount; ++contact) {
            // The ephemeris counts longitude east positive, the table's frame west positive: y turns sign.
            c.coefficients.secondsPerUnit[contact][0] = a[contact][0];
            c.coefficients.secondsPerUnit[contact][1] = -a[contact][1];
            c.coefficients.secondsPerUnit[contact][2] = a[contact][2];
        }
        char name[160];
        std::snprintf(name, sizeof name, "ephemeris (libnova, VSOP87), %s %s, NASA radii, Delta T %.1f s", c.planet.c_str(),
                      c.date.c_str(), c.transit.deltaTSeconds);
        c.coefficients.name = name;
        std::snprintf(name, sizeof name, "Ephemeride (libnova, VSOP87), %s %s, Radien der NASA, Delta T %.1f s",
                      venus ? "Venus" : "Merkur", c.date.c_str(), c.transit.deltaTSeconds);
        std::string german = name;
        german.replace(german.rfind('.'), 1, ",");  // the decimal comma of Delta T
        c.coefficients.nameGerman = german;
    }
    choice = c;
    return true;
}

void DropForeignTimings(const TransitChoice& choice, Campaign& campaign, std::ostream& err) {
    const Transit& transit = choice.transit;
    // Kept timings move forward in place: a copy of a million timings would double the memory.
    std::size_t kept = 0;
    for (Timing& t : campaign.timings) {
        std::string why;
        const bool startHappens = transit.contactHappens[t.start - 1];
        const bool endHappens = t.end == 0 || transit.contactHappens[t.end - 1];
        if (!startHappens || !endHappens) {
            why = "contact " + std::to_string(startHappens ? t.end : t.start) + " does not happen in the transit of " +
                  choice.date;
        } else if (t.year != 0 && t.end == 0) {
            const double jd = JdOf(t, t.seconds, transit.contactJdUt[t.start - 1]);
            if (std::fabs(jd - transit.contactJdUt[t.start - 1]) > 1.0) {
                char text[160];
                std::snprintf(text, sizeof text, "the date %04d-%02d-%02d is not a day of the transit of %s", t.year,
                              t.month, t.day, choice.date.c_str());
                why = text;
            }
        }
        if (why.empty()) {
            if (&campaign.timings[kept] != &t) campaign.timings[kept] = std::move(t);
            ++kept;
        } else {
            err << "transitfit: " << campaign.files[static_cast<std::size_t>(t.file)] << ':' << t.line << ": " << why << '\n';
            ++campaign.rowsSkipped;
        }
    }
    campaign.timings.resize(kept);
}

void FlagBelowHorizon(const Campaign& campaign, const TransitChoice& choice, FitResult& result) {
    // One subsolar point per contact serves every site: the contacts of a transit span hours, not days.
    SubsolarPoint points[ContactCount];
    for (int c = 0; c < ContactCount; ++c) {
        if (choice.transit.contactHappens[c]) points[c] = SubsolarPointAt(choice.transit.contactJdUt[c]);
    }
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        const Timing& t = campaign.timings[i];
        TimingFit& fit = result.timings[i];
        double lowest = 90.0;
        for (const int contact : {t.start, t.end}) {
            if (contact == 0) continue;
            const double reference = choice.transit.contactJdUt[contact - 1];
            const double jd = t.end == 0 ? JdOf(t, t.seconds, reference) : reference;
            lowest = std::fmin(lowest, SunAltitudeFrom(points[contact - 1], jd, t.latitudeDegrees, t.longitudeDegrees));
        }
        if (!(lowest < BelowHorizonDegrees)) continue;
        char english[200], german[200];
        std::snprintf(english, sizeof english,
                      "the Sun was %.1f degrees below the horizon at this site and time: check the time, the date "
                      "and the site's coordinates", -lowest);
        std::snprintf(german, sizeof german,
                      "die Sonne stand an diesem Ort zu dieser Zeit %.1f Grad unter dem Horizont: Zeit, Datum und "
                      "Koordinaten des Ortes pr\xC3\xBC" "fen", -lowest);
        // The German sentence has no full stop but the number's.
        RaiseFlag(fit, BelowHorizon, english, kit::WithDecimalComma(german));
    }
}

double LinearModelBias(const Campaign& campaign, const TransitChoice& choice, const FitResult& result,
                       const FitOptions& options) {
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    constexpr std::size_t MostTimings = 400, MostSites = 100;
    if (choice.table) return NaN;
    std::vector<std::size_t> used;
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        if (result.timings[i].used) used.push_back(i);
    }
    if (used.empty()) return NaN;
    const std::size_t stride = (used.size() + MostTimings - 1) / MostTimings;
    Campaign exact;
    exact.files = campaign.files;
    exact.observers = campaign.observers;
    std::map<std::pair<double, double>, LocalCircumstances> sites;
    for (std::size_t k = 0; k < used.size(); k += stride) {
        const Timing& t = campaign.timings[used[k]];
        const auto key = std::pair{t.latitudeDegrees, t.longitudeDegrees};
        auto found = sites.find(key);
        if (found == sites.end()) {
            LocalCircumstances local;
            if (sites.size() >= MostSites || !LocalContacts(choice.transit, t.latitudeDegrees, t.longitudeDegrees, t.altitudeM, local)) {
                continue;
            }
            found = sites.emplace(key, local).first;
        }
        const LocalCircumstances& local = found->second;
        if (!local.contactHappens[t.start - 1] || (t.end != 0 && !local.contactHappens[t.end - 1])) continue;
        Timing model = t;
        model.year = 0;
        const double start = local.contactJdUt[t.start - 1];
        if (t.end == 0) {
            model.seconds = (start - 0.5 - std::floor(start - 0.5)) * DaySeconds;
        } else {
            model.seconds = (local.contactJdUt[t.end - 1] - start) * DaySeconds;
        }
        exact.timings.push_back(model);
    }
    FitOptions plain = options;
    plain.keepAll = true;  // exact contacts have no outliers; the model's own misfit must stay in
    plain.resamples = 0;
    const FitResult fit = FitCampaign(exact, choice.coefficients, plain);
    if (!fit.fitted || !(fit.auKm > 0.0)) return NaN;
    return fit.auKm / ReferenceAuKm - 1.0;
}
