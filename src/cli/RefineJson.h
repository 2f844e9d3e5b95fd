#pragma once
// The refinement of a finished run as the "refined" object of `solvane-cli run --refine`.
#include "refine/Refine.h"

#include <nlohmann/json.hpp>

namespace solvane::cli {

// {"boundaries", "nodes", "points", "branches"}; phases named as in "boundary_points".
nlohmann::json RefinementToJson(const TRefinement& refinement);

} // namespace solvane::cli
