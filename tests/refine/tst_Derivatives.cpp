// Derivatives of compiled programs against finite differences of the evaluator
// itself, for every operation and function; the value and the errors must be
// the evaluator's own.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "calc/HeadlessRun.h"
#include "refine/PhaseDerivatives.h"
#include "expr/Derivatives.h"
#include "RunTestSupport.h"

using namespace solvane;

namespace {

double ValueAt(TParser& p, double x)
{
    p.SetVariable("X", x);
    return static_cast<double>(p.Value());
}

TTaylor SeriesAt(TParser& p, double x, bool& smooth)
{
    TTaylorProgram program(p);
    program.SetInput(program.Slot("X"), TaylorVariable(x));
    TTaylor s;
    smooth = program.Run(s);
    return s;
}

struct Smooth {
    const char* text;
    double x;
};

// Each operation kind and each function, where it is differentiable.
const Smooth kSmooth[] = {
    {"-X", 0.3},          {"X+2*X", 0.3},         {"X-1/X", 0.7},        {"X*X*X", 0.4},
    {"1/(1+X)", 0.2},     {"X^2", 1.3},           {"X^-3", 1.3},         {"X^0", 0.5},
    {"2^X", 0.5},         {"X^X", 0.7},           {"X^2.5", 0.6},        {"(X+1)^(X*2)", 0.4},
    {"X*X", 0.3},           {"TAN(X)", 0.6},       {"SIN(3*X)", 0.4},
    {"COS(X*X)", 1.1},    {"SINH(X)", 0.8},       {"COSH(2*X)", -0.4},   {"ARCTAN(X*3)", 0.2},
    {"EXP(-X*X)", 0.9},   {"LN(X)", 0.25},        {"LN(1-X)", 0.75},     {"SQRT(X+1)", 0.5},
    {"ABS(X-2)", 0.5},    {"ABS(X)", 0.5},        {"HEAV(X)*X", 0.5},    {"SIGN(X-3)*X", 0.5},
    {"ZERO(X)*X^3", 0.5}, {"PH(X)", 0.4},         {"MAX(X,X*X)", 0.5},   {"MIN(X,X*X)", 0.5},
    {"XMOD2+X", 0.5},     {"XDIV2+X^4", 0.5},     {"X^4", 0.7},          {"X^3", -0.7},
    {"-8.31441*(X*LN(X)+(1-X)*LN(1-X))", 0.37},
};

TEST(Derivatives, AgreeWithDifferencesOfTheEvaluator)
{
    for (const Smooth& row : kSmooth) {
        SCOPED_TRACE(row.text);
        TParser p;
        p.SetExpression(row.text);
        ASSERT_TRUE(p.HasProgram());
        bool smooth = false;
        const TTaylor s = SeriesAt(p, row.x, smooth);
        EXPECT_TRUE(smooth);
        const double h = 1e-3;
        const double f0 = ValueAt(p, row.x);
        const double fp = ValueAt(p, row.x + h), fm = ValueAt(p, row.x - h);
        const double fp2 = ValueAt(p, row.x + 2 * h), fm2 = ValueAt(p, row.x - 2 * h);
        EXPECT_EQ(s[0], f0);
        const double d1 = (fp - fm) / (2 * h);
        const double d2 = (fp - 2 * f0 + fm) / (h * h);
        const double d3 = (fp2 - 2 * fp + 2 * fm - fm2) / (2 * h * h * h);
        EXPECT_NEAR(Derivative(s, 1), d1, 1e-4 * (1 + std::fabs(d1)));
        EXPECT_NEAR(Derivative(s, 2), d2, 1e-4 * (1 + std::fabs(d2)));
        EXPECT_NEAR(Derivative(s, 3), d3, 2e-3 * (1 + std::fabs(d3)));
    }
}

TEST(Derivatives, ClosedForms)
{
    struct Row {
        const char* text;
        double x, d1, d2, d3;
    };
    const double x = 0.3;
    const Row rows[] = {
        {"LN(X)", x, 1 / x, -1 / (x * x), 2 / (x * x * x)},
        {"EXP(2*X)", x, 2 * std::exp(2 * x), 4 * std::exp(2 * x), 8 * std::exp(2 * x)},
        {"SIN(X)", x, std::cos(x), -std::sin(x), -std::cos(x)},
        {"X^5", x, 5 * std::pow(x, 4), 20 * std::pow(x, 3), 60 * x * x},
        {"SQRT(X)", x, 0.5 / std::sqrt(x), -0.25 / std::pow(x, 1.5), 0.375 / std::pow(x, 2.5)},
        {"ARCTAN(X)", x, 1 / (1 + x * x), -2 * x / std::pow(1 + x * x, 2),
         (6 * x * x - 2) / std::pow(1 + x * x, 3)},
        {"TAN(X)", x, 1 / std::pow(std::cos(x), 2), 2 * std::tan(x) / std::pow(std::cos(x), 2),
         (6 * std::pow(std::tan(x), 2) + 2) / std::pow(std::cos(x), 2)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        TParser p;
        p.SetExpression(row.text);
        bool smooth = false;
        const TTaylor s = SeriesAt(p, row.x, smooth);
        EXPECT_TRUE(smooth);
        EXPECT_NEAR(Derivative(s, 1), row.d1, 1e-12 * (1 + std::fabs(row.d1)));
        EXPECT_NEAR(Derivative(s, 2), row.d2, 1e-12 * (1 + std::fabs(row.d2)));
        EXPECT_NEAR(Derivative(s, 3), row.d3, 1e-11 * (1 + std::fabs(row.d3)));
    }
}

// Where no derivative exists the value is still the evaluator's.
TEST(Derivatives, ReportJumpsAndKinks)
{
    const Smooth rows[] = {
        {"HEAV(X)", 0}, {"SIGN(X)", 0}, {"ZERO(X)", 0}, {"ABS(X)", 0}, {"LN(X)", 0}, {"SQRT(X)", 0},
        {"XMOD1", 2},   {"XDIV1", 3},   {"MAX(X,1-X)", 0.5}, {"MIN(X,1-X)", 0.5}, {"RND(X)", 5},
        {"X*LN(X)", 0}, {"X^0.5", 0},
    };
    for (const Smooth& row : rows) {
        SCOPED_TRACE(row.text);
        TParser p;
        p.SetExpression(row.text);
        bool smooth = true;
        const TTaylor s = SeriesAt(p, row.x, smooth);
        EXPECT_FALSE(smooth);
        if (std::string(row.text) != "RND(X)") {
            EXPECT_EQ(s[0], ValueAt(p, row.x));
        }
    }
    // A constant argument has no jump.
    TParser p;
    p.SetExpression("HEAV(0)+LN(0)+X");
    bool smooth = false;
    const TTaylor s = SeriesAt(p, 0, smooth);
    EXPECT_TRUE(smooth);
    EXPECT_EQ(Derivative(s, 1), 1);
}

TEST(Derivatives, RaiseWhatTheEvaluatorRaises)
{
    const Smooth rows[] = {{"LN(X)", -1}, {"SQRT(X)", -1}, {"1/X", 0}, {"X/X", 0}, {"EXP(X)", 1000},
                           {"1DIVX", 0.5}, {"X^-1", 0}, {"X^(1/3)", -8}, {"XMOD1", 1e19}};
    for (const Smooth& row : rows) {
        SCOPED_TRACE(row.text);
        TParser p;
        p.SetExpression(row.text);
        p.SetVariable("X", row.x);
        std::string expected, got;
        try {
            p.Value();
        } catch (const std::exception& e) {
            expected = ErrorClassName(e);
        }
        TTaylorProgram program(p);
        program.SetInput(program.Slot("X"), TaylorVariable(row.x));
        TTaylor s;
        try {
            program.Run(s);
        } catch (const std::exception& e) {
            got = ErrorClassName(e);
        }
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(got, expected);
    }
}

// G of a phase through Sid and a parameter that both depend on X.
TEST(Derivatives, ThroughSidAndParameters)
{
    const std::string script = "W = 1000 + 500*X\nGL = W*X*(1-X) - T*Sid\n";
    TRun run;
    RunProblemHeadless(run, test::MakeProblem(script, 400, 500, 2, 10));
    TPhaseDerivatives model(run.Results(), run.Script(), TYQuantity::Temperature);
    const double x = 0.3, T = 450, R = 8.31441;
    auto g = [&](double v) { return (1000 + 500 * v) * v * (1 - v) + R * T * (v * std::log(v) + (1 - v) * std::log(1 - v)); };
    TTaylor s;
    ASSERT_TRUE(model.Solution(0, x, T, s));
    EXPECT_NEAR(s[0], g(x), 1e-9);
    // d/dx [(1000 + 500x)(x - x^2)] = 500(x - x^2) + (1000 + 500x)(1 - 2x)
    const double d1 = 500 * (x - x * x) + (1000 + 500 * x) * (1 - 2 * x) + R * T * std::log(x / (1 - x));
    const double d2 = 500 * (1 - 2 * x) * 2 - 2 * (1000 + 500 * x) + R * T / (x * (1 - x));
    const double d3 = -6 * 500 + R * T * (-1 / (x * x) + 1 / ((1 - x) * (1 - x)));
    EXPECT_NEAR(Derivative(s, 1), d1, 1e-8);
    EXPECT_NEAR(Derivative(s, 2), d2, 1e-8);
    EXPECT_NEAR(Derivative(s, 3), d3, 1e-7);
}

} // namespace
