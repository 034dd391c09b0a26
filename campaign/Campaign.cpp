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
    int lastObserver = -1;       // the observer of the row before
};

// What taking a row apart needs besides the row: fixed once the header is read.
struct RowLayout {
    Layout layout;
    fields::NumberStyle style;
    std::size_t columns = 0;     // of the header
    char delimiter = ',';
    int file = 0;                // index into Campaign::files
    std::string timeColumns[4];  // the header's names of the columns T1 to T4, for messages
};

// A row taken apart on its own, before what it names is looked up: the rows of a file are taken apart on two
// threads, and what they name, and what they are told, is settled in their order.
struct RowValues {
    bool blank = false;          // no field holds anything
    bool wide = false;           // a field beyond the header's columns holds something
    bool named = false;          // site and observer were read: they are listed, whatever came after
    std::string site, observer;  // trimmed; the observer empty where the row names none
    std::string complaint;       // why the row is skipped; empty when it is read
    Timing timings[4];           // the row's timings, count of them
    int count = 0;
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

// The site, coordinates, date, clock and options common to both layouts; false, with the complaint, when the
// row is unusable.
bool ReadSite(const RowLayout& row, const CsvRecord& record, RowCommon& common, Timing& timing, RowValues& values) {
    const Layout& layout = row.layout;
    const fields::NumberStyle style = row.style;
    values.site = fields::Trim(Field(record.fields, layout.at[Site]));
    values.observer = fields::Trim(Field(record.fields, layout.at[Observer]));
    if (values.site.empty() && values.observer.empty()) {
        values.complaint = "the site is empty";
        return false;
    }
    if (values.site.empty()) values.site = values.observer;
    std::string why;
    const std::string& latitude = Field(record.fields, layout.at[Latitude]);
    if (!fields::ParseAngle(latitude, "NS", style, timing.latitudeDegrees, why)) {
        values.complaint = "latitude " + Quoted(latitude) + " " + why;
        return false;
    }
    if (std::fabs(timing.latitudeDegrees) > 90.0) {
        values.complaint = "latitude " + Quoted(latitude) + " is outside -90..90";
        return false;
    }
    const std::string& longitude = Field(record.fields, layout.at[Longitude]);
    if (!fields::ParseAngle(longitude, "EW", style, timing.longitudeDegrees, why)) {
        values.complaint = "longitude " + Quoted(longitude) + " " + why;
        return false;
    }
    if (std::fabs(timing.longitudeDegrees) > 180.0) {
        values.complaint = "longitude " + Quoted(longitude) + " is outside -180..180";
        return false;
    }
    const std::string sigma = fields::Trim(Field(record.fields, layout.at[Sigma]));
    if (!sigma.empty() && (!fields::ParseNumber(sigma, style, timing.sigmaS) || timing.sigmaS < 0.0)) {
        values.complaint = "sigma " + Quoted(sigma) + " is not an uncertainty in seconds (0 or more)";
        return false;
    }
    if (timing.sigmaS > MaxSigmaS) {
        values.complaint = "sigma " + Quoted(sigma) + " is too large: an uncertainty of more than a day (86400 s)";
        return false;
    }
    const std::string altitude = fields::Trim(Field(record.fields, layout.at[Altitude]));
    if (!altitude.empty() &&
        (!fields::ParseNumber(altitude, style, timing.altitudeM) || timing.altitudeM < ephemeris::MinSiteHeightM || timing.altitudeM > ephemeris::MaxSiteHeightM)) {
        values.complaint = "altitude " + Quoted(altitude) + " is not a height in metres (" +
                                   std::to_string(static_cast<int>(ephemeris::MinSiteHeightM)) + ".." +
                                   std::to_string(static_cast<int>(ephemeris::MaxSiteHeightM)) + ")";
        return false;
    }
    const std::string date = fields::Trim(Field(record.fields, layout.at[Date]));
    int year = 0, month = 0, day = 0;
    if (!date.empty() && !fields::ParseDate(date, year, month, day, why)) {
        values.complaint = "date " + Quoted(date) + (why.empty() ? " is not a date such as 2012-06-05 or 05.06.2012" : " " + why);
        return false;
    }
    if (!date.empty() && (year < ephemeris::FirstCatalogueYear || year > ephemeris::LastCatalogueYear)) {
        values.complaint = "date " + Quoted(date) + " is outside the years " + std::to_string(ephemeris::FirstCatalogueYear) +
                                   "-" + std::to_string(ephemeris::LastCatalogueYear);
        return false;
    }
    const std::string& basis = Field(record.fields, layout.at[Basis]);
    if (!ParseTimeBasis(basis, timing.basis)) {
        values.complaint = "time basis " + Quoted(basis) + " is not one of UT, local mean, local apparent, Greenwich mean, "
                               "Greenwich apparent, Paris mean, Paris apparent";
        return false;
    }
    const std::string& dayStart = Field(record.fields, layout.at[Day]);
    if (!ParseDayStart(dayStart, timing.dayStart)) {
        values.complaint = "day " + Quoted(dayStart) + " is neither civil nor astronomical";
        return false;
    }
    const std::string& use = Field(record.fields, layout.at[Use]);
    bool used = true;
    if (!ParseUse(use, used)) {
        values.complaint = "use " + Quoted(use) + " is neither yes nor no (nor ja/nein, y/n, 1/0, true/false)";
        return false;
    }
    timing.use = used;
    // Within the catalogue's years and a calendar's months and days: each fits its narrow field.
    timing.year = static_cast<std::int16_t>(year);
    timing.month = static_cast<std::int8_t>(month);
    timing.day = static_cast<std::int8_t>(day);
    common.sigmaGiven = !sigma.empty();
    values.named = true;
    timing.line = record.line;
    timing.file = row.file;
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

// The timing's clock time or duration from text as written, on the clock it was written by. A time to the
// minute has an uncertainty of half a minute, unless the row gives one.
bool ReadTime(const std::string& text, fields::NumberStyle style, const RowCommon& common, Timing& timing,
              const std::string& column, RowValues& values) {
    double written = 0.0;
    fields::TimePrecision precision = fields::TimePrecision::Seconds;
    if (!fields::ParseClockTime(text, style, written, precision)) {
        values.complaint = fields::Trim(text).empty() ? column + " is empty"
                                                      : column + " " + Quoted(text) +
                                                            " is not a time such as 11:04:03, 11:04:03.2, 11h04m03s, 11 04 03 or 11:04";
        return false;
    }
    // The equation of time and the astronomical day need the day a clock time was written on.
    if (timing.end == 0 && !WrittenAsUt(timing) && timing.year == 0) {
        const std::string clock = timing.basis != TimeBasis::Ut ? std::string(TimeBasisName(timing.basis)) + " time"
                                                                : std::string("a time on the astronomical day");
        values.complaint = clock + " needs the date it was written on, and the date is empty";
        return false;
    }
    const bool minutes = precision == fields::TimePrecision::Minutes;
    if (minutes && !common.sigmaGiven) timing.sigmaS = MinuteSigmaS;
    timing.writtenDecimals = static_cast<std::int8_t>(minutes ? -1 : DecimalsOf(fields::TrimmedView(text), style));
    // Hours below 48: within the narrow field's range.
    timing.writtenMs = static_cast<std::int32_t>(std::llround(written * 1000.0));
    timing.seconds = written;
    return true;
}

// A clock time not written as UT on the civil day becomes UT on its UT date (a duration is the same on every
// clock). The equation of time asks the ephemeris, whose calls stay on one thread and in the file's order.
void ToUt(Timing& timing) {
    if (timing.end != 0 || WrittenAsUt(timing)) return;
    const double written = timing.seconds;
    const double jd = UtJdOf(timing.year, timing.month, timing.day, written, timing.basis, timing.dayStart, timing.longitudeDegrees);
    const double midnight = std::floor(jd - 0.5) + 0.5;
    const ephemeris::CalendarTime ut = ephemeris::CalendarFromJd(midnight + 0.5);
    // The astronomical day, hours to 47 and a clock up to half a day from Greenwich move the date by -1..3 days.
    timing.writtenDays = static_cast<std::int8_t>(std::lround(ephemeris::JulianDayAtMidnight(timing.year, timing.month, timing.day) - midnight));
    timing.year = static_cast<std::int16_t>(ut.year);
    timing.month = static_cast<std::int8_t>(ut.month);
    timing.day = static_cast<std::int8_t>(ut.day);
    timing.seconds = (jd - midnight) * DaySeconds;
}

void ReadPerTiming(const RowLayout& row, const CsvRecord& record, RowValues& values) {
    Timing timing;
    RowCommon common;
    if (!ReadSite(row, record, common, timing, values)) return;
    const std::string& contact = Field(record.fields, row.layout.at[Contact]);
    int start = 0, end = 0;
    if (!fields::ParseContact(contact, start, end)) {
        values.complaint = "contact " + Quoted(contact) + " is not 1 to 4, nor a duration such as 2-3 (start before end)";
        return;
    }
    timing.start = static_cast<std::int8_t>(start);
    timing.end = static_cast<std::int8_t>(end);
    if (!ReadTime(Field(record.fields, row.layout.at[Time]), row.style, common, timing, "time", values)) return;
    values.timings[values.count++] = timing;
}

void ReadPerObserver(const RowLayout& row, const CsvRecord& record, RowValues& values) {
    Timing site;
    RowCommon common;
    if (!ReadSite(row, record, common, site, values)) return;
    for (int contact = 1; contact <= 4; ++contact) {
        const std::string& text = Field(record.fields, row.layout.at[T1 + contact - 1]);
        if (fields::TrimmedView(text).empty()) continue;
        Timing timing = site;
        timing.start = static_cast<std::int8_t>(contact);
        if (!ReadTime(text, row.style, common, timing, row.timeColumns[contact - 1], values)) {
            values.count = 0;
            return;
        }
        values.timings[values.count++] = timing;
    }
    if (values.count == 0) values.complaint = "none of " + row.timeColumns[0] + " to " + row.timeColumns[3] + " holds a time";
}

// Takes a row apart on its own (any thread).
void TakeApart(const RowLayout& row, const CsvRecord& record, RowValues& values) {
    values.blank = values.wide = values.named = false;
    values.count = 0;
    values.complaint.clear();
    if (record.tooLong) return;
    values.blank = true;
    for (const std::string& field : record.fields) values.blank = values.blank && fields::TrimmedView(field).empty();
    if (values.blank) return;
    for (std::size_t i = row.columns; i < record.fields.size(); ++i) values.wide = values.wide || !fields::TrimmedView(record.fields[i]).empty();
    if (record.fields.size() == 1 && row.columns > 1) {
        values.complaint = OneFieldHint(record.fields[0], row.delimiter, row.columns);
        return;
    }
    if (row.layout.perObserver) ReadPerObserver(row, record, values);
    else ReadPerTiming(row, record, values);
}

}  // namespace

ReadStatus ReadCampaign(const std::string& name, std::istream& in, Campaign& campaign, std::ostream& err) {
    campaign.files.push_back(name);
    // A file name may hold any byte but NUL and '/'; messages show it escaped, like the fields they quote.
    const std::string shown = kit::Escaped(name);
    RowReader reader{shown, campaign, err, {}};
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
    RowLayout row;
    row.layout = layout;
    for (int c = 0; c < 4; ++c) {
        const int at = layout.at[T1 + c];
        row.timeColumns[c] = at >= 0 ? kit::Escaped(fields::Trim(record.fields[static_cast<std::size_t>(at)]))
                                     : "T" + std::to_string(c + 1);
    }
    row.columns = record.fields.size();
    row.delimiter = csv.delimiter;
    row.file = static_cast<int>(campaign.files.size()) - 1;
    // German spreadsheets write 51,47; a comma is a decimal mark wherever it cannot be the delimiter.
    row.style = fields::NumberStyle{csv.delimiter != ','};
    const std::size_t columns = row.columns;
    long wideRows = 0, firstWideLine = 0;
    const std::size_t before = campaign.timings.size();
    long rows = 0;
    // Where the stream tells its size (a file), the timings' room is made once the first rows show how many
    // bytes a timing takes: a million timings grown by doubling fault in and copy twice their memory.
    const std::streamoff fileBytes = StreamBytes(in);
    std::size_t rowBytes = 0;
    // The records are read, and every other batch of them taken apart, on a thread of their own; here the
    // rest are taken apart, and what each row names and is told is settled in the file's order.
    std::vector<RowValues> slots(RecordSlots);
    auto prepare = [&](const CsvRecord& record, std::size_t slot) { TakeApart(row, record, slots[slot]); };
    status = ForEachRecord(csv, prepare, [&](const CsvRecord& record, std::size_t slot) {
        RowValues& values = slots[slot];
        if (fileBytes > 0 && rows <= RowsBeforeRoom) {
            for (const std::string& field : record.fields) rowBytes += field.size() + 1;
            if (rows == RowsBeforeRoom && campaign.timings.size() > before) {
                const double perTiming = static_cast<double>(rowBytes) / static_cast<double>(campaign.timings.size() - before);
                const double timings = static_cast<double>(fileBytes) / perTiming;
                campaign.timings.reserve(campaign.timings.size() + static_cast<std::size_t>(timings));
                // So for the observers and sites, at the rate the first rows name new ones.
                const double perRow = timings / static_cast<double>(campaign.timings.size() - before);
                const auto room = [&](std::size_t named) { return named + static_cast<std::size_t>(static_cast<double>(named) * perRow); };
                Reserve(reader.observerIndex, campaign.observers, room(campaign.observers.size()));
                campaign.observers.reserve(room(campaign.observers.size()));
                campaign.sites.reserve(room(campaign.sites.size()));
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
        if (values.blank) return;
        ++rows;
        if (values.wide && wideRows++ == 0) firstWideLine = record.line;
        // A row read as far as its site is listed with its observer, whatever came after.
        int observer = 0, site = 0;
        if (values.named) {
            observer = ObserverIndex(reader, values.observer.empty() ? values.site : values.observer);
            site = SiteIndex(reader, values.site);
        }
        if (!values.complaint.empty()) {
            Complain(reader, record.line, values.complaint);
            return;
        }
        for (int k = 0; k < values.count; ++k) {
            Timing& timing = values.timings[k];
            timing.observer = observer;
            timing.site = site;
            ToUt(timing);
            campaign.timings.push_back(timing);
        }
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
