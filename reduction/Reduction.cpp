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

struct Triple {
    long double x, y, z;
};

Triple Column(int contact) {
    const int at = contact - FirstContact;
    return {ContactCoefficients[0][at], ContactCoefficients[1][at], ContactCoefficients[2][at]};
}

bool IsContact(int contact, int lowest, int highest) { return contact >= lowest && contact <= highest; }

// The AU from a coefficient triple: the site vectors' difference dotted with it, scaled by R over the time difference.
double Reduce(const Triple& c, double t1, double t2, double lat1, double lon1, double lat2, double lon2) {
    const long double phi1 = lat1, lambda1 = lon1, phi2 = lat2, lambda2 = lon2;
    const long double dx = std::cos(phi2) * std::cos(lambda2) - std::cos(phi1) * std::cos(lambda1);
    const long double dy = std::cos(phi2) * std::sin(lambda2) - std::cos(phi1) * std::sin(lambda1);
    const long double dz = std::sin(phi2) - std::sin(phi1);
    // x and y first, then z: the last printed digit depends on this order.
    const long double s = (dx * c.x + dy * c.y) + dz * c.z;
    const long double time1 = t1, time2 = t2;
    const long double f = (EarthRadiusKm / (time2 - time1)) / RateDivisor;
    return static_cast<double>(s * f);
}

}  // namespace

double ReduceContactTime(int contact, double t1, double t2, double lat1, double lon1, double lat2, double lon2) {
    if (!IsContact(contact, FirstContact, LastContact)) return std::numeric_limits<double>::quiet_NaN();
    return Reduce(Column(contact), t1, t2, lat1, lon1, lat2, lon2);
}

double ReduceDuration(int startContact, int endContact, double d1, double d2, double lat1, double lon1,
                      double lat2, double lon2) {
    if (!IsContact(startContact, 1, 2) || !IsContact(endContact, 3, 4)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    // A duration is the end time minus the start time, so its site-dependent part is (C_end - C_start) . v.
    // Adding the columns instead gives a third of the true AU for the default observations.
    const Triple start = Column(startContact), end = Column(endContact);
    return Reduce({end.x - start.x, end.y - start.y, end.z - start.z}, d1, d2, lat1, lon1, lat2, lon2);
}

double SolarParallax(double au) {
    const long double distance = au;
    return static_cast<double>(((EarthRadiusKm / distance) / DegToRad) * ArcSecondsPerDegree);
}
