// The arithmetic of the operation kinds and the standard functions.
#include "expr/Routines.h"

#include "expr/Parser10.h"

#include <cmath>

namespace solvane::routines {

namespace {
constexpr double TwoPow63 = 9223372036854775808.0;
constexpr long double TwoOverPi = 0.6366197723675813431L;
constexpr long double TwoPi = 6.283185307179586477L;
} // namespace

long double IntegerPower(long double a, std::int64_t n) noexcept
{
    if (n == 0)
        return 1.0L;
    std::uint64_t bits = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    long double result = 1.0L;
    long double factor = a;
    for (;;) {
        if (bits & 1u)
            result *= factor;
        bits >>= 1;
        if (!bits)
            break;
        factor *= factor;
    }
    if (n < 0 && std::isinf(result))
        return result; // the overflow stays visible in the result, not only in the flags
    return n < 0 ? 1.0L / result : result;
}

double GeneralPower(double a, double b) noexcept
{
    if (b == 0)
        return 1.0;
    if (a == 0 && b > 0)
        return 0.0;
    if (b == std::trunc(b) && std::fabs(b) <= 2147483647.0)
        return static_cast<double>(IntegerPower(a, static_cast<std::int64_t>(b)));
    // ln of a negative base is the invalid operation, ln 0 the division by zero.
    return static_cast<double>(std::exp(static_cast<long double>(b) * std::log(static_cast<long double>(a))));
}

IntegerFault IntegerDivide(double a, double b, bool remainder, double& result) noexcept
{
    if (!(std::fabs(a) < TwoPow63) || !(std::fabs(b) < TwoPow63))
        return IntegerFault::Invalid;
    const auto dividend = static_cast<std::int64_t>(a);
    const auto divisor = static_cast<std::int64_t>(b);
    if (divisor == 0)
        return IntegerFault::DivideByZero;
    // Both lie strictly inside the 64-bit range, so the quotient cannot overflow.
    result = static_cast<double>(remainder ? dividend % divisor : dividend / divisor);
    return IntegerFault::None;
}

double Tan(double x) noexcept { return std::tan(x); }

// The sine and cosine of arguments of 2^63 and more are 0, as the x87 unit leaves them.
double Sin(double x) noexcept { return std::fabs(x) >= TwoPow63 ? 0.0 : std::sin(x); }
double Cos(double x) noexcept { return std::fabs(x) >= TwoPow63 ? 0.0 : std::cos(x); }

// Extended precision keeps e^x finite where only the half difference fits a double.
double Sinh(double x) noexcept
{
    const long double ex = std::exp(static_cast<long double>(x));
    const long double emx = std::exp(-static_cast<long double>(x));
    return static_cast<double>((ex - emx) * 0.5L);
}

double Cosh(double x) noexcept
{
    const long double ex = std::exp(static_cast<long double>(x));
    const long double emx = std::exp(-static_cast<long double>(x));
    return static_cast<double>((ex + emx) * 0.5L);
}

double ArcTan(double x) noexcept { return std::atan(x); }
double Sqrt(double x) noexcept { return std::sqrt(x); }
double Abs(double x) noexcept { return std::fabs(x); }
double Heav(double x) noexcept { return x >= 0 ? 1.0 : 0.0; }
double Sign(double x) noexcept { return x < 0 ? -1.0 : x > 0 ? 1.0 : 0.0; }
double Zero(double x) noexcept { return x == 0 ? 0.0 : 1.0; }

double Ph(double x) noexcept
{
    const auto d = static_cast<double>(static_cast<long double>(x) / TwoOverPi);
    if (!std::isfinite(d))
        return d; // the overflow of d is the fault; nothing more is computed
    const double nearest = std::nearbyint(d); // ties to even
    return static_cast<double>((static_cast<long double>(d) - nearest) * TwoPi);
}

double Rnd(double x) noexcept { return NextRandom() * std::trunc(x); }

// The chosen operand is copied as it is.
double Max(double a, double b) noexcept { return a >= b ? a : b; }
double Min(double a, double b) noexcept { return a >= b ? b : a; }

} // namespace solvane::routines
