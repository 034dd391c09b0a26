// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Drawing.h"

#include <cmath>

#include "Captions.h"
#include "Units.h"

namespace discpath {
namespace {

// The page: 1000 px wide, the Sun's disc 580 across with room for labels around it, the legend below.
constexpr double PageWidth = 1000.0, SunRadiusPx = 290.0, TitleBottom = 92.0, RoomAround = 112.0, Margin = 8.0;
// A planet's disc smaller than this (radius, px) gets a ring round it.
constexpr double MinimumMarkPx = 4.0;

const char* const CentreColour = "#222222";
const char* const SiteColours[] = {"#d62728", "#1f77b4", "#2ca02c", "#9467bd", "#e67e00", "#8c564b"};

constexpr double Rad = static_cast<double>(kit::Pi) / 180.0;

// Where the picture puts a place of the frame, and a direction (degrees anticlockwise from up) at a distance
// from the Sun's centre.
struct Scene {
    Pixel centre;
    double scale;   // px per arcsec
    double markPx;  // what a label's leader starts from: the planet's disc, or the ring round a small one
};

Pixel At(const Scene& scene, const SkyPoint& p) {
    return {scene.centre.x - p.left * scene.scale, scene.centre.y - p.up * scene.scale};
}

Pixel Toward(const Scene& scene, double angleDeg, double r) {
    return {scene.centre.x - r * std::sin(angleDeg * Rad), scene.centre.y - r * std::cos(angleDeg * Rad)};
}

Label Boxed(std::vector<TextLine> lines) {
    Label label;
    double width = 0.0;
    for (const TextLine& line : lines) width = std::max(width, TextWidth(line.text, LabelSize, line.bold));
    label.box = {0.0, 0.0, width + 2 * LabelPad, static_cast<double>(lines.size()) * LabelLine + LabelPad};
    label.lines = std::move(lines);
    return label;
}

// A fixed word centred on a point.
Label Word(const std::string& text, Pixel at, bool bold) {
    Label label = Boxed({{text, CentreColour, bold}});
    label.box.x = at.x - label.box.width / 2.0;
    label.box.y = at.y - label.box.height / 2.0;
    return label;
}

void Place(Label& label, const Placement& placement, double anchorX, Obstacles& obstacles) {
    label.box = placement.box;
    label.line = placement.leader;
    label.leader = true;
    label.flushRight = placement.box.x + placement.box.width <= anchorX + 0.5;
    Occupy(placement, obstacles);
}

double Length(const Segment& s) { return std::hypot(s.x2 - s.x1, s.y2 - s.y1); }

// The arrow three quarters along the geocentric path, where no contact label's leader starts.
std::vector<Pixel> Arrow(const Track& track, const Scene& scene) {
    const std::size_t i = track.path.size() * 3 / 4;
    const Pixel a = At(scene, track.path[i - 1].at), b = At(scene, track.path[i + 1].at), tip = At(scene, track.path[i].at);
    const double length = std::hypot(b.x - a.x, b.y - a.y), ux = (b.x - a.x) / length, uy = (b.y - a.y) / length;
    const double size = 10.0;
    return {{tip.x + ux * size / 2, tip.y + uy * size / 2},
            {tip.x - ux * size / 2 - uy * size / 2.5, tip.y - uy * size / 2 + ux * size / 2.5},
            {tip.x - ux * size / 2 + uy * size / 2.5, tip.y - uy * size / 2 - ux * size / 2.5}};
}

// Each path cut into stretches of one style (a crossing of the horizon ends one and starts the next), the
// planets at the events, the arrow of the motion: all of it what the labels keep clear of.
void DrawPaths(const PathPicture& picture, const Scene& scene, Drawing& d, Obstacles& obstacles) {
    for (std::size_t t = 0; t < picture.tracks.size(); ++t) {
        const Track& track = picture.tracks[t];
        for (std::size_t i = 0; i + 1 < track.path.size(); ++i) {
            const bool dotted = !(track.path[i].sunUp && track.path[i + 1].sunUp);
            if (i == 0 || d.strokes.back().dotted != dotted) {
                d.strokes.push_back({{At(scene, track.path[i].at)}, TrackColour(t), dotted, track.geocentric ? 1.8 : 1.6});
            }
            d.strokes.back().points.push_back(At(scene, track.path[i + 1].at));
        }
    }
    for (const Stroke& s : d.strokes) {
        for (std::size_t i = 0; i + 1 < s.points.size(); ++i) {
            obstacles.lines.push_back({s.points[i].x, s.points[i].y, s.points[i + 1].x, s.points[i + 1].y});
        }
    }
    const double planetPx = picture.planetRadiusArcsec * scene.scale;
    for (std::size_t t = 0; t < picture.tracks.size(); ++t) {
        for (const Mark& m : picture.tracks[t].marks) {
            if (!m.happens) continue;
            const Pixel at = At(scene, m.at);
            d.planets.push_back({{at.x, at.y, planetPx}, TrackColour(t), m.sunUp});
            // Mercury is a pixel or two across: a ring round the geocentric disc shows where it stands.
            const bool ring = t == 0 && planetPx < MinimumMarkPx;
            if (ring) d.rings.push_back({at.x, at.y, scene.markPx});
            obstacles.circles.push_back({at.x, at.y, ring ? scene.markPx : planetPx});
        }
    }
    const Track& centre = picture.tracks.front();
    if (centre.path.size() >= 3) {
        d.arrows.push_back(Arrow(centre, scene));
        obstacles.circles.push_back({d.arrows.back()[0].x, d.arrows.back()[0].y, 8.0});
    }
}

// The ecliptic across the disc, ending at the limb so that it takes no room from the labels outside.
void DrawEcliptic(const PathPicture& picture, const Scene& scene, Drawing& d, Obstacles& obstacles) {
    const Pixel a = Toward(scene, picture.eclipticPoleDeg + 90.0, SunRadiusPx);
    const Pixel b = Toward(scene, picture.eclipticPoleDeg + 270.0, SunRadiusPx);
    d.ecliptic = {a.x, a.y, b.x, b.y};
    obstacles.lines.push_back(d.ecliptic);
}

// The scale bar in the lower left corner: the largest round length within a third of the Sun's radius.
void DrawScale(const PathPicture& picture, const Scene& scene, const Stage& stage, kit::Language language, Drawing& d,
               Obstacles& obstacles) {
    double barArcsec = 50.0;
    for (const double length : {100.0, 200.0, 300.0, 500.0}) {
        if (length <= picture.sunRadiusArcsec / 3.0) barArcsec = length;
    }
    const double barY = stage.frame.y + stage.frame.height - 14.0, barX = 2 * Margin + 12.0;
    d.scaleBar = {barX, barY, barX + barArcsec * scene.scale, barY};
    d.labels.push_back(Word(ArcsecText(barArcsec, language), {(d.scaleBar.x1 + d.scaleBar.x2) / 2.0, barY - 14.0}, false));
    obstacles.boxes.push_back(d.labels.back().box);
    obstacles.boxes.push_back({barX - 2.0, barY - 4.0, barArcsec * scene.scale + 4.0, 8.0});
}

// The contacts' labels outside the disc, the two of each limb turned apart, in the order that keeps their
// leaders shorter; then the greatest transit's inside it.
void LabelEvents(const PathPicture& picture, const Scene& scene, const Stage& stage, kit::Language language,
                 Drawing& d, Obstacles& obstacles) {
    const Track& centre = picture.tracks.front();
    int sides[MarkCount] = {0, 0, 0, 0, 0};
    for (const auto& [a, b] : {std::pair{0, 1}, std::pair{4, 3}}) {
        const Pixel pa = At(scene, centre.marks[a].at), pb = At(scene, centre.marks[b].at);
        const double turn = std::remainder(std::atan2(pa.y - scene.centre.y, pa.x - scene.centre.x) -
                                               std::atan2(pb.y - scene.centre.y, pb.x - scene.centre.x),
                                           2.0 * static_cast<double>(kit::Pi));
        sides[a] = turn > 0.0 ? -1 : 1;
        sides[b] = -sides[a];
    }
    // Places the label of one event, if any observer has it (at the first observer's disc that has it), and
    // adds its cost: the leader's length, or much more for a label that found no free place.
    auto place = [&](int index, Obstacles& taken, std::vector<Label>& labels, double& cost) {
        const Mark* named = nullptr;
        for (const Track& track : picture.tracks) {
            if (track.marks[index].happens) {
                named = &track.marks[index];
                break;
            }
        }
        if (named == nullptr) return;
        Label label = Boxed(EventLines(picture, index, language));
        const Pixel at = At(scene, named->at);
        const LabelRequest request{at.x, at.y, scene.markPx, label.box.width, label.box.height, sides[index]};
        const Placement placement =
            index == 2 ? PlaceInside(stage, request, taken) : PlaceOutside(stage, request, taken);
        cost += Length(placement.leader) + (placement.clear ? 0.0 : 1e4);
        Place(label, placement, at.x, taken);
        labels.push_back(label);
    };
    for (const auto& [a, b] : {std::pair{0, 1}, std::pair{4, 3}}) {
        Obstacles first = obstacles, second = obstacles;
        std::vector<Label> firstLabels, secondLabels;
        double firstCost = 0.0, secondCost = 0.0;
        place(a, first, firstLabels, firstCost);
        place(b, first, firstLabels, firstCost);
        place(b, second, secondLabels, secondCost);
        place(a, second, secondLabels, secondCost);
        const bool firstWins = firstCost <= secondCost;
        obstacles = firstWins ? first : second;
        for (const Label& label : firstWins ? firstLabels : secondLabels) d.labels.push_back(label);
    }
    double cost = 0.0;
    place(2, obstacles, d.labels, cost);
}

// The ecliptic's name inside the disc beside the line, near whichever end has room; without a leader when it
// stands right at the line.
void LabelEcliptic(const PathPicture& picture, const Scene& scene, const Stage& stage, kit::Language language,
                   Drawing& d, Obstacles& obstacles) {
    Label ecliptic = Boxed({{EclipticWord(language), "#777777", false}});
    Placement best;
    for (const double end : {picture.eclipticPoleDeg + 90.0, picture.eclipticPoleDeg + 270.0}) {
        const Pixel near = Toward(scene, end, 0.8 * SunRadiusPx);
        const Placement p =
            PlaceInside(stage, {near.x, near.y, 0.0, ecliptic.box.width, ecliptic.box.height, 0}, obstacles);
        if (p.clear && (!best.clear || Length(p.leader) < Length(best.leader))) best = p;
    }
    if (!best.clear) return;
    Place(ecliptic, best, best.leader.x1, obstacles);
    ecliptic.leader = Length(best.leader) > 16.0;
    ecliptic.flushRight = false;
    d.labels.push_back(ecliptic);
}

// A word at the limb in a direction, moved out from it, and then turned a little, until nothing drawn lies
// under it; where everything is taken, at its place regardless.
Label Beside(const std::string& text, bool bold, const Scene& scene, double angleDeg, double distance,
             const Obstacles& obstacles) {
    for (const double turn : {0.0, 4.0, -4.0, 8.0, -8.0, 12.0, -12.0}) {
        for (double r = distance; r <= distance + 60.0; r += 6.0) {
            const Label label = Word(text, Toward(scene, angleDeg + turn, SunRadiusPx + r), bold);
            bool clear = true;
            for (const Circle& c : obstacles.circles) clear = clear && !Touches(label.box, c, 2.0);
            for (const Segment& s : obstacles.lines) clear = clear && !Touches(label.box, s, 2.0);
            for (const Segment& s : obstacles.leaders) clear = clear && !Touches(label.box, s, 2.0);
            for (const Box& b : obstacles.boxes) clear = clear && !Overlaps(label.box, b, 2.0);
            if (clear) return label;
        }
    }
    return Word(text, Toward(scene, angleDeg, SunRadiusPx + distance), bold);
}

// The compass, last: north, east, south, west at the limb, and the zenith above when the frame turns with it,
// each where the labels of the events leave room.
void LabelCompass(const PathPicture& picture, const Scene& scene, kit::Language language, Drawing& d,
                  Obstacles& obstacles) {
    const std::vector<std::string> compass = CompassWords(language);
    for (std::size_t k = 0; k < compass.size(); ++k) {
        const double angle = picture.northDeg + 90.0 * static_cast<double>(k);
        d.labels.push_back(Beside(compass[k], true, scene, angle, 14.0, obstacles));
        obstacles.boxes.push_back(d.labels.back().box);
    }
    if (picture.zenithUp) {
        d.labels.push_back(Beside(ZenithWord(language), false, scene, 0.0, 34.0, obstacles));
        obstacles.boxes.push_back(d.labels.back().box);
    }
}

}  // namespace

std::string TrackColour(std::size_t index) {
    return index == 0 ? CentreColour : SiteColours[(index - 1) % (sizeof SiteColours / sizeof SiteColours[0])];
}

double TextWidth(const std::string& text, double size, bool bold) {
    std::size_t characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    // DejaVu Sans, the widest common sans-serif, averages 0.6 em a letter and 0.64 a digit.
    return static_cast<double>(characters) * size * (bold ? 0.68 : 0.62);
}

Drawing LayOut(const PathPicture& picture, kit::Language language) {
    Drawing d;
    d.width = PageWidth;
    d.title = TitleLines(picture, language);
    const double planetPx = picture.planetRadiusArcsec * SunRadiusPx / picture.sunRadiusArcsec;
    const Scene scene{{PageWidth / 2.0, TitleBottom + RoomAround + SunRadiusPx},
                      SunRadiusPx / picture.sunRadiusArcsec,
                      planetPx < MinimumMarkPx ? MinimumMarkPx + 2.0 : planetPx};
    d.sun = {scene.centre.x, scene.centre.y, SunRadiusPx};
    const Stage stage{d.sun, {Margin, TitleBottom, PageWidth - 2 * Margin, 2 * (RoomAround + SunRadiusPx)}};
    Obstacles obstacles;
    DrawPaths(picture, scene, d, obstacles);
    DrawEcliptic(picture, scene, d, obstacles);
    DrawScale(picture, scene, stage, language, d, obstacles);
    LabelEvents(picture, scene, stage, language, d, obstacles);
    LabelEcliptic(picture, scene, stage, language, d, obstacles);
    LabelCompass(picture, scene, language, d, obstacles);
    d.legend = LegendOf(picture, language);
    d.legendTop = stage.frame.y + stage.frame.height + 14.0;
    std::size_t legendLines = 0;
    for (const LegendEntry& entry : d.legend) legendLines += entry.lines.size();
    d.height = std::ceil(d.legendTop + static_cast<double>(legendLines) * LegendLine + 12.0);
    return d;
}

}  // namespace discpath
