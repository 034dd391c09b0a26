// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "TimeBasis.h"
#include "Units.h"

namespace campaign {

inline constexpr double DaySeconds = kit::SecondsPerDayDouble;

// One timing as read: a contact's UT clock time, or a duration between two contacts, and the clock time as its
// observer wrote it. A campaign holds a million of them: names are indices into the campaign's tables, and the
// small numbers are narrow, so that little is padded (80 bytes).
struct Timing {
    double latitudeDegrees = 0.0;  // north positive
    double longitudeDegrees = 0.0; // east positive
    double altitudeM = 0.0;
    double seconds = 0.0;          // UT seconds after midnight, or the duration
    double sigmaS = 0.0;           // the observer's own uncertainty; 0 when not given
    long line = 0;                 // line of its row, from 1
    int file = 0;                  // index into Campaign::files
    int observer = 0;              // index into Campaign::observers: timings made with one clock
    int site = 0;                  // index into Campaign::sites
    int copiedFrom = -1;           // the observer whose timing at the same site, contact and time came first
    std::int32_t writtenMs = 0;    // the clock time or duration as written, ms after the start of the written day
    std::int16_t year = 0;         // the UT date of a clock time, from a date column; 0 when not given
    std::int8_t month = 0, day = 0;
    std::int8_t start = 0;         // contact 1..4
    std::int8_t end = 0;           // 0 for a clock time; the end contact of a duration
    std::int8_t transit = 0;       // which of the transits reduced together it belongs to (set by the reduction)
    std::int8_t writtenDays = 0;   // the date as written less the UT date, days (the astronomical day, the meridian)
    TimeBasis basis = TimeBasis::Ut;       // the clock the time was written by
    DayStart dayStart = DayStart::Civil;   // and the day it counts from
    std::int8_t writtenDecimals = 0;       // of the written seconds, 0..3; -1 for a time written to the minute
    bool duplicate : 1 = false;    // the same observer, contact and time as an earlier timing
    bool use : 1 = true;           // false: left out of the fit as its row asks, yet predicted and reported
};

// Whether a timing was written as UT on the civil day, so that what was written is its UT.
bool WrittenAsUt(const Timing& t);

struct Campaign {
    std::vector<std::string> files;      // as named on the command line ("-" for standard input)
    std::vector<std::string> observers;  // names, in order of first appearance
    std::vector<std::string> sites;      // names; a name is listed again where rows of other sites came between
    std::vector<Timing> timings;         // in file order
    long rowsSkipped = 0;                // rows that held no readable timing
};

enum class ReadStatus { Read, NoTimings, Unreadable };

// Reads one delimited file of timings into campaign (appending); rows that cannot be read are reported on
// err as "transitfit: NAME:LINE: what is wrong" and skipped. NoTimings for a file without a recognisable
// header (the message lists the expected columns) or without any row below it; Unreadable for a file that
// is not text.
ReadStatus ReadCampaign(const std::string& name, std::istream& in, Campaign& campaign, std::ostream& err);

// Marks as duplicate every timing whose observer, contacts and time repeat an earlier one, and as copied
// (copiedFrom) every other timing that repeats the site, contacts and time of another observer's.
void MarkDuplicates(Campaign& campaign);

// "1", "2", or "2-3": a timing's contact as written in the input.
std::string ContactName(int start, int end);

}  // namespace campaign
