// The fast run: direct threading over the steps, one flat block of labels so that
// each step jumps straight to the next one's code.
#include "expr/StepCodes.h"

#include "expr/Routines.h"

#include <iterator>
#include <limits>

namespace solvane::evaluator {

namespace {

// The value of a step of the given code; p is the previous result.
template <unsigned Code>
inline double StepValue(const TFastStep* s, double p) noexcept
{
#define SOLVANE_BINARY_VALUES(Name, op)                                                             \
    if constexpr (Code == step##Name##PC) return p op *s->b.cell;                                   \
    if constexpr (Code == step##Name##PK) return p op s->b.constant;                                \
    if constexpr (Code == step##Name##CC) return *s->a.cell op *s->b.cell;                          \
    if constexpr (Code == step##Name##CK) return *s->a.cell op s->b.constant;
#define SOLVANE_ORDERED_VALUES(Name, op)                                                            \
    SOLVANE_BINARY_VALUES(Name, op)                                                                 \
    if constexpr (Code == step##Name##CP) return *s->a.cell op p;                                   \
    if constexpr (Code == step##Name##KP) return s->a.constant op p;                                \
    if constexpr (Code == step##Name##KC) return s->a.constant op *s->b.cell;
#define SOLVANE_UNARY_VALUES(Name, function)                                                        \
    if constexpr (Code == step##Name##P) return function(p);                                        \
    if constexpr (Code == step##Name##C) return function(*s->a.cell);
    auto negate = [](double a) { return -a; };
    auto square = [](double a) { return a * a; };
    auto cube = [](double a) { return (a * a) * a; };
    auto fourthPower = [](double a) { return (a * a) * (a * a); };
    auto call1 = [s](double a) { return s->b.routine(a); };
    auto intPower = [s](double a) { return static_cast<double>(routines::IntegerPower(a, s->b.exponent)); };
    SOLVANE_BINARY_VALUES(Add, +)
    SOLVANE_BINARY_VALUES(Multiply, *)
    SOLVANE_ORDERED_VALUES(Subtract, -)
    SOLVANE_ORDERED_VALUES(Divide, /)
    SOLVANE_UNARY_VALUES(Negate, negate)
    SOLVANE_UNARY_VALUES(Square, square)
    SOLVANE_UNARY_VALUES(Cube, cube)
    SOLVANE_UNARY_VALUES(FourthPower, fourthPower)
    SOLVANE_UNARY_VALUES(Ln, routines::Ln)
    SOLVANE_UNARY_VALUES(Exp, routines::Exp)
    SOLVANE_UNARY_VALUES(Call1, call1)
    SOLVANE_UNARY_VALUES(IntPower, intPower)
#undef SOLVANE_BINARY_VALUES
#undef SOLVANE_ORDERED_VALUES
#undef SOLVANE_UNARY_VALUES
}

} // namespace

double RunSteps(TFastStep* first, const void* const** codes) noexcept
{
#define SOLVANE_ADDRESS(Name) &&Name,
#define SOLVANE_PAIR_ADDRESS(First, Second) &&First##_##Second,
#define SOLVANE_PAIR_ADDRESSES(First) SOLVANE_SECOND_CODES(SOLVANE_PAIR_ADDRESS, First)
    static const void* const entries[] = {SOLVANE_VALUE_CODES(SOLVANE_ADDRESS) SOLVANE_OTHER_CODES(SOLVANE_ADDRESS)
                                              SOLVANE_FIRST_CODES(SOLVANE_PAIR_ADDRESSES)};
#undef SOLVANE_ADDRESS
#undef SOLVANE_PAIR_ADDRESS
#undef SOLVANE_PAIR_ADDRESSES
    static_assert(std::size(entries) == stepCodeCount);
    if (!first) {
        *codes = entries;
        return 0;
    }
    TFastStep* step = first;
    double previous = 0;
    std::uint64_t doubt = 0;

// Keeps the result in the step and jumps to the next step's code.
#define SOLVANE_NEXT(value)                                                                         \
    previous = (value);                                                                             \
    step->result = previous;                                                                        \
    ++step;                                                                                         \
    goto* step->code
#define SOLVANE_CELL(x) (*step->x.cell)
#define SOLVANE_VALUE_STEP(Name)                                                                    \
    Name: SOLVANE_NEXT(StepValue<step##Name>(step, previous));
#define SOLVANE_PAIR_STEP(First, Second)                                                            \
    First##_##Second: previous = StepValue<step##Second>(step + 1, StepValue<step##First>(step, previous)); \
    step[1].result = previous;                                                                      \
    step += 2;                                                                                      \
    goto* step->code;
#define SOLVANE_PAIR_STEPS(First) SOLVANE_SECOND_CODES(SOLVANE_PAIR_STEP, First)

    auto integerDivide = [&step, &doubt](bool remainder) {
        double result = step->result; // kept on a fault: the checked run names it
        if (routines::IntegerDivide(*step->a.cell, *step->b.cell, remainder, result) != routines::IntegerFault::None)
            doubt |= Doubtful;
        return result;
    };

    goto* step->code;
    SOLVANE_VALUE_CODES(SOLVANE_VALUE_STEP)
    SOLVANE_FIRST_CODES(SOLVANE_PAIR_STEPS)
IntPowerCC:
    SOLVANE_NEXT(static_cast<double>(
        routines::IntegerPower(SOLVANE_CELL(a), static_cast<std::int64_t>(SOLVANE_CELL(b)))));
PowerCC:
    SOLVANE_NEXT(routines::GeneralPower(SOLVANE_CELL(a), SOLVANE_CELL(b)));
ModuloCC:
    SOLVANE_NEXT(integerDivide(true));
IntDivideCC:
    SOLVANE_NEXT(integerDivide(false));
Call2CC: {
    const TFastCall& call = *static_cast<const TFastCall*>(step->b.call);
    SOLVANE_NEXT(call.routine(*call.a, *call.b));
}
Check: // the previous result, which a later step could hide (1/x, exp(x), functions)
    doubt |= DoubtfulIfNotFinite(previous);
    ++step;
    goto* step->code;
End:
    return doubt ? std::numeric_limits<double>::quiet_NaN() : previous;

#undef SOLVANE_NEXT
#undef SOLVANE_CELL
#undef SOLVANE_VALUE_STEP
#undef SOLVANE_PAIR_STEP
#undef SOLVANE_PAIR_STEPS
}

} // namespace solvane::evaluator
