#pragma once
// A whole problem without a window: one Run press without step mode, then,
// when the sweep reached Ymin, the diagram's special points search. What the
// command-line tool and the tests use.
#include "calc/Run.h"
#include "calc/SP_search.h"
#include "text/Messages.h"

#include <string>
#include <vector>

namespace solvane {

struct THeadlessResult {
    std::vector<TRecordedMessage> Messages;
    TRunOutcome Outcome;
    bool Completed = false;
    SpecialPointsResult SpecialPoints; // empty unless completed
};

// The results stay in `run` (grid, BoundaryPoints, Nodes, ...). The observer
// may be null.
THeadlessResult RunProblemHeadless(TRun& run, const TProblemInput& problem, TRunObserver* observer = nullptr);

} // namespace solvane
