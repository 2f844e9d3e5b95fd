#pragma once
// Forward-mode differentiation of a compiled program: every operation is run on
// truncated Taylor series in one variable, to the third order. The value part
// is computed exactly as the evaluator computes it, with the same errors; the
// derivatives come beside it.
//
//   TTaylorProgram g(phaseEvaluator);          // reads its program and variables
//   g.SetInput(g.Slot("X"), TaylorVariable(x));
//   TTaylor series;
//   bool smooth = g.Run(series);              // series[1] = dG/dX, series[2] = G''/2, ...
#include "expr/Parser10.h"

#include <array>
#include <string>
#include <vector>

namespace solvane {

inline constexpr int kTaylorOrder = 3;
// c[k] is the k-th derivative divided by k!.
using TTaylor = std::array<double, kTaylorOrder + 1>;

inline TTaylor TaylorConstant(double value) { return {value, 0, 0, 0}; }
inline TTaylor TaylorVariable(double value) { return {value, 1, 0, 0}; }
// The k-th derivative held by a series.
inline double Derivative(const TTaylor& s, int k)
{
    static constexpr double factorial[] = {1, 1, 2, 6};
    return s[static_cast<std::size_t>(k)] * factorial[k];
}

class TTaylorProgram {
public:
    // Reads the evaluator's compiled program, and the values its variables hold
    // now: an input not set later keeps that value, as a constant.
    explicit TTaylorProgram(const TCustomParser& evaluator);

    // The input slot of a variable (name in any case); -1 when the program does not read it.
    int Slot(const std::string& name) const;
    void SetInput(int slot, const TTaylor& value);
    // False when the program calls a function without a rule here (none of the
    // evaluator's standard ones): Run then gives NaN.
    bool Supported() const { return supported_; }

    // Runs the program to the given order (0: the value only). Raises what reading
    // Value would raise, for the same operation. Returns false when some
    // derivative does not exist (a jump or kink at this point, as HEAV or MOD at
    // a step, LN or SQRT at 0, a random value) or is not finite; the value is
    // still the evaluator's.
    bool Run(TTaylor& result, int order = kTaylorOrder);

private:
    struct Source {
        enum Kind { Constant, Input, Result } kind = Constant;
        int index = 0;    // Input: the slot; Result: the operation
        double value = 0; // Constant
    };
    struct Step {
        int kind = 0;
        int function = -1; // kinds 14 and 15: the rule
        Source a, b;
        bool hasB = false;
    };

    const TTaylor& Read(const Source& source) const;
    // One pass; checked: reads the status flags after every value and raises.
    // False when some value was doubtful.
    bool RunOnce(TTaylor& result, int order, bool checked);

    std::vector<Step> steps_;
    std::vector<std::string> slotNames_;
    std::vector<TTaylor> inputs_;
    std::vector<TTaylor> results_;
    std::vector<TTaylor> constants_;
    bool supported_ = true;
    bool smooth_ = true; // of the last pass
};

} // namespace solvane
