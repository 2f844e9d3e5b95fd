#pragma once
// The texts of the phase labels on the diagram, read from the cell grid of the
// last run. A two-phase cell "E" names the single phases on either side of it
// in its row, as "L+S": at the click of the user, or for every region at once.
#include "calc/CellGrid.h"
#include "refine/Refine.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace solvane {

// The label the user drops at (x, y). columnX[c - 1] is the X of grid column
// c. Nothing when x lies right of the last column; an empty text when no row
// lies at or below y. Row Y values are read from column 0 with the decimal
// separator.
std::optional<std::string> PhaseLabelAt(const CellGrid& grid, const std::vector<double>& columnX, double x, double y,
                                        char decimalSeparator = '.');

// One label per phase region: a region is a connected set of cells (sharing a
// side or a corner) that read the same, a two-phase cell reading as its two
// phases. Small regions (a tenth of the largest of their text, or less) are
// taken for pieces that the grid cut off a thin band: such a region and the
// regions of its text within three cells of it get one label, at the largest
// of them. No label reads "E": cells of no phase, and a
// two-phase run without a phase on one side (at an edge of the X range), get
// none.
struct TRegionLabel {
    std::string Text;
    double X = 0, Y = 0; // the cell farthest inside the region
    int Cells = 0;       // the region's size
};

// The part of the diagram on view: cells outside it belong to no region, so
// that a region partly on view is labelled inside the part that is.
struct TRegionView {
    double XLow = -HUGE_VAL, XHigh = HUGE_VAL;
    double YLow = -HUGE_VAL, YHigh = HUGE_VAL;
};

// The grid as the region labels read it, the segment ends named as the
// refinement names them: a point phase's cell reads "C" and its composition
// at either end of a segment, the column at an edge of the range reads as the
// point phase that lies lowest there (the grid names the column's own phase),
// and a step that is no region reads as its one phase. Without a refinement,
// the grid itself.
CellGrid RegionCells(const CellGrid& grid, const std::vector<double>& columnX, const TRefinement& refinement,
                     char decimalSeparator = '.');

// cellWidth and cellHeight: a column's and a row's size on the screen, so that
// "inside" is measured as the eye sees it. Regions in the order of their
// first cell, row by row from the top.
std::vector<TRegionLabel> RegionLabels(const CellGrid& grid, const std::vector<double>& columnX, double cellWidth,
                                       double cellHeight, char decimalSeparator = '.', const TRegionView& view = {});

} // namespace solvane
