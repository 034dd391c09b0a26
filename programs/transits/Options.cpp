// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Transits.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "Fields.h"
#include "Format.h"
#include "Texts.h"

// CLI11 reads the command line into strings and the checks below turn them into options, in a fixed order, with
// the program's own sentences. CLI11's validators are not used: it runs them before it looks at --help and
// before it refuses unknown arguments (so "--help --format xml" would fail and "--radii jpl --bogus" name the
// other fault), and it words their failures itself, in English, behind the option's name.
namespace {

constexpr double LargestDeltaTSeconds = 3600.0;  // far beyond any Delta T of 1600..2200 (at most about 3 min)

// One sentence and the hint, as a usage error.
int UsageError(const Texts& texts, const std::string& sentence, std::ostream& err) {
    err << "transits: " << sentence << '\n' << texts.hint << '\n';
    return 2;
}

template <typename T>
struct Name {
    const char* text;
    T value;
};

// The value named text in names; false if none is.
template <typename T, std::size_t N>
bool FromName(const std::string& text, const Name<T> (&names)[N], T& value) {
    for (const Name<T>& name : names) {
        if (text == name.text) {
            value = name.value;
            return true;
        }
    }
    return false;
}

constexpr Name<OutputFormat> Formats[] = {{"text", OutputFormat::Text}, {"json", OutputFormat::Json}};
constexpr Name<ephemeris::Radii> RadiiNames[] = {{"nasa", ephemeris::Radii::Nasa}, {"iau", ephemeris::Radii::Iau}};
constexpr Name<ephemeris::Planet> Planets[] = {{"venus", ephemeris::Planet::Venus},
                                               {"mercury", ephemeris::Planet::Mercury}};
constexpr Name<kit::Language> Languages[] = {{"en", kit::Language::English}, {"de", kit::Language::German}};

std::string YearRange(const Texts& texts, const std::string& year) {
    return Fill(texts.yearOutside, year, std::to_string(ephemeris::FirstCatalogueYear),
                std::to_string(ephemeris::LastCatalogueYear));
}

bool InCatalogue(double year) {
    return year >= ephemeris::FirstCatalogueYear && year <= ephemeris::LastCatalogueYear;
}

// A year of the catalogue: a whole number in the grammar of fields ("2004", "+2004", "2.004e3").
int ParseYearOption(const Texts& texts, const std::string& text, int& year, std::ostream& err) {
    double value = 0.0;
    if (!fields::ParseNumber(text, fields::NumberStyle{}, value) || value != std::trunc(value)) {
        return UsageError(texts, Fill(texts.notAYear, text), err);
    }
    if (!InCatalogue(value)) return UsageError(texts, YearRange(texts, text), err);
    year = static_cast<int>(value);
    return -1;
}

// Text laid out as a date in a form fields::ParseDate reads, whatever its numbers: so that a date that does
// not exist is told from text that is no date.
bool HasDateLayout(const std::string& text) {
    const std::string t = fields::Trim(text);
    auto fits = [&t](const char* layout) {
        if (t.size() != std::strlen(layout)) return false;
        for (std::size_t i = 0; i < t.size(); ++i) {
            const bool digit = t[i] >= '0' && t[i] <= '9';
            if (layout[i] == '9' ? !digit : t[i] != layout[i]) return false;
        }
        return true;
    };
    return fits("9999-99-99") || fits("99.99.9999");
}

// A real date in the catalogue's years.
int ParseDateArgument(const Texts& texts, const std::string& text, TransitsOptions& options, std::ostream& err) {
    int year = 0, month = 0, day = 0;
    if (!fields::ParseDate(text, year, month, day)) {
        return UsageError(texts, Fill(HasDateLayout(text) ? texts.noSuchDate : texts.notADateForm, text), err);
    }
    if (!InCatalogue(year)) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04d", year);  // as typed: a date's year has four digits
        return UsageError(texts, YearRange(texts, digits), err);
    }
    options.year = year, options.month = month, options.day = day;
    return -1;
}

// LAT,LON[,HEIGHT]: the coordinates as transitfit reads them (51.47, 51.47N, 28 W, 7 O, 49 13 09 N or
// 49:13:09N); the comma separates, so no decimal comma.
int ParseSite(const Texts& texts, const std::string& text, TransitsOptions& options, std::ostream& err) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == ',') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    double values[3] = {0.0, 0.0, 0.0};
    const fields::NumberStyle style{};
    std::string why;
    const bool readable = (parts.size() == 2 || parts.size() == 3) &&
                          fields::ParseAngle(parts[0], "NS", style, values[0], why) &&
                          fields::ParseAngle(parts[1], "EW", style, values[1], why) &&
                          (parts.size() == 2 || fields::ParseNumber(parts[2], style, values[2]));
    if (!readable) return UsageError(texts, Fill(texts.siteForm, text), err);
    if (values[0] < -90.0 || values[0] > 90.0) return UsageError(texts, Fill(texts.latitudeOutside, parts[0]), err);
    if (values[1] < -180.0 || values[1] > 180.0) {
        return UsageError(texts, Fill(texts.longitudeOutside, parts[1]), err);
    }
    if (values[2] < ephemeris::MinSiteHeightM || values[2] > ephemeris::MaxSiteHeightM) {
        const std::string lowest = Number(kit::Language::English, ephemeris::MinSiteHeightM, 0);
        const std::string highest = Number(kit::Language::English, ephemeris::MaxSiteHeightM, 0);
        return UsageError(texts, Fill(texts.heightOutside, parts[2], lowest, highest), err);
    }
    options.sites.push_back({values[0], values[1], values[2]});
    return -1;
}

// The language the command line names, else fallback: found first, so that every message is in it.
kit::Language LanguageOf(const std::vector<std::string>& args, kit::Language fallback) {
    kit::Language language = fallback;
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--language") FromName(args[i + 1], Languages, language);
    }
    for (const std::string& arg : args) {
        if (arg.rfind("--language=", 0) == 0) FromName(arg.substr(11), Languages, language);
    }
    return language;
}

}  // namespace

int ParseTransitsOptions(const std::vector<std::string>& args, kit::Language language, std::ostream& out,
                         std::ostream& err, TransitsOptions& options) {
    options.language = LanguageOf(args, language);
    const Texts& texts = TextsFor(options.language);

    CLI::App app{"", "transits"};
    app.set_help_flag();
    bool help = false, version = false;
    std::string format = "text", languageText, deltaT, radii = "nasa", planet, from, to, date;
    std::vector<std::string> sites;
    bool zenithUp = false;
    app.add_flag("--help", help);
    app.add_flag("--version", version);
    app.add_option("--format", format);
    app.add_option("--language", languageText);
    app.add_option("--delta-t", deltaT);
    app.add_option("--radii", radii);
    CLI::App* list = app.add_subcommand("list");
    CLI::App* contacts = app.add_subcommand("contacts");
    CLI::App* coefficients = app.add_subcommand("coefficients");
    CLI::App* elements = app.add_subcommand("elements");
    CLI::App* map = app.add_subcommand("map");
    for (CLI::App* command : {list, contacts, coefficients, elements, map}) {
        command->fallthrough();
        command->set_help_flag();
        command->add_option("--planet", planet);
    }
    list->add_option("--from", from);
    list->add_option("--to", to);
    contacts->add_option("date", date);
    // Each --site takes one value, so that the date may follow it.
    contacts->add_option("--site", sites)->allow_extra_args(false)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    CLI::Option* plot = contacts->add_option("--plot", options.plotFile)->expected(0, 1);
    contacts->add_flag("--zenith-up", zenithUp);
    coefficients->add_option("date", date);
    elements->add_option("date", date);
    map->add_option("date", date);
    map->add_option("--site", sites)->allow_extra_args(false)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    CLI::Option* mapPlot = map->add_option("--plot", options.plotFile)->expected(0, 1);
    std::string grid;
    map->add_option("--grid", grid);
    app.require_subcommand(0, 1);

    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        return UsageError(texts, Fill(texts.commandLine, e.what()), err);
    }

    if (help) {
        out << texts.help;
        return 0;
    }
    if (version) {
        out << "transits " << TRANSITS_VERSION << '\n';
        return 0;
    }
    kit::Language named = kit::Language::English;
    if (!languageText.empty() && !FromName(languageText, Languages, named)) {
        return UsageError(texts, Fill(texts.notLanguage, languageText), err);
    }
    if (!FromName(format, Formats, options.format)) return UsageError(texts, Fill(texts.notFormat, format), err);
    if (!FromName(radii, RadiiNames, options.ephemeris.radii)) {
        return UsageError(texts, Fill(texts.notRadii, radii), err);
    }
    if (!deltaT.empty() || app.count("--delta-t") > 0) {
        double seconds = 0.0;
        if (!fields::ParseNumber(deltaT, fields::NumberStyle{}, seconds)) {
            return UsageError(texts, Fill(texts.deltaTNotNumber, deltaT), err);
        }
        if (std::fabs(seconds) > LargestDeltaTSeconds) return UsageError(texts, Fill(texts.deltaTOutside, deltaT), err);
        options.ephemeris.deltaTSeconds = seconds;
    }
    if (!planet.empty()) {
        ephemeris::Planet chosen = ephemeris::Planet::Venus;
        if (!FromName(planet, Planets, chosen)) return UsageError(texts, Fill(texts.notPlanet, planet), err);
        options.planet = chosen;
    }
    if (list->parsed()) {
        options.command = TransitsCommand::List;
        if (!from.empty()) {
            if (const int status = ParseYearOption(texts, from, options.fromYear, err); status >= 0) return status;
        }
        if (!to.empty()) {
            if (const int status = ParseYearOption(texts, to, options.toYear, err); status >= 0) return status;
        }
        if (options.fromYear > options.toYear) return UsageError(texts, Fill(texts.fromAfterTo, from, to), err);
        return -1;
    }
    if (!contacts->parsed() && !coefficients->parsed() && !elements->parsed() && !map->parsed()) {
        return UsageError(texts, texts.noCommand, err);
    }
    options.command = contacts->parsed()       ? TransitsCommand::Contacts
                      : coefficients->parsed() ? TransitsCommand::Coefficients
                      : map->parsed()          ? TransitsCommand::Map
                                               : TransitsCommand::Elements;
    if (date.empty()) {
        const char* name = contacts->parsed()       ? "contacts"
                           : coefficients->parsed() ? "coefficients"
                           : map->parsed()          ? "map"
                                                    : "elements";
        return UsageError(texts, Fill(texts.needsDate, name), err);
    }
    if (const int status = ParseDateArgument(texts, date, options, err); status >= 0) return status;
    for (const std::string& site : sites) {
        if (const int status = ParseSite(texts, site, options, err); status >= 0) return status;
    }
    if (!grid.empty() || map->count("--grid") > 0) {
        double step = 0.0;
        if (!fields::ParseNumber(grid, fields::NumberStyle{}, step) || !worldmap::GridStepFits(step)) {
            return UsageError(texts, Fill(texts.gridNotStep, grid), err);
        }
        options.gridDegrees = step;
    }
    if ((plot->count() > 0 || mapPlot->count() > 0) && (options.plotFile.empty() || options.plotFile == "-")) {
        return UsageError(texts, map->parsed() ? texts.mapPlotNeedsFile : texts.plotNeedsFile, err);
    }
    if (zenithUp && options.plotFile.empty()) return UsageError(texts, texts.zenithUpNeedsPlot, err);
    if (zenithUp && options.sites.size() != 1) return UsageError(texts, texts.zenithUpNeedsSite, err);
    options.zenithUp = zenithUp;
    return -1;
}
