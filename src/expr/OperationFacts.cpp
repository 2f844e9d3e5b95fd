// Purity and the passing on of non-finite values, per operation kind.
#include "expr/OperationFacts.h"

#include "expr/Routines.h"

#include <algorithm>
#include <iterator>

namespace solvane::evaluator {

bool IsPure(const TOperation& op)
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

bool PassesOnNonFinite(const TOperation& reader, int operand)
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
