// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <limits>

#include "Ephemeris.h"
#include "Reduction.h"
#include "Units.h"

namespace campaign {

// The astronomical unit the site model is scaled to (IAU 2012), km.
inline constexpr double ReferenceAuKm = kit::AuKmDouble;

// How a site model answers. Linear: t = T_c + q (A_c . v). Exact: each timing's own contact time from the
// Besselian elements, the observer's geocentric vector scaled by q = ReferenceAuKm / AU, q fitted by
// Gauss-Newton on the linear machinery (see ExactFit.h).
enum class SiteModelKind { Linear, Exact };

// The one seam through which the fit asks when a contact happens at a site and how that moves with the AU.
// Linear: a timing of contact c reads t = T_c + q (A_c . v), the coefficients A_c in seconds per unit site
// vector at ReferenceAuKm, in the frame of reduction's SiteVector (longitude west positive); AU = ReferenceAuKm / q.
struct SiteModel {
    SiteModelKind kind = SiteModelKind::Linear;
    double secondsPerUnit[4][3] = {};
    ephemeris::BesselianElements elements{};  // Exact: the transit's elements (the linear coefficients stay for diagnoses)
};

// The model of a timing at a WGS84 site (see ephemeris::ElementsSiteOf) at scale q. Exact model only.
// A clock time of contact start (end = 0): predictedS in UT seconds after midnight and shiftS = its distance
// from the contact at the Earth's centre (q = 0), s; a duration: both in seconds. perQS = d(predictedS)/dq, s.
// false when the site does not see a contact of the timing. A clock time's search starts fromShiftS after the
// geocentric contact where that is finite (its shift predicted before, carried to q along its lever). Where
// perQSquaredS is given, d2(predictedS)/dq2 in s is written there.
bool PredictTiming(const SiteModel& model, int start, int end, const ephemeris::ElementsSite& site, double q,
                   double& predictedS, double& shiftS, double& perQS,
                   double fromShiftS = std::numeric_limits<double>::quiet_NaN(), double* perQSquaredS = nullptr);

// UT seconds after the midnight that begins the day of a UT Julian date.
double UtSecondsOfDay(double jdUt);

// The linear model of the 8 June 2004 table, from reduction, in seconds.
SiteModel TableSiteModel();

// The linear model of a transit from the ephemeris's own coefficients.
SiteModel EphemerisSiteModel(const ephemeris::Transit& transit);

// The site vector in reduction's frame from north- and east-positive degrees.
Vector3 SiteVectorOf(double latitudeDegrees, double longitudeDegrees);

// Seconds by which contact start (end = 0), or the duration from start to end, moves per unit q at site v:
// the lever A . v of the linear model.
double SiteLever(const SiteModel& model, int start, int end, const Vector3& v);

// The AU in km for scale q; NaN for q = 0, where timings that agree exactly say the AU is beyond any distance.
double AuOf(double q);

// The same from north- and east-positive degrees.
double SiteLever(const SiteModel& model, int start, int end, double latitudeDegrees, double longitudeDegrees);

}  // namespace campaign
