// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "KernDos.h"

#include <gtest/gtest.h>

#include "Exchange.h"

#include <cmath>

namespace {

std::size_t Bells(const std::string& shown) {
    return static_cast<std::size_t>(std::count(shown.begin(), shown.end(), '\a'));
}

}  // namespace

TEST(ReadReal, AcceptsTheGrammar) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"51.47", 51.47}, {"  51.47", 51.47}, {"-7", -7.0}, {"+7", 7.0}, {".5", 0.5}, {"5.", 5.0},
        {".", 0.0}, {"-.", 0.0}, {"1e3", 1000.0}, {"1E+3", 1000.0}, {"25e-1", 2.5}, {"e5", 0.0},
        {".e-2", 0.0}, {"007.000", 7.0}, {"0.1", 0.1}, {"1e-400", 0.0}, {"-1e-5000", 0.0},
        {"1.7976931348623157e308", 1.7976931348623157e308}, {"4.9e-324", 4.9e-324},
        {"0.000000000000000000000000000000000000000000000000000000000000000000000000000000012e81", 12.0},
        {"1e000000000000000000000000000000000000000000002", 100.0},
    };
    for (const Case& c : cases) {
        double value = -99.0;
        EXPECT_TRUE(ReadReal(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    double negativeZero = 1.0;
    ASSERT_TRUE(ReadReal("-0", negativeZero));
    EXPECT_TRUE(std::signbit(negativeZero));
}

TEST(ReadReal, RefusesWhatTheGrammarDoesNot) {
    const char* const refused[] = {
        "", "   ", "+", "-", "51.47 ", "\t51.47", "51.47\t", "51,47", "5e", "5e+", "e", "1.2.3", "--1", "+-1",
        "1e400", "-1e400", "1e5000", "1e99999999999999999999", "1.7976931348623159e308", "inf", "nan",
        "infinity", "0x1p3", "1'000", "1 000", "\xB9", "1e3.5", "$10", "5e 3", "5 e3",
    };
    for (const char* text : refused) {
        double value = -99.0;
        EXPECT_FALSE(ReadReal(text, value)) << text;
        EXPECT_EQ(value, -99.0) << text;
    }
}

TEST(ReadReal, ReadsAtExtendedPrecisionThenRoundsToDouble) {
    // Decimal halfway between two doubles by a hair: 1 + 2^-53 + 2^-80 rounds up when read directly,
    // but to extended precision it is 1 + 2^-53 first, a tie, which a double then rounds to even (1.0).
    double value = 0.0;
    ASSERT_TRUE(ReadReal("1.00000000000000011102230328969626659539084168049072331996285E0", value));
    EXPECT_EQ(value, 1.0);
}

TEST(ReadInteger, AcceptsTheGrammar) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"7", 7}, {"-7", -7}, {"+7", 7}, {"  7", 7}, {"0", 0}, {"-0", 0}, {"0007", 7},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"$10", 16}, {"0x10", 16}, {"0X10", 16}, {"x10", 16}, {"X1f", 31}, {"  $A", 10},
        {"$7FFFFFFF", 2147483647}, {"$FFFFFFFF", -1}, {"$80000000", -2147483647 - 1}, {"$00000001", 1},
    };
    for (const Case& c : cases) {
        std::int32_t value = -99;
        EXPECT_TRUE(ReadInteger(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(ReadInteger, RefusesWhatTheGrammarDoesNot) {
    const char* const refused[] = {
        "", "  ", "+", "-", "2.0", "2,", "7 ", "\t7", "2147483648", "-2147483649", "99999999999999999999",
        "-$1", "+$1", "-0x10", "$", "0x", "x", "$123456789", "$000000001", "$G", "0x1G", "1e3", "$ 1", "0 x1",
    };
    for (const char* text : refused) {
        std::int32_t value = -99;
        EXPECT_FALSE(ReadInteger(text, value)) << text;
        EXPECT_EQ(value, -99) << text;
    }
}

TEST(ScanInteger, CountsTheDigitsBeforeTheFirstUnreadableOne) {
    struct Case {
        const char* text;
        std::int64_t digitsValue;
    };
    const Case cases[] = {
        {"", 0}, {"x", 0}, {"-", 0}, {"5x", 5}, {"-5x", 5}, {"-5 ", 5}, {"3:4", 3}, {"12.5", 12},
        {"99999999999", 999999999}, {"-2147483648x", 2147483648LL}, {"$1G", 1}, {"$123456789", 0x12345678},
    };
    for (const Case& c : cases) {
        const IntegerScan scan = ScanInteger(c.text);
        EXPECT_FALSE(scan.complete) << c.text;
        EXPECT_EQ(scan.digitsValue, c.digitsValue) << c.text;
    }
}

TEST(AskReal, RingsOncePerRefusalAndRemembersTheRefusedAnswer) {
    Exchange ex("abc\n\n51,47\n");
    std::string answer = "51.47";
    double value = 0.0;
    ASSERT_TRUE(AskReal(ex.io, "lat : ", answer, value));
    EXPECT_EQ(ex.out.str(), "lat :  (51.47) \alat :  (abc) \alat :  (abc) ");
    EXPECT_EQ(value, 51.47);
    EXPECT_EQ(answer, "51,47");
}

TEST(AskReal, EnterKeepsTheRememberedNumber) {
    Exchange ex("\n");
    std::string answer = "51.47";
    double value = 0.0;
    ASSERT_TRUE(AskReal(ex.io, "lat : ", answer, value));
    EXPECT_EQ(value, 51.47);
    EXPECT_EQ(answer, "51.47");
    EXPECT_EQ(Bells(ex.out.str()), 0u);
}

TEST(AskReal, EndsAtEndOfInputEvenAfterRefusals) {
    Exchange ex("1e400\n51.47 \n");
    std::string answer = "1";
    double value = 3.0;
    EXPECT_FALSE(AskReal(ex.io, "? ", answer, value));
    EXPECT_EQ(ex.out.str(), "?  (1) \a?  (1e400) \a?  (51.47 ) \n");
    EXPECT_EQ(value, 3.0);
}

TEST(AskInteger, RingsOncePerRefusalUntilANumberIsTyped) {
    Exchange ex("2.0\n2,\n$10\n");
    std::string answer = "1";
    std::int32_t value = 0;
    ASSERT_TRUE(AskInteger(ex.io, "? ", answer, value));
    EXPECT_EQ(ex.out.str(), "?  (1) \a?  (2.0) \a?  (2,) ");
    EXPECT_EQ(value, 16);
    EXPECT_EQ(answer, "$10");

    Exchange ended("x\n");
    EXPECT_FALSE(AskInteger(ended.io, "? ", answer, value));
    EXPECT_EQ(Bells(ended.out.str()), 1u);
}

TEST(AskReal, RefusesALongLineEvenWhenItsKeptPartReads) {
    const std::string zeros(MaxAnswerBytes, '0');
    struct Case {
        std::string typed;     // a refused long line, then Enter alone, then a number
        std::size_t bells;
        double value;
    };
    const Case cases[] = {
        {"1e" + zeros + "5\n\n2\n", 2, 2.0},       // kept part "1e000..." would read as 1
        {zeros + ".5\n\n,5\n", 2, 0.5},           // kept part "000..." would read as 0
        {std::string(MaxAnswerBytes + 1, '7') + "\n3\n", 1, 3.0},
        {zeros + "\n", 0, 0.0},                   // a line at the bound is whole, and reads
        {zeros + "\r\n", 0, 0.0},
    };
    for (const Case& c : cases) {
        Exchange ex(c.typed);
        std::string answer = "51.47";
        double value = -1.0;
        ASSERT_TRUE(AskReal(ex.io, "? ", answer, value)) << c.typed.size();
        EXPECT_EQ(value, c.value) << c.typed.size();
        EXPECT_EQ(Bells(ex.out.str()), c.bells) << c.typed.size();
        EXPECT_LE(answer.size(), MaxAnswerBytes);
    }
}

TEST(AskInteger, RefusesALongLineEvenWhenItsKeptPartReads) {
    Exchange ex(std::string(MaxAnswerBytes, '0') + "1\n\n7\n");
    std::string answer = "1";
    std::int32_t value = 0;
    ASSERT_TRUE(AskInteger(ex.io, "? ", answer, value));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(Bells(ex.out.str()), 2U);
    // The refused line was shown back cut to the bound, like any refused answer.
    EXPECT_NE(ex.out.str().find(" (" + std::string(MaxAnswerBytes, '0') + ") "), std::string::npos);
    EXPECT_EQ(ex.out.str().find(std::string(MaxAnswerBytes, '0') + "1"), std::string::npos);
}
