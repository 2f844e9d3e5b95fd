#pragma once
// The data of a finished run as CSV, for a spreadsheet or a plotting program:
// the header "kind,y,x,x_left,x_right,phase", then a row per boundary point
// ("boundary"), per node ("node") and per other special point ("special"),
// and, given a refinement, a row per refined boundary ("refined_boundary":
// x_left, x_right and "left+right"), node ("refined_node": its three phases
// joined by "+") and point ("refined_point": "kind: phases"). A refined entry
// that could not be trusted holds only the grid's value again, so it has no row.
// Numbers have "." and the shortest text that reads back to the same double;
// texts are UTF-8, quoted when they hold a comma, a quote or a line break.
#include "calc/Refine.h"
#include "calc/RunState.h"
#include "calc/SP_search.h"

#include <span>
#include <string>

namespace solvane {

// boundaryPoints: the run's boundary points 0 to ZHigh.
std::string DiagramCsv(std::span<const TZPoint> boundaryPoints, const SpecialPointsResult& special,
                       const TRefinement* refinement = nullptr);

// The boundary points 0 to ZHigh of a run's results.
std::span<const TZPoint> BoundaryPointsOf(const TRunResults& results);

} // namespace solvane
