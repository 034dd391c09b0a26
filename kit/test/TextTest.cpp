// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Text.h"

#include <gtest/gtest.h>

using kit::Language;

TEST(LanguageFromLocale, FollowsThePosixOrderAndEveryGermanName) {
    const struct {
        const char *lcAll, *lcMessages, *lang;
        Language language;
    } cases[] = {
        {nullptr, nullptr, "de_DE.UTF-8", Language::German}, {"en_GB.UTF-8", nullptr, "de_DE.UTF-8", Language::English},
        {"", "de_AT", "en_US", Language::German},             {nullptr, nullptr, "de", Language::German},
        {nullptr, nullptr, "de@euro", Language::German},      {nullptr, nullptr, "de_CH.ISO-8859-1", Language::German},
        {nullptr, nullptr, "dexx", Language::English},        {nullptr, nullptr, "C", Language::English},
        {nullptr, nullptr, nullptr, Language::English},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kit::LanguageFromLocale(c.lcAll, c.lcMessages, c.lang), c.language) << (c.lang ? c.lang : "(unset)");
    }
}

TEST(IsUtf8, RefusesWhatIsNotWellFormed) {
    EXPECT_TRUE(kit::IsUtf8("B\xC3\xB6" "chum \xE2\x82\xAC \xF0\x9F\x94\xAD"));
    for (const char* bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF6", "a\x80"}) {
        EXPECT_FALSE(kit::IsUtf8(bad)) << bad;
    }
}

namespace {

// Names as observers write them: German capitals in UTF-8, Japanese, a combining accent, an emoji, and the
// hostile ones: a terminal colour, a line break, a lone lead byte, a right-to-left override.
const std::string Umlauts = "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\x84\xC3\x96\xC3\x9C";  // 10 letters
const std::string Tokyo = "\xE6\x9D\xB1\xE4\xBA\xAC\xE5\xA4\xA9\xE6\x96\x87\xE5\x8F\xB0";  // 5 ideographs
const std::string Etude = "e\xCC\x81tude";  // e, combining acute, "tude"

}  // namespace

TEST(DisplayWidth, CountsColumnsNotBytes) {
    const struct {
        std::string text;
        std::size_t width;
    } cases[] = {
        {"", 0},          {"Greenwich", 9},           {Umlauts, 10},          {Tokyo, 10},
        {Etude, 5},       {"\xF0\x9F\x94\xAD", 2},    {"\x1B[31m", 8},        {"a\xC3", 5},
        {"\xEF\xBC\xA1", 2},  // fullwidth A
    };
    for (const auto& c : cases) EXPECT_EQ(kit::DisplayWidth(c.text), c.width) << c.text;
}

TEST(Escaped, ShowsControlsAndStrayBytesAndKeepsTheRest) {
    const struct {
        std::string text, shown;
    } cases[] = {
        {"\x1B[31mred", "\\x1B[31mred"},    {"two\nlines\r", "two\\nlines\\r"},  {"tab\there", "tab\\there"},
        {"del\x7F", "del\\x7F"},            {"next\xC2\x85line", "next\\u0085line"},
        {"\xE2\x80\xAE" "evil", "\\u202Eevil"}, {"n\xE4me.csv", "n\\xE4me.csv"},    {"a\xC3", "a\\xC3"},
        {"\xC0\xAF", "\\xC0\\xAF"},          {"K\xC3\xB6ln \\ Bonn", "K\xC3\xB6ln \\ Bonn"},
        {Tokyo + Etude, Tokyo + Etude},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kit::Escaped(c.text), c.shown) << c.text;
        EXPECT_EQ(kit::Escaped(c.shown), c.shown) << "escaping twice changes " << c.shown;
    }
}

TEST(EscapedHead, CutsBetweenCharacters) {
    const struct {
        std::string text;
        std::size_t width;
        std::string head;
    } cases[] = {
        {Umlauts + " Sternwarte", 11, Umlauts + " "}, {Tokyo, 5, "\xE6\x9D\xB1\xE4\xBA\xAC"},
        {Etude, 1, "e\xCC\x81"},                      {"ab\x1B[31m", 5, "ab"},
        {"Paris", 40, "Paris"},                       {"Paris", 0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(kit::EscapedHead(c.text, c.width), c.head) << c.text << ' ' << c.width;
}

TEST(EscapedShortened, KeepsHeadAndTailAroundAnEllipsis) {
    const std::string ellipsis = "\xE2\x80\xA6";
    const struct {
        std::string text;
        std::size_t width;
        std::string shown;
    } cases[] = {
        {"Sliven Observatory team A", 25, "Sliven Observatory team A"},
        {"Sliven Observatory team A", 11, "Slive" + ellipsis + "eam A"},
        {"Greenwich Royal Observatory 1", 10, "Green" + ellipsis + "ry 1"},  // the head takes the larger half
        {Tokyo, 6, "\xE6\x9D\xB1" + ellipsis + "\xE5\x8F\xB0"},               // ideographs take two columns each
        {"ab\x1B[31mcd", 9, "ab" + ellipsis + "[31mcd"},  // no half escape: the tail takes its columns
        {"abc", 0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(kit::EscapedShortened(c.text, c.width), c.shown) << c.text << ' ' << c.width;
}

TEST(EscapedShortened, EveryCutIsUtf8WithinItsWidth) {
    for (const std::string& text : {Umlauts + " Sternwarte", Tokyo + "-" + Tokyo, Etude + Etude, std::string("a\x1B\n\xC3z")}) {
        for (std::size_t width = 0; width <= 30; ++width) {
            for (const std::string& cut : {kit::EscapedShortened(text, width), kit::EscapedHead(text, width)}) {
                EXPECT_TRUE(kit::IsUtf8(cut)) << text << ' ' << width;
                EXPECT_LE(kit::DisplayWidth(cut), width) << text << ' ' << width;
            }
        }
    }
}

TEST(Fill, PutsEachStringInItsPlaceAndNoMore) {
    const struct {
        const char* pattern;
        const char* expected;
    } cases[] = {{"Transit of %s, %s", "Transit of Venus, 2004-06-08"}, {"%s%s%s%s%s", "Venus2004-06-08ab%s"},
                 {"100 %", "100 %"}, {"no place", "no place"}, {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(kit::Fill(c.pattern, "Venus", "2004-06-08", "a", "b"), c.expected) << c.pattern;
}
