// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Campaign.h"
#include "ReadText.h"
#include "Csv.h"
#include "NameIndex.h"
#include "Text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace campaign;

namespace {

// What a timing carries into the fit, for comparing readings of the same campaign.
std::string Summary(const Campaign& campaign) {
    std::ostringstream text;
    text.precision(12);
    for (const Timing& t : campaign.timings) {
        text << campaign.observers[static_cast<std::size_t>(t.observer)] << '|' << campaign.sites[static_cast<std::size_t>(t.site)] << '|' << t.latitudeDegrees
             << '|' << t.longitudeDegrees << '|' << ContactName(t.start, t.end) << '|' << t.seconds << '|' << t.sigmaS << '\n';
    }
    return text.str();
}

}  // namespace

TEST(ReadCampaign, EveryDialectAndLayoutGivesTheSameTimings) {
    const std::string reference = Summary(
        ReadText("site,latitude,longitude,contact,time\nK\xC3\xB6ln,50.94,6.96,1,05:19:30\nK\xC3\xB6ln,50.94,6.96,"
                 "4,11:20:10.5\nPretoria,-25.75,28.23,1,05:17:21\n")
            .campaign);
    const std::string dialects[] = {
        // semicolons and decimal commas, German header, CR LF, a byte order mark
        "\xEF\xBB\xBFOrt;Breite;L\xC3\xA4nge;Kontakt;Zeit\r\nK\xC3\xB6ln;50,94;6,96;1;05:19:30\r\nK\xC3\xB6ln;50,94;"
        "6,96;4;11:20:10,5\r\nPretoria;-25,75;28,23;1;05:17:21\r\n",
        // tabs, Windows-1252 names, letters for hemispheres, extra columns and blank lines
        "Station\tLat\tLon\tnote\tContact\tUT\n\nK\xF6ln\t50.94N\t6.96 E\tclear\t1\t05:19:30\nK\xF6ln\t50.94N\t6.96 O\t"
        "\t4\t11:20:10.5\n\nPretoria\t25.75S\t28.23E\thazy, windy\t1\t05:17:21\n",
        // quoted fields, with a delimiter and a doubled quote inside
        "\"site\",\"latitude\",\"longitude\",\"contact\",\"time\"\n\"K\xC3\xB6ln\",\"50.94\",\"6.96\",1,05:19:30\n"
        "K\xC3\xB6ln,50.94,6.96,\"4\",\"11:20:10.5\"\nPretoria,-25.75,\"28.23\",1,05:17:21\n",
        // one observer per row, after blank lines
        "\r\n  \n\nsite;latitude;longitude;T1;T2;T3;T4\nK\xC3\xB6ln;50,94;6,96;05:19:30;;;11:20:10,5\nPretoria;-25,75;28,23;"
        "05:17:21;;;\n",
        // CR line ends only (old Mac spreadsheets), a byte order mark before a name inside the file
        "site,latitude,longitude,contact,time\rK\xC3\xB6ln,50.94,6.96,1,05:19:30\r\xEF\xBB\xBFK\xC3\xB6ln,50.94,6.96,4,"
        "11:20:10.5\rPretoria,-25.75,28.23,1,05:17:21\r",
    };
    for (const std::string& text : dialects) {
        const Read read = ReadText(text);
        EXPECT_EQ(read.status, ReadStatus::Read);
        EXPECT_EQ(read.messages, "");
        EXPECT_EQ(Summary(read.campaign), reference) << text;
    }
    // Quoting keeps delimiters and quotes inside names.
    const Read quoted = ReadText("site,lat,lon,contact,time\n\"Obs, \"\"North\"\"\",1,2,3,05:00:00\n");
    ASSERT_EQ(quoted.campaign.timings.size(), 1u);
    EXPECT_EQ(quoted.campaign.sites[static_cast<std::size_t>(quoted.campaign.timings[0].site)], "Obs, \"North\"");
}

TEST(ReadCampaign, ReportsBadRowsWithTheirLinesAndReadsTheRest) {
    const Read read = ReadText(
        "site,latitude,longitude,contact,time,sigma\n"
        "A,95,7,1,05:00:00\n"            // 2
        "B,50,181,1,05:00:00\n"          // 3
        "C,50,7,5,05:00:00\n"            // 4
        "D,50,7,3-2,05:00:00\n"          // 5
        "E,50,7,1,\n"                    // 6
        "F,5x,7,1,05:00:00\n"            // 7
        "G,50,7,1,05:00:00,-3\n"         // 8
        ",50,7,1,05:00:00\n"             // 9
        "\"H\nI\",50,7,1,05:00:00\n"     // 10-11: a quoted line break
        "J,50,7,2,25:61:00\n"            // 12
        "K,50,7,2-3,05:24:08\n");        // 13
    EXPECT_EQ(read.status, ReadStatus::Read);
    EXPECT_EQ(read.campaign.rowsSkipped, 9);
    ASSERT_EQ(read.campaign.timings.size(), 2u);
    EXPECT_EQ(read.campaign.timings[0].line, 10);
    EXPECT_EQ(read.campaign.timings[1].line, 13);
    EXPECT_EQ(read.campaign.timings[1].end, 3);
    const char* const expected[] = {
        "c.csv:2: latitude \"95\" is outside -90..90",     "c.csv:3: longitude \"181\" is outside -180..180",
        "c.csv:4: contact \"5\" is not 1 to 4",            "c.csv:5: contact \"3-2\" is not 1 to 4",
        "c.csv:6: time is empty",                          "c.csv:7: latitude \"5x\" is not an angle",
        "c.csv:8: sigma \"-3\" is not an uncertainty",     "c.csv:9: the site is empty",
        "c.csv:12: time \"25:61:00\" is not a time"};
    for (const char* message : expected) EXPECT_NE(read.messages.find(message), std::string::npos) << message;
}

TEST(ReadCampaign, QuotesFieldsEscapedAndCutBetweenCharacters) {
    const std::string umlauts = "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\x84\xC3\x96\xC3\x9C";  // 10 letters
    std::string twentyOne = "x";
    for (int i = 0; i < 2; ++i) twentyOne += umlauts;
    const struct {
        std::string field;  // in the time column
        int line;
        std::string quoted;
    } cases[] = {
        {"\x1B[31m05:00", 2, "\"\\x1B[31m05:00\" is not a time"},
        {"\"05:00\n:00\"", 3, "\"05:00\\n:00\" is not a time"},
        {"\"\t\xE2\x80\xAE" "00:50\"", 5, "\"\\t\\u202E00:50\" is not a time"},
        {umlauts + umlauts + umlauts + umlauts + umlauts, 6, "\"" + umlauts + umlauts + umlauts + umlauts + "...\""},
        {twentyOne, 7, "\"" + twentyOne + "\" is not a time"},  // 41 bytes, but 21 letters: not cut
    };
    std::string text = "site,latitude,longitude,contact,time\n";
    for (const auto& c : cases) text += "A,50,7,1," + c.field + "\n";
    const Read read = ReadText(text, "evil\x1B]0;title\x07.csv");
    EXPECT_TRUE(kit::IsUtf8(read.messages)) << read.messages;
    EXPECT_EQ(read.messages.find_first_of("\x1B\x07\t\r"), std::string::npos) << read.messages;
    for (const auto& c : cases) {
        const std::string message = "transitfit: evil\\x1B]0;title\\x07.csv:" + std::to_string(c.line) + ": time " + c.quoted;
        EXPECT_NE(read.messages.find(message), std::string::npos) << message << "\nin\n" << read.messages;
    }
}

TEST(ReadCampaign, ReadsThousandsOfRowsInOrderAcrossTheHandovers) {
    // Rows are read ahead on a thread of their own, some thousands at a time: every row, every message and the
    // line of a NUL far down come out as one thread reading them in turn would give them.
    std::string text = "site,latitude,longitude,contact,time\n";
    for (int row = 0; row < 10000; ++row) {
        text += row % 3000 == 2999 ? "X,95,7,1,05:00:00\n" : "S" + std::to_string(row) + ",50,7,1,05:00:00\n";
    }
    Read read = ReadText(text);
    EXPECT_EQ(read.status, ReadStatus::Read);
    ASSERT_EQ(read.campaign.timings.size(), 9997u);
    for (std::size_t i = 1; i < read.campaign.timings.size(); ++i) ASSERT_LT(read.campaign.timings[i - 1].line, read.campaign.timings[i].line);
    EXPECT_EQ(read.campaign.observers[static_cast<std::size_t>(read.campaign.timings.back().observer)], "S9999");
    const std::string expected = "transitfit: c.csv:3001: latitude \"95\" is outside -90..90\n"
                                 "transitfit: c.csv:6001: latitude \"95\" is outside -90..90\n"
                                 "transitfit: c.csv:9001: latitude \"95\" is outside -90..90\n";
    EXPECT_EQ(read.messages, expected);
    read = ReadText(text + std::string("A,1,2,3,\0", 9));
    EXPECT_EQ(read.status, ReadStatus::Unreadable);
    EXPECT_NE(read.messages.find("c.csv:10002: not a text file"), std::string::npos) << read.messages;
}

TEST(ReadCampaign, SaysWhatIsWrongWithTheWholeFile) {
    const struct {
        std::string text;
        ReadStatus status;
        const char* message;
    } cases[] = {
        {"", ReadStatus::NoTimings, "c.csv: the file is empty; expected a header row with the columns site"},
        {"name,when\nA,05:00:00\n", ReadStatus::NoTimings,
         "c.csv:1: no recognisable header: no column for site, latitude, longitude, contact and time (or T1 to T4); could "
         "not place column 1 \"name\" and column 2 \"when\"; expected a header row"},
        {"site,latitude,longitude,contact,time\n", ReadStatus::NoTimings, "c.csv: no timings below the header"},
        {"site,latitude,longitude,contact,time\r\n\r\n", ReadStatus::NoTimings, "no timings below the header"},
        {std::string("site,lat,lon,contact,time\nA,1,2,3,\0", 35), ReadStatus::Unreadable, "not a text file"},
        {std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10), ReadStatus::Unreadable, "c.csv: not a text file"},
        {"site,latitude,longitude,contact,time\nA,91,7,1,05:00:00\n", ReadStatus::NoTimings, "c.csv:2: latitude"},
    };
    for (const auto& c : cases) {
        const Read read = ReadText(c.text);
        EXPECT_EQ(read.status, c.status) << c.text;
        EXPECT_NE(read.messages.find(c.message), std::string::npos) << read.messages;
    }
    // A line far beyond any row is consumed without being held, and the rows after it are read.
    const std::string huge = "site,latitude,longitude,contact,time\n" + std::string(3 * MaxRecordBytes, 'x') +
                             "\nA,50,7,1,05:00:00\n";
    const Read read = ReadText(huge);
    EXPECT_EQ(read.campaign.timings.size(), 1u);
    EXPECT_NE(read.messages.find("c.csv:2: the row is longer than 1 MiB"), std::string::npos);
}

TEST(MarkDuplicates, KeepsTheFirstOfRepeatedTimings) {
    Read read = ReadText("observer,site,lat,lon,contact,time\nX,A,50,7,1,05:00:00\nX,A,50,7,1,05:00:00\n"
                         "Y,A,50,7,1,05:00:00\nX,A,50,7,2,05:00:00\nX,A,50,7,1,05:00:01\nX,A,50,7,1,05:00:00\n");
    MarkDuplicates(read.campaign);
    std::vector<bool> duplicate;
    for (const Timing& t : read.campaign.timings) duplicate.push_back(t.duplicate);
    EXPECT_EQ(duplicate, (std::vector<bool>{false, true, false, false, false, true}));
}

TEST(MarkDuplicates, ComparesObserverContactsAndTimeWhateverTheOrder) {
    // Each case: rows below the header, which of them repeat an earlier one of the same observer, and per
    // timing the observer it copies (by order of first appearance; -1 for none): the same transit, place,
    // contact and time under another name.
    const struct {
        const char* rows;
        std::vector<bool> duplicate;
        std::vector<int> copiedFrom;
    } cases[] = {
        // A duration and a clock time of the same contact at the same time are different timings.
        {"X,50,7,2-3,00:20:00\nX,50,7,2,00:20:00\nX,50,7,2-3,00:20:00\n", {false, false, true}, {-1, -1, -1}},
        // Repeats far apart and interleaved, later copies before and after other keys.
        {"Z,50,7,4,11:00:00\nA,50,7,1,05:00:00\nZ,50,7,3,11:00:00\nA,50,7,1,05:00:00\nZ,50,7,4,11:00:00\n"
         "Z,50,7,4,11:00:00.1\nZ,50,7,4,11:00:00\n",
         {false, false, false, true, true, false, true}, {-1, -1, -1, -1, -1, -1, -1}},
        // One clock time and the same a day later are different: times are compared as read.
        {"X,50,7,1,01:00:00\nX,50,7,1,25:00:00\n", {false, false}, {-1, -1}},
        // Copies name the first observer of their place; -0 is 0.
        {"X,50,7,1,05:00:00\nY,50,7,1,05:00:00\nZ,50,7,1,05:00:00\n", {false, false, false}, {-1, 0, 0}},
        {"X,0,7,1,05:00:00\nY,-0,7,1,05:00:00\n", {false, false}, {-1, 0}},
        {"X,50,7,1,05:00:00\nY,50,7,2,05:00:00\nZ,50.1,7,1,05:00:00\nW,50,7,1,05:00:01\n", {false, false, false, false},
         {-1, -1, -1, -1}},
        // A repeat by the same observer is a duplicate; the next observer copies the first.
        {"X,50,7,1,05:00:00\nX,50,7,1,05:00:00\nY,50,7,1,05:00:00\n", {false, true, false}, {-1, -1, 0}},
        // Places interleaved: each copy names the first observer of its own place.
        {"Y,50,7,1,05:00:00\nX,40,7,1,05:00:00\nZ,40,7,1,05:00:00\nW,50,7,1,05:00:00\n", {false, false, false, false},
         {-1, -1, 1, 0}},
    };
    for (const auto& c : cases) {
        Read read = ReadText(std::string("observer,lat,lon,contact,time\n") + c.rows);
        MarkDuplicates(read.campaign);
        std::vector<bool> duplicate;
        std::vector<int> copiedFrom;
        for (const Timing& t : read.campaign.timings) duplicate.push_back(t.duplicate), copiedFrom.push_back(t.copiedFrom);
        EXPECT_EQ(duplicate, c.duplicate) << c.rows;
        EXPECT_EQ(copiedFrom, c.copiedFrom) << c.rows;
    }
}

TEST(NameIndex, FindsEachNameAtItsFirstPlace) {
    // Names already listed (more than a first table holds, as a second file finds them), then enough new ones
    // to grow the table many times, each asked for twice.
    std::vector<std::string> names = {"Halley", "Cook", ""};
    for (int k = 3; k < 100; ++k) names.push_back("listed " + std::to_string(k));
    NameIndex index = IndexOf(names);
    EXPECT_EQ(PlaceOf(index, names, "Cook"), 1);
    EXPECT_EQ(PlaceOf(index, names, ""), 2);
    EXPECT_EQ(PlaceOf(index, names, "listed 99"), 99);
    for (int round = 0; round < 2; ++round) {
        for (int k = 0; k < 5000; ++k) {
            const std::string name = "observer " + std::to_string(k);
            ASSERT_EQ(PlaceOf(index, names, name), 100 + k) << name;
        }
    }
    EXPECT_EQ(names.size(), 5100u);
    EXPECT_EQ(names[101], "observer 1");
    EXPECT_EQ(PlaceOf(index, names, "Halley"), 0);
}

