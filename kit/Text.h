// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstddef>
#include <string>

// The text unit of the command-line programs (transitfit, transits): they write UTF-8 and speak English or
// German. The dialogues' DOS console stays in ModulDos.
namespace kit {

enum class Language { English, German };

// German when the first of lcAll, lcMessages, lang that is set and not empty names a German locale ("de",
// "de_DE", "de_AT.UTF-8", "de@euro"); English otherwise.
Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang);

// True when text is well-formed UTF-8 (no overlong forms, surrogates or code points above U+10FFFF).
bool IsUtf8(const std::string& text);

// Columns the text takes on a terminal once Escaped: a character 1, an East Asian wide or fullwidth one 2,
// a combining mark or zero-width character 0, an escape its length. Widths come from a short table of
// ranges (the scripts observers' names are written in), not the whole of Unicode.
std::size_t DisplayWidth(const std::string& text);

// text safe to show on a terminal or in a line-based report: control characters as \n, \r, \t or \x1B
// (C0 and DEL), \u0085 (C1) and \u202E (the bidirectional overrides and isolates, which reorder what follows),
// and each byte that is not UTF-8 as \xE4. Everything else, the backslash included, is kept as it is.
std::string Escaped(const std::string& text);

// The longest head of Escaped(text) that fits in width columns; it ends between characters, never inside a
// UTF-8 sequence or an escape, and keeps a character's combining marks with it.
std::string EscapedHead(const std::string& text, std::size_t width);

// Escaped(text) when it fits in width columns; otherwise its head and its tail around "\u2026" (an
// ellipsis), together width columns at most, cut as EscapedHead cuts. The tail is kept because names of one
// group often differ only at their end ("team A", "team B").
std::string EscapedShortened(const std::string& text, std::size_t width);

// Number text as German writes it: every full stop a decimal comma.
std::string WithDecimalComma(std::string text);

// pattern with each %s replaced by the next of up to four strings (a %s beyond them stays as it is).
std::string Fill(const std::string& pattern, const std::string& a = "", const std::string& b = "", const std::string& c = "",
                 const std::string& d = "");

}  // namespace kit
