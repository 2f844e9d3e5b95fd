// The compiler: grouping, operation lists, limits, numbers and every error text.
#include "ExprTestSupport.h"

#include <gtest/gtest.h>

using namespace solvane;
using namespace solvane::test;

namespace {

std::string Chain(const std::string& term, const std::string& op, int count)
{
    std::string text = term;
    for (int i = 1; i < count; ++i)
        text += op + term;
    return text;
}

struct ProgramCase {
    const char* expression;
    const char* program;
};

} // namespace

TEST(P10Build, ProgramsFollowTheGroupingOfTheLanguage)
{
    const ProgramCase cases[] = {
        {"X", "0:X"},
        {" X ", "0:X"},
        {"((X))", "0:X"},
        {"2", "0:2"},
        {"+5", "0:5"},
        {"-PI", "0:-3.141592653589793"},
        {"pi*x", "5:3.141592653589793,X"},
        {"2*3", "5:2,3"},
        {"-8.31441*(X*Ln(X)+(1-X)*ln(1-X))",
         "4:1,X 14LN:X 4:1,X 14LN:#0 5:X,#1 5:#2,#3 3:#4,#5 5:-8.31441,#6"},
        {"A+B+C", "3:B,C 3:A,#0"},         // '+' groups to the right
        {"A*B*C", "5:B,C 5:A,#0"},
        {"A-B-C", "4:A,B 4:#0,C"},         // '-' groups to the left
        {"A/B/C", "6:A,B 6:#0,C"},
        {"A*B/C", "6:B,C 5:A,#0"},
        {"A*BDIVC", "8:B,C 5:A,#0"},
        {"-X^2", "11:X 2:#0"},
        {"-X*Y", "2:X 5:#0,Y"},
        {"(-2)^2", "11:-2"},
        {"X^2", "11:X"},
        {"X^2.0", "11:X"},
        {"X^3", "12:X"},
        {"X^4", "13:X"},
        {"X^5", "9:X,5"},
        {"X^-1", "9:X,-1"},
        {"X^2.5", "10:X,2.5"},
        {"X^Y", "10:X,Y"},
        {"X^1E10", "10:X,1e+10"},
        {"X^(2)", "10:X,2"},
        {"X*-2", "5:X,-2"},
        {"X++5", "3:X,5"},
        {"1E-5-X", "4:1e-05,X"},
        {"1,5", "0:1.5"},
        {"SIN(1,5)", "14SIN:1.5"},
        {"MAX(1,5,2)", "15MAX:1,5.2"},
        {"MAX(1,5,2,3)", "15MAX:1.5,2.3"},
        {"MAX((X),(Y))", "15MAX:X,Y"},
        {"ADIVB^2", "11:B 8:A,#0"},
        {"7MOD-2", "7:7,-2"},
        {"--5", "2:-5"},
        {"E5", "0:0"},
        {".", "0:0"},
        {"E+5", "0:0"},              // an empty mantissa with a signed exponent is a number
        {"MAX(1,2,)", "15MAX:1,2"}, // '2,' reads as 2.
    };
    for (const auto& c : cases) {
        TParser parser;
        EXPECT_EQ(CompileOutcome(parser, c.expression), "") << c.expression;
        EXPECT_EQ(ProgramText(parser), c.program) << c.expression;
    }
}

TEST(P10Build, ErrorsCarryTheirClassAndExactMessage)
{
    const std::pair<std::string, std::string> cases[] = {
        {"X Y", "EExpressionHasBlanks: Expression has blanks"},
        {"(X", "EMissMatchingBracket: Missing brackets in expression"},
        {")X(", "ESyntaxError: Error parsing expression:|)X("},
        {"2^3^2", "ESyntaxError: Error parsing expression:|2^3|2"},
        {"X*-Y", "ESyntaxError: Error parsing expression:|X|-Y"},
        {"X+-Y", "ESyntaxError: Error parsing expression:|X+|Y"},
        {"2^-X", "ESyntaxError: Error parsing expression:|2|-X"},
        {"+5+X", "ESyntaxError: Error parsing expression:|+5+X"},
        {"MAX(X)", "ESyntaxError: Error parsing expression:|MAX(X)"},
        {"SIN(X,Y)", "ESyntaxError: Error parsing expression:|X,Y| "},
        {"FOO(X)", "ESyntaxError: Error parsing expression:|FOO(X)"},
        {"X*Q", "ESyntaxError: Error parsing expression:|X|Q"},
        {"-Q", "ESyntaxError: Error parsing expression:|Q| "},
        {"   ", "ESyntaxError: Error parsing expression:|"},
        {"1E", "ESyntaxError: Error parsing expression:|1E"},
        {"X\tY", "ESyntaxError: Error parsing expression:|X\tY"},
        {"SIN()", "ESyntaxError: Error parsing expression:|| "},          // the empty inside of the call
        {"XDIV", "ESyntaxError: Error parsing expression:|X|"},           // a word at the end leaves an empty right side
        {"MAX(X,Y,)", "ESyntaxError: Error parsing expression:|X|Y,"},    // a comma at the end is not tried
        {"-)X(", "ESyntaxError: Error parsing expression:|)X(| "},        // the negation's rest stays written
        {"(X*-Y)", "ESyntaxError: Error parsing expression:|(X|-Y)"},     // splits write before the balance test
        {"Q+1E999", "ESyntaxError: Error parsing expression:|Q|1E999"},   // the right side is not read once the left fails
        {"MAX(Q,1E999)", "ESyntaxError: Error parsing expression:|Q| "},
        {"Q*X^1E19", "ESyntaxError: Error parsing expression:|Q*X|1E19"},
        {"X^1E19^2", "ESyntaxError: Error parsing expression:|X^1E19|2"},
        {"1E999+Q", "EOverflow: Floating point overflow"},
        {"MAX(1E999,Q)", "EOverflow: Floating point overflow"},
        {"1E999", "EOverflow: Floating point overflow"},
        {"X+1E400*2", "EOverflow: Floating point overflow"},
        {"X^1E19", "EInvalidOp: Invalid floating point operation"},
        {"X^-9.3E18", "EInvalidOp: Invalid floating point operation"},
        {Chain("X", "+", 22), "ETooManyNestings: Expression contains too many nestings"},
        {Chain("X", "*", 22), "ETooManyNestings: Expression contains too many nestings"},
        {Chain("X", "-", 22), "ETooManyNestings: Expression contains too many nestings"},
        {Chain("(X*Y)", "+", 51), "ETooManyNestings: Expression contains too many nestings"},
        {"MAX(" + Chain("SIN(X)", ",", 2) + ")+" + Chain("SIN(X)", "+", 10), ""},
    };
    for (const auto& [expression, outcome] : cases) {
        TParser parser;
        EXPECT_EQ(CompileOutcome(parser, expression), outcome) << expression;
        if (!outcome.empty()) {
            EXPECT_FALSE(parser.HasProgram()) << expression;
        }
    }
}

TEST(P10Build, DepthAndWidthLimits)
{
    TParser parser;
    // 21 terms: the last operands sit at depth 20.
    for (const char* op : {"+", "-", "*", "/", "DIV"}) {
        EXPECT_EQ(CompileOutcome(parser, Chain("X", op, 21)), "") << op;
        EXPECT_EQ(parser.Program().size(), 20u) << op;
    }
    // 64 products in one row of a balanced sum exceed the 50 positions of a depth.
    auto balanced = [](auto&& self, int depth) -> std::string {
        return depth == 0 ? "X*Y" : "(" + self(self, depth - 1) + "+" + self(self, depth - 1) + ")";
    };
    EXPECT_EQ(CompileOutcome(parser, balanced(balanced, 5)), ""); // 32 products
    EXPECT_EQ(CompileOutcome(parser, balanced(balanced, 6)), "EExpressionTooComplex: Expression is too complex");
}

TEST(P10Build, NumberRules)
{
    const std::tuple<const char*, bool, bool, double> cases[] = {
        // text, Pascal format, is a number, value
        {"5.", true, true, 5}, {".5", true, true, 0.5}, {"E5", true, true, 0}, {"-.", true, true, -0.0},
        {"1,5", true, true, 1.5}, {"+7", true, true, 7}, {"1E-2", true, true, 0.01},
        {"2\t", true, true, 2}, {"1E-400", true, true, 0},
        {"", true, false, 0}, {"+", true, false, 0}, {"-", true, false, 0}, {"E", true, false, 0},
        {"1E", true, false, 0}, {"1,5,2", true, false, 0}, {"1.2.3", true, false, 0}, {"0X10", true, false, 0},
        {"1.5", false, true, 1.5}, {"1,5", false, false, 0}, {"E5", false, false, 0}, {".", false, false, 0},
        {"1E999", false, false, 0}, {"INF", false, false, 0}, {"NAN", false, false, 0}, {"5.", false, true, 5},
    };
    for (const auto& [text, pascal, isNumber, value] : cases) {
        double read = -1;
        EXPECT_EQ(ReadNumber(text, pascal, read), isNumber) << text << " pascal " << pascal;
        if (isNumber) {
            EXPECT_EQ(read, value) << text;
        }
    }
    double read = 0;
    EXPECT_THROW(ReadNumber("1E999", true, read), EOverflow);
}

TEST(P10Build, LongChainsCompileQuicklyAndKeepTheirMessages)
{
    // Every candidate split retests its left side; remembered tests keep this polynomial.
    TParser parser;
    EXPECT_EQ(CompileOutcome(parser, Chain("X", "-", 400)),
              "ETooManyNestings: Expression contains too many nestings");
    EXPECT_EQ(CompileOutcome(parser, Chain("X", "/", 300) + "^2^3"),
              "ESyntaxError: Error parsing expression:|" + Chain("X", "/", 300) + "^2|3");
    std::string deep(5000, '(');
    EXPECT_EQ(CompileOutcome(parser, deep + "X" + std::string(5000, ')')), "");
    EXPECT_EQ(ProgramText(parser), "0:X");
}

TEST(P10Build, EveryErrorClassHasItsNameAndFixedMessage)
{
    const std::pair<std::exception_ptr, std::string> cases[] = {
        {std::make_exception_ptr(EExpressionHasBlanks()), "EExpressionHasBlanks|Expression has blanks"},
        {std::make_exception_ptr(EMissMatchingBracket()), "EMissMatchingBracket|Missing brackets in expression"},
        {std::make_exception_ptr(ETooManyNestings()), "ETooManyNestings|Expression contains too many nestings"},
        {std::make_exception_ptr(EExpressionTooComplex()), "EExpressionTooComplex|Expression is too complex"},
        {std::make_exception_ptr(EParserInternalError()), "EParserInternalError|TParser internal error"},
        {std::make_exception_ptr(EBadName("1A")), "EBadName|1A"},
        {std::make_exception_ptr(EInvalidOp()), "EInvalidOp|Invalid floating point operation"},
        {std::make_exception_ptr(EZeroDivide()), "EZeroDivide|Floating point division by zero"},
        {std::make_exception_ptr(EOverflow()), "EOverflow|Floating point overflow"},
        {std::make_exception_ptr(EDivByZero()), "EDivByZero|Division by zero"},
        {std::make_exception_ptr(std::runtime_error("other")), "Exception|other"},
    };
    for (const auto& [error, expected] : cases) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(ErrorClassName(e)) + "|" + e.what(), expected);
        }
    }
}
