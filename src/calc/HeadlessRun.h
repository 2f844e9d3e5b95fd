#pragma once
// A whole problem without a window: one Run press without step mode, then,
// when the sweep reached Ymin, the diagram's special points search. What the
// command-line tool and the tests use.
#include "Run.h"
#include "SP_search.h"

#include <string>
#include <vector>

namespace solvane {

struct TRecordedMessage {
    TMessageKind Kind;
    std::string Text;
};

// Keeps every message in order; answers every confirmation with ConfirmAnswer.
class TRecordingSink : public TMessageSink {
public:
    std::vector<TRecordedMessage> Messages;
    bool ConfirmAnswer = false;
    bool Show(TMessageKind kind, const std::string& text) override
    {
        Messages.push_back({kind, text});
        return kind == TMessageKind::Confirmation && ConfirmAnswer;
    }
};

struct THeadlessResult {
    std::vector<TRecordedMessage> Messages;
    bool HasError = false;
    std::string Error; // the message of the exception that ended the run
    bool Completed = false;
    SpecialPointsResult SpecialPoints; // empty unless completed
};

// The results stay in `run` (grid, BoundaryPoints, Nodes, ...). The observer
// may be null.
THeadlessResult RunProblemHeadless(TRun& run, const TProblemInput& problem, TRunObserver* observer = nullptr);

} // namespace solvane
