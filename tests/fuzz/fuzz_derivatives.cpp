// libFuzzer: any expression differentiated at any X. The value and the error
// must be the evaluator's own, and a series said to be smooth is finite.
#include "expr/Derivatives.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

using namespace solvane;

namespace {

// The outcome of one evaluation: its value, or the class of its error.
struct Outcome {
    double value = 0;
    std::string error;
};

bool Same(const Outcome& a, const Outcome& b)
{
    if (a.error != b.error)
        return false;
    return a.error.empty() ? (a.value == b.value || (std::isnan(a.value) && std::isnan(b.value))) : true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < sizeof(double) + 1 || size > 300)
        return 0;
    double x;
    std::memcpy(&x, data, sizeof x);
    const std::string text(reinterpret_cast<const char*>(data) + sizeof x, size - sizeof x);

    TParser evaluator;
    evaluator.SetVariable("SID", 0.25);
    try {
        evaluator.SetExpression(text);
    } catch (const std::exception&) {
        return 0;
    }
    // The series starts from what the cell holds: storing a value may change a
    // signalling NaN into a quiet one.
    x = *evaluator.SetVariable("X", x);

    Outcome direct, series;
    SetRandomSeed(7);
    try {
        direct.value = static_cast<double>(evaluator.Value());
    } catch (const std::exception& e) {
        direct.error = ErrorClassName(e);
    }
    TTaylorProgram program(evaluator);
    program.SetInput(program.Slot("X"), TaylorVariable(x));
    program.SetInput(program.Slot("SID"), TTaylor{0.25, -1, 0.5, 2});
    TTaylor result{};
    bool smooth = false;
    SetRandomSeed(7);
    try {
        smooth = program.Run(result);
        series.value = result[0];
    } catch (const std::exception& e) {
        series.error = ErrorClassName(e);
    }
    if (!program.Supported() || !Same(direct, series))
        std::abort();
    if (smooth && series.error.empty())
        for (int k = 1; k <= kTaylorOrder; ++k)
            if (!std::isfinite(result[static_cast<std::size_t>(k)]))
                std::abort();
    // Lower orders are the leading part of the full series.
    if (series.error.empty()) {
        TTaylor low{};
        SetRandomSeed(7);
        program.Run(low, 1);
        if (!(low[0] == result[0] || (std::isnan(low[0]) && std::isnan(result[0]))) ||
            !(low[1] == result[1] || (std::isnan(low[1]) && std::isnan(result[1]))))
            std::abort();
    }
    return 0;
}
