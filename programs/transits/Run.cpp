// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transits.h"

#include <cstdio>

#include "Texts.h"

bool RunTransits(const TransitsOptions& options, std::ostream& err, TransitsReport& report) {
    report = TransitsReport{};
    if (options.command == TransitsCommand::List) {
        const std::vector<ephemeris::Transit> transits =
            ephemeris::ListTransits(options.planet, options.fromYear, options.toYear, options.ephemeris);
        for (const ephemeris::Transit& t : transits) {
            TransitsEntry entry;
            entry.transit = t;
            report.entries.push_back(entry);
        }
        return true;
    }
    TransitsEntry entry;
    if (!ephemeris::FindTransit(options.planet, options.year, options.month, options.day, options.ephemeris,
                                entry.transit)) {
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
    if (options.command == TransitsCommand::Contacts && !options.sites.empty()) {
        // Each site in turn. They were checked while parsing, so LocalContacts cannot refuse them.
        for (std::size_t i = 0; i < options.sites.size(); ++i) {
            const ephemeris::WgsSite& site = options.sites[i];
            entry.site = static_cast<int>(i);
            ephemeris::LocalContacts(entry.transit, site.latitudeDegrees, site.longitudeEastDegrees, site.heightMetres,
                                     entry.local);
            report.entries.push_back(entry);
        }
        return true;
    }
    if (options.command == TransitsCommand::Map) {
        // The step and the sites were checked while parsing, and a transit found has contacts 1 and 4, so
        // TraceMap cannot refuse.
        worldmap::TraceMap(entry.transit, options.gridDegrees, options.sites, report.map);
    }
    if (options.command == TransitsCommand::Coefficients) {
        ephemeris::ContactCoefficients(entry.transit, entry.coefficientsSeconds);
    }
    if (options.command == TransitsCommand::Elements) {
        // A transit found has contacts 1 and 4, so ElementsOf cannot refuse it.
        ephemeris::ElementsOf(entry.transit, entry.elements);
    }
    report.entries.push_back(entry);
    return true;
}
