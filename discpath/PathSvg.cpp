// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include <sstream>

#include "Drawing.h"
#include "Svg.h"

namespace discpath {
namespace {

constexpr double LegendLeft = 24.0, LegendText = 60.0;

std::string N(double value) { return kit::SvgNumber(value, 1); }

std::string Points(const std::vector<Pixel>& points) {
    std::string text;
    for (const Pixel& p : points) text += (text.empty() ? "" : " ") + N(p.x) + "," + N(p.y);
    return text;
}

void WriteLine(const Segment& s, const char* style, std::ostream& svg) {
    svg << "<line x1=\"" << N(s.x1) << "\" y1=\"" << N(s.y1) << "\" x2=\"" << N(s.x2) << "\" y2=\"" << N(s.y2) << "\" "
        << style << "/>\n";
}

void WriteLabel(const Label& label, std::ostream& svg) {
    if (label.leader) WriteLine(label.line, "stroke=\"#777777\" stroke-width=\"0.8\"", svg);
    const double x = label.flushRight ? label.box.x + label.box.width - LabelPad : label.box.x + LabelPad;
    for (std::size_t i = 0; i < label.lines.size(); ++i) {
        const TextLine& line = label.lines[i];
        // The baseline sits a quarter of the size above the line's foot.
        const double y = label.box.y + LabelPad / 2.0 + static_cast<double>(i + 1) * LabelLine - 4.0;
        svg << "<text x=\"" << N(x) << "\" y=\"" << N(y) << "\" fill=\"" << line.colour << "\""
            << (label.flushRight ? " text-anchor=\"end\"" : "") << (line.bold ? " font-weight=\"bold\"" : "") << ">"
            << kit::SvgText(line.text) << "</text>\n";
    }
}

}  // namespace

void WriteDrawingSvg(const Drawing& d, std::ostream& out) {
    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << N(d.width) << "\" height=\"" << N(d.height)
        << "\" viewBox=\"0 0 " << N(d.width) << ' ' << N(d.height)
        << "\" font-family=\"sans-serif\" xml:space=\"preserve\" font-size=\""
        << N(LabelSize) << "\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    const double titleSizes[] = {20.0, 14.0, 14.0};
    for (std::size_t i = 0; i < d.title.size() && i < 3; ++i) {
        svg << "<text x=\"" << N(d.width / 2.0) << "\" y=\"" << N(32.0 + 22.0 * static_cast<double>(i)) << "\" font-size=\""
            << N(titleSizes[i]) << "\" text-anchor=\"middle\"" << (d.title[i].bold ? " font-weight=\"bold\"" : "") << ">"
            << kit::SvgText(d.title[i].text) << "</text>\n";
    }
    svg << "<circle cx=\"" << N(d.sun.x) << "\" cy=\"" << N(d.sun.y) << "\" r=\"" << N(d.sun.r)
        << "\" fill=\"#fff4c8\" stroke=\"#d99a00\" stroke-width=\"1.5\"/>\n";
    WriteLine(d.ecliptic, "stroke=\"#999999\" stroke-width=\"1\" stroke-dasharray=\"8 5\"", svg);
    for (const Stroke& s : d.strokes) {
        svg << "<polyline points=\"" << Points(s.points) << "\" fill=\"none\" stroke=\"" << s.colour << "\" stroke-width=\""
            << N(s.width) << "\"" << (s.dotted ? " stroke-dasharray=\"2 3\"" : "") << "/>\n";
    }
    for (const std::vector<Pixel>& arrow : d.arrows) {
        svg << "<polygon points=\"" << Points(arrow) << "\" fill=\"#222222\"/>\n";
    }
    for (const PlanetDisc& p : d.planets) {
        svg << "<circle cx=\"" << N(p.disc.x) << "\" cy=\"" << N(p.disc.y) << "\" r=\"" << kit::SvgNumber(p.disc.r, 2)
            << "\" " << (p.filled ? "fill=\"" + p.colour + "\" fill-opacity=\"0.45\"" : std::string("fill=\"none\""))
            << " stroke=\"" << p.colour << "\" stroke-width=\"1\"" << (p.filled ? "" : " stroke-dasharray=\"2 2\"")
            << "/>\n";
    }
    for (const Circle& ring : d.rings) {
        svg << "<circle cx=\"" << N(ring.x) << "\" cy=\"" << N(ring.y) << "\" r=\"" << N(ring.r)
            << "\" fill=\"none\" stroke=\"#222222\" stroke-width=\"0.8\"/>\n";
    }
    for (const Label& label : d.labels) WriteLabel(label, svg);
    WriteLine(d.scaleBar, "stroke=\"#222222\" stroke-width=\"3\"", svg);
    for (const double x : {d.scaleBar.x1, d.scaleBar.x2}) {
        WriteLine({x, d.scaleBar.y1 - 5.0, x, d.scaleBar.y1 + 5.0}, "stroke=\"#222222\" stroke-width=\"1.5\"", svg);
    }
    double y = d.legendTop;
    for (const LegendEntry& entry : d.legend) {
        const double middle = y + LegendLine / 2.0;
        if (entry.swatch == LegendEntry::Swatch::Line) {
            WriteLine({LegendLeft, middle, LegendLeft + 26.0, middle},
                      ("stroke=\"" + entry.colour + "\" stroke-width=\"2.5\"").c_str(), svg);
        } else if (entry.swatch == LegendEntry::Swatch::Sun) {
            svg << "<circle cx=\"" << N(LegendLeft + 13.0) << "\" cy=\"" << N(middle) << "\" r=\"7\" fill=\"#fff4c8\" "
                << "stroke=\"#d99a00\" stroke-width=\"1.5\"/>\n";
        }
        for (const std::string& line : entry.lines) {
            svg << "<text x=\"" << N(entry.swatch == LegendEntry::Swatch::None ? LegendLeft : LegendText) << "\" y=\""
                << N(y + LegendLine - 5.0) << "\" font-size=\"" << N(LabelSize) << "\""
                << (entry.colour.empty() ? "" : " fill=\"" + entry.colour + "\"") << ">" << kit::SvgText(line)
                << "</text>\n";
            y += LegendLine;
        }
    }
    svg << "</svg>\n";
    out << svg.str();
}

void WritePathSvg(const PathPicture& picture, kit::Language language, std::ostream& out) {
    WriteDrawingSvg(LayOut(picture, language), out);
}

}  // namespace discpath
