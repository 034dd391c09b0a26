// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <Eigen/Core>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "Campaign.h"

namespace fitting {

// Every timing carries at least the reaction and seeing error of a visual contact: its weight is
// 1 / (sigma^2 + FloorSigmaS^2).
inline constexpr double FloorSigmaS = 5.0;

// One timing as the fit sees it: row i is timing i of the campaign. 32 bytes, the widest fields first.
struct Row {
    double y;            // seconds; clock times folded to within half a day of their contact's median
    double g;            // site lever A . v
    double w;            // 1 / (sigma^2 + floor^2)
    int observer;
    std::int16_t category;  // per transit, contact 1..4 at 4 transit + 0..3; durations after all of them
    bool clock;
};

// What the weighted fit solves: every timing a row, a reference per category, a clock offset per observer
// with two or more clock times when clockOffsets is set, and the scale q.
struct FitProblem {
    std::vector<Row> rows;
    int categories = 0;
    int observers = 0;
    bool clockOffsets = false;
    double fixedQ = std::numeric_limits<double>::quiet_NaN();  // finite: q is given, not fitted
    double resolutionS = 0.0;     // how well the model's times are known (the exact model's: 1e-4 s): a q
                                  // they cannot tell from 0 is 0
};

struct Solution {
    bool determined = false;
    double q = std::numeric_limits<double>::quiet_NaN();
    double inverseLeverNorm = std::numeric_limits<double>::quiet_NaN();  // 1 / |g off the nuisance|^2: q's variance per unit scatter
    double rss = std::numeric_limits<double>::quiet_NaN();
    long rank = 0, active = 0;
    std::vector<double> reference;         // per category, NaN where it has no active row
    std::vector<double> offset;            // per observer, 0 without one
    std::vector<char> hasOffset;
    std::vector<double> residual;          // per row, s
    Eigen::VectorXd weightedResidual;      // per active row, in the system's scaling
};

// The weighted linear system of the active rows: nuisance columns n (references, with clock offsets taken out
// by demeaning within each observer), the lever g and the times y, all scaled by sqrt(weight).
struct System {
    std::vector<std::size_t> active;   // rows in the system
    std::vector<int> columnOf;         // per category, -1 when it has no active row
    std::vector<char> hasOffset;       // per observer
    long offsets = 0;
    Eigen::MatrixXd n;
    Eigen::VectorXd g, y;
};

// What a fit is given beyond the campaign, the Sun's altitude at each timing, and what it leaves for the
// diagnoses: its problem, the weights of its last solution, that solution, the robust scale of its residuals,
// and per row whether the robust fit rejected it.
struct FitState {
    std::vector<float> sunAltitude;  // in: per timing, as SunAltitudes gives (empty: not known); below the horizon weighs 0
    FitProblem problem;
    std::vector<double> omega;
    Solution solution;
    double scale = 0.0;
    std::vector<char> rejected;
};

// The weighted means of the lever and the times of each category's active rows, and the sums that the fit of
// q takes about them. Without clock offsets the nuisance columns are the categories' indicators, and taking
// them out is taking out these means: q = cross / leverNorm. Summed in blocks of fixed size, in order, so that
// every machine, whatever its threads, gets the same digits.
struct CategoryMeans {
    std::vector<double> weight, lever, time;  // per category: the sum of omega, the means of g and y (NaN without a row)
    std::vector<long> rows;                   // per category, its active rows
    long active = 0;
    double weightSum = 0.0;
    double leverNorm = 0.0;   // sum of omega (g - mean g)^2
    double cross = 0.0;       // sum of omega (g - mean g)(y - mean y)
    double leverSquares = 0.0, timeSquares = 0.0;  // sums of omega g^2 and omega y^2
};

CategoryMeans MeansByCategory(const FitProblem& problem, const std::vector<double>& omega);

// Index of a clock time's contact among the contacts of every transit reduced: 4 transit + contact - 1.
inline std::size_t ContactIndex(const campaign::Timing& t) { return static_cast<std::size_t>(4 * t.transit + t.start - 1); }

// The system of the rows with omega > 0 (omega parallel to the rows).
System BuildSystem(const FitProblem& problem, const std::vector<double>& omega);

// Weighted least squares for the rows with omega > 0. q comes from the lever and times projected off the
// nuisance space (a pivoted QR), so references and offsets that the data cannot separate do no harm; not
// determined when nothing of the lever is left after that projection. A fixed q is taken as it is (its
// inverse lever norm 0) and only the references and offsets are fitted.
Solution Solve(const FitProblem& problem, const std::vector<double>& omega);

// seconds moved by whole days to within half a day of around.
double Fold(double seconds, double around);

// Residual of a row against any category and lever, folded to within half a day for clock times.
double ResidualFor(const Solution& solution, const Row& row, int category, double lever);

}  // namespace fitting
