// The script model: where a build that raised stopped, and which statement
// each evaluator comes from.
#include "script/ScriptModel.h"

#include <gtest/gtest.h>

#include <exception>

using namespace solvane;

TEST(ScriptModel, KnowsWhereTheBuildStopped)
{
    struct Case {
        const char* script;
        int line;          // the statement being built when it raised; 0: none
        int parameterLine; // the parameter that raised there; 0: none
    };
    const Case cases[] = {
        {"W=1\nGL=W*X", 0, 0},
        {"T=500\nW=LN(T-600)\nGL=W*X", 3, 2},
        {"W=1\nV=1/0\nGS=1\nGL=(", 3, 2},
        {"W=1\nGL=(", 2, 0},
        {"GL=X\nGC=1;X=Q+1", 2, 0},
    };
    for (const Case& c : cases) {
        TScriptModel model;
        bool raised = false;
        try {
            model.Build(c.script, nullptr, '.', 0);
        } catch (const std::exception&) {
            raised = true;
        }
        EXPECT_EQ(raised, c.line != 0) << c.script;
        const TScriptStatement* at = model.StatementBeingBuilt();
        EXPECT_EQ(at ? at->Line : 0, c.line) << c.script;
        const TScriptStatement* parameter = model.ParameterThatRaised();
        EXPECT_EQ(parameter ? parameter->Line : 0, c.parameterLine) << c.script;
    }
}

TEST(ScriptModel, EvaluatorsKeepTheirStatements)
{
    TScriptModel model;
    ASSERT_TRUE(model.Build("#XMIN=0.1\nW=2\nGL=W*X\nSID=X\nGC1=3;X=0.5\nT=400", nullptr, '.', 0));
    EXPECT_EQ(model.Xmin, 0.1);
    EXPECT_EQ(model.Temperature, 400);
    const TScriptModel::TSources& sources = model.Sources();
    ASSERT_EQ(sources.Params.size(), 1u);
    ASSERT_EQ(sources.Phases.size(), 1u);
    ASSERT_EQ(sources.PointPhases.size(), 1u);
    ASSERT_NE(sources.Sid, nullptr);
    EXPECT_EQ(sources.Params[0]->Line, 2);
    EXPECT_EQ(sources.Phases[0]->Line, 3);
    EXPECT_EQ(sources.Sid->Line, 4);
    EXPECT_EQ(sources.PointPhases[0]->Line, 5);
    EXPECT_EQ(model.PointPhases[0].Text, "0.5");
    EXPECT_EQ(model.ParameterValue(0), 2);
}
