// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <string>
#include <vector>

namespace campaign {

// The columns a campaign file may have. T1..T4 are the clock times of contacts 1..4 in the layout of one
// observer per row.
enum Column { Site, Observer, Latitude, Longitude, Contact, Time, Sigma, Altitude, Date, T1, T2, T3, T4, Basis, Day, Use,
              ColumnCount };

// Where each column stands in a file's rows: its index, -1 when the file has none.
struct Layout {
    int at[ColumnCount];
    bool perObserver = false;
};

// A field quoted in a message: control characters escaped, so that none acts on the terminal or breaks the
// line, and long texts cut after 40 columns, between characters.
std::string Quoted(const std::string& text);

// A header cell as a key of the column names: lower case (the German capitals too), what stands in brackets
// and units dropped ("Latitude [deg]", "lat_deg" and "Lat." are "latitude", "lat" and "lat"), "UT" dropped
// beside other words ("Time UT" is "time"), the rest run together ("time_basis" is "timebasis").
std::string HeaderKey(const std::string& cell);

// Finds the columns; false when the header lacks one the timings need, with refused empty and missing set to
// a sentence naming what is lacking and the cells that could not be placed. refused is set, with false, when
// the header could be read two ways: a column named twice, or both layouts at once. Cells of other columns
// (a note, a source) are ignored.
bool FindLayout(const std::vector<std::string>& header, Layout& layout, std::string& refused, std::string& missing);

}  // namespace campaign
