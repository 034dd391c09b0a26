// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Ephemeris.h"
#include "Text.h"
#include "WorldMap.h"

enum class TransitsCommand { List, Contacts, Coefficients, Elements, Map };
enum class OutputFormat { Text, Json };

// Everything the command line asks for, checked: dates exist, years and site are in range.
struct TransitsOptions {
    TransitsCommand command = TransitsCommand::List;
    OutputFormat format = OutputFormat::Text;
    kit::Language language = kit::Language::English;
    std::optional<ephemeris::Planet> planet;  // unset: both
    int fromYear = ephemeris::FirstCatalogueYear, toYear = ephemeris::LastCatalogueYear;
    int year = 0, month = 0, day = 0;  // contacts, coefficients, elements, map: a UT date the transit touches
    std::vector<ephemeris::WgsSite> sites;  // contacts, map: each --site in the order given
    std::string plotFile;                   // contacts: the path across the Sun's disc drawn into it as SVG; map: the map
    double gridDegrees = 1.0;               // map: the cells' size
    bool zenithUp = false;                  // the picture turned to the one site's zenith
    ephemeris::EphemerisOptions ephemeris;
};

// One transit with, for contacts at a site, what the site sees (site indexes options.sites, -1 the Earth's
// centre), for coefficients, its A_c, and for elements, its Besselian elements.
struct TransitsEntry {
    ephemeris::Transit transit;
    int site = -1;
    ephemeris::LocalCircumstances local;
    double coefficientsSeconds[ephemeris::ContactCount][3] = {};
    ephemeris::BesselianElements elements;
};

// What a run found; status is the exit status when the run fails.
struct TransitsReport {
    std::vector<TransitsEntry> entries;
    worldmap::MapPicture map;  // map: the grid, its curves and the sites
    int status = 0;
};

// Parses the command line into options (args[0] is the program name). Returns -1 to run; otherwise the exit
// status, after writing the help or version to out (0) or one sentence and a hint to err (2).
int ParseTransitsOptions(const std::vector<std::string>& args, kit::Language language, std::ostream& out,
                         std::ostream& err, TransitsOptions& options);

// Finds the transits the options ask for. False, with one sentence on err and report.status 1, when no
// transit touches the date given.
bool RunTransits(const TransitsOptions& options, std::ostream& err, TransitsReport& report);

// Writes the report for people to read, in the options' language (Windows-1252 bytes).
void WriteTransitsText(const TransitsOptions& options, const TransitsReport& report, std::ostream& out);

// Draws the path across the Sun's disc, or for map the world map, that options.plotFile asks for into it (nothing
// without one). False,
// with one sentence in UTF-8 on err, when the file cannot be written.
bool WriteTransitsPlot(const TransitsOptions& options, const TransitsReport& report, std::ostream& err);

// Writes the report as JSON with the stable keys scripts read (ASCII only). False if the JSON library fails.
bool WriteTransitsJson(const TransitsOptions& options, const TransitsReport& report, std::ostream& out);
