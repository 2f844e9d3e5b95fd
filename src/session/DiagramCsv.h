#pragma once
// The data of a finished run as CSV, for a spreadsheet or a plotting program:
// the header "kind,y,x,x_left,x_right,phase", then a row per boundary point
// ("boundary"), per node ("node") and per other special point ("special").
// Numbers have "." and the shortest text that reads back to the same double;
// texts are UTF-8, quoted when they hold a comma, a quote or a line break.
#include "calc/RunState.h"
#include "calc/SP_search.h"

#include <string>

namespace solvane {

std::string DiagramCsv(const TRunResults& results, const SpecialPointsResult& special);

} // namespace solvane
