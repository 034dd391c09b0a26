// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "SiteModel.h"

#include <cmath>
#include <limits>

namespace campaign {

SiteModel TableSiteModel() {
    SiteModel model;
    const long double toSeconds = EarthRadiusKm / (RateDivisor * static_cast<long double>(ReferenceAuKm));
    for (int c = FirstContact; c <= LastContact; ++c) {
        const Vector3 column = ContactColumn(c);
        double* a = model.secondsPerUnit[c - FirstContact];
        a[0] = static_cast<double>(column.x * toSeconds);
        a[1] = static_cast<double>(column.y * toSeconds);
        a[2] = static_cast<double>(column.z * toSeconds);
    }
    return model;
}

SiteModel EphemerisSiteModel(const ephemeris::Transit& transit) {
    SiteModel model;
    double a[ephemeris::ContactCount][3];
    ephemeris::ContactCoefficients(transit, a);
    for (int contact = 0; contact < ephemeris::ContactCount; ++contact) {
        // The ephemeris counts longitude east positive, the table's frame west positive: y turns sign.
        model.secondsPerUnit[contact][0] = a[contact][0];
        model.secondsPerUnit[contact][1] = -a[contact][1];
        model.secondsPerUnit[contact][2] = a[contact][2];
    }
    return model;
}

Vector3 SiteVectorOf(double latitudeDegrees, double longitudeDegrees) {
    // The table's frame counts longitude west positive.
    return SiteVector(static_cast<double>(latitudeDegrees * DegToRad), static_cast<double>(-longitudeDegrees * DegToRad));
}

double SiteLever(const SiteModel& model, int start, int end, const Vector3& v) {
    auto lever = [&](int contact) {
        const double* a = model.secondsPerUnit[contact - 1];
        return a[0] * v.x + a[1] * v.y + a[2] * v.z;
    };
    return static_cast<double>(end == 0 ? lever(start) : lever(end) - lever(start));
}

bool PredictTiming(const SiteModel& model, int start, int end, const ephemeris::ElementsSite& site, double q,
                   double& predictedS, double& shiftS, double& perQS, double fromShiftS, double* perQSquaredS) {
    const ephemeris::BesselianElements& elements = model.elements;
    double jd[2] = {0.0, 0.0}, perQ[2] = {0.0, 0.0}, shift[2] = {0.0, 0.0}, perQSquared[2] = {0.0, 0.0};
    const int contacts[2] = {start, end};
    for (int k = 0; k < (end == 0 ? 1 : 2); ++k) {
        const int c = contacts[k];
        if (c < 1 || c > ephemeris::ContactCount || !elements.contactHappens[c - 1] ||
            !ephemeris::PredictContact(elements, c, site, q, jd[k], perQ[k],
                                       end == 0 ? elements.contactJdUt[c - 1] + fromShiftS / kit::SecondsPerDayDouble
                                                : std::numeric_limits<double>::quiet_NaN(),
                                       perQSquaredS != nullptr ? &perQSquared[k] : nullptr)) {
            return false;
        }
        // Differences of nearby dates are exact in double: the shift keeps the microseconds a JD rounds away.
        shift[k] = (jd[k] - elements.contactJdUt[c - 1]) * kit::SecondsPerDayDouble;
    }
    if (end == 0) {
        predictedS = UtSecondsOfDay(jd[0]);
        shiftS = shift[0];
        perQS = perQ[0] * kit::SecondsPerDayDouble;
        if (perQSquaredS != nullptr) *perQSquaredS = perQSquared[0] * kit::SecondsPerDayDouble;
    } else {
        shiftS = shift[1] - shift[0];
        predictedS = (elements.contactJdUt[end - 1] - elements.contactJdUt[start - 1]) * kit::SecondsPerDayDouble + shiftS;
        perQS = (perQ[1] - perQ[0]) * kit::SecondsPerDayDouble;
        if (perQSquaredS != nullptr) *perQSquaredS = (perQSquared[1] - perQSquared[0]) * kit::SecondsPerDayDouble;
    }
    return true;
}

double UtSecondsOfDay(double jdUt) { return (jdUt - std::floor(jdUt - 0.5) - 0.5) * kit::SecondsPerDayDouble; }

double AuOf(double q) { return q != 0.0 ? ReferenceAuKm / q : std::numeric_limits<double>::quiet_NaN(); }

double SiteLever(const SiteModel& model, int start, int end, double latitudeDegrees, double longitudeDegrees) {
    return SiteLever(model, start, end, SiteVectorOf(latitudeDegrees, longitudeDegrees));
}

}  // namespace campaign
