#pragma once
// A whole problem without a window: one Run press without step mode. What the
// command-line tool and the tests use; the diagram is built from it after.
#include "calc/Run.h"
#include "text/Messages.h"

#include <string>
#include <vector>

namespace solvane {

struct THeadlessResult {
    std::vector<TRecordedMessage> Messages;
    TRunOutcome Outcome;
    bool Completed = false;
};

// The results stay in `run` (grid, BoundaryPoints, ...). The observer
// may be null.
THeadlessResult RunProblemHeadless(TRun& run, const TProblemRow& problem, TRunObserver* observer = nullptr);

} // namespace solvane
