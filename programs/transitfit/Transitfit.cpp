// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transitfit.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "Campaign.h"
#include "ModulDos.h"
#include "Plot.h"
#include "Fields.h"

namespace {

constexpr const char* Version = "transitfit 1.0.0";

const char* const Description =
    "Fits one Astronomical Unit, with its uncertainty, to a campaign of timings of a transit of Venus or\n"
    "Mercury (by default that of 8 June 2004). FILE is CSV with a header row: one timing per row (site,\n"
    "latitude, longitude, contact, time) or one observer per row (site, latitude, longitude, T1..T4).\n"
    "Degrees north and east positive, or with N/S/E/W (O for east); times in UT as hh:mm:ss[.s]; a\n"
    "contact 2-3 marks a duration. With no FILE, or when FILE is -, standard input is read.\n";

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

}  // namespace

ReportLanguage LanguageFromEnvironment() {
    return kit::LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

int ParseFitCommand(int argc, const char* const* argv, FitCommand& command, std::ostream& out, std::ostream& err) {
    CLI::App app{Description, "transitfit"};
    app.set_version_flag("--version", Version);
    std::string format = "text", language;
    app.add_option("FILE", command.files, "CSV files of timings (- for standard input)");
    app.add_flag("--clock-offsets", command.fit.clockOffsets,
                 "fit one clock offset per observer with two or more timings: only each observer's differences count");
    app.add_flag("--keep-all", command.fit.keepAll, "reject no outliers: fit every readable timing");
    app.add_option("--format", format, "output: text (default), json or csv (the table of timings)")
        ->check(CLI::IsMember({"text", "json", "csv"}));
    app.add_option("--plot", command.plotFile, "also draw the fit as an SVG picture into this file");
    app.add_option("--language", language, "report language: en or de (default: from LC_ALL, LC_MESSAGES, LANG)")
        ->check(CLI::IsMember({"en", "de"}));
    std::string coefficients, transitDate;
    app.add_option("--transit", transitDate,
                   "the transit the timings belong to: any UT date it touches, YYYY-MM-DD (default: the date column, "
                   "or 2004-06-08)");
    app.add_option("--coefficients", coefficients,
                   "table (the 2004 table, the default for 2004) or ephemeris (computed; the default for other transits)")
        ->check(CLI::IsMember({"table", "ephemeris"}));
    app.add_option("--seed", command.fit.seed, "seed of the bootstrap (default 20040608; the same seed repeats a run)");
    // CLI11 reports by exception; here they become exit statuses.
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::CallForVersion&) {
        out << Version << '\n';
        return 0;
    } catch (const CLI::ParseError& error) {
        err << "transitfit: " << error.what() << "\nTry 'transitfit --help'.\n";
        return 2;
    }
    if (command.files.empty()) command.files.push_back("-");
    if (!transitDate.empty() && !fields::ParseDate(transitDate, command.transitYear, command.transitMonth, command.transitDay)) {
        err << "transitfit: --transit " << transitDate << " is not a date such as 2012-06-05\nTry 'transitfit --help'.\n";
        return 2;
    }
    command.coefficients = coefficients == "table"       ? CoefficientSource::Table
                           : coefficients == "ephemeris" ? CoefficientSource::Ephemeris
                                                         : CoefficientSource::Default;
    command.format = format == "json" ? OutputFormat::Json : format == "csv" ? OutputFormat::Csv : OutputFormat::Text;
    command.language = language.empty() ? LanguageFromEnvironment()
                                        : language == "de" ? ReportLanguage::German : ReportLanguage::English;
    return -1;
}

int RunFitCommand(const FitCommand& command, std::istream& in, std::ostream& out, std::ostream& err) {
    Campaign campaign;
    for (const std::string& name : command.files) {
        ReadStatus status = ReadStatus::Read;
        if (name == "-") {
            status = ReadCampaign("-", in, campaign, err);
        } else {
            std::ifstream file;
            if (!OpenInput(name, file, err)) return 2;
            status = ReadCampaign(name, file, campaign, err);
            if (file.bad()) {
                err << "transitfit: " << name << ": read error\n";
                return 2;
            }
        }
        if (status == ReadStatus::Unreadable) return 2;
    }
    // The transit: as asked, else the first date in the data, else that of the coefficient table.
    int year = 2004, month = 6, day = 8;
    const Timing* dated = nullptr;
    if (command.transitYear != 0) {
        year = command.transitYear, month = command.transitMonth, day = command.transitDay;
    } else {
        for (const Timing& t : campaign.timings) {
            if (t.year != 0) {
                dated = &t;
                year = t.year, month = t.month, day = t.day;
                break;
            }
        }
    }
    TransitChoice choice;
    std::string why;
    if (!ChooseTransit(year, month, day, command.coefficients, choice, why)) {
        if (dated != nullptr) {
            err << "transitfit: " << campaign.files[static_cast<std::size_t>(dated->file)] << ':' << dated->line << ": "
                << why << ".\n";
            return 1;
        }
        err << "transitfit: " << why << ".\nTry 'transitfit --help'.\n";
        return 2;
    }
    DropForeignTimings(choice, campaign, err);
    MarkDuplicates(campaign);
    FitResult result = FitCampaign(campaign, choice.coefficients, command.fit);
    if (!result.fitted) {
        err << "transitfit: no fit: " << (campaign.timings.empty() ? "no file holds a readable timing" : result.whyNot) << ".\n";
        return 1;
    }
    FlagBelowHorizon(campaign, choice, result);
    result.modelBias = LinearModelBias(campaign, choice, result, command.fit);
    switch (command.format) {
        case OutputFormat::Text: WriteTextReport(campaign, choice, result, command.fit, command.language, out); break;
        case OutputFormat::Json: WriteJsonReport(campaign, choice, result, command.fit, out); break;
        case OutputFormat::Csv: WriteCsvReport(campaign, result, out); break;
    }
    if (!command.plotFile.empty()) {
        std::ofstream plot(command.plotFile, std::ios::binary);
        const std::string title = command.language == ReportLanguage::German
                                      ? choice.titleGerman + ": " + std::to_string(result.used) + " Zeiten"
                                      : choice.titleEnglish + ": " + std::to_string(result.used) + " timings";
        if (plot) WritePlotSvg(campaign, result, title, command.language, plot);
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
