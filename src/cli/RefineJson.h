#pragma once
// The refinement of a finished run as the "refined" object of `solvane-cli run --refine`.
#include "calc/Refine.h"
#include "calc/Run.h"

#include <nlohmann/json.hpp>

namespace solvane::cli {

// {"boundaries", "nodes", "points", "branches"}; phases named as in "boundary_points".
nlohmann::json RefinementToJson(const TRefinement& refinement);

// Refines the run just computed, adds the result to its problem's JSON as
// "refined" and returns it.
TRefinement AddRefinement(nlohmann::json& problem, const TRun& run);

} // namespace solvane::cli
