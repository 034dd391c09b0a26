// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Drawing.h"

#include <cmath>
#include <cstdio>

#include "Svg.h"
#include "Units.h"
#include "Words.h"

namespace discpath {
namespace {

// The page: 1000 px wide, the Sun's disc 580 across with room for labels around it, the legend below.
constexpr double PageWidth = 1000.0, SunRadiusPx = 290.0, TitleBottom = 92.0, RoomAround = 112.0, Margin = 8.0;
// A planet's disc smaller than this (radius, px) gets a ring round it.
constexpr double MinimumMarkPx = 4.0;

const char* const CentreColour = "#222222";
const char* const SiteColours[] = {"#d62728", "#1f77b4", "#2ca02c", "#9467bd", "#e67e00", "#8c564b"};

constexpr double Rad = static_cast<double>(kit::Pi) / 180.0;

std::string TrackColour(std::size_t index) {
    return index == 0 ? CentreColour : SiteColours[(index - 1) % (sizeof SiteColours / sizeof SiteColours[0])];
}

// A number in the language's way, fixed decimals, never "-0".
std::string Decimal(kit::Language language, double value, int decimals) {
    const std::string text = kit::SvgNumber(value, decimals);
    return language == kit::Language::German ? kit::WithDecimalComma(text) : text;
}

std::string Fill(const char* pattern, const std::string& a, const std::string& b = "") {
    std::string out;
    const std::string* args[2] = {&a, &b};
    int next = 0;
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's' && next < 2) {
            out += *args[next++];
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
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

// "2004-06-08", or "2012-06-05/06" for a transit across midnight UT.
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

// "51.43° N, 7.19° E".
std::string SiteName(const ephemeris::WgsSite& site, const Words& words, kit::Language language) {
    const std::string degree = "\xC2\xB0 ";
    return Decimal(language, std::fabs(site.latitudeDegrees), 2) + degree +
           (site.latitudeDegrees < 0.0 ? words.south : words.north) + ", " +
           Decimal(language, std::fabs(site.longitudeEastDegrees), 2) + degree +
           (site.longitudeEastDegrees < 0.0 ? words.west : words.east);
}

// Where the picture puts a place of the frame, and a direction at a distance from the Sun's centre.
struct Scene {
    Pixel centre;
    double scale;  // px per arcsec
    Pixel At(const SkyPoint& p) const { return {centre.x - p.left * scale, centre.y - p.up * scale}; }
    Pixel Toward(double angleDeg, double r) const {
        return {centre.x - r * std::sin(angleDeg * Rad), centre.y - r * std::cos(angleDeg * Rad)};
    }
};

// A path cut into stretches of one style each; a crossing of the horizon ends one and starts the next.
void AddStrokes(const Track& track, const Scene& scene, const std::string& colour, Drawing& d) {
    for (std::size_t i = 0; i + 1 < track.path.size(); ++i) {
        const bool dotted = !(track.path[i].sunUp && track.path[i + 1].sunUp);
        if (d.strokes.empty() || i == 0 || d.strokes.back().dotted != dotted) {
            d.strokes.push_back({{scene.At(track.path[i].at)}, colour, dotted, track.geocentric ? 1.8 : 1.6});
        }
        d.strokes.back().points.push_back(scene.At(track.path[i + 1].at));
    }
}

// The arrow three quarters along the geocentric path, where no contact label's leader starts.
std::vector<Pixel> Arrow(const Track& track, const Scene& scene) {
    const std::size_t i = track.path.size() * 3 / 4;
    const Pixel a = scene.At(track.path[i - 1].at), b = scene.At(track.path[i + 1].at), tip = scene.At(track.path[i].at);
    const double length = std::hypot(b.x - a.x, b.y - a.y), ux = (b.x - a.x) / length, uy = (b.y - a.y) / length;
    const double size = 10.0;
    return {{tip.x + ux * size / 2, tip.y + uy * size / 2},
            {tip.x - ux * size / 2 - uy * size / 2.5, tip.y - uy * size / 2 + ux * size / 2.5},
            {tip.x - ux * size / 2 + uy * size / 2.5, tip.y - uy * size / 2 - ux * size / 2.5}};
}

Label Boxed(std::vector<TextLine> lines) {
    Label label;
    double width = 0.0;
    for (const TextLine& line : lines) width = std::max(width, TextWidth(line.text, LabelSize, line.bold));
    label.box = {0.0, 0.0, width + 2 * LabelPad, static_cast<double>(lines.size()) * LabelLine + LabelPad};
    label.lines = std::move(lines);
    return label;
}

// The words of one event: its name, then each observer's time, angles and what the site sees.
std::vector<TextLine> EventLines(const PathPicture& picture, int index, const Words& words, kit::Language language) {
    const Mark& first = picture.tracks.front().marks[index];
    const std::string name = first.contact == 0 ? words.greatest : words.contact + std::to_string(first.contact);
    std::vector<TextLine> lines{{name, CentreColour, true}};
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

void Place(Label& label, const Placement& placement, double anchorX, Obstacles& obstacles) {
    label.box = placement.box;
    label.line = placement.leader;
    label.leader = true;
    label.flushRight = placement.box.x + placement.box.width <= anchorX + 0.5;
    Occupy(placement, obstacles);
}

// A fixed word beside the disc, centred on a point.
Label Word(const std::string& text, Pixel at, bool bold) {
    Label label = Boxed({{text, CentreColour, bold}});
    label.box.x = at.x - label.box.width / 2.0;
    label.box.y = at.y - label.box.height / 2.0;
    return label;
}

// A word at the limb in a direction, moved out from it, and then turned a little, until nothing drawn lies
// under it; where everything is taken, at its place regardless.
Label Beside(const std::string& text, bool bold, const Scene& scene, double angleDeg, double distance,
             const Obstacles& obstacles) {
    for (const double turn : {0.0, 4.0, -4.0, 8.0, -8.0, 12.0, -12.0}) {
        for (double r = distance; r <= distance + 60.0; r += 6.0) {
            const Label label = Word(text, scene.Toward(angleDeg + turn, SunRadiusPx + r), bold);
            bool clear = true;
            for (const Circle& c : obstacles.circles) clear = clear && !Touches(label.box, c, 2.0);
            for (const Segment& s : obstacles.lines) clear = clear && !Touches(label.box, s, 2.0);
            for (const Segment& s : obstacles.leaders) clear = clear && !Touches(label.box, s, 2.0);
            for (const Box& b : obstacles.boxes) clear = clear && !Overlaps(label.box, b, 2.0);
            if (clear) return label;
        }
    }
    return Word(text, scene.Toward(angleDeg, SunRadiusPx + distance), bold);
}

void AddLegend(const PathPicture& picture, const Words& words, kit::Language language, Drawing& d) {
    d.legend.push_back({LegendEntry::Swatch::Sun, "", {Fill(words.sunLegend, Decimal(language, picture.sunRadiusArcsec, 1))}});
    bool unseen = false;
    for (std::size_t t = 0; t < picture.tracks.size(); ++t) {
        const Track& track = picture.tracks[t];
        const std::string nearest = Decimal(language, track.minSeparationArcsec, 1);
        if (track.geocentric) {
            d.legend.push_back({LegendEntry::Swatch::Line, TrackColour(t), {Fill(words.centrePath, nearest)}});
            continue;
        }
        const double shift = track.displacementArcsec;
        d.legend.push_back({LegendEntry::Swatch::Line, TrackColour(t),
                            {Fill(words.sitePath, SiteName(track.site, words, language), nearest),
                             Fill(shift >= 0.0 ? words.farther : words.nearer, Decimal(language, std::fabs(shift), 1))}});
        for (const PathPoint& p : track.path) unseen = unseen || !p.sunUp;
    }
    const bool sites = picture.tracks.size() > 1;
    d.legend.push_back({LegendEntry::Swatch::None, "", {Fill(words.scaleNote, Decimal(language, picture.planetRadiusArcsec, 1))}});
    d.legend.push_back({LegendEntry::Swatch::None, "", {std::string(words.angleNote) + (sites ? words.vertexNote : "")}});
    d.legend.push_back({LegendEntry::Swatch::None, "", {std::string(words.timeNote) + (sites ? words.localTimeNote : "")}});
    if (unseen) d.legend.push_back({LegendEntry::Swatch::None, "", {words.unseenNote}});
}

}  // namespace

double TextWidth(const std::string& text, double size, bool bold) {
    std::size_t characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    // DejaVu Sans, the widest common sans-serif, averages 0.6 em a letter and 0.64 a digit.
    return static_cast<double>(characters) * size * (bold ? 0.68 : 0.62);
}

Drawing LayOut(const PathPicture& picture, kit::Language language) {
    const Words& words = WordsIn(language);
    Drawing d;
    d.width = PageWidth;
    const ephemeris::Transit& transit = picture.transit;
    const bool venus = transit.planet == ephemeris::Planet::Venus;
    const std::size_t siteCount = picture.tracks.size() - 1;
    d.title.push_back({Fill(words.title, venus ? words.venus : words.mercury, DatesOf(transit)), CentreColour, true});
    const std::string observers =
        siteCount == 0   ? std::string(words.fromCentre)
        : siteCount == 1 ? Fill(words.andOneSite, SiteName(picture.tracks[1].site, words, language))
                         : Fill(words.andSites, std::to_string(siteCount));
    d.title.push_back({observers, CentreColour, false});
    d.title.push_back({picture.zenithUp ? Fill(words.zenithUp, SiteName(picture.tracks[1].site, words, language))
                                        : std::string(words.northUp),
                       CentreColour, false});

    const Scene scene{{PageWidth / 2.0, TitleBottom + RoomAround + SunRadiusPx}, SunRadiusPx / picture.sunRadiusArcsec};
    d.sun = {scene.centre.x, scene.centre.y, SunRadiusPx};
    const Stage stage{d.sun, {Margin, TitleBottom, PageWidth - 2 * Margin, 2 * (RoomAround + SunRadiusPx)}};
    Obstacles obstacles;

    for (std::size_t t = 0; t < picture.tracks.size(); ++t) AddStrokes(picture.tracks[t], scene, TrackColour(t), d);
    for (const Stroke& s : d.strokes) {
        for (std::size_t i = 0; i + 1 < s.points.size(); ++i) {
            obstacles.lines.push_back({s.points[i].x, s.points[i].y, s.points[i + 1].x, s.points[i + 1].y});
        }
    }
    const double planetPx = picture.planetRadiusArcsec * scene.scale;
    // What a label's leader starts from: the planet's disc, or the ring round a small one.
    const double markPx = planetPx < MinimumMarkPx ? MinimumMarkPx + 2.0 : planetPx;
    for (std::size_t t = 0; t < picture.tracks.size(); ++t) {
        for (const Mark& m : picture.tracks[t].marks) {
            if (!m.happens) continue;
            const Pixel at = scene.At(m.at);
            d.planets.push_back({{at.x, at.y, planetPx}, TrackColour(t), m.sunUp});
            // Mercury is a pixel or two across: a ring round the geocentric disc shows where it stands.
            const bool ring = t == 0 && planetPx < MinimumMarkPx;
            if (ring) d.rings.push_back({at.x, at.y, markPx});
            obstacles.circles.push_back({at.x, at.y, ring ? markPx : planetPx});
        }
    }
    const Track& centre = picture.tracks.front();
    if (centre.path.size() >= 3) {
        d.arrows.push_back(Arrow(centre, scene));
        obstacles.circles.push_back({d.arrows.back()[0].x, d.arrows.back()[0].y, 8.0});
    }
    const double eclipticDeg = picture.eclipticPoleDeg + 90.0;
    // The ecliptic ends at the limb, so that it takes no room from the labels outside.
    const Pixel e1 = scene.Toward(eclipticDeg, SunRadiusPx);
    const Pixel e2 = scene.Toward(eclipticDeg + 180.0, SunRadiusPx);
    d.ecliptic = {e1.x, e1.y, e2.x, e2.y};
    obstacles.lines.push_back(d.ecliptic);

    // The scale bar in the lower left corner, the largest round length within a third of the radius.
    double barArcsec = 50.0;
    for (const double length : {100.0, 200.0, 300.0, 500.0}) {
        if (length <= picture.sunRadiusArcsec / 3.0) barArcsec = length;
    }
    const double barY = stage.frame.y + stage.frame.height - 14.0, barX = 2 * Margin + 12.0;
    d.scaleBar = {barX, barY, barX + barArcsec * scene.scale, barY};
    d.labels.push_back(Word(Decimal(language, barArcsec, 0) + "\xE2\x80\xB3",
                            {(d.scaleBar.x1 + d.scaleBar.x2) / 2.0, barY - 14.0}, false));
    obstacles.boxes.push_back(d.labels.back().box);
    obstacles.boxes.push_back({barX - 2.0, barY - 4.0, barArcsec * scene.scale + 4.0, 8.0});

    // The contacts outside the disc, the two of each limb turned apart; then the greatest transit inside it.
    int sides[MarkCount] = {0, 0, 0, 0, 0};
    for (const auto& [a, b] : {std::pair{0, 1}, std::pair{4, 3}}) {
        const Pixel pa = scene.At(centre.marks[a].at), pb = scene.At(centre.marks[b].at);
        const double turn = std::remainder(std::atan2(pa.y - scene.centre.y, pa.x - scene.centre.x) -
                                               std::atan2(pb.y - scene.centre.y, pb.x - scene.centre.x),
                                           2.0 * static_cast<double>(kit::Pi));
        sides[a] = turn > 0.0 ? -1 : 1;
        sides[b] = -sides[a];
    }
    // Places the label of one event, if any observer has it, and adds its cost: the leader's length, or much
    // more for a label that found no free place.
    auto placeEvent = [&](int index, Obstacles& taken, std::vector<Label>& labels, double& cost) {
        // The label names the first observer's disc that the event has.
        const Mark* named = nullptr;
        for (const Track& track : picture.tracks) {
            if (track.marks[index].happens) {
                named = &track.marks[index];
                break;
            }
        }
        if (named == nullptr) return;
        Label label = Boxed(EventLines(picture, index, words, language));
        const Pixel at = scene.At(named->at);
        const LabelRequest request{at.x, at.y, markPx, label.box.width, label.box.height, sides[index]};
        const Placement placement =
            index == 2 ? PlaceInside(stage, request, taken) : PlaceOutside(stage, request, taken);
        cost += std::hypot(placement.leader.x2 - placement.leader.x1, placement.leader.y2 - placement.leader.y1) +
                (placement.clear ? 0.0 : 1e4);
        Place(label, placement, at.x, taken);
        labels.push_back(label);
    };
    // The two contacts of a limb stand close together: the order that keeps their leaders shorter wins.
    for (const auto& [a, b] : {std::pair{0, 1}, std::pair{4, 3}}) {
        Obstacles first = obstacles, second = obstacles;
        std::vector<Label> firstLabels, secondLabels;
        double firstCost = 0.0, secondCost = 0.0;
        placeEvent(a, first, firstLabels, firstCost);
        placeEvent(b, first, firstLabels, firstCost);
        placeEvent(b, second, secondLabels, secondCost);
        placeEvent(a, second, secondLabels, secondCost);
        const bool firstWins = firstCost <= secondCost;
        obstacles = firstWins ? first : second;
        for (const Label& label : firstWins ? firstLabels : secondLabels) d.labels.push_back(label);
    }
    double greatestCost = 0.0;
    std::vector<Label> greatestLabel;
    placeEvent(2, obstacles, greatestLabel, greatestCost);
    for (const Label& label : greatestLabel) d.labels.push_back(label);
    // The ecliptic's name inside the disc beside the line, near whichever end has room; without a leader when
    // it stands right at the line.
    Label ecliptic = Boxed({{words.ecliptic, "#777777", false}});
    Placement best;
    double bestLength = 0.0;
    for (const double end : {eclipticDeg, eclipticDeg + 180.0}) {
        const Pixel near = scene.Toward(end, 0.8 * SunRadiusPx);
        const Placement p = PlaceInside(stage, {near.x, near.y, 0.0, ecliptic.box.width, ecliptic.box.height, 0},
                                        obstacles);
        const double length = std::hypot(p.leader.x2 - p.leader.x1, p.leader.y2 - p.leader.y1);
        if (p.clear && (!best.clear || length < bestLength)) best = p, bestLength = length;
    }
    if (best.clear) {
        Place(ecliptic, best, best.leader.x1, obstacles);
        ecliptic.leader = bestLength > 16.0;
        ecliptic.flushRight = false;
        d.labels.push_back(ecliptic);
    }

    // The compass, last: north, east, south, west at the limb, and the zenith above when the frame turns with
    // it, each where the labels of the events leave room.
    const char* const compass[] = {words.north, words.east, words.south, words.west};
    for (int k = 0; k < 4; ++k) {
        d.labels.push_back(Beside(compass[k], true, scene, picture.northDeg + 90.0 * k, 14.0, obstacles));
        obstacles.boxes.push_back(d.labels.back().box);
    }
    if (picture.zenithUp) {
        d.labels.push_back(Beside(words.zenith, false, scene, 0.0, 34.0, obstacles));
        obstacles.boxes.push_back(d.labels.back().box);
    }
    AddLegend(picture, words, language, d);
    d.legendTop = stage.frame.y + stage.frame.height + 14.0;
    std::size_t legendLines = 0;
    for (const LegendEntry& entry : d.legend) legendLines += entry.lines.size();
    d.height = std::ceil(d.legendTop + static_cast<double>(legendLines) * LegendLine + 12.0);
    return d;
}

}  // namespace discpath
