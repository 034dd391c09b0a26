// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <ostream>

#include "Reduce.h"
#include "Text.h"

namespace report {

// The reports' timings are laid out on several threads. Where out writes to fileDescriptor and that is a
// regular file (not opened to append), they are written to it at their places by those threads, out flushed
// before and going on after them.

// The report people read: the transit, counts, the AU and parallax with their uncertainties, reference times,
// and the table of timings with their flags and the findings in words.
void WriteTextReport(const fitting::Reduction& reduction, kit::Language language, std::ostream& out, int fileDescriptor = -1);

// One JSON object with full precision, findings in English; null where a number was not computed.
void WriteJsonReport(const fitting::Reduction& reduction, std::ostream& out, int fileDescriptor = -1);

// The JSON of a run that found no AU: {"au_km": null, "au_bounded": false, "reason": ...}.
void WriteJsonRefusal(const std::string& reason, std::ostream& out);

// The same for timings without dates that name no transit (refusal Unmatched or Ambiguous), with the
// candidates: transit_candidates [{planet, date, timings_matched}] out of timings_tried.
void WriteJsonUnidentified(const campaign::TransitRefusal& refusal, std::ostream& out);

// The table of timings as CSV, one row per timing in file order, findings in English.
void WriteCsvReport(const fitting::Reduction& reduction, std::ostream& out, int fileDescriptor = -1);

// The picture of a fit as SVG: each timing's time minus its contact's reference time (and its clock's offset)
// against its site lever; the fitted line through the origin, labelled with its AU, faint lines for 100, 150
// and 200 million km, one colour per contact, rejected timings hollow and labelled; the title names the
// transit and the timings used.
void WritePlotSvg(const fitting::Reduction& reduction, kit::Language language, std::ostream& out);

}  // namespace report
