#pragma once
// What the evaluator's optimiser passes need to know about one operation. Inline:
// the passes ask for every operation and operand.
#include "expr/P10Build.h"
#include "expr/Routines.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace solvane::evaluator {

// False for the one-operand kinds; a leaf counts as two-operand, which it never reads.
inline bool HasTwoOperands(std::uint8_t kind)
{
    return kind != okNegate && kind != okSquare && kind != okCube && kind != okFourthPower && kind != okCall1;
}

// Whether an operation gives the same result for the same operands and touches
// nothing else: all but calls of routines other than the standard ones and RND.
inline bool IsPure(const TOperation& op)
{
    using namespace routines;
    if (op.Kind == okCall1) {
        const TOneArgRoutine pure[] = {Tan, Sin, Cos, Sinh, Cosh, ArcTan, Exp, Ln, Sqrt, Abs, Heav, Sign, Zero, Ph};
        return std::find(std::begin(pure), std::end(pure), op.Routine1) != std::end(pure);
    }
    if (op.Kind == okCall2)
        return op.Routine2 == Max || op.Routine2 == Min;
    return true;
}

// Whether a result that is not finite makes the result of the operation that reads
// it (as operand 1 or 2) not finite too, so that checking the latter suffices.
inline bool PassesOnNonFinite(const TOperation& reader, int operand)
{
    switch (reader.Kind) {
    case okNegate: case okAdd: case okSubtract: case okMultiply:
    case okSquare: case okCube: case okFourthPower:
        return true;
    case okDivide: // x / inf is 0
        return operand == 1;
    case okCall1: // ln of inf or NaN is inf or NaN; other functions may give finite values
        return reader.Routine1 == routines::Ln;
    default:
        return false;
    }
}

} // namespace solvane::evaluator
