// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "ModulDos.h"

#include <gtest/gtest.h>

#include "Exchange.h"


TEST(ToOemText, MapsTheSevenGermanLettersAndNothingElse) {
    EXPECT_EQ(ToOemText("n\xF6rdliche/s\xFC" "dliche"), "n\x94rdliche/s\x81" "dliche");
    EXPECT_EQ(ToOemText("\xC4\xD6\xDC\xDF\xE4\xF6\xFC"), "\x8E\x99\x9A\xE1\x84\x94\x81");
    EXPECT_EQ(ToOemText("geographical latitude (n/s) ? "), "geographical latitude (n/s) ? ");
    // Bytes beside the table, including the targets of the mapping, stay as they are.
    EXPECT_EQ(ToOemText("\xC3\xE5\x84\x94\xE9"), "\xC3\xE5\x84\x94\xE9");
    const std::string original = "L\xE4nge";
    EXPECT_EQ(ToOemText(original), "L\x84nge");
    EXPECT_EQ(original, "L\xE4nge");
}

TEST(ToConsoleText, WritesGermanLettersInUtf8OnAUtf8Console) {
    EXPECT_EQ(ToConsoleText(Charset::Utf8, "n\xF6rdliche/s\xFC" "dliche L\xE4nge \xDF"),
              "n\xC3\xB6rdliche/s\xC3\xBC" "dliche L\xC3\xA4nge \xC3\x9F");
    EXPECT_EQ(ToConsoleText(Charset::Utf8, "\x80 \x81"), "\xE2\x82\xAC \xEF\xBF\xBD");
    EXPECT_EQ(ToConsoleText(Charset::DosCodePage, "\xF6"), "\x94");
}

TEST(AskText, ShowsPromptAndRememberedAnswer) {
    struct Case {
        const char* typed;
        const char* remembered;
        const char* shown;
        const char* kept;
    };
    const Case cases[] = {
        {"\n", "", "? ", ""},                                // nothing remembered: no brackets
        {"\n", "1", "?  (1) ", "1"},                         // Enter keeps the answer
        {"2\n", "1", "?  (1) ", "2"},
        {"  51.47 \n", "1", "?  (1) ", "  51.47 "},          // blanks are part of the answer
        {"3\r\n", "1", "?  (1) ", "3"},                      // CR LF is one line end
        {"\r\n", "1", "?  (1) ", "1"},
        {"3\r\r\n", "1", "?  (1) ", "3\r"},                  // only the last CR is the line end's
        {"4", "1", "?  (1) ", "4"},                          // a last line without a line end counts
        {"4\r", "1", "?  (1) ", "4\r"},                      // ... and keeps its bytes
    };
    for (const Case& c : cases) {
        Exchange ex(c.typed);
        std::string answer = c.remembered;
        EXPECT_TRUE(AskText(ex.io, "? ", answer)) << c.typed;
        EXPECT_EQ(ex.out.str(), c.shown) << c.typed;
        EXPECT_EQ(answer, c.kept) << c.typed;
    }
}

TEST(AskText, KeepsNulBytesOfAnAnswer) {
    Exchange ex(std::string("a\0b\n", 4));
    std::string answer;
    ASSERT_TRUE(AskText(ex.io, "? ", answer));
    EXPECT_EQ(answer, std::string("a\0b", 3));
}

TEST(AskText, ConvertsThePromptButNotTheAnswer) {
    Exchange dos("\n");
    std::string answer = "s\xFC" "d";
    ASSERT_TRUE(AskText(dos.io, "s\xFC" "dlich ? ", answer));
    EXPECT_EQ(dos.out.str(), "s\x81" "dlich ?  (s\xFC" "d) ");

    Exchange utf8("\n", Charset::Utf8);
    ASSERT_TRUE(AskText(utf8.io, "s\xFC" "dlich ? ", answer));
    EXPECT_EQ(utf8.out.str(), "s\xC3\xBC" "dlich ?  (s\xFC" "d) ");
}

TEST(AskText, EndOfInputWritesALineEndAndReportsIt) {
    Exchange ex("");
    std::string answer = "1";
    EXPECT_FALSE(AskText(ex.io, "? ", answer));
    EXPECT_EQ(ex.out.str(), "?  (1) \n");
    EXPECT_EQ(answer, "1");

    Exchange last("7");
    ASSERT_TRUE(AskText(last.io, "? ", answer));
    EXPECT_FALSE(AskText(last.io, "? ", answer));
    EXPECT_EQ(answer, "7");
}

TEST(AskText, StopsWhenTheConsoleTakesNoMoreOutput) {
    Exchange ex("1\n2\n");
    ex.out.setstate(std::ios::badbit);
    std::string answer;
    EXPECT_FALSE(AskText(ex.io, "? ", answer));
    EXPECT_EQ(answer, "");
}

TEST(AskChar, TakesTheLastByteOfTheAnswer) {
    struct Case {
        const char* typed;
        char letter;
        char expected;
    };
    const Case cases[] = {
        {"\n", 'n', 'n'}, {"s\n", 'n', 's'}, {"ns\n", 'n', 's'},
        {"south\n", 'n', 'h'}, {"s \n", 'n', ' '}, {"deutsch g\n", 'e', 'g'},
    };
    for (const Case& c : cases) {
        Exchange ex(c.typed);
        char letter = c.letter;
        ASSERT_TRUE(AskChar(ex.io, "(n/s) ? ", letter)) << c.typed;
        EXPECT_EQ(letter, c.expected) << c.typed;
        EXPECT_EQ(ex.out.str(), std::string("(n/s) ?  (") + c.letter + ") ") << c.typed;
    }
    Exchange ended("");
    char letter = 'e';
    EXPECT_FALSE(AskChar(ended.io, "? ", letter));
    EXPECT_EQ(letter, 'e');
}

TEST(WindowsCharset, IsUtf8OnlyOnAConsoleSetToCodePage65001) {
    EXPECT_EQ(WindowsCharset(true, 65001), Charset::Utf8);
    EXPECT_EQ(WindowsCharset(true, 850), Charset::DosCodePage);
    EXPECT_EQ(WindowsCharset(true, 437), Charset::DosCodePage);
    EXPECT_EQ(WindowsCharset(false, 65001), Charset::DosCodePage);  // a pipe or a file
}

TEST(AskReply, HoldsLinesUpToTheBoundWholeAndCutsLongerOnes) {
    const std::size_t bound = MaxAnswerBytes;
    struct Case {
        std::string typed;
        Reply reply;
        std::string kept;
    };
    const std::string full(bound, 'x');
    const Case cases[] = {
        {std::string(4095, 'a') + "\n", Reply::Taken, std::string(4095, 'a')},   // around the reading chunk
        {std::string(4096, 'a') + "\n", Reply::Taken, std::string(4096, 'a')},
        {std::string(8191, 'a') + "\r\n", Reply::Taken, std::string(8191, 'a')},
        {std::string(bound - 1, 'x') + "\n", Reply::Taken, std::string(bound - 1, 'x')},
        {full + "\n", Reply::Taken, full},
        {full + "\r\n", Reply::Taken, full},                                       // the CR is the line end's
        {full, Reply::Taken, full},                                                // last line, no line end
        {full + "y\n", Reply::Cut, full},
        {full + "\r", Reply::Cut, full},                                           // no line end: the CR is typed
        {full + "\ry\n", Reply::Cut, full},
        {full + std::string(100000, 'y') + "\r\n", Reply::Cut, full},
        {full + std::string(100000, 'y'), Reply::Cut, full},
        {std::string(bound - 3, 'x') + std::string(5000, 'y') + "\r\n", Reply::Cut,
         std::string(bound - 3, 'x') + "yyy"},
    };
    for (const Case& c : cases) {
        // After a line with its end the reading goes on at the next line; a line without one was the last.
        const bool lastLine = c.typed.back() != '\n';
        Exchange ex(lastLine ? c.typed : c.typed + "next\n");
        std::string answer = "1";
        EXPECT_EQ(AskReply(ex.io, "? ", answer), c.reply) << c.typed.size();
        EXPECT_EQ(answer, c.kept) << c.typed.size();
        EXPECT_EQ(AskReply(ex.io, "? ", answer), lastLine ? Reply::Ended : Reply::Taken) << c.typed.size();
        EXPECT_EQ(answer, lastLine ? c.kept : "next") << c.typed.size();
    }
}

TEST(AskReply, TellsEnterAloneAndTheEndApart) {
    Exchange ex("\n\r\n");
    std::string answer = "1";
    EXPECT_EQ(AskReply(ex.io, "? ", answer), Reply::Empty);
    EXPECT_EQ(AskReply(ex.io, "? ", answer), Reply::Empty);
    EXPECT_EQ(AskReply(ex.io, "? ", answer), Reply::Ended);
    EXPECT_EQ(answer, "1");
}

TEST(AskChar, TakesTheLastByteOfTheKeptPartOfALongLine) {
    Exchange ex(std::string(MaxAnswerBytes, 'n') + std::string(10, 's') + "\n");
    char letter = 'e';
    ASSERT_TRUE(AskChar(ex.io, "? ", letter));
    EXPECT_EQ(letter, 'n');
}

TEST(LocaleNameCharset, ReadsTheCodesetOfTheFirstNameSet) {
    struct Case {
        const char* lcAll;
        const char* lcCtype;
        const char* lang;
        Charset charset;
    };
    const Charset Utf8 = Charset::Utf8, Dos = Charset::DosCodePage;
    const Case cases[] = {
        {nullptr, nullptr, "de_DE.UTF-8", Utf8},
        {nullptr, nullptr, "en_US.utf8", Utf8},
        {nullptr, nullptr, "de_DE.Utf-8@euro", Utf8},          // any case; the modifier is no part of the codeset
        {nullptr, nullptr, "de_DE.UTF8", Utf8},
        {nullptr, nullptr, "de_DE.ISO-8859-1", Dos},
        {nullptr, nullptr, "de_DE@euro", Dos},                 // no codeset
        {nullptr, nullptr, "de_DE", Dos},
        {nullptr, nullptr, "de_DE.UTF-16", Dos},
        {nullptr, nullptr, "de_DE.", Dos},
        {nullptr, nullptr, nullptr, Dos},
        {"", "", "de_DE.UTF-8", Utf8},                         // set but empty counts as not set
        {"C", "de_DE.UTF-8", "de_DE.UTF-8", Dos},              // LC_ALL decides first
        {"", "de_DE.ISO-8859-15", "de_DE.UTF-8", Dos},         // then LC_CTYPE
        {nullptr, "en_GB.utf8", "de_DE", Utf8},
        {"xx_XX.UTF-8", nullptr, nullptr, Utf8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LocaleNameCharset(c.lcAll, c.lcCtype, c.lang), c.charset)
            << (c.lcAll ? c.lcAll : "-") << " " << (c.lcCtype ? c.lcCtype : "-") << " " << (c.lang ? c.lang : "-");
    }
}
