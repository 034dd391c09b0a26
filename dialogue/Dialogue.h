// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "KernDos.h"
#include "ModulDos.h"

enum Language { German = 0, English = 1 };

// Index of a text in a TextSet. Entries 0, 6 and 10 belong to the program; the others to the frame.
enum TextId {
    ContactPrompt = 0,
    StartContactPrompt = 0,
    ObservationTitle = 1,
    LatitudePrompt = 2,
    HemispherePrompt = 3,
    LongitudePrompt = 4,
    EastWestPrompt = 5,
    TimePrompt = 6,
    DurationPrompt = 6,
    AuLabel = 7,
    AuUnit = 8,
    ParallaxLabel = 9,
    EndContactPrompt = 10,
    EqualTimesNote = 11,
    NoAuNote = 12,
};
inline constexpr int TextCount = 30;
// The texts of one language, Windows-1252, indexed by TextId.
using TextSet = std::array<std::string, TextCount>;

// One observing site: the remembered answers exactly as typed, and what the last pass derived from them.
struct SiteEntry {
    std::string latitudeText;   // remembered answer ("51,47" stays "51,47")
    char hemisphere = 'n';      // 's' or 'S' is south, anything else north
    std::string longitudeText;
    char eastWest = 'e';        // 'w' or 'W' is west, anything else east
    std::string timeText;       // clock time or duration, "hh:mm:ss"
    double latitude = 0.0;      // derived: radians, north positive
    double longitude = 0.0;     // derived: radians, west positive
    double time = 0.0;          // derived: whole seconds
};

// A text of the program's own, in both languages.
struct OwnText {
    TextId id;
    std::string german;
    std::string english;
};

// A contact number the loop asks for: the prompt, the built-in default and the contacts it may name.
struct ContactQuestion {
    TextId prompt;
    std::string defaultText;
    int lowest;
    int highest;
};

// The remembered answer of a contact question and the contact it names.
struct ContactEntry {
    std::string text;
    std::int32_t contact = 0;
};

// What a program adds to the frame: its texts, banner, defaults, contact questions and reduction.
struct Method {
    std::vector<OwnText> texts;
    std::array<std::array<std::string, 2>, 2> titleLines;  // by Language: the banner's two title lines
    std::array<std::string, 2> defaultTimeTexts;           // site 1, site 2
    std::vector<ContactQuestion> contacts;
    // AU in km from the contacts asked (in the order of the questions) and the two sites.
    double (*reduce)(const std::vector<ContactEntry>& contacts, const SiteEntry& site1, const SiteEntry& site2);
};

// The whole state of a run: chosen once by the opening, then remembered from pass to pass.
struct Dialogue {
    Language language = English;
    std::array<TextSet, 2> texts;
    std::array<SiteEntry, 2> sites;
    std::vector<ContactEntry> contacts;
    double au = 0.0;        // km, the last result
    double parallax = 0.0;  // seconds of arc, the last result
};

// Fills both text sets, asks the language, sets the default answers and writes the banner. False at end of input.
bool OpenDialogue(Console& io, const Method& method, Dialogue& dialogue);
// Asks one site (number 1 or 2) and derives radians and seconds from its answers. False at end of input.
bool EnterSite(Console& io, const TextSet& texts, int number, SiteEntry& site);
// Seconds in "hh:mm:ss"; a missing colon leaves the earlier fields out, an unreadable field counts its leading digits.
// Never refuses. Each field fits 32 bits, so the sum is exact in 64 bits.
std::int64_t ParseClockTime(const std::string& text);
// value with the given decimals, halves rounded away from zero on the exact binary value, right-aligned in width.
std::string FormatFixed(double value, int decimals, int width);
// Writes the framed result block: the AU in millions of km and the parallax in seconds of arc.
void PrintResult(Console& io, const TextSet& texts, double au, double parallax);
// Writes the framed block that says why the observations give no result.
void PrintNoResult(Console& io, const TextSet& texts, TextId note);
// One pass of the loop: contacts, both sites, reduction and result block. False at end of input.
bool RunPass(Console& io, const Method& method, Dialogue& dialogue);
// The reductions a Method can name: one contact timed at both sites (one contact question),
// and the durations between a start and an end contact (two contact questions, start first).
double ContactTimeAu(const std::vector<ContactEntry>& contacts, const SiteEntry& site1, const SiteEntry& site2);
double DurationAu(const std::vector<ContactEntry>& contacts, const SiteEntry& site1, const SiteEntry& site2);
// The opening, then passes until input ends; returns the exit status (not 0 if the console took no output).
int RunDialogue(Console& io, const Method& method);
