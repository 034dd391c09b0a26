// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "Campaign.h"
#include "Reduction.h"

// The astronomical unit the coefficients are scaled to (IAU 2012), km.
inline constexpr double ReferenceAuKm = 149597870.7;

// Where the site coefficients come from: seconds by which a contact moves per unit site vector when the AU is
// ReferenceAuKm, in the frame of reduction's SiteVector (longitude west positive). A timing of contact c
// then reads t = T_c + q (A_c . v), and AU = ReferenceAuKm / q.
struct Coefficients {
    double secondsPerUnit[4][3] = {};
    std::string name;             // for the report: "table of 8 June 2004"
    std::string nameGerman;       // "Tafel vom 8. Juni 2004"
};

// The 8 June 2004 table, from reduction, in seconds.
Coefficients TableCoefficients();

// The site lever A . v in seconds for contact start (end = 0) or the duration from start to end.
double SiteLever(const Coefficients& coefficients, int start, int end, double latitudeDegrees, double longitudeDegrees);

// The site vector in reduction's frame from north- and east-positive degrees.
Vector3 SiteVectorOf(double latitudeDegrees, double longitudeDegrees);

// The site lever for a site vector already computed.
double SiteLever(const Coefficients& coefficients, int start, int end, const Vector3& v);

struct FitOptions {
    bool clockOffsets = false;    // one clock offset per observer with two or more clock times
    bool keepAll = false;         // no rejection of outliers
    int resamples = 1000;         // bootstrap runs
    std::uint64_t seed = 20040608;
};

// Fixed words, the same in every output format.
enum Flag { Duplicate, TimeZone, WrongContact, CoordinateSign, ContactOrder, Outlier, BelowHorizon, FlagCount };
const char* FlagWord(Flag flag);

// Why a flag was raised: one plain sentence in each language.
struct Reason {
    std::string english, german;
};

struct TimingFit {
    bool used = false;
    double oMinusCS = 0.0;        // observed minus computed, s (NaN where its contact was not fitted)
    double leverS = 0.0;          // A . v
    unsigned flagBits = 0;        // 1 << Flag
    std::vector<Reason> reasons;  // one per flag, in the order raised
    double zoneHours = 0.0;       // for time-zone: the whole or half hours of the slip
    int otherContact = 0;         // for wrong-contact: the contact it fits
    char flippedCoordinate = 0;   // for coordinate-sign: 'N' latitude, 'E' longitude
};

// Sets a flag on a timing with its reason in both languages; a flag already set keeps its first reason.
void RaiseFlag(TimingFit& fit, Flag flag, const std::string& english, const std::string& german);

struct ContactFit {
    int start = 0, end = 0;       // end = 0 for a contact's clock time, else a duration
    double referenceS = 0.0;      // T_c (UT seconds after midnight) or D_se
    double rmsS = 0.0;            // rms O-C of its used timings
    long used = 0;
};

struct Resampling {
    std::string method;           // "bootstrap", "jackknife" or "" when none could be made
    int runs = 0;                 // resamples or observers left out
    int failed = 0;               // resamples that could not determine the AU
    std::vector<std::pair<int, double>> withoutObserver;  // jackknife: observer, AU in km without it
};

struct FitResult {
    bool fitted = false;
    std::string whyNot;           // one sentence when not fitted
    double q = 0.0;               // fitted scale ReferenceAuKm / AU
    double qSigmaFormal = 0.0, qSigmaResampled = 0.0;  // NaN when not computed
    double auKm = 0.0, auSigmaKm = 0.0, auSigmaFormalKm = 0.0, auSigmaResampledKm = 0.0;  // NaN when none
    double parallaxArcsec = 0.0, parallaxSigmaArcsec = 0.0;
    bool bounded = true;          // false when q - sigma <= 0: the data do not bound the AU
    long degreesOfFreedom = 0;
    double scatter = 0.0;         // weighted rms of the used timings' O-C, in units of their sigma
    long read = 0, used = 0, rejected = 0;
    std::vector<ContactFit> contacts;
    std::vector<TimingFit> timings;     // parallel to the campaign's timings
    std::vector<double> clockOffsetsS;  // per observer; NaN where it has none
    Resampling resampling;
    double modelBias = std::numeric_limits<double>::quiet_NaN();  // see LinearModelBias; NaN when not known
};

// Fits the campaign: reference times, durations, clock offsets if asked, and q, by weighted least squares
// (weights 1 / (sigma^2 + (5 s)^2)) with robust rejection unless keepAll; then the uncertainties and flags.
FitResult FitCampaign(const Campaign& campaign, const Coefficients& coefficients, const FitOptions& options);
