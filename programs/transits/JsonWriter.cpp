// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transits.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <utility>
#include <vector>

#include "Format.h"
#include "MapWriters.h"
#include "Reduction.h"
#include "Units.h"

namespace {

// The events of entry; with angles their position angles and, at a site, vertex angles.
nlohmann::ordered_json EventsJson(const TransitsEntry& entry, bool local, bool angles) {
    nlohmann::ordered_json events = nlohmann::ordered_json::array();
    for (const Event& e : Events(entry, local)) {
        nlohmann::ordered_json item;
        item["event"] = e.name;
        item["ut"] = IsoText(e.jdUt);
        if (angles) item["p_deg"] = e.pDeg;
        if (angles && local) item["v_deg"] = e.vDeg;
        if (e.withAltitude) {
            item["sun_altitude_deg"] = e.sunAltitudeDegrees;
            item["sun_below_horizon"] = !ephemeris::SunIsUp(e.sunAltitudeDegrees);
        }
        events.push_back(item);
    }
    return events;
}

nlohmann::ordered_json SiteJson(const ephemeris::WgsSite& site) {
    return {{"latitude_deg", site.latitudeDegrees}, {"longitude_deg", site.longitudeEastDegrees},
            {"height_m", site.heightMetres}};
}

const char* DeltaTSourceName(ephemeris::DeltaTSource source) {
    switch (source) {
        case ephemeris::DeltaTSource::Given: return "given";
        case ephemeris::DeltaTSource::Measured: return "measured";
        case ephemeris::DeltaTSource::Reconstructed: return "reconstructed";
        case ephemeris::DeltaTSource::Extrapolated: return "extrapolated";
    }
    return "measured";
}

nlohmann::ordered_json TransitHeadJson(const ephemeris::Transit& t) {
    nlohmann::ordered_json head;
    head["planet"] = PlanetName(t.planet);
    head["date"] = DateText(ephemeris::CalendarFromJd(t.greatestJdUt));
    head["delta_t_s"] = t.deltaTSeconds;
    head["delta_t_source"] = DeltaTSourceName(t.deltaTSource);
    head["radii"] = t.radii == ephemeris::Radii::Nasa ? "nasa" : "iau";
    return head;
}

nlohmann::ordered_json ElementsJson(const ephemeris::BesselianElements& e) {
    nlohmann::ordered_json j;
    j["earth_radius_km"] = 6378.137;
    j["start_ut"] = IsoText(e.startJdUt);
    j["end_ut"] = IsoText(e.endJdUt);
    j["start_jd_ut"] = e.startJdUt;
    j["end_jd_ut"] = e.endJdUt;
    // Coefficient k of T_k(s), s = (jd - (start + end) / 2) / ((end - start) / 2); d and mu in rad.
    nlohmann::ordered_json series;
    const std::pair<const char*, const double*> named[] = {{"x", e.x},   {"y", e.y},   {"d", e.d},
                                                           {"mu", e.mu}, {"l1", e.l1}, {"l2", e.l2},
                                                           {"tan_f1", e.tanF1}, {"tan_f2", e.tanF2}};
    for (const auto& [name, coefficients] : named) {
        series[name] = std::vector<double>(coefficients, coefficients + ephemeris::ElementTerms);
    }
    j["chebyshev"] = series;
    j["hourly"] = nlohmann::ordered_json::array();
    for (const double jd : ElementHours(e)) {
        const ephemeris::ElementValues v = ephemeris::ElementsAt(e, jd);
        j["hourly"].push_back({{"ut", IsoText(jd)},
                               {"x", v.x},
                               {"y", v.y},
                               {"d_deg", v.d * 180.0 / static_cast<double>(kit::Pi)},
                               {"mu_deg", TurnDegrees(v.mu)},
                               {"l1", v.l1},
                               {"l2", v.l2},
                               {"tan_f1", v.tanF1},
                               {"tan_f2", v.tanF2}});
    }
    return j;
}

}  // namespace

bool WriteTransitsJson(const TransitsOptions& options, const TransitsReport& report, std::ostream& out) {
    nlohmann::ordered_json document;
    if (options.command == TransitsCommand::List) {
        document["from"] = options.fromYear;
        document["to"] = options.toYear;
        document["transits"] = nlohmann::ordered_json::array();
        for (const TransitsEntry& entry : report.entries) {
            nlohmann::ordered_json item = TransitHeadJson(entry.transit);
            item["min_separation_arcsec"] = entry.transit.minSeparationArcsec;
            item["events"] = EventsJson(entry, false, false);
            document["transits"].push_back(item);
        }
    } else if (!report.entries.empty()) {
        const TransitsEntry& entry = report.entries.front();
        document = TransitHeadJson(entry.transit);
        if (options.command == TransitsCommand::Contacts && report.entries.size() > 1) {
            // Several sites: each with its site, separation and events, in the order given.
            document["sites"] = nlohmann::ordered_json::array();
            for (const TransitsEntry& each : report.entries) {
                nlohmann::ordered_json item;
                item["site"] = SiteJson(options.sites[static_cast<std::size_t>(each.site)]);
                item["min_separation_arcsec"] = each.local.minSeparationArcsec;
                item["events"] = EventsJson(each, true, true);
                document["sites"].push_back(item);
            }
        } else if (options.command == TransitsCommand::Contacts) {
            const bool atSite = entry.site >= 0;
            if (atSite) document["site"] = SiteJson(options.sites[static_cast<std::size_t>(entry.site)]);
            document["min_separation_arcsec"] =
                atSite ? entry.local.minSeparationArcsec : entry.transit.minSeparationArcsec;
            document["events"] = EventsJson(entry, atSite, true);
        } else if (options.command == TransitsCommand::Map) {
            WriteMapJson(report, document);
        } else if (options.command == TransitsCommand::Elements) {
            document["elements"] = ElementsJson(entry.elements);
        } else {
            document["earth_radius_km"] = static_cast<double>(EarthRadiusKm);
            document["coefficients"] = nlohmann::ordered_json::array();
            for (int c = 0; c < ephemeris::ContactCount; ++c) {
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
        // The map's tens of thousands of cells on one line: indented, they would take a dozen megabytes.
        text = document.dump(options.command == TransitsCommand::Map ? -1 : 2);
    } catch (const nlohmann::json::exception&) {
        return false;
    }
    out << text << '\n';
    return true;
}
