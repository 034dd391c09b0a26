// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Format.h"

#include <cmath>
#include <cstdio>

#include "Units.h"

std::string PlanetName(ephemeris::Planet planet) { return planet == ephemeris::Planet::Venus ? "venus" : "mercury"; }

std::string Number(kit::Language language, double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);  // no "-0.0"
    return language == kit::Language::German ? kit::WithDecimalComma(text) : text;
}

std::string DateText(const ephemeris::CalendarTime& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buffer;
}

std::string ClockText(const ephemeris::CalendarTime& t, bool tenths) {
    char buffer[32];
    if (tenths) {
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%d", t.hour, t.minute, t.tenthsOfSecond / 10,
                      t.tenthsOfSecond % 10);
    } else {
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", t.hour, t.minute, t.tenthsOfSecond / 10);
    }
    return buffer;
}

std::string IsoText(double jd) {
    const ephemeris::CalendarTime t = ephemeris::CalendarFromJd(jd);
    return DateText(t) + "T" + ClockText(t, true) + "Z";
}

std::vector<Event> Events(const TransitsEntry& entry, bool local) {
    std::vector<Event> events;
    const ephemeris::Transit& t = entry.transit;
    const ephemeris::LocalCircumstances& l = entry.local;
    for (int c = 1; c <= ephemeris::ContactCount; ++c) {
        if (c == 3) {
            events.push_back({"greatest", local ? l.greatestJdUt : t.greatestJdUt, local,
                              l.greatestSunAltitudeDegrees, 0, local ? l.greatestPDeg : t.greatestPDeg,
                              l.greatestVDeg});
        }
        const bool happens = local ? l.contactHappens[c - 1] : t.contactHappens[c - 1];
        if (!happens) continue;
        events.push_back({"C" + std::to_string(c), local ? l.contactJdUt[c - 1] : t.contactJdUt[c - 1], local,
                          l.contactSunAltitudeDegrees[c - 1], c, local ? l.contactPDeg[c - 1] : t.contactPDeg[c - 1],
                          l.contactVDeg[c - 1]});
    }
    return events;
}

std::vector<double> ElementHours(const ephemeris::BesselianElements& elements) {
    std::vector<double> hours;
    const double first = std::floor(elements.contactJdUt[0] * 24.0 - 12.0);
    const double last = std::ceil(elements.contactJdUt[ephemeris::ContactCount - 1] * 24.0 - 12.0);
    // JD starts at noon: whole hours of UT are whole hours of JD - 0.5.
    for (double h = first; h <= last; h += 1.0) hours.push_back((h + 12.0) / 24.0);
    return hours;
}

double TurnDegrees(double radians) {
    const double degrees = std::fmod(radians * 180.0 / static_cast<double>(kit::Pi), 360.0);
    return degrees < 0.0 ? degrees + 360.0 : degrees;
}

std::string SiteText(const ephemeris::WgsSite& site) {
    return Number(kit::Language::English, site.latitudeDegrees, 4) + "," +
           Number(kit::Language::English, site.longitudeEastDegrees, 4) + "," +
           Number(kit::Language::English, site.heightMetres, 0);
}
