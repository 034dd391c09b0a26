// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Campaign.h"

#include <algorithm>

#include "Columns.h"
#include "Csv.h"
#include "Fields.h"
#include "NameIndex.h"
#include "Rows.h"
#include "Text.h"

namespace campaign {
namespace {

const char* const ExpectedColumns =
    "expected a header row with the columns site (or observer), latitude, longitude and either contact and "
    "time, or T1 to T4 (or C1 to C4) (German: ort/beobachter, breite, l\xC3\xA4nge, kontakt, zeit); optional: "
    "observer, altitude, sigma, date, time_basis, day, use, note";

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
