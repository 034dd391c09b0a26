// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

inline constexpr long double DegToRad = 0.017453292519943295769L;  // pi/180, all 64 mantissa bits
inline constexpr long double EarthRadiusKm = 6364.0L;
inline constexpr long double RateDivisor = 0.398L;
inline constexpr long double ArcSecondsPerDegree = 3600.0L;

// Lowest and highest contact of the planet's disc with the Sun's limb: 1, 2 at the start of the transit, 3, 4 at its end.
inline constexpr int FirstContact = 1;
inline constexpr int LastContact = 4;

// A point in the Earth-fixed frame of the coefficient table: x to (0 N, 0 E), y to (0 N, 90 W), z to the north pole.
struct Vector3 {
    long double x, y, z;
};

// Unit vector of a site; latitude north positive, longitude west positive, radians, computed in long double.
Vector3 SiteVector(double latitude, double longitude);

// Coefficient column of contact 1..4 in the table's units (multiply by EarthRadiusKm / (RateDivisor * AU in km)
// for seconds). A contact outside 1..4 gives NaN components.
Vector3 ContactColumn(int contact);

// AU in km from contact 1..4 timed at two sites; t in s, angles in rad (west positive).
// Unchecked: t1 == t2 divides by zero. A contact outside 1..4 gives NaN.
double ReduceContactTime(int contact, double t1, double t2, double lat1, double lon1, double lat2, double lon2);

// AU in km from the durations d1, d2 in s between startContact 1..2 and endContact 3..4 at two sites.
// The coefficient is the end contact's column minus the start contact's: a duration is end time minus start time.
// Unchecked: d1 == d2 divides by zero. Contacts outside their ranges give NaN.
double ReduceDuration(int startContact, int endContact, double d1, double d2, double lat1, double lon1,
                      double lat2, double lon2);

// Solar parallax in seconds of arc from the AU in km. Unchecked: an AU of 0 divides by zero.
double SolarParallax(double au);
