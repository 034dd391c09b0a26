// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Csv.h"

#include "ModulDos.h"
#include "Text.h"

#include <algorithm>
#include <array>

namespace campaign {
namespace {

constexpr std::size_t ChunkBytes = 1 << 16;

// Reads more bytes behind what is left; false when nothing more came.
bool Fill(CsvReader& reader) {
    if (reader.eof) return false;
    if (reader.at > 0) {
        reader.buffer.erase(0, reader.at);
        reader.at = 0;
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

// The header line decides the delimiter: count candidates outside quotes in its first line.
char DetectDelimiter(CsvReader& reader) {
    while (reader.buffer.find('\n', reader.at) == std::string::npos &&
           reader.buffer.size() - reader.at < MaxRecordBytes && Fill(reader)) {
    }
    std::size_t end = reader.buffer.find('\n', reader.at);
    if (end == std::string::npos) end = reader.buffer.size();
    std::size_t tabs = 0, semicolons = 0, commas = 0;
    bool quoted = false;
    for (std::size_t i = reader.at; i < end; ++i) {
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
    record.fields.clear();
    record.fields.emplace_back();
    record.line = reader.nextLine;
    record.tooLong = false;
    std::size_t held = 0;
    State state = State::FieldStart;
    int c = Next(reader);
    if (c < 0) return CsvStatus::End;
    for (; c >= 0; c = Next(reader)) {
        if (c == 0) return CsvStatus::NotText;
        if (c == '\n') ++reader.nextLine;
        const bool endsRecord = c == '\n' && state != State::Quoted;
        const bool endsField = c == reader.delimiter && state != State::Quoted;
        if (endsRecord) {
            std::string& last = record.fields.back();
            if (!last.empty() && last.back() == '\r') last.pop_back();
            break;
        }
        if (record.tooLong) {
            // Only the quoting is followed, so that the record's end is found where a reader would see it.
            if (c == '"') state = state == State::Quoted ? State::QuoteInQuoted : State::Quoted;
            else if (state == State::QuoteInQuoted) state = State::Unquoted;
            continue;
        }
        if (++held > MaxRecordBytes) {
            record.tooLong = true;
            record.fields.clear();
            record.fields.emplace_back();
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
                } else {
                    record.fields.back() += byte;
                    state = State::Unquoted;
                }
                break;
            case State::Unquoted:
                record.fields.back() += byte;
                break;
            case State::Quoted:
                if (c == '"') state = State::QuoteInQuoted;
                else record.fields.back() += byte;
                break;
            case State::QuoteInQuoted:
                // "" is a quote inside quotes; anything else after a closing quote is kept as written.
                record.fields.back() += byte;
                state = c == '"' ? State::Quoted : State::Unquoted;
                break;
        }
    }
    if (record.tooLong) {
        record.fields.clear();
        return CsvStatus::Record;
    }
    bool utf8 = true;
    for (const std::string& field : record.fields) utf8 = utf8 && kit::IsUtf8(field);
    if (!utf8) {
        for (std::string& field : record.fields) field = Cp1252ToUtf8(field);
    }
    return CsvStatus::Record;
}

}  // namespace campaign
