// The script check: statements with the line they start on, the
// findings of every trap with their line and name, and where a failed run failed.
#include "RunTestSupport.h"
#include "script/ScriptCheck.h"
#include "script/ScriptStatements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using namespace solvane;
using namespace solvane::test;

namespace {

using Found = std::tuple<TFindingSeverity, int, std::string>; // severity, line, name
constexpr auto Err = TFindingSeverity::Error;
constexpr auto Warn = TFindingSeverity::Warning;

std::vector<Found> Summary(const std::vector<TScriptFinding>& findings)
{
    std::vector<Found> summary;
    for (const auto& f : findings)
        summary.emplace_back(f.Severity, f.Line, f.Name);
    return summary;
}

} // namespace

// A continued statement keeps the line it starts on.
TEST(ScriptStatements, ContinuedStatementKeepsItsFirstLine)
{
    const auto statements = ReadScriptStatements("% c\nGL=1+...\n2*X\nGS=3");
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(statements[0].Line, 2);
    EXPECT_EQ(statements[0].Expression, "1+2*X");
    EXPECT_EQ(statements[1].Line, 4);
}

TEST(ScriptCheck, FindingsNameTheLineAndTheName)
{
    struct Case {
        const char* script;
        std::vector<Found> expected;
    };
    const Case cases[] = {
        // Clean scripts, with the words the compiler splits itself.
        {"W=1000*X\nGL=W*X*(1-X)-T*Sid+PI*1E-5+XDIV2+7MODX+MAX(X,Y)\nGC=-R*T*LN(2);X=1/3", {}},
        {"GL=-T*Sid\nGALPHA=1000*X", {{Warn, 2, "GALPHA"}}},
        {"SIDE=3\nGL=-T*Sid", {{Warn, 1, "SIDE"}}},
        {"SID=0\nGL=X\nSID=X", {{Warn, 3, "SID"}}},
        {"W=1000\nV=W*2\nGL=V*X", {{Warn, 1, "W"}, {Err, 2, "W"}}},
        {"A=1000\nB=A*2\nGL=(A+B)*X", {{Warn, 2, "A"}}},
        {"GL=W*X\nW=3", {{Err, 1, "W"}}},
        {"GL=WX*X", {{Err, 1, "WX"}}},
        {"GL=X\nGS=L+1", {{Err, 2, "L"}}},
        {"W=1\nGL=X\nGC=W;X=0.5", {{Err, 3, "W"}}},
        {"GL=LOG(X)", {{Err, 1, "LOG"}}},
        {"GL=X*-Y\nGS=2^3^2", {{Err, 1, "GL"}, {Err, 2, "GS"}}},
        {"GL=X\nGL=2*X\nW=1\nW=2", {{Warn, 2, "GL"}, {Warn, 3, "W"}, {Warn, 4, "W"}}},
        {"GL=E+Y*X\nW=Y*X\nGS=W\nSID=T*X", {{Warn, 1, "E"}, {Warn, 2, "Y"}, {Warn, 4, "T"}}},
        {"GL=X\nGC=1\nGC=1;X=2\nX=0.5\nGC=1;X=Q\nGC=1;X=A", {{Err, 2, "GC"}, {Err, 3, "GC"}, {Err, 4, ""},
                                                          {Err, 5, "Q"}, {Warn, 6, "A"}}},
        {"GL=X\nGC=1;X=0.5\nGC2=2;X=0.5\nGC3=;X=0.2", {{Warn, 3, "GC2"}, {Warn, 4, "GC3"}}},
        {"M-1=3\nGL-1=4\nGS 1", {{Err, 1, "M-1"}, {Err, 2, "L-1"}, {Warn, 3, "GS1"}}},
        {"W=1", {{Warn, 1, "W"}, {Err, 0, ""}}},
        // Parameters are computed once at T = 300 (or the script's T) before the sweep.
        {"W=LN(T-400)\nGL=W*X", {{Err, 1, "W"}}},
        {"T=500\nW=LN(T-400)\nGL=W*X", {}},
        // A solution phase whose G is the same at every X: a parameter named like a phase.
        {"GLIQGE=36330*(1-T/1211)\nGL=-T*Sid", {{Warn, 1, "GLIQGE"}}},
        {"W=1000*Sid\nGS=W+T\nV=T\nGV=V", {{Warn, 4, "GV"}}},
        {"W=X\nGS=W\nW=2", {{Warn, 2, "GS"}, {Warn, 3, "W"}}}, // the later line is what the phase gets
        {"GL=\n#XMAX=oops\n#XMIN=0.5", {{Warn, 1, "GL"}, {Warn, 2, "#XMAX"}, {Warn, 3, "#XMIN"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Summary(CheckScript(c.script)), c.expected) << c.script;
}

TEST(ScriptCheck, TextsSayWhy)
{
    auto text = [](const char* script) { // of the first error, else of the first finding
        const auto findings = CheckScript(script);
        for (const auto& f : findings)
            if (f.Severity == TFindingSeverity::Error)
                return f.Text;
        return findings.at(0).Text;
    };
    EXPECT_NE(text("GL=W*X\nW=3").find("below this phase"), std::string::npos);
    EXPECT_NE(text("W=1\nV=W\nGL=V").find("cannot use another parameter"), std::string::npos);
    EXPECT_NE(text("GL=X*-Y").find("as in X*(-Y)"), std::string::npos);
    EXPECT_NE(text("GL=X\nGALPHA=X").find("GSALPHA"), std::string::npos);
    EXPECT_NE(text("GLIQGE=36330*(1-T/1211)").find("solution phase LIQGE"), std::string::npos);
    EXPECT_NE(text("GLIQGE=36330*(1-T/1211)").find("meant as a parameter"), std::string::npos);
    EXPECT_EQ(DescribeFinding(CheckScript("GL=X\nGS=Q").at(0)).rfind("Line 2: Q is not known", 0), 0u);
}

// GCC 12 takes the optional texts of this table for uninitialised where they are destroyed, at the
// test's end; they are all initialised (a false positive of -Wmaybe-uninitialized).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
TEST(ScriptCheck, RunValues)
{
    struct Case {
        const char* script;
        TCheckRunValues run;
        std::vector<Found> expected;
    };
    const std::string T = "Temperature", P = "Pressure", Y = "Y";
    const Case cases[] = {
        {"GL=X", {T, 300, 1000, 1, 100, 100}, {}},
        {"GL=X", {T, 0, 1000, 1, 0, 1}, {{Warn, 0, "Ymin"}, {Warn, 0, "YPoints"}, {Warn, 0, "XPoints"}}},
        {"GL=X", {P, 1, 1000, -5, 100, 100}, {{Warn, 0, "Zvalue"}}},
        {"GL=X\nT=-1", {Y, 0, 1, 1, 100, 100}, {{Warn, 2, "T"}}},
        {"T=1000\nP=2\nGL=X", {T, 300, 400, 1, 10, 10}, {{Warn, 1, "T"}, {Warn, 2, "P"}}},
        {"GL=X", {T, 400, 300, 1, 10, 10}, {{Err, 0, "Ymax"}}},
        {"GL=X", {T, NAN, 300, 1, 10, 10}, {{Err, 0, "Ymin"}}},
        {"GL=X", {T, 300, 400, 1, 30000, 30000}, {{Err, 0, "XPoints"}}},
        {"GL=X", {{}, -5, {}, {}, {}, {}}, {}}, // without Y the range says nothing about T
    };
    for (const Case& c : cases)
        EXPECT_EQ(Summary(CheckScript(c.script, c.run)), c.expected) << c.script;
    EXPECT_TRUE(HasError(CheckScript("GL=X", {T, 400, 300, 1, 10, 10})));
    EXPECT_FALSE(HasError(CheckScript("GL=X", RunValuesOf(MakeProblem("GL=X")))));
}
#pragma GCC diagnostic pop

TEST(LocateRunFailure, NamesTheStatementOfTheFailure)
{
    struct Case {
        const char* script;
        int line;
        std::string name;
        std::string textPart;
    };
    const Case cases[] = {
        {"W=1\nV=W*2\nGL=V", 2, "W", "cannot use another parameter"},
        {"M-1=2\nGL=1", 1, "M-1", "not a valid name"},
        {"W=LN(T-400)\nGL=W*X", 1, "W", "fails before the sweep"},
        {"GL=1\nGC=1;X=1/0", 2, "1/0", "cannot be computed"},
        {"GL=1000*(X-0.5)^2\nGS=LN(T-350)", 2, "GS", "X = 0, T = 340, p = 1: Invalid floating point operation"},
        {"W=SQRT(X-0.5)\nGL=W", 1, "W", "the parameter W fails at X = 0"},
        {"GL=X\nGC=LN(T-350);X=0.5", 2, "GC", "the point phase GC fails at X = 0.5, T = 340"},
        {"SID=LN(X-0.5)\nGL=X", 1, "SID", "the SID line fails at X = 0"},
    };
    for (const Case& c : cases) {
        TRun run;
        const THeadlessResult r = RunProblemHeadless(run, MakeProblem(c.script, 300, 400, 10, 10));
        ASSERT_EQ(r.Outcome.End, TRunEnd::Failed) << c.script;
        const auto found = LocateRunFailure(c.script, run.Results(), r.Outcome.Error);
        ASSERT_TRUE(found) << c.script;
        EXPECT_EQ(found->Line, c.line) << c.script;
        EXPECT_EQ(found->Name, c.name) << c.script;
        EXPECT_NE(found->Text.find(c.textPart), std::string::npos) << found->Text;
    }
    // An error that the script does not explain.
    TRun run;
    RunProblemHeadless(run, MakeProblem("GL=X"));
    EXPECT_FALSE(LocateRunFailure("GL=X", run.Results(), "Floating point overflow"));
}
