// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "DiscPath.h"
#include "Labels.h"

// The path picture laid out in pixels (y downwards), before it is written: what is drawn where, in which
// colour, with which words.
namespace discpath {

// Sizes of the words in pixels: a label's letters, the height of its lines and its margin; the legend's lines.
inline constexpr double LabelSize = 13.0, LabelLine = 16.0, LabelPad = 4.0, LegendLine = 18.0;

struct Pixel {
    double x = 0.0, y = 0.0;
};

// A line of words, in UTF-8.
struct TextLine {
    std::string text;
    std::string colour;
    bool bold = false;
};

// Lines of words in a box, flush right when the box stands left of what it names; a leader if it names a point.
struct Label {
    Box box;
    std::vector<TextLine> lines;
    bool flushRight = false;
    bool leader = false;
    Segment line;
};

// A path's stretch in one style: solid where seen, dotted where the Sun is below the horizon.
struct Stroke {
    std::vector<Pixel> points;
    std::string colour;
    bool dotted = false;
    double width = 1.6;
};

// The planet at an event, to scale: filled where seen, open where the Sun is below the horizon.
struct PlanetDisc {
    Circle disc;
    std::string colour;
    bool filled = true;
};

// One entry of the legend: a swatch (a line in colour, or the Sun's disc) and its lines of words.
struct LegendEntry {
    enum class Swatch { None, Line, Sun } swatch = Swatch::None;
    std::string colour;
    std::vector<std::string> lines;
};

struct Drawing {
    double width = 0.0, height = 0.0;
    std::vector<TextLine> title;
    Circle sun;
    Segment ecliptic;
    std::vector<Stroke> strokes;
    std::vector<PlanetDisc> planets;
    std::vector<Circle> rings;               // round planets too small to see
    std::vector<std::vector<Pixel>> arrows;  // triangles on the geocentric path, pointing along it
    std::vector<Label> labels;               // events, compass, ecliptic, scale
    Segment scaleBar;
    std::vector<LegendEntry> legend;
    double legendTop = 0.0;
};

// Lays the picture out for language: the Sun's disc, paths, planets, labels placed clear of each other, legend.
Drawing LayOut(const PathPicture& picture, kit::Language language);

// Writes a drawing as SVG.
void WriteDrawingSvg(const Drawing& drawing, std::ostream& out);

// The colour of observer index: the Earth's centre (0) dark, each site its own.
std::string TrackColour(std::size_t index);

// Width in pixels that a line of UTF-8 text takes at size: generous, so that a label's box holds its words in
// any sans-serif font.
double TextWidth(const std::string& text, double size, bool bold);

}  // namespace discpath
