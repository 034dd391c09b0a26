// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Report.h"

#include <cmath>
#include <ostream>
#include <string>
#include <string_view>

#include "Format.h"
#include "Spool.h"
#include "Words.h"

namespace report {

using namespace campaign;
using namespace fitting;

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
void PutPredictedUt(std::string& row, const Timing& t, const TimingFit& fit) {
    row += ',';
    if (t.end == 0 && !std::isnan(fit.predictedS)) row += FormatUt(fit.predictedS);
}

}  // namespace

void WriteCsvReport(const Reduction& reduction, std::ostream& out, int fileDescriptor) {
    const Campaign& campaign = reduction.campaign;
    const FitResult& result = reduction.fit;
    const bool exact = reduction.transits.front().model.kind == SiteModelKind::Exact;
    // Transits reduced together: each timing's transit (its date of greatest transit) last.
    const bool several = reduction.transits.size() > 1;
    out << "file,line,observer,site,contact,used,o_minus_c_s,lever_s,flags,reasons" << (exact ? ",predicted_ut" : "")
        << ",date_ut,time_ut,date_as_printed,time_as_printed,time_basis,day" << (several ? ",transit\n" : "\n");
    // The rows in pieces, laid out on the processors and written in order: a copy of the whole table would
    // double the memory of a large campaign.
    SpoolRows(campaign.timings.size(), out, fileDescriptor, [&](std::string& room, std::size_t begin, std::size_t end) {
        room.clear();
        for (std::size_t i = begin; i < end; ++i) {
            const Timing& t = campaign.timings[i];
            const TimingFit& fit = result.timings[i];
            std::string reasons;
            for (const TimingFinding& found : FindingsOf(result, i)) {
                if (!reasons.empty()) reasons += "; ";
                reasons += FindingText(found.finding, kit::Language::English);
            }
            room += CsvField(campaign.files[static_cast<std::size_t>(t.file)]) + ',' + std::to_string(t.line) + ',';
            room += CsvField(campaign.observers[static_cast<std::size_t>(t.observer)]) + ',';
            room += CsvField(campaign.sites[static_cast<std::size_t>(t.site)]) + ',';
            room += ContactName(t.start, t.end) + (fit.used ? ",true," : ",false,");
            if (!std::isnan(fit.oMinusCS)) room += Format("%.*f", fit.oMinusCS, 3);
            room += ',' + Format("%.*f", fit.leverS, 3) + ',' + FlagWords(fit.flagBits) + ',' + CsvField(reasons);
            if (exact) PutPredictedUt(room, t, fit);
            room += ',' + UtDateText(t) + ',' + FormatUtMs(t.seconds) + ',' + WrittenDateText(t) + ',' + WrittenTimeText(t);
            room += std::string(",") + TimeBasisName(t.basis) + ',' + DayStartName(t.dayStart);
            if (several) room += ',' + reduction.transits[static_cast<std::size_t>(t.transit)].date;
            room += '\n';
        }
        return room.size();
    });
}

}  // namespace report
