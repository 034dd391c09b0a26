// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Report.h"

#include <cmath>
#include <ostream>
#include <string>
#include <string_view>

#include "Format.h"
#include "Words.h"

namespace campaign {
namespace {

// A text cell: quoted when it holds a delimiter, a quote or a line break. One that begins as a formula would
// (=, +, -, @, a tab or a carriage return) is a name, not a formula: it gets a leading apostrophe, which
// spreadsheets take for "text follows", and quotes, as OWASP advises against formula injection.
std::string CsvField(const std::string& text) {
    const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    if (!formula && text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = formula ? "\"'" : "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The exact model's prediction of a clock time as a last column: empty for a duration or an unseen contact.
std::string PredictedUtField(const Timing& t, const TimingFit& fit) {
    return t.end == 0 && !std::isnan(fit.predictedS) ? "," + FormatUt(fit.predictedS) : std::string(",");
}

}  // namespace

void WriteCsvReport(const Reduction& reduction, std::ostream& out) {
    const Campaign& campaign = reduction.campaign;
    const FitResult& result = reduction.fit;
    // Row by row into the stream: a copy of the whole table would double the memory of a large campaign.
    std::ostream& text = out;
    const bool exact = reduction.transits.front().model.kind == SiteModelKind::Exact;
    // Transits reduced together: each timing's transit (its date of greatest transit) last.
    const bool several = reduction.transits.size() > 1;
    text << "file,line,observer,site,contact,used,o_minus_c_s,lever_s,flags,reasons" << (exact ? ",predicted_ut" : "")
         << ",date_ut,time_ut,date_as_printed,time_as_printed,time_basis,day" << (several ? ",transit\n" : "\n");
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        const Timing& t = campaign.timings[i];
        const TimingFit& fit = result.timings[i];
        std::string reasons;
        for (const TimingFinding& found : FindingsOf(result, i)) {
            if (!reasons.empty()) reasons += "; ";
            reasons += FindingText(found.finding, kit::Language::English);
        }
        text << CsvField(campaign.files[static_cast<std::size_t>(t.file)]) << ',' << t.line << ','
             << CsvField(campaign.observers[static_cast<std::size_t>(t.observer)]) << ',' << CsvField(campaign.sites[static_cast<std::size_t>(t.site)]) << ','
             << ContactName(t.start, t.end) << ',' << (fit.used ? "true" : "false") << ','
             << (std::isnan(fit.oMinusCS) ? std::string() : Format("%.*f", fit.oMinusCS, 3)) << ','
             << Format("%.*f", fit.leverS, 3) << ',' << FlagWords(fit.flagBits) << ',' << CsvField(reasons);
        if (exact) text << PredictedUtField(t, fit);
        text << ',' << UtDateText(t) << ',' << FormatUtMs(t.seconds) << ',' << WrittenDateText(t) << ',' << WrittenTimeText(t)
             << ',' << TimeBasisName(t.basis) << ',' << DayStartName(t.dayStart);
        if (several) text << ',' << reduction.transits[static_cast<std::size_t>(t.transit)].date;
        text << '\n';
    }
}

}  // namespace campaign
