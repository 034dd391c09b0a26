// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Fields.h"

namespace {

constexpr const char* Version = "transitfit 1.0.0";

const char* const Description =
    "Fits one Astronomical Unit, with its uncertainty, to a campaign of timings of a transit of Venus or\n"
    "Mercury (the one of the date column or --transit, else the one the timings match). FILE is CSV with a\n"
    "header row: one timing per row (site, latitude, longitude, contact, time) or one observer per row\n"
    "(site, latitude, longitude, T1..T4 or C1..C4). Degrees north and east positive, or with N/S/E/W (O for\n"
    "east); times in UT as hh:mm:ss[.s] (or 11h04m03s, 11 04 03, 11:23), or as printed on another clock\n"
    "with the columns time_basis (local mean or apparent, Greenwich or Paris mean or apparent), day\n"
    "(civil or astronomical) and date; use (yes/no) leaves a timing out; a contact 2-3 marks a duration.\n"
    "With no FILE, or when FILE is -, standard input is read. Timings of several transits (several files,\n"
    "or dates of several transits) give one AU, each transit's contacts fitted on their own.\n"
    "\n"
    "How: every timing is set against the time its contact was predicted for its own site, from the\n"
    "transit's Besselian elements (the planet's shadow on the plane through the Earth's centre). A farther\n"
    "Sun would move those predictions less between sites, so the AU is the one distance that makes them\n"
    "fit all timings best, with one small offset per contact for what black drop, limb and ephemeris\n"
    "leave. Each timing's predicted UT and O-C are reported; --au KM shows them for a given AU.\n";

// A seed as written: digits only, within 64 bits (no sign, no wrap-around).
bool ReadSeed(const std::string& text, std::uint64_t& seed) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    return error == std::errc() && end == text.data() + text.size();
}

// A given AU in km: a plain number within a factor of three of the true one, where every contact still
// happens at the sites that see it at the true one (a value in millions of km is refused, not taken as km).
bool ReadAu(const std::string& text, double& auKm) {
    double km = 0.0;
    if (!fields::ParseNumber(text, fields::NumberStyle{}, km) || !(km >= 5e7 && km <= 5e8)) return false;
    auKm = km;
    return true;
}

}  // namespace

int ParseFitCommand(int argc, const char* const* argv, FitCommand& command, std::ostream& out, std::ostream& err) {
    CLI::App app{Description, "transitfit"};
    app.footer("Exit status: 0 an AU; 1 no AU from the timings read (the reason on standard error, and in the JSON);\n"
               "2 bad input, or output that cannot be written.");
    app.set_version_flag("--version", Version);
    std::string format = "text", language;
    app.add_option("FILE", command.files, "CSV files of timings (- for standard input)");
    app.add_flag("--clock-offsets", command.reduce.fit.clockOffsets,
                 "fit one clock offset per observer with two or more timings: only each observer's differences count");
    app.add_flag("--keep-all", command.reduce.fit.keepAll, "reject no outliers: fit every readable timing, even one made with the Sun down");
    app.add_option("--format", format, "output: text (default), json or csv (the table of timings)")
        ->check(CLI::IsMember({"text", "json", "csv"}));
    CLI::Option* plot = app.add_option("--plot", command.plotFile, "also draw the fit as an SVG picture into this file")
                            ->type_name("FILE");
    app.add_option("--language", language, "report language: en or de (default: from LC_ALL, LC_MESSAGES, LANG)")
        ->check(CLI::IsMember({"en", "de"}));
    std::string coefficients, transitDate;
    app.add_option("--transit", transitDate,
                   "the transit the timings belong to: any UT date it touches, YYYY-MM-DD (default: the date column, "
                   "else the one whose predicted contacts the timings match)");
    std::string model;
    app.add_option("--model", model,
                   "exact (the default: each timing against the contact time predicted at its own site from the "
                   "transit's Besselian elements) or linear (t = T + q A.v, the model of the two-site programs)")
        ->check(CLI::IsMember({"linear", "exact"}));
    app.add_option("--coefficients", coefficients,
                   "the linear model's coefficients: table (the 2004 table, the default for 2004) or ephemeris "
                   "(computed; the default for other transits); implies --model linear unless --model is given")
        ->check(CLI::IsMember({"table", "ephemeris"}));
    std::string au;
    app.add_option("--au", au,
                   "fix the AU at KM instead of fitting it, and show how far each timing lies from the contact "
                   "predicted for its site at that AU (e.g. 149597870.7)")
        ->type_name("KM");
    std::string seed;
    app.add_option("--seed", seed, "seed of the bootstrap (default 20040608; the same seed repeats a run)")->type_name("UINT");
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
    if (plot->count() > 0 && (command.plotFile.empty() || command.plotFile == "-")) {
        err << "transitfit: --plot needs the name of a file for the picture (the report goes to standard output)\n"
               "Try 'transitfit --help'.\n";
        return 2;
    }
    if (!seed.empty() && !ReadSeed(seed, command.reduce.fit.seed)) {
        err << "transitfit: --seed " << seed << " is not a whole number from 0 to 18446744073709551615\n"
               "Try 'transitfit --help'.\n";
        return 2;
    }
    if (!au.empty() && !ReadAu(au, command.reduce.fit.auKm)) {
        err << "transitfit: --au " << au << " is not a distance in km from 50000000 to 500000000, such as 149597870.7\n"
               "Try 'transitfit --help'.\n";
        return 2;
    }
    command.reduce.transitGiven = !transitDate.empty();
    if (command.reduce.transitGiven && !fields::ParseDate(transitDate, command.reduce.transitYear, command.reduce.transitMonth,
                                                            command.reduce.transitDay)) {
        err << "transitfit: --transit " << transitDate << " is not a date such as 2012-06-05\nTry 'transitfit --help'.\n";
        return 2;
    }
    using campaign::CoefficientSource;
    command.reduce.coefficients = coefficients == "table"       ? CoefficientSource::Table
                                  : coefficients == "ephemeris" ? CoefficientSource::Ephemeris
                                                                : CoefficientSource::Default;
    // Coefficients belong to the linear model: asking for them without a model asks for it.
    const bool linear = model == "linear" || (model.empty() && !coefficients.empty());
    command.reduce.model = linear ? campaign::SiteModelKind::Linear : campaign::SiteModelKind::Exact;
    command.format = format == "json" ? OutputFormat::Json : format == "csv" ? OutputFormat::Csv : OutputFormat::Text;
    command.language = language.empty() ? kit::LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"))
                       : language == "de"  ? kit::Language::German
                                           : kit::Language::English;
    return -1;
}
