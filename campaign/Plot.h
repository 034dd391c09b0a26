// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <ostream>
#include <string>

#include "Campaign.h"
#include "Fit.h"
#include "Report.h"

// The picture of a fit as SVG: each timing's time minus its contact's reference time (and its clock's offset)
// against its site lever; the fitted line through the origin, labelled with its AU, faint lines for 100, 150
// and 200 million km, one colour per contact, rejected timings hollow and labelled; title names the transit.
void WritePlotSvg(const Campaign& campaign, const FitResult& result, const std::string& title,
                  ReportLanguage language, std::ostream& out);
