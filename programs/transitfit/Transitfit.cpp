// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transitfit.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "Campaign.h"
#include "Report.h"
#include "Words.h"

namespace {

// Opens a named file for reading; false (reported) when it is missing, a directory or cannot be opened.
bool OpenInput(const std::string& name, std::ifstream& file, std::ostream& err) {
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) {
        err << "transitfit: " << name << ": is a directory\n";
        return false;
    }
    file.open(name, std::ios::binary);
    if (!file) {
        err << "transitfit: " << name << ": cannot open (" << (std::filesystem::exists(name, error) ? "permission denied" : "no such file")
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
                err << "transitfit: " << name << ": read error\n";
                return false;
            }
        }
        if (status == campaign::ReadStatus::Unreadable) return false;
    }
    return true;
}

// Why the reduction stopped, as a message; the exit status.
int Refuse(const campaign::Reduction& reduction, std::ostream& err) {
    if (reduction.outcome == campaign::Outcome::NoTransit) {
        const std::string why = campaign::RefusalText(reduction.refusal);
        if (reduction.refusedFile >= 0) {
            err << "transitfit: " << reduction.campaign.files[static_cast<std::size_t>(reduction.refusedFile)] << ':'
                << reduction.refusedLine << ": " << why << ".\n";
            return 1;
        }
        err << "transitfit: " << why << ".\nTry 'transitfit --help'.\n";
        return 2;
    }
    err << "transitfit: no fit: "
        << (reduction.campaign.timings.empty() ? "no file holds a readable timing" : campaign::NoFitText(reduction.fit.whyNot))
        << ".\n";
    return 1;
}

}  // namespace

int RunFitCommand(const FitCommand& command, std::istream& in, std::ostream& out, std::ostream& err) {
    campaign::Campaign read;
    if (!ReadFiles(command, in, read, err)) return 2;
    const campaign::Reduction reduction = campaign::Reduce(std::move(read), command.reduce, err);
    if (reduction.outcome != campaign::Outcome::Reduced) return Refuse(reduction, err);
    switch (command.format) {
        case OutputFormat::Text: campaign::WriteTextReport(reduction, command.language, out); break;
        case OutputFormat::Json: campaign::WriteJsonReport(reduction, out); break;
        case OutputFormat::Csv: campaign::WriteCsvReport(reduction, out); break;
    }
    if (!command.plotFile.empty()) {
        std::ofstream plot(command.plotFile, std::ios::binary);
        if (plot) campaign::WritePlotSvg(reduction, command.language, plot);
        if (!plot || !plot.flush()) {
            err << "transitfit: " << command.plotFile << ": cannot write the plot\n";
            return 2;
        }
    }
    out.flush();
    if (!out) {
        err << "transitfit: cannot write the report\n";
        return 1;
    }
    return 0;
}
