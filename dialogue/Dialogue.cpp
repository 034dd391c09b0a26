// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Dialogue.h"

#include <charconv>
#include <cmath>
#include <algorithm>

#include "Reduction.h"

namespace {

const std::string LanguagePrompt = "english/german (e/g) ? ";
const std::string SiteUnderline = "      ==============";
const std::string ResultFrame = "      ============================";
const std::array<std::string, 2> AttributionLine = {
    "      die Autoren von limbtimer und chordspan, f\xFCr Schulen und Sternwarten",
    "          the limbtimer and chordspan authors, for schools and observatories",
};

// The frame's texts; a program adds its own (prompt for the contacts and the time).
const OwnText FrameTexts[] = {
    {ObservationTitle, "      Beobachtung", "      Observation"},
    {LatitudePrompt, "      geografische Breite in Grad       : ", "      geographical latitude in degrees  : "},
    {HemispherePrompt, "      n\xF6rdliche/s\xFC" "dliche Breite (n/s)   ? ", "      northern/southern latitude (n/s)  ? "},
    {LongitudePrompt, "      geografische  L\xE4nge in Grad       : ", "      geographical longitude in degrees ? "},
    {EastWestPrompt, "      westliche/\xF6stliche L\xE4nge (w/o)    ? ", "      western/eastern longitude (w/e)   ? "},
    {AuLabel, "      Astronomische Einheit             :", "      Astronomical Unit                 :"},
    {AuUnit, " Mio. km", " Mill. km"},
    {ParallaxLabel, "      Sonnenparallaxe                   :", "      Solar Parallax                    :"},
    {EqualTimesNote, "      Kein Ergebnis: die Zeiten beider Orte sind gleich.",
     "      No result: the times of both sites are equal."},
    {NoAuNote, "      Kein Ergebnis: diese Orte ergeben keine AE.", "      No result: these sites give no AU."},
};

void Fill(std::array<TextSet, 2>& texts, const OwnText& text) {
    texts[German][text.id] = text.german;
    texts[English][text.id] = text.english;
}

bool IsGermanLetter(char letter) { return letter == 'D' || letter == 'G' || letter == 'd' || letter == 'g'; }

// A contact is asked like any number, and one that names no contact of the question is refused like an unreadable one.
bool AskContact(Console& io, const TextSet& texts, const ContactQuestion& question, ContactEntry& entry) {
    for (;;) {
        std::int32_t contact = 0;
        if (!AskInteger(io, texts[question.prompt], entry.text, contact)) return false;
        if (contact >= question.lowest && contact <= question.highest) {
            entry.contact = contact;
            return true;
        }
        RingBell(io);
    }
}

std::int64_t ClockField(const std::string& field) {
    const IntegerScan scan = ScanInteger(field);
    return scan.complete ? scan.value : scan.digitsValue;
}

// Splits off the field before the first colon; with no colon the field is empty and the text stays whole.
std::int64_t TakeClockField(std::string& rest) {
    const auto colon = rest.find(':');
    if (colon == std::string::npos) return 0;
    const std::int64_t value = ClockField(rest.substr(0, colon));
    rest.erase(0, colon + 1);
    return value;
}

// Cuts "[-]int.frac" after the given decimals and rounds the cut-off half away from zero.
// The digits must be the exact value, so that a 5 in the first cut-off place is a half or more.
void RoundAwayFromZero(std::string& digits, int decimals) {
    const std::size_t point = digits.find('.');
    const std::size_t next = point + static_cast<std::size_t>(decimals) + 1;
    const bool up = digits[next] >= '5';
    digits.resize(decimals > 0 ? next : point);
    if (!up) return;
    std::size_t at = digits.size();
    while (at > 0) {
        --at;
        char& c = digits[at];
        if (c == '.') continue;
        if (c == '-') break;
        if (c != '9') {
            ++c;
            return;
        }
        c = '0';
    }
    digits.insert(digits[0] == '-' ? 1 : 0, 1, '1');
}

}  // namespace

bool OpenDialogue(Console& io, const Method& method, Dialogue& dialogue) {
    for (const OwnText& text : FrameTexts) Fill(dialogue.texts, text);
    for (const OwnText& text : method.texts) Fill(dialogue.texts, text);

    char letter = 'e';
    if (!AskChar(io, LanguagePrompt, letter)) return false;
    dialogue.language = IsGermanLetter(letter) ? German : English;

    const char eastLetter = dialogue.language == German ? 'o' : 'e';
    dialogue.sites[0] = {"51.47", 'n', "7.0", eastLetter, method.defaultTimeTexts[0], 0.0, 0.0, 0.0};
    dialogue.sites[1] = {"26.18", 's', "28.0", eastLetter, method.defaultTimeTexts[1], 0.0, 0.0, 0.0};
    dialogue.contacts.clear();
    for (const ContactQuestion& question : method.contacts) dialogue.contacts.push_back({question.defaultText, 0});

    io.out << '\n'
           << method.titleLines[dialogue.language][0] << '\n'
           << method.titleLines[dialogue.language][1] << '\n';
    WriteText(io, AttributionLine[dialogue.language]);
    io.out << "\n\n";
    return true;
}

bool EnterSite(Console& io, const TextSet& texts, int number, SiteEntry& site) {
    io.out << texts[ObservationTitle] << (number == 1 ? " 1:" : " 2:") << '\n' << SiteUnderline << '\n';
    double degrees = 0.0;
    if (!AskChar(io, texts[HemispherePrompt], site.hemisphere)) return false;
    if (!AskReal(io, texts[LatitudePrompt], site.latitudeText, degrees)) return false;
    site.latitude = static_cast<double>(degrees * DegToRad);
    if (site.hemisphere == 'S' || site.hemisphere == 's') site.latitude = -site.latitude;

    if (!AskChar(io, texts[EastWestPrompt], site.eastWest)) return false;
    if (!AskReal(io, texts[LongitudePrompt], site.longitudeText, degrees)) return false;
    site.longitude = static_cast<double>(-degrees * DegToRad);
    if (site.eastWest == 'W' || site.eastWest == 'w') site.longitude = -site.longitude;

    if (!AskText(io, texts[TimePrompt], site.timeText)) return false;
    site.time = static_cast<double>(ParseClockTime(site.timeText));
    io.out << '\n';
    return true;
}

std::int64_t ParseClockTime(const std::string& text) {
    std::string rest = text;
    const std::int64_t hours = TakeClockField(rest);
    const std::int64_t minutes = TakeClockField(rest);
    const std::int64_t seconds = ClockField(rest);
    return hours * 3600 + minutes * 60 + seconds;
}

std::string FormatFixed(double value, int decimals, int width) {
    // Enough decimals to write the binary value exactly: a double's last mantissa bit is 2^(exponent-53).
    int exponent = 0;
    std::frexp(value, &exponent);
    const int exactDecimals = std::max(decimals + 1, std::min(1074, 53 - exponent));
    std::array<char, 1500> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, exactDecimals);
    std::string digits(buffer.data(), written.ptr);
    RoundAwayFromZero(digits, decimals);
    if (digits.size() < static_cast<std::size_t>(width)) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), ' ');
    }
    return digits;
}

void PrintResult(Console& io, const TextSet& texts, double au, double parallax) {
    io.out << ResultFrame << '\n'
           << texts[AuLabel] << FormatFixed(au * 1e-6, 1, 6) << texts[AuUnit] << '\n'
           << texts[ParallaxLabel] << FormatFixed(parallax, 3, 7) << "\"\n"
           << ResultFrame << "\n\n";
}

void PrintNoResult(Console& io, const TextSet& texts, TextId note) {
    io.out << ResultFrame << '\n';
    WriteText(io, texts[note]);
    io.out << '\n' << ResultFrame << "\n\n";
}

bool RunPass(Console& io, const Method& method, Dialogue& dialogue) {
    const TextSet& texts = dialogue.texts[dialogue.language];
    for (std::size_t i = 0; i < method.contacts.size(); ++i) {
        if (!AskContact(io, texts, method.contacts[i], dialogue.contacts[i])) return false;
    }
    io.out << '\n';
    if (!EnterSite(io, texts, 1, dialogue.sites[0]) || !EnterSite(io, texts, 2, dialogue.sites[1])) return false;

    // Equal times divide by zero, and an AU of 0 has no parallax: say so instead of showing inf or nan.
    if (dialogue.sites[0].time == dialogue.sites[1].time) {
        PrintNoResult(io, texts, EqualTimesNote);
        return true;
    }
    dialogue.au = method.reduce(dialogue.contacts, dialogue.sites[0], dialogue.sites[1]);
    const bool hasAu = dialogue.au != 0.0 && std::isfinite(dialogue.au);
    dialogue.parallax = hasAu ? SolarParallax(dialogue.au) : 0.0;
    if (!hasAu || !std::isfinite(dialogue.parallax)) {
        PrintNoResult(io, texts, NoAuNote);
        return true;
    }
    PrintResult(io, texts, dialogue.au, dialogue.parallax);
    return true;
}

double ContactTimeAu(const std::vector<ContactEntry>& contacts, const SiteEntry& site1, const SiteEntry& site2) {
    return ReduceContactTime(contacts[0].contact, site1.time, site2.time, site1.latitude, site1.longitude,
                             site2.latitude, site2.longitude);
}

double DurationAu(const std::vector<ContactEntry>& contacts, const SiteEntry& site1, const SiteEntry& site2) {
    return ReduceDuration(contacts[0].contact, contacts[1].contact, site1.time, site2.time, site1.latitude,
                          site1.longitude, site2.latitude, site2.longitude);
}

int RunDialogue(Console& io, const Method& method) {
    Dialogue dialogue;
    if (OpenDialogue(io, method, dialogue)) {
        while (RunPass(io, method, dialogue)) {
        }
    }
    return io.out ? 0 : 1;
}
