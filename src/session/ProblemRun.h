#pragma once
// The current problem row joined to the run: what a Run press and a move to
// another problem hand over from the problem table.
#include "calc/ProblemInput.h"
#include "store/ProblemRow.h"

namespace solvane {

TProblemInput ToRunInput(const TProblemRow& row);

} // namespace solvane
