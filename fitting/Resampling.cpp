// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Resampling.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace fitting {

using namespace campaign;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// splitmix64's step: the golden ratio's fraction in 64 bits.
constexpr std::uint64_t Golden64 = 0x9E3779B97F4A7C15ull;
// Fewer observers than this get a jackknife, more a bootstrap.
constexpr int BootstrapObservers = 20;
constexpr int BootstrapChunk = 25;
// Above this many observers the bootstrap's spread is taken to first order about the full fit (the error is of
// the order of one over the number of observers, relative to the spread), with no runs; below it each run is
// drawn and solved exactly.
constexpr int ExactBootstrapObservers = 2000;

// The resampled units: the observers with a row in the fit.
struct Units {
    std::vector<int> unitOf;  // per row, -1 when not in the fit
    int count = 0;
};

// What the bootstrap's runs give: q of each run that could determine it, and how many could not; or, to
// first order, the spread of q they would have.
struct Draws {
    std::vector<double> qs;
    int failed = 0;
    double firstOrderSigma = NaN;
};

// The bootstrap's draws, one stream from the seed: each 64-bit number of NextRandom gives two, its high half
// first.
struct DrawStream {
    std::uint64_t state;
    std::uint64_t spare = 0;
    bool haveSpare = false;
};

// The next draw of 0..count-1: 32 random bits scaled, no division, and bias below 2^-32 * count.
Eigen::Index Draw(DrawStream& stream, std::uint64_t count) {
    std::uint64_t bits = 0;
    if (stream.haveSpare) {
        bits = stream.spare & 0xFFFFFFFFull;
    } else {
        stream.spare = NextRandom(stream.state);
        bits = stream.spare >> 32;
    }
    stream.haveSpare = !stream.haveSpare;
    return static_cast<Eigen::Index>((bits * count) >> 32);
}

// The bootstrap's spread of q to first order, with no draws: a run moves q from the full fit's by the sum of
// the influences of as many units as there are, drawn with replacement, so its variance is as many times the
// influences' own: the sum of their squares about their mean. Drawn runs would only estimate this, each
// thousand to some 2 %.
double FirstOrderSpread(const std::vector<double>& influence) {
    const double mean = std::accumulate(influence.begin(), influence.end(), 0.0) / static_cast<double>(influence.size());
    double sum = 0.0;
    for (const double s : influence) sum += (s - mean) * (s - mean);
    return std::sqrt(sum);
}

// Resamples whole observers with replacement. Each run is the weighted fit of the resampled rows; it is solved
// in the coordinates of the full fit's R factor, where the resample's cross-product matrix is close to the
// identity, so forming it squares no condition number. Cost: one pass over the rows, then per run the
// observers times the number of unknowns squared, done as one matrix product per chunk of runs; beyond
// ExactBootstrapObservers, the spread the runs would have to first order, with no runs.
Draws Bootstrap(const FitProblem& problem, const std::vector<double>& omega, const Solution& full, const Units& units,
                const ResamplingRun& run) {
    Draws result;
    std::vector<double>& qs = result.qs;
    int& failed = result.failed;
    const std::vector<int>& unitOf = units.unitOf;
    if (units.count > ExactBootstrapObservers && !problem.clockOffsets) {
        // Without clock offsets the design's q row is the lever about its category's mean over the lever's
        // norm there: the influences need no decomposition.
        const CategoryMeans means = MeansByCategory(problem, omega);
        std::vector<double> influence(static_cast<std::size_t>(units.count), 0.0);
        for (std::size_t i = 0; i < problem.rows.size(); ++i) {
            if (!(omega[i] > 0.0)) continue;
            const Row& row = problem.rows[i];
            influence[static_cast<std::size_t>(unitOf[i])] +=
                omega[i] * (row.g - means.lever[static_cast<std::size_t>(row.category)]) * full.residual[i] / means.leverNorm;
        }
        result.firstOrderSigma = FirstOrderSpread(influence);
        return result;
    }
    const System s = BuildSystem(problem, omega);
    const auto n = static_cast<Eigen::Index>(s.active.size());
    const Eigen::Index leverColumn = s.n.cols();
    // The decomposition works in place, in x; the design's columns are read from s.
    auto column = [&](Eigen::Index j) -> const Eigen::VectorXd { return j == leverColumn ? s.g : Eigen::VectorXd(s.n.col(j)); };
    Eigen::MatrixXd x(n, leverColumn + 1);
    x << s.n, s.g;
    const Eigen::ColPivHouseholderQR<Eigen::Ref<Eigen::MatrixXd>> qr(x);
    const Eigen::Index rank = qr.rank();
    const auto& order = qr.colsPermutation().indices();
    Eigen::Index leverAt = -1;
    for (Eigen::Index k = 0; k < rank; ++k) {
        if (order(k) == leverColumn) leverAt = k;
    }
    if (leverAt < 0) {
        failed = run.resamples;
        return result;
    }
    const Eigen::MatrixXd r = qr.matrixR().topLeftCorner(rank, rank).triangularView<Eigen::Upper>();
    const auto unitCount = static_cast<std::uint64_t>(units.count);
    DrawStream stream{run.seed};
    auto draw = [&]() { return Draw(stream, unitCount); };
    if (units.count > ExactBootstrapObservers) {
        // First order in the resample's departure from the full fit: a run moves q by the sum of its drawn
        // observers' influences s_j = sum over their rows of (x_i R^-1 R^-T e_q) e_i.
        Eigen::VectorXd unit = Eigen::VectorXd::Zero(rank);
        unit(leverAt) = 1.0;
        const Eigen::VectorXd u = r.transpose().triangularView<Eigen::Lower>().solve(unit);
        const Eigen::VectorXd v = r.triangularView<Eigen::Upper>().solve(u);
        Eigen::VectorXd along = Eigen::VectorXd::Zero(n);
        for (Eigen::Index k = 0; k < rank; ++k) along += v(k) * column(order(k));
        std::vector<double> influence(static_cast<std::size_t>(units.count), 0.0);
        for (Eigen::Index i = 0; i < n; ++i) {
            influence[static_cast<std::size_t>(unitOf[s.active[static_cast<std::size_t>(i)]])] +=
                along(i) * full.weightedResidual(i);
        }
        result.firstOrderSigma = FirstOrderSpread(influence);
        return result;
    }
    Eigen::MatrixXd selected(n, rank);
    for (Eigen::Index k = 0; k < rank; ++k) selected.col(k) = column(order(k));
    // a = selected R^-1, row by row: the full fit's design made orthonormal.
    const Eigen::MatrixXd a = r.transpose().triangularView<Eigen::Lower>().solve(selected.transpose()).transpose();
    const Eigen::Index pairs = rank * (rank + 1) / 2;
    Eigen::MatrixXd stats = Eigen::MatrixXd::Zero(units.count, pairs + rank);
    for (Eigen::Index i = 0; i < n; ++i) {
        const int unit = unitOf[s.active[static_cast<std::size_t>(i)]];
        Eigen::Index at = 0;
        for (Eigen::Index p = 0; p < rank; ++p) {
            for (Eigen::Index c = p; c < rank; ++c) stats(unit, at++) += a(i, p) * a(i, c);
        }
        for (Eigen::Index p = 0; p < rank; ++p) stats(unit, pairs + p) += a(i, p) * full.weightedResidual(i);
    }
    for (int done = 0; done < run.resamples; done += BootstrapChunk) {
        const int chunk = std::min(BootstrapChunk, run.resamples - done);
        Eigen::MatrixXd counts = Eigen::MatrixXd::Zero(units.count, chunk);
        for (int b = 0; b < chunk; ++b) {
            for (int k = 0; k < units.count; ++k) counts(draw(), b) += 1.0;
        }
        const Eigen::MatrixXd sums = stats.transpose() * counts;
        for (int b = 0; b < chunk; ++b) {
            Eigen::MatrixXd gram(rank, rank);
            Eigen::Index at = 0;
            for (Eigen::Index p = 0; p < rank; ++p) {
                for (Eigen::Index c = p; c < rank; ++c) gram(p, c) = gram(c, p) = sums(at++, b);
            }
            const Eigen::VectorXd h = sums.col(b).tail(rank);
            const Eigen::ColPivHouseholderQR<Eigen::MatrixXd> small(gram);
            if (small.rank() < rank) {
                ++failed;
                continue;
            }
            const Eigen::VectorXd z = small.solve(h);
            const Eigen::VectorXd shift = r.triangularView<Eigen::Upper>().solve(z);
            qs.push_back(full.q + shift(leverAt));
        }
    }
    return result;
}

// The AU without each observer in turn, and the spread of q that follows from them.
void Jackknife(const FitProblem& problem, const std::vector<double>& omega, const Units& units,
               const std::vector<int>& unitObserver, FitResult& result) {
    const std::vector<Row>& rows = problem.rows;
    result.resampling = {};
    result.resampling.method = "jackknife";
    result.resampling.runs = units.count;
    std::vector<double> qs;
    for (int u = 0; u < units.count; ++u) {
        std::vector<double> without = omega;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (units.unitOf[i] == u) without[i] = 0.0;
        }
        const Solution s = Solve(problem, without);
        result.resampling.withoutObserver.emplace_back(unitObserver[static_cast<std::size_t>(u)], s.determined ? AuOf(s.q) : NaN);
        if (s.determined) qs.push_back(s.q);
        else ++result.resampling.failed;
    }
    if (result.resampling.failed == 0) {
        const double mean = std::accumulate(qs.begin(), qs.end(), 0.0) / units.count;
        double sum = 0.0;
        for (const double q : qs) sum += (q - mean) * (q - mean);
        result.qSigmaResampled = std::sqrt(sum * (units.count - 1) / units.count);
    }
}

double StandardDeviation(const std::vector<double>& values) {
    if (values.size() < 2) return NaN;
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
    double sum = 0.0;
    for (const double v : values) sum += (v - mean) * (v - mean);
    return std::sqrt(sum / static_cast<double>(values.size() - 1));
}

}  // namespace

std::uint64_t NextRandom(std::uint64_t& state) {
    std::uint64_t z = (state += Golden64);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void Resample(const FitProblem& problem, const std::vector<double>& omega, const Solution& solution,
              const ResamplingRun& run, FitResult& result) {
    const std::vector<Row>& rows = problem.rows;
    Units units;
    std::vector<int>& unitOf = units.unitOf;
    unitOf.assign(rows.size(), -1);
    std::vector<int> unitObserver, unitIndex(static_cast<std::size_t>(problem.observers), -1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!(omega[i] > 0.0)) continue;
        int& unit = unitIndex[static_cast<std::size_t>(rows[i].observer)];
        if (unit < 0) {
            unit = static_cast<int>(unitObserver.size());
            unitObserver.push_back(rows[i].observer);
        }
        unitOf[i] = unit;
    }
    units.count = static_cast<int>(unitObserver.size());
    result.qSigmaResampled = NaN;
    if (units.count >= BootstrapObservers) {
        const Draws draws = Bootstrap(problem, omega, solution, units, run);
        if (!std::isnan(draws.firstOrderSigma)) {
            result.resampling.method = "first-order bootstrap";
            result.qSigmaResampled = draws.firstOrderSigma;
            return;
        }
        result.resampling.failed = draws.failed;
        result.resampling.method = "bootstrap";
        result.resampling.runs = run.resamples;
        // Resamples that lack every timing of a contact cannot determine the AU; the rest still measure its
        // spread. Only when many fail do a few observers carry the AU, and the jackknife says which.
        if (draws.failed * 10 <= run.resamples) {
            result.qSigmaResampled = StandardDeviation(draws.qs);
            return;
        }
    }
    // Each observer left out is a fit of its own: beyond a few hundred the jackknife costs more than it tells.
    constexpr int MostJackknifeObservers = 200;
    if (units.count >= 2 && units.count <= MostJackknifeObservers) Jackknife(problem, omega, units, unitObserver, result);
}


}  // namespace fitting
