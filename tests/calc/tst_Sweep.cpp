#include "RunTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

using namespace solvane;
using namespace solvane::test;

namespace {

// Two parabolas that touch G = 0 at X = 0.1 and X = 0.9: their common tangent
// is G = 0, so the hull jumps from 0.1 straight to 0.9.
const char* kTwoPhases = "GL=1000*(X-0.1)^2\nGS=1000*(X-0.9)^2";

std::vector<std::string> ColumnTexts(const TRun& run)
{
    std::vector<std::string> texts;
    for (const auto& c : run.Results().XColumns)
        texts.push_back(c.Text);
    return texts;
}

} // namespace

TEST(Sweep, ColumnsWithPointPhases)
{
    struct Case {
        const char* script;
        std::vector<std::string> columns;
    };
    const Case cases[] = {
        {"GL=X", {"0", "0.25", "0.5", "0.75", "1"}},
        {"GL=X\nGC=1;X=0.3", {"0", "0.25", "0.3", "0.5", "0.75", "1"}},
        {"GL=X\nGC=1;X=0.5", {"0", "0.25", "0.5", "0.75", "1"}},
        {"GL=X\nGC=1;X=0.4\nGC=1;X=0.3", {"0", "0.25", "0.4", "0.5", "0.75", "1"}},
        {"GL=X\nGC=1;X=0.9\nGC=1;X=0.1", {"0", "0.1", "0.25", "0.5", "0.75", "0.9", "1"}},
        {"GL=X\nGC=1;X=1/3", {"0", "0.25", "0.33333333", "0.5", "0.75", "1"}},
        {"GL=X\n#XMIN=0.2\n#XMAX=0.6", {"0.2", "0.3", "0.4", "0.5", "0.6"}},
    };
    for (const Case& c : cases) {
        TRun run;
        RunProblemHeadless(run, MakeProblem(c.script, 300, 400, 1, 4));
        EXPECT_EQ(ColumnTexts(run), c.columns) << c.script;
        ASSERT_EQ(run.Results().Cells.ColCount(), static_cast<int>(c.columns.size()) + 1);
        EXPECT_EQ(run.Results().Cells.Cell(0, 0), " Y/X");
        for (std::size_t k = 0; k < c.columns.size(); ++k)
            EXPECT_EQ(run.Results().Cells.Cell(static_cast<int>(k) + 1, 0), c.columns[k]);
    }
}

TEST(Sweep, LinesFromYmaxDownToYmin)
{
    struct Case {
        double ymin, ymax;
        int ypoints, xpoints;
        std::vector<std::string> ys;
        int columns;
    };
    const Case cases[] = {
        {300, 400, 10, 10, {"400", "390", "380", "370", "360", "350", "340", "330", "320", "310", "300"}, 11},
        {300, 400, 0, 1, {"400", "300"}, 3},    // YPoints 0 acts as 1, XPoints 1 as 2
        {300, 400, -5, -3, {"400", "300"}, 3},
        {0, 1, 3, 2, {"1", "0.666667", "0.333333", "0"}, 3},
        {250, 250, 10, 2, {"250"}, 3},           // one line
    };
    for (const Case& c : cases) {
        TRun run;
        const auto result = RunProblemHeadless(run, MakeProblem("GL=1000*(X-0.5)^2", c.ymin, c.ymax, c.ypoints, c.xpoints));
        EXPECT_TRUE(result.Completed);
        EXPECT_TRUE(result.Messages.empty());
        ASSERT_EQ(run.Results().Cells.RowCount(), static_cast<int>(c.ys.size()) + 1);
        EXPECT_EQ(run.Results().LineIndex + 1, static_cast<int>(c.ys.size()));
        for (std::size_t r = 0; r < c.ys.size(); ++r)
            EXPECT_EQ(run.Results().Cells.Cell(0, static_cast<int>(r) + 1), c.ys[r]);
        EXPECT_EQ(static_cast<int>(run.Results().XColumns.size()), c.columns);
        EXPECT_NEAR(run.Results().CurrentY, c.ymin, 1e-11); // the last line may stop just above Ymin
    }
}

TEST(Sweep, GridRowsAndSegments)
{
    struct Case {
        const char* name;
        const char* script;
        int xpoints;
        std::vector<std::string> row;
        std::vector<TZPoint> ends; // of the first line; the second line repeats them
    };
    const Case cases[] = {
        {"one strictly convex phase", "GL=1000*(X-0.5)^2", 10,
         {"L", "L", "L", "L", "L", "L", "L", "L", "L", "L", "L"}, {}},
        {"common tangent", kTwoPhases, 10,
         {"L", "L", "E", "E", "E", "E", "E", "E", "E", "S", "S"},
         {{0.9, 400, 10, "S"}, {0.1, 400, 2, "L"}}},
        {"point phase below both", "GL=1000*(X-0.1)^2\nGS=1000*(X-0.9)^2\nGC=-100;X=0.5", 10,
         {"L", "E", "E", "E", "E", "C0.5", "E", "E", "E", "E", "S"},
         {{1, 400, 11, "S"}, {0.5, 400, 0, "0.5"}, {0.5, 400, 0, "0.5"}, {0, 400, 1, "L"}}},
        {"point phase between columns", "GL=1000*(X-0.1)^2\nGS=1000*(X-0.9)^2\nGC=-100;X=0.55", 10,
         {"L", "E", "E", "E", "E", "E", "C0.55", "E", "E", "E", "E", "S"},
         {{1, 400, 12, "S"}, {0.55, 400, 0, "0.55"}, {0.55, 400, 0, "0.55"}, {0, 400, 1, "L"}}},
        {"point phase outside the X range", "GL=1000*(X-0.5)^2\nGC=-1000;X=0\n#XMIN=0.5", 2,
         {"L", "E", "L"},
         {{1, 400, 3, "L"}, {0.5, 400, 1, "L"}, {0.5, 400, 1, "L"}, {0, 400, 0, "0"}}},
        // Beyond Xmax the chord is extended: a point phase above it is no candidate.
        {"point phase beyond Xmax above the chord", "GL=1000*(X-0.5)^2\nGC=0;X=1\n#XMAX=0.4", 2,
         {"L", "L", "L"}, {}},
        {"a straight stretch", "GL=100*X", 10, {"L", "E", "E", "E", "E", "E", "E", "E", "E", "E", "L"},
         {{1, 400, 11, "L"}, {0, 400, 1, "L"}}},
        // The point phase shares X = 1 with the last column: the lower one sorts first.
        {"point phase under the last column", "GL=1000*(X-0.5)^2\nGC=100;X=1", 10,
         {"L", "L", "L", "L", "L", "L", "L", "E", "E", "E", "L"}, {{1, 400, 11, "L"}, {0.6, 400, 7, "L"}}},
        {"parameters set per column", "W=1000*(X-0.5)^2\nGL=W+0*T", 4, {"L", "L", "L", "L", "L"}, {}},
    };
    for (const Case& c : cases) {
        TRun run;
        const auto result = RunProblemHeadless(run, MakeProblem(c.script, 300, 400, 1, c.xpoints));
        EXPECT_TRUE(result.Completed) << c.name;
        EXPECT_TRUE(result.Messages.empty()) << c.name;
        EXPECT_EQ(DataRow(run.Results().Cells, 1), c.row) << c.name;
        ASSERT_EQ(run.Results().ZHigh + 1, static_cast<int>(2 * c.ends.size())) << c.name;
        for (std::size_t i = 0; i < c.ends.size(); ++i) {
            const TZPoint& z = run.Results().BoundaryPoints[i];
            EXPECT_NEAR(z.X, c.ends[i].X, 1e-12) << c.name << " end " << i;
            EXPECT_EQ(z.Y, 400) << c.name;
            EXPECT_EQ(z.Col, c.ends[i].Col) << c.name << " end " << i;
            EXPECT_EQ(z.Phase, c.ends[i].Phase) << c.name << " end " << i;
            EXPECT_EQ(run.Results().BoundaryPoints[i + c.ends.size()].Y, 300) << c.name;
        }
    }
}

TEST(Sweep, OpenCases)
{
    // X range of zero width: one column, which is its own chord.
    {
        TRun run;
        const auto r = RunProblemHeadless(run, MakeProblem("GL=X\n#XMIN=0.5\n#XMAX=0.5", 300, 400, 2, 10));
        EXPECT_TRUE(r.Completed);
        EXPECT_TRUE(r.Messages.empty());
        EXPECT_EQ(DataRow(run.Results().Cells, 1), std::vector<std::string>{"L"});
        EXPECT_EQ(run.Results().ZHigh, -1);
    }
    // No column and no point phase: every line reports it and shows an empty row.
    {
        TRun run;
        const auto r = RunProblemHeadless(run, MakeProblem("GL=X\n#XMIN=1\n#XMAX=0", 300, 400, 1, 10));
        EXPECT_TRUE(r.Completed);
        EXPECT_EQ(Texts(r.Messages),
                  (std::vector<std::string>{"Number of points equals to -1", "Number of points equals to -1"}));
        EXPECT_EQ(r.Messages[0].Kind, TMessageKind::Information);
        EXPECT_EQ(run.Results().Cells.RowCount(), 3);
        EXPECT_EQ(run.Results().Cells.Cell(0, 2), "300");
    }
    // A column where every phase gives 1e10 or more has no stable phase: "E".
    {
        TRun run;
        const auto r = RunProblemHeadless(run, MakeProblem("GL=1E20*HEAV(0.05-X)+1000*(X-0.5)^2", 300, 400, 1, 10));
        EXPECT_TRUE(r.Completed);
        const auto row = DataRow(run.Results().Cells, 1);
        EXPECT_EQ(row[0], "E");
        EXPECT_EQ(row[1], "L");
        EXPECT_EQ(run.Results().ZHigh, -1);
    }
    // Steps lost in rounding, or an infinite Ymin, end at Ymin instead of repeating a line.
    for (const auto& [ymin, ymax] : {std::pair{1e17, 1e17 + 16}, std::pair{-HUGE_VAL, 1.0}}) {
        TRun run;
        const auto r = RunProblemHeadless(run, MakeProblem("GL=X", ymin, ymax, 100, 2));
        EXPECT_TRUE(r.Completed) << ymin;
        EXPECT_EQ(run.Results().LineIndex, 1) << ymin;
    }
    // The largest grid the fields allow is refused before anything is built.
    {
        TRun run;
        const auto r = RunProblemHeadless(run, MakeProblem("GL=X", 0, 1, 32767, 32767));
        EXPECT_FALSE(r.Completed);
        ASSERT_EQ(r.Messages.size(), 1u);
        EXPECT_EQ(r.Messages[0].Kind, TMessageKind::Warning);
        EXPECT_EQ(r.Messages[0].Text, "The grid is too large: at most 16777216 cells are allowed; reduce XPoints or YPoints");
        EXPECT_EQ(run.Results().LineIndex, -1);
        EXPECT_EQ(run.Results().Cells.RowCount(), 0);
    }
    // The widest grid runs when it has few lines.
    {
        TRun run;
        const auto r = RunProblemHeadless(run, MakeProblem("GL=1000*(X-0.5)^2", 0, 1, 1, 32767));
        EXPECT_TRUE(r.Completed);
        EXPECT_EQ(run.Results().XColumns.size(), 32768u);
        EXPECT_EQ(run.Results().Cells.Cell(32768, 2), "L");
    }
}

TEST(Sweep, FixedQuantityAndSweptVariable)
{
    // GL reads T, p and y; its value at X = 0 and X = 1 shows which was swept.
    struct Case {
        const char* y;
        double z;
        const char* script;
        double expectedTemperature, expectedPressure;
    };
    const Case cases[] = {
        {"Temperature", 5, "GL=X", 300, 5},
        {"Temperature", -1, "GL=X", 300, 1},  // no positive pressure: 1
        {"Pressure", 700, "GL=X", 700, 300},
        {"Y", 9, "GL=X\nT=450\nP=3", 450, 3},
    };
    for (const Case& c : cases) {
        TRun run;
        RunProblemHeadless(run, MakeProblem(c.script, 300, 400, 1, 2, c.y, c.z));
        EXPECT_EQ(run.Results().Temperature, c.expectedTemperature) << c.y;
        EXPECT_EQ(run.Results().Pressure, c.expectedPressure) << c.y;
    }
}

TEST(Sweep, PreparationFailures)
{
    struct Case {
        const char* script;
        double ymin, ymax;
        TMessageKind kind;
        const char* text;
    };
    const Case cases[] = {
        {"W=1", 300, 400, TMessageKind::Error, "Gibbs energy can not be computed"},
        {"GL=X", 400, 300, TMessageKind::Warning, "Ymax must be more that Ymin"},
        {"GL=X\nGC=1", 300, 400, TMessageKind::Warning, "Point phase concentration is invalid or not defined"},
    };
    for (const Case& c : cases) {
        TRun run;
        const auto r = RunProblemHeadless(run, MakeProblem(c.script, c.ymin, c.ymax));
        EXPECT_FALSE(r.Completed);
        EXPECT_EQ(r.Outcome.End, TRunEnd::Refused);
        EXPECT_TRUE(run.Results().PrepareFailed);
        ASSERT_EQ(r.Messages.size(), 1u) << c.script;
        EXPECT_EQ(r.Messages[0].Kind, c.kind);
        EXPECT_EQ(r.Messages[0].Text, c.text);
        EXPECT_EQ(run.Results().LineIndex, -1);
        EXPECT_EQ(run.State().Phase, TRunPhase::Idle);
    }
    TRun run;
    const auto r = RunProblemHeadless(run, MakeProblem("GL=X+", 300, 400));
    EXPECT_EQ(r.Outcome.End, TRunEnd::Failed);
    EXPECT_FALSE(r.Completed);
    EXPECT_EQ(run.Results().LineIndex, -1);
}

TEST(Sweep, EvaluatorErrorEndsTheRunAtThatLine)
{
    TRun run;
    const auto r = RunProblemHeadless(run, MakeProblem("GL=1000*(X-0.5)^2+LN(T-350)", 300, 400, 10, 10));
    EXPECT_EQ(r.Outcome.End, TRunEnd::Failed);
    EXPECT_EQ(r.Outcome.Error, "Invalid floating point operation");
    EXPECT_FALSE(r.Completed);
    EXPECT_EQ(run.Results().LineIndex, 5); // 400 ... 350 computed (LN(0) is 0)
    EXPECT_EQ(run.Results().CurrentY, 340);
    EXPECT_EQ(run.Results().Cells.RowCount(), 7);
    EXPECT_EQ(run.Results().Cells.Cell(0, 6), "350");
    EXPECT_EQ(run.State(), (TRunState{TRunPhase::Idle, true}));
}


TEST(Sweep, LocaleDecimalSeparator)
{
    // A decimal comma in every text the run writes; composition texts still read back.
    TRun run;
    run.Input.Separators.decimal = ',';
    const auto r = RunProblemHeadless(run, MakeProblem("GL=1000*(X-0.1)^2\nGS=1000*(X-0.9)^2\nGC=-100;X=0.3", 0.5, 1.5, 1, 4));
    EXPECT_TRUE(r.Completed);
    EXPECT_TRUE(r.Messages.empty());
    ASSERT_EQ(run.Script().PointPhases.size(), 1u);
    EXPECT_EQ(run.Script().PointPhases[0].Text, "0,3");
    EXPECT_EQ(DataRow(run.Results().Cells, 0), (std::vector<std::string>{"0", "0,25", "0,3", "0,5", "0,75", "1"}));
    EXPECT_EQ(run.Results().Cells.Cell(0, 1), "1,5");
    EXPECT_EQ(run.Results().Cells.Cell(3, 1), "C0,3");
}
