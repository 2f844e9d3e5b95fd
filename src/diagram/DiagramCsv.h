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
#include "diagram/DiagramSnapshot.h"

#include <string>

namespace solvane {

std::string DiagramCsv(const TDiagramSnapshot& diagram, bool withRefinement);

} // namespace solvane
