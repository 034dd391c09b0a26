// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// transitfit's reading and reduction on arbitrary files. Every timing read lies on the globe, names a contact
// and a time within two days, and comes from a line of the input; every message is one line of its own; the
// duplicates are exactly the repeats; every line of the input is accounted for (a timing, a blank line, the
// header, or a line a message names); and a fit never reports an infinite AU, uncertainty or parallax.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "Campaign.h"
#include "Csv.h"
#include "Fields.h"
#include "Reduce.h"
#include "Report.h"
#include "Text.h"
#include "Words.h"

using namespace campaign;
using namespace fitting;
using namespace report;

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

bool NotInfinite(double value) { return !std::isinf(value); }

void CheckTiming(const Campaign& campaign, const Timing& t, long lines) {
    Check(std::isfinite(t.latitudeDegrees) && std::fabs(t.latitudeDegrees) <= 90.0);
    Check(std::isfinite(t.longitudeDegrees) && std::fabs(t.longitudeDegrees) <= 180.0);
    Check(t.start >= 1 && t.start <= 4);
    Check(t.end == 0 || (t.start < t.end && t.end <= 4));
    Check(std::isfinite(t.seconds) && t.seconds >= 0.0 && t.seconds < 48 * 3600.0);
    Check(t.sigmaS >= 0.0 && t.sigmaS <= 86400.0);
    Check(t.altitudeM >= ephemeris::MinSiteHeightM && t.altitudeM <= ephemeris::MaxSiteHeightM);
    Check(t.observer >= 0 && static_cast<std::size_t>(t.observer) < campaign.observers.size());
    // The header takes line 1 at least, so a timing comes from line 2 or later.
    Check(t.line >= 2 && t.line <= lines);
    Check(t.file == 0);
    Check(t.site >= 0 && static_cast<std::size_t>(t.site) < campaign.sites.size());
    const std::string& site = campaign.sites[static_cast<std::size_t>(t.site)];
    Check(!site.empty() && kit::IsUtf8(site));
    // What was written: hours below 48, at most three decimals; a UT time on the civil day is its own UT.
    Check(t.writtenMs >= 0 && t.writtenMs < 48 * 3600000 && t.writtenDecimals >= -1 && t.writtenDecimals <= 3);
    Check(t.writtenDays >= -3 && t.writtenDays <= 1);  // 47:59 on the astronomical day, 12 h west: three days on
    if (WrittenAsUt(t) || t.end != 0) Check(t.writtenDays == 0 && std::fabs(t.seconds * 1000.0 - t.writtenMs) <= 0.5);
    else Check(t.year != 0 && t.seconds < 86400.0);
}

// Every writer runs to its end on a reduction.
void WriteAll(const Reduction& reduction) {
    std::ostringstream out;
    WriteTextReport(reduction, kit::Language::English, out);
    WriteTextReport(reduction, kit::Language::German, out);
    WriteJsonReport(reduction, out);
    WriteCsvReport(reduction, out);
    WritePlotSvg(reduction, kit::Language::English, out);
    Check(out.good());
}

void CheckFit(const Campaign& campaign, const FitResult& result) {
    Check(result.read == static_cast<long>(campaign.timings.size()));
    Check(result.timings.size() == campaign.timings.size());
    Check(result.used >= 0 && result.used <= result.read && result.rejected >= 0 && result.rejected <= result.read);
    if (!result.fitted) {
        Check(result.whyNot != NoFit::None);
        return;
    }
    Check(std::isfinite(result.q));
    for (const double value : {result.auKm, result.auSigmaKm, result.auSigmaFormalKm, result.auSigmaResampledKm,
                               result.parallaxArcsec, result.parallaxSigmaArcsec, result.qSigmaFormal,
                               result.qSigmaResampled, result.scatter}) {
        Check(NotInfinite(value));
    }
    // An AU that is reported as bounded has a finite value and a finite, non-negative uncertainty.
    if (result.bounded) Check(std::isfinite(result.auKm) && result.auKm > 0.0 && !(result.auSigmaKm < 0.0));
    for (const ContactFit& contact : result.contacts) {
        Check(std::isfinite(contact.referenceS));
        if (contact.end == 0) Check(contact.referenceS >= 0.0 && contact.referenceS < 86400.0);
        Check(NotInfinite(contact.rmsS));
    }
    for (const TimingFit& fit : result.timings) Check(NotInfinite(fit.oMinusCS) && NotInfinite(fit.leverS));
    for (const double offset : result.clockOffsetsS) Check(NotInfinite(offset));
}

// Physical lines, as the reader counts them: CR LF, LF and a lone CR each end one.
long CountLines(const std::string& text) {
    long lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++lines;
    }
    const bool open = !text.empty() && text.back() != '\n' && text.back() != '\r';
    return lines + (open ? 1 : 0);
}

// The physical lines of text, without their ends.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

// No row vanishes without a word: every record of the file is blank, the header, a timing's row or a row a
// message names (by its line or within a range "lines A-B"), and the records cover every line. A line inside
// a record's quoted field counts only when it cannot be a row: the part of it still inside the quotes holds
// fewer delimiters than a row has.
void CheckEveryLineAccounted(const std::string& text, const Campaign& campaign, const std::string& messages) {
    const long lines = CountLines(text);
    const std::vector<std::string> raw = SplitLines(text);
    std::vector<char> named(static_cast<std::size_t>(lines) + 2, 0), covered(named.size(), 0);
    auto mark = [&](std::vector<char>& marks, long from, long to) {
        for (long line = std::max(from, 1L); line <= std::min(to, lines); ++line) marks[static_cast<std::size_t>(line)] = 1;
    };
    for (const Timing& t : campaign.timings) mark(named, t.line, t.line);
    for (std::size_t at = 0; at < messages.size(); at = messages.find('\n', at) + 1) {
        const std::string message = messages.substr(at, messages.find('\n', at) - at);
        const long line = std::atol(message.c_str() + 21);
        mark(named, line, line);
        const std::size_t range = message.find("lines ");
        if (range != std::string::npos) {
            char* end = nullptr;
            const long from = std::strtol(message.c_str() + range + 6, &end, 10);
            if (*end == '-') mark(named, from, std::strtol(end + 1, nullptr, 10));
        }
    }
    std::istringstream in(text);
    CsvReader reader = OpenCsv(in);
    CsvRecord record;
    bool header = true;
    std::size_t headerFields = 0;
    while (ReadRecord(reader, record) == CsvStatus::Record) {
        bool blank = !record.tooLong;
        for (const std::string& field : record.fields) blank = blank && fields::Trim(field).empty();
        Check(blank || header || named[static_cast<std::size_t>(std::min(record.line, lines))]);
        if (header && !blank) headerFields = record.fields.size();
        header = header && blank;
        mark(covered, record.line, record.line);
        for (long line = record.line + 1; line <= std::min(record.lastLine, lines); ++line) {
            const std::string& inside = raw[static_cast<std::size_t>(line - 1)];
            const auto delimiters = static_cast<std::size_t>(
                std::count(inside.begin(), inside.begin() + static_cast<long>(std::min(inside.find('"'), inside.size())),
                           reader.delimiter));
            if (record.tooLong || headerFields < 3 || delimiters + 1 < headerFields) mark(covered, line, line);
        }
    }
    for (long line = 1; line <= lines; ++line) Check(covered[static_cast<std::size_t>(line)] || named[static_cast<std::size_t>(line)]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const long lines = std::max(CountLines(text), 1L);

    std::istringstream in(text);
    std::ostringstream err;
    Campaign campaign;
    const ReadStatus status = ReadCampaign("fuzz.csv", in, campaign, err);
    Check(campaign.files.size() == 1);
    if (status == ReadStatus::Read) Check(!campaign.timings.empty());
    if (status == ReadStatus::NoTimings) Check(campaign.timings.empty());
    // A row of the per-observer layout gives up to four timings, and a row takes a line at least.
    Check(campaign.timings.size() <= 4 * static_cast<std::size_t>(lines));
    Check(campaign.rowsSkipped >= 0 && campaign.rowsSkipped <= lines);
    for (const std::string& observer : campaign.observers) Check(!observer.empty());
    for (const Timing& t : campaign.timings) CheckTiming(campaign, t, lines);

    // Every message is a whole line of its own, so control bytes of the input never split or hide one.
    const std::string messages = err.str();
    Check(messages.empty() || messages.back() == '\n');
    for (std::size_t at = 0; at < messages.size(); at = messages.find('\n', at) + 1) {
        Check(messages.compare(at, 21, "transitfit: fuzz.csv:") == 0);
    }

    if (status != ReadStatus::Read) return 0;
    CheckEveryLineAccounted(text, campaign, messages);
    MarkDuplicates(campaign);
    std::set<std::tuple<int, int, int, double>> distinct;
    std::size_t kept = 0;
    for (const Timing& t : campaign.timings) {
        // A timing its row leaves out is neither a duplicate nor repeated.
        if (!t.use) {
            Check(!t.duplicate && t.copiedFrom < 0);
            continue;
        }
        const bool first = distinct.insert({t.observer, t.start, t.end, t.seconds}).second;
        Check(t.duplicate == !first);
        kept += !t.duplicate;
    }
    Check(kept == distinct.size());

    ReduceOptions options;
    options.fit.resamples = 20;
    for (const bool offsets : {false, true}) {
        options.fit.clockOffsets = offsets;
        options.fit.keepAll = offsets;
        const Reduction reduction = Reduce(campaign, options, err);
        if (reduction.outcome == Outcome::NoTransit) {
            std::ostringstream out;
            WriteJsonUnidentified(reduction.refusal, out);
            out << UnidentifiedReport(reduction.refusal, kit::Language::German) << RefusalText(reduction.refusal);
            Check(out.good());
            break;  // the clock offsets do not choose the transit
        }
        // The second run reduces with the transit the first chose: naming it again from the timings would
        // halve the pace.
        options.transitGiven = true;
        options.transitYear = reduction.transits.front().year, options.transitMonth = reduction.transits.front().month;
        options.transitDay = reduction.transits.front().day;
        Check(reduction.campaign.timings.size() <= campaign.timings.size());
        CheckFit(reduction.campaign, reduction.fit);
        if (reduction.outcome == Outcome::Reduced) WriteAll(reduction);
    }
    return 0;
}
