#pragma once
// The special points search: walks the cell grid of a finished run row by row
// and reports where the pattern of phases changes between neighbouring rows.
// A phase stretch whose neighbouring row is entirely two-phase over the same
// columns is a node (a horizontal line of the diagram, such as a eutectic);
// any other change of phase is an "other special point".
#include <string>
#include <utility>
#include <vector>

#include "calc/CellGrid.h"
#include "calc/RunTypes.h"

namespace solvane {

// A stretch of equal cell texts in one grid row. LastCol == FirstCol - 1 for
// the empty "E" run put between two phases that touch directly.
struct CellRun {
    int FirstCol = 0;
    int LastCol = 0;
    std::string Text;
};

// The runs of row `row` over columns 1 .. ColCount-1, left to right.
std::vector<CellRun> BuildRunList(const CellGrid& grid, int row);

struct SpecialPointsResult {
    std::vector<TNode> Nodes;               // in the order found
    std::vector<std::string> ListLines;     // "T(X = 0.5) = 800 ", one per other special point
    std::vector<std::pair<double, double>> SeriesPoints; // (x, y) of the "Special points" series, in order added
    std::vector<std::pair<double, double>> OtherPoints;  // (x, y) of each list line, in the same order
    // The grid's current cell after the search: the cell of the last other
    // special point; unchanged (HasCurrentCell false) when there is none.
    bool HasCurrentCell = false;
    int CurrentCol = 0;
    int CurrentRow = 0;
};

// yQuantityName is the vertical quantity as the Y selector shows it
// ("Temperature", "Pressure", "Y"); its first character heads every list line.
// Header texts are read back, and list numbers written, with decimalSeparator.
// A header text that is not a number makes the point that needs it unrecorded:
// a node candidate is dropped, an other special point ends its row pair
// without a line or series point.
SpecialPointsResult SearchSpecialPoints(const CellGrid& grid, const std::string& yQuantityName,
                                        char decimalSeparator = '.');

} // namespace solvane
