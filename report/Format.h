// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstddef>
#include <string>

#include "Campaign.h"
#include "Text.h"

namespace report {

// value through a printf format that takes the number of decimals first ("%.*f", "%+*.1f" takes a width).
std::string Format(const char* format, double value, int decimals = 0);

// Number text in the language's decimal mark.
std::string Localised(std::string text, kit::Language language);

// Four significant digits, for a value without an uncertainty; unit is the power of ten shown as 1.
std::string Significant(double value, int unitPower, kit::Language language);

// Value and uncertainty rounded together: the uncertainty to one significant digit (two when it starts with
// a 1), the value to the same place; unit is the power of ten shown as 1 (6 for million km). German uses a
// decimal comma.
std::string RoundToUncertainty(double value, double sigma, int unitPower, kit::Language language);

// A UT clock time "hh:mm:ss.s" from seconds after midnight.
std::string FormatUt(double seconds);

// A UT clock time or duration "hh:mm:ss.sss" to the millisecond, for scripts; hours are not taken modulo 24.
std::string FormatUtMs(double seconds);

// A timing's clock time or duration as written, to its written precision: "21:43:15", "07:29:15.25", "10:15".
std::string WrittenTimeText(const campaign::Timing& t);

// The date a timing was written with, "1769-06-02"; empty when it has none.
std::string WrittenDateText(const campaign::Timing& t);

// A timing's UT date, "1769-06-03"; empty when it has none.
std::string UtDateText(const campaign::Timing& t);

// "+1.5": a signed number to decimals places.
std::string Signed(double value, int decimals);

// "+2:00 h", "-5:30 h": hours with their sign, in hours and minutes.
std::string HoursText(double hours);

// text padded with spaces to width columns, as kit::DisplayWidth counts them.
std::string Padded(std::string text, std::size_t width);

}  // namespace report
