#include "HeadlessRun.h"

#include <exception>
#include <memory>

namespace solvane {

THeadlessResult RunProblemHeadless(TRun& run, const TProblemInput& problem, TRunObserver* observer)
{
    TRecordingSink sink;
    run.SetMessageSink(&sink);
    run.SetObserver(observer);
    run.Problem = problem;
    run.StepMode = false;
    THeadlessResult result;
    try {
        run.Run();
    } catch (const std::exception& e) {
        result.HasError = true;
        result.Error = e.what();
    }
    result.Completed = run.Completed && !result.HasError;
    if (result.Completed) {
        // The diagram build: the search fills Nodes and the special points list.
        result.SpecialPoints = run.SearchSpecialPoints();
    }
    result.Messages = std::move(sink.Messages);
    run.SetMessageSink(nullptr);
    run.SetObserver(nullptr);
    return result;
}

} // namespace solvane
