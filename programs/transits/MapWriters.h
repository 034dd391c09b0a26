// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <nlohmann/json.hpp>

#include <ostream>

#include "Transits.h"

// The writers of the map command: the summary for people, the cells for scripts, the picture.

// The share of the Earth's surface in each class, the map in letters, and what each site sees (Windows-1252).
void WriteMapText(const TransitsOptions& options, const TransitsReport& report, std::ostream& out);

// Adds grid_deg, the cells and the sites to document.
void WriteMapJson(const TransitsReport& report, nlohmann::ordered_json& document);

// The picture of report.map, its words in the options' language (UTF-8).
void WriteMapSvgFor(const TransitsOptions& options, const TransitsReport& report, std::ostream& out);
