#pragma once
// One problem computed as pressing Run would without step mode, as the JSON
// object of `solvane-cli run`.
#include "calc/ProblemInput.h"

#include <nlohmann/json.hpp>

namespace solvane::cli {

// {"name", "completed", "messages", "error", "y_parameter", "x_caption",
//  "y_caption", "lines", "grid", "boundary_points", "nodes", "special_points",
//  "special_series"}.
nlohmann::json RunProblemToJson(const TProblemInput& problem);

} // namespace solvane::cli
