// Evaluation of the typical Gibbs energy expressions by the engine, by the same
// formula compiled as C++, and by muparser; compilation of short and chained texts.
#include "expr/Parser10.h"

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <cmath>
#include <string>

namespace {

using solvane::TParser;

// The engine reads its parameters from variable cells, so the native formula reads
// them from memory too instead of folding them into constants.
double L0 = -12500, L1 = 3400, L2 = -800, Sid = 2.5, T = 1100;

// X sweeps (0, 1) so that no evaluation can be folded or hoisted.
inline double NextX(int& step)
{
    step = step == 998 ? 0 : step + 1;
    return 0.001 + 0.001 * step;
}

struct Case {
    const char* text;    // the engine's text
    const char* muText;  // the same formula in muparser's spelling
};

const Case IdealMixing{"-8.31441*(X*Ln(X)+(1-X)*ln(1-X))", "-8.31441*(X*ln(X)+(1-X)*ln(1-X))"};
const Case Regular{"12000*X*(1-X)+8.31441*T*(X*LN(X)+(1-X)*LN(1-X))",
                   "12000*X*(1-X)+8.31441*T*(X*ln(X)+(1-X)*ln(1-X))"};
const Case RedlichKister{"X*(1-X)*(L0+L1*(1-2*X)+L2*(1-2*X)^2)-T*Sid",
                         "X*(1-X)*(L0+L1*(1-2*X)+L2*(1-2*X)^2)-T*Sid"};

double NativeIdealMixing(double x)
{
    return -8.31441 * (x * std::log(x) + (1 - x) * std::log(1 - x));
}

double NativeRegular(double x)
{
    return 12000 * x * (1 - x) + 8.31441 * T * (x * std::log(x) + (1 - x) * std::log(1 - x));
}

double NativeRedlichKister(double x)
{
    const double d = 1 - 2 * x;
    return x * (1 - x) * (L0 + L1 * d + L2 * (d * d)) - T * Sid;
}

void EvalSolvane(benchmark::State& state, const Case* c)
{
    TParser parser;
    parser.T() = T;
    parser.SetVariable("L0", L0);
    parser.SetVariable("L1", L1);
    parser.SetVariable("L2", L2);
    parser.SetVariable("Sid", Sid);
    parser.SetExpression(c->text);
    double& x = parser.X();
    int step = 0;
    for (auto _ : state) {
        x = NextX(step);
        benchmark::DoNotOptimize(parser.Value());
    }
}

void EvalNative(benchmark::State& state, double (*formula)(double))
{
    benchmark::DoNotOptimize(&L0); // the parameters may change behind the compiler's back
    benchmark::DoNotOptimize(&L1);
    benchmark::DoNotOptimize(&L2);
    benchmark::DoNotOptimize(&Sid);
    benchmark::DoNotOptimize(&T);
    int step = 0;
    for (auto _ : state) {
        double x = NextX(step);
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(formula(x));
    }
}

void EvalMuparser(benchmark::State& state, const Case* c)
{
    double x = 0.5, t = T, l0 = L0, l1 = L1, l2 = L2, sid = Sid;
    mu::Parser parser;
    parser.DefineVar("X", &x);
    parser.DefineVar("T", &t);
    parser.DefineVar("L0", &l0);
    parser.DefineVar("L1", &l1);
    parser.DefineVar("L2", &l2);
    parser.DefineVar("Sid", &sid);
    parser.SetExpr(c->muText);
    int step = 0;
    for (auto _ : state) {
        x = NextX(step);
        benchmark::DoNotOptimize(parser.Eval());
    }
}

std::string Chain(const std::string& op, int terms)
{
    std::string text = "X";
    for (int i = 1; i < terms; ++i)
        text += op + "X";
    return text;
}

// A sum of products, bracketed as a balanced tree so that it stays within the depth limit.
std::string BalancedSumOfProducts(int products)
{
    if (products == 1)
        return "X*Y";
    std::string text = "(";
    text.append(BalancedSumOfProducts(products / 2)).append(")+(");
    text.append(BalancedSumOfProducts(products - products / 2)).append(")");
    return text;
}

void Compile(benchmark::State& state, std::string text)
{
    TParser parser;
    for (auto _ : state) {
        parser.SetExpression(text);
        benchmark::DoNotOptimize(parser.HasProgram());
    }
    if (!parser.HasProgram())
        state.SkipWithError("the text does not compile");
}

} // namespace

BENCHMARK_CAPTURE(EvalSolvane, ideal_mixing/solvane, &IdealMixing)->Name("Eval/ideal_mixing/solvane");
BENCHMARK_CAPTURE(EvalNative, ideal_mixing/native, NativeIdealMixing)->Name("Eval/ideal_mixing/native");
BENCHMARK_CAPTURE(EvalMuparser, ideal_mixing/muparser, &IdealMixing)->Name("Eval/ideal_mixing/muparser");
BENCHMARK_CAPTURE(EvalSolvane, regular/solvane, &Regular)->Name("Eval/regular/solvane");
BENCHMARK_CAPTURE(EvalNative, regular/native, NativeRegular)->Name("Eval/regular/native");
BENCHMARK_CAPTURE(EvalMuparser, regular/muparser, &Regular)->Name("Eval/regular/muparser");
BENCHMARK_CAPTURE(EvalSolvane, redlich_kister/solvane, &RedlichKister)->Name("Eval/redlich_kister/solvane");
BENCHMARK_CAPTURE(EvalNative, redlich_kister/native, NativeRedlichKister)->Name("Eval/redlich_kister/native");
BENCHMARK_CAPTURE(EvalMuparser, redlich_kister/muparser, &RedlichKister)->Name("Eval/redlich_kister/muparser");

BENCHMARK_CAPTURE(Compile, ideal_mixing, std::string(IdealMixing.text))->Name("Compile/ideal_mixing");
BENCHMARK_CAPTURE(Compile, minus_chain_21, Chain("-", 21))->Name("Compile/minus_chain_21");
BENCHMARK_CAPTURE(Compile, slash_chain_21, Chain("/", 21))->Name("Compile/slash_chain_21");
BENCHMARK_CAPTURE(Compile, div_chain_21, Chain("DIV", 21))->Name("Compile/div_chain_21");
BENCHMARK_CAPTURE(Compile, sum_of_products_50, BalancedSumOfProducts(50))->Name("Compile/sum_of_products_50");

BENCHMARK_MAIN();
