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
    std::function<void()> onLine;
    void NewChart(const std::vector<std::string>& t, double) override { titles = t; }
    void ClearChart() override { ++clears; }
    void AddPhasePoint(int, double, double) override { ++phasePoints; }
    void AddConvexPoint(double, double) override { ++convexPoints; }
    void ResetMosaic() override { ++resets; }
    void MarkPointPhase(double, int row) override { markRows.push_back(row); }
    void DrawSegments(const TZPoint*, int count, int row, std::uint32_t) override
    {
        segmentRows.push_back(row);
        segmentCounts.push_back(count);
    }
    void StatusText(const std::string& text) override { status.push_back(text); }
    void SetupFinished() override { ++setups; }
    void LineFinished() override
    {
        if (onLine)
            onLine();
    }
    void RunComplete() override { ++completes; }
};

struct Controls {
    bool stop, step, list, diagram;
};

void ExpectControls(const TRun& run, Controls c, const char* moment)
{
    EXPECT_EQ(run.StopEnabled, c.stop) << moment;
    EXPECT_EQ(run.StepEnabled, c.step) << moment;
    EXPECT_EQ(run.ProblemListEnabled, c.list) << moment;
    EXPECT_EQ(run.DiagramEnabled, c.diagram) << moment;
}

} // namespace

TEST(RunControl, ContinuousRunReportsToTheObserver)
{
    TRun run;
    Recorder recorder;
    TRecordingSink sink;
    run.SetObserver(&recorder);
    run.SetMessageSink(&sink);
    run.Problem = MakeProblem("GL=1000*(X-0.1)^2\nGS=1000*(X-0.9)^2\nGC=-100;X=0.5", 0, 300, 30, 10);
    run.Problem.ShowChart = true;
    run.Problem.ShowMosaicDiagram = true;
    Controls during{};
    recorder.onLine = [&] { during = {run.StopEnabled, run.StepEnabled, run.ProblemListEnabled, run.DiagramEnabled}; };
    run.Run();

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
    EXPECT_TRUE(run.Completed);
    EXPECT_TRUE(during.stop);
    EXPECT_FALSE(during.step);
    EXPECT_FALSE(during.list);
    ExpectControls(run, {false, true, true, true}, "complete");
    // Segment ends in the order found: the larger X first.
    for (int i = 0; i + 1 <= run.ZHigh; i += 2)
        EXPECT_GT(run.BoundaryPoints[i].X, run.BoundaryPoints[i + 1].X);
}

TEST(RunControl, StopBeforeTheNextLine)
{
    TRun run;
    Recorder recorder;
    run.SetObserver(&recorder);
    run.Problem = MakeProblem("GL=1000*(X-0.5)^2", 300, 400, 10, 4);
    int lines = 0;
    recorder.onLine = [&] {
        if (++lines == 3)
            run.StopRequested = true; // the user confirmed Stop
    };
    run.Run();
    EXPECT_EQ(run.LineIndex, 2);
    EXPECT_EQ(run.CurrentY, 370);
    EXPECT_FALSE(run.StopRequested);
    EXPECT_FALSE(run.Completed);
    EXPECT_EQ(recorder.completes, 0);
    ExpectControls(run, {false, true, true, true}, "stopped");
    // Without step mode the next Run is a new run from Ymax.
    recorder.onLine = nullptr;
    run.Run();
    EXPECT_EQ(run.LineIndex, 10);
    EXPECT_TRUE(run.Completed);
    EXPECT_EQ(recorder.resets, 2);
}

TEST(RunControl, StepModeOneLinePerRun)
{
    TRun run;
    Recorder recorder;
    TRecordingSink sink;
    run.SetObserver(&recorder);
    run.SetMessageSink(&sink);
    run.Problem = MakeProblem("GL=1000*(X-0.5)^2", 300, 400, 2, 4);
    run.StepMode = true;

    run.Run();
    EXPECT_EQ(run.LineIndex, 0);
    EXPECT_EQ(run.CurrentY, 350);
    ExpectControls(run, {true, false, true, false}, "paused between steps");
    run.Run();
    EXPECT_EQ(run.LineIndex, 1);
    EXPECT_EQ(recorder.resets, 1); // a continuation, not a new run

    // A confirmed Stop takes effect at the next press, which computes nothing.
    run.StopRequested = true;
    run.Run();
    EXPECT_EQ(run.LineIndex, 1);
    ExpectControls(run, {false, true, true, true}, "stopped in step mode");
    // The press after that continues.
    run.Run();
    EXPECT_EQ(run.LineIndex, 2);
    EXPECT_TRUE(run.Completed);
    EXPECT_EQ(run.Cells.RowCount(), 4);
    EXPECT_EQ(recorder.completes, 1);
    EXPECT_TRUE(sink.Messages.empty());

    // After the last line a press asks first; No keeps the results.
    run.Run();
    ASSERT_EQ(sink.Messages.size(), 1u);
    EXPECT_EQ(sink.Messages[0].Kind, TMessageKind::Confirmation);
    EXPECT_EQ(sink.Messages[0].Text, "Restart the problem?");
    EXPECT_EQ(run.LineIndex, 2);
    EXPECT_EQ(run.Cells.RowCount(), 4);
    ExpectControls(run, {false, true, true, true}, "restart declined");
    // Yes starts a new run with its first line.
    sink.ConfirmAnswer = true;
    run.Run();
    EXPECT_EQ(sink.Messages.size(), 2u);
    EXPECT_EQ(run.LineIndex, 0);
    EXPECT_EQ(run.Cells.RowCount(), 2);
    EXPECT_EQ(recorder.resets, 2);

    // Moving to another problem sets CurrentY to its Ymax: the next press is a new run.
    run.Run();
    run.CurrentY = run.Ymax;
    run.Run();
    EXPECT_EQ(run.LineIndex, 0);
    EXPECT_EQ(recorder.resets, 3);
}

TEST(RunControl, NoNestedRunWhileTheSweepLetsMessagesThrough)
{
    TRun run;
    Recorder recorder;
    run.SetObserver(&recorder);
    run.Problem = MakeProblem("GL=1000*(X-0.5)^2", 300, 400, 10, 4);
    int nestedLines = -2;
    recorder.onLine = [&] {
        const int before = run.LineIndex;
        EXPECT_TRUE(run.IsRunning());
        run.Run(); // F9 pressed again
        nestedLines = run.LineIndex - before;
    };
    run.Run();
    EXPECT_EQ(nestedLines, 0);
    EXPECT_EQ(run.LineIndex, 10);
    EXPECT_EQ(recorder.resets, 1);
    EXPECT_FALSE(run.IsRunning());
    // An error leaves the guard open too.
    run.Problem.Functs = "GL=LN(T-350)";
    EXPECT_THROW(run.Run(), std::exception);
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
    EXPECT_EQ(run.Cells.RowCount(), 1002);
    const std::size_t bytes = run.Cells.MemoryBytes() + run.BoundaryPoints.capacity() * sizeof(TZPoint);
    EXPECT_LT(bytes, 64u * 1024 * 1024);
}

TEST(RunControl, ScriptReadAgainBetweenSteps)
{
    // PrepareRun between two steps (another database opened) may bring more
    // point phases than the run's arrays were sized for.
    TRun run;
    run.Problem = MakeProblem("GL=1000*(X-0.5)^2", 300, 400, 4, 4);
    run.StepMode = true;
    run.Run();
    run.Problem.Functs = "GL=1000*(X-0.5)^2\nGC=-100;X=0.6\nGC=-100;X=0.35\nGC=-100;X=0.15";
    run.PrepareRun();
    ASSERT_FALSE(run.PrepareFailed);
    run.CurrentY = 375; // as if the problem list had left it mid-sweep
    run.Run();
    EXPECT_EQ(run.LineIndex, 0); // prepared: the line count starts again
    // Hull 1, 0.6, 0.15, 0 (0.35 lies on the line between its neighbours).
    ASSERT_EQ(run.ZHigh, 3);
    EXPECT_EQ(run.BoundaryPoints[1].Phase, "0.6");
    EXPECT_EQ(run.BoundaryPoints[3].Phase, "0.15");
}
