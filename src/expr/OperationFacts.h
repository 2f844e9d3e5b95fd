#pragma once
// What the evaluator's optimiser passes need to know about one operation.
#include "expr/P10Build.h"

#include <cstdint>

namespace solvane::evaluator {

// False for the one-operand kinds; a leaf counts as two-operand, which it never reads.
inline bool HasTwoOperands(std::uint8_t kind)
{
    return kind != okNegate && kind != okSquare && kind != okCube && kind != okFourthPower && kind != okCall1;
}

// Whether an operation gives the same result for the same operands and touches
// nothing else: all but calls of routines other than the standard ones and RND.
bool IsPure(const TOperation& op);

// Whether a result that is not finite makes the result of the operation that reads
// it (as operand 1 or 2) not finite too, so that checking the latter suffices.
bool PassesOnNonFinite(const TOperation& reader, int operand);

} // namespace solvane::evaluator
