// The checked run: one operation at a time from its cells, reading the status flags
// after each, so that the first faulty operation is the one named.
#include "expr/Parser10.h"

#include "expr/FpStatus.h"
#include "expr/MathErrors.h"
#include "expr/Routines.h"

namespace solvane {

namespace {

// The arithmetic of one kind on operand values, for the checked run. Not for "DIV"
// and "MOD", which can fail without a floating-point fault.
template <unsigned Kind>
inline double Compute(const TOperation& op, double a, double b) noexcept
{
    if constexpr (Kind == okNegate) return -a;
    else if constexpr (Kind == okAdd) return a + b;
    else if constexpr (Kind == okSubtract) return a - b;
    else if constexpr (Kind == okMultiply) return a * b;
    else if constexpr (Kind == okDivide) return a / b;
    else if constexpr (Kind == okIntPower) return static_cast<double>(routines::IntegerPower(a, static_cast<std::int64_t>(b)));
    else if constexpr (Kind == okPower) return routines::GeneralPower(a, b);
    else if constexpr (Kind == okSquare) return a * a;
    else if constexpr (Kind == okCube) return (a * a) * a;
    else if constexpr (Kind == okFourthPower) return (a * a) * (a * a);
    else if constexpr (Kind == okCall1) return op.Routine1(a);
    else if constexpr (Kind == okCall2) return op.Routine2(a, b);
}

// Runs one operation from its cells, for the checked run. Returns false when an
// integer division failed (fault says how).
inline bool Execute(const TOperation& op, routines::IntegerFault& fault) noexcept
{
    const double a = op.Operand1 ? *op.Operand1 : 0.0;
    const double b = op.Operand2 ? *op.Operand2 : 0.0;
    double result;
    switch (op.Kind) {
    case okModulo:
    case okIntDivide:
        fault = routines::IntegerDivide(a, b, op.Kind == okModulo, result);
        if (fault != routines::IntegerFault::None)
            return false;
        break;
#define SOLVANE_KIND(K) case K: result = Compute<K>(op, a, b); break;
    SOLVANE_KIND(okNegate) SOLVANE_KIND(okAdd) SOLVANE_KIND(okSubtract) SOLVANE_KIND(okMultiply)
    SOLVANE_KIND(okDivide) SOLVANE_KIND(okIntPower) SOLVANE_KIND(okPower) SOLVANE_KIND(okSquare)
    SOLVANE_KIND(okCube) SOLVANE_KIND(okFourthPower) SOLVANE_KIND(okCall1) SOLVANE_KIND(okCall2)
#undef SOLVANE_KIND
    default: return true; // leaves compute nothing
    }
    *op.Target = result;
    return true;
}

[[noreturn]] void ThrowFor(routines::IntegerFault fault)
{
    if (fault == routines::IntegerFault::Invalid)
        throw EInvalidOp();
    throw EDivByZero();
}

} // namespace

long double TCustomParser::RunChecked()
{
    fpstatus::Clear();
    for (const TOperation& op : program_.operations) {
        routines::IntegerFault fault = routines::IntegerFault::None;
        if (!Execute(op, fault))
            ThrowFor(fault);
        if (const unsigned flags = fpstatus::Raised())
            ThrowForStatus(flags);
    }
    return *program_.operations.back().Target;
}

} // namespace solvane
