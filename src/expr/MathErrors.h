#pragma once
// Arithmetic errors of the expression engine, with their fixed messages.
#include "expr/FpStatus.h"

#include <stdexcept>

namespace solvane {

class EMathError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    virtual const char* ClassName() const noexcept { return "EMathError"; }
};

class EInvalidOp : public EMathError {
public:
    EInvalidOp() : EMathError("Invalid floating point operation") {}
    const char* ClassName() const noexcept override { return "EInvalidOp"; }
};

class EZeroDivide : public EMathError {
public:
    EZeroDivide() : EMathError("Floating point division by zero") {}
    const char* ClassName() const noexcept override { return "EZeroDivide"; }
};

class EOverflow : public EMathError {
public:
    EOverflow() : EMathError("Floating point overflow") {}
    const char* ClassName() const noexcept override { return "EOverflow"; }
};

// Integer division ("DIV", "MOD") by an operand that truncates to 0.
class EDivByZero : public EMathError {
public:
    EDivByZero() : EMathError("Division by zero") {}
    const char* ClassName() const noexcept override { return "EDivByZero"; }
};

// The error of the first status flag raised, after the flags are cleared.
[[noreturn]] inline void ThrowForStatus(unsigned flags)
{
    fpstatus::Clear();
    if (flags & fpstatus::Invalid)
        throw EInvalidOp();
    if (flags & fpstatus::ZeroDivide)
        throw EZeroDivide();
    throw EOverflow();
}

} // namespace solvane
