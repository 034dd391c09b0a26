// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Fit.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <limits>
#include <numeric>
#include <span>

#include "Reduction.h"
#include "Text.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double DaySeconds = 86400.0;
// Every timing carries at least the reaction and seeing error of a visual contact.
constexpr double FloorSigmaS = 5.0;
// Huber's and Tukey's tuning constants (95 % efficiency at the normal), and the MAD's normal consistency.
constexpr double HuberC = 1.345;
constexpr double TukeyC = 4.685;
constexpr double MadToSigma = 1.4826;
// Below this scale the MAD only measures rounding: timings are read to a fraction of a second.
constexpr double ScaleFloor = 0.05;
// Fewer observers than this get a jackknife, more a bootstrap.
constexpr int BootstrapObservers = 20;
constexpr int BootstrapChunk = 25;
// Above this many observers each bootstrap run is solved to first order (the error is of the order of one
// over the number of observers, relative to the spread); below it exactly.
constexpr int ExactBootstrapObservers = 2000;

struct Row {
    std::size_t timing;  // index into the campaign's timings
    int category;        // contact 1..4 at 0..3, durations after them
    int observer;
    bool clock;
    double y;            // seconds; clock times folded to within half a day of their contact's median
    double g;            // site lever A . v
    double w;            // 1 / (sigma^2 + floor^2)
};

// The weighted linear system of the active rows: nuisance columns N (references, with clock offsets taken out
// by demeaning within each observer), the lever g and the times y, all scaled by sqrt(weight).
struct System {
    std::vector<std::size_t> active;   // rows in the system
    std::vector<int> columnOf;         // per category, -1 when it has no active row
    std::vector<char> hasOffset;       // per observer
    long offsets = 0;
    Eigen::MatrixXd n;
    Eigen::VectorXd g, y;
};

struct Solution {
    bool determined = false;
    double q = NaN;
    double inverseLeverNorm = NaN;     // 1 / |g projected off the nuisance|^2: q's variance per unit scatter
    double rss = NaN;
    long rank = 0, active = 0;
    std::vector<double> reference;     // per category
    std::vector<double> offset;        // per observer, 0 without one
    std::vector<char> hasOffset;
    std::vector<double> residual;      // per row, s
    Eigen::VectorXd weightedResidual;  // per active row, in the system's scaling
};

System BuildSystem(const std::vector<Row>& rows, const std::vector<double>& omega, int categories, int observers,
                   bool clockOffsets) {
    System s;
    s.columnOf.assign(static_cast<std::size_t>(categories), -1);
    s.hasOffset.assign(static_cast<std::size_t>(observers), 0);
    std::vector<int> clockCount(static_cast<std::size_t>(observers), 0);
    int columns = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!(omega[i] > 0.0)) continue;
        s.active.push_back(i);
        int& column = s.columnOf[static_cast<std::size_t>(rows[i].category)];
        if (column < 0) column = columns++;
        if (rows[i].clock) ++clockCount[static_cast<std::size_t>(rows[i].observer)];
    }
    for (std::size_t j = 0; j < clockCount.size(); ++j) {
        s.hasOffset[j] = clockOffsets && clockCount[j] >= 2;
        s.offsets += s.hasOffset[j];
    }
    const auto n = static_cast<Eigen::Index>(s.active.size());
    s.n = Eigen::MatrixXd::Zero(n, columns);
    s.g.resize(n);
    s.y.resize(n);
    Eigen::VectorXd root(n);
    for (Eigen::Index r = 0; r < n; ++r) {
        const std::size_t i = s.active[static_cast<std::size_t>(r)];
        const Row& row = rows[i];
        s.n(r, s.columnOf[static_cast<std::size_t>(row.category)]) = 1.0;
        s.g(r) = row.g;
        s.y(r) = row.y;
        root(r) = std::sqrt(omega[i]);
    }
    if (s.offsets > 0) {
        // A free offset per clock takes out that observer's weighted mean: only its differences remain.
        const auto width = static_cast<Eigen::Index>(columns) + 2;
        Eigen::MatrixXd sums = Eigen::MatrixXd::Zero(width, observers);
        Eigen::VectorXd weights = Eigen::VectorXd::Zero(observers);
        std::vector<int> group(static_cast<std::size_t>(n), -1);
        for (Eigen::Index r = 0; r < n; ++r) {
            const Row& row = rows[s.active[static_cast<std::size_t>(r)]];
            if (!row.clock || !s.hasOffset[static_cast<std::size_t>(row.observer)]) continue;
            const double w = root(r) * root(r);
            group[static_cast<std::size_t>(r)] = row.observer;
            weights(row.observer) += w;
            sums(s.columnOf[static_cast<std::size_t>(row.category)], row.observer) += w;
            sums(columns, row.observer) += w * s.g(r);
            sums(columns + 1, row.observer) += w * s.y(r);
        }
        for (Eigen::Index c = 0; c < columns; ++c) {
            for (Eigen::Index r = 0; r < n; ++r) {
                const int j = group[static_cast<std::size_t>(r)];
                if (j >= 0) s.n(r, c) -= sums(c, j) / weights(j);
            }
        }
        for (Eigen::Index r = 0; r < n; ++r) {
            const int j = group[static_cast<std::size_t>(r)];
            if (j < 0) continue;
            s.g(r) -= sums(columns, j) / weights(j);
            s.y(r) -= sums(columns + 1, j) / weights(j);
        }
    }
    s.n = root.asDiagonal() * s.n;
    s.g.array() *= root.array();
    s.y.array() *= root.array();
    return s;
}

// The basic least-squares solution, zero in the columns the matrix cannot determine. Eigen counts the pivot of
// an all-zero matrix (one clock's offset taking out its only contact) as non-zero and divides by it.
Eigen::VectorXd SolveBasic(const Eigen::ColPivHouseholderQR<Eigen::Ref<Eigen::MatrixXd>>& qr, const Eigen::VectorXd& b) {
    if (!(qr.maxPivot() > 0.0)) return Eigen::VectorXd::Zero(qr.cols());
    return qr.solve(b);
}

// Weighted least squares for the rows with omega > 0. q comes from the lever and times projected off the
// nuisance space (a rank-revealing QR), so references and offsets that the data cannot separate do no harm.
Solution Solve(const std::vector<Row>& rows, const std::vector<double>& omega, int categories, int observers,
               bool clockOffsets) {
    Solution solution;
    System s = BuildSystem(rows, omega, categories, observers, clockOffsets);
    solution.active = static_cast<long>(s.active.size());
    solution.hasOffset = s.hasOffset;
    solution.reference.assign(static_cast<std::size_t>(categories), NaN);
    solution.offset.assign(static_cast<std::size_t>(observers), 0.0);
    solution.residual.assign(rows.size(), NaN);
    if (s.active.empty()) return solution;
    // In place: the nuisance columns are needed no more once decomposed. A vector's residual is its image
    // under Q with the first rank coordinates taken out.
    const Eigen::ColPivHouseholderQR<Eigen::Ref<Eigen::MatrixXd>> qr(s.n);
    auto residualOf = [&](const Eigen::VectorXd& v) {
        Eigen::VectorXd w = v;
        w.applyOnTheLeft(qr.householderQ().setLength(qr.nonzeroPivots()).adjoint());
        w.head(qr.rank()).setZero();
        w.applyOnTheLeft(qr.householderQ().setLength(qr.nonzeroPivots()));
        return w;
    };
    const Eigen::VectorXd rg = residualOf(s.g);
    const Eigen::VectorXd ry = residualOf(s.y);
    const double leverNorm = rg.squaredNorm();
    // What is left of the lever after the references are taken out must stand clear of rounding.
    if (!(leverNorm > 1e-20 * s.g.squaredNorm()) || !(leverNorm > 0.0)) return solution;
    solution.determined = true;
    solution.q = rg.dot(ry) / leverNorm;
    // Times that agree exactly give q = 0 only up to the rounding of the projection: below what it can resolve,
    // q is 0, and the AU is not a huge number but none.
    if (std::fabs(solution.q) <= 64.0 * std::numeric_limits<double>::epsilon() * s.y.norm() / std::sqrt(leverNorm)) {
        solution.q = 0.0;
    }
    solution.inverseLeverNorm = 1.0 / leverNorm;
    solution.weightedResidual = ry - solution.q * rg;
    solution.rss = solution.weightedResidual.squaredNorm();
    // An all-zero nuisance matrix has rank 0, whatever the decomposition's count says.
    solution.rank = (qr.maxPivot() > 0.0 ? static_cast<long>(qr.rank()) : 0L) + 1 + s.offsets;
    const Eigen::VectorXd beta = SolveBasic(qr, s.y - solution.q * s.g);
    for (std::size_t c = 0; c < s.columnOf.size(); ++c) {
        if (s.columnOf[c] >= 0) solution.reference[c] = beta(s.columnOf[c]);
    }
    if (s.offsets > 0) {
        std::vector<double> sum(static_cast<std::size_t>(observers), 0.0), weight(static_cast<std::size_t>(observers), 0.0);
        bool anchored = false;  // a clock time without an offset of its own fixes the references
        for (const std::size_t i : s.active) {
            const Row& row = rows[i];
            if (!row.clock) continue;
            const auto j = static_cast<std::size_t>(row.observer);
            if (!s.hasOffset[j]) {
                anchored = true;
                continue;
            }
            sum[j] += omega[i] * (row.y - solution.reference[static_cast<std::size_t>(row.category)] - solution.q * row.g);
            weight[j] += omega[i];
        }
        int first = -1;
        for (std::size_t j = 0; j < sum.size(); ++j) {
            if (!s.hasOffset[j]) continue;
            solution.offset[j] = sum[j] / weight[j];
            if (first < 0) first = static_cast<int>(j);
        }
        if (!anchored && first >= 0) {
            // Only differences between clocks are measured: the first observer's clock is taken as right.
            const double shift = solution.offset[static_cast<std::size_t>(first)];
            for (std::size_t j = 0; j < sum.size(); ++j) {
                if (s.hasOffset[j]) solution.offset[j] -= shift;
            }
            for (std::size_t c = 0; c < 4; ++c) {
                if (s.columnOf[c] >= 0) solution.reference[c] += shift;
            }
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const auto j = static_cast<std::size_t>(row.observer);
        const double offset = row.clock && solution.hasOffset[j] ? solution.offset[j] : 0.0;
        solution.residual[i] = row.y - solution.reference[static_cast<std::size_t>(row.category)] - solution.q * row.g - offset;
    }
    return solution;
}

double Median(std::vector<double> values) {
    if (values.empty()) return NaN;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The robust scale of the standardised residuals of the active rows.
double MadScale(const std::vector<Row>& rows, const std::vector<double>& omega, const Solution& solution) {
    std::vector<double> z;
    z.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (omega[i] > 0.0) z.push_back(std::fabs(solution.residual[i]) * std::sqrt(rows[i].w));
    }
    return std::max(ScaleFloor, MadToSigma * Median(std::move(z)));
}

// Iteratively reweighted least squares with a weight function of the standardised residual; the scale is
// re-estimated at each step when rescale is set.
Solution Reweight(const std::vector<Row>& rows, std::vector<double>& robust, Solution solution, double& scale,
                  bool rescale, double (*weightOf)(double), double tolerance, int categories, int observers,
                  bool clockOffsets) {
    for (int iteration = 0; iteration < 50; ++iteration) {
        std::vector<double> omega(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            robust[i] = weightOf(solution.residual[i] * std::sqrt(rows[i].w) / scale);
            omega[i] = rows[i].w * robust[i];
        }
        const Solution next = Solve(rows, omega, categories, observers, clockOffsets);
        if (!next.determined) break;
        // Settled when q moves by less than the tolerance, relative to q or to its own standard error: a
        // timing at the biweight's edge can keep nudging q in the last digits without end.
        const double dof = static_cast<double>(std::max(1L, next.active - next.rank));
        const double standardError = std::sqrt(next.rss / dof * next.inverseLeverNorm);
        const bool settled = std::fabs(next.q - solution.q) <= tolerance * std::max(std::fabs(solution.q), standardError * 1e6);
        solution = next;
        if (rescale) scale = MadScale(rows, omega, solution);
        if (settled) break;
    }
    return solution;
}

double HuberWeight(double z) { return std::fabs(z) <= HuberC ? 1.0 : HuberC / std::fabs(z); }

double TukeyWeight(double z) {
    if (!(std::fabs(z) < TukeyC)) return 0.0;
    const double u = z / TukeyC;
    return (1.0 - u * u) * (1.0 - u * u);
}

// splitmix64: small, fast and the same on every platform, so a seed repeats a run exactly.
std::uint64_t NextRandom(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Resamples whole observers with replacement. Each run is the weighted fit of the resampled rows; it is solved
// in the coordinates of the full fit's R factor, where the resample's cross-product matrix is close to the
// identity, so forming it squares no condition number. Cost: one pass over the rows, then per run the
// observers times the number of unknowns squared, done as one matrix product per chunk of runs; beyond
// ExactBootstrapObservers, per run the observers only.
void Bootstrap(const std::vector<Row>& rows, const std::vector<double>& omega, const Solution& full,
               const std::vector<int>& unitOf, int units, int categories, int observers, const FitOptions& options,
               std::vector<double>& qs, int& failed) {
    const System s = BuildSystem(rows, omega, categories, observers, options.clockOffsets);
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
        failed = options.resamples;
        return;
    }
    const Eigen::MatrixXd r = qr.matrixR().topLeftCorner(rank, rank).triangularView<Eigen::Upper>();
    std::uint64_t state = options.seed;
    const auto unitCount = static_cast<std::uint64_t>(units);
    // 32 random bits scaled to 0..units-1: no division, and bias below 2^-32 * units.
    // Each 64-bit number gives two draws, one from each half.
    std::uint64_t spare = 0;
    bool haveSpare = false;
    auto draw = [&]() {
        std::uint64_t bits = 0;
        if (haveSpare) {
            bits = spare & 0xFFFFFFFFull;
        } else {
            spare = NextRandom(state);
            bits = spare >> 32;
        }
        haveSpare = !haveSpare;
        return static_cast<Eigen::Index>((bits * unitCount) >> 32);
    };
    if (units > ExactBootstrapObservers) {
        // First order in the resample's departure from the full fit: a run moves q by the sum of its drawn
        // observers' influences s_j = sum over their rows of (x_i R^-1 R^-T e_q) e_i.
        Eigen::VectorXd unit = Eigen::VectorXd::Zero(rank);
        unit(leverAt) = 1.0;
        const Eigen::VectorXd u = r.transpose().triangularView<Eigen::Lower>().solve(unit);
        const Eigen::VectorXd v = r.triangularView<Eigen::Upper>().solve(u);
        Eigen::VectorXd along = Eigen::VectorXd::Zero(n);
        for (Eigen::Index k = 0; k < rank; ++k) along += v(k) * column(order(k));
        std::vector<double> influence(static_cast<std::size_t>(units), 0.0);
        for (Eigen::Index i = 0; i < n; ++i) {
            influence[static_cast<std::size_t>(unitOf[s.active[static_cast<std::size_t>(i)]])] += along(i) * full.weightedResidual(i);
        }
        for (int b = 0; b < options.resamples; ++b) {
            // Four sums, so that the additions need not wait for each other.
            double shift[4] = {0.0, 0.0, 0.0, 0.0};
            for (int k = 0; k < units; ++k) shift[k & 3] += influence[static_cast<std::size_t>(draw())];
            qs.push_back(full.q + ((shift[0] + shift[1]) + (shift[2] + shift[3])));
        }
        return;
    }
    Eigen::MatrixXd selected(n, rank);
    for (Eigen::Index k = 0; k < rank; ++k) selected.col(k) = column(order(k));
    // a = selected R^-1, row by row: the full fit's design made orthonormal.
    const Eigen::MatrixXd a = r.transpose().triangularView<Eigen::Lower>().solve(selected.transpose()).transpose();
    const Eigen::Index pairs = rank * (rank + 1) / 2;
    Eigen::MatrixXd stats = Eigen::MatrixXd::Zero(units, pairs + rank);
    for (Eigen::Index i = 0; i < n; ++i) {
        const int unit = unitOf[s.active[static_cast<std::size_t>(i)]];
        Eigen::Index at = 0;
        for (Eigen::Index p = 0; p < rank; ++p) {
            for (Eigen::Index c = p; c < rank; ++c) stats(unit, at++) += a(i, p) * a(i, c);
        }
        for (Eigen::Index p = 0; p < rank; ++p) stats(unit, pairs + p) += a(i, p) * full.weightedResidual(i);
    }
    for (int done = 0; done < options.resamples; done += BootstrapChunk) {
        const int chunk = std::min(BootstrapChunk, options.resamples - done);
        Eigen::MatrixXd counts = Eigen::MatrixXd::Zero(units, chunk);
        for (int b = 0; b < chunk; ++b) {
            for (int k = 0; k < units; ++k) counts(draw(), b) += 1.0;
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
}

double StandardDeviation(const std::vector<double>& values) {
    if (values.size() < 2) return NaN;
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
    double sum = 0.0;
    for (const double v : values) sum += (v - mean) * (v - mean);
    return std::sqrt(sum / static_cast<double>(values.size() - 1));
}

// The AU for scale q; NaN for q = 0, where timings that agree exactly say the AU is beyond any distance.
double AuOf(double q) { return q != 0.0 ? ReferenceAuKm / q : NaN; }

// seconds moved by whole days to within half a day of around.
double Fold(double seconds, double around) { return seconds + DaySeconds * std::round((around - seconds) / DaySeconds); }

std::string Signed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%+.*f", decimals, value);
    return buffer;
}

std::string HoursText(double hours) {
    const double whole = std::trunc(std::fabs(hours));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%c%.0f:%02.0f h", hours < 0 ? '-' : '+', whole, (std::fabs(hours) - whole) * 60.0);
    return buffer;
}


// A clock time's offset in the solution; 0 for a duration or an observer without one.
double OffsetOf(const Solution& solution, const Row& row) {
    const auto j = static_cast<std::size_t>(row.observer);
    return row.clock && solution.hasOffset[j] ? solution.offset[j] : 0.0;
}

// Residual of a timing against any category and lever, folded to within half a day for clock times.
double ResidualFor(const Solution& solution, const Row& row, int category, double lever) {
    const double reference = solution.reference[static_cast<std::size_t>(category)];
    const double r = row.y - reference - solution.q * lever - OffsetOf(solution, row);
    return row.clock ? Fold(r, 0.0) : r;
}

// The resampled uncertainty of q, by whole observers: a bootstrap from BootstrapObservers on, a jackknife
// (with the AU without each observer) below; NaN when neither can be made.
void Resample(const std::vector<Row>& rows, const std::vector<double>& omega, const Solution& solution,
              int categoryCount, int observers, const FitOptions& options, FitResult& result) {
    std::vector<int> unitOf(rows.size(), -1), unitObserver;
    std::vector<int> unitIndex(static_cast<std::size_t>(observers), -1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!(omega[i] > 0.0)) continue;
        int& unit = unitIndex[static_cast<std::size_t>(rows[i].observer)];
        if (unit < 0) {
            unit = static_cast<int>(unitObserver.size());
            unitObserver.push_back(rows[i].observer);
        }
        unitOf[i] = unit;
    }
    const auto units = static_cast<int>(unitObserver.size());
    result.qSigmaResampled = NaN;
    if (units >= BootstrapObservers) {
        std::vector<double> qs;
        Bootstrap(rows, omega, solution, unitOf, units, categoryCount, observers, options, qs, result.resampling.failed);
        result.resampling.method = "bootstrap";
        result.resampling.runs = options.resamples;
        // A bootstrap that often cannot determine the AU says that a few observers carry it: no error bar from it.
        if (result.resampling.failed * 100 <= options.resamples) result.qSigmaResampled = StandardDeviation(qs);
    } else if (units >= 2) {
        result.resampling.method = "jackknife";
        result.resampling.runs = units;
        std::vector<double> qs;
        for (int u = 0; u < units; ++u) {
            std::vector<double> without = omega;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                if (unitOf[i] == u) without[i] = 0.0;
            }
            const Solution s = Solve(rows, without, categoryCount, observers, options.clockOffsets);
            result.resampling.withoutObserver.emplace_back(unitObserver[static_cast<std::size_t>(u)],
                                                           s.determined ? AuOf(s.q) : NaN);
            if (s.determined) qs.push_back(s.q);
            else ++result.resampling.failed;
        }
        if (result.resampling.failed == 0) {
            const double mean = std::accumulate(qs.begin(), qs.end(), 0.0) / units;
            double sum = 0.0;
            for (const double q : qs) sum += (q - mean) * (q - mean);
            result.qSigmaResampled = std::sqrt(sum * (units - 1) / units);
        }
    }

}

// Diagnoses for timings that do not fit, the tolerance being the biweight's edge at scale: each proposes a
// fix, none is applied.
void Diagnose(const Campaign& campaign, const Coefficients& coefficients, const std::vector<Row>& rows,
              const Solution& solution, double scale, FitResult& result) {
    const std::size_t count = rows.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Row& row = rows[i];
        const Timing& t = campaign.timings[i];
        TimingFit& fit = result.timings[i];
        // A duplicate's first is diagnosed; a weight of 0 would make the tolerance infinite.
        if (t.duplicate || !(row.w > 0.0)) continue;
        const double sigma = std::sqrt(1.0 / row.w);
        const double tolerance = TukeyC * scale * sigma;
        const double oc = fit.oMinusCS;
        if (!(std::fabs(oc) > tolerance)) continue;
        if (row.clock && std::fabs(oc) >= 3000.0) {
            const double halfHours = std::round(oc / 1800.0);
            if (std::fabs(halfHours) >= 2 && std::fabs(halfHours) <= 28 && std::fabs(oc - halfHours * 1800.0) <= 300.0) {
                fit.zoneHours = halfHours / 2.0;
                const std::string hours = HoursText(fit.zoneHours), size = HoursText(std::fabs(fit.zoneHours)).substr(1);
                RaiseFlag(fit, TimeZone,
                          "O-C is " + hours + ", a whole number of half hours: local time typed as UT? The time " +
                              (fit.zoneHours > 0 ? "less " : "plus ") + size + " would fit",
                          "B-R ist " + hours + ", ein Vielfaches einer halben Stunde: Ortszeit als UT eingetragen? Die Zeit " +
                              (fit.zoneHours > 0 ? "minus " : "plus ") + size + " w\xC3\xBC" "rde passen");
            }
        }
        if (row.clock) {
            for (int other = 1; other <= 4; ++other) {
                const int category = other - 1;
                if (other == t.start || std::isnan(solution.reference[static_cast<std::size_t>(category)])) continue;
                const double lever = SiteLever(coefficients, other, 0, t.latitudeDegrees, t.longitudeDegrees);
                const double r = ResidualFor(solution, row, category, lever);
                if (std::fabs(r) <= tolerance) {
                    fit.otherContact = other;
                    RaiseFlag(fit, WrongContact,
                              "fits contact " + std::to_string(other) + " (O-C " + Signed(r, 1) +
                                  " s there): posted under the wrong contact number?",
                              "passt zu Kontakt " + std::to_string(other) + " (B-R dort " + kit::WithDecimalComma(Signed(r, 1)) +
                                  " s): unter der falschen Kontaktnummer eingetragen?");
                    break;
                }
            }
        }
        struct Flip {
            char which;
            double latitude, longitude;
            const char* words;
            const char* german;
        };
        const Flip flips[2] = {{'N', -t.latitudeDegrees, t.longitudeDegrees, "latitude", "der Breite"},
                               {'E', t.latitudeDegrees, -t.longitudeDegrees, "longitude", "der L\xC3\xA4nge"}};
        for (const Flip& flip : flips) {
            if ((flip.which == 'N' && t.latitudeDegrees == 0.0) || (flip.which == 'E' && t.longitudeDegrees == 0.0)) continue;
            const double lever = SiteLever(coefficients, t.start, t.end, flip.latitude, flip.longitude);
            const double r = ResidualFor(solution, row, row.category, lever);
            if (std::fabs(r) <= tolerance) {
                fit.flippedCoordinate = flip.which;
                RaiseFlag(fit, CoordinateSign,
                          std::string("fits if the sign of its ") + flip.words + " were flipped (O-C " + Signed(r, 1) +
                              " s then)",
                          std::string("passt, wenn das Vorzeichen ") + flip.german + " umgekehrt w\xC3\xA4re (B-R dann " +
                              kit::WithDecimalComma(Signed(r, 1)) + " s)");
                break;
            }
        }
    }

}

// Flags each observer's clock times that are not in the order of their contacts, on times unwrapped across
// midnight along the reference times.
void FlagContactOrder(const Campaign& campaign, const std::vector<Row>& rows, const Solution& solution, FitResult& result) {
    const std::size_t count = rows.size();
    const auto observers = campaign.observers.size();
    double unwrapped[4] = {NaN, NaN, NaN, NaN};
    double previous = -std::numeric_limits<double>::infinity();
    for (int c = 0; c < 4; ++c) {
        double reference = solution.reference[static_cast<std::size_t>(c)];
        if (std::isnan(reference)) continue;
        // Whole days in one step: a fit the data hardly determine can leave references 10^12 s apart, where a
        // loop of days would run for hours, or for ever once a day no longer changes the sum.
        if (reference < previous) reference += DaySeconds * std::ceil((previous - reference) / DaySeconds);
        unwrapped[c] = previous = reference;
    }
    // The clock times of each observer, gathered by counting: one list for all, not one allocation per observer.
    std::vector<std::size_t> start(observers + 1, 0), byObserver;
    auto ordered = [&](const Timing& t) { return t.end == 0 && !t.duplicate && !std::isnan(unwrapped[t.start - 1]); };
    for (const Timing& t : campaign.timings) {
        if (ordered(t)) ++start[static_cast<std::size_t>(t.observer) + 1];
    }
    for (std::size_t j = 1; j < start.size(); ++j) start[j] += start[j - 1];
    byObserver.resize(start.back());
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        if (ordered(campaign.timings[i])) byObserver[next[static_cast<std::size_t>(campaign.timings[i].observer)]++] = i;
    }
    auto when = [&](std::size_t i) {
        const Row& row = rows[i];
        const double r = row.y - solution.reference[static_cast<std::size_t>(row.category)];
        return unwrapped[row.category] + Fold(r, 0.0);
    };
    for (std::size_t j = 0; j + 1 < start.size(); ++j) {
        const auto list = std::span(byObserver).subspan(start[j], start[j + 1] - start[j]);
        // Per contact the earliest and the latest of the observer's times: a time is out of order when it is not
        // before every later contact's earliest, or not after every earlier contact's latest.
        double earliest[4], latest[4];
        std::fill(std::begin(earliest), std::end(earliest), std::numeric_limits<double>::infinity());
        std::fill(std::begin(latest), std::end(latest), -std::numeric_limits<double>::infinity());
        for (const std::size_t i : list) {
            const int c = campaign.timings[i].start - 1;
            earliest[c] = std::min(earliest[c], when(i));
            latest[c] = std::max(latest[c], when(i));
        }
        for (const std::size_t i : list) {
            const int c = campaign.timings[i].start - 1;
            for (int other = 0; other < 4; ++other) {
                const bool outOfOrder = (other > c && !(when(i) < earliest[other])) || (other < c && !(when(i) > latest[other]));
                if (!outOfOrder) continue;
                const int first = std::min(c, other) + 1, second = std::max(c, other) + 1;
                RaiseFlag(result.timings[i], ContactOrder,
                          "contact " + std::to_string(first) + " is not before contact " + std::to_string(second) +
                              " of the same observer",
                          "Kontakt " + std::to_string(first) + " liegt nicht vor Kontakt " + std::to_string(second) +
                              " desselben Beobachters");
                break;
            }
        }
    }
}

}  // namespace

Coefficients TableCoefficients() {
    Coefficients coefficients;
    coefficients.name = "table of 8 June 2004";
    coefficients.nameGerman = "Tafel vom 8. Juni 2004";
    const long double toSeconds = EarthRadiusKm / (RateDivisor * static_cast<long double>(ReferenceAuKm));
    for (int c = FirstContact; c <= LastContact; ++c) {
        const Vector3 column = ContactColumn(c);
        double* a = coefficients.secondsPerUnit[c - FirstContact];
        a[0] = static_cast<double>(column.x * toSeconds);
        a[1] = static_cast<double>(column.y * toSeconds);
        a[2] = static_cast<double>(column.z * toSeconds);
    }
    return coefficients;
}

double SiteLever(const Coefficients& coefficients, int start, int end, double latitudeDegrees, double longitudeDegrees) {
    return SiteLever(coefficients, start, end, SiteVectorOf(latitudeDegrees, longitudeDegrees));
}

Vector3 SiteVectorOf(double latitudeDegrees, double longitudeDegrees) {
    // The table's frame counts longitude west positive.
    return SiteVector(static_cast<double>(latitudeDegrees * DegToRad), static_cast<double>(-longitudeDegrees * DegToRad));
}

double SiteLever(const Coefficients& coefficients, int start, int end, const Vector3& v) {
    auto lever = [&](int contact) {
        const double* a = coefficients.secondsPerUnit[contact - 1];
        return a[0] * v.x + a[1] * v.y + a[2] * v.z;
    };
    return static_cast<double>(end == 0 ? lever(start) : lever(end) - lever(start));
}

void RaiseFlag(TimingFit& fit, Flag flag, const std::string& english, const std::string& german) {
    if (fit.flagBits & (1u << flag)) return;
    fit.flagBits |= 1u << flag;
    fit.reasons.push_back({english, german});
}

const char* FlagWord(Flag flag) {
    static const char* const Words[FlagCount] = {"duplicate", "time-zone", "wrong-contact", "coordinate-sign",
                                                 "contact-order", "outlier", "below-horizon"};
    return Words[flag];
}

FitResult FitCampaign(const Campaign& campaign, const Coefficients& coefficients, const FitOptions& options) {
    FitResult result;
    const std::size_t count = campaign.timings.size();
    result.read = static_cast<long>(count);
    result.timings.assign(count, TimingFit{});
    const auto observers = static_cast<int>(campaign.observers.size());
    result.clockOffsetsS.assign(static_cast<std::size_t>(observers), NaN);

    // Categories: contacts 1..4 at 0..3, then each duration pair present.
    std::vector<std::pair<int, int>> categories = {{1, 0}, {2, 0}, {3, 0}, {4, 0}};
    auto categoryOf = [&](int start, int end) {
        for (std::size_t c = 0; c < categories.size(); ++c) {
            if (categories[c] == std::pair{start, end}) return static_cast<int>(c);
        }
        categories.emplace_back(start, end);
        return static_cast<int>(categories.size() - 1);
    };
    std::vector<std::vector<double>> clockTimes(4);
    for (const Timing& t : campaign.timings) {
        if (t.end == 0 && !t.duplicate) clockTimes[static_cast<std::size_t>(t.start - 1)].push_back(t.seconds);
    }
    std::vector<double> median(4);
    for (std::size_t c = 0; c < 4; ++c) median[c] = Median(clockTimes[c]);

    // Every timing is a row; a duplicate's weight is 0, so no fit sees it.
    std::vector<Row> rows(count);
    Vector3 site{};
    for (std::size_t i = 0; i < count; ++i) {
        const Timing& t = campaign.timings[i];
        // Rows of one site follow each other: its vector is computed once.
        if (i == 0 || t.latitudeDegrees != campaign.timings[i - 1].latitudeDegrees ||
            t.longitudeDegrees != campaign.timings[i - 1].longitudeDegrees) {
            site = SiteVectorOf(t.latitudeDegrees, t.longitudeDegrees);
        }
        Row row{i, categoryOf(t.start, t.end), t.observer, t.end == 0, t.seconds,
                SiteLever(coefficients, t.start, t.end, site),
                1.0 / (t.sigmaS * t.sigmaS + FloorSigmaS * FloorSigmaS)};
        if (row.clock) row.y = Fold(t.seconds, median[static_cast<std::size_t>(t.start - 1)]);
        result.timings[i].leverS = row.g;
        if (t.duplicate) {
            row.w = 0.0;
            RaiseFlag(result.timings[i], Duplicate, "the same observer, contact and time as an earlier row; used once",
                      "derselbe Beobachter, Kontakt und dieselbe Zeit wie in einer fr\xC3\xBC" "heren Zeile; einmal verwendet");
        }
        rows[i] = row;
    }
    const auto categoryCount = static_cast<int>(categories.size());
    if (count == 0) {
        result.whyNot = "there is no usable timing";
        return result;
    }

    std::vector<double> omega(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) omega[i] = rows[i].w;
    Solution solution = Solve(rows, omega, categoryCount, observers, options.clockOffsets);
    if (!solution.determined) {
        result.whyNot = options.clockOffsets
                            ? "the timings cannot determine the AU: once each clock's offset and each contact's "
                              "reference time are taken out, nothing depends on where the sites are"
                            : "the timings cannot determine the AU: every contact was timed at one site only, or "
                              "at sites that lie alike to the Sun";
        return result;
    }
    std::vector<char> rejected(rows.size(), 0);
    double scale = MadScale(rows, omega, solution);
    if (!options.keepAll && solution.active - solution.rank >= 2) {
        std::vector<double> robust(rows.size(), 1.0);
        // The Huber fit only places the start of the biweight, to a millionth; the biweight settles to 1e-10.
        Solution huber = Reweight(rows, robust, solution, scale, true, HuberWeight, 1e-6, categoryCount, observers,
                                  options.clockOffsets);
        Reweight(rows, robust, huber, scale, false, TukeyWeight, 1e-10, categoryCount, observers, options.clockOffsets);
        std::vector<double> kept(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rejected[i] = robust[i] == 0.0;
            kept[i] = rejected[i] ? 0.0 : rows[i].w;
        }
        // The error bar is that of a plain weighted fit of the timings kept.
        const Solution final = Solve(rows, kept, categoryCount, observers, options.clockOffsets);
        if (final.determined) {
            solution = final;
            omega = kept;
        } else {
            std::fill(rejected.begin(), rejected.end(), 0);
        }
    }
    scale = MadScale(rows, omega, solution);

    result.fitted = true;
    result.q = solution.q;
    result.degreesOfFreedom = solution.active - solution.rank;
    const double variance = result.degreesOfFreedom > 0 ? solution.rss / static_cast<double>(result.degreesOfFreedom) : NaN;
    result.scatter = std::sqrt(variance);
    result.qSigmaFormal = std::sqrt(variance * solution.inverseLeverNorm);

    Resample(rows, omega, solution, categoryCount, observers, options, result);

    // The quoted uncertainty is the larger of the two that were computed.
    double qSigma = NaN;
    if (!std::isnan(result.qSigmaFormal)) qSigma = result.qSigmaFormal;
    if (!std::isnan(result.qSigmaResampled) && !(result.qSigmaResampled <= qSigma)) qSigma = result.qSigmaResampled;
    result.auKm = AuOf(result.q);
    auto auSigma = [&](double qs) { return result.q != 0.0 ? std::fabs(result.auKm * qs / result.q) : NaN; };
    result.auSigmaKm = auSigma(qSigma);
    result.auSigmaFormalKm = auSigma(result.qSigmaFormal);
    result.auSigmaResampledKm = auSigma(result.qSigmaResampled);
    result.bounded = result.q > 0.0 && !(result.q - qSigma <= 0.0);
    result.parallaxArcsec = result.auKm > 0.0 ? SolarParallax(result.auKm) : NaN;
    result.parallaxSigmaArcsec = result.parallaxArcsec * result.auSigmaKm / result.auKm;

    // References, offsets and per-timing results.
    for (std::size_t j = 0; j < solution.hasOffset.size(); ++j) {
        if (solution.hasOffset[j]) result.clockOffsetsS[j] = solution.offset[j];
    }
    for (std::size_t c = 0; c < categories.size(); ++c) {
        if (std::isnan(solution.reference[c])) continue;
        ContactFit contact{categories[c].first, categories[c].second, solution.reference[c], 0.0, 0};
        double sum = 0.0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].category != static_cast<int>(c) || !(omega[i] > 0.0)) continue;
            sum += solution.residual[i] * solution.residual[i];
            ++contact.used;
        }
        contact.rmsS = contact.used > 0 ? std::sqrt(sum / static_cast<double>(contact.used)) : NaN;
        if (contact.end == 0) contact.referenceS = std::fmod(std::fmod(contact.referenceS, DaySeconds) + DaySeconds, DaySeconds);
        result.contacts.push_back(contact);
    }
    std::sort(result.contacts.begin(), result.contacts.end(), [](const ContactFit& a, const ContactFit& b) {
        return (a.end != 0) != (b.end != 0) ? a.end == 0 : std::pair{a.start, a.end} < std::pair{b.start, b.end};
    });

    for (std::size_t i = 0; i < count; ++i) {
        const Row& row = rows[i];
        result.timings[i].oMinusCS = ResidualFor(solution, row, row.category, row.g);
    }
    for (std::size_t k = 0; k < rows.size(); ++k) {
        TimingFit& fit = result.timings[rows[k].timing];
        fit.used = omega[k] > 0.0;
        result.used += fit.used;
        if (rejected[k]) {
            ++result.rejected;
            RaiseFlag(fit, Outlier, "rejected by the robust fit: O-C " + Signed(fit.oMinusCS, 1) + " s",
                      "von der robusten Anpassung verworfen: B-R " + kit::WithDecimalComma(Signed(fit.oMinusCS, 1)) + " s");
        }
    }

    Diagnose(campaign, coefficients, rows, solution, scale, result);
    FlagContactOrder(campaign, rows, solution, result);
    return result;
}
