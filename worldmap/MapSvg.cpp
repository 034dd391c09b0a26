// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include <algorithm>
#include <cmath>
#include <sstream>

#include "Coastlines.h"
#include "Labels.h"
#include "Svg.h"
#include "Text.h"
#include "WorldMap.h"

namespace worldmap {
namespace {

constexpr double Width = 1000.0, Margin = 20.0, MapTop = 76.0;
constexpr double LabelSize = 12.0, LabelHeight = 17.0, LegendLine = 19.0, LegendSize = 13.0;
constexpr double MarkerRadius = 4.0;
// Seen's colours: whole, start, end, none.
constexpr const char* SeenColours[SeenCount] = {"#a9d98b", "#9ec9e8", "#f9c784", "#dedede"};
// The curves of contact 1..4: the colour of the class each begins or ends, darker.
constexpr const char* CurveColours[ephemeris::ContactCount] = {"#1f5f9e", "#1f5f9e", "#b85400", "#b85400"};

std::string N(double value) { return kit::SvgNumber(value, 1); }

// The map's place in the picture: pixels per unit of the projection and its centre.
struct Frame {
    double scale = 0.0, cx = 0.0, cy = 0.0, height = 0.0;
};

Frame FrameOf() {
    Frame f;
    f.scale = (Width / 2.0 - Margin) / EqualEarthHalfWidth();
    f.height = 2.0 * EqualEarthHalfHeight() * f.scale;
    f.cx = Width / 2.0;
    f.cy = MapTop + f.height / 2.0;
    return f;
}

struct Pixel {
    double x = 0.0, y = 0.0;
};

Pixel ToPixel(const Frame& f, const GeoPoint& p) {
    const MapPoint m = EqualEarth(p);
    return {f.cx + f.scale * m.x, f.cy - f.scale * m.y};
}

// The points of a line through points on the map as SVG path data: long steps are cut into steps of a degree at
// most, so that they bend as the projection bends them; points that round to the last pixel written are left out.
std::string PathData(const Frame& f, const std::vector<GeoPoint>& given, bool closed) {
    // A step of more than 180 degrees of longitude crosses the antimeridian, unless it runs along a pole's line:
    // the line breaks there. A closed ring that crosses it starts after a crossing, so that each of its pieces
    // closes along the map's edge.
    auto crosses = [](const GeoPoint& a, const GeoPoint& b) {
        const bool alongPole = a.latitudeDegrees == b.latitudeDegrees && std::fabs(a.latitudeDegrees) == 90.0;
        return !alongPole && std::fabs(b.longitudeEastDegrees - a.longitudeEastDegrees) > 180.0;
    };
    std::vector<GeoPoint> points = given;
    if (closed) {
        for (std::size_t k = 1; k < points.size(); ++k) {
            if (crosses(points[k - 1], points[k])) {
                std::rotate(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(k), points.end());
                break;
            }
        }
    }
    std::string data, last;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const GeoPoint& b = points[k];
        int pieces = 1;
        if (k > 0 && crosses(points[k - 1], b)) {
            data += closed ? " Z M" : " M";
            const Pixel px = ToPixel(f, b);
            last = N(px.x) + "," + N(px.y);
            data += last;
            continue;
        }
        if (k > 0) {
            const GeoPoint& a = points[k - 1];
            const double longest = std::max(std::fabs(b.latitudeDegrees - a.latitudeDegrees),
                                             std::fabs(b.longitudeEastDegrees - a.longitudeEastDegrees));
            pieces = std::max(1, static_cast<int>(std::ceil(longest)));
        }
        for (int piece = 1; piece <= pieces; ++piece) {
            GeoPoint p = b;
            if (k > 0 && piece < pieces) {
                const GeoPoint& a = points[k - 1];
                const double t = static_cast<double>(piece) / pieces;
                p = {a.latitudeDegrees + t * (b.latitudeDegrees - a.latitudeDegrees),
                     a.longitudeEastDegrees + t * (b.longitudeEastDegrees - a.longitudeEastDegrees)};
            }
            const Pixel px = ToPixel(f, p);
            const std::string here = N(px.x) + "," + N(px.y);
            if (here == last) continue;
            data += (data.empty() ? "M" : " L") + here;
            last = here;
        }
    }
    if (closed && !data.empty()) data += " Z";
    return data;
}

// The map's outline: the meridian of -180 degrees north to south, then that of 180 degrees back.
std::vector<GeoPoint> Outline() {
    std::vector<GeoPoint> points;
    for (int lat = 90; lat >= -90; --lat) points.push_back({static_cast<double>(lat), -180.0});
    for (int lat = -90; lat <= 90; ++lat) points.push_back({static_cast<double>(lat), 180.0});
    return points;
}

std::string RegionData(const Frame& f, const Region& region) {
    std::string data;
    for (const std::vector<GeoPoint>& ring : region.rings) data += (data.empty() ? "" : " ") + PathData(f, ring, true);
    return data;
}

// Width in pixels a line of UTF-8 text takes at size: generous, so that a label's box holds it in any sans-serif.
double TextWidth(const std::string& text, double size) {
    double units = 0.0;
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u & 0xC0) == 0x80) continue;  // a continuation byte: its letter is counted once
        units += (u >= 'A' && u <= 'Z') || u == 'm' || u == 'w' ? 0.72 : u == ' ' || u == '.' || u == ',' ? 0.32 : 0.58;
    }
    return units * size;
}

void WriteText(std::ostream& svg, double x, double y, double size, const std::string& text, const char* extra) {
    svg << "<text x=\"" << N(x) << "\" y=\"" << N(y) << "\" font-size=\"" << N(size) << "\"" << extra << ">"
        << kit::SvgText(text) << "</text>\n";
}

void WriteGraticule(const Frame& f, std::ostream& svg) {
    std::string data;
    for (int lat = -60; lat <= 60; lat += 30) {
        data += (data.empty() ? "" : " ") +
                PathData(f, {{static_cast<double>(lat), -180.0}, {static_cast<double>(lat), 180.0}}, false);
    }
    for (int lon = -150; lon <= 150; lon += 30) {
        data += " " + PathData(f, {{90.0, static_cast<double>(lon)}, {-90.0, static_cast<double>(lon)}}, false);
    }
    svg << "<path d=\"" << data << "\" fill=\"none\" stroke=\"#ffffff\" stroke-width=\"0.7\" stroke-opacity=\"0.8\"/>\n";
}

void WriteLand(const Frame& f, std::ostream& svg) {
    std::string data;
    for (const std::vector<GeoPoint>& ring : LandRings()) data += (data.empty() ? "" : " ") + PathData(f, ring, true);
    svg << "<path d=\"" << data << "\" fill=\"#000000\" fill-opacity=\"0.10\" stroke=\"#4a4a4a\" stroke-width=\"0.6\" "
        << "stroke-linejoin=\"round\"/>\n";
}

void WriteCurves(const Frame& f, const MapPicture& picture, std::ostream& svg) {
    for (const Curve& curve : picture.curves) {
        const bool outer = curve.contact == 1 || curve.contact == 4;
        svg << "<path d=\"" << PathData(f, curve.points, false) << "\" fill=\"none\" stroke=\""
            << CurveColours[curve.contact - 1] << "\" stroke-width=\"" << (outer ? "2" : "1")
            << "\" stroke-linejoin=\"round\"" << (curve.sunrise ? "" : (outer ? " stroke-dasharray=\"7 4\"" : " stroke-dasharray=\"4 3\""))
            << "/>\n";
    }
}

// The sites: markers first, then each label beside its marker, clear of the markers and of the labels before it.
void WriteSites(const Frame& f, const MapPicture& picture, const MapWords& words, bool comma, std::ostream& svg) {
    std::vector<Pixel> markers;
    std::vector<Box> taken;
    for (const MapSite& site : picture.sites) {
        const Pixel p = ToPixel(f, {site.site.latitudeDegrees, site.site.longitudeEastDegrees});
        markers.push_back(p);
        taken.push_back({p.x - MarkerRadius - 1.0, p.y - MarkerRadius - 1.0, 2.0 * MarkerRadius + 2.0,
                         2.0 * MarkerRadius + 2.0});
    }
    const Box frame{Margin, MapTop, Width - 2.0 * Margin, f.height};
    for (std::size_t k = 0; k < picture.sites.size(); ++k) {
        const std::string name = SiteName(picture.sites[k].site, words, comma);
        const LabelPlace place =
            PlaceLabel(markers[k].x, markers[k].y, TextWidth(name, LabelSize) + 8.0, LabelHeight, frame, taken);
        taken.push_back(place.box);
        const Box& b = place.box;
        if (place.leader) {
            const double tx = std::clamp(markers[k].x, b.x, b.x + b.width), ty = std::clamp(markers[k].y, b.y, b.y + b.height);
            svg << "<line x1=\"" << N(markers[k].x) << "\" y1=\"" << N(markers[k].y) << "\" x2=\"" << N(tx) << "\" y2=\""
                << N(ty) << "\" stroke=\"#222222\" stroke-width=\"0.8\"/>\n";
        }
        svg << "<rect x=\"" << N(b.x) << "\" y=\"" << N(b.y) << "\" width=\"" << N(b.width) << "\" height=\"" << N(b.height)
            << "\" rx=\"3\" fill=\"#ffffff\" fill-opacity=\"0.85\" stroke=\"#222222\" stroke-width=\"0.5\"/>\n";
        WriteText(svg, b.x + 4.0, b.y + LabelHeight - 5.0, LabelSize, name, "");
    }
    for (const Pixel& p : markers) {
        svg << "<circle cx=\"" << N(p.x) << "\" cy=\"" << N(p.y) << "\" r=\"" << N(MarkerRadius)
            << "\" fill=\"#d7191c\" stroke=\"#ffffff\" stroke-width=\"1.2\"/>\n";
    }
}

// The legend under the map: the classes on the left, the curves on the right, then the times and the caption.
double WriteLegend(const MapPicture& picture, const MapWords& words, double top, std::ostream& svg) {
    const double left = Margin + 4.0;
    double y = top;
    for (const Seen seen : {Seen::Whole, Seen::Start, Seen::End, Seen::None}) {
        const int k = static_cast<int>(seen);
        svg << "<rect x=\"" << N(left) << "\" y=\"" << N(y + 3.0) << "\" width=\"26\" height=\"12\" fill=\""
            << SeenColours[k] << "\" stroke=\"#888888\" stroke-width=\"0.5\"/>\n";
        WriteText(svg, left + 36.0, y + 14.0, LegendSize, words.seen[k], "");
        y += LegendLine;
    }
    const double classesEnd = y;
    bool inner = false;
    for (const Curve& curve : picture.curves) inner = inner || curve.contact == 2 || curve.contact == 3;
    std::vector<int> contacts = {1, 4};
    if (inner) contacts = {1, 2, 3, 4};
    // The curves beside the classes where their words leave room, else under them: each column as wide as its
    // longest words.
    double classesWidth = 0.0, sunriseWidth = 0.0, sunsetWidth = 0.0;
    for (const std::string& word : words.seen) classesWidth = std::max(classesWidth, TextWidth(word, LegendSize));
    for (const int contact : contacts) {
        const std::string name = kit::Fill(words.contact, std::to_string(contact));
        sunriseWidth = std::max(sunriseWidth, TextWidth(kit::Fill(words.sunrise, name), LegendSize));
        sunsetWidth = std::max(sunsetWidth, TextWidth(kit::Fill(words.sunset, name), LegendSize));
    }
    double right = std::max(Width / 2.0 + 10.0, left + 36.0 + classesWidth + 24.0);
    y = top;
    if (right + 38.0 + sunriseWidth + 24.0 + 38.0 + sunsetWidth > Width - Margin) {
        right = left;
        y = classesEnd + 8.0;
    }
    const double sunsetColumn = right + 38.0 + sunriseWidth + 24.0;
    for (const int contact : contacts) {
        const bool outer = contact == 1 || contact == 4;
        const std::string name = kit::Fill(words.contact, std::to_string(contact));
        for (const bool sunrise : {true, false}) {
            const double x = sunrise ? right : sunsetColumn;
            svg << "<line x1=\"" << N(x) << "\" y1=\"" << N(y + 9.0) << "\" x2=\"" << N(x + 30.0) << "\" y2=\"" << N(y + 9.0)
                << "\" stroke=\"" << CurveColours[contact - 1] << "\" stroke-width=\"" << (outer ? "2" : "1") << "\""
                << (sunrise ? "" : (outer ? " stroke-dasharray=\"7 4\"" : " stroke-dasharray=\"4 3\"")) << "/>\n";
            WriteText(svg, x + 38.0, y + 14.0, LegendSize, kit::Fill(sunrise ? words.sunrise : words.sunset, name), "");
        }
        y += LegendLine;
    }
    y = std::max(y, classesEnd) + 8.0;
    for (const std::string* line : {&words.times, &words.caption}) {
        WriteText(svg, left, y + 14.0, LegendSize, *line, " fill=\"#444444\"");
        y += LegendLine;
    }
    return y;
}

}  // namespace

std::string SiteName(const ephemeris::WgsSite& site, const MapWords& words, bool comma) {
    return kit::SiteLabel(site.latitudeDegrees, site.longitudeEastDegrees, words.north, words.south, words.east, words.west, comma);
}

void WriteMapSvg(const MapPicture& picture, const MapWords& words, bool comma, std::ostream& out) {
    const Frame f = FrameOf();
    std::ostringstream body;
    const std::string outline = PathData(f, Outline(), true);
    body << "<defs><clipPath id=\"start\"><path d=\"" << RegionData(f, picture.regions[0])
         << "\" clip-rule=\"evenodd\"/></clipPath></defs>\n";
    body << "<path d=\"" << outline << "\" fill=\"" << SeenColours[static_cast<int>(Seen::None)] << "\"/>\n";
    // Where contact 1 is seen the start's colour, where contact 4 is the end's, and where both are the whole's.
    body << "<path d=\"" << RegionData(f, picture.regions[0]) << "\" fill=\"" << SeenColours[static_cast<int>(Seen::Start)]
         << "\" fill-rule=\"evenodd\"/>\n";
    const std::string endData = RegionData(f, picture.regions[1]);
    body << "<path d=\"" << endData << "\" fill=\"" << SeenColours[static_cast<int>(Seen::End)] << "\" fill-rule=\"evenodd\"/>\n";
    body << "<path d=\"" << endData << "\" fill=\"" << SeenColours[static_cast<int>(Seen::Whole)]
         << "\" fill-rule=\"evenodd\" clip-path=\"url(#start)\"/>\n";
    WriteGraticule(f, body);
    WriteLand(f, body);
    body << "<path d=\"" << outline << "\" fill=\"none\" stroke=\"#333333\" stroke-width=\"1\"/>\n";
    WriteCurves(f, picture, body);
    WriteSites(f, picture, words, comma, body);
    WriteText(body, Width / 2.0, 32.0, 20.0, words.title, " text-anchor=\"middle\" font-weight=\"bold\"");
    WriteText(body, Width / 2.0, 56.0, 14.0, words.subtitle, " text-anchor=\"middle\"");
    const double height = WriteLegend(picture, words, MapTop + f.height + 14.0, body) + 10.0;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << N(Width) << "\" height=\"" << N(height)
        << "\" viewBox=\"0 0 " << N(Width) << ' ' << N(height) << "\" font-family=\"sans-serif\" xml:space=\"preserve\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << body.str() << "</svg>\n";
}

}  // namespace worldmap
