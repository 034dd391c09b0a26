// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstddef>
#include <string>

#include "Campaign.h"
#include "Columns.h"
#include "Csv.h"
#include "Fields.h"
#include "TimeBasis.h"

// One row of a campaign's file taken apart on its own, on any thread, before what it names is looked up.
namespace campaign {

// What taking a row apart needs besides the row: fixed once the header is read.
struct RowLayout {
    Layout layout;
    fields::NumberStyle style;
    std::size_t columns = 0;     // of the header
    char delimiter = ',';
    int file = 0;                // index into Campaign::files
    std::string timeColumns[4];  // the header's names of the columns T1 to T4, for messages
};

// A row taken apart on its own, before what it names is looked up: the rows of a file are taken apart on two
// threads, and what they name, and what they are told, is settled in their order.
struct RowValues {
    bool blank = false;          // no field holds anything
    bool wide = false;           // a field beyond the header's columns holds something
    bool named = false;          // site and observer were read: they are listed, whatever came after
    std::string site, observer;  // trimmed; the observer empty where the row names none
    std::string complaint;       // why the row is skipped; empty when it is read
    Timing timings[4];           // the row's timings, count of them
    int count = 0;
};

// Takes a row apart on its own (any thread): values says what it holds, or why it is skipped.
void TakeApart(const RowLayout& row, const CsvRecord& record, RowValues& values);

// A clock time not written as UT on the civil day becomes UT on its UT date (a duration is the same on every
// clock). The equation of time asks the ephemeris, whose calls stay on one thread and in the file's order.
void ToUt(Timing& timing);

}  // namespace campaign
