// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

#include "Format.h"
#include "Svg.h"
#include "Words.h"

namespace report {

using namespace campaign;
using namespace fitting;

namespace {

constexpr double Width = 1040, Height = 640, Left = 90, Right = 120, Top = 70, Bottom = 80;

struct Point {
    double x, y;
    int colour;
    bool used;
    std::string label;
};

const char* const Colours[] = {"#1f77b4", "#e377c2", "#2ca02c", "#d62728", "#9467bd"};

std::string Number(double value, int decimals = 1) { return kit::SvgNumber(value, decimals); }

std::string Escaped(const std::string& text) { return kit::SvgText(text); }

// A step of 1, 2 or 5 times a power of ten giving about eight ticks over the span.
double TickStep(double span) {
    const double raw = span / 8.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw) return m * power;
    }
    return 10.0 * power;
}

}  // namespace

void WritePlotSvg(const Reduction& reduction, kit::Language language, std::ostream& out) {
    const Campaign& campaign = reduction.campaign;
    const FitResult& result = reduction.fit;
    const PlotWords& words = PlotWordsIn(language);
    const std::string title = TransitsTitle(reduction.transits, language) + ": " + std::to_string(result.used) + words.timings;
    std::vector<Point> points;
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        const Timing& t = campaign.timings[i];
        const TimingFit& fit = result.timings[i];
        if (t.duplicate || t.copiedFrom >= 0 || std::isnan(fit.oMinusCS)) continue;
        const int colour = t.end == 0 ? t.start - 1 : 4;
        points.push_back({fit.leverS, fit.oMinusCS + result.q * fit.leverS, colour, fit.used,
                          campaign.observers[static_cast<std::size_t>(t.observer)]});
    }
    // The scale follows the used timings, so that a timing an hour off does not flatten the picture.
    double xLow = 0, xHigh = 0, yLow = 0, yHigh = 0;
    for (const Point& p : points) {
        xLow = std::min(xLow, p.x), xHigh = std::max(xHigh, p.x);
        if (p.used) yLow = std::min(yLow, p.y), yHigh = std::max(yHigh, p.y);
    }
    const double slopeHigh = ReferenceAuKm / 100e6;
    // An unbounded fit draws no line, so its slope takes no room.
    const double slope = result.bounded ? result.q : 0.0;
    for (const double x : {xLow, xHigh}) {
        yLow = std::min(yLow, std::min(slopeHigh * x, slope * x));
        yHigh = std::max(yHigh, std::max(slopeHigh * x, slope * x));
    }
    const double xPad = std::max(1.0, 0.05 * (xHigh - xLow)), yPad = std::max(1.0, 0.05 * (yHigh - yLow));
    xLow -= xPad, xHigh += xPad, yLow -= yPad, yHigh += yPad;
    const double plotWidth = Width - Left - Right, plotHeight = Height - Top - Bottom;
    auto px = [&](double x) { return Left + (x - xLow) / (xHigh - xLow) * plotWidth; };
    auto py = [&](double y) { return Top + (yHigh - std::clamp(y, yLow, yHigh)) / (yHigh - yLow) * plotHeight; };

    // Straight into the stream: a copy of the whole picture would double the memory of a large campaign.
    std::ostream& svg = out;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Width << "\" height=\"" << Height
        << "\" viewBox=\"0 0 " << Width << ' ' << Height << "\" font-family=\"sans-serif\" font-size=\"13\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"" << Width / 2 << "\" y=\"30\" text-anchor=\"middle\" font-size=\"17\">" << Escaped(title) << "</text>\n"
        << "<defs><clipPath id=\"area\"><rect x=\"" << Left << "\" y=\"" << Top << "\" width=\"" << plotWidth
        << "\" height=\"" << plotHeight << "\"/></clipPath></defs>\n";
    // Grid and ticks.
    const double xStep = TickStep(xHigh - xLow), yStep = TickStep(yHigh - yLow);
    for (double x = std::ceil(xLow / xStep) * xStep; x <= xHigh; x += xStep) {
        svg << "<line x1=\"" << Number(px(x)) << "\" y1=\"" << Top << "\" x2=\"" << Number(px(x)) << "\" y2=\""
            << Top + plotHeight << "\" stroke=\"#eee\"/>\n<text x=\"" << Number(px(x)) << "\" y=\"" << Top + plotHeight + 18
            << "\" text-anchor=\"middle\">" << Number(x, xStep < 1 ? 1 : 0) << "</text>\n";
    }
    for (double y = std::ceil(yLow / yStep) * yStep; y <= yHigh; y += yStep) {
        svg << "<line x1=\"" << Left << "\" y1=\"" << Number(py(y)) << "\" x2=\"" << Left + plotWidth << "\" y2=\""
            << Number(py(y)) << "\" stroke=\"#eee\"/>\n<text x=\"" << Left - 8 << "\" y=\"" << Number(py(y) + 4)
            << "\" text-anchor=\"end\">" << Number(y, yStep < 1 ? 1 : 0) << "</text>\n";
    }
    svg << "<rect x=\"" << Left << "\" y=\"" << Top << "\" width=\"" << plotWidth << "\" height=\"" << plotHeight
        << "\" fill=\"none\" stroke=\"#444\"/>\n";
    svg << "<text x=\"" << Left + plotWidth / 2 << "\" y=\"" << Height - 35 << "\" text-anchor=\"middle\">"
        << words.leverAxis
        << "</text>\n<text transform=\"translate(24 " << Top + plotHeight / 2 << ") rotate(-90)\" text-anchor=\"middle\">"
        << words.timeAxis
        << "</text>\n<g clip-path=\"url(#area)\">\n";
    // Reference lines, then the fitted one: y = (ReferenceAuKm / AU) x.
    for (const double au : {100e6, 150e6, 200e6}) {
        const double slope = ReferenceAuKm / au;
        svg << "<line x1=\"" << Number(px(xLow)) << "\" y1=\"" << Number(py(slope * xLow)) << "\" x2=\"" << Number(px(xHigh))
            << "\" y2=\"" << Number(py(slope * xHigh)) << "\" stroke=\"#bbb\" stroke-dasharray=\"4 4\"/>\n"
            ;
    }
    if (result.bounded) {
        svg << "<line x1=\"" << Number(px(xLow)) << "\" y1=\"" << Number(py(result.q * xLow)) << "\" x2=\"" << Number(px(xHigh))
            << "\" y2=\"" << Number(py(result.q * xHigh)) << "\" stroke=\"black\" stroke-width=\"2\"/>\n";
    }
    for (const Point& p : points) {
        const char* colour = Colours[p.colour];
        const bool offScale = p.y < yLow || p.y > yHigh;
        svg << "<circle cx=\"" << Number(px(p.x)) << "\" cy=\"" << Number(py(p.y)) << "\" r=\"" << (p.used ? 4 : 6) << "\" "
            << (p.used ? std::string("fill=\"") + colour + "\" stroke=\"white\" stroke-width=\"0.8\""
                       : std::string("fill=\"none\" stroke=\"") + colour + "\" stroke-width=\"2\"")
            << "/>\n";
        if (!p.used) {
            // Labels on the right half run to the left of their point, so that none leaves the frame.
            const bool rightHalf = px(p.x) > Left + plotWidth / 2;
            svg << "<text text-anchor=\"" << (rightHalf ? "end" : "start") << "\" x=\"" << Number(px(p.x) + (rightHalf ? -9 : 9)) << "\" y=\"" << Number(py(p.y) + (p.y > yHigh ? 14 : -6)) << "\" fill=\""
                << colour << "\">" << Escaped(kit::Escaped(p.label)) << (offScale ? " (" + Number(p.y, 0) + " s)" : std::string()) << "</text>\n";
        }
    }
    svg << "</g>\n";
    // The reference lines are named in the right margin, where they leave the frame.
    for (const double au : {100e6, 150e6, 200e6}) {
        const double slope = ReferenceAuKm / au;
        svg << "<text x=\"" << Number(Left + plotWidth + 6) << "\" y=\"" << Number(py(slope * xHigh) + 4) << "\" fill=\"#999\">"
            << Number(au * 1e-6, 0) << words.millionKm << "</text>\n";
    }
    // Labels of the fitted line and the legend, bottom right: a line of positive slope leaves that corner free.
    const double labelY = Top + plotHeight - 42, legendStart = Left + plotWidth - 560;
    if (result.bounded) {
        svg << "<text x=\"" << legendStart << "\" y=\"" << labelY << "\" font-size=\"15\" font-weight=\"bold\">"
            << words.slope << RoundToUncertainty(result.auKm, result.auSigmaKm, 6, language) << words.millionKm << "</text>\n";
    } else {
        // A sentence is longer than the slope's label: it starts at the frame's left edge to stay inside it.
        svg << "<text x=\"" << Left + 10 << "\" y=\"" << labelY << "\" font-size=\"15\" font-weight=\"bold\">"
            << UnboundedText(result, language) << "</text>\n";
    }
    const char* const names[] = {"1", "2", "3", "4", nullptr};
    double legendX = legendStart + 4;
    for (int c = 0; c < 5; ++c) {
        svg << "<circle cx=\"" << legendX << "\" cy=\"" << labelY + 20 << "\" r=\"4\" fill=\"" << Colours[c] << "\"/>\n<text x=\""
            << legendX + 8 << "\" y=\"" << labelY + 24 << "\">"
            << (names[c] ? std::string(words.contact) + names[c] : std::string(words.duration))
            << "</text>\n";
        legendX += 90;
    }
    svg << "<circle cx=\"" << legendX << "\" cy=\"" << labelY + 20 << "\" r=\"5\" fill=\"none\" stroke=\"#444\" stroke-width=\"2\"/>\n"
        << "<text x=\"" << legendX + 9 << "\" y=\"" << labelY + 24 << "\">" << words.rejected << "</text>\n";
    svg << "</svg>\n";
}

}  // namespace report
