// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Dialogue.h"

#include <gtest/gtest.h>

#include "Exchange.h"

#include <cmath>

#include "Reduction.h"

namespace {

// A reduction that shows what the frame handed it: contact number times the time difference, in km.
double EchoAu(const std::vector<ContactEntry>& contacts, const SiteEntry& site1, const SiteEntry& site2) {
    return contacts[0].contact * (site2.time - site1.time) * 1e6;
}

const Method Probe{
    {{ContactPrompt, "Kontakt ? ", "contact ? "}, {TimePrompt, "Zeit : ", "time : "}},
    {{{"Titel 1", "Titel 2"}, {"Title 1", "Title 2"}}},
    {"0:0:10", "0:0:20"},
    {{ContactPrompt, "2", 1, 4}},
    EchoAu,
};

TextSet EnglishTexts() {
    Exchange ex("e\n");
    Dialogue dialogue;
    EXPECT_TRUE(OpenDialogue(ex.io, Probe, dialogue));
    return dialogue.texts[English];
}

}  // namespace

TEST(ParseClockTime, CountsWhatEachFieldReads) {
    struct Case {
        const char* text;
        std::int64_t seconds;
    };
    const Case cases[] = {
        {"05:19:51", 19191}, {"5:3", 18003}, {"19191", 19191}, {"1:2:3:4", 3723}, {"05:19:5x", 19145},
        {"", 0}, {":", 0}, {"::", 0}, {"a:b:c", 0}, {"-1:00:00", -3600}, {"-1x:00:00", 3600},
        {" 1: 2: 3", 3723}, {"1 :2:3", 3723}, {"$A:0:0", 36000}, {"0:0:-5", -5}, {"05:24:08", 19448},
        {"05:33:41", 20021},
        // Fields at and beyond 32 bits: the sum is exact, with no overflow.
        {"2147483647:0:0", 2147483647LL * 3600}, {"-2147483648:59:59", -2147483648LL * 3600 + 59 * 60 + 59},
        {"99999999999:0:0", 999999999LL * 3600}, {"0:0:2147483647", 2147483647LL},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseClockTime(c.text), c.seconds) << c.text;
    }
}

TEST(FormatFixed, RoundsHalvesAwayFromZeroOnTheExactValue) {
    struct Case {
        double value;
        int decimals, width;
        const char* shown;
    };
    const Case cases[] = {
        {142.36672, 1, 6, " 142.4"}, {9.2203, 3, 7, "  9.220"}, {-142.36672, 1, 6, "-142.4"},
        {-9.2203, 3, 7, " -9.220"},
        {0.25, 1, 6, "   0.3"}, {-0.25, 1, 6, "  -0.3"}, {0.0625, 3, 7, "  0.063"}, {2.5, 0, 1, "3"},
        {0.35, 1, 1, "0.3"},      // 0.35 is 0.34999... in binary: no tie
        {0.45, 1, 1, "0.5"},      // 0.45 is 0.450000000000000011...
        {9.9996, 3, 7, " 10.000"}, {99.95, 1, 6, " 100.0"}, {0.15, 1, 1, "0.1"}, {999.96, 1, 6, "1000.0"}, {-999.96, 1, 6, "-1000.0"},
        {0.0, 1, 6, "   0.0"}, {123456789.0, 1, 6, "123456789.0"}, {1e20, 3, 7, "100000000000000000000.000"},
        {5e-324, 3, 7, "  0.000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatFixed(c.value, c.decimals, c.width), c.shown) << c.value;
    }
    const std::string huge = FormatFixed(1.7976931348623157e308, 3, 7);
    EXPECT_EQ(huge.size(), 309u + 4u);
    EXPECT_EQ(huge.substr(0, 6), "179769");
}

TEST(PrintResult, LaysOutTheFramedBlock) {
    Exchange ex("");
    PrintResult(ex.io, EnglishTexts(), 142366720.0, 9.2203);
    EXPECT_EQ(ex.out.str(),
              "      ============================\n"
              "      Astronomical Unit                 : 142.4 Mill. km\n"
              "      Solar Parallax                    :  9.220\"\n"
              "      ============================\n\n");
}

TEST(EnterSite, TurnsAnswersIntoRadiansAndSeconds) {
    struct Case {
        const char* typed;
        double latitudeDegrees, longitudeDegrees;  // north and west positive
        double seconds;
    };
    const Case cases[] = {
        {"\n\n\n\n\n", 51.47, -7.0, 19191},
        {"s\n\n\n\n\n", -51.47, -7.0, 19191},
        {"S\n-51.47\nW\n\n\n", 51.47, 7.0, 19191},    // a negative value reverses the letter
        {"s \n\nsouth\n\n1:0:0\n", 51.47, -7.0, 3600},  // last letters ' ' and 'h': north and east
        {"\n51,5\nw\n7,25\n19191\n", 51.5, 7.25, 19191},
        {"\n\no\n\n\n", 51.47, -7.0, 19191},
    };
    for (const Case& c : cases) {
        Exchange ex(c.typed);
        SiteEntry site{"51.47", 'n', "7.0", 'e', "05:19:51", 0.0, 0.0, 0.0};
        ASSERT_TRUE(EnterSite(ex.io, EnglishTexts(), 1, site)) << c.typed;
        EXPECT_EQ(site.latitude, static_cast<double>(c.latitudeDegrees * DegToRad)) << c.typed;
        EXPECT_EQ(site.longitude, static_cast<double>(c.longitudeDegrees * DegToRad)) << c.typed;
        EXPECT_EQ(site.time, c.seconds) << c.typed;
    }
}

TEST(EnterSite, RemembersAnswersAsTyped) {
    Exchange ex("\n51,47\n\n\n\n" "\n\n\n\n\n");
    SiteEntry site{"51.47", 'n', "7.0", 'e', "05:19:51", 0.0, 0.0, 0.0};
    const TextSet texts = EnglishTexts();
    ASSERT_TRUE(EnterSite(ex.io, texts, 2, site));
    EXPECT_EQ(site.latitudeText, "51,47");
    ASSERT_TRUE(EnterSite(ex.io, texts, 2, site));
    EXPECT_NE(ex.out.str().find("      Observation 2:\n      ==============\n"), std::string::npos);
    EXPECT_NE(ex.out.str().find("geographical latitude in degrees  :  (51,47) "), std::string::npos);
    EXPECT_EQ(site.latitude, static_cast<double>(51.47 * DegToRad));
}

TEST(OpenDialogue, ChoosesTheLanguageByTheLastLetter) {
    struct Case {
        const char* typed;
        Language language;
    };
    const Case cases[] = {
        {"d\n", German}, {"G\n", German}, {"deutsch g\n", German}, {"g\r\n", German},
        {"deutsch\n", English}, {"e\n", English}, {"\n", English}, {"x\n", English},
    };
    for (const Case& c : cases) {
        Exchange ex(c.typed);
        Dialogue dialogue;
        ASSERT_TRUE(OpenDialogue(ex.io, Probe, dialogue)) << c.typed;
        EXPECT_EQ(dialogue.language, c.language) << c.typed;
        EXPECT_EQ(dialogue.sites[0].eastWest, c.language == German ? 'o' : 'e') << c.typed;
        EXPECT_EQ(dialogue.contacts.at(0).text, "2") << c.typed;
    }
}

TEST(RunPass, SecondPassWithEnterEverywhereRepeatsTheFirst) {
    const std::string enterEverywhere(11, '\n');
    Exchange ex("e\n" + enterEverywhere + enterEverywhere + "\n" "\n\n\n\n\n" "\n\n\n\n0:0:40\n" + enterEverywhere);
    Dialogue dialogue;
    ASSERT_TRUE(OpenDialogue(ex.io, Probe, dialogue));
    std::size_t seen = ex.out.str().size();
    const auto nextPass = [&] {
        EXPECT_TRUE(RunPass(ex.io, Probe, dialogue));
        const std::string pass = ex.out.str().substr(seen);
        seen = ex.out.str().size();
        return pass;
    };
    const std::string first = nextPass();
    EXPECT_EQ(first.find("contact ?  (2) \n"), 0u);
    EXPECT_NE(first.find("Astronomical Unit                 :  20.0 Mill. km\n"), std::string::npos);
    EXPECT_EQ(nextPass(), first);
    EXPECT_EQ(dialogue.au, 2 * 10 * 1e6);

    // One value changed: only the result and, on the pass after, that value's brackets differ.
    const std::string changed = nextPass();
    EXPECT_EQ(dialogue.au, 2 * 30 * 1e6);
    EXPECT_NE(changed.find(":  60.0 Mill. km\n"), std::string::npos);
    const std::string after = nextPass();
    EXPECT_EQ(after, changed.substr(0, changed.rfind("(0:0:20)")) + "(0:0:40)" +
                         changed.substr(changed.rfind("(0:0:20)") + 8));
    EXPECT_FALSE(RunPass(ex.io, Probe, dialogue));
}

TEST(RunPass, RefusesContactsOutsideTheQuestionsRange) {
    Exchange ex("e\n" "5\n" "\n" "0\n" "x\n" "4\n" + std::string(10, '\n'));
    Dialogue dialogue;
    ASSERT_TRUE(OpenDialogue(ex.io, Probe, dialogue));
    const std::size_t opened = ex.out.str().size();
    ASSERT_TRUE(RunPass(ex.io, Probe, dialogue));
    const std::string asked = "contact ?  (2) \acontact ?  (5) \acontact ?  (5) \acontact ?  (0) \acontact ?  (x) \n"
                              "      Observation 1:\n";
    EXPECT_EQ(ex.out.str().substr(opened, asked.size()), asked);
    EXPECT_EQ(dialogue.contacts[0].contact, 4);
    EXPECT_EQ(dialogue.contacts[0].text, "4");
}

TEST(RunPass, ShowsWhyObservationsGiveNoResult) {
    struct Case {
        const char* typed;  // after the contact: site 1 then site 2
        const char* note;
    };
    const Case cases[] = {
        {"\n\n\n\n0:0:20\n" "\n\n\n\n\n", "      No result: the times of both sites are equal.\n"},
        {"\n\n\n\n5\n" "\n\n\n\n0:0:5x\n", "      No result: the times of both sites are equal.\n"},
        {"\n\n\n\n\n" "\n\n\n\n0:0:10\n", "      No result: the times of both sites are equal.\n"},
    };
    for (const Case& c : cases) {
        Exchange ex(std::string("e\n\n") + c.typed);
        Dialogue dialogue;
        ASSERT_TRUE(OpenDialogue(ex.io, Probe, dialogue));
        ASSERT_TRUE(RunPass(ex.io, Probe, dialogue));
        const std::string shown = ex.out.str();
        EXPECT_NE(shown.find(std::string("      ============================\n") + c.note +
                             "      ============================\n\n"),
                  std::string::npos)
            << c.typed;
        EXPECT_EQ(shown.find("inf"), std::string::npos);
        EXPECT_EQ(shown.find("nan"), std::string::npos);
    }
}

TEST(RunPass, SitesWithoutAnAuGiveNoResultInEitherLanguage) {
    // Coincident sites give an AU of 0; a latitude that is all but 0 gives a parallax beyond any double.
    const Method limb{{{ContactPrompt, "K ? ", "C ? "}, {TimePrompt, "Z : ", "T : "}},
                      {{{"a", "b"}, {"c", "d"}}}, {"05:19:51", "05:17:21"}, {{ContactPrompt, "1", 1, 4}},
                      ContactTimeAu};
    struct Case {
        const char* typed;
        const char* note;
    };
    const Case cases[] = {
        {"e\n\n" "\n\n\n\n\n" "n\n51.47\n\n7.0\n\n",
         "      No result: these sites give no AU.\n"},
        {"g\n\n" "\n\n\n\n\n" "n\n51.47\n\n7.0\n\n",
         "      Kein Ergebnis: diese Orte ergeben keine AE.\n"},
        {"e\n\n" "\n0\n\n0\n\n" "n\n1e-320\n\n0\n\n", "      No result: these sites give no AU.\n"},
    };
    for (const Case& c : cases) {
        Exchange ex(c.typed);
        Dialogue dialogue;
        ASSERT_TRUE(OpenDialogue(ex.io, limb, dialogue));
        ASSERT_TRUE(RunPass(ex.io, limb, dialogue));
        EXPECT_NE(ex.out.str().find(std::string("      ============================\n") + c.note +
                                    "      ============================\n\n"),
                  std::string::npos)
            << c.typed;
    }
}
