// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Report.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "Format.h"
#include "Spool.h"
#include "Words.h"

namespace report {

using namespace campaign;
using namespace fitting;

namespace {

// The timing table's columns: the file and line take 22 and a space, the observer's name at least 21 and a
// space (the title's width), at most 40: beyond that a line no longer fits a wide terminal.
constexpr std::size_t WhereWidth = 22, NameNarrowest = 21, NameWidest = 40;

// Each observer's name as the table shows it, and the column's width in nameWidth. Names are escaped, and
// shortened in the middle, so that "... team A" and "... team B" stay apart; names that still look alike
// carry their observer's number in order of first appearance ("#3"), which no two observers share.
std::vector<std::string> NameCells(const Campaign& campaign, std::size_t& nameWidth) {
    std::vector<bool> shown(campaign.observers.size(), false);
    for (const Timing& t : campaign.timings) shown[static_cast<std::size_t>(t.observer)] = true;
    nameWidth = NameNarrowest;
    for (std::size_t j = 0; j < campaign.observers.size(); ++j) {
        if (shown[j]) nameWidth = std::max(nameWidth, std::min(NameWidest, kit::DisplayWidth(campaign.observers[j])));
    }
    std::vector<std::string> cells(campaign.observers.size());
    std::vector<std::size_t> order;
    for (std::size_t j = 0; j < cells.size(); ++j) {
        cells[j] = kit::EscapedShortened(campaign.observers[j], nameWidth);
        if (shown[j]) order.push_back(j);
    }
    // Sorted by cell, names that look alike lie next to each other.
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return cells[a] < cells[b]; });
    std::vector<bool> alike(cells.size(), false);
    for (std::size_t k = 1; k < order.size(); ++k) {
        if (cells[order[k]] == cells[order[k - 1]]) alike[order[k]] = alike[order[k - 1]] = true;
    }
    for (std::size_t j = 0; j < cells.size(); ++j) {
        if (!alike[j]) continue;
        const std::string number = " #" + std::to_string(j + 1);
        cells[j] = kit::EscapedShortened(campaign.observers[j], nameWidth - number.size()) + number;
    }
    return cells;
}

// The AU, the parallax and their uncertainties, as far as the fit bounds them.
void WriteAu(const FitResult& result, const TextWords& w, kit::Language language, std::ostream& text) {
    const double sigma = result.auSigmaKm;
    if (result.auGiven) {
        // As given, to the kilometre's tenth at most.
        text << w.au << ": " << Localised(Format("%.*f", result.auKm * 1e-6, 7), language) << ' ' << w.millionKm << ", "
             << w.auGiven << '\n';
        text << w.parallax << ": " << Localised(Format("%.*f", result.parallaxArcsec, 3), language) << "\xE2\x80\xB3\n";
        return;
    }
    if (!result.bounded) {
        // No figure at all: a negative, infinite or unbounded AU is no result, whatever its digits.
        text << w.au << ": " << UnboundedText(result, language) << '\n';
        return;
    } else if (std::isnan(sigma)) {
        text << w.au << ": " << Significant(result.auKm, 6, language) << ' ' << w.millionKm << " ("
             << Significant(result.auKm, 0, language) << " km; " << w.noErrorBar << ")\n";
        text << w.parallax << ": " << Localised(Format("%.*f", result.parallaxArcsec, 3), language) << "\xE2\x80\xB3\n";
    } else {
        text << w.au << ": " << RoundToUncertainty(result.auKm, sigma, 6, language) << ' ' << w.millionKm << " ("
             << RoundToUncertainty(result.auKm, sigma, 0, language) << " km)\n";
        text << w.parallax << ": " << RoundToUncertainty(result.parallaxArcsec, result.parallaxSigmaArcsec, 0, language)
             << "\xE2\x80\xB3\n";
    }
    text << w.uncertainty << ": " << w.formal << ' ';
    if (std::isnan(result.auSigmaFormalKm)) text << "-";
    else text << Localised(Format("%.*f", result.auSigmaFormalKm * 1e-6, 3), language) << ' ' << w.millionKm;
    text << " (" << result.degreesOfFreedom << ' ' << w.dof << "); ";
    if (result.resampling.method == "bootstrap") {
        text << w.bootstrap << " (" << result.resampling.runs;
        if (result.resampling.failed > 0) text << ", " << result.resampling.failed << ' ' << w.notSolved;
        text << ")";
    }
    else if (result.resampling.method == "first-order bootstrap") text << w.bootstrap << " (" << w.firstOrder << ")";
    else if (result.resampling.method == "jackknife") text << w.jackknife << " (" << result.resampling.runs << ")";
    else text << w.noResampling;
    if (!result.resampling.method.empty()) {
        text << ' ';
        if (std::isnan(result.auSigmaResampledKm)) text << "-";
        else text << Localised(Format("%.*f", result.auSigmaResampledKm * 1e-6, 3), language) << ' ' << w.millionKm;
    }
    text << '\n';
}

// The site model and what it does to the AU, the jackknife's AU without each observer, the clock offsets.
void WriteModel(const Reduction& reduction, const TextWords& w, kit::Language language, std::ostream& text) {
    const FitResult& result = reduction.fit;
    const Campaign& campaign = reduction.campaign;
    for (const TransitChoice& choice : reduction.transits) {
        if (choice.model.kind == SiteModelKind::Exact) text << w.siteModel;
        else text << w.coefficients << ": ";
        text << CoefficientsName(choice, language) << '\n';
    }
    if (std::isfinite(result.modelBias)) text << ModelBiasNote(result.modelBias, language);
    for (const TransitChoice& choice : reduction.transits) {
        if (choice.planet != "mercury") continue;
        // Mercury is twice as far from the Earth at transit as Venus: its contacts hardly move between sites.
        double reach = 0.0;
        for (const auto& a : choice.model.secondsPerUnit) reach = std::fmax(reach, std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]));
        text << MercuryNote(reach, language);
    }
    for (const auto& [observer, au] : result.resampling.withoutObserver) {
        if (!result.bounded) break;
        text << "  " << w.without << ' ' << kit::Escaped(campaign.observers[static_cast<std::size_t>(observer)]) << ": "
             << (std::isnan(au) ? std::string(w.notDetermined) : Significant(au, 6, language) + " " + w.millionKm) << '\n';
    }
    if (reduction.clockOffsets) {
        text << w.clockOffsets << ':';
        for (std::size_t j = 0; j < result.clockOffsetsS.size(); ++j) {
            if (std::isnan(result.clockOffsetsS[j])) continue;
            text << ' ' << kit::Escaped(campaign.observers[j]) << ' ' << Localised(Format("%+.*f", result.clockOffsetsS[j], 1), language) << " s;";
        }
        text << '\n';
    }
}

// The widths of the columns of times as written and their UT: a date, a time to the hundredth of a second, the
// clock's abbreviation and "astr.", and a space after each.
constexpr std::size_t WrittenWidth = 33, UtWidth = 22;

// A timing as written, "1769-06-02 21:43:15 LAT astr.", for the timing table.
std::string WrittenCell(const Timing& t, kit::Language language) {
    std::string cell = WrittenDateText(t);
    if (!cell.empty()) cell += ' ';
    cell += WrittenTimeText(t);
    if (t.end == 0) cell += std::string(" ") + BasisAbbreviation(t.basis, language);
    if (t.end == 0 && t.dayStart == DayStart::Astronomical) cell += " astr.";
    return cell;
}

// The reference times, then every timing with its O-C, flags and findings; when some timing was not written
// as UT, each with its time as written and its UT beside.
void WriteTables(const Reduction& reduction, const TextWords& w, kit::Language language, std::ostream& text, int fileDescriptor) {
    const FitResult& result = reduction.fit;
    const Campaign& campaign = reduction.campaign;
    const bool exact = reduction.transits.front().model.kind == SiteModelKind::Exact;
    text << '\n' << (exact ? w.exactContactHeader : w.contactHeader) << '\n';
    // Transits reduced together: each one's contacts under its title.
    int shown = -1;
    for (const ContactFit& c : result.contacts) {
        if (reduction.transits.size() > 1 && c.transit != shown) {
            shown = c.transit;
            text << TransitTitle(reduction.transits[static_cast<std::size_t>(c.transit)], language) << '\n';
        }
        const std::string reference = c.end == 0 ? FormatUt(c.referenceS) : FormatUt(c.referenceS) + " " + w.duration;
        text << Padded(ContactName(c.start, c.end), 9);
        if (exact) text << Padded(reference, 17) << Localised(Format("%*.1f", c.offsetS, 11), language) << "  ";
        else text << Padded(reference, 18);
        text << Localised(Format("%*.1f", c.rmsS, 11), language) << Format("%*.0f", static_cast<double>(c.used), 9) << '\n';
    }
    std::size_t nameWidth = NameNarrowest;
    std::vector<std::string> names = NameCells(campaign, nameWidth);
    for (std::string& name : names) name = Padded(name, nameWidth + 1);
    std::vector<std::string> files;
    for (const std::string& file : campaign.files) files.push_back(kit::Escaped(file) + ":");
    // The title of the observer's column ends where the contact's begins.
    std::string header = exact ? w.exactTimingHeader : w.timingHeader;
    header.insert(WhereWidth + 1 + NameNarrowest + 1, nameWidth - NameNarrowest, ' ');
    unsigned bases = 0;
    bool astronomical = false;
    for (const Timing& t : campaign.timings) {
        if (WrittenAsUt(t) || t.end != 0) continue;
        bases |= 1u << static_cast<unsigned>(t.basis);
        astronomical = astronomical || t.dayStart == DayStart::Astronomical;
    }
    const bool written = bases != 0 || astronomical;
    // The contact's column is 9 wide in either table.
    if (written) header.insert(WhereWidth + 1 + nameWidth + 1 + 9, Padded(w.asPrinted, WrittenWidth) + Padded(w.utTime, UtWidth));
    text << '\n' << header << '\n';
    // The rows in pieces, laid out on the processors and written in order.
    SpoolRows(campaign.timings.size(), text, fileDescriptor, [&](std::string& room, std::size_t begin, std::size_t end) {
        room.clear();
        for (std::size_t i = begin; i < end; ++i) {
            const Timing& t = campaign.timings[i];
            const TimingFit& fit = result.timings[i];
            room += Padded(files[static_cast<std::size_t>(t.file)] + std::to_string(t.line), WhereWidth) + ' ';
            room += names[static_cast<std::size_t>(t.observer)];
            room += Padded(ContactName(t.start, t.end), 9);
            if (written) {
                const std::string date = t.end == 0 ? UtDateText(t) : std::string();
                room += Padded(WrittenCell(t, language), WrittenWidth);
                room += Padded((date.empty() ? date : date + " ") + FormatUt(t.seconds), UtWidth);
            }
            // The exact model's prediction: a clock time, or a duration's length; - where the site does not see it.
            if (exact) room += Padded(std::isnan(fit.predictedS) ? std::string("-") : FormatUt(fit.predictedS), 16);
            room += std::isnan(fit.oMinusCS) ? std::string("        -") : Localised(Format("%+*.1f", fit.oMinusCS, 9), language);
            room += "  " + FlagWords(fit.flagBits) + '\n';
            for (const TimingFinding& found : FindingsOf(result, i)) room += "    " + FindingText(found.finding, language) + '\n';
        }
        return room.size();
    });
    if (written) text << '\n' << WrittenTimesNote(bases, astronomical, language);
}

}  // namespace

void WriteTextReport(const Reduction& reduction, kit::Language language, std::ostream& out, int fileDescriptor) {
    const TextWords& w = TextWordsIn(language);
    const FitResult& result = reduction.fit;
    // Straight into the stream: a copy of the whole report would double the memory of a large campaign.
    std::ostream& text = out;
    text << TransitsTitle(reduction.transits, language) << '\n';
    text << w.timings << ": " << result.read << ' ' << w.read << ", " << result.used << ' ' << w.used << ", "
         << result.rejected << ' ' << w.rejected;
    const auto notUsed = std::count_if(reduction.campaign.timings.begin(), reduction.campaign.timings.end(),
                                       [](const Timing& t) { return !t.use; });
    if (notUsed > 0) text << ", " << notUsed << ' ' << w.notUsed;
    text << '\n';
    WriteAu(result, w, language, text);
    WriteModel(reduction, w, language, text);
    WriteTables(reduction, w, language, text, fileDescriptor);
}

}  // namespace report
