#include "RunTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace solvane;
using namespace solvane::test;

namespace {

// Records what the windows would be told, and lets a test act where the GUI
// lets pending messages through.
struct Recorder : TRunObserver {
    std::vector<std::string> titles;
    int phasePoints = 0, convexPoints = 0, clears = 0, resets = 0, completes = 0, setups = 0;
    std::vector<std::string> status;
    std::vector<int> markRows, segmentRows;
    std::vector<int> segmentCounts;
    std::vector<TRunState> states;
    std::function<void()> onLine;
    void NewChart(const std::vector<std::string>& t, double) override { titles = t; }
    void ChartLine(std::span<const std::vector<TChartPoint>> phases, std::span<const TChartPoint> convex) override
    {
        ++clears; // every line replaces the points of every series
        for (const auto& series : phases)
            phasePoints += static_cast<int>(series.size());
        convexPoints += static_cast<int>(convex.size());
    }
    void ResetMosaic() override { ++resets; }
    void MarkPointPhase(double, int row) override { markRows.push_back(row); }
    void DrawSegments(std::span<const TZPoint> ends, int row, std::uint32_t) override
    {
        segmentRows.push_back(row);
        segmentCounts.push_back(static_cast<int>(ends.size() / 2));
    }
    void StateChanged(const TRunState& s) override { states.push_back(s); }
    void StatusText(const std::string& text) override { status.push_back(text); }
    void SetupFinished() override { ++setups; }
    void LineFinished() override
    {
        if (onLine)
            onLine();
    }
    void RunComplete() override { ++completes; }
};

void ExpectState(const TRun& run, TRunState state, const char* moment)
{
    EXPECT_EQ(run.State().Phase, state.Phase) << moment;
    EXPECT_EQ(run.State().DiagramAvailable, state.DiagramAvailable) << moment;
}

// Between runs, after one that left a grid.
constexpr TRunState kEndedWithGrid{TRunPhase::Idle, true};

} // namespace

TEST(RunControl, ContinuousRunReportsToTheObserver)
{
    TRun run;
    Recorder recorder;
    TMessageRecorder sink;
    run.SetObserver(&recorder);
    run.SetMessageSink(&sink);
    run.Input.Problem = MakeProblem("GL=1000*(X-0.1)^2\nGS=1000*(X-0.9)^2\nGC=-100;X=0.5", 0, 300, 30, 10);
    run.Input.Problem.ShowChart = true;
    run.Input.Problem.ShowMosaicDiagram = true;
    TRunState during;
    recorder.onLine = [&] { during = run.State(); };
    EXPECT_EQ(run.Run().End, TRunEnd::Completed);

    EXPECT_TRUE(sink.Messages.empty());
    EXPECT_EQ(recorder.titles, (std::vector<std::string>{"L", "S", "Convex"}));
    EXPECT_EQ(recorder.setups, 1);
    EXPECT_EQ(recorder.resets, 1);
    EXPECT_EQ(recorder.clears, 31);
    EXPECT_EQ(recorder.phasePoints, 31 * 2 * 11);
    EXPECT_EQ(recorder.convexPoints, 31 * 3); // 1, the point phase, 0
    // Refreshed before the 2nd, 12th and 22nd line.
    EXPECT_EQ(recorder.status, (std::vector<std::string>{"Temperature = 290", "Temperature = 190", "Temperature = 90"}));
    // S = (410 - 10) / 300; line k on row Trunc(k * 10 * S).
    ASSERT_EQ(recorder.segmentRows.size(), 31u);
    EXPECT_EQ(recorder.segmentRows[3], 40);
    EXPECT_EQ(recorder.segmentRows[30], 400);
    EXPECT_EQ(recorder.segmentCounts[0], 2);
    EXPECT_EQ(recorder.markRows.size(), 31u); // Q of the pair (1, point phase)
    EXPECT_EQ(recorder.completes, 1);
    EXPECT_TRUE(run.Results().Completed);
    EXPECT_EQ(during, (TRunState{TRunPhase::Running, false}));
    ExpectState(run, kEndedWithGrid, "complete");
    // Every change was told, the last one being the state at the end.
    ASSERT_GE(recorder.states.size(), 2u);
    EXPECT_EQ(recorder.states.back(), run.State());
    // Segment ends in the order found: the larger X first.
    for (int i = 0; i + 1 <= run.Results().ZHigh; i += 2)
        EXPECT_GT(run.Results().BoundaryPoints[i].X, run.Results().BoundaryPoints[i + 1].X);
}

TEST(RunControl, StopBeforeTheNextLine)
{
    TRun run;
    Recorder recorder;
    run.SetObserver(&recorder);
    run.Input.Problem = MakeProblem("GL=1000*(X-0.5)^2", 300, 400, 10, 4);
    int lines = 0;
    recorder.onLine = [&] {
        if (++lines == 3)
            run.RequestStop(); // the user confirmed Stop
    };
    EXPECT_EQ(run.Run().End, TRunEnd::Stopped);
    EXPECT_EQ(run.Results().LineIndex, 2);
    EXPECT_EQ(run.Results().CurrentY, 370);
    EXPECT_FALSE(run.Results().Completed);
    EXPECT_EQ(recorder.completes, 0);
    ExpectState(run, kEndedWithGrid, "stopped");
    // Without step mode the next Run is a new run from Ymax.
    recorder.onLine = nullptr;
    run.Run();
    EXPECT_EQ(run.Results().LineIndex, 10);
    EXPECT_TRUE(run.Results().Completed);
    EXPECT_EQ(recorder.resets, 2);
}

TEST(RunControl, StepModeOneLinePerRun)
{
    TRun run;
    Recorder recorder;
    TMessageRecorder sink;
    run.SetObserver(&recorder);
    run.SetMessageSink(&sink);
    run.Input.Problem = MakeProblem("GL=1000*(X-0.5)^2", 300, 400, 2, 4);
    run.Input.StepMode = true;

    EXPECT_EQ(run.Run().End, TRunEnd::Stepped);
    EXPECT_EQ(run.Results().LineIndex, 0);
    EXPECT_EQ(run.Results().CurrentY, 350);
    ExpectState(run, {TRunPhase::Stepping, false}, "paused between steps");
    run.Run();
    EXPECT_EQ(run.Results().LineIndex, 1);
    EXPECT_EQ(recorder.resets, 1); // a continuation, not a new run

    // A confirmed Stop takes effect at the next press, which computes nothing.
    run.RequestStop();
    EXPECT_EQ(run.Run().End, TRunEnd::Stopped);
    EXPECT_EQ(run.Results().LineIndex, 1);
    ExpectState(run, kEndedWithGrid, "stopped in step mode");
    // The press after that continues.
    EXPECT_EQ(run.Run().End, TRunEnd::Completed);
    EXPECT_EQ(run.Results().LineIndex, 2);
    EXPECT_TRUE(run.Results().Completed);
    EXPECT_EQ(run.Results().Cells.RowCount(), 4);
    EXPECT_EQ(recorder.completes, 1);
    EXPECT_TRUE(sink.Messages.empty());

    // After the last line a press asks first; No keeps the results.
    EXPECT_EQ(run.Run().End, TRunEnd::Refused);
    ASSERT_EQ(sink.Messages.size(), 1u);
    EXPECT_EQ(sink.Messages[0].Kind, TMessageKind::Confirmation);
    EXPECT_EQ(sink.Messages[0].Text, "Restart the problem?");
    EXPECT_EQ(run.Results().LineIndex, 2);
    EXPECT_EQ(run.Results().Cells.RowCount(), 4);
    ExpectState(run, kEndedWithGrid, "restart declined");
    // Yes starts a new run with its first line.
    sink.ConfirmAnswer = true;
    run.Run();
    EXPECT_EQ(sink.Messages.size(), 2u);
    EXPECT_EQ(run.Results().LineIndex, 0);
    EXPECT_EQ(run.Results().Cells.RowCount(), 2);
    EXPECT_EQ(recorder.resets, 2);

    // Moving to another problem sets CurrentY to its Ymax: the next press is a new run.
    run.Run();
    run.SelectProblem(run.Input.Problem);
    run.Run();
    EXPECT_EQ(run.Results().LineIndex, 0);
    EXPECT_EQ(recorder.resets, 3);
}

TEST(RunControl, NoNestedRunWhileTheSweepLetsMessagesThrough)
{
    TRun run;
    Recorder recorder;
    run.SetObserver(&recorder);
    run.Input.Problem = MakeProblem("GL=1000*(X-0.5)^2", 300, 400, 10, 4);
    int nestedLines = -2;
    recorder.onLine = [&] {
        const int before = run.Results().LineIndex;
        EXPECT_TRUE(run.IsRunning());
        EXPECT_EQ(run.Run().End, TRunEnd::Refused); // F9 pressed again
        nestedLines = run.Results().LineIndex - before;
    };
    run.Run();
    EXPECT_EQ(nestedLines, 0);
    EXPECT_EQ(run.Results().LineIndex, 10);
    EXPECT_EQ(recorder.resets, 1);
    EXPECT_FALSE(run.IsRunning());
    // An error leaves the guard open too.
    run.Input.Problem.Functs = "GL=LN(T-350)";
    const TRunOutcome failed = run.Run();
    EXPECT_EQ(failed.End, TRunEnd::Failed);
    EXPECT_EQ(failed.Error, "Invalid floating point operation");
    ExpectState(run, kEndedWithGrid, "failed mid-sweep");
    EXPECT_FALSE(run.IsRunning());
}

TEST(RunControl, LargeRunStaysCompact)
{
    TRun run;
    const auto r = RunProblemHeadless(
        run, MakeProblem("W=1000+T\nGL=W*X*(1-X)+Sid*T\nGS1=2000*X*(1-X)-1000+2*T+Sid*T\nGS2=3000*X*(1-X)-500+T+Sid*T\n"
                         "GC=-3000;X=0.25\nGC=-2500;X=0.75",
                         300, 1300, 1000, 1000));
    EXPECT_TRUE(r.Completed);
    EXPECT_EQ(run.Results().Cells.RowCount(), 1002);
    const std::size_t bytes = run.Results().Cells.MemoryBytes() + run.Results().BoundaryPoints.capacity() * sizeof(TZPoint);
    EXPECT_LT(bytes, 64u * 1024 * 1024);
}

TEST(RunControl, ScriptReadAgainBetweenSteps)
{
    // PrepareRun between two steps (another database opened) may bring more
    // point phases than the run's arrays were sized for.
    TRun run;
    run.Input.Problem = MakeProblem("GL=1000*(X-0.5)^2", 300, 400, 4, 4);
    run.Input.StepMode = true;
    run.Run();
    run.Input.Problem.Functs = "GL=1000*(X-0.5)^2\nGC=-100;X=0.6\nGC=-100;X=0.35\nGC=-100;X=0.15";
    run.PrepareRun();
    ASSERT_FALSE(run.Results().PrepareFailed);
    TRunTestAccess::State(run).CurrentY = 375; // as if the problem list had left it mid-sweep
    run.Run();
    EXPECT_EQ(run.Results().LineIndex, 0); // prepared: the line count starts again
    // Hull 1, 0.6, 0.15, 0 (0.35 lies on the line between its neighbours).
    ASSERT_EQ(run.Results().ZHigh, 3);
    EXPECT_EQ(run.Results().BoundaryPoints[1].Phase, "0.6");
    EXPECT_EQ(run.Results().BoundaryPoints[3].Phase, "0.15");
}
