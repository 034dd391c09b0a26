// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <vector>

#include "WeightedFit.h"

namespace fitting {

// Huber's and Tukey's tuning constants (95 % efficiency at the normal), and the MAD's normal consistency.
inline constexpr double HuberC = 1.345;
inline constexpr double TukeyC = 4.685;
inline constexpr double MadToSigma = 1.4826;

// The median (the upper one of an even count); NaN for none.
double Median(std::vector<double> values);

// Huber's weight of a standardised residual z: 1 within HuberC, falling as 1/|z| beyond.
double HuberWeight(double z);

// Tukey's biweight of z: (1 - (z/TukeyC)^2)^2 within TukeyC, 0 beyond.
double TukeyWeight(double z);

// The robust scale of the standardised residuals of the rows with omega > 0: the MAD, at least 0.05.
double MadScale(const FitProblem& problem, const std::vector<double>& omega, const Solution& solution);

// Rejects outliers: a Huber fit, then Tukey's biweight from it; the rows it weighs 0 are rejected and the rest
// fitted plainly. omega (the weights) and solution are replaced by those of the timings kept, unless the fit of
// those cannot determine the AU; then nothing is rejected. rejected is parallel to the rows.
void RejectOutliers(const FitProblem& problem, std::vector<double>& omega, Solution& solution, double& scale,
                    std::vector<char>& rejected);

}  // namespace fitting
