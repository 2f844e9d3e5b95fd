// The evaluator: values, arithmetic errors, variables, and the error handler.
#include "ExprTestSupport.h"
#include "expr/Routines.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <tuple>
#include <vector>

using namespace solvane;
using namespace solvane::test;

namespace {

// The value, or the message of the arithmetic error, of one evaluation at X.
std::string Evaluate(const std::string& expression, double x, long double* value)
{
    TParser parser;
    parser.X() = x;
    parser.SetExpression(expression);
    try {
        *value = parser.Value();
        return "";
    } catch (const EMathError& error) {
        return error.what();
    }
}

} // namespace

TEST(Parser10, ValuesOfTheOperationsAndFunctions)
{
    const double pi = 3.141592653589793;
    const std::tuple<const char*, double, double> cases[] = {
        {"2-3-4", 0, -5}, {"8/4/2", 0, 1}, {"-2^2", 0, -4}, {"(-2)^2", 0, 4}, {"2^10", 0, 1024},
        {"2^-2", 0, 0.25}, {"X^0", 0, 1}, {"X^3", -2, -8}, {"X^4", 3, 81}, {"X^2.5", 4, 32},
        {"X^Y", 0, 1}, {"X^0.5", 0, 0}, {"(X)^(2)", 3, 9}, {"(-8)^(1/1)", 0, -8},
        {"7MOD3", 0, 1}, {"-7MOD3", 0, -1}, {"7DIV-2", 0, -3}, {"7.9DIV2", 0, 3}, {"-7.9DIV2", 0, -3},
        {"LN(0)", 0, 0}, {"LN(X)", std::exp(1.0), 1}, {"EXP(0)", 0, 1}, {"SQRT(X)", 2.25, 1.5},
        {"HEAV(0)", 0, 1}, {"HEAV(-1E-300)", 0, 0}, {"SIGN(0)", 0, 0}, {"SIGN(-3)", 0, -1},
        {"SIGN(2)", 0, 1}, {"ZERO(0)", 0, 0}, {"ZERO(-3)", 0, 1}, {"ABS(-2)", 0, 2},
        {"MAX(2,3)", 0, 3}, {"MIN(2,3)", 0, 2}, {"MAX(X,1)", -1, 1},
        {"PH(0)", 0, 0}, {"PH(1)", 0, (pi / 2 - 2) * 2 * pi}, {"SIN(1E20)", 0, 0}, {"COS(-1E19)", 0, 0},
        {"SIN(PI/2)", 0, 1}, {"COS(0)", 0, 1}, {"TAN(0)", 0, 0}, {"ARCTAN(1)*4", 0, pi},
        {"SINH(0)", 0, 0}, {"COSH(0)", 0, 1}, {"SINH(710)", 0, 1.1169973830808557e308},
        {"RND(0.9)", 0, 0}, {"-8.31441*(X*Ln(X)+(1-X)*ln(1-X))", 0, 0},
        {"-8.31441*(X*Ln(X)+(1-X)*ln(1-X))", 1, 0}, {"1E-320*1E-10", 0, 0},
    };
    for (const auto& [expression, x, expected] : cases) {
        long double value = 0;
        ASSERT_EQ(Evaluate(expression, x, &value), "") << expression;
        EXPECT_NEAR(static_cast<double>(value), expected, 1e-12 * std::max(1.0, std::fabs(expected)))
            << expression << " at X=" << x;
    }
}

TEST(Parser10, ArithmeticErrorsNameTheFirstFault)
{
    const std::tuple<const char*, double, const char*> cases[] = {
        {"LN(-1)", 0, "Invalid floating point operation"},
        {"SQRT(-1)", 0, "Invalid floating point operation"},
        {"1/0", 0, "Floating point division by zero"},
        {"0/0", 0, "Invalid floating point operation"},
        {"1DIV0.5", 0, "Division by zero"},
        {"1MOD0", 0, "Division by zero"},
        {"1E19DIV2", 0, "Invalid floating point operation"},
        {"0^-1", 0, "Floating point division by zero"},
        {"X^-0.5", 0, "Floating point division by zero"},
        {"(-8)^(1/3)", 0, "Invalid floating point operation"},
        {"EXP(1000)", 0, "Floating point overflow"},
        {"1E300*1E300", 0, "Floating point overflow"},
        {"PH(1.5E308)", 0, "Floating point overflow"},
        {"2^100000", 0, "Floating point overflow"},
        // the earlier operation's fault is the one reported
        {"LN(-1)+1/0", 0, "Invalid floating point operation"},
        {"(1/X)*(0DIV0)", 0, "Floating point division by zero"},
        {"(0DIV0)*(1/X)", 0, "Division by zero"},
    };
    for (const auto& [expression, x, message] : cases) {
        long double value = 0;
        EXPECT_EQ(Evaluate(expression, x, &value), message) << expression;
    }
    // A fault leaves the evaluator usable: the next run with sound values succeeds.
    TParser parser;
    parser.SetExpression("1/X");
    EXPECT_THROW(parser.Value(), EZeroDivide);
    parser.X() = 4;
    EXPECT_EQ(parser.Value(), 0.25L);
}

TEST(Parser10, VariablesAndLifecycle)
{
    TParser parser;
    EXPECT_EQ(parser.Expression(), "");
    EXPECT_EQ(parser.Value(), 0);
    parser.SetExpression("X");
    EXPECT_EQ(parser.Value(), 0);
    double* x = parser.SetVariable("x", 2);
    EXPECT_EQ(x, &parser.X());
    EXPECT_EQ(parser.Value(), 2);
    EXPECT_EQ(parser.X(), 2);

    double* sid = parser.SetVariable("Sid", 0.5);
    EXPECT_EQ(parser.SetVariable("SID", 1.5), sid);
    parser.SetExpression("sid*2");
    EXPECT_EQ(parser.Value(), 3);
    *sid = 4;
    EXPECT_EQ(parser.Value(), 8);
    EXPECT_EQ(parser.Expression(), "sid*2");

    for (const char* bad : {"1A", "A-B", "", "a b", "Ä"}) {
        try {
            parser.SetVariable(bad, 1);
            ADD_FAILURE() << bad;
        } catch (const EBadName& error) {
            std::string upper = bad;
            for (char& c : upper)
                c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
            EXPECT_EQ(error.what(), upper);
        }
    }
    EXPECT_NE(parser.SetVariable("A_DIV_2", 1), nullptr);

    EXPECT_THROW(parser.SetExpression("X*Q"), ESyntaxError);
    EXPECT_FALSE(parser.HasProgram());
    EXPECT_EQ(parser.Expression(), "X*Q");
    parser.SetVariable("Q", 3);
    parser.SetExpression("X*Q");
    EXPECT_EQ(parser.Value(), 6);
    parser.SetVariable("R", 5); // a later variable leaves the program alone
    EXPECT_EQ(parser.Value(), 6);

    parser.ClearVariables();
    EXPECT_EQ(parser.Expression(), "");
    EXPECT_FALSE(parser.HasProgram());
    EXPECT_EQ(parser.X(), 2); // the built-in cell keeps its value
    EXPECT_EQ(parser.FindVariable("X"), nullptr);
    EXPECT_THROW(parser.SetExpression("X"), ESyntaxError);
    EXPECT_EQ(parser.SetVariable("X", 7), &parser.X());
    parser.SetExpression("X");
    EXPECT_EQ(parser.Value(), 7);
}

TEST(Parser10, ErrorHandlerReceivesCompilationErrors)
{
    TParser parser;
    std::string seen;
    parser.OnParserError = [&seen](TCustomParser& sender, const std::exception& error) {
        seen = std::string(ErrorClassName(error)) + " from " + sender.Expression();
    };
    parser.SetExpression("X");
    parser.SetExpression("X Y");
    EXPECT_EQ(seen, "EExpressionHasBlanks from X Y");
    EXPECT_EQ(parser.Expression(), "X Y");
    EXPECT_EQ(parser.Value(), 0);
    parser.SetExpression("1E999");
    EXPECT_EQ(seen, "EOverflow from 1E999");
}

TEST(Parser10, RandomNumbersStayInRangeAndAreNotDrawnTwiceOnAFault)
{
    TParser parser;
    parser.SetExpression("RND(10)");
    for (int i = 0; i < 1000; ++i) {
        const long double value = parser.Value();
        ASSERT_GE(value, 0);
        ASSERT_LT(value, 10);
    }
    // The slow rerun that names a fault draws the same numbers as the fast run.
    SetRandomSeed(42);
    const double first = NextRandom();
    SetRandomSeed(42);
    parser.SetExpression("RND(1E6)/0");
    EXPECT_THROW(parser.Value(), EZeroDivide);
    EXPECT_NE(NextRandom(), first); // exactly one number was consumed
    SetRandomSeed(42);
    NextRandom();
    const double second = NextRandom();
    SetRandomSeed(42);
    EXPECT_THROW(parser.Value(), EZeroDivide);
    EXPECT_EQ(NextRandom(), second);
}

TEST(Parser10, NonFiniteVariablesPassThroughWithoutFaults)
{
    TParser parser;
    parser.X() = std::numeric_limits<double>::infinity();
    parser.SetExpression("X+1");
    EXPECT_TRUE(std::isinf(parser.Value()));
    parser.SetExpression("X-X");
    EXPECT_THROW(parser.Value(), EInvalidOp);
}

namespace {

// Runs a program listing one operation at a time, in list order, as plainly as the
// operation table reads. Sets sound to false on a non-finite result or a failed
// integer division (the run then does not say which fault the evaluator names).
double RunListing(TParser& parser, const std::vector<TOperationInfo>& program, bool& sound)
{
    std::vector<double> results(program.size());
    auto value = [&](const TOperandInfo& operand) {
        switch (operand.source) {
        case TOperandInfo::Source::Variable: return *parser.FindVariable(operand.name);
        case TOperandInfo::Source::Constant: return operand.value;
        case TOperandInfo::Source::Result: return results[static_cast<std::size_t>(operand.index)];
        case TOperandInfo::Source::None: break;
        }
        return 0.0;
    };
    const std::map<std::string, double (*)(double)> oneArg = {
        {"LN", routines::Ln}, {"EXP", routines::Exp}, {"SQRT", routines::Sqrt}, {"SIN", routines::Sin},
        {"HEAV", routines::Heav}, {"ABS", routines::Abs}, {"RND", routines::Rnd}, {"SINH", routines::Sinh}};
    sound = true;
    for (std::size_t i = 0; i < program.size(); ++i) {
        const TOperationInfo& op = program[i];
        const double a = value(op.operand1), b = value(op.operand2);
        double& r = results[i];
        switch (op.kind) {
        case 0: r = a; break;
        case 2: r = -a; break;
        case 3: r = a + b; break;
        case 4: r = a - b; break;
        case 5: r = a * b; break;
        case 6: r = a / b; break;
        case 7: case 8:
            if (routines::IntegerDivide(a, b, op.kind == 7, r) != routines::IntegerFault::None)
                sound = false;
            break;
        case 9: r = static_cast<double>(routines::IntegerPower(a, static_cast<std::int64_t>(b))); break;
        case 10: r = routines::GeneralPower(a, b); break;
        case 11: r = a * a; break;
        case 12: r = (a * a) * a; break;
        case 13: r = (a * a) * (a * a); break;
        case 14: r = oneArg.at(op.function)(a); break;
        case 15: r = op.function == "MAX" ? routines::Max(a, b) : routines::Min(a, b); break;
        default: ADD_FAILURE() << "kind " << op.kind; break;
        }
        if (!std::isfinite(r))
            sound = false;
    }
    return program.empty() ? 0.0 : results.back();
}

std::string RandomExpression(std::mt19937& random, int depth)
{
    static const char* const leaves[] = {"X", "Y", "T", "SID", "2", "0.5", "1", "3", "8.31441", "1E-5", "0"};
    static const char* const functions[] = {"LN", "EXP", "SQRT", "SIN", "HEAV", "ABS", "RND", "SINH"};
    static const char* const operators[] = {"+", "-", "*", "/", "^", "DIV", "MOD", "*", "+", "-"};
    static const char* const powers[] = {"^2", "^3", "^4", "^-1", "^0", "^5", "^2.5"};
    if (depth <= 0 || random() % 5 == 0)
        return leaves[random() % std::size(leaves)];
    auto inner = [&] { return RandomExpression(random, depth - 1); };
    switch (random() % 8) {
    case 0: return std::string(functions[random() % std::size(functions)]) + "(" + inner() + ")";
    case 4: { // a repeated part, computed once by the fast run
        const std::string repeated = inner();
        return "(" + repeated + ")*((" + inner() + ")-(" + repeated + "))";
    }
    case 1: return std::string(random() % 2 ? "MAX(" : "MIN(") + inner() + "," + inner() + ")";
    case 2: return "-(" + inner() + ")";
    case 3: return "(" + inner() + ")" + powers[random() % std::size(powers)];
    default: return "(" + inner() + ")" + operators[random() % std::size(operators)] + "(" + inner() + ")";
    }
}

} // namespace

TEST(Parser10, FastRunAgreesWithThePlainRunOfTheListing)
{
    // Sound runs give the plain run's value bit for bit and draw the same random
    // numbers in the same order, whatever order the fast run takes internally.
    std::mt19937 random(91);
    TParser parser;
    parser.SetVariable("SID", 0.25);
    parser.T() = 1100;
    int compared = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::string text = RandomExpression(random, 1 + static_cast<int>(random() % 6));
        parser.SetExpression(text);
        for (const double x : {0.5, 0.001, 2.0, -1.5}) {
            parser.X() = x;
            parser.Y() = 1 - x;
            SetRandomSeed(static_cast<std::uint64_t>(round));
            bool sound = true;
            const double expected = RunListing(parser, parser.Program(), sound);
            const double drawnNext = NextRandom();
            if (!sound)
                continue;
            SetRandomSeed(static_cast<std::uint64_t>(round));
            const long double value = parser.Value();
            ASSERT_EQ(std::bit_cast<std::uint64_t>(static_cast<double>(value)), std::bit_cast<std::uint64_t>(expected))
                << text << " at X=" << x;
            ASSERT_EQ(NextRandom(), drawnNext) << text;
            ++compared;
        }
    }
    EXPECT_GT(compared, 4000);
}

TEST(Parser10, FaultsHiddenByLaterOperationsAreStillNamed)
{
    const std::tuple<const char*, double, const char*> cases[] = {
        {"HEAV(LN(-1))", 0, "Invalid floating point operation"},
        {"EXP(-EXP(1000))", 0, "Floating point overflow"},
        {"1/(1/X)", 0, "Floating point division by zero"},
        {"(1/X)^0", 0, "Floating point division by zero"},
        {"MAX(0/X,2)", 0, "Invalid floating point operation"},
        {"ABS(SIN(1E300*1E300))", 0, "Floating point overflow"},
        {"(1DIV(X))*0+1", 0, "Division by zero"},
        {"2+1/(1E300*1E300)", 0, "Floating point overflow"},
        {"X*LN(X)+(1-X)*LN(1-X)+1/(X-X)", 0.5, "Floating point division by zero"},
        {"(1-2*X)^2*3+LN(1-X)*SQRT(X-1)", 0.5, "Invalid floating point operation"},
        {"(1-2*X)^2*3+LN(1-X)*SQRT(X-1)", 2, "Invalid floating point operation"},
    };
    for (const auto& [expression, x, message] : cases) {
        long double value = 0;
        EXPECT_EQ(Evaluate(expression, x, &value), message) << expression;
    }
}
