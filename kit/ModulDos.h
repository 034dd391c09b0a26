// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once
#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

// How the console shows the program's own letters beyond ASCII.
enum class Charset { DosCodePage, Utf8 };

// The console a dialogue talks to: answers come from in, prompts go to out.
struct Console {
    std::istream& in;
    std::ostream& out;
    Charset charset;
};

// Windows-1252 byte to the DOS code page byte of the console (the seven German letters; every other byte maps to itself).
unsigned char ToOemChar(unsigned char c);
// A new text of the same length with ToOemChar applied to every byte.
std::string ToOemText(const std::string& text);
// Windows-1252 text as UTF-8; the five bytes the code page leaves undefined become U+FFFD.
std::string Cp1252ToUtf8(const std::string& text);
// Windows-1252 text as the console shows it: ToOemText on a DOS code page console, UTF-8 on a UTF-8 one.
std::string ToConsoleText(Charset charset, const std::string& text);
// The charset of the console standard output goes to. On POSIX systems the one the environment's locale
// (LC_ALL, LC_CTYPE, LANG) names, leaving the process locale as it was, or LocaleNameCharset when that locale
// is not installed; on Windows UTF-8 for a console set to code page 65001, and the DOS code page for any
// other console, a pipe or a file.
Charset DetectCharset();
// The Windows decision: UTF-8 only when standard output is a console whose output code page is 65001.
Charset WindowsCharset(bool outputIsConsole, unsigned codePage);
// The charset a locale's name carries, for when the locale itself cannot be set (a name that was never
// generated): UTF-8 when the codeset after the '.' is UTF-8 or utf8 in any case, the DOS code page otherwise.
// The name is the first of lcAll, lcCtype, lang that is set (not null) and not empty.
Charset LocaleNameCharset(const char* lcAll, const char* lcCtype, const char* lang);

// Writes text converted for the console; no flush.
void WriteText(Console& io, const std::string& text);
// Writes the bell byte 0x07 and flushes.
void RingBell(Console& io);

// The most of one answer line that is held: no real answer comes near it, and a line without an end (a binary
// file piped in by mistake) must not take all memory. A longer line is read to its end and only this much kept.
inline constexpr std::size_t MaxAnswerBytes = 64 * 1024;

// What became of the line a prompt read: end of input, Enter alone (the remembered answer stays), a new answer,
// or a new answer that is the first MaxAnswerBytes of a longer line.
enum class Reply { Ended, Empty, Taken, Cut };

// Shows prompt and the remembered answer in brackets, reads a line and keeps it (at most MaxAnswerBytes of it)
// if it is not empty. At end of input, or once the console can no longer be written, writes a line end: Ended.
Reply AskReply(Console& io, const std::string& prompt, std::string& answer);
// AskReply for prompts that take any text: false when it ends.
bool AskText(Console& io, const std::string& prompt, std::string& answer);
// A one-letter prompt: the letter is shown as the remembered answer; the new letter is the last byte of the answer.
// False at end of input, as AskText.
bool AskChar(Console& io, const std::string& prompt, char& letter);
