#pragma once
// The text of a phase label that the user drops on the diagram at (x, y):
// read from the cell grid of the last run. A two-phase cell "E" names the
// single phases on either side of it in its row, as "L+S".
#include "calc/CellGrid.h"

#include <optional>
#include <string>
#include <vector>

namespace solvane {

// columnX[c - 1] is the X of grid column c. Nothing when x lies right of the
// last column; an empty text when no row lies at or below y. Row Y values are
// read from column 0 with the decimal separator.
std::optional<std::string> PhaseLabelAt(const CellGrid& grid, const std::vector<double>& columnX, double x, double y,
                                        char decimalSeparator = '.');

} // namespace solvane
