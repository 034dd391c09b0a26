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
