#pragma once
// The refined boundaries joined into lines: by phase pair and side, from line
// to line, and ended at the refined nodes and points they run into.
#include "refine/Refine.h"

#include <vector>

namespace solvane {

// ystep: the run's Y step; a node within one and a half steps of a branch's
// end closes it, and a point where the region closes within 16 steps.
std::vector<TRefinedBranch> JoinBranches(const TRefinement& refinement, double ystep);

} // namespace solvane
