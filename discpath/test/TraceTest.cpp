// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "DiscPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using discpath::PathPicture;
using discpath::Track;
using ephemeris::WgsSite;

namespace {

constexpr double Rad = 3.14159265358979323846 / 180.0;

const WgsSite Bochum{51.43, 7.19, 0.0}, Pretoria{-25.75, 28.23, 0.0};
const WgsSite Vardo{70.37, 31.11, 0.0}, PointVenus{-17.49, -149.50, 0.0};

ephemeris::Transit Found(ephemeris::Planet planet, int year, int month, int day) {
    ephemeris::Transit t;
    EXPECT_TRUE(ephemeris::FindTransit(planet, year, month, day, ephemeris::EphemerisOptions{}, t)) << year;
    return t;
}

double AngleDifference(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

double Length(const discpath::SkyPoint& p) { return std::hypot(p.up, p.left); }

// The sites with what LocalContacts finds there.
std::vector<discpath::SiteSeen> Seen(const ephemeris::Transit& t, const std::vector<WgsSite>& sites) {
    std::vector<discpath::SiteSeen> seen;
    for (const WgsSite& site : sites) {
        discpath::SiteSeen s{site, {}};
        EXPECT_TRUE(ephemeris::LocalContacts(t, site.latitudeDegrees, site.longitudeEastDegrees, site.heightMetres,
                                             s.local));
        seen.push_back(s);
    }
    return seen;
}

}  // namespace

TEST(TracePath, ShiftsEachSitesPathByItsParallax) {
    // The paths are all but parallel, so a site's displacement from the geocentric path is the difference of
    // the two minimum separations that LocalContacts and FindTransit solve for on their own: Bochum's path
    // lies farther from the Sun's centre in 2004 (641.0 against 626.9 arcsec), Pretoria's nearer (613.8).
    const struct {
        ephemeris::Planet planet;
        int year, month, day;
        WgsSite sites[2];
        double least;  // the displacement is at least this, arcsec: a shift that vanished would show
    } cases[] = {{ephemeris::Planet::Venus, 2004, 6, 8, {Bochum, Pretoria}, 5.0},
                 {ephemeris::Planet::Venus, 1769, 6, 3, {Vardo, PointVenus}, 5.0},
                 {ephemeris::Planet::Mercury, 2032, 11, 13, {Bochum, Pretoria}, 0.5}};
    for (const auto& k : cases) {
        const ephemeris::Transit t = Found(k.planet, k.year, k.month, k.day);
        PathPicture picture;
        ASSERT_TRUE(discpath::TracePath(t, Seen(t, {k.sites[0], k.sites[1]}), false, picture));
        ASSERT_EQ(picture.tracks.size(), 3u);
        EXPECT_TRUE(picture.tracks[0].geocentric);
        for (int s = 1; s <= 2; ++s) {
            const Track& track = picture.tracks[static_cast<std::size_t>(s)];
            const double expected = track.minSeparationArcsec - t.minSeparationArcsec;
            EXPECT_NEAR(track.displacementArcsec, expected, 0.3) << k.year << " site " << s;
            EXPECT_GT(std::fabs(track.displacementArcsec), k.least) << k.year << " site " << s;
        }
    }
    PathPicture picture;
    const ephemeris::Transit venus = Found(ephemeris::Planet::Venus, 2004, 6, 8);
    ASSERT_TRUE(discpath::TracePath(venus, Seen(venus, {Bochum, Pretoria}), false, picture));
    EXPECT_NEAR(picture.tracks[1].displacementArcsec, 641.0 - 626.9, 0.3);
    EXPECT_NEAR(picture.tracks[2].displacementArcsec, 613.8 - 626.9, 0.3);
}

TEST(TracePath, PutsTheContactsOnTheLimbInEitherFrame) {
    // Contacts 1 and 4 at the sum of the radii from the Sun's centre, 2 and 3 at their difference, to 0.1
    // arcsec; with the zenith up the site's contacts stand at their vertex angles (anticlockwise from up).
    const ephemeris::Transit t = Found(ephemeris::Planet::Venus, 2004, 6, 8);
    for (const bool zenithUp : {false, true}) {
        PathPicture picture;
        ASSERT_TRUE(discpath::TracePath(t, Seen(t, {Bochum}), zenithUp, picture));
        for (const Track& track : picture.tracks) {
            for (const discpath::Mark& m : track.marks) {
                ASSERT_TRUE(m.happens);
                if (m.contact == 0) continue;
                std::vector<ephemeris::DiscPosition> at;
                ASSERT_TRUE(ephemeris::DiscPositions(t, track.geocentric ? std::nullopt : std::optional(track.site),
                                                     {m.jdUt}, at));
                const double limb = m.contact == 1 || m.contact == 4 ? at[0].sunRadiusArcsec + at[0].planetRadiusArcsec
                                                                     : at[0].sunRadiusArcsec - at[0].planetRadiusArcsec;
                EXPECT_NEAR(Length(m.at), limb, 0.1) << zenithUp << " contact " << m.contact;
                const double angle = std::atan2(m.at.left, m.at.up) / Rad;
                const double expected = zenithUp && !track.geocentric ? m.vDeg : zenithUp ? angle : m.pDeg;
                EXPECT_NEAR(AngleDifference(angle, expected), 0.0, 1e-6) << zenithUp << " contact " << m.contact;
            }
        }
        // Turned or not, the geocentric path stays within the parallax of Venus against the Sun (under 22
        // arcsec) of the site's at the same instant: a frame turned the wrong way would part them by degrees.
        const Track& site = picture.tracks[1];
        for (const discpath::PathPoint& p : site.path) {
            const Track& centre = picture.tracks[0];
            for (std::size_t i = 0; i + 1 < centre.path.size(); ++i) {
                if (!(centre.path[i].jdUt <= p.jdUt && p.jdUt <= centre.path[i + 1].jdUt)) continue;
                const double f = (p.jdUt - centre.path[i].jdUt) / (centre.path[i + 1].jdUt - centre.path[i].jdUt);
                const double up = centre.path[i].at.up + f * (centre.path[i + 1].at.up - centre.path[i].at.up);
                const double left = centre.path[i].at.left + f * (centre.path[i + 1].at.left - centre.path[i].at.left);
                EXPECT_LT(std::hypot(p.at.up - up, p.at.left - left), 22.0) << zenithUp;
            }
        }
    }
}

TEST(TracePath, SaysWhereTheSunIsDown) {
    // Mercury 2019 from Bochum: the Sun set there (about 15:45 UT) before contacts 3 and 4 (18:02, 18:04 UT).
    // The path changes from seen to unseen where the Sun's altitude passes the one rule of the Sun being up.
    const ephemeris::Transit t = Found(ephemeris::Planet::Mercury, 2019, 11, 11);
    PathPicture picture;
    ASSERT_TRUE(discpath::TracePath(t, Seen(t, {Bochum}), false, picture));
    const Track& site = picture.tracks[1];
    EXPECT_TRUE(site.marks[0].sunUp);
    EXPECT_FALSE(site.marks[3].sunUp);
    EXPECT_FALSE(site.marks[4].sunUp);
    int changes = 0;
    for (std::size_t i = 0; i + 1 < site.path.size(); ++i) {
        if (site.path[i].sunUp && !site.path[i + 1].sunUp) {
            ++changes;
            const double altitude = ephemeris::SunAltitudeDegrees(site.path[i].jdUt, Bochum.latitudeDegrees,
                                                                  Bochum.longitudeEastDegrees, 0.0);
            EXPECT_NEAR(altitude, ephemeris::SunUpAltitudeDegrees, 0.01);
        }
    }
    EXPECT_EQ(changes, 1);
    for (const discpath::PathPoint& p : picture.tracks[0].path) EXPECT_TRUE(p.sunUp);
}

TEST(TracePath, RefusesWhatItCannotDraw) {
    const ephemeris::Transit t = Found(ephemeris::Planet::Venus, 2012, 6, 6);
    PathPicture picture;
    picture.zenithUp = true;
    EXPECT_FALSE(discpath::TracePath(t, {}, true, picture));                    // the zenith is a site's
    EXPECT_FALSE(discpath::TracePath(t, Seen(t, {Bochum, Pretoria}), true, picture));  // and of one site
    EXPECT_FALSE(discpath::TracePath(t, {{WgsSite{95.0, 0.0, 0.0}, {}}}, false, picture));
    EXPECT_TRUE(picture.tracks.empty() && picture.zenithUp);                    // untouched
    ASSERT_TRUE(discpath::TracePath(t, {}, false, picture));
    EXPECT_EQ(picture.tracks.size(), 1u);
    EXPECT_NEAR(Length(picture.tracks[0].marks[2].at), 554.4, 0.3);            // NASA: 554.4 arcsec
}
