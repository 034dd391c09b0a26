// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstddef>
#include <functional>
#include <istream>
#include <string>
#include <vector>

namespace campaign {

// The longest record held: longer ones are consumed to their end and reported, never held whole.
inline constexpr std::size_t MaxRecordBytes = 1 << 20;

// One record of a delimited text file, fields in UTF-8 (Windows-1252 records converted).
struct CsvRecord {
    std::vector<std::string> fields;
    long line = 0;           // physical line on which the record starts, from 1
    bool tooLong = false;    // longer than MaxRecordBytes: fields are empty
    // A quote opened on this record's line was not closed, or closed only after lines that read as rows of
    // their own: the record ends at its line's end (the quoted field holds the rest of that line) and lines
    // rereadFrom..rereadTo are read again as rows. 0 when not so.
    long rereadFrom = 0, rereadTo = 0;
    long lastLine = 0;       // a long record's last line
};

enum class CsvStatus { Record, End, NotText };

// Reads delimited text record by record, the dialect found from the header line.
struct CsvReader {
    std::istream* in = nullptr;
    char delimiter = 0;      // ',', ';' or '\t'; 0 until the header line has been read
    long nextLine = 1;
    bool atStart = true;     // a UTF-8 byte order mark is skipped here
    std::size_t headerFields = 0;  // fields of the first record
    std::string buffer;      // bytes read ahead
    std::size_t at = 0;
    std::size_t mark = std::string::npos;  // where the record being read started in buffer, while it is held
    bool eof = false;
};

// Starts reading a stream.
CsvReader OpenCsv(std::istream& in);

// Next record: its fields split at the delimiter outside double quotes ("" inside quotes is one quote),
// CR LF, LF or a lone CR ending it outside quotes; a byte order mark at a field's start is dropped. A quoted
// field may hold line breaks, but not lines that read as rows (see CsvRecord::rereadFrom). The first call picks the delimiter from that record: the most
// frequent of tab, ';' and ',' outside quotes (ties in that order). NotText on a NUL byte.
CsvStatus ReadRecord(CsvReader& reader, CsvRecord& record);

// Records handed over at a time by ForEachRecord, and the slots it names for what is worked out of them.
inline constexpr std::size_t RecordsPerBatch = 2048;
inline constexpr std::size_t RecordSlots = 2 * RecordsPerBatch;

// Reads the records left with ReadRecord, on a thread of its own where one can be started, and hands each in
// file order to take(record, slot) on the calling thread while the next are read; the status that ended them
// (End or NotText, reader.nextLine then where). Before a record is taken, prepare(record, slot) works out
// from it alone what take needs, kept in the caller's slot (0..RecordSlots-1) until take has it: for every
// other batch of records on the reading thread, so prepare must touch nothing but the record and its slot.
// Out of memory on the reading thread comes out on the calling one.
CsvStatus ForEachRecord(CsvReader& reader, const std::function<void(const CsvRecord&, std::size_t)>& prepare,
                        const std::function<void(const CsvRecord&, std::size_t)>& take);

}  // namespace campaign
