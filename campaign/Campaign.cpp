// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Campaign.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "Columns.h"
#include "Csv.h"
#include "Ephemeris.h"
#include "Fields.h"
#include "NameIndex.h"
#include "Text.h"

namespace campaign {
namespace {

// An uncertainty beyond a day cannot belong to a clock time.
constexpr double MaxSigmaS = DaySeconds;

// A time written to the minute ("11:23") is known to half a minute either way.
constexpr double MinuteSigmaS = 30.0;

const char* const ExpectedColumns =
    "expected a header row with the columns site (or observer), latitude, longitude and either contact and "
    "time, or T1 to T4 (or C1 to C4) (German: ort/beobachter, breite, l\xC3\xA4nge, kontakt, zeit); optional: "
    "observer, altitude, sigma, date, time_basis, day, use, note";

// The field at a column of the layout; empty when the column is absent or the row ends before it.
const std::string& Field(const std::vector<std::string>& fields, int at) {
    static const std::string none;
    return at >= 0 && static_cast<std::size_t>(at) < fields.size() ? fields[static_cast<std::size_t>(at)] : none;
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

// Rows read before the timings' room is made for the rest of the file.
constexpr long RowsBeforeRoom = 1000;

// The bytes of a stream that can be measured (a file), from its start; 0 for one that cannot (a pipe).
std::streamoff StreamBytes(std::istream& in) {
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr) return 0;
    const std::streampos here = buffer->pubseekoff(0, std::ios::cur, std::ios::in);
    if (here == std::streampos(-1)) return 0;
    const std::streampos end = buffer->pubseekoff(0, std::ios::end, std::ios::in);
    buffer->pubseekpos(here, std::ios::in);
    return end == std::streampos(-1) ? 0 : static_cast<std::streamoff>(end);
}

struct RowReader {
    const std::string& name;
    Campaign& campaign;
    std::ostream& err;
    NameIndex observerIndex;
    std::string timeColumns[4];  // the header's names of the columns T1 to T4, for messages
    int lastObserver = -1;       // the observer of the row before
};

void Complain(RowReader& reader, long line, const std::string& what) {
    reader.err << "transitfit: " << reader.name << ':' << line << ": " << what << '\n';
    ++reader.campaign.rowsSkipped;
}

int ObserverIndex(RowReader& reader, const std::string& name) {
    // An observer's rows mostly follow each other: the last one found is asked first.
    if (reader.lastObserver >= 0 && reader.campaign.observers[static_cast<std::size_t>(reader.lastObserver)] == name) {
        return reader.lastObserver;
    }
    return reader.lastObserver = PlaceOf(reader.observerIndex, reader.campaign.observers, name);
}

// The rows of one site follow each other: a name is compared with the last one only, and listed again when
// other sites came between, which keeps no index of names while the file is read.
int SiteIndex(RowReader& reader, const std::string& name) {
    std::vector<std::string>& sites = reader.campaign.sites;
    if (sites.empty() || sites.back() != name) sites.push_back(name);
    return static_cast<int>(sites.size()) - 1;
}

// The site, coordinates and options common to both layouts; false (reported) when the row is unusable.
// What a row says of all its timings beyond what a Timing keeps.
struct RowCommon {
    bool sigmaGiven = false;
};

// A use cell: yes or no in English or German, y/n, j/n, 1/0, true/false, wahr/falsch; empty is yes.
bool ParseUse(const std::string& text, bool& use) {
    std::string word = fields::Trim(text);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const char* const Yes[] = {"", "yes", "y", "ja", "j", "1", "true", "wahr"};
    static const char* const No[] = {"no", "n", "nein", "0", "false", "falsch"};
    for (const char* w : Yes) {
        if (word == w) return use = true, true;
    }
    for (const char* w : No) {
        if (word == w) return use = false, true;
    }
    return false;
}

// The site, coordinates, date, clock and options common to both layouts; false (reported) when the row is unusable.
bool ReadSite(RowReader& reader, const CsvRecord& record, const Layout& layout, fields::NumberStyle style, RowCommon& common,
              Timing& timing) {
    const long line = record.line;
    std::string site = fields::Trim(Field(record.fields, layout.at[Site]));
    const std::string observer = fields::Trim(Field(record.fields, layout.at[Observer]));
    if (site.empty() && observer.empty()) {
        Complain(reader, line, "the site is empty");
        return false;
    }
    if (site.empty()) site = observer;
    std::string why;
    const std::string& latitude = Field(record.fields, layout.at[Latitude]);
    if (!fields::ParseAngle(latitude, "NS", style, timing.latitudeDegrees, why)) {
        Complain(reader, line, "latitude " + Quoted(latitude) + " " + why);
        return false;
    }
    if (std::fabs(timing.latitudeDegrees) > 90.0) {
        Complain(reader, line, "latitude " + Quoted(latitude) + " is outside -90..90");
        return false;
    }
    const std::string& longitude = Field(record.fields, layout.at[Longitude]);
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
    if (!date.empty() && !fields::ParseDate(date, year, month, day, why)) {
        Complain(reader, line, "date " + Quoted(date) + (why.empty() ? " is not a date such as 2012-06-05 or 05.06.2012" : " " + why));
        return false;
    }
    if (!date.empty() && (year < ephemeris::FirstCatalogueYear || year > ephemeris::LastCatalogueYear)) {
        Complain(reader, line, "date " + Quoted(date) + " is outside the years " + std::to_string(ephemeris::FirstCatalogueYear) +
                                   "-" + std::to_string(ephemeris::LastCatalogueYear));
        return false;
    }
    const std::string& basis = Field(record.fields, layout.at[Basis]);
    if (!ParseTimeBasis(basis, timing.basis)) {
        Complain(reader, line, "time basis " + Quoted(basis) + " is not one of UT, local mean, local apparent, Greenwich mean, "
                               "Greenwich apparent, Paris mean, Paris apparent");
        return false;
    }
    const std::string& dayStart = Field(record.fields, layout.at[Day]);
    if (!ParseDayStart(dayStart, timing.dayStart)) {
        Complain(reader, line, "day " + Quoted(dayStart) + " is neither civil nor astronomical");
        return false;
    }
    const std::string& use = Field(record.fields, layout.at[Use]);
    bool used = true;
    if (!ParseUse(use, used)) {
        Complain(reader, line, "use " + Quoted(use) + " is neither yes nor no (nor ja/nein, y/n, 1/0, true/false)");
        return false;
    }
    timing.use = used;
    // Within the catalogue's years and a calendar's months and days: each fits its narrow field.
    timing.year = static_cast<std::int16_t>(year);
    timing.month = static_cast<std::int8_t>(month);
    timing.day = static_cast<std::int8_t>(day);
    common.sigmaGiven = !sigma.empty();
    timing.observer = ObserverIndex(reader, observer.empty() ? site : observer);
    timing.site = SiteIndex(reader, site);
    timing.line = line;
    timing.file = static_cast<int>(reader.campaign.files.size()) - 1;
    return true;
}

// Digits after the decimal mark of a written time, at most 3 (what writtenMs keeps).
int DecimalsOf(std::string_view text, fields::NumberStyle style) {
    const std::size_t mark = text.find_last_of(style.decimalComma ? ".," : ".");
    if (mark == std::string_view::npos) return 0;
    int digits = 0;
    for (std::size_t i = mark + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
    return std::min(digits, 3);
}

// The timing's clock time or duration from text as written: a clock time not written as UT on the civil day
// becomes UT on its UT date (a duration is the same on every clock). A time to the minute has an uncertainty of
// half a minute, unless the row gives one.
bool ReadTime(RowReader& reader, long line, const std::string& text, fields::NumberStyle style, const RowCommon& common,
              Timing& timing, const std::string& column) {
    double written = 0.0;
    fields::TimePrecision precision = fields::TimePrecision::Seconds;
    if (!fields::ParseClockTime(text, style, written, precision)) {
        Complain(reader, line, (fields::Trim(text).empty() ? column + " is empty"
                                                       : column + " " + Quoted(text) +
                                                             " is not a time such as 11:04:03, 11:04:03.2, 11h04m03s, 11 04 03 or 11:04"));
        return false;
    }
    // The equation of time and the astronomical day need the day a clock time was written on.
    if (timing.end == 0 && !WrittenAsUt(timing) && timing.year == 0) {
        const std::string clock = timing.basis != TimeBasis::Ut ? std::string(TimeBasisName(timing.basis)) + " time"
                                                                : std::string("a time on the astronomical day");
        Complain(reader, line, clock + " needs the date it was written on, and the date is empty");
        return false;
    }
    const bool minutes = precision == fields::TimePrecision::Minutes;
    if (minutes && !common.sigmaGiven) timing.sigmaS = MinuteSigmaS;
    timing.writtenDecimals = static_cast<std::int8_t>(minutes ? -1 : DecimalsOf(fields::TrimmedView(text), style));
    // Hours below 48: within the narrow field's range.
    timing.writtenMs = static_cast<std::int32_t>(std::llround(written * 1000.0));
    timing.seconds = written;
    if (timing.end != 0 || WrittenAsUt(timing)) return true;
    const double jd = UtJdOf(timing.year, timing.month, timing.day, written, timing.basis, timing.dayStart, timing.longitudeDegrees);
    const double midnight = std::floor(jd - 0.5) + 0.5;
    const ephemeris::CalendarTime ut = ephemeris::CalendarFromJd(midnight + 0.5);
    // The astronomical day, hours to 47 and a clock up to half a day from Greenwich move the date by -1..3 days.
    timing.writtenDays = static_cast<std::int8_t>(std::lround(ephemeris::JulianDayAtMidnight(timing.year, timing.month, timing.day) - midnight));
    timing.year = static_cast<std::int16_t>(ut.year);
    timing.month = static_cast<std::int8_t>(ut.month);
    timing.day = static_cast<std::int8_t>(ut.day);
    timing.seconds = (jd - midnight) * DaySeconds;
    return true;
}

void ReadPerTiming(RowReader& reader, const CsvRecord& record, const Layout& layout, fields::NumberStyle style) {
    Timing timing;
    RowCommon common;
    if (!ReadSite(reader, record, layout, style, common, timing)) return;
    const std::string& contact = Field(record.fields, layout.at[Contact]);
    int start = 0, end = 0;
    if (!fields::ParseContact(contact, start, end)) {
        Complain(reader, record.line,
                 "contact " + Quoted(contact) + " is not 1 to 4, nor a duration such as 2-3 (start before end)");
        return;
    }
    timing.start = static_cast<std::int8_t>(start);
    timing.end = static_cast<std::int8_t>(end);
    if (!ReadTime(reader, record.line, Field(record.fields, layout.at[Time]), style, common, timing, "time")) return;
    reader.campaign.timings.push_back(timing);
}

void ReadPerObserver(RowReader& reader, const CsvRecord& record, const Layout& layout, fields::NumberStyle style) {
    Timing site;
    RowCommon common;
    if (!ReadSite(reader, record, layout, style, common, site)) return;
    std::vector<Timing> found;
    for (int contact = 1; contact <= 4; ++contact) {
        const std::string& text = Field(record.fields, layout.at[T1 + contact - 1]);
        if (fields::Trim(text).empty()) continue;
        Timing timing = site;
        timing.start = static_cast<std::int8_t>(contact);
        const std::string& column = reader.timeColumns[contact - 1];
        if (!ReadTime(reader, record.line, text, style, common, timing, column)) return;
        found.push_back(timing);
    }
    if (found.empty()) {
        Complain(reader, record.line, "none of " + reader.timeColumns[0] + " to " + reader.timeColumns[3] + " holds a time");
        return;
    }
    reader.campaign.timings.insert(reader.campaign.timings.end(), found.begin(), found.end());
}

}  // namespace

ReadStatus ReadCampaign(const std::string& name, std::istream& in, Campaign& campaign, std::ostream& err) {
    campaign.files.push_back(name);
    // A file name may hold any byte but NUL and '/'; messages show it escaped, like the fields they quote.
    const std::string shown = kit::Escaped(name);
    RowReader reader{shown, campaign, err, {}, {}};
    reader.observerIndex = IndexOf(campaign.observers);
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
    std::string refused, missing;
    if (record.tooLong || !FindLayout(record.fields, layout, refused, missing)) {
        if (!refused.empty()) {
            err << "transitfit: " << shown << ':' << record.line << ": " << refused << '\n';
            return ReadStatus::Unreadable;
        }
        err << "transitfit: " << shown << ':' << record.line << ": no recognisable header" << (missing.empty() ? "" : ": " + missing)
            << "; " << ExpectedColumns << '\n';
        return ReadStatus::NoTimings;
    }
    for (int c = 0; c < 4; ++c) {
        const int at = layout.at[T1 + c];
        reader.timeColumns[c] = at >= 0 ? kit::Escaped(fields::Trim(record.fields[static_cast<std::size_t>(at)]))
                                        : "T" + std::to_string(c + 1);
    }
    const std::size_t columns = record.fields.size();
    long wideRows = 0, firstWideLine = 0;
    // German spreadsheets write 51,47; a comma is a decimal mark wherever it cannot be the delimiter.
    const fields::NumberStyle style{csv.delimiter != ','};
    const std::size_t before = campaign.timings.size();
    long rows = 0;
    // Where the stream tells its size (a file), the timings' room is made once the first rows show how many
    // bytes a timing takes: a million timings grown by doubling fault in and copy twice their memory.
    const std::streamoff fileBytes = StreamBytes(in);
    std::size_t rowBytes = 0;
    // The records are read on a thread of their own while the rows before them are taken apart here.
    const char delimiter = csv.delimiter;
    status = ForEachRecord(csv, [&](const CsvRecord& record) {
        if (fileBytes > 0 && rows <= RowsBeforeRoom) {
            for (const std::string& field : record.fields) rowBytes += field.size() + 1;
            if (rows == RowsBeforeRoom && campaign.timings.size() > before) {
                const double perTiming = static_cast<double>(rowBytes) / static_cast<double>(campaign.timings.size() - before);
                campaign.timings.reserve(campaign.timings.size() + static_cast<std::size_t>(static_cast<double>(fileBytes) / perTiming));
            }
        }
        if (record.tooLong) {
            Complain(reader, record.line, record.lastLine > record.line
                                              ? "lines " + std::to_string(record.line) + "-" + std::to_string(record.lastLine) +
                                                    " hold one row longer than 1 MiB (a quote opened on this line is not "
                                                    "closed before line " + std::to_string(record.lastLine) + "); skipped"
                                              : "the row is longer than 1 MiB; skipped");
            ++rows;
            return;
        }
        if (record.rereadFrom > 0) {
            err << "transitfit: " << shown << ':' << record.line << ": a quote opened here is not closed; lines "
                << record.rereadFrom << '-' << record.rereadTo << " were read again as rows\n";
        }
        bool blank = true;
        for (const std::string& field : record.fields) blank = blank && fields::TrimmedView(field).empty();
        if (blank) return;
        ++rows;
        bool wide = false;
        for (std::size_t i = columns; i < record.fields.size(); ++i) wide = wide || !fields::TrimmedView(record.fields[i]).empty();
        if (wide && wideRows++ == 0) firstWideLine = record.line;
        if (record.fields.size() == 1 && columns > 1) {
            Complain(reader, record.line, OneFieldHint(record.fields[0], delimiter, columns));
            return;
        }
        if (layout.perObserver) ReadPerObserver(reader, record, layout, style);
        else ReadPerTiming(reader, record, layout, style);
    });
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

bool WrittenAsUt(const Timing& t) { return t.basis == TimeBasis::Ut && t.dayStart == DayStart::Civil; }

std::string ContactName(int start, int end) {
    return end == 0 ? std::to_string(start) : std::to_string(start) + "-" + std::to_string(end);
}

}  // namespace campaign
