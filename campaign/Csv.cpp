// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Csv.h"

#include "ModulDos.h"
#include "Text.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace campaign {
namespace {

constexpr std::size_t ChunkBytes = 1 << 16;

// Reads more bytes behind what is left; false when nothing more came. The record being read stays in the
// buffer while it is held, so that it can be read again.
bool Fill(CsvReader& reader) {
    if (reader.eof) return false;
    const std::size_t done = std::min(reader.at, reader.mark);
    if (done > 0) {
        reader.buffer.erase(0, done);
        reader.at -= done;
        if (reader.mark != std::string::npos) reader.mark -= done;
    }
    std::array<char, ChunkBytes> chunk{};
    reader.in->read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const auto got = static_cast<std::size_t>(reader.in->gcount());
    if (got == 0) {
        reader.eof = true;
        return false;
    }
    reader.buffer.append(chunk.data(), got);
    return true;
}

// Next byte, or -1 at the end of the input.
int Next(CsvReader& reader) {
    if (reader.at == reader.buffer.size() && !Fill(reader)) return -1;
    return static_cast<unsigned char>(reader.buffer[reader.at++]);
}

// The byte Next would give, left in place.
int Peek(CsvReader& reader) {
    if (reader.at == reader.buffer.size() && !Fill(reader)) return -1;
    return static_cast<unsigned char>(reader.buffer[reader.at]);
}

// The header line decides the delimiter: count candidates outside quotes in its first line. Blank lines
// before it are passed over, as the rows read from them are.
char DetectDelimiter(CsvReader& reader) {
    std::size_t skipped = 0, end = 0;  // skipped counts from reader.at, which a Fill may move
    for (;;) {
        while (reader.buffer.find_first_of("\r\n", reader.at + skipped) == std::string::npos &&
               reader.buffer.size() - reader.at < MaxRecordBytes && Fill(reader)) {
        }
        end = reader.buffer.find_first_of("\r\n", reader.at + skipped);
        if (end == std::string::npos) end = reader.buffer.size();
        const std::size_t text = reader.buffer.find_first_not_of(" \t", reader.at + skipped);
        if ((text != std::string::npos && text < end) || end == reader.buffer.size()) break;
        skipped = end + 1 - reader.at;
    }
    std::size_t tabs = 0, semicolons = 0, commas = 0;
    bool quoted = false;
    for (std::size_t i = reader.at + skipped; i < end; ++i) {
        const char c = reader.buffer[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        tabs += c == '\t';
        semicolons += c == ';';
        commas += c == ',';
    }
    if (tabs >= semicolons && tabs >= commas && tabs > 0) return '\t';
    if (semicolons >= commas && semicolons > 0) return ';';
    return ',';
}

enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };

// What one pass over a record found besides its fields.
struct Scan {
    CsvStatus status = CsvStatus::Record;
    bool unclosed = false;     // the input ended inside quotes after a line break
    bool rowsInQuotes = false; // a quoted field held a line that reads as a row of its own
};

// A line inside quotes with as many delimiters as a row has reads as a row: the quote that opened the
// field was a stray one. A note over several lines has far fewer.
bool ReadsAsRow(const CsvReader& reader, std::size_t delimiters) {
    return reader.headerFields >= 3 && delimiters + 1 >= reader.headerFields;
}

// Reads one record; with oneLine, a line end ends it even inside quotes.
Scan ScanRecord(CsvReader& reader, CsvRecord& record, bool oneLine) {
    Scan scan;
    record.fields.assign(1, std::string());
    record.line = reader.nextLine;
    record.lastLine = reader.nextLine;
    record.tooLong = false;
    std::size_t held = 0, quotedLines = 0, segmentDelimiters = 0;
    State state = State::FieldStart;
    int c = Next(reader);
    if (c < 0) {
        scan.status = CsvStatus::End;
        return scan;
    }
    for (; c >= 0; c = Next(reader)) {
        if (c == 0) {
            scan.status = CsvStatus::NotText;
            return scan;
        }
        record.lastLine = reader.nextLine;
        const bool lineEnd = c == '\n' || c == '\r';
        if (lineEnd) {
            // CR LF, LF and a lone CR each end one line.
            if (c == '\r' && Peek(reader) == '\n') Next(reader);
            ++reader.nextLine;
            c = '\n';
        }
        const bool quoted = state == State::Quoted && !(oneLine && lineEnd);
        if (lineEnd && !quoted) break;
        if (quoted && !record.tooLong) {
            if (lineEnd) {
                if (quotedLines > 0 && ReadsAsRow(reader, segmentDelimiters)) scan.rowsInQuotes = true;
                ++quotedLines;
                segmentDelimiters = 0;
            } else if (c == reader.delimiter) {
                ++segmentDelimiters;
            }
        }
        const bool endsField = c == reader.delimiter && !quoted;
        if (record.tooLong) {
            // Only the quoting is followed, so that the record's end is found where a reader would see it.
            if (c == '"') state = state == State::Quoted ? State::QuoteInQuoted : State::Quoted;
            else if (state == State::QuoteInQuoted) state = State::Unquoted;
            continue;
        }
        if (++held > MaxRecordBytes) {
            record.tooLong = true;
            record.fields.assign(1, std::string());
            reader.mark = std::string::npos;
            if (c == '"') state = state == State::Quoted ? State::QuoteInQuoted : State::Quoted;
            continue;
        }
        if (endsField) {
            record.fields.emplace_back();
            state = State::FieldStart;
            continue;
        }
        const char byte = static_cast<char>(c);
        switch (state) {
            case State::FieldStart:
                if (c == '"') {
                    state = State::Quoted;
                    quotedLines = 0;
                    segmentDelimiters = 0;
                } else {
                    record.fields.back() += byte;
                    state = State::Unquoted;
                }
                break;
            case State::Unquoted:
                record.fields.back() += byte;
                break;
            case State::Quoted:
                if (c == '"') {
                    state = State::QuoteInQuoted;
                    if (quotedLines > 0 && ReadsAsRow(reader, segmentDelimiters)) scan.rowsInQuotes = true;
                } else {
                    record.fields.back() += byte;
                }
                break;
            case State::QuoteInQuoted:
                // "" is a quote inside quotes; anything else after a closing quote is kept as written.
                record.fields.back() += byte;
                state = c == '"' ? State::Quoted : State::Unquoted;
                break;
        }
        // The rest of an unquoted field in one piece: only a delimiter, a line end or a NUL stops it there, and
        // each of its bytes would be kept as it is, one at a time.
        if (state == State::Unquoted) {
            const std::size_t from = reader.at, limit = std::min(reader.buffer.size(), from + (MaxRecordBytes - held));
            std::size_t to = from;
            while (to < limit) {
                const char b = reader.buffer[to];
                if (b == reader.delimiter || b == '\n' || b == '\r' || b == '\0') break;
                ++to;
            }
            record.fields.back().append(reader.buffer, from, to - from);
            held += to - from;
            reader.at = to;
        }
    }
    scan.unclosed = state == State::Quoted && quotedLines > 0 && !record.tooLong;
    return scan;
}

// A byte order mark inside the file (files joined with cat) is no part of a name.
void DropByteOrderMarks(CsvRecord& record) {
    for (std::string& field : record.fields) {
        if (field.compare(0, 3, "\xEF\xBB\xBF") == 0) field.erase(0, 3);
    }
}

}  // namespace

CsvReader OpenCsv(std::istream& in) {
    CsvReader reader;
    reader.in = &in;
    return reader;
}

CsvStatus ReadRecord(CsvReader& reader, CsvRecord& record) {
    if (reader.atStart) {
        reader.atStart = false;
        // A UTF-8 byte order mark, as spreadsheets write it, is not part of the first column's name.
        while (reader.buffer.size() < 3 && Fill(reader)) {
        }
        if (reader.buffer.compare(0, 3, "\xEF\xBB\xBF") == 0) reader.at = 3;
        // As other tools judge it: a NUL in the first block makes a file binary, whatever its first line says.
        if (reader.buffer.find('\0') != std::string::npos) return CsvStatus::NotText;
        reader.delimiter = DetectDelimiter(reader);
    }
    record.rereadFrom = record.rereadTo = 0;
    reader.mark = reader.at;
    const long first = reader.nextLine;
    Scan scan = ScanRecord(reader, record, false);
    if (scan.status == CsvStatus::Record && (scan.unclosed || scan.rowsInQuotes) && reader.mark != std::string::npos) {
        // The quote was a stray one: the record is its own line, and the lines it swallowed are rows again.
        const long last = record.lastLine;
        reader.at = reader.mark;
        reader.nextLine = first;
        scan = ScanRecord(reader, record, true);
        record.rereadFrom = first + 1;
        record.rereadTo = last;
    }
    reader.mark = std::string::npos;
    if (scan.status != CsvStatus::Record) return scan.status;
    if (record.tooLong) {
        record.fields.clear();
        return CsvStatus::Record;
    }
    DropByteOrderMarks(record);
    bool utf8 = true;
    for (const std::string& field : record.fields) utf8 = utf8 && kit::IsUtf8(field);
    if (!utf8) {
        for (std::string& field : record.fields) field = Cp1252ToUtf8(field);
    }
    if (reader.headerFields == 0 && record.fields.size() > 1) reader.headerFields = record.fields.size();
    return CsvStatus::Record;
}

namespace {

// Batches filled by the reading thread and emptied by the calling one, in turn: while one is taken, the next
// is read. A batch whose count is below RecordsPerBatch is the last, ended by status.
struct Batch {
    std::vector<CsvRecord> records = std::vector<CsvRecord>(RecordsPerBatch);
    std::size_t count = 0;
    CsvStatus status = CsvStatus::Record;
    bool full = false;  // filled and not yet taken
};

struct Handover {
    Batch batches[2];
    std::mutex lock;
    std::condition_variable changed;
    bool stop = false;                // the calling thread gives up (an exception of its own)
    std::exception_ptr failure;       // the reading thread's
};

// The reading thread: fills the batches in turn until the records end or the calling thread stops, and
// prepares the records of the second (batches enough that the two threads seldom wait for each other, few
// enough that those in flight hold little memory).
void ReadBatches(CsvReader& reader, Handover& h, const std::function<void(const CsvRecord&, std::size_t)>& prepare) {
    try {
        for (std::size_t next = 0;; next ^= 1) {
            Batch& batch = h.batches[next];
            {
                std::unique_lock held(h.lock);
                h.changed.wait(held, [&] { return !batch.full || h.stop; });
                if (h.stop) return;
            }
            batch.count = 0;
            batch.status = CsvStatus::Record;
            while (batch.count < RecordsPerBatch && (batch.status = ReadRecord(reader, batch.records[batch.count])) == CsvStatus::Record) {
                ++batch.count;
            }
            for (std::size_t k = 0; next == 1 && k < batch.count; ++k) prepare(batch.records[k], RecordsPerBatch + k);
            const bool last = batch.status != CsvStatus::Record;
            {
                const std::scoped_lock held(h.lock);
                batch.full = true;
            }
            h.changed.notify_all();
            if (last) return;
        }
    } catch (...) {
        const std::scoped_lock held(h.lock);
        h.failure = std::current_exception();
        h.batches[0].full = h.batches[1].full = true;
        h.changed.notify_all();
    }
}

}  // namespace

CsvStatus ForEachRecord(CsvReader& reader, const std::function<void(const CsvRecord&, std::size_t)>& prepare,
                        const std::function<void(const CsvRecord&, std::size_t)>& take) {
    Handover h;
    std::thread thread;
    // The library reports a thread it cannot start by throwing: the records are then read here, one by one.
    try {
        thread = std::thread(ReadBatches, std::ref(reader), std::ref(h), std::cref(prepare));
    } catch (const std::system_error&) {
        CsvRecord record;
        CsvStatus status = CsvStatus::Record;
        while ((status = ReadRecord(reader, record)) == CsvStatus::Record) {
            prepare(record, 0);
            take(record, 0);
        }
        return status;
    }
    // Whatever ends the taking, the reading thread is told to stop and is waited for.
    struct Joined {
        Handover& h;
        std::thread& thread;
        ~Joined() {
            {
                const std::scoped_lock held(h.lock);
                h.stop = true;
            }
            h.changed.notify_all();
            thread.join();
        }
    } joined{h, thread};
    for (std::size_t next = 0;; next ^= 1) {
        Batch& batch = h.batches[next];
        {
            std::unique_lock held(h.lock);
            h.changed.wait(held, [&] { return batch.full; });
            if (h.failure) std::rethrow_exception(h.failure);
        }
        for (std::size_t k = 0; k < batch.count; ++k) {
            if (next == 0) prepare(batch.records[k], k);
            take(batch.records[k], next * RecordsPerBatch + k);
        }
        const CsvStatus status = batch.status;
        {
            const std::scoped_lock held(h.lock);
            batch.full = false;
        }
        h.changed.notify_all();
        if (status != CsvStatus::Record) return status;
    }
}

}  // namespace campaign
