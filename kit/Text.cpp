// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Text.h"

namespace kit {

Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    // POSIX order: the first one set and not empty decides. After "de" may come a territory, a codeset or a
    // modifier (de_AT, de.UTF-8, de@euro).
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || value[0] == '\0') continue;
        const bool german = value[0] == 'd' && value[1] == 'e' &&
                            (value[2] == '\0' || value[2] == '_' || value[2] == '.' || value[2] == '@');
        return german ? Language::German : Language::English;
    }
    return Language::English;
}

bool IsUtf8(const std::string& text) {
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned long code = 0, lowest = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            length = 2, code = b & 0x1Fu, lowest = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3, code = b & 0x0Fu, lowest = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4, code = b & 0x07u, lowest = 0x10000;
        } else {
            return false;
        }
        if (i + length > n) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::string WithDecimalComma(std::string text) {
    for (char& c : text) {
        if (c == '.') c = ',';
    }
    return text;
}

}  // namespace kit
