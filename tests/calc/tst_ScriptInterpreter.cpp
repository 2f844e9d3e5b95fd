#include "RunTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace solvane;
using namespace solvane::test;

namespace {

struct Interpreted {
    bool ok = false;
    std::vector<TRecordedMessage> messages;
};

Interpreted Interpret(TRun& run, const std::string& script)
{
    TMessageRecorder sink;
    run.SetMessageSink(&sink);
    run.Input.Problem.Functs = script;
    Interpreted result;
    result.ok = run.InterpretScript();
    result.messages = sink.Messages;
    run.SetMessageSink(nullptr);
    return result;
}

std::vector<std::string> Names(const TNamedList<TParser>& list)
{
    std::vector<std::string> names;
    for (const auto& item : list)
        names.push_back(item.Text);
    return names;
}

} // namespace

TEST(InterpretScript, TheExampleScript)
{
    TRun run;
    const auto r = Interpret(run, "GL = 1000*X*(1-X) + Sid*T % liquid\r\n"
                                  "GS1 = -2000 + 3*T + Sid*T\r\n"
                                  "GC1 = -5000 + 2*T; X = 0.5\r\n"
                                  "#YCAP=Temperature, K\r\n");
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(Names(run.Script().Phases), (std::vector<std::string>{"L", "S1"}));
    EXPECT_EQ(Names(run.Script().PointPhases), std::vector<std::string>{"0.5"});
    EXPECT_TRUE(run.Script().Params.empty());
    EXPECT_EQ(run.Results().YCaption, "Temperature, K");
    EXPECT_EQ(run.Script().Phases[0].Object->Expression(), "1000*X*(1-X)+Sid*T");
    EXPECT_EQ(run.Script().PointPhases[0].Object->Expression(), "-5000+2*T"); // upper-cased
    // The point phase's variable named by its full left side, and X at the composition.
    EXPECT_NE(run.Script().PointPhases[0].Object->FindVariable("GC1"), nullptr);
    EXPECT_EQ(run.Script().PointPhases[0].Object->X(), 0.5);
    EXPECT_NE(run.Script().Phases[1].Object->FindVariable("S1"), nullptr);
}

TEST(InterpretScript, LinesDirectivesAndKinds)
{
    struct Case {
        const char* script;
        std::vector<std::string> phases;
        std::vector<std::string> points;
        std::vector<std::string> params;
        const char* xcap;
        double xmin, xmax, t, p;
    };
    const Case cases[] = {
        {"  % only a comment\r\n   \r\ngl=X", {"L"}, {}, {}, "", 0, 1, 300, 1},
        {"glass=1", {"LASS"}, {}, {}, "", 0, 1, 300, 1},
        {"GV=1\nGS2=2\nTA=3", {"V", "S2"}, {}, {"TA"}, "", 0, 1, 300, 1},
        {"#XCAP= Mole fraction", {}, {}, {}, " Mole fraction", 0, 1, 300, 1},
        {"#xcap=A B%cut", {}, {}, {}, "A B", 0, 1, 300, 1},
        {"#XCAP=A B %cut", {}, {}, {}, "A B ", 0, 1, 300, 1},   // the comment goes, the blank before it stays
        {"ab#XCAP=Temp", {}, {}, {}, "P=Temp", 0, 1, 300, 1},  // the first six characters go, wherever the marker is
        {"x=0.5;GL=3", {}, {"0.5"}, {}, "", 0, 1, 300, 1},     // kind fixed by the line's start
        {";X=0.5", {}, {}, {";X"}, "", 0, 1, 300, 1},          // not a point phase: a parameter line
        {"#XCAP=A...\nGL=1", {"L"}, {}, {}, "A...", 0, 1, 300, 1},
        {"#XMIN = 0.2\n#XMAX=0,8", {}, {}, {}, "", 0.2, 0.8, 300, 1},
        {"T=500\nP = 2\nW=1", {}, {}, {"W"}, "", 0, 1, 500, 2},
        {"X=0.3;GC=5\nGC=6;X=0.3", {}, {"0.3", "0.3"}, {}, "", 0, 1, 300, 1},
        {"GC=7;X=1/3", {}, {"0.333333333333333"}, {}, "", 0, 1, 300, 1},
        {"GC=;X=0.3", {}, {}, {}, "", 0, 1, 300, 1},             // empty expression: nothing, no message
        {"X=0.2;GC=1;X=0.4", {}, {"0.2"}, {}, "", 0, 1, 300, 1},  // the leftmost X= decides
        {"GL=1+...\nX*2 % c\nGS=3", {"L", "S"}, {}, {}, "", 0, 1, 300, 1},
        {"...\n%all comment\nGS=3", {"S"}, {}, {}, "", 0, 1, 300, 1}, // joined line empty: dropped
        {"GL=X...", {"L"}, {}, {}, "", 0, 1, 300, 1},               // "..." on the last line is dropped
        {"NOEQUALS\nGLX", {}, {}, {}, "", 0, 1, 300, 1},
    };
    for (const Case& c : cases) {
        TRun run;
        const auto r = Interpret(run, c.script);
        EXPECT_TRUE(r.ok) << c.script;
        EXPECT_TRUE(r.messages.empty()) << c.script;
        EXPECT_EQ(Names(run.Script().Phases), c.phases) << c.script;
        EXPECT_EQ(Names(run.Script().PointPhases), c.points) << c.script;
        EXPECT_EQ(Names(run.Script().Params), c.params) << c.script;
        EXPECT_EQ(run.Results().XCaption, c.xcap) << c.script;
        EXPECT_EQ(run.Results().Xmin, c.xmin) << c.script;
        EXPECT_EQ(run.Results().Xmax, c.xmax) << c.script;
        EXPECT_EQ(run.Results().Temperature, c.t) << c.script;
        EXPECT_EQ(run.Results().Pressure, c.p) << c.script;
    }
}

TEST(InterpretScript, ContinuedLineJoinsWithoutBlanks)
{
    TRun run;
    ASSERT_TRUE(Interpret(run, "GL=1+...\n 2 * X % c\n").ok);
    EXPECT_EQ(run.Script().Phases[0].Object->Expression(), "1+2*X");
}

TEST(InterpretScript, SidLineReplacesTheIdealMixingTerm)
{
    TRun run;
    ASSERT_TRUE(Interpret(run, "side=2*X").ok);
    EXPECT_EQ(run.Script().sidParser.Expression(), "2*X");
    ASSERT_TRUE(Interpret(run, "GL=1").ok);
    EXPECT_EQ(run.Script().sidParser.Expression(), kDefaultSidExpression);
}

TEST(InterpretScript, PointPhaseWarningsStopTheInterpretation)
{
    const std::string concentration = "Point phase concentration is invalid or not defined";
    const std::string expression = "Gibbs energy expression for point phase is invalid or not defined";
    struct Case {
        const char* script;
        std::string message;
        std::size_t phasesBuilt;
    };
    const Case cases[] = {
        {"GL=1\nGC=5", concentration, 1},
        {"GL=1\nGC=5;X=1.5", concentration, 1},
        {"GC=5;X=-0.1\nGL=1", concentration, 0},
        {"X=0.5", expression, 0},
        {"GL=1\nX=0.5;X=0.6\nGS=2", expression, 1},
    };
    for (const Case& c : cases) {
        TRun run;
        const auto r = Interpret(run, c.script);
        EXPECT_FALSE(r.ok) << c.script;
        ASSERT_EQ(r.messages.size(), 1u) << c.script;
        EXPECT_EQ(r.messages[0].Kind, TMessageKind::Warning);
        EXPECT_EQ(r.messages[0].Text, c.message);
        EXPECT_EQ(run.Script().Phases.size(), c.phasesBuilt) << c.script;
    }
}

TEST(InterpretScript, InvalidDirectiveNumberIsReportedAndReadAsZero)
{
    TRun run;
    const auto r = Interpret(run, "#XMAX=abc\nT=1,5");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(Texts(r.messages), std::vector<std::string>{"Invalid number: abc"});
    EXPECT_EQ(r.messages[0].Kind, TMessageKind::Information);
    EXPECT_EQ(run.Results().Xmax, 0);
    EXPECT_EQ(run.Results().Temperature, 1.5);
}

TEST(InterpretScript, NamesAPhaseMayUse)
{
    // Parameters above a phase line are known to it, those below are not; a
    // point phase knows none, and a parameter knows no other parameter.
    TRun run;
    EXPECT_TRUE(Interpret(run, "W=1000+T\nGL=W*X*(1-X)").ok);
    EXPECT_THROW(Interpret(run, "GL=W*X\nW=1"), std::exception);
    EXPECT_THROW(Interpret(run, "W=1\nGC=W;X=0.5"), std::exception);
    EXPECT_THROW(Interpret(run, "W=1\nWW=W+1\nGL=1"), std::exception);
    EXPECT_THROW(Interpret(run, "GL(X)=1"), std::exception); // not a valid variable name
}

TEST(InterpretScript, ParametersPassThroughTheirDecimalText)
{
    TRun run;
    ASSERT_TRUE(Interpret(run, "W=1/3\nV=T*X+Sid\nGL=W").ok);
    // Interpretation evaluates at X = 0.5 and T = 300.
    ASSERT_EQ(run.Script().ParamValues.size(), 2u);
    EXPECT_EQ(run.ParameterValue(0), 0.333333333333333);
    EXPECT_EQ(run.ParameterValue(1), 150.0 + 0.0); // Sid is 0 until a line computes it
    TRunTestAccess::State(run).Temperature = 400;
    run.EvaluateParameters(0.1, 0.25);
    EXPECT_EQ(run.ParameterValue(1), 40.25);
}
