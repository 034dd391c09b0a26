// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
//
// Writes a synthetic campaign of timings as CSV, with Gaussian timing noise:
//   make_campaign sample          the 8 June 2004 transit, each contact predicted at real observatories from the
//                                 transit's Besselian elements, each that the Sun was up for, three planted errors
//   make_campaign random N [SEED [PER_OBSERVER]]  N timings of 2004 from random sites that saw the whole
//                                 transit, PER_OBSERVER (default 4) per observer, going round the four contacts
//   make_campaign local DATE      the transit touching DATE at observatories around the world, each contact
//                                 from the ephemeris's own solver at the site (not the linear model), Sun up
//   make_campaign grid DATE [STEP]  the same without noise, to the millisecond, at sites every STEP degrees
//                                 (default 10) of latitude -75..75 and longitude, each contact with the Sun 5 degrees up
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Ephemeris.h"
#include "Fields.h"
#include "Resampling.h"
#include "Units.h"

namespace {

struct Observatory {
    const char* name;
    double latitude, longitude;  // degrees, north and east positive
    double sigmaS;               // the observer's own stated uncertainty
};

// Observatories where the whole transit of 2004 was seen, positions rounded to 0.01 degree.
const Observatory Observatories[] = {
    {"Greenwich", 51.48, -0.00, 3}, {"Paris", 48.84, 2.34, 4},        {"Madrid", 40.41, -3.69, 5},
    {"Lisbon", 38.71, -9.15, 5},    {"Uccle", 50.80, 4.36, 3},        {"Bochum", 51.43, 7.19, 4},
    {"Potsdam", 52.38, 13.06, 3},   {"Vienna", 48.23, 16.29, 4},      {"Ondrejov", 49.91, 14.78, 3},
    {"Krakow", 50.05, 19.82, 5},    {"Rome", 41.92, 12.45, 6},        {"Athens", 37.97, 23.72, 5},
    {"Stockholm", 59.30, 18.06, 4}, {"Helsinki", 60.16, 24.96, 5},    {"Pulkovo", 59.77, 30.33, 4},
    {"Istanbul", 41.01, 28.97, 6},  {"Helwan", 29.86, 31.34, 7},      {"Mitzpe Ramon", 30.60, 34.76, 4},
    {"Pretoria", -25.75, 28.23, 5}, {"Cape Town", -33.93, 18.48, 3},  {"Nairobi", -1.28, 36.82, 8},
    {"Tehran", 35.70, 51.40, 6},    {"Mumbai", 18.97, 72.82, 7},      {"Hyderabad", 17.43, 78.45, 6},
    {"Kodaikanal", 10.23, 77.46, 5}, {"Bosscha", -6.82, 107.62, 6},
};

// Observatories around the world, for transits seen from other longitudes.
const Observatory World[] = {
    {"Mauna Kea", 19.82, -155.47, 3},  {"Lick", 37.34, -121.64, 4},      {"Kitt Peak", 31.96, -111.60, 4},
    {"Yerkes", 42.57, -88.56, 5},      {"Greenwich", 51.48, -0.00, 4},   {"Paris", 48.84, 2.34, 4},
    {"Potsdam", 52.38, 13.06, 4},      {"Pulkovo", 59.77, 30.33, 5},     {"Helwan", 29.86, 31.34, 5},
    {"Hyderabad", 17.43, 78.45, 5},    {"Kodaikanal", 10.23, 77.46, 4},  {"Bosscha", -6.82, 107.62, 5},
    {"Purple Mountain", 32.07, 118.82, 4}, {"Mitaka", 35.68, 139.54, 3}, {"Sydney", -33.86, 151.20, 4},
    {"Mount Stromlo", -35.32, 149.01, 3},  {"Perth", -32.01, 115.82, 5}, {"Auckland", -36.91, 174.78, 4},
    {"Fairbanks", 64.84, -147.72, 6},  {"Irkutsk", 52.28, 104.30, 5},    {"Ulaanbaatar", 47.92, 106.92, 6},
    {"Seoul", 37.57, 126.98, 4},       {"Manila", 14.60, 120.98, 5},     {"Singapore", 1.30, 103.85, 5},
};

struct Row {
    std::string observer;
    double latitude, longitude;
    int contact;
    double seconds, sigmaS;
    std::string note;
};

std::string Clock(double seconds) {
    const double t = std::round(seconds * 10.0) / 10.0;
    const int whole = static_cast<int>(std::floor(t));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%d", whole / 3600 % 24, whole / 60 % 60, whole % 60,
                  static_cast<int>(std::lround((t - whole) * 10.0)) % 10);
    return buffer;
}

void Write(const Row& row) {
    std::printf("%s,%.4f,%.4f,%d,%s,%g,%s\n", row.observer.c_str(), row.latitude, row.longitude, row.contact,
                Clock(row.seconds).c_str(), row.sigmaS, row.note.c_str());
}

// UT seconds after midnight of a contact at a site, from the elements at the reference AU.
double Timed(const ephemeris::BesselianElements& elements, int contact, double latitude, double longitude, double noise) {
    double jd = 0.0, perQ = 0.0;
    ephemeris::PredictContact(elements, contact, latitude, longitude, 0.0, 1.0, jd, perQ);
    return (jd - 0.5 - std::floor(jd - 0.5)) * kit::SecondsPerDayDouble + noise;
}

// Random numbers drawn the same way on every platform and library: splitmix64 and transforms written out
// here (the standard's distributions leave their algorithms to each library, so a new one would change the
// committed samples).
struct Noise {
    std::uint64_t state;
    bool haveSpare = false;
    double spare = 0.0;
};

// Uniform in [0, 1), from the top 53 bits.
double Uniform(Noise& noise) { return static_cast<double>(fitting::NextRandom(noise.state) >> 11) * 0x1.0p-53; }

// Uniform in [low, high).
double Uniform(Noise& noise, double low, double high) { return low + (high - low) * Uniform(noise); }

// Standard normal, by Box and Muller's transform: two uniforms give two independent normals.
double Normal(Noise& noise) {
    if (noise.haveSpare) {
        noise.haveSpare = false;
        return noise.spare;
    }
    const double u1 = 1.0 - Uniform(noise);  // in (0, 1]: the logarithm stays finite
    const double u2 = Uniform(noise);
    const double radius = std::sqrt(-2.0 * std::log(u1));
    const double angle = 2.0 * static_cast<double>(kit::Pi) * u2;
    noise.spare = radius * std::sin(angle);
    noise.haveSpare = true;
    return radius * std::cos(angle);
}

}  // namespace

// The exact contacts of transit at a grid of sites, noiseless: a campaign the exact site model must fit to the
// AU of the ephemeris.
void WriteGrid(const ephemeris::Transit& transit, double stepDegrees) {
    std::puts("observer,latitude,longitude,date,contact,time,sigma");
    for (double latitude = -75.0; latitude <= 75.0; latitude += stepDegrees) {
        for (double longitude = -180.0; longitude < 180.0; longitude += stepDegrees) {
            ephemeris::LocalCircumstances local;
            if (!ephemeris::LocalContacts(transit, latitude, longitude, 0.0, local)) continue;
            for (int contact = 1; contact <= 4; ++contact) {
                if (!local.contactHappens[contact - 1] || local.contactSunAltitudeDegrees[contact - 1] < 5.0) continue;
                const double jd = local.contactJdUt[contact - 1];
                const double midnight = std::floor(jd - 0.5) + 0.5;
                // Milliseconds, never rounded up into the next day: the date is the midnight's.
                const long ms = std::min(std::lround((jd - midnight) * kit::SecondsPerDayDouble * 1000.0), 86399999L);
                const ephemeris::CalendarTime date = ephemeris::CalendarFromJd(midnight + 1.0 / 24.0);
                std::printf("grid %+.1f %+.1f,%.4f,%.4f,%04d-%02d-%02d,%d,%02ld:%02ld:%02ld.%03ld,1\n", latitude, longitude,
                            latitude, longitude, date.year, date.month, date.day, contact, ms / 3600000, ms / 60000 % 60,
                            ms / 1000 % 60, ms % 1000);
            }
        }
    }
}

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    // The 2004 transit of the sample and the random campaigns, and its elements.
    ephemeris::Transit of2004;
    ephemeris::FindTransit(ephemeris::Planet::Venus, 2004, 6, 8, ephemeris::EphemerisOptions{}, of2004);
    ephemeris::BesselianElements elements;
    ephemeris::ElementsOf(of2004, elements);
    if ((mode == "local" || mode == "grid") && argc >= 3) {
        int year = 0, month = 0, day = 0;
        ephemeris::Transit transit;
        if (!fields::ParseDate(argv[2], year, month, day) || !ephemeris::FindTransit(std::nullopt, year, month, day, ephemeris::EphemerisOptions{}, transit)) {
            std::fprintf(stderr, "make_campaign: no transit touches %s\n", argv[2]);
            return 2;
        }
        if (mode == "grid") {
            const double step = argc > 3 ? std::strtod(argv[3], nullptr) : 10.0;
            if (!(step >= 1.0 && step <= 90.0)) {
                std::fprintf(stderr, "make_campaign: grid step %s is not 1..90 degrees\n", argv[3]);
                return 2;
            }
            WriteGrid(transit, step);
            return 0;
        }
        std::puts("observer,latitude,longitude,date,contact,time,sigma");
        Noise noise{2012};
        for (const Observatory& o : World) {
            ephemeris::LocalCircumstances local;
            if (!ephemeris::LocalContacts(transit, o.latitude, o.longitude, 0.0, local)) continue;
            for (int contact = 1; contact <= 4; ++contact) {
                if (!local.contactHappens[contact - 1] || local.contactSunAltitudeDegrees[contact - 1] < 2.0) continue;
                const double jd = local.contactJdUt[contact - 1] + o.sigmaS * Normal(noise) / kit::SecondsPerDayDouble;
                const ephemeris::CalendarTime when = ephemeris::CalendarFromJd(jd);
                std::printf("%s,%.4f,%.4f,%04d-%02d-%02d,%d,%02d:%02d:%02d.%d,%g\n", o.name, o.latitude, o.longitude,
                            when.year, when.month, when.day, contact, when.hour, when.minute, when.tenthsOfSecond / 10,
                            when.tenthsOfSecond % 10, o.sigmaS);
            }
        }
        return 0;
    }
    std::puts("observer,latitude,longitude,contact,time,sigma,note");
    if (mode == "sample") {
        Noise noise{2004};
        for (const Observatory& o : Observatories) {
            for (int contact = 1; contact <= 4; ++contact) {
                // Only what could be seen: the Sun up at the site when the contact came.
                const double jd = of2004.contactJdUt[contact - 1];
                if (ephemeris::SunAltitudeDegrees(jd, o.latitude, o.longitude, 0.0) < 2.0) continue;
                Row row{o.name, o.latitude, o.longitude, contact,
                        Timed(elements, contact, o.latitude, o.longitude, o.sigmaS * Normal(noise)), o.sigmaS, ""};
                const std::string name = o.name;
                if (name == "Vienna" && contact == 4) {
                    row.seconds += 2 * 3600;
                    row.note = "planted: local time (CEST) typed as UT";
                } else if (name == "Athens" && contact == 2) {
                    row.contact = 1;
                    row.note = "planted: contact 2 posted as contact 1";
                } else if (name == "Pretoria") {
                    row.longitude = -row.longitude;
                    row.note = "planted: longitude typed west instead of east";
                }
                Write(row);
            }
        }
        return 0;
    }
    if (mode == "random" && argc >= 3) {
        const long count = std::strtol(argv[2], nullptr, 10);
        Noise noise{argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1};
        // An observer's timings go round the four contacts: 40 are ten timings of each, as a team at one site.
        const long perObserver = argc > 4 ? std::strtol(argv[4], nullptr, 10) : 4;
        if (perObserver < 1) {
            std::fputs("make_campaign: PER_OBSERVER must be 1 or more\n", stderr);
            return 2;
        }
        for (long i = 0; i < count; i += perObserver) {
            // Where the Sun was up for all four contacts.
            const double lat = Uniform(noise, 20.0, 60.0), lon = Uniform(noise, 10.0, 60.0);
            for (long k = 0; k < perObserver && i + k < count; ++k) {
                const int contact = static_cast<int>(k % 4) + 1;
                Write({"observer " + std::to_string(i / perObserver), lat, lon, contact,
                       Timed(elements, contact, lat, lon, 5.0 * Normal(noise)), 5.0, ""});
            }
        }
        return 0;
    }
    std::fputs("usage: make_campaign sample | make_campaign random N [SEED [PER_OBSERVER]] | make_campaign local DATE | make_campaign grid DATE [STEP]\n",
               stderr);
    return 2;
}
