#pragma once
// One problem computed as pressing Run would without step mode, as the JSON
// object of `solvane-cli run`.
#include "calc/ProblemInput.h"
#include "calc/Run.h"
#include "calc/SP_search.h"

#include <nlohmann/json.hpp>

namespace solvane::cli {

// {"name", "completed", "messages", "error", "y_parameter", "x_caption",
//  "y_caption", "lines", "grid", "boundary_points", "nodes", "special_points",
//  "special_series"}.
nlohmann::json RunProblemToJson(const TProblemInput& problem);

// The same on a run that stays for what is drawn or written from it after;
// special receives the special points search's results when given.
nlohmann::json RunProblemToJson(TRun& run, const TProblemInput& problem, SpecialPointsResult* special = nullptr);

} // namespace solvane::cli
