// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <string>
#include <string_view>

namespace fields {

// How a field may write its decimals: a comma counts as the decimal mark only where it cannot be the delimiter.
struct NumberStyle {
    bool decimalComma = false;
};

// text without the spaces and tabs around it.
std::string Trim(const std::string& text);

// The same part of text, not copied.
std::string_view TrimmedView(std::string_view text);

// A plain decimal number ("-12.5", "+3", "1e2", "51,47" with decimalComma), surrounding spaces allowed;
// false for anything else, including infinities and NaN.
bool ParseNumber(const std::string& text, NumberStyle style, double& value);

// An angle in degrees: signed decimal ("-28.5"), with a hemisphere letter before or after ("51.47N",
// "N 51.47", "28 W", German "O" for east), or degrees, minutes and seconds ("49°13'09\"N", "49 13 09 N",
// "49:13:09N", "49°13.5'"). letters names the positive then the negative hemisphere ("NS" or "EW"; "O"
// is taken for "E"). false, with why set to a short English reason, when the text is none of these.
bool ParseAngle(const std::string& text, const char* letters, NumberStyle style, double& degrees, std::string& why);

// A UT clock time or a duration "hh:mm:ss" with an optional fraction ("11:03:38.27"); hours 0..47,
// minutes and seconds below 60. false for anything else.
bool ParseTimeOfDay(const std::string& text, NumberStyle style, double& seconds);

// How a clock time was written: to the second (or finer), or to the minute only.
enum class TimePrecision { Seconds, Minutes };

// A clock time as people write it: "11:04:03", "11:04:03.2", "11h04m03s", "11h 04m 03.2s", "11 04 03.2",
// and to the minute only "11:23", "11h23m", "11h23", "11 23" (precision says which). One form throughout;
// hours 0..47, minutes and seconds below 60. false for anything else.
bool ParseClockTime(const std::string& text, NumberStyle style, double& seconds, TimePrecision& precision);

// A contact "1".."4" (end = 0) or a duration "s-e" with 1 <= s < e <= 4.
bool ParseContact(const std::string& text, int& start, int& end);

// True if year-month-day is a date of the Gregorian calendar (any year, months 1..12, the right day count).
bool IsCalendarDate(int year, int month, int day);

// A UT date "2012-06-05" or, as German spreadsheets write it, "05.06.2012"; false for anything else,
// including dates the Gregorian calendar does not have.
bool ParseDate(const std::string& text, int& year, int& month, int& day);

// The same, and also "8.6.2004" and a date with slashes that reads one way only ("13/06/2004",
// "06/13/2004", "06/06/2004"); one that reads two ways ("08/06/2004": 8 June or 6 August) is refused, with
// why set to a short English reason, rather than guessed.
bool ParseDate(const std::string& text, int& year, int& month, int& day, std::string& why);

}  // namespace fields
