#pragma once
// The arithmetic of the operation kinds and the standard functions. Results are
// doubles; some routines compute in extended precision first.
#include <cmath>
#include <cstdint>

namespace solvane::routines {

// a raised to n by square-and-multiply, in extended precision; 1 for n = 0.
long double IntegerPower(long double a, std::int64_t n) noexcept;
// b = 0: 1; a = 0 < b: 0; integral b within 32 bits: the integer power; else exp(b ln a).
double GeneralPower(double a, double b) noexcept;

// "DIV" and "MOD" on operands truncated to 64-bit integers.
enum class IntegerFault { None, Invalid, DivideByZero };
IntegerFault IntegerDivide(double a, double b, bool remainder, double& result) noexcept;

double Tan(double x) noexcept;
double Sin(double x) noexcept;
double Cos(double x) noexcept;
double Sinh(double x) noexcept;
double Cosh(double x) noexcept;
double ArcTan(double x) noexcept;
inline double Exp(double x) noexcept
{
    return std::exp(x);
}
// LN(0) is 0, so that X*LN(X) vanishes at the ends of the composition range.
inline double Ln(double x) noexcept
{
    return x == 0 ? 0.0 : std::log(x);
}
double Sqrt(double x) noexcept;
double Abs(double x) noexcept;
double Heav(double x) noexcept;
double Sign(double x) noexcept;
double Zero(double x) noexcept;
double Ph(double x) noexcept;
double Rnd(double x) noexcept;
double Max(double a, double b) noexcept;
double Min(double a, double b) noexcept;

} // namespace solvane::routines
