// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Captions.h"

#include <cmath>
#include <cstdio>

#include "DiscPath.h"
#include "Svg.h"
#include "Text.h"
#include "Units.h"
#include "Words.h"

namespace discpath {
namespace {

// A number in the language's way, fixed decimals, never "-0".
std::string Decimal(kit::Language language, double value, int decimals) {
    const std::string text = kit::SvgNumber(value, decimals);
    return language == kit::Language::German ? kit::WithDecimalComma(text) : text;
}

// Rounded to the whole second shown: cutting would read 58.9 s as 58.
ephemeris::CalendarTime Rounded(double jd) {
    return ephemeris::CalendarFromJd(std::round(jd * kit::SecondsPerDayDouble) / kit::SecondsPerDayDouble);
}

std::string Clock(double jd) {
    const ephemeris::CalendarTime t = Rounded(jd);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.tenthsOfSecond / 10);
    return text;
}

std::string Date(const ephemeris::CalendarTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
    return text;
}

// "51.43° N, 7.19° E".
std::string SiteName(const ephemeris::WgsSite& site, const Words& words, kit::Language language) {
    return kit::SiteLabel(site.latitudeDegrees, site.longitudeEastDegrees, words.north, words.south, words.east, words.west,
                          language == kit::Language::German);
}

}  // namespace

std::string DatesOf(const ephemeris::Transit& transit) {
    const ephemeris::CalendarTime first = Rounded(transit.contactJdUt[0]), last = Rounded(transit.contactJdUt[3]);
    std::string text = Date(first);
    if (last.day == first.day && last.month == first.month) return text;
    char tail[32];
    if (last.month == first.month) {
        std::snprintf(tail, sizeof tail, "/%02d", last.day);
    } else {
        std::snprintf(tail, sizeof tail, "/%02d-%02d", last.month, last.day);
    }
    return text + tail;
}

std::vector<TextLine> TitleLines(const PathPicture& picture, kit::Language language) {
    const Words& words = WordsIn(language);
    const ephemeris::Transit& transit = picture.transit;
    const bool venus = transit.planet == ephemeris::Planet::Venus;
    const std::size_t siteCount = picture.tracks.size() - 1;
    const std::string observers =
        siteCount == 0   ? std::string(words.fromCentre)
        : siteCount == 1 ? kit::Fill(words.andOneSite, SiteName(picture.tracks[1].site, words, language))
                         : kit::Fill(words.andSites, std::to_string(siteCount));
    const std::string frame = picture.zenithUp ? kit::Fill(words.zenithUp, SiteName(picture.tracks[1].site, words, language))
                                               : std::string(words.northUp);
    return {{kit::Fill(words.title, venus ? words.venus : words.mercury, DatesOf(transit)), TrackColour(0), true},
            {observers, TrackColour(0), false},
            {frame, TrackColour(0), false}};
}

std::vector<TextLine> EventLines(const PathPicture& picture, int index, kit::Language language) {
    const Words& words = WordsIn(language);
    const Mark& first = picture.tracks.front().marks[index];
    const std::string name = first.contact == 0 ? words.greatest : words.contact + std::to_string(first.contact);
    std::vector<TextLine> lines{{name, TrackColour(0), true}};
    const std::string degree = "\xC2\xB0";
    for (std::size_t t = 0; t < picture.tracks.size(); ++t) {
        const Track& track = picture.tracks[t];
        const Mark& m = track.marks[index];
        const std::string colour = TrackColour(t);
        if (!m.happens) {
            lines.push_back({words.notHere, colour, false});
            continue;
        }
        lines.push_back({Clock(m.jdUt) + " " + words.ut + "  P " + Decimal(language, m.pDeg, 1) + degree, colour, false});
        if (track.geocentric) continue;
        const double localJd = m.jdUt + track.site.longitudeEastDegrees / 360.0;
        std::string local = Clock(localJd) + " " + words.localTime;
        if (picture.zenithUp) local += "  V " + Decimal(language, m.vDeg, 1) + degree;
        lines.push_back({local, colour, false});
        if (!m.sunUp) lines.push_back({words.sunDown, colour, false});
    }
    return lines;
}

std::vector<LegendEntry> LegendOf(const PathPicture& picture, kit::Language language) {
    const Words& words = WordsIn(language);
    std::vector<LegendEntry> legend;
    legend.push_back({LegendEntry::Swatch::Sun, "", {kit::Fill(words.sunLegend, Decimal(language, picture.sunRadiusArcsec, 1))}});
    bool unseen = false;
    for (std::size_t t = 0; t < picture.tracks.size(); ++t) {
        const Track& track = picture.tracks[t];
        const std::string nearest = Decimal(language, track.minSeparationArcsec, 1);
        if (track.geocentric) {
            legend.push_back({LegendEntry::Swatch::Line, TrackColour(t), {kit::Fill(words.centrePath, nearest)}});
            continue;
        }
        const double shift = track.displacementArcsec;
        legend.push_back({LegendEntry::Swatch::Line, TrackColour(t),
                            {kit::Fill(words.sitePath, SiteName(track.site, words, language), nearest),
                             kit::Fill(shift >= 0.0 ? words.farther : words.nearer, Decimal(language, std::fabs(shift), 1))}});
        for (const PathPoint& p : track.path) unseen = unseen || !p.sunUp;
    }
    const bool sites = picture.tracks.size() > 1;
    const std::string planetRadius = Decimal(language, picture.planetRadiusArcsec, 1);
    legend.push_back({LegendEntry::Swatch::None, "", {kit::Fill(words.scaleNote, planetRadius)}});
    legend.push_back({LegendEntry::Swatch::None, "", {std::string(words.angleNote) + (sites ? words.vertexNote : "")}});
    legend.push_back({LegendEntry::Swatch::None, "", {std::string(words.timeNote) + (sites ? words.localTimeNote : "")}});
    if (unseen) legend.push_back({LegendEntry::Swatch::None, "", {words.unseenNote}});
    return legend;
}

std::string EclipticWord(kit::Language language) { return WordsIn(language).ecliptic; }

std::vector<std::string> CompassWords(kit::Language language) {
    const Words& words = WordsIn(language);
    return {words.north, words.east, words.south, words.west};
}

std::string ZenithWord(kit::Language language) { return WordsIn(language).zenith; }

std::string ArcsecText(double arcsec, kit::Language language) { return Decimal(language, arcsec, 0) + "\xE2\x80\xB3"; }

}  // namespace discpath
