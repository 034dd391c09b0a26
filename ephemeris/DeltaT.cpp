// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Ephemeris.h"

#include <cmath>
#include <iterator>

#include "Units.h"

// Delta T = TT - UT1 as measured: the USNO's monthly values from 1973, before them the spline that
// Stephenson, Morrison and Hohenkerk fitted to the timed occultations and eclipses, and beyond the last
// measurement a bounded extrapolation into the long-term parabola.
namespace ephemeris {
namespace {

// USNO, Earth Orientation Department, deltat.data: TT - UT1 on the 1st of each month at 0h UT, from
// 1973 February 1, in units of 0.1 ms (43.4724 s is 434724).
constexpr int FirstMeasuredYear = 1973, FirstMeasuredMonth = 2;
constexpr long MeasuredTenthsOfMs[] = {
            434724, 435648, 436737, 437782, 438763, 439562, 440315, 441132, 441982, 442952, 443936,  // 1973
    444841, 445646, 446425, 447386, 448370, 449302, 449986, 450584, 451284, 452064, 452980, 453897,  // 1974
    454761, 455632, 456450, 457375, 458284, 459133, 459820, 460407, 461067, 461825, 462789, 463713,  // 1975
    464567, 465445, 466311, 467302, 468284, 469247, 469970, 470709, 471451, 472362, 473413, 474319,  // 1976
    475214, 476049, 476837, 477781, 478771, 479687, 480348, 480942, 481608, 482460, 483439, 484355,  // 1977
    485344, 486325, 487294, 488365, 489353, 490319, 491013, 491591, 492286, 493070, 494018, 494945,  // 1978
    495861, 496805, 497602, 498556, 499489, 500347, 501019, 501622, 502260, 502968, 503831, 504599,  // 1979
    505387, 506160, 506866, 507658, 508454, 509187, 509761, 510278, 510843, 511538, 512319, 513063,  // 1980
    513808, 514526, 515160, 515985, 516809, 517573, 518133, 518532, 519014, 519603, 520328, 520985,  // 1981
    521668, 522316, 522938, 523680, 524465, 525180, 525751, 526178, 526668, 527340, 528056, 528792,  // 1982
    529565, 530445, 531268, 532197, 533024, 533747, 534335, 534778, 535300, 535845, 536523, 537256,  // 1983
    537882, 538367, 538830, 539443, 540042, 540536, 540856, 541084, 541463, 541914, 542452, 542958,  // 1984
    543427, 543911, 544320, 544898, 545456, 545977, 546355, 546532, 546776, 547174, 547741, 548253,  // 1985
    548713, 549161, 549581, 549997, 550476, 550912, 551132, 551328, 551532, 551898, 552416, 552838,  // 1986
    553222, 553613, 554063, 554629, 555111, 555524, 555812, 556004, 556262, 556656, 557168, 557698,  // 1987
    558197, 558615, 559130, 559663, 560220, 560700, 560939, 561105, 561314, 561611, 562068, 562583,  // 1988
    563000, 563399, 563790, 564283, 564804, 565352, 565697, 565983, 566328, 566739, 567332, 567972,  // 1989
    568553, 569111, 569755, 570471, 571136, 571738, 572226, 572597, 573073, 573643, 574334, 575016,  // 1990
    575653, 576333, 576973, 577711, 578407, 579058, 579576, 579975, 580426, 581043, 581679, 582389,  // 1991
    583092, 583833, 584537, 585401, 586228, 586917, 587410, 587836, 588406, 588986, 589714, 590438,  // 1992
    591218, 592003, 592747, 593574, 594434, 595242, 595850, 596343, 596928, 597588, 598386, 599111,  // 1993
    599845, 600564, 601231, 602042, 602804, 603530, 604012, 604440, 604900, 605578, 606324, 607059,  // 1994
    607853, 608664, 609387, 610277, 611103, 611870, 612454, 612881, 613378, 614036, 614760, 615525,  // 1995
    616287, 616846, 617433, 618132, 618823, 619497, 619969, 620343, 620714, 621202, 621810, 622382,  // 1996
    622950, 623506, 623995, 624754, 625463, 626136, 626571, 626942, 627383, 627926, 628567, 629146,  // 1997
    629659, 630217, 630807, 631462, 632053, 632599, 632844, 632961, 633126, 633422, 633871, 634339,  // 1998
    634673, 634979, 635319, 635679, 636104, 636444, 636642, 636739, 636926, 637147, 637518, 637927,  // 1999
    638285, 638557, 638804, 639075, 639393, 639691, 639799, 639833, 639938, 640093, 640400, 640670,  // 2000
    640908, 641068, 641282, 641584, 641833, 642094, 642117, 642073, 642116, 642223, 642500, 642761,  // 2001
    642998, 643192, 643450, 643735, 643943, 644151, 644132, 644118, 644097, 644168, 644329, 644511,  // 2002
    644734, 644893, 645053, 645269, 645471, 645597, 645512, 645371, 645359, 645415, 645544, 645654,  // 2003
    645736, 645891, 646015, 646176, 646374, 646549, 646530, 646379, 646372, 646400, 646543, 646723,  // 2004
    646876, 647052, 647313, 647575, 647811, 648001, 647995, 647876, 647831, 647921, 648096, 648311,  // 2005
    648452, 648597, 648850, 649175, 649480, 649794, 649895, 650028, 650138, 650371, 650773, 651122,  // 2006
    651464, 651833, 652145, 652494, 652921, 653279, 653413, 653452, 653496, 653711, 653972, 654296,  // 2007
    654573, 654868, 655152, 655450, 655781, 656127, 656288, 656370, 656493, 656760, 657097, 657461,  // 2008
    657768, 658025, 658237, 658595, 658973, 659323, 659509, 659534, 659628, 659839, 660147, 660420,  // 2009
    660699, 660961, 661310, 661683, 662072, 662356, 662409, 662335, 662349, 662441, 662751, 663054,  // 2010
    663246, 663406, 663624, 663957, 664289, 664619, 664749, 664751, 664829, 665056, 665383, 665706,  // 2011
    666030, 666340, 666569, 666925, 667289, 667579, 667708, 667740, 667846, 668103, 668400, 668779,  // 2012
    669069, 669443, 669763, 670258, 670716, 671100, 671266, 671331, 671458, 671717, 672091, 672460,  // 2013
    672810, 673136, 673457, 673890, 674318, 674666, 674858, 674989, 675111, 675353, 675711, 676070,  // 2014
    676439, 676765, 677117, 677591, 678012, 678402, 678606, 678822, 679120, 679546, 680055, 680514,  // 2015
    681024, 681577, 682044, 682665, 683188, 683704, 683964, 684094, 684305, 684630, 685078, 685537,  // 2016
    685927, 686298, 686671, 687135, 687623, 688033, 688245, 688373, 688477, 688689, 689006, 689355,  // 2017
    689676, 689875, 690176, 690499, 690823, 691070, 691134, 691142, 691207, 691356, 691646, 691964,  // 2018
    692202, 692452, 692733, 693032, 693326, 693541, 693582, 693442, 693376, 693377, 693432, 693540,  // 2019
    693612, 693752, 693890, 694092, 694265, 694386, 694241, 693921, 693693, 693575, 693593, 693630,  // 2020
    693594, 693510, 693538, 693582, 693673, 693679, 693514, 693273, 693033, 692892, 692881, 692908,  // 2021
    692945, 692914, 692861, 692835, 692816, 692799, 692527, 692213, 691975, 691891, 691942, 692036,  // 2022
    692039, 691986, 691993, 692084, 692183, 692300, 692201, 691988, 691814, 691723, 691727, 691724,  // 2023
    691752, 691797, 691874, 691983, 692018, 692044, 691879, 691588, 691322, 691250, 691304, 691345,  // 2024
    691377, 691366, 691384, 691471, 691542, 691550, 691406, 691219, 690994, 690909, 690909, 691042,  // 2025
    691099, 691133, 691168, 691330, 691511, 691662, 691695, 691713, 691816, 692065,  // 2026
};
constexpr int MeasuredCount = static_cast<int>(std::size(MeasuredTenthsOfMs));

// Stephenson, Morrison & Hohenkerk 2016, Proc. R. Soc. A 472: 20160404, Table S15: the cubic spline of
// Delta T, -720.0 to 2016.0. Row i covers [knot i, knot i + 1] with t = (year - knot i) / (knot i + 1 - knot i)
// and Delta T = a0 + a1 t + a2 t^2 + a3 t^3 seconds.
constexpr double SplineKnots[] = {
    -720.0, 400.0,  1000.0, 1500.0, 1600.0, 1650.0, 1720.0, 1800.0, 1810.0, 1820.0, 1830.0, 1840.0, 1850.0, 1855.0,
    1860.0, 1865.0, 1870.0, 1875.0, 1880.0, 1885.0, 1890.0, 1895.0, 1900.0, 1905.0, 1910.0, 1915.0, 1920.0, 1925.0,
    1930.0, 1935.0, 1940.0, 1945.0, 1950.0, 1953.0, 1956.0, 1959.0, 1962.0, 1965.0, 1968.0, 1971.0, 1974.0, 1977.0,
    1980.0, 1983.0, 1986.0, 1989.0, 1992.0, 1995.0, 1998.0, 2001.0, 2004.0, 2007.0, 2010.0, 2013.0, 2016.0};
constexpr double SplineRows[][4] = {
    {20550.593, -21268.478, 11863.418, -4541.129}, {6604.404, -5981.266, -505.093, 1349.609},
    {1467.654, -2452.187, 2460.927, -1183.759},    {292.635, -216.322, -43.614, 56.681},
    {89.380, -66.754, 31.607, -10.497},            {43.736, -49.043, 0.227, 15.811},
    {10.730, -1.321, 62.250, -52.946},             {18.714, -4.457, -1.509, 2.507},
    {15.255, 0.046, 6.012, -4.634},                {16.679, -1.831, -7.889, 3.799},
    {10.758, -6.211, 3.509, -0.388},               {7.668, -0.357, 2.345, -0.338},
    {9.317, 1.659, 0.332, -0.932},                 {10.376, -0.472, -2.463, 1.596},
    {9.038, -0.610, 2.325, -2.497},                {8.256, -3.450, -5.166, 2.729},
    {2.369, -5.596, 3.020, -0.919},                {-1.126, -2.312, 0.264, -0.037},
    {-3.211, -1.894, 0.154, 0.562},                {-4.388, 0.101, 1.841, -1.438},
    {-3.884, -0.531, -2.473, 1.870},               {-5.017, 0.134, 3.138, -0.232},
    {-1.977, 5.715, 2.443, -1.257},                {4.923, 6.828, -1.329, 0.720},
    {11.142, 6.330, 0.831, -0.825},                {17.479, 5.518, -1.643, 0.262},
    {21.617, 3.020, -0.856, 0.008},                {23.789, 1.333, -0.831, 0.127},
    {24.418, 0.052, -0.449, 0.142},                {24.164, -0.419, -0.022, 0.702},
    {24.426, 1.645, 2.086, -1.106},                {27.050, 2.499, -1.232, 0.614},
    {28.932, 1.127, 0.220, -0.277},                {30.002, 0.737, -0.610, 0.631},
    {30.760, 1.409, 1.282, -0.799},                {32.652, 1.577, -1.115, 0.507},
    {33.621, 0.868, 0.406, 0.199},                 {35.093, 2.275, 1.002, -0.414},
    {37.956, 3.035, -0.242, 0.202},                {40.951, 3.157, 0.364, -0.229},
    {44.244, 3.198, -0.323, 0.172},                {47.291, 3.069, 0.193, -0.192},
    {50.361, 2.878, -0.384, 0.081},                {52.936, 2.354, -0.140, -0.166},
    {54.984, 1.577, -0.637, 0.448},                {56.373, 1.649, 0.709, -0.277},
    {58.453, 2.235, -0.122, 0.111},                {60.677, 2.324, 0.212, -0.315},
    {62.899, 1.804, -0.732, 0.112},                {64.082, 0.675, -0.396, 0.193},
    {64.555, 0.463, 0.184, -0.008},                {65.194, 0.809, 0.161, -0.101},
    {66.063, 0.828, -0.142, 0.168},                {66.917, 1.046, 0.360, -0.282}};
constexpr int SplineRowCount = static_cast<int>(std::size(SplineRows));
static_assert(std::size(SplineKnots) == std::size(SplineRows) + 1);

// The telescopic record, timed occultations of stars by the Moon, begins about 1620: before it the
// spline rests on eclipses seen with the naked eye.
constexpr long double TelescopicFromYear = 1620.0L;
// Past the last measurement Delta T leaves the last value flat and bends, by a cubic, into the long-term
// parabola, which it meets with the parabola's slope in 2150, where Espenak and Meeus join it too. From
// 69 s in 2026 to the parabola's 328 s in 2150 it climbs at most 2.8 s a year (about 2110), the rate of
// the parabola in 2260: bounded, never running away. The uncertainty grows from a second by 2035 to
// about a minute by 2150 (Espenak's Brownian model).
constexpr long double ParabolaFromYear = 2150.0L;

// Morrison and Stephenson (2004): the long-term parabola, and its slope in s per year.
long double LongTermSeconds(long double year) {
    const long double u = (year - 1820.0L) / 100.0L;
    return -20.0L + 32.0L * u * u;
}
long double LongTermSlope(long double year) { return 0.64L * (year - 1820.0L) / 100.0L; }

long double SplineSeconds(long double year) {
    int i = 0;
    while (i + 1 < SplineRowCount && SplineKnots[i + 1] <= year) ++i;
    const long double t = (year - SplineKnots[i]) / (SplineKnots[i + 1] - SplineKnots[i]);
    const double* a = SplineRows[i];
    return a[0] + t * (a[1] + t * (a[2] + t * static_cast<long double>(a[3])));
}

long double JdOfYear(long double year) { return kit::J2000Jd + (year - 2000.0L) * kit::DaysPerGregorianYear; }

// The JD at 0h UT of the 1st of the month index months after the first measurement.
long double MonthStartJd(int index) {
    const int months = FirstMeasuredMonth - 1 + index;
    return JulianDayAtMidnight(FirstMeasuredYear + months / 12, months % 12 + 1, 1);
}

long double MeasuredSeconds(int index) { return static_cast<long double>(MeasuredTenthsOfMs[index]) / 10000.0L; }

long double LastMeasuredYear() {
    return 2000.0L + (MonthStartJd(MeasuredCount - 1) - kit::J2000Jd) / kit::DaysPerGregorianYear;
}

// The measured Delta T at jd, linear between the months; jd within the table.
long double InterpolateMeasured(long double jd) {
    // A month lasts 28 to 31 days: step from the mean month's guess to the right one.
    int i = static_cast<int>((jd - MonthStartJd(0)) / (kit::DaysPerGregorianYear / 12.0L));
    if (i > MeasuredCount - 1) i = MeasuredCount - 1;
    while (i > 0 && MonthStartJd(i) > jd) --i;
    while (i + 1 < MeasuredCount && MonthStartJd(i + 1) <= jd) ++i;
    if (i + 1 >= MeasuredCount) return MeasuredSeconds(i);
    const long double start = MonthStartJd(i), f = (jd - start) / (MonthStartJd(i + 1) - start);
    return MeasuredSeconds(i) + f * (MeasuredSeconds(i + 1) - MeasuredSeconds(i));
}

}  // namespace

double DeltaTSeconds(double decimalYear) {
    const long double y = decimalYear, jd = JdOfYear(y);
    if (y < SplineKnots[0]) return static_cast<double>(LongTermSeconds(y));
    if (jd < MonthStartJd(0)) return static_cast<double>(SplineSeconds(y));
    const long double y0 = LastMeasuredYear();
    if (y <= y0) return static_cast<double>(InterpolateMeasured(jd));
    if (y >= ParabolaFromYear) return static_cast<double>(LongTermSeconds(y));
    // Cubic Hermite from (y0, the last value, slope 0) to (ParabolaFromYear, the parabola, its slope).
    const long double h = ParabolaFromYear - y0, t = (y - y0) / h;
    const long double v0 = MeasuredSeconds(MeasuredCount - 1), v1 = LongTermSeconds(ParabolaFromYear);
    const long double m1 = LongTermSlope(ParabolaFromYear) * h;
    return static_cast<double>((2 * t * t * t - 3 * t * t + 1) * v0 + (3 * t * t - 2 * t * t * t) * v1 +
                               (t * t * t - t * t) * m1);
}

DeltaTSource DeltaTSourceAt(double decimalYear) {
    if (decimalYear < TelescopicFromYear) return DeltaTSource::Reconstructed;
    return decimalYear <= LastMeasuredYear() ? DeltaTSource::Measured : DeltaTSource::Extrapolated;
}

}  // namespace ephemeris
