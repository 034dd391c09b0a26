// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// transitfit's reading and reduction on arbitrary files. Every timing read lies on the globe, names a contact
// and a time within two days, and comes from a line of the input; every message is one line of its own; the
// duplicates are exactly the repeats; and a fit never reports an infinite AU, uncertainty or parallax.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "Campaign.h"
#include "Reduce.h"
#include "Report.h"
#include "Text.h"

using namespace campaign;

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
    Check(t.altitudeM >= -500.0 && t.altitudeM <= 9000.0);
    Check(t.observer >= 0 && static_cast<std::size_t>(t.observer) < campaign.observers.size());
    // The header takes line 1 at least, so a timing comes from line 2 or later.
    Check(t.line >= 2 && t.line <= lines);
    Check(t.file == 0);
    Check(!t.site.empty() && kit::IsUtf8(t.site));
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    long lines = 1;
    for (const char c : text) lines += c == '\n';

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
    MarkDuplicates(campaign);
    std::set<std::tuple<int, int, int, double>> distinct;
    std::size_t kept = 0;
    for (const Timing& t : campaign.timings) {
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
        if (reduction.outcome == Outcome::NoTransit) continue;
        Check(reduction.campaign.timings.size() <= campaign.timings.size());
        CheckFit(reduction.campaign, reduction.fit);
        if (reduction.outcome == Outcome::Reduced) WriteAll(reduction);
    }
    return 0;
}
