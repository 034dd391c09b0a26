// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "MapWriters.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

#include "DiscPath.h"
#include "Format.h"
#include "ModulDos.h"
#include "Texts.h"

namespace {

using worldmap::Seen;

constexpr const char* SeenNames[worldmap::SeenCount] = {"whole", "start", "end", "none"};

const char* SeenWord(const Texts& texts, Seen seen) {
    const char* words[worldmap::SeenCount] = {texts.seenWhole, texts.seenStart, texts.seenEnd, texts.seenNone};
    return words[static_cast<int>(seen)];
}

// A number of degrees as short as it is: "1", "0.25".
std::string Degrees(kit::Language language, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return language == kit::Language::German ? kit::WithDecimalComma(text) : std::string(text);
}

std::string TitleOf(const Texts& texts, const ephemeris::Transit& transit) {
    return Fill(texts.transitOf, transit.planet == ephemeris::Planet::Venus ? texts.venusGenitive : texts.mercuryGenitive,
                discpath::DatesOf(transit));
}

}  // namespace

void WriteMapText(const TransitsOptions& options, const TransitsReport& report, std::ostream& out) {
    const Texts& texts = TextsFor(options.language);
    const worldmap::MapPicture& map = report.map;
    out << TitleOf(texts, map.transit) << '\n' << texts.mapShares << '\n';
    double shares[worldmap::SeenCount];
    worldmap::SeenShares(map.grid, shares);
    for (int k = 0; k < worldmap::SeenCount; ++k) {
        char percent[16];
        std::snprintf(percent, sizeof percent, "%5.1f %%", 100.0 * shares[k]);
        std::string number = percent;
        if (options.language == kit::Language::German) number = kit::WithDecimalComma(number);
        out << "  " << number << "  " << SeenWord(texts, static_cast<Seen>(k)) << '\n';
    }
    // The map in letters: each takes the class of the cell nearest its middle.
    constexpr double ColumnDegrees = 5.0, LineDegrees = 10.0;
    out << '\n' << Fill(texts.mapAscii, Degrees(options.language, ColumnDegrees), Degrees(options.language, LineDegrees)) << '\n';
    const worldmap::SeenGrid& grid = map.grid;
    for (double latitude = 90.0 - LineDegrees / 2.0; latitude > -90.0; latitude -= LineDegrees) {
        std::string line = "  ";
        for (double longitude = -180.0 + ColumnDegrees / 2.0; longitude < 180.0; longitude += ColumnDegrees) {
            const int row = std::min(grid.rows - 1, static_cast<int>((90.0 - latitude) / grid.stepDegrees));
            const int column = std::min(grid.columns - 1, static_cast<int>((longitude + 180.0) / grid.stepDegrees));
            line += texts.seenLetters[static_cast<int>(grid.cells[static_cast<std::size_t>(row * grid.columns + column)])];
        }
        out << line << '\n';
    }
    if (!map.sites.empty()) out << '\n';
    for (const worldmap::MapSite& site : map.sites) {
        out << Fill(texts.siteSees, SiteText(site.site), SeenWord(texts, site.seen)) << '\n';
    }
}

void WriteMapJson(const TransitsReport& report, nlohmann::ordered_json& document) {
    const worldmap::MapPicture& map = report.map;
    const worldmap::SeenGrid& grid = map.grid;
    document["grid_deg"] = grid.stepDegrees;
    nlohmann::ordered_json cells = nlohmann::ordered_json::array();
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column) {
            const worldmap::GeoPoint centre = worldmap::CellCentre(grid, row, column);
            cells.push_back({{"latitude_deg", centre.latitudeDegrees},
                             {"longitude_deg", centre.longitudeEastDegrees},
                             {"class", SeenNames[static_cast<int>(grid.cells[static_cast<std::size_t>(row * grid.columns + column)])]}});
        }
    }
    document["cells"] = std::move(cells);
    if (!map.sites.empty()) {
        document["sites"] = nlohmann::ordered_json::array();
        for (const worldmap::MapSite& site : map.sites) {
            nlohmann::ordered_json item = {{"latitude_deg", site.site.latitudeDegrees},
                                           {"longitude_deg", site.site.longitudeEastDegrees},
                                           {"height_m", site.site.heightMetres},
                                           {"class", SeenNames[static_cast<int>(site.seen)]}};
            for (const int c : {1, 4}) {
                if (site.local.contactHappens[c - 1]) {
                    item[c == 1 ? "sun_altitude_c1_deg" : "sun_altitude_c4_deg"] = site.local.contactSunAltitudeDegrees[c - 1];
                }
            }
            document["sites"].push_back(item);
        }
    }
}

void WriteMapSvgFor(const TransitsOptions& options, const TransitsReport& report, std::ostream& out) {
    const Texts& texts = TextsFor(options.language);
    const worldmap::MapPicture& map = report.map;
    const bool german = options.language == kit::Language::German;
    worldmap::MapWords words;
    words.title = Cp1252ToUtf8(TitleOf(texts, map.transit));
    words.subtitle = Cp1252ToUtf8(texts.mapSubtitle);
    for (int k = 0; k < worldmap::SeenCount; ++k) words.seen[k] = Cp1252ToUtf8(SeenWord(texts, static_cast<Seen>(k)));
    words.contact = Cp1252ToUtf8(texts.mapContact);
    words.sunrise = Cp1252ToUtf8(texts.atSunrise);
    words.sunset = Cp1252ToUtf8(texts.atSunset);
    const std::string compass = texts.compass;
    words.north = compass.substr(0, 1), words.south = compass.substr(1, 1);
    words.east = compass.substr(2, 1), words.west = compass.substr(3, 1);
    words.caption = Cp1252ToUtf8(Fill(texts.mapCaption, Degrees(options.language, map.grid.stepDegrees)));
    std::string times;
    for (int c = 0; c < ephemeris::ContactCount; ++c) {
        if (!map.transit.contactHappens[c]) continue;
        const std::string clock = ClockText(ephemeris::CalendarFromJd(map.transit.contactJdUt[c]), false);
        times += (times.empty() ? "" : ", ") + Fill(texts.mapContact, std::to_string(c + 1)) + " " + clock;
    }
    words.times = Cp1252ToUtf8(Fill(texts.mapTimes, times, Number(options.language, map.transit.deltaTSeconds, 1)));
    worldmap::WriteMapSvg(map, words, german, out);
}
