// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "WorldMap.h"

#include <cmath>

#include "Reduction.h"

namespace worldmap {

bool GridStepFits(double stepDegrees) {
    if (!(stepDegrees >= FinestStepDegrees && stepDegrees <= CoarsestStepDegrees)) return false;
    const double cells = 180.0 / stepDegrees;
    return std::fabs(cells - std::round(cells)) <= 1e-9 * cells;
}

GeoPoint CellCentre(const SeenGrid& grid, int row, int column) {
    return {90.0 - grid.stepDegrees * (row + 0.5), -180.0 + grid.stepDegrees * (column + 0.5)};
}

bool ClassifyGrid(const SunUpModel& model, double stepDegrees, SeenGrid& out) {
    if (!GridStepFits(stepDegrees)) return false;
    SeenGrid grid;
    grid.stepDegrees = stepDegrees;
    grid.rows = static_cast<int>(std::lround(180.0 / stepDegrees));
    grid.columns = 2 * grid.rows;
    const std::size_t count = static_cast<std::size_t>(grid.rows) * static_cast<std::size_t>(grid.columns);
    grid.cells.reserve(count);
    for (std::vector<double>& margins : grid.upMargin) margins.reserve(count);
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column) {
            const GeoPoint centre = CellCentre(grid, row, column);
            const ephemeris::ElementsSite site = ephemeris::ElementsSiteOf(centre.latitudeDegrees, centre.longitudeEastDegrees, 0.0);
            for (int contact = 1; contact <= ephemeris::ContactCount; ++contact) {
                grid.upMargin[contact - 1].push_back(FastUpMargin(model, contact, site, centre));
            }
            bool exact = false;
            grid.cells.push_back(SeenFromMargins(model, centre, grid.upMargin[0].back(), grid.upMargin[3].back(), exact));
            if (exact) ++grid.exactCells;
        }
    }
    out = std::move(grid);
    return true;
}

void SeenShares(const SeenGrid& grid, double shares[SeenCount]) {
    // A row's share of the sphere is the difference of the sines of its edges, over 2.
    long double sums[SeenCount] = {0.0L, 0.0L, 0.0L, 0.0L};
    for (int row = 0; row < grid.rows; ++row) {
        const long double north = (90.0L - grid.stepDegrees * row) * DegToRad;
        const long double south = (90.0L - grid.stepDegrees * (row + 1)) * DegToRad;
        const long double cell = (std::sin(north) - std::sin(south)) / 2.0L / grid.columns;
        for (int column = 0; column < grid.columns; ++column) {
            sums[static_cast<int>(grid.cells[static_cast<std::size_t>(row * grid.columns + column)])] += cell;
        }
    }
    for (int k = 0; k < SeenCount; ++k) shares[k] = static_cast<double>(sums[k]);
}

}  // namespace worldmap
