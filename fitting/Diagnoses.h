// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "Campaign.h"
#include "Ephemeris.h"
#include "Transit.h"

namespace fitting {

// What the diagnoses find in a timing, a kind and its numbers; the writers put them into words.
struct Duplicate {};                 // the same observer, contact and time as an earlier timing; used once
struct TimeZone {
    double hours;                    // O-C in whole or half hours: local time typed as UT
};
struct WrongContact {
    int other;                       // the contact it fits
    double oMinusC;                  // its O-C there, s
};
struct CoordinateSign {
    char which;                      // 'N' latitude, 'E' longitude: the one whose flipped sign fits
    double oMinusC;                  // its O-C then, s
};
struct ContactOrder {
    int first, second;               // contact first is not before contact second of the same observer
};
struct Outlier {
    double oMinusC;                  // rejected by the robust fit with this O-C, s
};
struct BelowHorizon {
    double sunAltitudeDeg;           // the Sun's centre at the site and time, degrees (negative)
};
struct Copied {
    std::string from;                // the observer whose timing at the same site, contact and time came first
};
struct WrongDay {
    int days;                        // the timing's date less the day its contact came at its site
};
struct NotUsed {};                   // its row asks to leave it out of the fit (use: no)

// In the order of the flags' fixed words.
using Finding = std::variant<Duplicate, TimeZone, WrongContact, CoordinateSign, ContactOrder, Outlier, BelowHorizon, Copied,
                             WrongDay, NotUsed>;
enum Flag { DuplicateFlag, TimeZoneFlag, WrongContactFlag, CoordinateSignFlag, ContactOrderFlag, OutlierFlag,
            BelowHorizonFlag, CopiedFlag, WrongDayFlag, NotUsedFlag, FlagCount };

// Below this altitude of its centre the Sun could not be seen: the rule of every program.
inline constexpr double BelowHorizonDegrees = ephemeris::SunUpAltitudeDegrees;

// The fixed word of a flag, the same in every output format and language: "time-zone".
const char* FlagWord(Flag flag);

// The fixed words of the flags in flagBits (1 << Flag), in the order of the flags, separated by spaces.
std::string FlagWords(unsigned flagBits);

struct TimingFit;
struct FitResult;
struct FitState;

// The lowest altitude of the Sun's centre, degrees, at each timing's site at its clock time (at its date, or
// when none is given at the day nearest the contact) or, for a duration, at the geocentric times of both
// contacts. A timing below BelowHorizonDegrees cannot have been seen: the fit leaves it out.
std::vector<float> SunAltitudes(const campaign::Campaign& campaign, const std::vector<campaign::TransitChoice>& transits);

// Records a finding on timing i, after those of every timing found so far; a kind already found keeps its
// first finding. OrderFindings puts them in file order.
void Raise(FitResult& result, std::size_t i, const Finding& finding);

// Puts the findings raised in the file order of their timings, each timing's in the order they were raised.
void OrderFindings(FitResult& result);

// Every diagnosis of a fit, in the order the findings are listed: timings their rows leave out, duplicates, outliers, then for timings that
// do not fit (beyond the biweight's edge) a time-zone slip, a wrong contact number or a coordinate's sign, each
// proposing a fix and none applied (with the exact model, each fix is the timing against its own prediction
// so changed, proposed only when that fits within the edge and clearly better); an observer's clock times out
// of the order of their contacts; timings made where the Sun's centre was below BelowHorizonDegrees (from
// the fit state's altitudes); and, with the exact model, a date that is not the day the contact came.
void Diagnose(const campaign::Campaign& campaign, const std::vector<campaign::TransitChoice>& transits, const FitState& state,
              FitResult& result);

}  // namespace fitting
