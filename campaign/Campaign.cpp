// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Campaign.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "Csv.h"
#include "Ephemeris.h"
#include "Fields.h"
#include "Text.h"

namespace campaign {
namespace {

// An uncertainty beyond a day cannot belong to a clock time.
constexpr double MaxSigmaS = DaySeconds;

enum Column { Site, Observer, Latitude, Longitude, Contact, Time, Sigma, Altitude, Date, T1, T2, T3, T4, ColumnCount };

// Header names, lower case, English and German; "observer" doubles as the site when no site column is given.
const std::vector<std::pair<Column, std::vector<std::string>>> ColumnNames = {
    {Site, {"site", "station", "ort"}},
    {Observer, {"observer", "beobachter"}},
    {Latitude, {"latitude", "lat", "breite"}},
    {Longitude, {"longitude", "lon", "long", "l\xC3\xA4nge", "laenge"}},
    {Contact, {"contact", "kontakt"}},
    {Time, {"time", "ut", "utc", "zeit"}},
    {Sigma, {"sigma", "uncertainty", "unsicherheit"}},
    {Altitude, {"altitude", "alt", "h\xC3\xB6he", "hoehe"}},
    {Date, {"date", "datum"}},
    {T1, {"t1"}}, {T2, {"t2"}}, {T3, {"t3"}}, {T4, {"t4"}},
};

const char* const ExpectedColumns =
    "expected a header row with the columns site (or observer), latitude, longitude and either contact and "
    "time, or T1 to T4 (German: ort/beobachter, breite, l\xC3\xA4nge, kontakt, zeit); optional: observer, "
    "altitude, sigma, date, note";

// Lower case for ASCII and the German capitals in UTF-8, surrounding spaces removed.
std::string HeaderKey(const std::string& text) {
    std::string key;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            key += static_cast<char>(c - 'A' + 'a');
        } else if (c == '\xC3' && i + 1 < text.size() && (text[i + 1] == '\x84' || text[i + 1] == '\x96' ||
                                                           text[i + 1] == '\x9C')) {
            key += c;
            key += static_cast<char>(text[++i] + 0x20);
        } else {
            key += c;
        }
    }
    const auto first = key.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return key.substr(first, key.find_last_not_of(" \t") - first + 1);
}

// A field quoted in a message: control characters escaped, so that none acts on the terminal or breaks the
// line, and long texts cut after 40 columns, between characters.
std::string Quoted(const std::string& text) {
    constexpr std::size_t Width = 40;
    return "\"" + kit::EscapedHead(text, Width) + (kit::DisplayWidth(text) > Width ? "...\"" : "\"");
}

struct Layout {
    int at[ColumnCount];
    bool perObserver = false;
};

// Finds the columns; false when the header lacks one the timings need. refused is set, with false, when the
// header could be read two ways: a column named twice, or both layouts at once.
bool FindLayout(const std::vector<std::string>& header, Layout& layout, std::string& refused) {
    std::fill(std::begin(layout.at), std::end(layout.at), -1);
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string key = HeaderKey(header[i]);
        for (const auto& [column, names] : ColumnNames) {
            if (std::find(names.begin(), names.end(), key) == names.end()) continue;
            if (layout.at[column] >= 0) {
                const auto other = static_cast<std::size_t>(layout.at[column]);
                refused = "the header names one column twice: " + Quoted(header[other]) + " (column " +
                          std::to_string(other + 1) + ") and " + Quoted(header[i]) + " (column " +
                          std::to_string(i + 1) + "); rename or remove one";
                return false;
            }
            layout.at[column] = static_cast<int>(i);
        }
    }
    if (layout.at[Site] < 0) layout.at[Site] = layout.at[Observer];
    if (layout.at[Observer] < 0) layout.at[Observer] = layout.at[Site];
    layout.perObserver = layout.at[T1] >= 0 || layout.at[T2] >= 0 || layout.at[T3] >= 0 || layout.at[T4] >= 0;
    const bool perTiming = layout.at[Contact] >= 0 && layout.at[Time] >= 0;
    if (perTiming && layout.perObserver) {
        refused = "the header has both contact and time columns and T1 to T4 columns; keep one layout";
        return false;
    }
    return layout.at[Site] >= 0 && layout.at[Latitude] >= 0 && layout.at[Longitude] >= 0 &&
           (perTiming || layout.perObserver);
}

std::string Field(const std::vector<std::string>& fields, int at) {
    return at >= 0 && static_cast<std::size_t>(at) < fields.size() ? fields[static_cast<std::size_t>(at)]
                                                                      : std::string();
}


// Why a row came as one field where the header has several: most often another delimiter.
std::string OneFieldHint(const std::string& field, char delimiter, std::size_t columns) {
    const std::string named = delimiter == '\t' ? "a tab" : std::string("'") + delimiter + "'";
    std::string hint = "the row is one field where the header has " + std::to_string(columns) + " columns separated by " + named;
    for (const char other : {';', ',', '\t'}) {
        if (other != delimiter && field.find(other) != std::string::npos) {
            hint += "; it uses " + (other == '\t' ? std::string("tabs") : std::string("'") + other + "'") +
                    " instead: write the whole file with one delimiter";
            break;
        }
    }
    return hint;
}

struct RowReader {
    const std::string& name;
    Campaign& campaign;
    std::ostream& err;
    std::unordered_map<std::string, int> observerIndex;
};

void Complain(RowReader& reader, long line, const std::string& what) {
    reader.err << "transitfit: " << reader.name << ':' << line << ": " << what << '\n';
    ++reader.campaign.rowsSkipped;
}

int ObserverIndex(RowReader& reader, const std::string& name) {
    const auto [it, added] = reader.observerIndex.try_emplace(name, static_cast<int>(reader.campaign.observers.size()));
    if (added) reader.campaign.observers.push_back(name);
    return it->second;
}

// The rows of one site follow each other: a name is compared with the last one only, and listed again when
// other sites came between, which keeps no index of names while the file is read.
int SiteIndex(RowReader& reader, const std::string& name) {
    std::vector<std::string>& sites = reader.campaign.sites;
    if (sites.empty() || sites.back() != name) sites.push_back(name);
    return static_cast<int>(sites.size()) - 1;
}

// The site, coordinates and options common to both layouts; false (reported) when the row is unusable.
bool ReadSite(RowReader& reader, const CsvRecord& record, const Layout& layout, fields::NumberStyle style, Timing& timing) {
    const long line = record.line;
    std::string site = fields::Trim(Field(record.fields, layout.at[Site]));
    const std::string observer = fields::Trim(Field(record.fields, layout.at[Observer]));
    if (site.empty() && observer.empty()) {
        Complain(reader, line, "the site is empty");
        return false;
    }
    if (site.empty()) site = observer;
    std::string why;
    const std::string latitude = Field(record.fields, layout.at[Latitude]);
    if (!fields::ParseAngle(latitude, "NS", style, timing.latitudeDegrees, why)) {
        Complain(reader, line, "latitude " + Quoted(latitude) + " " + why);
        return false;
    }
    if (std::fabs(timing.latitudeDegrees) > 90.0) {
        Complain(reader, line, "latitude " + Quoted(latitude) + " is outside -90..90");
        return false;
    }
    const std::string longitude = Field(record.fields, layout.at[Longitude]);
    if (!fields::ParseAngle(longitude, "EW", style, timing.longitudeDegrees, why)) {
        Complain(reader, line, "longitude " + Quoted(longitude) + " " + why);
        return false;
    }
    if (std::fabs(timing.longitudeDegrees) > 180.0) {
        Complain(reader, line, "longitude " + Quoted(longitude) + " is outside -180..180");
        return false;
    }
    const std::string sigma = fields::Trim(Field(record.fields, layout.at[Sigma]));
    if (!sigma.empty() && (!fields::ParseNumber(sigma, style, timing.sigmaS) || timing.sigmaS < 0.0)) {
        Complain(reader, line, "sigma " + Quoted(sigma) + " is not an uncertainty in seconds (0 or more)");
        return false;
    }
    if (timing.sigmaS > MaxSigmaS) {
        Complain(reader, line, "sigma " + Quoted(sigma) + " is too large: an uncertainty of more than a day (86400 s)");
        return false;
    }
    const std::string altitude = fields::Trim(Field(record.fields, layout.at[Altitude]));
    if (!altitude.empty() &&
        (!fields::ParseNumber(altitude, style, timing.altitudeM) || timing.altitudeM < ephemeris::MinSiteHeightM || timing.altitudeM > ephemeris::MaxSiteHeightM)) {
        Complain(reader, line, "altitude " + Quoted(altitude) + " is not a height in metres (" +
                                   std::to_string(static_cast<int>(ephemeris::MinSiteHeightM)) + ".." +
                                   std::to_string(static_cast<int>(ephemeris::MaxSiteHeightM)) + ")");
        return false;
    }
    const std::string date = fields::Trim(Field(record.fields, layout.at[Date]));
    int year = 0, month = 0, day = 0;
    if (!date.empty() && !fields::ParseDate(date, year, month, day)) {
        Complain(reader, line, "date " + Quoted(date) + " is not a date such as 2012-06-05 or 05.06.2012");
        return false;
    }
    if (!date.empty() && (year < ephemeris::FirstCatalogueYear || year > ephemeris::LastCatalogueYear)) {
        Complain(reader, line, "date " + Quoted(date) + " is outside the years " + std::to_string(ephemeris::FirstCatalogueYear) +
                                   "-" + std::to_string(ephemeris::LastCatalogueYear));
        return false;
    }
    // Within the catalogue's years and a calendar's months and days: each fits its narrow field.
    timing.year = static_cast<std::int16_t>(year);
    timing.month = static_cast<std::int8_t>(month);
    timing.day = static_cast<std::int8_t>(day);
    timing.observer = ObserverIndex(reader, observer.empty() ? site : observer);
    timing.site = SiteIndex(reader, site);
    timing.line = line;
    timing.file = static_cast<int>(reader.campaign.files.size()) - 1;
    return true;
}

bool ReadTime(RowReader& reader, long line, const std::string& text, fields::NumberStyle style, Timing& timing,
              const std::string& column) {
    if (!fields::ParseTimeOfDay(text, style, timing.seconds)) {
        Complain(reader, line, (fields::Trim(text).empty() ? column + " is empty"
                                                       : column + " " + Quoted(text) +
                                                             " is not a time hh:mm:ss (with an optional fraction)"));
        return false;
    }
    return true;
}

void ReadPerTiming(RowReader& reader, const CsvRecord& record, const Layout& layout, fields::NumberStyle style) {
    Timing timing;
    if (!ReadSite(reader, record, layout, style, timing)) return;
    const std::string contact = Field(record.fields, layout.at[Contact]);
    int start = 0, end = 0;
    if (!fields::ParseContact(contact, start, end)) {
        Complain(reader, record.line,
                 "contact " + Quoted(contact) + " is not 1 to 4, nor a duration such as 2-3 (start before end)");
        return;
    }
    timing.start = static_cast<std::int8_t>(start);
    timing.end = static_cast<std::int8_t>(end);
    if (!ReadTime(reader, record.line, Field(record.fields, layout.at[Time]), style, timing, "time")) return;
    reader.campaign.timings.push_back(timing);
}

void ReadPerObserver(RowReader& reader, const CsvRecord& record, const Layout& layout, fields::NumberStyle style) {
    Timing site;
    if (!ReadSite(reader, record, layout, style, site)) return;
    std::vector<Timing> found;
    for (int contact = 1; contact <= 4; ++contact) {
        const std::string text = Field(record.fields, layout.at[T1 + contact - 1]);
        if (fields::Trim(text).empty()) continue;
        Timing timing = site;
        timing.start = static_cast<std::int8_t>(contact);
        std::string column = "T";
        column += std::to_string(contact);
        if (!ReadTime(reader, record.line, text, style, timing, column)) return;
        found.push_back(timing);
    }
    if (found.empty()) {
        Complain(reader, record.line, "none of T1 to T4 holds a time");
        return;
    }
    reader.campaign.timings.insert(reader.campaign.timings.end(), found.begin(), found.end());
}

}  // namespace

ReadStatus ReadCampaign(const std::string& name, std::istream& in, Campaign& campaign, std::ostream& err) {
    campaign.files.push_back(name);
    // A file name may hold any byte but NUL and '/'; messages show it escaped, like the fields they quote.
    const std::string shown = kit::Escaped(name);
    RowReader reader{shown, campaign, err, {}};
    for (std::size_t i = 0; i < campaign.observers.size(); ++i) reader.observerIndex[campaign.observers[i]] = static_cast<int>(i);
    CsvReader csv = OpenCsv(in);
    CsvRecord record;
    CsvStatus status = ReadRecord(csv, record);
    // Blank lines before the header are skipped like blank lines anywhere.
    while (status == CsvStatus::Record && !record.tooLong && record.fields.size() == 1 && fields::Trim(record.fields[0]).empty()) {
        status = ReadRecord(csv, record);
    }
    if (status == CsvStatus::NotText) {
        err << "transitfit: " << shown << ": not a text file (it holds NUL bytes)\n";
        return ReadStatus::Unreadable;
    }
    if (status == CsvStatus::End) {
        err << "transitfit: " << shown << ": the file is empty; " << ExpectedColumns << '\n';
        return ReadStatus::NoTimings;
    }
    Layout layout;
    std::string refused;
    if (record.tooLong || !FindLayout(record.fields, layout, refused)) {
        if (!refused.empty()) {
            err << "transitfit: " << shown << ':' << record.line << ": " << refused << '\n';
            return ReadStatus::Unreadable;
        }
        err << "transitfit: " << shown << ':' << record.line << ": no recognisable header; " << ExpectedColumns << '\n';
        return ReadStatus::NoTimings;
    }
    const std::size_t columns = record.fields.size();
    long wideRows = 0, firstWideLine = 0;
    // German spreadsheets write 51,47; a comma is a decimal mark wherever it cannot be the delimiter.
    const fields::NumberStyle style{csv.delimiter != ','};
    const std::size_t before = campaign.timings.size();
    long rows = 0;
    while ((status = ReadRecord(csv, record)) == CsvStatus::Record) {
        if (record.tooLong) {
            Complain(reader, record.line, record.lastLine > record.line
                                              ? "lines " + std::to_string(record.line) + "-" + std::to_string(record.lastLine) +
                                                    " hold one row longer than 1 MiB (a quote opened on this line is not "
                                                    "closed before line " + std::to_string(record.lastLine) + "); skipped"
                                              : "the row is longer than 1 MiB; skipped");
            ++rows;
            continue;
        }
        if (record.rereadFrom > 0) {
            err << "transitfit: " << shown << ':' << record.line << ": a quote opened here is not closed; lines "
                << record.rereadFrom << '-' << record.rereadTo << " were read again as rows\n";
        }
        bool blank = true;
        for (const std::string& field : record.fields) blank = blank && fields::Trim(field).empty();
        if (blank) continue;
        ++rows;
        bool wide = false;
        for (std::size_t i = columns; i < record.fields.size(); ++i) wide = wide || !fields::Trim(record.fields[i]).empty();
        if (wide && wideRows++ == 0) firstWideLine = record.line;
        if (record.fields.size() == 1 && columns > 1) {
            Complain(reader, record.line, OneFieldHint(record.fields[0], csv.delimiter, columns));
            continue;
        }
        if (layout.perObserver) ReadPerObserver(reader, record, layout, style);
        else ReadPerTiming(reader, record, layout, style);
    }
    if (status == CsvStatus::NotText) {
        err << "transitfit: " << shown << ':' << csv.nextLine << ": not a text file (it holds NUL bytes)\n";
        return ReadStatus::Unreadable;
    }
    if (wideRows > 0) {
        err << "transitfit: " << shown << ':' << firstWideLine << ": " << wideRows
            << (wideRows == 1 ? " row has" : " rows have") << " fields beyond the header's " << columns
            << " columns (the first on this line); those fields were ignored\n";
    }
    if (rows == 0) {
        err << "transitfit: " << shown << ": no timings below the header\n";
        return ReadStatus::NoTimings;
    }
    // The timings grew by doubling: up to half of their room would stand empty through the fit.
    if (campaign.timings.capacity() - campaign.timings.size() > campaign.timings.size() / 8) campaign.timings.shrink_to_fit();
    return campaign.timings.size() > before ? ReadStatus::Read : ReadStatus::NoTimings;
}

std::string ContactName(int start, int end) {
    return end == 0 ? std::to_string(start) : std::to_string(start) + "-" + std::to_string(end);
}

}  // namespace campaign
