// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

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

// Number text as German writes it: every full stop a decimal comma.
std::string WithDecimalComma(std::string text);

}  // namespace kit
