// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <ostream>
#include <string>

#include "Campaign.h"
#include "Fit.h"
#include "Text.h"
#include "Transit.h"

using ReportLanguage = kit::Language;

// Value and uncertainty rounded together: the uncertainty to one significant digit (two when it starts with
// a 1), the value to the same place; unit is the power of ten shown as 1 (6 for million km). German uses a
// decimal comma.
std::string RoundToUncertainty(double value, double sigma, int unitPower, ReportLanguage language);

// A UT clock time "hh:mm:ss.s" from seconds after midnight.
std::string FormatUt(double seconds);

// The report people read: counts, the AU and parallax with their uncertainties, reference times, and the
// table of timings with their flags and reasons.
void WriteTextReport(const Campaign& campaign, const TransitChoice& choice, const FitResult& result,
                     const FitOptions& options, ReportLanguage language, std::ostream& out);

// One JSON object with full precision; null where a number was not computed.
void WriteJsonReport(const Campaign& campaign, const TransitChoice& choice, const FitResult& result,
                     const FitOptions& options, std::ostream& out);

// The table of timings as CSV, one row per timing in file order.
void WriteCsvReport(const Campaign& campaign, const FitResult& result, std::ostream& out);
