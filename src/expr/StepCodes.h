#pragma once
// The codes of the evaluator's fast run, named by kind and operand sources: P the
// previous step's result (in a register), C a cell, K a constant held in the step.
// Sums and products take their operands in either order, so they need no P and K on
// the left. The lists are macros so that the enumeration, the run's entry table and
// its labels are written out from one place.
#include "expr/Parser10.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <iterator>

#define SOLVANE_BINARY_CODES(S, Name) S(Name##PC) S(Name##PK) S(Name##CC) S(Name##CK)
#define SOLVANE_ORDERED_CODES(S, Name) SOLVANE_BINARY_CODES(S, Name) S(Name##CP) S(Name##KP) S(Name##KC)
#define SOLVANE_UNARY_CODES(S, Name) S(Name##P) S(Name##C)
#define SOLVANE_VALUE_CODES(S)                                                                      \
    SOLVANE_BINARY_CODES(S, Add) SOLVANE_BINARY_CODES(S, Multiply)                                  \
    SOLVANE_ORDERED_CODES(S, Subtract) SOLVANE_ORDERED_CODES(S, Divide)                             \
    SOLVANE_UNARY_CODES(S, Negate) SOLVANE_UNARY_CODES(S, Square) SOLVANE_UNARY_CODES(S, Cube)      \
    SOLVANE_UNARY_CODES(S, FourthPower) SOLVANE_UNARY_CODES(S, Ln) SOLVANE_UNARY_CODES(S, Exp)      \
    SOLVANE_UNARY_CODES(S, Call1) SOLVANE_UNARY_CODES(S, IntPower)
#define SOLVANE_OTHER_CODES(S) S(IntPowerCC) S(PowerCC) S(ModuloCC) S(IntDivideCC) S(Call2CC) S(Check) S(End)

// Pairs run as one step: a first step whose result only the second reads, from the
// register. The second step's record holds its other operand and the pair's result.
#define SOLVANE_FIRST_CODES(S)                                                                      \
    SOLVANE_BINARY_CODES(S, Add) SOLVANE_BINARY_CODES(S, Multiply)                                  \
    SOLVANE_ORDERED_CODES(S, Subtract) SOLVANE_ORDERED_CODES(S, Divide)                             \
    SOLVANE_UNARY_CODES(S, Negate) SOLVANE_UNARY_CODES(S, Square) SOLVANE_UNARY_CODES(S, Ln)
#define SOLVANE_SECOND_CODES(S, First)                                                              \
    S(First, AddPC) S(First, AddPK) S(First, MultiplyPC) S(First, MultiplyPK) S(First, SubtractPC)  \
    S(First, SubtractPK) S(First, SubtractCP) S(First, SubtractKP) S(First, DividePC)               \
    S(First, DividePK) S(First, DivideCP) S(First, DivideKP) S(First, NegateP) S(First, SquareP)    \
    S(First, LnP)

namespace solvane::evaluator {

#define SOLVANE_ENUMERATOR(Name) step##Name,
#define SOLVANE_PAIR_ENUMERATOR(First, Second) step##First##_##Second,
#define SOLVANE_PAIR_ENUMERATORS(First) SOLVANE_SECOND_CODES(SOLVANE_PAIR_ENUMERATOR, First)
enum StepCode : unsigned {
    SOLVANE_VALUE_CODES(SOLVANE_ENUMERATOR) SOLVANE_OTHER_CODES(SOLVANE_ENUMERATOR)
    SOLVANE_FIRST_CODES(SOLVANE_PAIR_ENUMERATORS) stepCodeCount
};
#undef SOLVANE_ENUMERATOR
#undef SOLVANE_PAIR_ENUMERATOR
#undef SOLVANE_PAIR_ENUMERATORS

// The index of a code among the first or second steps of pairs, -1 when it is none.
// Inline: the code preparation asks for every step.
inline int PairIndex(unsigned code, bool second)
{
#define SOLVANE_FIRST_ENTRY(Name) step##Name,
#define SOLVANE_SECOND_ENTRY(First, Name) step##Name,
    static constexpr unsigned firsts[] = {SOLVANE_FIRST_CODES(SOLVANE_FIRST_ENTRY)};
    static constexpr unsigned seconds[] = {SOLVANE_SECOND_CODES(SOLVANE_SECOND_ENTRY, _)};
#undef SOLVANE_FIRST_ENTRY
#undef SOLVANE_SECOND_ENTRY
    const unsigned* begin = second ? std::begin(seconds) : std::begin(firsts);
    const unsigned* end = second ? std::end(seconds) : std::end(firsts);
    const unsigned* found = std::find(begin, end, code);
    return found == end ? -1 : static_cast<int>(found - begin);
}

// The code of the pair of the first and second steps of those indices.
inline unsigned PairCode(int first, int second)
{
#define SOLVANE_FIRST_ROW(First) step##First##_AddPC,
    static constexpr unsigned rows[] = {SOLVANE_FIRST_CODES(SOLVANE_FIRST_ROW)};
#undef SOLVANE_FIRST_ROW
    return rows[first] + static_cast<unsigned>(second);
}

constexpr std::uint64_t Doubtful = std::uint64_t(1) << 63;

// Doubtful for a result that is not finite, else 0. Worked on the bits, without a
// branch: a comparison with NaN could raise the invalid-operation flag itself.
inline std::uint64_t DoubtfulIfNotFinite(double value) noexcept
{
    constexpr std::uint64_t exponent = 0x7FF0000000000000ULL;
    return ((std::bit_cast<std::uint64_t>(value) & exponent) + 0x0010000000000000ULL) & Doubtful;
}

// Runs the steps from first to the End step and returns the last result, or NaN when
// some result was doubtful (not finite, or an integer division failed): a finite value
// is a sound one. With first null it only hands out the address of each step code's entry.
double RunSteps(TFastStep* first, const void* const** codes) noexcept;

} // namespace solvane::evaluator
