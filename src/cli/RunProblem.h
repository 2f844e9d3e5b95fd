#pragma once
// One problem computed as pressing Run would without step mode, then the
// diagram built from it: the JSON object of `solvane-cli run` and the
// diagram's snapshot for the files drawn or written from it.
#include "diagram/DiagramSnapshot.h"
#include "store/Problem.h"

#include <nlohmann/json.hpp>

namespace solvane::cli {

struct TComputedProblem {
    // {"name", "completed", "messages", "error", "y_parameter", "x_caption",
    //  "y_caption", "lines", "grid", "boundary_points", "nodes", "special_points",
    //  "special_series"}, and "refined" when refined.
    nlohmann::json Json;
    bool Completed = false;
    TDiagramSnapshot Diagram; // special points only when the run completed
};

TComputedProblem ComputeProblem(const TProblemRow& problem, bool refine);

} // namespace solvane::cli
