// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transits.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "Parse.h"

namespace {

// Runs the options through RunTransits and the JSON writer.
nlohmann::json RunJson(const std::vector<std::string>& args) {
    const Parsed p = Parse(args);
    EXPECT_EQ(p.status, -1) << p.err;
    TransitsReport report;
    std::ostringstream err, out;
    EXPECT_TRUE(RunTransits(p.options, err, report)) << err.str();
    EXPECT_TRUE(WriteTransitsJson(p.options, report, out));
    return nlohmann::json::parse(out.str(), nullptr, false);
}

std::string RunText(const std::vector<std::string>& args, kit::Language language = kit::Language::English) {
    const Parsed p = Parse(args, language);
    EXPECT_EQ(p.status, -1) << p.err;
    TransitsReport report;
    std::ostringstream err, out;
    EXPECT_TRUE(RunTransits(p.options, err, report)) << err.str();
    WriteTransitsText(p.options, report, out);
    return out.str();
}

}  // namespace

TEST(RunTransits, SaysWhenNoTransitTouchesTheDate) {
    const Parsed p = Parse({"contacts", "2005-06-08"});
    TransitsReport report;
    std::ostringstream err;
    EXPECT_FALSE(RunTransits(p.options, err, report));
    EXPECT_EQ(report.status, 1);
    EXPECT_EQ(err.str(), "transits: no transit of Venus or Mercury touches 2005-06-08\n");
    const Parsed mercury = Parse({"contacts", "2004-06-08", "--planet", "mercury"});
    std::ostringstream err2;
    EXPECT_FALSE(RunTransits(mercury.options, err2, report));
    EXPECT_EQ(err2.str(), "transits: no transit of Mercury touches 2004-06-08\n");
}

TEST(WriteTransitsJson, GivesTheContactsUnderStableKeys) {
    // NASA, 2004: 05:13:29, 05:32:55, 08:19:44, 11:06:33, 11:25:59 UT, 627 arcsec.
    const nlohmann::json j = RunJson({"contacts", "2004-06-08", "--format", "json"});
    ASSERT_TRUE(j.is_object());
    EXPECT_EQ(j["planet"], "venus");
    EXPECT_EQ(j["radii"], "nasa");
    EXPECT_NEAR(j["delta_t_s"].get<double>(), 64.65, 0.05);  // USNO: 64.65 s in June 2004
    EXPECT_EQ(j["delta_t_source"], "measured");
    EXPECT_NEAR(j["min_separation_arcsec"].get<double>(), 627.0, 0.3);
    ASSERT_EQ(j["events"].size(), 5u);
    const char* names[5] = {"C1", "C2", "greatest", "C3", "C4"};
    const char* published[5] = {"2004-06-08T05:13:2", "2004-06-08T05:32:5", "2004-06-08T08:19:4",
                                "2004-06-08T11:06:3", "2004-06-08T11:25:5"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(j["events"][i]["event"], names[i]);
        const std::string ut = j["events"][i]["ut"];
        EXPECT_EQ(ut.substr(0, 18), published[i]) << ut;
        EXPECT_EQ(ut.size(), 22u) << ut;  // tenths of a second and the Z
        EXPECT_FALSE(j["events"][i].contains("sun_altitude_deg"));
    }
}

TEST(WriteTransitsJson, GivesTheSunsAltitudeAtASite) {
    // Greenwich, 2012: the transit began with the Sun below the horizon and ended after sunrise.
    const nlohmann::json j = RunJson({"contacts", "2012-06-06", "--site", "51.4779,-0.0015,46", "--format", "json"});
    ASSERT_EQ(j["events"].size(), 5u);
    EXPECT_LT(j["events"][0]["sun_altitude_deg"].get<double>(), 0.0);
    EXPECT_TRUE(j["events"][0]["sun_below_horizon"].get<bool>());
    EXPECT_GT(j["events"][4]["sun_altitude_deg"].get<double>(), 0.0);
    EXPECT_FALSE(j["events"][4]["sun_below_horizon"].get<bool>());
    EXPECT_EQ(j["site"]["latitude_deg"], 51.4779);
}

TEST(WriteTransitsJson, LeavesOutContactsThatDoNotHappen) {
    // Mercury 1937 May 11, grazing: from the Earth's centre only contacts 1 and 4.
    const nlohmann::json j = RunJson({"contacts", "1937-05-11", "--format", "json"});
    ASSERT_EQ(j["events"].size(), 3u);
    EXPECT_EQ(j["events"][0]["event"], "C1");
    EXPECT_EQ(j["events"][1]["event"], "greatest");
    EXPECT_EQ(j["events"][2]["event"], "C4");
    const nlohmann::json c = RunJson({"coefficients", "1937-05-11", "--format", "json"});
    ASSERT_EQ(c["coefficients"].size(), 2u);
    EXPECT_EQ(c["coefficients"][1]["contact"], 4);
}

TEST(WriteTransitsJson, GivesTheCoefficientsEastPositive) {
    // The 2004 table's contact 3, C = (1832000, 1906000, -3199000) km s per km of AU, west positive:
    // times 6364 / (0.398 x 149597870.7) and y turned round, (195.8, -203.7, -341.9) s, within 1 %.
    const nlohmann::json j = RunJson({"coefficients", "2004-06-08", "--format", "json"});
    ASSERT_EQ(j["coefficients"].size(), 4u);
    const nlohmann::json& c3 = j["coefficients"][2];
    EXPECT_EQ(c3["contact"], 3);
    EXPECT_NEAR(c3["x_s"].get<double>(), 195.8, 4.4);
    EXPECT_NEAR(c3["y_s"].get<double>(), -203.7, 4.4);
    EXPECT_NEAR(c3["z_s"].get<double>(), -341.9, 4.4);
    EXPECT_EQ(j["earth_radius_km"], 6364.0);
}

TEST(WriteTransitsJson, ListsTheTransitsOfVenus) {
    const nlohmann::json j = RunJson({"list", "--planet", "venus", "--format", "json"});
    ASSERT_EQ(j["transits"].size(), 10u);
    EXPECT_EQ(j["transits"][7]["date"], "2012-06-06");  // the UT date of greatest transit
    EXPECT_EQ(j["transits"][7]["events"][0]["ut"].get<std::string>().substr(0, 10), "2012-06-05");
    EXPECT_NEAR(j["transits"][7]["min_separation_arcsec"].get<double>(), 554.4, 0.3);
    EXPECT_EQ(j["transits"][0]["planet"], "venus");
}

TEST(WriteTransitsText, WritesForPeopleInEitherLanguage) {
    const std::string english = RunText({"contacts", "2004-06-08"});
    EXPECT_NE(english.find("C1        2004-06-08 05:13:29."), std::string::npos) << english;
    EXPECT_NE(english.find("Delta T 64.7 s (measured), NASA radii"), std::string::npos) << english;
    const std::string given = RunText({"contacts", "2004-06-08", "--delta-t", "6.46e1", "--radii", "iau"});
    EXPECT_NE(given.find("Delta T 64.6 s (given), IAU radii"), std::string::npos) << given;
    const std::string german = RunText({"contacts", "2004-06-08"}, kit::Language::German);
    EXPECT_NE(german.find("Delta T 64,7 s (gemessen), Radien der NASA"), std::string::npos) << german;
    EXPECT_NE(german.find("Mitte     2004-06-08 08:19:44."), std::string::npos) << german;
    const std::string site = RunText({"contacts", "2012-06-06", "--site", "51.4779,-0.0015,46"});
    EXPECT_NE(site.find("Sun below the horizon"), std::string::npos) << site;
    const std::string list = RunText({"list", "--from", "2012", "--to", "2012"});
    // 2012 starts on June 5; the events after midnight carry +1.
    EXPECT_NE(list.find("Venus    2012-06-05  22:09:3"), std::string::npos) << list;
    EXPECT_NE(list.find("+1"), std::string::npos) << list;
    // A cell with its +1 is as wide as the others and still apart from the next (2117: contact 1 before
    // midnight, the rest after).
    const std::string later = RunText({"list", "--planet", "venus", "--from", "2117", "--to", "2117"});
    EXPECT_NE(later.find("2117-12-10  23:58:0"), std::string::npos) << later;
    EXPECT_NE(later.find("+1  02:48:0"), std::string::npos) << later;
    const std::string germanList = RunText({"list", "--planet", "mercury", "--from", "2019", "--to", "2019"},
                                           kit::Language::German);
    EXPECT_EQ(germanList.rfind("Durchg\xE4nge des Merkur, 2019..2019", 0), 0u) << germanList;
}

TEST(WriteTransitsText, WritesTheElementsEveryHour) {
    // 2012: contact 1 at 22:09, contact 4 at 04:49 UT: rows from 22:00 to 05:00.
    const std::string english = RunText({"elements", "2012-06-06"});
    EXPECT_EQ(english.rfind("Besselian elements, transit of Venus, 2012-06-06", 0), 0u) << english;
    EXPECT_NE(english.find("Delta T 66.8 s (measured), NASA radii"), std::string::npos) << english;
    EXPECT_NE(english.find("\n2012-06-05 22:00 "), std::string::npos) << english;
    EXPECT_NE(english.find("\n2012-06-06 05:00 "), std::string::npos) << english;
    EXPECT_EQ(english.find("\n2012-06-05 21:00 "), std::string::npos) << english;
    const std::string german = RunText({"elements", "2012-06-06"}, kit::Language::German);
    EXPECT_NE(german.find("Besselsche Elemente, Durchgang der Venus"), std::string::npos) << german;
    EXPECT_EQ(german.find('.', german.find("\n2012-06-05 22:00 ") + 1), std::string::npos) << german;
}

TEST(WriteTransitsJson, GivesTheElementsAsSeriesAndHourly) {
    const nlohmann::json j = RunJson({"elements", "2019-11-11", "--format", "json"});
    ASSERT_TRUE(j.contains("elements")) << j.dump();
    const nlohmann::json& e = j["elements"];
    EXPECT_EQ(j["planet"], "mercury");
    for (const char* key : {"x", "y", "d", "mu", "l1", "l2", "tan_f1", "tan_f2"}) {
        EXPECT_EQ(e["chebyshev"][key].size(), static_cast<std::size_t>(ephemeris::ElementTerms)) << key;
    }
    // 12:35 to 18:04 UT: rows 12:00 to 19:00; the penumbral cone is wider than the internal one.
    ASSERT_EQ(e["hourly"].size(), 8u);
    EXPECT_EQ(e["hourly"][0]["ut"], "2019-11-11T12:00:00.0Z");
    for (const auto& row : e["hourly"]) EXPECT_GT(row["l1"].get<double>(), row["l2"].get<double>());
}

TEST(WriteTransitsJson, GivesThePositionAndVertexAnglesOfTheContacts) {
    // p_deg on every event (NASA: 83.2 degrees at contact 1 of 2016), v_deg only at a site (the Earth's
    // centre has no zenith), and the list as it was.
    const nlohmann::json geocentric = RunJson({"contacts", "2016-05-09", "--format", "json"});
    for (const auto& e : geocentric["events"]) EXPECT_TRUE(e.contains("p_deg") && !e.contains("v_deg")) << e.dump();
    EXPECT_NEAR(geocentric["events"][0]["p_deg"].get<double>(), 83.2, 0.2);
    const nlohmann::json site = RunJson({"contacts", "2016-05-09", "--site", "51.4779,-0.0015,46", "--format", "json"});
    for (const auto& e : site["events"]) EXPECT_TRUE(e.contains("p_deg") && e.contains("v_deg")) << e.dump();
    const nlohmann::json list = RunJson({"list", "--from", "2016", "--to", "2016", "--format", "json"});
    EXPECT_FALSE(list["transits"][0]["events"][0].contains("p_deg")) << list.dump();
}

TEST(WriteTransitsText, ShowsTheAnglesAsAlignedColumns) {
    // 2016, geocentric P 83.2 and 153.8 degrees (NASA); at a site V between P and the Sun's altitude.
    const std::string english = RunText({"contacts", "2016-05-09"});
    EXPECT_NE(english.find("   P  83.2 deg\n"), std::string::npos) << english;
    EXPECT_NE(english.find("   P 153.8 deg   minimum separation"), std::string::npos) << english;
    EXPECT_EQ(english.find(" V "), std::string::npos) << english;
    const std::string german = RunText({"contacts", "2016-05-09", "--site", "51.4779,-0.0015,46"}, kit::Language::German);
    const std::regex c1("\nC1 +2016-05-09 [0-9:.]+   P +[0-9]+,[0-9] Grad   V +[0-9]+,[0-9] Grad   Sonne ");
    EXPECT_TRUE(std::regex_search(german, c1)) << german;
}

TEST(WriteTransitsText, WritesEachSiteInTurn) {
    // Two sites: the block of each as it would stand alone, a blank line between, in the order given.
    const std::string both = RunText({"contacts", "2004-06-08", "--site", "51.43,7.19", "--site", "-25.75,28.23"});
    const std::string bochum = RunText({"contacts", "2004-06-08", "--site", "51.43,7.19"});
    const std::string pretoria = RunText({"contacts", "2004-06-08", "--site", "-25.75,28.23"});
    EXPECT_EQ(both, bochum + "\n" + pretoria);
}

TEST(WriteTransitsJson, GivesEachSiteUnderSites) {
    // One site keeps the keys it always had; several go into "sites", each with its site, separation and events.
    const nlohmann::json one = RunJson({"contacts", "2004-06-08", "--site", "51.43,7.19", "--format", "json"});
    EXPECT_TRUE(one.contains("site") && one.contains("events") && !one.contains("sites")) << one.dump();
    const nlohmann::json two =
        RunJson({"contacts", "2004-06-08", "--site", "51.43,7.19", "--site", "-25.75,28.23", "--format", "json"});
    ASSERT_TRUE(two.contains("sites")) << two.dump();
    EXPECT_FALSE(two.contains("events"));
    EXPECT_EQ(two["planet"], "venus");
    ASSERT_EQ(two["sites"].size(), 2u);
    EXPECT_EQ(two["sites"][0]["site"], one["site"]);
    EXPECT_EQ(two["sites"][0]["events"], one["events"]);
    EXPECT_EQ(two["sites"][1]["site"]["latitude_deg"], -25.75);
    // The path lay south of the Sun's centre (626.9 arcsec, NASA) and parallax moves the planet against the Sun
    // away from the zenith: in the north (Bochum) farther south, from the centre; in the south (Pretoria) nearer.
    EXPECT_GT(two["sites"][0]["min_separation_arcsec"].get<double>(), 626.9 + 5.0);
    EXPECT_LT(two["sites"][1]["min_separation_arcsec"].get<double>(), 626.9 - 5.0);
}
