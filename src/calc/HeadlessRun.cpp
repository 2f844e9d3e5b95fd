#include "calc/HeadlessRun.h"

namespace solvane {

THeadlessResult RunProblemHeadless(TRun& run, const TProblemRow& problem, TRunObserver* observer)
{
    TMessageRecorder sink;
    run.SetMessageSink(&sink);
    run.SetObserver(observer);
    run.Input.Problem = problem;
    run.Input.StepMode = false;
    THeadlessResult result;
    result.Outcome = run.Run();
    result.Completed = result.Outcome.End == TRunEnd::Completed;
    result.Messages = std::move(sink.Messages);
    run.SetMessageSink(nullptr);
    run.SetObserver(nullptr);
    return result;
}

} // namespace solvane
