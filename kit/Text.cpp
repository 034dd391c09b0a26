// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Text.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

namespace kit {
namespace {

constexpr char32_t NotUtf8 = 0xFFFFFFFF;

// The character at text[i]: its code point and its length in bytes; NotUtf8 and 1 for a byte that does not
// begin a well-formed sequence (overlong forms, surrogates and code points above U+10FFFF included).
std::size_t NextCharacter(const std::string& text, std::size_t i, char32_t& code) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t lowest = 0;
    if (b < 0x80) {
        code = b;
        return 1;
    } else if ((b & 0xE0) == 0xC0) {
        length = 2, code = b & 0x1Fu, lowest = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3, code = b & 0x0Fu, lowest = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4, code = b & 0x07u, lowest = 0x10000;
    } else {
        code = NotUtf8;
        return 1;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
        if ((next & 0xC0) != 0x80) {
            code = NotUtf8;
            return 1;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        code = NotUtf8;
        return 1;
    }
    return length;
}

struct Range {
    char32_t first, last;
};

// Combining marks and zero-width characters: they take no column of their own. The combining blocks of the
// Latin, Greek, Cyrillic, Hebrew, Arabic and Indic scripts, the joiners and marks of U+200B..U+200F, the
// variation selectors and the byte order mark.
constexpr Range ZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF}, {0x05C1, 0x05C2}, {0x05C4, 0x05C5},
    {0x05C7, 0x05C7}, {0x0610, 0x061A}, {0x064B, 0x065F}, {0x0670, 0x0670}, {0x06D6, 0x06DC}, {0x06DF, 0x06E4},
    {0x0900, 0x0902}, {0x093A, 0x093A}, {0x093C, 0x093C}, {0x0941, 0x0948}, {0x094D, 0x094D}, {0x0951, 0x0957},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x2060, 0x2064}, {0x20D0, 0x20FF}, {0x302A, 0x302D}, {0x3099, 0x309A}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F},
    {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
};

// East Asian wide and fullwidth characters: Hangul jamo, CJK punctuation, kana and ideographs, Hangul
// syllables, fullwidth forms, the emoji and pictographs, the supplementary ideographic planes.
constexpr Range Wide[] = {
    {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xA000, 0xA4CF},
    {0xA960, 0xA97F}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFE30, 0xFE4F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6},
    {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

bool InRanges(char32_t code, const Range* begin, const Range* end) {
    for (const Range* r = begin; r != end; ++r) {
        if (code >= r->first && code <= r->last) return true;
    }
    return false;
}

// A character as shown: itself or its escape, and its columns. Combining marks ride on the character before
// them, so that no cut parts them.
struct Piece {
    std::string shown;
    std::size_t width = 0;
};

std::string EscapeOf(char32_t code, unsigned char byte) {
    char buffer[16];
    if (code == '\n') return "\\n";
    if (code == '\r') return "\\r";
    if (code == '\t') return "\\t";
    if (code == NotUtf8 || code < 0x20 || code == 0x7F) {
        std::snprintf(buffer, sizeof buffer, "\\x%02X", code == NotUtf8 ? unsigned{byte} : static_cast<unsigned>(code));
    } else {
        std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(code));
    }
    return buffer;
}

bool MustEscape(char32_t code) {
    return code == NotUtf8 || code < 0x20 || (code >= 0x7F && code <= 0x9F) || (code >= 0x202A && code <= 0x202E) ||
           (code >= 0x2066 && code <= 0x2069);
}

std::vector<Piece> Pieces(const std::string& text) {
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        const std::size_t length = NextCharacter(text, i, code);
        if (MustEscape(code)) {
            const std::string escape = EscapeOf(code, static_cast<unsigned char>(text[i]));
            pieces.push_back({escape, escape.size()});
        } else if (InRanges(code, std::begin(ZeroWidth), std::end(ZeroWidth)) && !pieces.empty()) {
            pieces.back().shown.append(text, i, length);
        } else {
            const bool zero = InRanges(code, std::begin(ZeroWidth), std::end(ZeroWidth));
            const bool wide = InRanges(code, std::begin(Wide), std::end(Wide));
            pieces.push_back({text.substr(i, length), zero ? 0u : wide ? 2u : 1u});
        }
        i += length;
    }
    return pieces;
}

// How many pieces from the first fit in width columns; width is left with the columns not taken.
std::size_t Fitting(const std::vector<Piece>& pieces, std::size_t& width) {
    std::size_t k = 0;
    for (; k < pieces.size() && pieces[k].width <= width; ++k) width -= pieces[k].width;
    return k;
}

std::string Joined(const std::vector<Piece>& pieces, std::size_t first, std::size_t last) {
    std::string text;
    for (std::size_t k = first; k < last; ++k) text += pieces[k].shown;
    return text;
}

// Printable ASCII, nearly every name: a column per byte and nothing to escape, so that the tables of a
// million timings need not take each name apart character by character.
bool PlainAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

}  // namespace

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
    for (std::size_t i = 0; i < text.size();) {
        // ASCII first: the reader asks this of every field of a million rows.
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t code = 0;
        i += NextCharacter(text, i, code);
        if (code == NotUtf8) return false;
    }
    return true;
}

std::size_t DisplayWidth(const std::string& text) {
    if (PlainAscii(text)) return text.size();
    std::size_t width = 0;
    for (const Piece& piece : Pieces(text)) width += piece.width;
    return width;
}

std::string Escaped(const std::string& text) {
    if (PlainAscii(text)) return text;
    const std::vector<Piece> pieces = Pieces(text);
    return Joined(pieces, 0, pieces.size());
}

std::string EscapedHead(const std::string& text, std::size_t width) {
    if (PlainAscii(text)) return text.substr(0, width);
    const std::vector<Piece> pieces = Pieces(text);
    return Joined(pieces, 0, Fitting(pieces, width));
}

std::string EscapedShortened(const std::string& text, std::size_t width) {
    if (PlainAscii(text) && text.size() <= width) return text;
    const std::vector<Piece> pieces = Pieces(text);
    std::size_t total = 0;
    for (const Piece& piece : pieces) total += piece.width;
    if (total <= width) return Joined(pieces, 0, pieces.size());
    if (width == 0) return {};
    // The head takes the larger half of the columns beside the ellipsis; the tail the rest, with what the
    // head could not use.
    const std::size_t beside = width - 1;
    std::size_t left = (beside + 1) / 2;
    const std::size_t headEnd = Fitting(pieces, left);
    left += beside / 2;
    std::size_t tailStart = pieces.size();
    while (tailStart > headEnd && pieces[tailStart - 1].width <= left) left -= pieces[--tailStart].width;
    return Joined(pieces, 0, headEnd) + "\xE2\x80\xA6" + Joined(pieces, tailStart, pieces.size());
}

std::string WithDecimalComma(std::string text) {
    for (char& c : text) {
        if (c == '.') c = ',';
    }
    return text;
}

std::string Fill(const std::string& pattern, const std::string& a, const std::string& b, const std::string& c,
                 const std::string& d) {
    std::string out;
    const std::string* args[4] = {&a, &b, &c, &d};
    int next = 0;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (pattern[k] == '%' && k + 1 < pattern.size() && pattern[k + 1] == 's' && next < 4) {
            out += *args[next++];
            ++k;
        } else {
            out += pattern[k];
        }
    }
    return out;
}

}  // namespace kit
