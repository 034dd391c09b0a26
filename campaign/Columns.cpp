// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Columns.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "Text.h"

namespace campaign {
namespace {

// Header keys (see HeaderKey), English and German; "observer" doubles as the site when no site column is given.
const std::vector<std::pair<Column, std::vector<std::string>>> ColumnNames = {
    {Site, {"site", "sitename", "station", "ort", "place", "location", "standort"}},
    {Observer, {"observer", "beobachter"}},
    {Latitude, {"latitude", "lat", "breite"}},
    {Longitude, {"longitude", "lon", "long", "lng", "l\xC3\xA4nge", "laenge"}},
    {Contact, {"contact", "kontakt"}},
    {Time, {"time", "ut", "utc", "zeit", "uhrzeit"}},
    {Sigma, {"sigma", "uncertainty", "unsicherheit"}},
    {Altitude, {"altitude", "alt", "height", "elevation", "h\xC3\xB6he", "hoehe"}},
    {Date, {"date", "datum"}},
    {T1, {"t1", "c1", "contact1", "kontakt1"}},
    {T2, {"t2", "c2", "contact2", "kontakt2"}},
    {T3, {"t3", "c3", "contact3", "kontakt3"}},
    {T4, {"t4", "c4", "contact4", "kontakt4"}},
    {Basis, {"timebasis", "basis", "zeitbasis"}},
    {Day, {"day", "tag"}},
    {Use, {"use", "verwenden"}},
};

// Columns a campaign file often has beside those read: placed, and ignored.
const char* const OtherColumns[] = {"note", "notes", "comment", "comments", "remark", "remarks", "source",
                                    "notiz", "bemerkung", "bemerkungen", "kommentar", "quelle"};

// Words of a header that name a unit or a format, not a column: "deg" in "lat_deg", "hhmmss" in "ut_hhmmss".
const char* const UnitWords[] = {"deg",  "degs",    "degree", "degrees", "grad",  "s",     "sec",    "secs",
                                 "second", "seconds", "sek",  "sekunden", "min",  "m",     "metre",  "metres",
                                 "meter", "meters",  "km",   "h",       "hm",    "hms",   "hhmm",   "hhmmss",
                                 "hh",   "mm",      "ss"};

// The time scale named beside other words: "Time UT", "UT date".
const char* const ScaleWords[] = {"ut", "utc"};

bool Contains(const char* const* first, const char* const* last, const std::string& word) {
    return std::find_if(first, last, [&](const char* w) { return word == w; }) != last;
}

}  // namespace

std::string Quoted(const std::string& text) {
    constexpr std::size_t Width = 40;
    return "\"" + kit::EscapedHead(text, Width) + (kit::DisplayWidth(text) > Width ? "...\"" : "\"");
}

std::string HeaderKey(const std::string& cell) {
    std::vector<std::string> words(1);
    int depth = 0;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        const auto c = static_cast<unsigned char>(cell[i]);
        const unsigned char next = i + 1 < cell.size() ? static_cast<unsigned char>(cell[i + 1]) : 0;
        const bool opens = c == '(' || c == '[' || c == '{', closes = c == ')' || c == ']' || c == '}';
        depth += opens ? 1 : closes && depth > 0 ? -1 : 0;
        if (opens || closes || depth > 0) {
            if (!words.back().empty()) words.emplace_back();
            continue;
        }
        if (c >= 'A' && c <= 'Z') {
            words.back() += static_cast<char>(c - 'A' + 'a');
        } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            words.back() += static_cast<char>(c);
        } else if (c == 0xC2 && (next == 0xB0 || next == 0xBA)) {
            // The degree sign and the ordinal that stands in for it.
            ++i;
            if (!words.back().empty()) words.emplace_back();
        } else if (c == 0xC3 && (next == 0x84 || next == 0x96 || next == 0x9C)) {
            words.back() += static_cast<char>(c);
            words.back() += static_cast<char>(next + 0x20);  // the German capitals in lower case
            ++i;
        } else if (c >= 0x80) {
            words.back() += static_cast<char>(c);
        } else if (!words.back().empty()) {
            words.emplace_back();
        }
    }
    std::erase_if(words, [](const std::string& w) { return w.empty() || Contains(std::begin(UnitWords), std::end(UnitWords), w); });
    if (words.size() > 1) {
        std::erase_if(words, [](const std::string& w) { return Contains(std::begin(ScaleWords), std::end(ScaleWords), w); });
    }
    std::string key;
    for (const std::string& w : words) key += w;
    return key;
}

bool FindLayout(const std::vector<std::string>& header, Layout& layout, std::string& refused, std::string& missing) {
    std::fill(std::begin(layout.at), std::end(layout.at), -1);
    std::vector<std::size_t> unplaced;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string key = HeaderKey(header[i]);
        bool placed = false;
        for (const auto& [column, names] : ColumnNames) {
            if (std::find(names.begin(), names.end(), key) == names.end()) continue;
            placed = true;
            if (layout.at[column] >= 0) {
                const auto other = static_cast<std::size_t>(layout.at[column]);
                refused = "the header names one column twice: " + Quoted(header[other]) + " (column " +
                          std::to_string(other + 1) + ") and " + Quoted(header[i]) + " (column " +
                          std::to_string(i + 1) + "); rename or remove one";
                return false;
            }
            layout.at[column] = static_cast<int>(i);
        }
        placed = placed || Contains(std::begin(OtherColumns), std::end(OtherColumns), key);
        if (!placed && !key.empty()) unplaced.push_back(i);
    }
    if (layout.at[Site] < 0) layout.at[Site] = layout.at[Observer];
    if (layout.at[Observer] < 0) layout.at[Observer] = layout.at[Site];
    layout.perObserver = layout.at[T1] >= 0 || layout.at[T2] >= 0 || layout.at[T3] >= 0 || layout.at[T4] >= 0;
    const bool perTiming = layout.at[Contact] >= 0 && layout.at[Time] >= 0;
    if (perTiming && layout.perObserver) {
        refused = "the header has both contact and time columns and T1 to T4 columns; keep one layout";
        return false;
    }
    std::vector<std::string> lacking;
    if (layout.at[Site] < 0) lacking.emplace_back("site");
    if (layout.at[Latitude] < 0) lacking.emplace_back("latitude");
    if (layout.at[Longitude] < 0) lacking.emplace_back("longitude");
    if (!perTiming && !layout.perObserver) {
        if (layout.at[Contact] < 0) lacking.emplace_back("contact");
        if (layout.at[Time] < 0) lacking.emplace_back(layout.at[Contact] < 0 ? "time (or T1 to T4)" : "time");
    }
    if (lacking.empty()) return true;
    // What could not be placed is most often the column that is lacking, under a name not known here.
    auto listed = [](const std::vector<std::string>& items) {
        std::string text;
        for (std::size_t k = 0; k < items.size(); ++k) text += (k == 0 ? "" : k + 1 == items.size() ? " and " : ", ") + items[k];
        return text;
    };
    missing = "no column for " + listed(lacking);
    constexpr std::size_t MostNamed = 8;
    std::vector<std::string> cells;
    for (std::size_t k = 0; k < std::min(unplaced.size(), MostNamed); ++k) {
        cells.push_back("column " + std::to_string(unplaced[k] + 1) + " " + Quoted(header[unplaced[k]]));
    }
    if (unplaced.size() > MostNamed) cells.push_back(std::to_string(unplaced.size() - MostNamed) + " more");
    if (!cells.empty()) missing += "; could not place " + listed(cells);
    return false;
}

}  // namespace campaign
