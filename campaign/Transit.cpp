// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transit.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "Fields.h"
#include "Text.h"

namespace campaign {

double JdOf(const Timing& t, double seconds, double referenceJd) {
    if (t.year != 0) return ephemeris::JulianDayAtMidnight(t.year, t.month, t.day) + seconds / DaySeconds;
    const double midnight = std::floor(referenceJd - 0.5) + 0.5;
    const double jd = midnight + seconds / DaySeconds;
    return jd + std::round(referenceJd - jd);
}

bool ChooseTransit(int year, int month, int day, CoefficientSource source, TransitChoice& choice,
                   TransitRefusal& refusal) {
    refusal = {TransitRefusal::NotADate, year, month, day, 0, {}};
    if (year < ephemeris::FirstCatalogueYear || year > ephemeris::LastCatalogueYear || !fields::IsCalendarDate(year, month, day)) {
        return false;
    }
    TransitChoice c;
    if (!ephemeris::FindTransit(std::nullopt, year, month, day, ephemeris::EphemerisOptions{}, c.transit)) {
        refusal.kind = TransitRefusal::NoTransit;
        return false;
    }
    const ephemeris::CalendarTime greatest = ephemeris::CalendarFromJd(c.transit.greatestJdUt);
    const bool of2004 = c.transit.planet == ephemeris::Planet::Venus && greatest.year == 2004;
    if (source == CoefficientSource::Table && !of2004) {
        refusal.kind = TransitRefusal::TableOnlyFor2004;
        return false;
    }
    c.table = of2004 && source != CoefficientSource::Ephemeris;
    c.planet = c.transit.planet == ephemeris::Planet::Venus ? "venus" : "mercury";
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", greatest.year, greatest.month, greatest.day);
    c.date = date;
    c.year = greatest.year, c.month = greatest.month, c.day = greatest.day;
    c.model = c.table ? TableSiteModel() : EphemerisSiteModel(c.transit);
    choice = c;
    return true;
}

void DropForeignTimings(const std::vector<TransitChoice>& transits, Campaign& campaign, std::ostream& err) {
    // Kept timings move forward in place: a copy of a million timings would double the memory.
    std::size_t kept = 0;
    for (Timing& t : campaign.timings) {
        const TransitChoice& choice = transits[static_cast<std::size_t>(t.transit)];
        const ephemeris::Transit& transit = choice.transit;
        std::string why;
        const bool startHappens = transit.contactHappens[t.start - 1];
        const bool endHappens = t.end == 0 || transit.contactHappens[t.end - 1];
        if (!startHappens || !endHappens) {
            why = "contact " + std::to_string(startHappens ? t.end : t.start) + " does not happen in the transit of " +
                  choice.date;
        } else if (t.end != 0) {
            // A site's duration differs from the geocentric one by minutes (Venus, at most about 15); an hour more
            // than the transit lasts is a typing slip, not an observation.
            const double geocentric = (transit.contactJdUt[t.end - 1] - transit.contactJdUt[t.start - 1]) * DaySeconds;
            if (t.seconds > geocentric + 3600.0) {
                char text[200];
                std::snprintf(text, sizeof text, "a duration of %.0f s from contact %d to %d is longer than the transit "
                              "allows (%.0f s from the Earth's centre)", t.seconds, t.start, t.end, geocentric);
                why = text;
            }
        } else if (t.year != 0) {
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
            err << "transitfit: " << kit::Escaped(campaign.files[static_cast<std::size_t>(t.file)]) << ':' << t.line << ": " << why << '\n';
            ++campaign.rowsSkipped;
        }
    }
    campaign.timings.resize(kept);
}

}  // namespace campaign
