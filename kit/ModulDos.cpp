// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "ModulDos.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <limits>
#include <string_view>
#include <utility>

namespace {

// Unicode code points of Windows-1252 bytes 0x80..0x9F; 0 where the code page leaves a byte undefined.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& text, char32_t codePoint) {
    if (codePoint < 0x80) {
        text += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        text += static_cast<char>(0xC0 | (codePoint >> 6));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (codePoint >> 12));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}


// The DOS code page byte of every Windows-1252 byte: the seven German letters move, all else stays.
constexpr std::array<unsigned char, 256> OemBytes = [] {
    std::array<unsigned char, 256> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i);
    bytes[0xC4] = 0x8E;  // A umlaut
    bytes[0xD6] = 0x99;  // O umlaut
    bytes[0xDC] = 0x9A;  // U umlaut
    bytes[0xDF] = 0xE1;  // sharp s
    bytes[0xE4] = 0x84;  // a umlaut
    bytes[0xF6] = 0x94;  // o umlaut
    bytes[0xFC] = 0x81;  // u umlaut
    return bytes;
}();

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Reads one line without its line end, holding at most MaxAnswerBytes of it: the rest of a longer line is read
// and dropped, and cut says so. A carriage return before the line end belongs to the line end, so answers
// typed into Windows files read as typed; a last line without a line end still counts, and keeps its bytes.
bool ReadLine(std::istream& in, std::string& line, bool& cut) {
    line.clear();
    cut = false;
    // One byte beyond the bound is held, so that a line of MaxAnswerBytes and its CR is not taken for a longer one.
    constexpr std::size_t Held = MaxAnswerBytes + 1;
    std::array<char, 4096> chunk;
    bool extracted = false;
    bool ended = false;  // the line end was read
    bool dropped = false;
    for (;;) {
        in.getline(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto count = static_cast<std::size_t>(in.gcount());
        extracted = extracted || count > 0;
        if (in.fail() && count == 0) break;  // nothing left before the end of input
        const bool full = in.fail();         // the chunk filled up before a line end
        const std::size_t stored = full || in.eof() ? count : count - 1;
        const std::size_t room = Held - line.size();
        dropped = dropped || stored > room;
        line.append(chunk.data(), std::min(stored, room));
        if (!full) {
            ended = !in.eof();
            break;
        }
        in.clear(in.rdstate() & ~std::ios::failbit);
        if (line.size() == Held) {
            // Nothing more is held: skip to the line end at the stream's own pace, however far it is.
            in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
            ended = !in.eof();
            dropped = dropped || static_cast<std::size_t>(in.gcount()) > (ended ? 1U : 0U);
            break;
        }
    }
    if (!extracted) return false;
    if (ended && !dropped && !line.empty() && line.back() == '\r') line.pop_back();
    if (dropped || line.size() > MaxAnswerBytes) {
        line.resize(MaxAnswerBytes);
        cut = true;
    }
    return true;
}

}  // namespace

unsigned char ToOemChar(unsigned char c) { return OemBytes[c]; }

std::string ToOemText(const std::string& text) {
    std::string oem = text;
    for (char& c : oem) {
        c = static_cast<char>(ToOemChar(static_cast<unsigned char>(c)));
    }
    return oem;
}

std::string Cp1252ToUtf8(const std::string& text) {
    std::string utf8;
    utf8.reserve(text.size() + 8);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 || byte >= 0xA0) {
            AppendUtf8(utf8, byte);  // ASCII and Latin-1: the byte is the code point
        } else if (Cp1252High[byte - 0x80] != 0) {
            AppendUtf8(utf8, Cp1252High[byte - 0x80]);
        } else {
            AppendUtf8(utf8, 0xFFFD);
        }
    }
    return utf8;
}

std::string ToConsoleText(Charset charset, const std::string& text) {
    return charset == Charset::Utf8 ? Cp1252ToUtf8(text) : ToOemText(text);
}

Charset WindowsCharset(bool outputIsConsole, unsigned codePage) {
    constexpr unsigned Utf8CodePage = 65001;
    return outputIsConsole && codePage == Utf8CodePage ? Charset::Utf8 : Charset::DosCodePage;
}

Charset LocaleNameCharset(const char* lcAll, const char* lcCtype, const char* lang) {
    // The order in which the C library itself looks for the name of LC_CTYPE.
    const char* name = nullptr;
    for (const char* candidate : {lcAll, lcCtype, lang}) {
        if (candidate != nullptr && *candidate != '\0') {
            name = candidate;
            break;
        }
    }
    if (name == nullptr) return Charset::DosCodePage;
    // language[_territory][.codeset][@modifier]
    const std::string_view full(name);
    const auto dot = full.find('.');
    if (dot == std::string_view::npos) return Charset::DosCodePage;
    std::string_view codeset = full.substr(dot + 1);
    codeset = codeset.substr(0, codeset.find('@'));
    std::string lower(codeset);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');  // ASCII only, whatever the locale
    }
    return lower == "utf-8" || lower == "utf8" ? Charset::Utf8 : Charset::DosCodePage;
}

void WriteText(Console& io, const std::string& text) {
    if (IsAscii(text)) {
        io.out << text;  // the same in every charset: no converted copy
    } else {
        io.out << ToConsoleText(io.charset, text);
    }
}

void RingBell(Console& io) {
    io.out.put('\a');
    io.out.flush();
}

Reply AskReply(Console& io, const std::string& prompt, std::string& answer) {
    WriteText(io, prompt);
    if (!answer.empty()) io.out << " (" << answer << ") ";
    io.out.flush();
    std::string line;
    bool cut = false;
    // A console that takes no more output would otherwise be asked for ever without anyone seeing it.
    if (!io.out || !ReadLine(io.in, line, cut)) {
        io.out << '\n';
        io.out.flush();
        return Reply::Ended;
    }
    if (line.empty()) return Reply::Empty;
    answer = std::move(line);
    return cut ? Reply::Cut : Reply::Taken;
}

bool AskText(Console& io, const std::string& prompt, std::string& answer) {
    return AskReply(io, prompt, answer) != Reply::Ended;
}

bool AskChar(Console& io, const std::string& prompt, char& letter) {
    std::string answer(1, letter);
    if (!AskText(io, prompt, answer)) {
        return false;
    }
    letter = answer.back();
    return true;
}
