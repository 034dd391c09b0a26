// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Robust.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

#include "Pieces.h"

namespace fitting {

using namespace campaign;

namespace {

// Rows weighed at a time on a thread: fewer are not worth one.
constexpr std::size_t RowsPerPiece = 1 << 16;


// One kind of reweighting: its weight function, when it has settled, and whether the scale follows it.
struct Reweighting {
    double (*weightOf)(double);
    double tolerance;
    bool rescale;
};

// Iteratively reweighted least squares from start; robust receives each row's last weight. The solutions it
// returns carry no weighted residuals (only the final fit's are resampled): a million rows would hold 8 MB in
// each of them.
Solution Reweight(const FitProblem& problem, const Reweighting& how, const Solution& start, double& scale,
                  std::vector<double>& robust) {
    const std::vector<Row>& rows = problem.rows;
    Solution solution;
    const Solution* last = &start;
    std::vector<double> omega(rows.size());
    for (int iteration = 0; iteration < 50; ++iteration) {
        ForEachPiece(rows.size(), RowsPerPiece, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                robust[i] = how.weightOf(last->residual[i] * std::sqrt(rows[i].w) / scale);
                omega[i] = rows[i].w * robust[i];
            }
        });
        Solution next = Solve(problem, omega);
        if (!next.determined) break;
        next.weightedResidual = Eigen::VectorXd();
        // Settled when q moves by less than the tolerance, relative to q or to its own standard error: a
        // timing at the biweight's edge can keep nudging q in the last digits without end.
        const double dof = static_cast<double>(std::max(1L, next.active - next.rank));
        const double standardError = std::sqrt(next.rss / dof * next.inverseLeverNorm);
        bool settled = std::fabs(next.q - last->q) <= how.tolerance * std::max(std::fabs(last->q), standardError * 1e6);
        // A given q never moves: the references must settle instead, to a microsecond.
        for (std::size_t c = 0; std::isfinite(problem.fixedQ) && c < next.reference.size(); ++c) {
            if (std::fabs(next.reference[c] - last->reference[c]) > 1e-6) settled = false;
        }
        solution = std::move(next);
        last = &solution;
        if (how.rescale) scale = MadScale(problem, omega, solution);
        if (settled) break;
    }
    if (last == &start) {
        solution = start;
        solution.weightedResidual = Eigen::VectorXd();
    }
    return solution;
}

}  // namespace

double Median(std::vector<double> values) {
    if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
    std::size_t rank = values.size() / 2;
    if (values.size() >= 2 * RowsPerPiece && PieceThreads() > 1) {
        // Many values: counted by their top bits in pieces, then only the bucket that holds the middle rank
        // is gathered and searched. The bits of a double, its sign turned, sort as the double does (-0 before
        // 0, which are equal); the middle value is the one a single search finds.
        constexpr int TopBits = 16;
        auto key = [](double v) {
            const auto bits = std::bit_cast<std::uint64_t>(v);
            return bits >> 63 ? ~bits : bits | (std::uint64_t{1} << 63);
        };
        const std::size_t buckets = std::size_t{1} << TopBits;
        std::vector<std::size_t> count(buckets, 0);
        std::mutex lock;
        ForEachPiece(values.size(), RowsPerPiece, [&](std::size_t begin, std::size_t end) {
            std::vector<std::size_t> own(buckets, 0);
            for (std::size_t i = begin; i < end; ++i) ++own[key(values[i]) >> (64 - TopBits)];
            const std::scoped_lock held(lock);
            for (std::size_t b = 0; b < buckets; ++b) count[b] += own[b];
        });
        std::size_t bucket = 0, below = 0;
        while (below + count[bucket] <= rank) below += count[bucket++];
        // The bucket's values gathered in pieces, kept in the order of the pieces.
        std::vector<std::pair<std::size_t, std::vector<double>>> gathered;
        ForEachPiece(values.size(), RowsPerPiece, [&](std::size_t begin, std::size_t end) {
            std::vector<double> own;
            own.reserve(count[bucket]);
            for (std::size_t i = begin; i < end; ++i) {
                if ((key(values[i]) >> (64 - TopBits)) == bucket) own.push_back(values[i]);
            }
            const std::scoped_lock held(lock);
            gathered.emplace_back(begin, std::move(own));
        });
        std::sort(gathered.begin(), gathered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        values.clear();
        for (const auto& piece : gathered) values.insert(values.end(), piece.second.begin(), piece.second.end());
        rank -= below;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(rank);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

double HuberWeight(double z) { return std::fabs(z) <= HuberC ? 1.0 : HuberC / std::fabs(z); }

double TukeyWeight(double z) {
    if (!(std::fabs(z) < TukeyC)) return 0.0;
    const double u = z / TukeyC;
    return (1.0 - u * u) * (1.0 - u * u);
}

double MadScale(const FitProblem& problem, const std::vector<double>& omega, const Solution& solution) {
    const std::vector<Row>& rows = problem.rows;
    // Every row's scaled residual in pieces, NaN for the rows left out, which are then dropped in order.
    std::vector<double> z(rows.size());
    ForEachPiece(rows.size(), RowsPerPiece, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            z[i] = omega[i] > 0.0 ? std::fabs(solution.residual[i]) * std::sqrt(rows[i].w) : std::numeric_limits<double>::quiet_NaN();
        }
    });
    z.erase(std::remove_if(z.begin(), z.end(), [](double v) { return std::isnan(v); }), z.end());
    // The scale never falls below the floor every weight assumes (FloorSigmaS, in the units of the most
    // precise timing): timings that agree closer than that, copied or rounded alike, would otherwise make
    // a normal timing an outlier.
    double heaviest = 0.0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (omega[i] > 0.0) heaviest = std::max(heaviest, rows[i].w);
    }
    return std::max(FloorSigmaS * std::sqrt(heaviest), MadToSigma * Median(std::move(z)));
}

void RejectOutliers(const FitProblem& problem, std::vector<double>& omega, Solution& solution, double& scale,
                    std::vector<char>& rejected) {
    const std::vector<Row>& rows = problem.rows;
    rejected.assign(rows.size(), 0);
    std::vector<double> robust(rows.size(), 1.0);
    {
        // The Huber fit only places the start of the biweight, to a millionth; the biweight settles to 1e-10.
        const Solution huber = Reweight(problem, {HuberWeight, 1e-6, true}, solution, scale, robust);
        Reweight(problem, {TukeyWeight, 1e-10, false}, huber, scale, robust);
    }
    std::vector<double>& kept = robust;  // the robust weights are done with: their room takes the weights kept
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // A row that came in without weight (left out before, or unseen by the model) stays out, not rejected.
        rejected[i] = omega[i] > 0.0 && robust[i] == 0.0;
        kept[i] = rejected[i] ? 0.0 : omega[i];
    }
    // The error bar is that of a plain weighted fit of the timings kept.
    Solution final = Solve(problem, kept);
    if (final.determined) {
        solution = std::move(final);
        omega = kept;
    } else {
        std::fill(rejected.begin(), rejected.end(), 0);
    }
}

}  // namespace fitting
