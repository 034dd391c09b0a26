// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

using namespace discpath;
using ephemeris::Planet;
using ephemeris::WgsSite;

namespace {

const WgsSite Bochum{51.43, 7.19, 0.0}, Pretoria{-25.75, 28.23, 0.0};
const WgsSite Vardo{70.37, 31.11, 0.0}, PointVenus{-17.49, -149.50, 0.0}, CapeTown{-33.9, 18.4, 0.0};

struct Case {
    Planet planet;
    int year, month, day;
    std::vector<WgsSite> sites;
    bool zenithUp;
};

// The pictures looked at while the layout was made, and the grazing transit of 1937.
const Case Cases[] = {
    {Planet::Venus, 2004, 6, 8, {Bochum, Pretoria}, false},
    {Planet::Venus, 2004, 6, 8, {Bochum}, true},
    {Planet::Venus, 2012, 6, 6, {}, false},
    {Planet::Venus, 2012, 6, 6, {Bochum, PointVenus}, false},
    {Planet::Venus, 1769, 6, 3, {Vardo, PointVenus}, false},
    {Planet::Mercury, 2019, 11, 11, {Bochum, Pretoria}, false},
    {Planet::Mercury, 2019, 11, 11, {Bochum}, true},
    {Planet::Mercury, 2032, 11, 13, {Bochum, Pretoria}, false},
    {Planet::Mercury, 2032, 11, 13, {}, false},
    {Planet::Mercury, 1937, 5, 11, {Bochum, CapeTown}, false},
};

PathPicture Traced(const Case& k) {
    ephemeris::Transit t;
    EXPECT_TRUE(ephemeris::FindTransit(k.planet, k.year, k.month, k.day, ephemeris::EphemerisOptions{}, t));
    std::vector<SiteSeen> sites;
    for (const WgsSite& site : k.sites) {
        SiteSeen s{site, {}};
        EXPECT_TRUE(ephemeris::LocalContacts(t, site.latitudeDegrees, site.longitudeEastDegrees, 0.0, s.local));
        sites.push_back(s);
    }
    PathPicture picture;
    EXPECT_TRUE(TracePath(t, sites, k.zenithUp, picture));
    return picture;
}

std::vector<Segment> Lines(const Drawing& d) {
    std::vector<Segment> lines;
    for (const Stroke& s : d.strokes) {
        for (std::size_t i = 0; i + 1 < s.points.size(); ++i) {
            lines.push_back({s.points[i].x, s.points[i].y, s.points[i + 1].x, s.points[i + 1].y});
        }
    }
    return lines;
}

}  // namespace

TEST(LayOut, KeepsEveryLabelClear) {
    // No label over another, over a path, a planet or the ecliptic; each within the page above the legend;
    // the contacts' labels outside the Sun's disc.
    for (const Case& k : Cases) {
        const PathPicture picture = Traced(k);
        const Drawing d = LayOut(picture, kit::Language::English);
        const std::vector<Segment> lines = Lines(d);
        const std::string name = std::to_string(k.year) + (k.zenithUp ? " zenith" : "");
        for (std::size_t i = 0; i < d.labels.size(); ++i) {
            const Label& a = d.labels[i];
            const std::string what = name + " " + a.lines.front().text;
            EXPECT_GE(a.box.x, 0.0) << what;
            EXPECT_LE(a.box.x + a.box.width, d.width) << what;
            EXPECT_GE(a.box.y, 90.0) << what;                        // below the title
            EXPECT_LE(a.box.y + a.box.height, d.legendTop) << what;  // above the legend
            for (std::size_t j = i + 1; j < d.labels.size(); ++j) {
                EXPECT_FALSE(Overlaps(a.box, d.labels[j].box, 0.0)) << what << " / " << d.labels[j].lines.front().text;
            }
            for (const Segment& s : lines) EXPECT_FALSE(Touches(a.box, s, 0.0)) << what;
            EXPECT_FALSE(Touches(a.box, d.ecliptic, 0.0)) << what;
            for (const PlanetDisc& p : d.planets) EXPECT_FALSE(Touches(a.box, p.disc, 0.0)) << what;
            const bool contact = a.lines.front().text.size() == 2 && a.lines.front().text[0] == 'C';
            if (contact) {
                const double x = std::clamp(d.sun.x, a.box.x, a.box.x + a.box.width);
                const double y = std::clamp(d.sun.y, a.box.y, a.box.y + a.box.height);
                EXPECT_GT(std::hypot(x - d.sun.x, y - d.sun.y), d.sun.r) << what;
            }
        }
    }
}

TEST(LayOut, LabelsEachEventOnce) {
    // A label for every event some observer has, each with one line per observer at least; the planet to
    // scale on the Sun of 290 px.
    for (const Case& k : Cases) {
        const PathPicture picture = Traced(k);
        const Drawing d = LayOut(picture, kit::Language::English);
        int expected = 0;
        for (int e = 0; e < MarkCount; ++e) {
            bool any = false;
            for (const Track& t : picture.tracks) any = any || t.marks[e].happens;
            expected += any;
        }
        int events = 0;
        for (const Label& label : d.labels) {
            const std::string& head = label.lines.front().text;
            if (head == "greatest transit" || (head.size() == 2 && head[0] == 'C')) {
                ++events;
                EXPECT_GE(label.lines.size(), picture.tracks.size() + 1) << k.year << " " << head;
            }
        }
        EXPECT_EQ(events, expected) << k.year;
        ASSERT_FALSE(d.planets.empty());
        EXPECT_NEAR(d.planets.front().disc.r, picture.planetRadiusArcsec * 290.0 / picture.sunRadiusArcsec, 1e-9);
    }
}

TEST(LayOut, NamesTimesAnglesAndSitesAsPublished) {
    // 2004: NASA's contact 1 at 05:13:29 UT; Bochum's local mean time is UT + 7.19/15 h = UT + 28 min 46 s.
    const PathPicture picture = Traced(Cases[0]);
    const Drawing english = LayOut(picture, kit::Language::English);
    std::ostringstream svg;
    WriteDrawingSvg(english, svg);
    const std::string text = svg.str();
    EXPECT_NE(text.find(">05:13:29 UT  P 116."), std::string::npos);
    const double c1 = picture.tracks[1].marks[0].jdUt + (28 * 60 + 45.6) / 86400.0;
    const ephemeris::CalendarTime local = ephemeris::CalendarFromJd(std::round(c1 * 86400.0) / 86400.0);
    char lmt[32];
    std::snprintf(lmt, sizeof lmt, ">%02d:%02d:%02d LMT<", local.hour, local.minute, local.tenthsOfSecond / 10);
    EXPECT_NE(text.find(lmt), std::string::npos) << lmt;
    EXPECT_NE(text.find(">path from 51.43\xC2\xB0 N, 7.19\xC2\xB0 E: "), std::string::npos);
    EXPECT_NE(text.find(">path from 25.75\xC2\xB0 S, 28.23\xC2\xB0 E: "), std::string::npos);
    EXPECT_EQ(english.title.front().text, "Transit of Venus, 2004-06-08");
    const Drawing german = LayOut(picture, kit::Language::German);
    EXPECT_EQ(german.title.front().text, "Durchgang der Venus, 2004-06-08");
    EXPECT_EQ(german.legend.front().lines.front().rfind("Sonne, Radius 945,", 0), 0u);
    // Across midnight UT the title names both dates.
    EXPECT_EQ(LayOut(Traced(Cases[4]), kit::Language::English).title.front().text, "Transit of Venus, 1769-06-03/04");
}

TEST(WriteDrawingSvg, WritesTheSameBytesForTheSamePicture) {
    // Fixed decimals and nothing from the machine: two runs give one file, with no "-0" and no "nan".
    const PathPicture picture = Traced(Cases[5]);
    std::ostringstream a, b;
    WritePathSvg(picture, kit::Language::German, a);
    WritePathSvg(Traced(Cases[5]), kit::Language::German, b);
    EXPECT_EQ(a.str(), b.str());
    EXPECT_EQ(a.str().find("=\"-0"), std::string::npos);
    EXPECT_EQ(a.str().find("nan"), std::string::npos);
    EXPECT_EQ(a.str().rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
}
