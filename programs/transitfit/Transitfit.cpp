// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transitfit.h"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <new>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "Campaign.h"
#include "Output.h"
#include "Report.h"
#include "Text.h"
#include "WhichTransit.h"
#include "Words.h"

namespace {

// Opens a named file for reading; false (reported) when it is missing, a directory or cannot be opened.
bool OpenInput(const std::string& name, std::ifstream& file, std::ostream& err) {
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) {
        err << "transitfit: " << kit::Escaped(name) << ": is a directory\n";
        return false;
    }
    file.open(name, std::ios::binary);
    if (!file) {
        err << "transitfit: " << kit::Escaped(name) << ": cannot open (" << (std::filesystem::exists(name, error) ? "permission denied" : "no such file")
            << ")\n";
        return false;
    }
    return true;
}

// Reads every file named into campaign; false (reported) when one cannot be read at all.
bool ReadFiles(const FitCommand& command, std::istream& in, campaign::Campaign& campaign, std::ostream& err) {
    for (const std::string& name : command.files) {
        campaign::ReadStatus status = campaign::ReadStatus::Read;
        if (name == "-") {
            status = campaign::ReadCampaign("-", in, campaign, err);
        } else {
            std::ifstream file;
            if (!OpenInput(name, file, err)) return false;
            status = campaign::ReadCampaign(name, file, campaign, err);
            if (file.bad()) {
                err << "transitfit: " << kit::Escaped(name) << ": read error\n";
                return false;
            }
        }
        if (status == campaign::ReadStatus::Unreadable) return false;
    }
    return true;
}

// The sentence that says why no AU came from timings that were read.
std::string WhyNoFit(const fitting::Reduction& reduction) {
    if (reduction.outcome == fitting::Outcome::NoFit) return report::NoFitText(reduction.fit.whyNot);
    return report::UnboundedText(reduction.fit, kit::Language::English);
}

// Writes the report in the format asked for.
void WriteReport(const FitCommand& command, const fitting::Reduction& reduction, std::ostream& out) {
    switch (command.format) {
        case OutputFormat::Text: report::WriteTextReport(reduction, command.language, out, command.outputDescriptor); break;
        case OutputFormat::Json: report::WriteJsonReport(reduction, out, command.outputDescriptor); break;
        case OutputFormat::Csv: report::WriteCsvReport(reduction, out, command.outputDescriptor); break;
    }
}

// Timings without dates that name no transit: the candidates in the report asked for; no AU.
int WriteUnidentified(const FitCommand& command, const campaign::TransitRefusal& refusal, std::ostream& out,
                      std::ostream& err) {
    if (command.format == OutputFormat::Json) report::WriteJsonUnidentified(refusal, out);
    if (command.format == OutputFormat::Text) out << report::UnidentifiedReport(refusal, command.language);
    out.flush();
    if (!out) {
        err << "transitfit: cannot write the report\n";
        return ExitBadInput;
    }
    return ExitNoAu;
}

// How far a run came: what out of memory can still tell.
struct Progress {
    campaign::Campaign read;   // while the files are read
    std::size_t timingsRead = 0;  // once they are
};

// Reads, reduces and writes; the exit status.
int Run(const FitCommand& command, std::istream& in, std::ostream& out, std::ostream& err, Progress& progress) {
    // Before anything is read or written: a plot must never land on a campaign.
    if (!command.plotFile.empty() && IsAnInput(command.plotFile, command.files)) {
        err << "transitfit: --plot " << kit::Escaped(command.plotFile) << " is one of the input files; choose another name\n";
        return ExitBadInput;
    }
    // Timings without a date are set against the transits as the mean orbits place them: listed on a thread
    // of their own while the files are read (a few hundredths of a second; the ephemeris is not asked).
    std::jthread catalogue;
    if (!command.reduce.transitGiven) {
        // The library reports a thread it cannot start by throwing: the list is then made when needed.
        try {
            catalogue = std::jthread([] {
                // Out of memory there leaves the list unmade: it is made again when needed, and then the
                // program's edge reports the failure.
                try {
                    campaign::TransitCatalogue();
                } catch (const std::bad_alloc&) {
                }
            });
        } catch (const std::system_error&) {
        }
    }
    campaign::Campaign& read = progress.read;
    if (!ReadFiles(command, in, read, err)) return ExitBadInput;
    if (catalogue.joinable()) catalogue.join();
    progress.timingsRead = read.timings.size();
    if (read.timings.empty()) {
        err << "transitfit: no file holds a readable timing\n";
        return ExitBadInput;
    }
    const fitting::Reduction reduction = fitting::Reduce(std::move(read), command.reduce, err);
    if (reduction.outcome == fitting::Outcome::NoTransit) {
        const std::string why = report::RefusalText(reduction.refusal);
        const campaign::TransitRefusal::Kind kind = reduction.refusal.kind;
        if (kind == campaign::TransitRefusal::Unmatched || kind == campaign::TransitRefusal::Ambiguous) {
            // One of several files: the file whose timings match no transit, or several.
            err << "transitfit: ";
            if (reduction.refusedFile >= 0) err << kit::Escaped(reduction.campaign.files[static_cast<std::size_t>(reduction.refusedFile)]) << ": ";
            err << why << ".\n";
            return WriteUnidentified(command, reduction.refusal, out, err);
        }
        if (reduction.refusedFile >= 0) {
            err << "transitfit: " << kit::Escaped(reduction.campaign.files[static_cast<std::size_t>(reduction.refusedFile)]) << ':'
                << reduction.refusedLine << ": " << why << ".\n";
        } else {
            err << "transitfit: " << why << ".\nTry 'transitfit --help'.\n";
        }
        return ExitBadInput;
    }
    const bool au = reduction.outcome == fitting::Outcome::Reduced && reduction.fit.bounded;
    const std::string why = au ? std::string() : WhyNoFit(reduction);
    if (!au) err << "transitfit: no AU: " << why << (why.back() == '?' ? "\n" : ".\n");
    if (reduction.outcome == fitting::Outcome::NoFit) {
        if (command.format == OutputFormat::Json) report::WriteJsonRefusal(why, out);
    } else {
        WriteReport(command, reduction, out);
        if (!command.plotFile.empty() &&
            !WriteWhole(command.plotFile, "plot", [&](std::ostream& plot) { report::WritePlotSvg(reduction, command.language, plot); },
                        err)) {
            return ExitBadInput;
        }
    }
    out.flush();
    if (!out) {
        err << "transitfit: cannot write the report\n";
        return ExitBadInput;
    }
    return au ? ExitAu : ExitNoAu;
}

}  // namespace

int RunFitCommand(const FitCommand& command, std::istream& in, std::ostream& out, std::ostream& err) {
    Progress progress;
    // Memory is the one resource a campaign can exhaust: the program's edge says so in a sentence.
    try {
        return Run(command, in, out, err, progress);
    } catch (const std::bad_alloc&) {
        err << "transitfit: out of memory after reading " << std::max(progress.timingsRead, progress.read.timings.size())
            << " timings; reduce the campaign in parts or on a machine with more memory\n";
        return ExitBadInput;
    }
}
