// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Reduction.h"

#include <cmath>
#include <limits>

// The printed digits are those of the 80-bit extended format, on every platform the programs are built for.
static_assert(std::numeric_limits<long double>::digits == 64, "long double must be the 80-bit extended format");

namespace {

// Contact coefficients, three rows of four: all x for contacts 1..4, then all y, then all z.
constexpr long double ContactCoefficients[3][4] = {
    {3610000.0L, 3682000.0L, 1832000.0L, 1565000.0L},
    {-31000.0L, 375000.0L, 1906000.0L, 2138000.0L},
    {1614000.0L, 1878000.0L, -3199000.0L, -2936000.0L},
};

bool IsContact(int contact, int lowest, int highest) { return contact >= lowest && contact <= highest; }

// The AU from a coefficient triple: the site vectors' difference dotted with it, scaled by R over the time difference.
double Reduce(const Vector3& c, double t1, double t2, double lat1, double lon1, double lat2, double lon2) {
    const Vector3 v1 = SiteVector(lat1, lon1), v2 = SiteVector(lat2, lon2);
    const long double dx = v2.x - v1.x, dy = v2.y - v1.y, dz = v2.z - v1.z;
    // x and y first, then z: the last printed digit depends on this order.
    const long double s = (dx * c.x + dy * c.y) + dz * c.z;
    const long double time1 = t1, time2 = t2;
    const long double f = (EarthRadiusKm / (time2 - time1)) / RateDivisor;
    return static_cast<double>(s * f);
}

}  // namespace

Vector3 SiteVector(double latitude, double longitude) {
    const long double phi = latitude, lambda = longitude;
    return {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)};
}

Vector3 ContactColumn(int contact) {
    if (!IsContact(contact, FirstContact, LastContact)) {
        const long double nan = std::numeric_limits<long double>::quiet_NaN();
        return {nan, nan, nan};
    }
    const int at = contact - FirstContact;
    return {ContactCoefficients[0][at], ContactCoefficients[1][at], ContactCoefficients[2][at]};
}

double ReduceContactTime(int contact, double t1, double t2, double lat1, double lon1, double lat2, double lon2) {
    if (!IsContact(contact, FirstContact, LastContact)) return std::numeric_limits<double>::quiet_NaN();
    return Reduce(ContactColumn(contact), t1, t2, lat1, lon1, lat2, lon2);
}

double ReduceDuration(int startContact, int endContact, double d1, double d2, double lat1, double lon1,
                      double lat2, double lon2) {
    if (!IsContact(startContact, 1, 2) || !IsContact(endContact, 3, 4)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    // A duration is the end time minus the start time, so its site-dependent part is (C_end - C_start) . v.
    // Adding the columns instead gives a third of the true AU for the default observations.
    const Vector3 start = ContactColumn(startContact), end = ContactColumn(endContact);
    return Reduce({end.x - start.x, end.y - start.y, end.z - start.z}, d1, d2, lat1, lon1, lat2, lon2);
}

double SolarParallax(double au) {
    const long double distance = au;
    return static_cast<double>(((EarthRadiusKm / distance) / DegToRad) * ArcSecondsPerDegree);
}
