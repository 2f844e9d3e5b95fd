#pragma once
// The floating-point status flags that mean an arithmetic error: invalid
// operation, division by zero and overflow (underflow and inexact are ignored).
// Both the SSE and the x87 unit are read, since extended-precision routines run
// on the latter. Reading them is slow, so only the checked run does it.
#include <cfenv>

namespace solvane::fpstatus {

enum : unsigned { Invalid = 1u, ZeroDivide = 4u, Overflow = 8u }; // the same bits in MXCSR and x87 SW

#if defined(__x86_64__) && defined(__SSE__)
inline unsigned Raised() noexcept
{
    unsigned mxcsr = 0;
    unsigned short x87 = 0;
    asm volatile("stmxcsr %0" : "=m"(mxcsr) : : "memory");
    asm volatile("fnstsw %0" : "=m"(x87) : : "memory");
    return (mxcsr | x87) & (Invalid | ZeroDivide | Overflow);
}
#else
inline unsigned Raised() noexcept
{
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    return (raised & FE_INVALID ? Invalid : 0u) | (raised & FE_DIVBYZERO ? ZeroDivide : 0u) |
           (raised & FE_OVERFLOW ? Overflow : 0u);
}
#endif

inline void Clear() noexcept
{
    std::feclearexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
}

} // namespace solvane::fpstatus
