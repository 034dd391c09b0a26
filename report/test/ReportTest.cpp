// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Report.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Format.h"

using namespace campaign;
using namespace fitting;
using namespace report;

namespace {

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The sample campaign with the observer of some rows renamed, {line, name}; names are quoted in the file.
Reduction RenamedSample(const std::vector<std::pair<int, std::string>>& names,
                        const std::string& file = "campaign-2004.csv") {
    std::istringstream sample(Contents(SAMPLE_FOLDER "/campaign-2004.csv"));
    std::string text, line;
    for (int number = 1; std::getline(sample, line); ++number) {
        for (const auto& [at, name] : names) {
            if (at != number) continue;
            std::string quoted = "\"";
            for (const char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            line = quoted + "\"" + line.substr(line.find(','));
        }
        text += line + "\n";
    }
    std::istringstream csv(text);
    Campaign read;
    std::ostringstream err;
    EXPECT_EQ(ReadCampaign(file, csv, read, err), ReadStatus::Read) << err.str();
    return Reduce(read, ReduceOptions{}, err);
}

std::vector<std::pair<int, std::string>> Rows(int first, int last, const std::string& name) {
    std::vector<std::pair<int, std::string>> rows;
    for (int at = first; at <= last; ++at) rows.emplace_back(at, name);
    return rows;
}

template <typename... More>
std::vector<std::pair<int, std::string>> Rows(int first, int last, const std::string& name, More... more) {
    std::vector<std::pair<int, std::string>> rows = Rows(first, last, name), rest = Rows(more...);
    rows.insert(rows.end(), rest.begin(), rest.end());
    return rows;
}

}  // namespace

TEST(WriteTextReport, SampleCampaignAsBefore) {
    // The golden files are the reports of the sample campaign as they were read and checked (the AU, the three
    // planted errors named); reading, fitting, diagnosing and writing must give them byte for byte.
    std::ifstream csv(SAMPLE_FOLDER "/campaign-2004.csv", std::ios::binary);
    ASSERT_TRUE(csv);
    Campaign read;
    std::ostringstream err;
    ASSERT_EQ(ReadCampaign("campaign-2004.csv", csv, read, err), ReadStatus::Read);
    const Reduction reduction = Reduce(read, ReduceOptions{}, err);
    ASSERT_EQ(reduction.outcome, Outcome::Reduced);
    EXPECT_EQ(err.str(), "");
    const struct {
        kit::Language language;
        const char* golden;
    } cases[] = {{kit::Language::English, "campaign-2004.en.txt"}, {kit::Language::German, "campaign-2004.de.txt"}};
    for (const auto& c : cases) {
        std::ostringstream text;
        WriteTextReport(reduction, c.language, text);
        const std::string expected = Contents(std::string(GOLDEN_FOLDER "/") + c.golden);
        ASSERT_FALSE(expected.empty()) << c.golden;
        EXPECT_EQ(text.str(), expected) << c.golden;
    }
}

TEST(WriteTextReport, ObserverColumnFitsTheNamesAndKeepsThemApart) {
    const std::string ellipsis = "\xE2\x80\xA6";
    const std::string umlauts = "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\x84\xC3\x96\xC3\x9C";  // 10 letters
    const std::string tokyo = "\xE6\x9D\xB1\xE4\xBA\xAC\xE5\xA4\xA9\xE6\x96\x87\xE5\x8F\xB0";  // 5 ideographs, 10 columns
    const std::string meudon = "Observatoire de Paris, site de Meudon, grande lunette equatoriale";
    const std::string nancay = "Observatoire de Paris, site de Nancay, grande lunette equatoriale";
    const std::string alcala = "Observatorio Astronomico Nacional de Madrid, Alcala station ";
    const struct {
        std::vector<std::pair<int, std::string>> names;  // rows renamed
        kit::Language language;
        std::size_t width;                               // of the observer's column, its space not counted
        std::vector<std::pair<int, std::string>> cells;  // as the table shows the names of those rows
    } cases[] = {
        // Greenwich is rows 2-5, Paris 6-9, Madrid 10-13, Lisbon 14-16, Uccle 17-20; observers number from 1.
        {Rows(2, 5, "Sliven Observatory team A", 6, 9, "Sliven Observatory team B"), kit::Language::English, 25,
         {{2, "Sliven Observatory team A"}, {9, "Sliven Observatory team B"}}},
        {{{2, "Greenwich Royal Observatory 1"}, {3, "Greenwich Royal Observatory 2"}, {4, "Greenwich Royal Observatory 3"},
          {5, "Greenwich Royal Observatory 4"}},
         kit::Language::English, 29,
         {{2, "Greenwich Royal Observatory 1"}, {5, "Greenwich Royal Observatory 4"}}},
        // Past 40 columns the middle goes; names alike even then carry their observer's number.
        {Rows(6, 9, meudon, 10, 13, nancay, 14, 16, alcala + "A", 17, 20, alcala + "B"), kit::Language::German, 40,
         {{6, "Observatoire de Pa" + ellipsis + "unette equatoriale #2"},
          {13, "Observatoire de Pa" + ellipsis + "unette equatoriale #3"},
          {14, "Observatorio Astrono" + ellipsis + "d, Alcala station A"},
          {20, "Observatorio Astrono" + ellipsis + "d, Alcala station B"}}},
        {Rows(2, 5, umlauts + " Sternwarte Hamburg-Bergedorf", 6, 9, tokyo, 10, 13, "\x1B[31mRed\x1B[0m", 14, 16,
              "two\nlines"),
         kit::Language::English, 39,
         {{2, umlauts + " Sternwarte Hamburg-Bergedorf"}, {6, tokyo}, {10, "\\x1B[31mRed\\x1B[0m"}, {14, "two\\nlines"}}},
    };
    for (const auto& c : cases) {
        const Reduction reduction = RenamedSample(c.names);
        std::ostringstream out;
        WriteTextReport(reduction, c.language, out);
        const std::string text = out.str();
        EXPECT_TRUE(kit::IsUtf8(text));
        EXPECT_EQ(text.find_first_of("\x1B\r\t"), std::string::npos);
        std::istringstream lines(text);
        std::string line;
        const bool english = c.language == kit::Language::English;
        while (std::getline(lines, line) && line.rfind(english ? "Timing " : "Zeit ", 0) != 0) {
        }
        // The contact's column begins after the file's 22 columns, the name's and two spaces, in the title too.
        const std::size_t contactColumn = 22 + 1 + c.width + 1;
        EXPECT_EQ(kit::DisplayWidth(line.substr(0, line.find(english ? "Contact" : "Kontakt"))), contactColumn) << line;
        int rows = 0;
        while (std::getline(lines, line)) {
            if (line.rfind("campaign-2004.csv:", 0) != 0) continue;
            ++rows;
            const std::size_t before = kit::EscapedHead(line, contactColumn).size();
            ASSERT_LT(before, line.size()) << line;
            EXPECT_TRUE(line[before - 1] == ' ' && std::isdigit(static_cast<unsigned char>(line[before]))) << line;
            for (const auto& [at, cell] : c.cells) {
                const std::string where = Padded("campaign-2004.csv:" + std::to_string(at), 22) + " ";
                if (line.rfind(where, 0) == 0) {
                    EXPECT_EQ(line.substr(where.size(), cell.size() + 1), cell + " ") << line;
                }
            }
        }
        EXPECT_EQ(rows, 99);
    }
}

TEST(WritePlotSvg, LabelsShowControlCharactersEscaped) {
    // Row 32, Vienna's fourth contact, is an hour off and rejected: the plot labels it with its observer.
    const struct {
        std::string name, label;
    } cases[] = {
        {"Wien\x1B[31m & <Co>", ">Wien\\x1B[31m &amp; &lt;Co&gt; ("},
        {"Wien\nzweite Zeile", ">Wien\\nzweite Zeile ("},
        {"\xE2\x80\xAE" "neiW", ">\\u202EneiW ("},
    };
    for (const auto& c : cases) {
        std::ostringstream svg;
        WritePlotSvg(RenamedSample({{32, c.name}}), kit::Language::English, svg);
        EXPECT_NE(svg.str().find(c.label), std::string::npos) << c.label;
        EXPECT_EQ(svg.str().find_first_of("\x1B\r\t"), std::string::npos);
    }
}

TEST(WriteCsvReport, NamesNeverRunAsFormulas) {
    // Greenwich's first contact, row 2, renamed; its O-C stays a bare number.
    const struct {
        std::string file, name;
        std::string row;  // the start of row 2 in the CSV, up to and with its contact
    } cases[] = {
        {"c.csv", "=1+2", "c.csv,2,\"'=1+2\",\"'=1+2\",1,"},
        {"c.csv", "+49 30 1234", "c.csv,2,\"'+49 30 1234\",\"'+49 30 1234\",1,"},
        {"c.csv", "-Paris", "c.csv,2,\"'-Paris\",\"'-Paris\",1,"},
        {"c.csv", "@SUM(A1:A9)", "c.csv,2,\"'@SUM(A1:A9)\",\"'@SUM(A1:A9)\",1,"},
        {"c.csv", "=HYPERLINK(\"http://x\",\"y\")", "c.csv,2,\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",\"'=HYPERLINK("},
        {"=cmd|' /C calc'!A0.csv", "Greenwich", "\"'=cmd|' /C calc'!A0.csv\",2,Greenwich,Greenwich,1,"},
        {"\tc.csv", "Green=wich", "\"'\tc.csv\",2,Green=wich,Green=wich,1,"},
        {"c.csv", "Tom \"the\" Observer", "c.csv,2,\"Tom \"\"the\"\" Observer\",\"Tom \"\"the\"\" Observer\",1,"},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        WriteCsvReport(RenamedSample({{2, c.name}}, c.file), out);
        const std::string csv = out.str();
        const std::size_t row = csv.find('\n') + 1;
        EXPECT_EQ(csv.substr(row, c.row.size()), c.row) << csv.substr(row, 120);
        // used, then the O-C in seconds as a bare number
        const std::size_t oMinusC = csv.find("true,", row) + 5;
        EXPECT_NE(std::string("-0123456789").find(csv[oMinusC]), std::string::npos) << csv.substr(row, 120);
    }
}

TEST(WriteJsonReport, IsTheJsonLibrarysOwnWritingOfTheWholeReport) {
    // The head and each timing are written apart, the timings one at a time; together they must be what the
    // library writes of the report read back, byte for byte, whatever the names hold: the head indented, each
    // timing on a line of its own, compact.
    const struct {
        std::string file, name;  // of the file, and of row 2's observer
    } cases[] = {
        {"campaign-2004.csv", "Greenwich"},
        {"n\xE4me.csv", "\x1B[31mred\x1B[0m \"quoted\" back\\slash"},
        {"c.csv", "tab\there\nnext line \xE2\x80\xAE \xC3\x84\xC3\x96\xC3\x9C \xE6\x9D\xB1"},
    };
    const std::vector<std::string> keys = {"file", "line", "observer", "site", "latitude", "longitude", "contact",
                                           "used", "o_minus_c_s", "lever_s", "predicted_ut", "date_ut", "time_ut",
                                           "date_as_printed", "time_as_printed", "time_basis", "day", "flags", "reasons"};
    for (const auto& c : cases) {
        std::ostringstream out;
        WriteJsonReport(RenamedSample({{2, c.name}}, c.file), out);
        const auto report = nlohmann::ordered_json::parse(out.str(), nullptr, false);
        ASSERT_FALSE(report.is_discarded()) << out.str().substr(0, 2000);
        auto head = report;
        head.erase("timings");
        std::string expected = head.dump(2);
        expected.erase(expected.size() - 2);  // the closing "\n}"
        expected += ",\n  \"timings\": [";
        for (std::size_t k = 0; k < report["timings"].size(); ++k) expected += (k == 0 ? "\n    " : ",\n    ") + report["timings"][k].dump();
        expected += "\n  ]\n}\n";
        EXPECT_EQ(expected, out.str());
        const auto& timings = report["timings"];
        ASSERT_EQ(timings.size(), 99u);
        std::vector<std::string> written;
        for (const auto& [key, value] : timings[0].items()) written.push_back(key);
        EXPECT_EQ(written, keys);
        EXPECT_EQ(timings[0]["observer"], c.name);
        EXPECT_EQ(timings[0]["file"], c.file == "n\xE4me.csv" ? "n\xC3\xA4me.csv" : c.file);  // Windows-1252 read as such
        // Row 32, Vienna an hour off.
        EXPECT_EQ(timings[30]["flags"], nlohmann::ordered_json::parse(R"(["time-zone", "outlier"])"));
    }
}

TEST(FormatUt, TenthsOfTheDayAsTheFormatWritesThem) {
    // Expected: hh:mm:ss.t of the seconds rounded to tenths, each field printf's %02lld (the last %lld), worked
    // by hand; the hours wrap at a day, and a negative time keeps printf's minus signs.
    const std::pair<double, const char*> cases[] = {
        {0.0, "00:00:00.0"},         {5.04, "00:00:05.0"},  {5.05, "00:00:05.1"},       {19312.34, "05:21:52.3"},
        {43200.0, "12:00:00.0"},     {86399.94, "23:59:59.9"}, {86399.96, "00:00:00.0"}, {90061.0, "01:01:01.0"},
        {-0.04, "00:00:00.0"},       {-1.0, "00:00:-1.0"},  {-3661.0, "-1:-1:-1.0"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatUt(seconds), text) << seconds;
}

TEST(FormatUtMs, MillisecondsAsTheFormatWritesThem) {
    // Expected: printf's "%02lld:%02lld:%02lld.%03lld" of the rounded milliseconds, worked by hand: the hours
    // are not taken modulo 24 and may take three digits; a negative time keeps printf's minus signs.
    const std::pair<double, const char*> cases[] = {
        {0.0, "00:00:00.000"},   {0.0005, "00:00:00.001"},  {5.04, "00:00:05.040"},       {19312.3456, "05:21:52.346"},
        {86399.9996, "24:00:00.000"}, {90061.007, "25:01:01.007"}, {360000.5, "100:00:00.500"}, {-1.5, "00:00:-1.-500"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatUtMs(seconds), text) << seconds;
}
