// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "WeightedFit.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "Pieces.h"

namespace fitting {

using namespace campaign;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

using Decomposition = Eigen::ColPivHouseholderQR<Eigen::Ref<Eigen::MatrixXd>>;

// Rows are written by the hundred thousand: fewer are not worth a thread.
constexpr std::size_t RowsPerPiece = 1 << 16;

// Rows summed together before their sum joins the others'. The blocks, and so the digits, are the same on
// every machine; the pieces only share them out.
constexpr std::size_t RowsPerBlock = 1 << 14;

// The sums that sum(begin, end, into) adds into its width places for each block of rows in [0, count), the
// blocks added up in their order.
std::vector<double> BlockSums(std::size_t count, std::size_t width,
                              const std::function<void(std::size_t, std::size_t, double*)>& sum) {
    const std::size_t blocks = (count + RowsPerBlock - 1) / RowsPerBlock;
    std::vector<double> partial(blocks * width, 0.0);
    ForEachPiece(blocks, RowsPerPiece / RowsPerBlock, [&](std::size_t first, std::size_t last) {
        for (std::size_t b = first; b < last; ++b) sum(b * RowsPerBlock, std::min(count, (b + 1) * RowsPerBlock), &partial[b * width]);
    });
    std::vector<double> total(width, 0.0);
    for (std::size_t b = 0; b < blocks; ++b) {
        for (std::size_t k = 0; k < width; ++k) total[k] += partial[b * width + k];
    }
    return total;
}

// Solve without clock offsets: each category's reference is its weighted mean of y - q g, and q is fitted to
// the rows taken about their category's means. Three passes over the rows, where the decomposition of a
// matrix of them would take ten.
Solution SolveByMeans(const FitProblem& problem, const std::vector<double>& omega) {
    const std::vector<Row>& rows = problem.rows;
    Solution solution;
    solution.hasOffset.assign(static_cast<std::size_t>(problem.observers), 0);
    solution.offset.assign(static_cast<std::size_t>(problem.observers), 0.0);
    solution.reference.assign(static_cast<std::size_t>(problem.categories), NaN);
    const CategoryMeans means = MeansByCategory(problem, omega);
    solution.active = means.active;
    if (means.active == 0) {
        solution.residual.assign(rows.size(), NaN);
        return solution;
    }
    const bool fixed = std::isfinite(problem.fixedQ);
    if (fixed) {
        solution.q = problem.fixedQ;
        solution.inverseLeverNorm = 0.0;
    } else {
        // What is left of the lever after the references are taken out must stand clear of rounding.
        if (!(means.leverNorm > 1e-20 * means.leverSquares) || !(means.leverNorm > 0.0)) {
            solution.residual.assign(rows.size(), NaN);
            return solution;
        }
        solution.q = means.cross / means.leverNorm;
        // As in the decomposition: below what the times and the model resolve, q is 0.
        const double resolvable = 64.0 * std::numeric_limits<double>::epsilon() * std::sqrt(means.timeSquares) +
                                  problem.resolutionS * std::sqrt(means.weightSum);
        if (std::fabs(solution.q) <= resolvable / std::sqrt(means.leverNorm)) solution.q = 0.0;
        solution.inverseLeverNorm = 1.0 / means.leverNorm;
    }
    solution.determined = true;
    long columns = 0;
    for (std::size_t c = 0; c < means.rows.size(); ++c) {
        if (means.rows[c] == 0) continue;
        ++columns;
        solution.reference[c] = means.time[c] - solution.q * means.lever[c];
    }
    solution.rank = columns + (fixed ? 0 : 1);
    solution.residual.resize(rows.size());
    const double q = solution.q;
    const std::vector<double> rss = BlockSums(rows.size(), 1, [&](std::size_t begin, std::size_t end, double* into) {
        for (std::size_t i = begin; i < end; ++i) {
            const Row& row = rows[i];
            const double r = row.y - solution.reference[static_cast<std::size_t>(row.category)] - q * row.g;
            solution.residual[i] = r;
            if (omega[i] > 0.0) into[0] += omega[i] * r * r;
        }
    });
    solution.rss = rss[0];
    solution.weightedResidual.resize(means.active);
    Eigen::Index r = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (omega[i] > 0.0) solution.weightedResidual(r++) = std::sqrt(omega[i]) * solution.residual[i];
    }
    return solution;
}

// The basic least-squares solution for b, zero in the columns the matrix cannot determine; b is overwritten. The
// steps of Eigen's own solve, in place: a million rows are not copied. Eigen counts the pivot of an all-zero
// matrix (one clock's offset taking out its only contact) as non-zero and divides by it.
Eigen::VectorXd SolveBasic(const Decomposition& qr, Eigen::VectorXd& b) {
    Eigen::VectorXd x = Eigen::VectorXd::Zero(qr.cols());
    const Eigen::Index pivots = qr.nonzeroPivots();
    if (!(qr.maxPivot() > 0.0) || pivots == 0) return x;
    b.applyOnTheLeft(qr.householderQ().setLength(pivots).adjoint());
    qr.matrixQR().topLeftCorner(pivots, pivots).triangularView<Eigen::Upper>().solveInPlace(b.topRows(pivots));
    for (Eigen::Index i = 0; i < pivots; ++i) x(qr.colsPermutation().indices().coeff(i)) = b(i);
    return x;
}

// v less its part in the decomposed columns' space: its image under Q with the first rank coordinates taken
// out, in place.
void TakeOutColumns(const Decomposition& qr, Eigen::VectorXd& v) {
    v.applyOnTheLeft(qr.householderQ().setLength(qr.nonzeroPivots()).adjoint());
    v.head(qr.rank()).setZero();
    v.applyOnTheLeft(qr.householderQ().setLength(qr.nonzeroPivots()));
}

}  // namespace

CategoryMeans MeansByCategory(const FitProblem& problem, const std::vector<double>& omega) {
    const std::vector<Row>& rows = problem.rows;
    const auto categories = static_cast<std::size_t>(problem.categories);
    CategoryMeans m;
    // Per category: weight, weighted lever, weighted time, rows.
    const std::vector<double> first = BlockSums(rows.size(), 4 * categories, [&](std::size_t begin, std::size_t end, double* into) {
        for (std::size_t i = begin; i < end; ++i) {
            if (!(omega[i] > 0.0)) continue;
            double* at = into + 4 * static_cast<std::size_t>(rows[i].category);
            at[0] += omega[i];
            at[1] += omega[i] * rows[i].g;
            at[2] += omega[i] * rows[i].y;
            at[3] += 1.0;
        }
    });
    m.weight.assign(categories, 0.0);
    m.lever.assign(categories, NaN);
    m.time.assign(categories, NaN);
    m.rows.assign(categories, 0);
    for (std::size_t c = 0; c < categories; ++c) {
        m.weight[c] = first[4 * c];
        m.rows[c] = static_cast<long>(first[4 * c + 3]);
        m.active += m.rows[c];
        m.weightSum += m.weight[c];
        if (m.rows[c] == 0) continue;
        m.lever[c] = first[4 * c + 1] / m.weight[c];
        m.time[c] = first[4 * c + 2] / m.weight[c];
    }
    const std::vector<double> second = BlockSums(rows.size(), 4, [&](std::size_t begin, std::size_t end, double* into) {
        for (std::size_t i = begin; i < end; ++i) {
            if (!(omega[i] > 0.0)) continue;
            const Row& row = rows[i];
            const auto c = static_cast<std::size_t>(row.category);
            const double g = row.g - m.lever[c], y = row.y - m.time[c];
            into[0] += omega[i] * g * g;
            into[1] += omega[i] * g * y;
            into[2] += omega[i] * row.g * row.g;
            into[3] += omega[i] * row.y * row.y;
        }
    });
    m.leverNorm = second[0], m.cross = second[1], m.leverSquares = second[2], m.timeSquares = second[3];
    return m;
}

System BuildSystem(const FitProblem& problem, const std::vector<double>& omega) {
    const std::vector<Row>& rows = problem.rows;
    const int categories = problem.categories, observers = problem.observers;
    const bool clockOffsets = problem.clockOffsets;
    System s;
    s.columnOf.assign(static_cast<std::size_t>(categories), -1);
    s.hasOffset.assign(static_cast<std::size_t>(observers), 0);
    std::vector<int> clockCount(static_cast<std::size_t>(observers), 0);
    int columns = 0;
    std::size_t activeRows = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) activeRows += omega[i] > 0.0;
    s.active.reserve(activeRows);
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
    if (s.offsets == 0) {
        // Scaled as they are written, row by row in pieces: 1 times the root is the root, as the scaling of the
        // whole columns below gives it.
        ForEachPiece(static_cast<std::size_t>(n), RowsPerPiece, [&](std::size_t begin, std::size_t end) {
            for (auto r = static_cast<Eigen::Index>(begin); r < static_cast<Eigen::Index>(end); ++r) {
                const std::size_t i = s.active[static_cast<std::size_t>(r)];
                const Row& row = rows[i];
                const double root = std::sqrt(omega[i]);
                s.n(r, s.columnOf[static_cast<std::size_t>(row.category)]) = root;
                s.g(r) = row.g * root;
                s.y(r) = row.y * root;
            }
        });
        return s;
    }
    // The roots of the weights live only while the system is built: the solution's vectors come after them.
    Eigen::VectorXd root(n);
    for (Eigen::Index r = 0; r < n; ++r) {
        const std::size_t i = s.active[static_cast<std::size_t>(r)];
        const Row& row = rows[i];
        s.n(r, s.columnOf[static_cast<std::size_t>(row.category)]) = 1.0;
        s.g(r) = row.g;
        s.y(r) = row.y;
        root(r) = std::sqrt(omega[i]);
    }
    {
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
    // Column by column in place: a product with the diagonal would make a second matrix.
    for (Eigen::Index c = 0; c < columns; ++c) s.n.col(c).array() *= root.array();
    s.g.array() *= root.array();
    s.y.array() *= root.array();
    return s;
}

Solution Solve(const FitProblem& problem, const std::vector<double>& omega) {
    if (!problem.clockOffsets) return SolveByMeans(problem, omega);
    const std::vector<Row>& rows = problem.rows;
    const int categories = problem.categories, observers = problem.observers;
    Solution solution;
    System s = BuildSystem(problem, omega);
    solution.active = static_cast<long>(s.active.size());
    solution.hasOffset = s.hasOffset;
    solution.reference.assign(static_cast<std::size_t>(categories), NaN);
    solution.offset.assign(static_cast<std::size_t>(observers), 0.0);
    auto undetermined = [&]() {
        solution.residual.assign(rows.size(), NaN);
        return solution;
    };
    if (s.active.empty()) return undetermined();
    const bool fixed = std::isfinite(problem.fixedQ);
    Eigen::VectorXd beta;
    {
        // In place: the nuisance columns are needed no more once decomposed.
        const Decomposition qr(s.n);
        Eigen::VectorXd rg = s.g;
        TakeOutColumns(qr, rg);
        Eigen::VectorXd ry = s.y;
        TakeOutColumns(qr, ry);
        const double leverNorm = rg.squaredNorm();
        if (fixed) {
            solution.q = problem.fixedQ;
            solution.inverseLeverNorm = 0.0;
        } else {
            // What is left of the lever after the references are taken out must stand clear of rounding.
            if (!(leverNorm > 1e-20 * s.g.squaredNorm()) || !(leverNorm > 0.0)) return undetermined();
            solution.q = rg.dot(ry) / leverNorm;
            // Times that agree exactly give q = 0 only up to the rounding of the projection and the model's own
            // resolution: below what they can resolve, q is 0, and the AU is not a huge number but none.
            double weight = 0.0;
            for (const std::size_t i : s.active) weight += omega[i];
            const double resolvable = 64.0 * std::numeric_limits<double>::epsilon() * s.y.norm() + problem.resolutionS * std::sqrt(weight);
            if (std::fabs(solution.q) <= resolvable / std::sqrt(leverNorm)) {
                solution.q = 0.0;
            }
            solution.inverseLeverNorm = 1.0 / leverNorm;
        }
        solution.determined = true;
        ry -= solution.q * rg;
        solution.rss = ry.squaredNorm();
        solution.weightedResidual = std::move(ry);
        // An all-zero nuisance matrix has rank 0, whatever the decomposition's count says.
        solution.rank = (qr.maxPivot() > 0.0 ? static_cast<long>(qr.rank()) : 0L) + (fixed ? 0 : 1) + s.offsets;
        s.y -= solution.q * s.g;
        beta = SolveBasic(qr, s.y);
    }
    // The rows' times and the decomposed columns are done with: the residuals take their place.
    s.n = Eigen::MatrixXd();
    s.g = s.y = Eigen::VectorXd();
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
    solution.residual.resize(rows.size());
    ForEachPiece(rows.size(), RowsPerPiece, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const Row& row = rows[i];
            const auto j = static_cast<std::size_t>(row.observer);
            const double offset = row.clock && solution.hasOffset[j] ? solution.offset[j] : 0.0;
            solution.residual[i] = row.y - solution.reference[static_cast<std::size_t>(row.category)] - solution.q * row.g - offset;
        }
    });
    return solution;
}

double Fold(double seconds, double around) { return seconds + DaySeconds * std::round((around - seconds) / DaySeconds); }

double ResidualFor(const Solution& solution, const Row& row, int category, double lever) {
    const double reference = solution.reference[static_cast<std::size_t>(category)];
    const auto j = static_cast<std::size_t>(row.observer);
    // A clock time's offset in the solution; none for a duration or an observer without one.
    const double offset = row.clock && solution.hasOffset[j] ? solution.offset[j] : 0.0;
    const double r = row.y - reference - solution.q * lever - offset;
    return row.clock ? Fold(r, 0.0) : r;
}

}  // namespace fitting
