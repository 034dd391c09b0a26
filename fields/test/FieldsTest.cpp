// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Fields.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(ParseAngle, ReadsTheWaysPeopleWriteCoordinates) {
    const struct {
        const char* text;
        const char* letters;
        bool decimalComma;
        double degrees;
    } cases[] = {
        {"51.47", "NS", false, 51.47},          {"-26.18", "NS", false, -26.18},
        {"51.47N", "NS", false, 51.47},         {"26.18 s", "NS", false, -26.18},
        {"N 51.47", "NS", false, 51.47},        {"7.0E", "EW", false, 7.0},
        {"28 W", "EW", false, -28.0},           {"13,4 O", "EW", true, 13.4},
        {"51,47", "NS", true, 51.47},           {"49\xC2\xB0" "13'09\"N", "NS", false, 49.219166666666666},
        {"49 13 09 N", "NS", false, 49.219166666666666}, {"49:13:09N", "NS", false, 49.219166666666666},
        {"-49:13:09", "NS", false, -49.219166666666666}, {"49\xC2\xB0" "13.5'", "NS", false, 49.225},
        {"0\xC2\xB0" "30'W", "EW", false, -0.5},
        // The marks say the unit, wherever the number stands.
        {"10'", "NS", false, 10.0 / 60},        {"10'30\"", "NS", false, 10.5 / 60},
        {"10\xC2\xB0" "30\"", "NS", false, 10.0 + 30.0 / 3600},  {"49 13' 09\"", "NS", false, 49.219166666666666},
        {"52\xC2\xB0" "31\xE2\x80\xB2" "N", "NS", false, 52.516666666666666},
    };
    for (const auto& c : cases) {
        double degrees = 0.0;
        std::string why;
        ASSERT_TRUE(fields::ParseAngle(c.text, c.letters, fields::NumberStyle{c.decimalComma}, degrees, why)) << c.text << ": " << why;
        EXPECT_NEAR(degrees, c.degrees, 1e-12) << c.text;
    }
    const struct {
        const char* text;
        const char* letters;
    } refused[] = {{"", "NS"}, {"abc", "NS"}, {"51.47E", "NS"}, {"7N", "EW"}, {"-7W", "EW"}, {"49 75 00", "NS"},
                   {"49.5 13", "NS"}, {"51,47", "NS"}, {"1 2 3 4", "NS"}, {"inf", "NS"}, {"nan", "EW"}, {"0x1A", "NS"},
                   {"10\"30'", "NS"}, {"10'20'", "NS"}, {"10\xC2\xB0" "20\xC2\xB0", "NS"}, {"10\" 5", "NS"}, {"'10", "NS"}};
    for (const auto& c : refused) {
        double degrees = 0.0;
        std::string why;
        EXPECT_FALSE(fields::ParseAngle(c.text, c.letters, fields::NumberStyle{}, degrees, why)) << c.text;
        EXPECT_FALSE(why.empty()) << c.text;
    }
}

TEST(ParseTimeOfDay, ReadsClockTimesAndRefusesTheRest) {
    const struct {
        const char* text;
        double seconds;  // negative: refused
    } cases[] = {{"05:19:51", 19191},  {"11:03:38.27", 39818.27}, {" 5:19:51 ", 19191}, {"23:59:59.9", 86399.9},
                 {"05:19", -1},        {"05:60:00", -1},          {"05:19:61", -1},     {"5:1:51", -1},
                 {"05:19:51.", -1},    {"05:19:51x", -1},         {"", -1},             {"-05:19:51", -1},
                 {"48:00:00", -1},     {"05:19:51,5", -1}};
    for (const auto& c : cases) {
        double seconds = -1;
        const bool read = fields::ParseTimeOfDay(c.text, fields::NumberStyle{}, seconds);
        EXPECT_EQ(read, c.seconds >= 0) << c.text;
        if (read) {
            EXPECT_NEAR(seconds, c.seconds, 1e-9) << c.text;
        }
    }
    double seconds = 0;
    EXPECT_TRUE(fields::ParseTimeOfDay("05:19:51,5", fields::NumberStyle{true}, seconds));
    EXPECT_NEAR(seconds, 19191.5, 1e-9);
}

TEST(ParseClockTime, ReadsTheFormsPeopleWrite) {
    using fields::TimePrecision;
    const struct {
        const char* text;
        double seconds;  // negative: refused
        TimePrecision precision;
    } cases[] = {
        {"11:04:03", 39843, TimePrecision::Seconds},     {"11:04:03.2", 39843.2, TimePrecision::Seconds},
        {"11h04m03s", 39843, TimePrecision::Seconds},    {"11h 04m 03.2s", 39843.2, TimePrecision::Seconds},
        {"11h4m3s", 39843, TimePrecision::Seconds},      {"11 04 03.2", 39843.2, TimePrecision::Seconds},
        {"11:23", 40980, TimePrecision::Minutes},        {"11h23m", 40980, TimePrecision::Minutes},
        {"11h23", 40980, TimePrecision::Minutes},        {"11 23", 40980, TimePrecision::Minutes},
        {" 5:19:51 ", 19191, TimePrecision::Seconds},
        {"11:04 03", -1, TimePrecision::Seconds},        {"11h04:03", -1, TimePrecision::Seconds},
        {"11:4:03", -1, TimePrecision::Seconds},         {"11 4 03", -1, TimePrecision::Seconds},
        {"11:60", -1, TimePrecision::Seconds},           {"11h04m03x", -1, TimePrecision::Seconds},
        {"11", -1, TimePrecision::Seconds},              {"48:00", -1, TimePrecision::Seconds},
        {"11:04:03.", -1, TimePrecision::Seconds},       {"", -1, TimePrecision::Seconds},
    };
    for (const auto& c : cases) {
        double seconds = -1;
        TimePrecision precision = TimePrecision::Seconds;
        const bool read = fields::ParseClockTime(c.text, fields::NumberStyle{}, seconds, precision);
        EXPECT_EQ(read, c.seconds >= 0) << c.text;
        if (read) {
            EXPECT_NEAR(seconds, c.seconds, 1e-9) << c.text;
            EXPECT_EQ(precision, c.precision) << c.text;
        }
    }
}

TEST(ParseDate, ReadsOneWayDatesAndRefusesTwoWayOnesWithAWord) {
    const struct {
        const char* text;
        int year, month, day;  // year 0: refused
        bool why;              // refused with a reason
    } cases[] = {
        {"8.6.2004", 2004, 6, 8, false},   {"08.06.2004", 2004, 6, 8, false}, {"13/06/2004", 2004, 6, 13, false},
        {"06/13/2004", 2004, 6, 13, false}, {"06/06/2004", 2004, 6, 6, false}, {"08/06/2004", 0, 0, 0, true},
        {"31/31/2004", 0, 0, 0, false},     {"8.6.04", 0, 0, 0, false},        {"2004-06-08", 2004, 6, 8, false},
    };
    for (const auto& c : cases) {
        int year = 0, month = 0, day = 0;
        std::string why;
        EXPECT_EQ(fields::ParseDate(c.text, year, month, day, why), c.year != 0) << c.text;
        EXPECT_EQ(!why.empty(), c.why) << c.text;
        if (c.year != 0) {
            EXPECT_EQ(std::tie(year, month, day), std::tie(c.year, c.month, c.day)) << c.text;
        }
    }
}

TEST(IsCalendarDate, KnowsTheGregorianMonths) {
    EXPECT_TRUE(fields::IsCalendarDate(2004, 2, 29));
    EXPECT_TRUE(fields::IsCalendarDate(2000, 2, 29));
    EXPECT_FALSE(fields::IsCalendarDate(1900, 2, 29));
    EXPECT_FALSE(fields::IsCalendarDate(2004, 4, 31));
    EXPECT_FALSE(fields::IsCalendarDate(2004, 13, 1));
    EXPECT_FALSE(fields::IsCalendarDate(2004, 0, 1));
    EXPECT_FALSE(fields::IsCalendarDate(2004, 6, 0));
    EXPECT_TRUE(fields::IsCalendarDate(2004, 12, 31));
}

TEST(ParseDate, ReadsIsoAndGermanDatesOfTheCalendar) {
    const struct {
        const char* text;
        bool readable;
        int year, month, day;
    } cases[] = {
        {"2012-06-05", true, 2012, 6, 5},  {"05.06.2012", true, 2012, 6, 5},  {" 08.06.2004 ", true, 2004, 6, 8},
        {"29.02.2004", true, 2004, 2, 29}, {"29.02.1900", false, 0, 0, 0},    {"2012-6-5", false, 0, 0, 0},
        {"06/05/2012", false, 0, 0, 0},    {"2012-06-31", false, 0, 0, 0},    {"", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        int year = 0, month = 0, day = 0;
        EXPECT_EQ(fields::ParseDate(c.text, year, month, day), c.readable) << c.text;
        if (c.readable) {
            EXPECT_EQ(std::tie(year, month, day), std::tie(c.year, c.month, c.day)) << c.text;
        }
    }
}
