// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "TimeBasis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "Ephemeris.h"

using namespace campaign;

namespace {

double Hms(double h, double m, double s) { return h * 3600.0 + m * 60.0 + s; }

}  // namespace

TEST(UtJdOf, MeetsTheConversionsWorkedByHandFromTheArticles) {
    // Rows of data/transit-1761.csv and transit-1769.csv, each converted by hand (data/README.md) with the
    // equation of time printed by the observers or from Smart's formula without nutation. The ephemeris's own
    // equation holds the true Sun's nutation in right ascension, about a second in these years and of
    // opposite sign in 1761 and 1769 (half its 18.6-year period apart): the hand's UT is met to 3 s.
    const struct {
        const char* who;
        int year, month, day;  // as printed
        double printed;        // seconds of the printed day
        TimeBasis basis;
        DayStart start;
        double longitudeEast;  // degrees
        int utDay;             // civil UT date's day of the month
        double ut;             // seconds after UT midnight, by hand
        double tolerance;
    } cases[] = {
        {"Bliss, Greenwich 1761 c3", 1761, 6, 5, Hms(20, 19, 0), TimeBasis::LocalApparent, DayStart::Astronomical, 0.0, 6,
         Hms(8, 17, 8), 3.5},  // the printed 1 m 52 s, 3 s above the true Sun's equation that morning
        {"Maraldi, Paris 1761 c3", 1761, 6, 6, Hms(8, 28, 42), TimeBasis::ParisApparent, DayStart::Civil, 0.0, 6,
         Hms(8, 17, 30.0), 3.0},
        {"Chappe, Tobolsk 1761 c2", 1761, 6, 5, Hms(19, 0, 28), TimeBasis::LocalApparent, DayStart::Astronomical,
         (4 + 33 / 60.0 + 18 / 3600.0) * 15.0, 6, Hms(2, 25, 16.3), 3.0},
        {"Mason, Cape 1761 c3", 1761, 6, 5, Hms(21, 39, 52), TimeBasis::LocalApparent, DayStart::Astronomical,
         (1 + 13 / 60.0 + 31 / 3600.0) * 15.0, 6, Hms(8, 24, 29.9), 3.0},
        {"Hirst and Call, Madras 1761 c3", 1761, 6, 6, Hms(13, 39, 38), TimeBasis::LocalApparent, DayStart::Civil, 80.2873, 6,
         Hms(8, 16, 37.9), 3.0},
        {"Green, King George's Island 1769 c2", 1769, 6, 2, Hms(21, 43, 15), TimeBasis::LocalApparent, DayStart::Astronomical,
         -149.4953, 3, Hms(19, 38, 58.5), 3.0},
        {"Canton, Spital-Square 1769 c2", 1769, 6, 3, Hms(7, 29, 15.25), TimeBasis::LocalApparent, DayStart::Astronomical,
         -17.0 / 240.0, 3, Hms(19, 27, 16.5), 3.0},
        {"Wales, Prince of Wales's Fort 1769 c2", 1769, 6, 3, Hms(13, 15, 21.3), TimeBasis::LocalApparent, DayStart::Civil,
         -94.2133, 3, Hms(19, 29, 57.0), 3.0},
        {"Hell, Wardhus 1769 c2", 1769, 6, 3, Hms(9, 34, 10.6), TimeBasis::LocalApparent, DayStart::Astronomical, 31.0967, 3,
         Hms(19, 27, 31.9), 3.0},
        {"Harris, Windsor 1769 c2", 1769, 6, 3, Hms(19, 24, 22), TimeBasis::LocalMean, DayStart::Civil, -144.5 / 240.0, 3,
         Hms(19, 26, 46.5), 0.05},
        {"Mohr, Batavia 1769 c3", 1769, 6, 4, Hms(8, 30, 13), TimeBasis::LocalApparent, DayStart::Civil,
         106.0 + 50.0 / 60.0 + 14.0 / 3600.0, 4, Hms(1, 20, 39.0), 3.0},
    };
    for (const auto& c : cases) {
        const double jd = UtJdOf(c.year, c.month, c.day, c.printed, c.basis, c.start, c.longitudeEast);
        const double midnight = ephemeris::JulianDayAtMidnight(c.year, c.month, c.utDay);
        EXPECT_NEAR((jd - midnight) * 86400.0, c.ut, c.tolerance) << c.who;
    }
}

TEST(UtJdOf, UtAndGreenwichMeanAreTheClockAsWritten) {
    const double midnight = ephemeris::JulianDayAtMidnight(2004, 6, 8);
    for (const TimeBasis basis : {TimeBasis::Ut, TimeBasis::GreenwichMean}) {
        EXPECT_DOUBLE_EQ(UtJdOf(2004, 6, 8, 19191.0, basis, DayStart::Civil, 7.0), midnight + 19191.0 / 86400.0);
    }
    // Paris mean time runs 9 min 21 s ahead; the astronomical day of the 7th is the civil morning of the 8th.
    EXPECT_NEAR((UtJdOf(2004, 6, 7, 19191.0 + 561.0 + 43200.0, TimeBasis::ParisMean, DayStart::Astronomical, 0.0) - midnight) * 86400.0,
                19191.0, 1e-4);
}

TEST(ParseTimeBasis, ReadsTheWordsInBothLanguages) {
    const struct {
        const char* text;
        bool read;
        TimeBasis basis;
    } cases[] = {
        {"", true, TimeBasis::Ut},                         {"UT", true, TimeBasis::Ut},
        {"Local Apparent", true, TimeBasis::LocalApparent}, {"local-mean", true, TimeBasis::LocalMean},
        {"Paris  apparent", true, TimeBasis::ParisApparent}, {"wahre Ortszeit", true, TimeBasis::LocalApparent},
        {"Greenwich mean", true, TimeBasis::GreenwichMean}, {"sidereal", false, TimeBasis::Ut},
    };
    for (const auto& c : cases) {
        TimeBasis basis = TimeBasis::Ut;
        EXPECT_EQ(ParseTimeBasis(c.text, basis), c.read) << c.text;
        if (c.read) {
            EXPECT_EQ(basis, c.basis) << c.text;
        }
    }
    DayStart start = DayStart::Civil;
    EXPECT_TRUE(ParseDayStart("Astronomical", start));
    EXPECT_EQ(start, DayStart::Astronomical);
    EXPECT_FALSE(ParseDayStart("nautical", start));
}
