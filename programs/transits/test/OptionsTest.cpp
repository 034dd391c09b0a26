// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Parse.h"

TEST(ParseTransitsOptions, RefusesBadInputWithOneSentence) {
    const struct {
        std::vector<std::string> args;
        const char* sentence;
    } table[] = {
        {{"contacts", "2004-02-30"}, "transits: date \"2004-02-30\" does not exist\n"},
        {{"contacts", "1900-02-29"}, "transits: date \"1900-02-29\" does not exist\n"},
        {{"contacts", "2004-6-8"}, "transits: date \"2004-6-8\" is not in the form YYYY-MM-DD\n"},
        {{"coefficients", "2201-01-01"}, "transits: year 2201 is outside 1600..2200\n"},
        {{"contacts", "1599-12-31"}, "transits: year 1599 is outside 1600..2200\n"},
        {{"list", "--from", "1500"}, "transits: year 1500 is outside 1600..2200\n"},
        {{"list", "--to", "20x0"}, "transits: year \"20x0\" is not a whole number\n"},
        {{"list", "--from", "2100", "--to", "2000"}, "transits: --from 2100 is after --to 2000\n"},
        {{"contacts", "2004-06-08", "--site", "95,0"}, "transits: latitude \"95\" is outside -90..90\n"},
        {{"contacts", "2004-06-08", "--site", "0,-180.5"}, "transits: longitude \"-180.5\" is outside -180..180\n"},
        {{"contacts", "2004-06-08", "--site", "0,0,30000"}, "transits: height \"30000\" is outside -1000..20000 m\n"},
        {{"contacts", "2004-06-08", "--site", "51,5"},
         nullptr},  // the comma separates: 51 N, 5 E is a site, not a decimal comma
        {{"contacts", "2004-06-08", "--site", "51;0"},
         "transits: site \"51;0\" is not in the form LAT,LON or LAT,LON,HEIGHT\n"},
        {{"contacts", "2004-06-08", "--site", "1,2,3,4"},
         "transits: site \"1,2,3,4\" is not in the form LAT,LON or LAT,LON,HEIGHT\n"},
        {{"contacts", "2004-06-08", "--delta-t", "abc"}, "transits: Delta T \"abc\" is not a number of seconds\n"},
        {{"contacts", "2004-06-08", "--delta-t", "nan"}, "transits: Delta T \"nan\" is not a number of seconds\n"},
        {{"contacts", "2004-06-08", "--delta-t", ""}, "transits: Delta T \"\" is not a number of seconds\n"},
        {{"contacts", "2004-06-08", "--delta-t", "4000"}, "transits: Delta T \"4000\" is outside -3600..3600 s\n"},
        {{"list", "--planet", "mars"}, "transits: planet \"mars\" is neither venus nor mercury\n"},
        {{"list", "--radii", "jpl"}, "transits: radii \"jpl\" are neither nasa nor iau\n"},
        {{"list", "--format", "xml"}, "transits: format \"xml\" is neither text nor json\n"},
        {{"contacts"}, "transits: contacts needs a DATE (YYYY-MM-DD)\n"},
        {{"contacts", "2004-06-08", "--plot"},
         "transits: --plot needs the name of a file for the picture (the contacts go to standard output)\n"},
        {{"contacts", "2004-06-08", "--plot", "-"},
         "transits: --plot needs the name of a file for the picture (the contacts go to standard output)\n"},
        {{"contacts", "2004-06-08", "--plot", "--site", "51,7"},
         "transits: --plot needs the name of a file for the picture (the contacts go to standard output)\n"},
        {{"contacts", "2004-06-08", "--zenith-up", "--site", "51,7"},
         "transits: --zenith-up turns the picture: it needs --plot FILE\n"},
        {{"contacts", "2004-06-08", "--zenith-up", "--plot", "p.svg"},
         "transits: --zenith-up needs exactly one --site: the zenith is a site's\n"},
        {{"contacts", "2004-06-08", "--zenith-up", "--plot", "p.svg", "--site", "51,7", "--site", "-25,28"},
         "transits: --zenith-up needs exactly one --site: the zenith is a site's\n"},
        {{"contacts", "2004-06-08", "--site", "51,7", "--site", "95,0"}, "transits: latitude \"95\" is outside -90..90\n"},
        {{}, "transits: no command given: list, contacts, coefficients, elements or map\n"},
        {{"map"}, "transits: map needs a DATE (YYYY-MM-DD)\n"},
        {{"map", "2004-06-08", "--grid", "0.7"},
         "transits: grid \"0.7\" is not a number of degrees from 0.25 to 10 that divides 180\n"},
        {{"map", "2004-06-08", "--grid", "20"},
         "transits: grid \"20\" is not a number of degrees from 0.25 to 10 that divides 180\n"},
        {{"map", "2004-06-08", "--grid", ""},
         "transits: grid \"\" is not a number of degrees from 0.25 to 10 that divides 180\n"},
        {{"map", "2004-06-08", "--plot"},
         "transits: --plot needs the name of a file for the map (the summary goes to standard output)\n"},
        {{"map", "2004-06-08", "--site", "51,7", "--site", "0,200"},
         "transits: longitude \"200\" is outside -180..180\n"},
        {{"map", "2004-06-08", "--grid", "0.5", "--site", "51,7", "--plot", "m.svg"}, nullptr},
    };
    for (const auto& row : table) {
        const Parsed p = Parse(row.args);
        if (row.sentence == nullptr) {
            EXPECT_EQ(p.status, -1) << p.err;
            continue;
        }
        EXPECT_EQ(p.status, 2) << row.sentence;
        EXPECT_EQ(p.err, std::string(row.sentence) + "Try 'transits --help'.\n");
        EXPECT_EQ(p.out, "");
    }
}

TEST(ParseTransitsOptions, ExplainsInGerman) {
    const Parsed p = Parse({"contacts", "2004-02-30"}, kit::Language::German);
    EXPECT_EQ(p.status, 2);
    EXPECT_EQ(p.err, "transits: das Datum \"2004-02-30\" gibt es nicht\nHilfe: 'transits --help'.\n");
    const Parsed chosen = Parse({"--language", "de", "list", "--from", "1500"});
    EXPECT_EQ(chosen.err, "transits: das Jahr 1500 liegt au\xDF" "erhalb von 1600..2200\nHilfe: 'transits --help'.\n");
    const Parsed unknown = Parse({"--bogus"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.rfind("transits: cannot read the command line: ", 0), 0u) << unknown.err;
}

TEST(ParseTransitsOptions, AnswersEachCommandLine) {
    // -1: run; 0: help or version written; what the output starts with.
    const struct {
        std::vector<std::string> args;
        int status;
        const char* start;
    } table[] = {
        {{"--help"}, 0, "Usage: transits [OPTIONS] COMMAND\n"},
        {{"list", "--help"}, 0, "Usage: transits"},
        {{"--help", "--format", "xml"}, 0, "Usage: transits"},
        {{"--version"}, 0, "transits "},
        {{"list", "--planet", "mercury", "--from", "1700", "--to", "1800"}, -1, ""},
        {{"list", "--from", "2000.0"}, -1, ""},                      // a whole number, however written
        {{"contacts", "08.06.2004"}, -1, ""},                        // as German spreadsheets write dates
        {{"contacts", "2004-06-08", "--delta-t", "6.46e1"}, -1, ""},
        {{"contacts", "2004-06-08", "--site", "60,-150,12000"}, -1, ""},  // airborne
        {{"contacts", "2004-06-08", "--site", "31.5,35.5,-1000"}, -1, ""},
        {{"contacts", "2004-06-08", "--site", "0,0,1e9"}, 2, "transits: height \"1e9\" is outside -1000..20000 m\n"},
        {{"list", "--to", "99999999999"}, 2, "transits: year 99999999999 is outside 1600..2200\n"},
        {{"--help", "--bogus"}, 2, "transits: cannot read the command line: "},
    };
    for (const auto& row : table) {
        const Parsed p = Parse(row.args);
        EXPECT_EQ(p.status, row.status) << row.args.size() << ' ' << p.err;
        const std::string& written = row.status == 2 ? p.err : p.out;
        EXPECT_EQ(written.rfind(row.start, 0), 0u) << row.start << " / " << written;
    }
}

TEST(ParseTransitsOptions, TakesEverySiteInTurn) {
    // Each --site takes one value, so that the date may stand after it; the sites keep their order.
    const Parsed p = Parse({"contacts", "--site", "51.43,7.19", "2004-06-08", "--site", "25 45 S,28 14 E,1400",
                            "--plot", "path.svg"});
    ASSERT_EQ(p.status, -1) << p.err;
    EXPECT_EQ(p.options.year, 2004);
    ASSERT_EQ(p.options.sites.size(), 2u);
    EXPECT_EQ(p.options.sites[0].latitudeDegrees, 51.43);
    EXPECT_NEAR(p.options.sites[1].latitudeDegrees, -25.75, 1e-12);
    EXPECT_NEAR(p.options.sites[1].longitudeEastDegrees, 28.0 + 14.0 / 60.0, 1e-12);
    EXPECT_EQ(p.options.sites[1].heightMetres, 1400.0);
    EXPECT_EQ(p.options.plotFile, "path.svg");
    EXPECT_FALSE(p.options.zenithUp);
    const Parsed turned = Parse({"contacts", "2004-06-08", "--site", "51,7", "--plot", "p.svg", "--zenith-up"});
    EXPECT_EQ(turned.status, -1) << turned.err;
    EXPECT_TRUE(turned.options.zenithUp);
    EXPECT_TRUE(Parse({"contacts", "2004-06-08"}).options.sites.empty());
}
