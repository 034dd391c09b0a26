// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Rows.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "Ephemeris.h"

namespace campaign {
namespace {

// An uncertainty beyond a day cannot belong to a clock time.
constexpr double MaxSigmaS = DaySeconds;

// A time written to the minute ("11:23") is known to half a minute either way.
constexpr double MinuteSigmaS = 30.0;

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

// A coordinate's name, the letters of its hemispheres and its largest size in degrees.
struct Coordinate {
    const char* name;
    const char* hemispheres;
    double limit;
    const char* range;
};
constexpr Coordinate Latitudes{"latitude", "NS", 90.0, "-90..90"}, Longitudes{"longitude", "EW", 180.0, "-180..180"};

// A latitude or longitude cell in degrees; false, with the complaint, when it is none or out of range.
bool ReadCoordinate(const std::string& text, const Coordinate& coordinate, fields::NumberStyle style, double& degrees,
                    std::string& complaint) {
    std::string why;
    if (!fields::ParseAngle(text, coordinate.hemispheres, style, degrees, why)) {
        complaint = std::string(coordinate.name) + " " + Quoted(text) + " " + why;
        return false;
    }
    if (std::fabs(degrees) > coordinate.limit) {
        complaint = std::string(coordinate.name) + " " + Quoted(text) + " is outside " + coordinate.range;
        return false;
    }
    return true;
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
    if (!ReadCoordinate(Field(record.fields, layout.at[Latitude]), Latitudes, style, timing.latitudeDegrees, values.complaint) ||
        !ReadCoordinate(Field(record.fields, layout.at[Longitude]), Longitudes, style, timing.longitudeDegrees, values.complaint)) {
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
    std::string why;
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

}  // namespace

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

}  // namespace campaign
