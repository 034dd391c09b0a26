// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transits.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "DiscPath.h"
#include "MapWriters.h"
#include "ModulDos.h"
#include "Texts.h"

bool WriteTransitsPlot(const TransitsOptions& options, const TransitsReport& report, std::ostream& err) {
    if (options.plotFile.empty() || report.entries.empty()) return true;
    std::ostringstream svg;
    if (options.command == TransitsCommand::Map) {
        WriteMapSvgFor(options, report, svg);
    } else {
        // The sites were checked while parsing and --zenith-up with them, so TracePath cannot refuse.
        std::vector<discpath::SiteSeen> sites;
        for (const TransitsEntry& entry : report.entries) {
            if (entry.site >= 0) sites.push_back({options.sites[static_cast<std::size_t>(entry.site)], entry.local});
        }
        discpath::PathPicture picture;
        discpath::TracePath(report.entries.front().transit, sites, options.zenithUp, picture);
        discpath::WritePathSvg(picture, options.language, svg);
    }
    // Written aside and renamed, so that a picture cut short never stands under the name asked for.
    const std::filesystem::path target(options.plotFile);
    std::filesystem::path partial = target;
    partial += ".transits-partial";
    std::error_code error;
    bool written = false;
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        written = file && (file << svg.str()) && file.flush();
    }
    if (written) std::filesystem::rename(partial, target, error);
    if (!written || error) {
        std::filesystem::remove(partial, error);
        const Texts& texts = TextsFor(options.language);
        err << "transits: " << Fill(Cp1252ToUtf8(texts.cannotWritePlot).c_str(), kit::Escaped(options.plotFile)) << '\n';
        return false;
    }
    return true;
}
