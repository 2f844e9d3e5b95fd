// Truncated Taylor arithmetic over the operations of a compiled program.
#include "expr/Derivatives.h"

#include "expr/FpStatus.h"
#include "expr/MathErrors.h"
#include "expr/Routines.h"
#include "expr/AsciiText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace solvane {
namespace {

using S = TTaylor;
constexpr int N = kTaylorOrder;

enum Function { fTan, fSin, fCos, fSinh, fCosh, fArcTan, fExp, fLn, fSqrt, fAbs, fHeav, fSign, fZero, fPh, fRnd,
                fMax, fMin };

int FunctionRule(const std::string& name)
{
    static const char* const names[] = {"TAN", "SIN", "COS", "SINH", "COSH", "ARCTAN", "EXP", "LN", "SQRT",
                                        "ABS", "HEAV", "SIGN", "ZERO", "PH", "RND", "MAX", "MIN"};
    for (int k = 0; k < static_cast<int>(std::size(names)); ++k)
        if (name == names[k])
            return k;
    return -1;
}

bool IsConstant(const S& s)
{
    return s[1] == 0 && s[2] == 0 && s[3] == 0;
}

S Multiply(const S& a, const S& b, int order)
{
    S w{};
    for (int k = 0; k <= order; ++k)
        for (int j = 0; j <= k; ++j)
            w[k] += a[j] * b[k - j];
    return w;
}

// a / b with the quotient's value w0 given.
S Divide(const S& a, const S& b, double w0, int order)
{
    S w{w0, 0, 0, 0};
    for (int k = 1; k <= order; ++k) {
        double sum = a[k];
        for (int j = 1; j <= k; ++j)
            sum -= b[j] * w[k - j];
        w[k] = sum / b[0];
    }
    return w;
}

S Exp(const S& u, double w0, int order)
{
    S w{w0, 0, 0, 0};
    for (int k = 1; k <= order; ++k) {
        double sum = 0;
        for (int j = 1; j <= k; ++j)
            sum += j * u[j] * w[k - j];
        w[k] = sum / k;
    }
    return w;
}

// ln u for u0 > 0.
S Ln(const S& u, double w0, int order)
{
    S w{w0, 0, 0, 0};
    for (int k = 1; k <= order; ++k) {
        double sum = 0;
        for (int j = 1; j < k; ++j)
            sum += j * w[j] * u[k - j];
        w[k] = (u[k] - sum / k) / u[0];
    }
    return w;
}

// sqrt u for u0 > 0.
S Sqrt(const S& u, double w0, int order)
{
    S w{w0, 0, 0, 0};
    for (int k = 1; k <= order; ++k) {
        double sum = u[k];
        for (int j = 1; j < k; ++j)
            sum -= w[j] * w[k - j];
        w[k] = sum / (2 * w0);
    }
    return w;
}

// f(u) where f' = g(u) and g' = sign * f(u): sine and cosine (sign -1), sinh and cosh (+1).
void Pair(const S& u, double f0, double g0, double sign, S& f, S& g, int order)
{
    f = {f0, 0, 0, 0};
    g = {g0, 0, 0, 0};
    for (int k = 1; k <= order; ++k) {
        double fs = 0, gs = 0;
        for (int j = 1; j <= k; ++j) {
            fs += j * u[j] * g[k - j];
            gs += j * u[j] * f[k - j];
        }
        f[k] = fs / k;
        g[k] = sign * gs / k;
    }
}

// a^n by square and multiply, as the evaluator computes it.
S IntegerPower(const S& a, std::int64_t n, double w0, int order)
{
    S r = TaylorConstant(1), f = a;
    for (std::uint64_t bits = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n); bits;
         bits >>= 1) {
        if (bits & 1)
            r = Multiply(r, f, order);
        if (bits > 1)
            f = Multiply(f, f, order);
    }
    if (n < 0)
        r = Divide(TaylorConstant(1), r, w0, order);
    r[0] = w0;
    return r;
}

S Scaled(const S& u, double factor)
{
    return {u[0] * factor, u[1] * factor, u[2] * factor, u[3] * factor};
}

// Whether the run reads the status flags after every value (see Run).
thread_local bool checking = false;

// The value is stored first: the flags must be read after it was computed.
void CheckValue(double value)
{
    if (!checking)
        return;
    volatile double computed = value;
    (void)computed;
    if (const unsigned flags = fpstatus::Raised())
        ThrowForStatus(flags);
}

// tan u: t' = (1 + t^2) u'.
S Tangent(const S& u, int order)
{
    const double t = routines::Tan(u[0]);
    CheckValue(t);
    S w{}, v{};
    w[0] = t;
    for (int k = 1; k <= order; ++k) {
        v[k - 1] = (k == 1 ? 1.0 : 0.0);
        for (int i = 0; i <= k - 1; ++i)
            v[k - 1] += w[i] * w[k - 1 - i];
        double sum = 0;
        for (int j = 1; j <= k; ++j)
            sum += j * u[j] * v[k - j];
        w[k] = sum / k;
    }
    return w;
}

S SineOrCosine(bool sine, const S& u, int order)
{
    const double x = u[0];
    const double value = sine ? routines::Sin(x) : routines::Cos(x);
    CheckValue(value);
    if (std::fabs(x) >= 9223372036854775808.0) // a plateau of zeros
        return TaylorConstant(value);
    S s, c;
    Pair(u, std::sin(x), std::cos(x), -1, s, c, order);
    S w = sine ? s : c;
    w[0] = value;
    return w;
}

S HyperbolicSineOrCosine(bool sine, const S& u, int order)
{
    const double x = u[0];
    const double value = sine ? routines::Sinh(x) : routines::Cosh(x);
    CheckValue(value);
    S sh, ch;
    Pair(u, std::sinh(x), std::cosh(x), 1, sh, ch, order);
    S w = sine ? sh : ch;
    w[0] = value;
    return w;
}

// arctan u: w' = u' / (1 + u^2).
S Arctangent(const S& u, int order)
{
    const double x = u[0];
    const double value = routines::ArcTan(x);
    CheckValue(value);
    const S q = Divide(TaylorConstant(1), S{1 + x * x, 2 * x * u[1], 2 * x * u[2] + u[1] * u[1],
                                             2 * x * u[3] + 2 * u[1] * u[2]},
                       1 / (1 + x * x), order);
    S w{};
    w[0] = value;
    for (int k = 1; k <= order; ++k) {
        double sum = 0;
        for (int j = 1; j <= k; ++j)
            sum += j * u[j] * q[k - j];
        w[k] = sum / k;
    }
    return w;
}

S LogarithmOrRoot(bool logarithm, const S& u, int order, bool& smooth)
{
    const double x = u[0];
    const double value = logarithm ? routines::Ln(x) : routines::Sqrt(x);
    CheckValue(value);
    if (x == 0) { // LN(0) is 0 and SQRT(0) is 0: no slope there
        smooth = smooth && IsConstant(u);
        return TaylorConstant(value);
    }
    return logarithm ? Ln(u, value, order) : Sqrt(u, value, order);
}

S Absolute(const S& u, bool& smooth)
{
    const double x = u[0];
    const double value = routines::Abs(x);
    CheckValue(value);
    if (x == 0) {
        smooth = smooth && IsConstant(u);
        return TaylorConstant(value);
    }
    S w = x < 0 ? Scaled(u, -1) : u;
    w[0] = value;
    return w;
}

// HEAV, SIGN and ZERO: flat but at 0.
S StepFunction(int function, const S& u, bool& smooth)
{
    const double x = u[0];
    const double value = function == fHeav ? routines::Heav(x)
                       : function == fSign ? routines::Sign(x) : routines::Zero(x);
    CheckValue(value);
    if (x == 0) // the step
        smooth = smooth && IsConstant(u);
    return TaylorConstant(value);
}

S Phase(const S& u, bool& smooth)
{
    const double x = u[0];
    const double value = routines::Ph(x);
    CheckValue(value);
    // (d - round(d)) * 2pi with d = x / (2/pi): slope pi^2, a jump where d is half way.
    const double d = x / (2 / std::numbers::pi);
    if (std::fabs(d - std::nearbyint(d)) == 0.5)
        smooth = smooth && IsConstant(u);
    S w = Scaled(u, std::numbers::pi * std::numbers::pi);
    w[0] = value;
    return w;
}

// One-argument functions; smooth is cleared where the derivative does not exist.
S Call1(int function, const S& u, int order, bool& smooth)
{
    switch (function) {
    case fTan: return Tangent(u, order);
    case fSin: case fCos: return SineOrCosine(function == fSin, u, order);
    case fSinh: case fCosh: return HyperbolicSineOrCosine(function == fSinh, u, order);
    case fArcTan: return Arctangent(u, order);
    case fExp: {
        const double value = routines::Exp(u[0]);
        CheckValue(value);
        return Exp(u, value, order);
    }
    case fLn: case fSqrt: return LogarithmOrRoot(function == fLn, u, order, smooth);
    case fAbs: return Absolute(u, smooth);
    case fHeav: case fSign: case fZero: return StepFunction(function, u, smooth);
    case fPh: return Phase(u, smooth);
    case fRnd: {
        const double value = routines::Rnd(u[0]);
        CheckValue(value);
        smooth = false; // a random value has no derivative
        return TaylorConstant(value);
    }
    default: return TaylorConstant(std::numeric_limits<double>::quiet_NaN());
    }
}

// The general power, following the evaluator's cases.
S Power(const S& a, const S& b, int order, bool& smooth)
{
    const double value = routines::GeneralPower(a[0], b[0]);
    CheckValue(value);
    const bool aFixed = IsConstant(a), bFixed = IsConstant(b);
    if (aFixed && bFixed)
        return TaylorConstant(value);
    const bool integral = std::trunc(b[0]) == b[0] && std::fabs(b[0]) <= 2147483647.0;
    if (bFixed && integral) // a^0 = 1 and the integer powers
        return IntegerPower(a, static_cast<std::int64_t>(b[0]), value, order);
    if (b[0] > 0 && a[0] == 0 && aFixed)
        return TaylorConstant(value); // 0^b stays 0 while b > 0
    if (a[0] > 0) { // exp(b ln a)
        const S lnA = Ln(a, std::log(a[0]), order);
        S w = Exp(Multiply(b, lnA, order), value, order);
        w[0] = value;
        return w;
    }
    if (bFixed && b[0] > 0 && a[0] == 0) {
        smooth = false; // a power below the third at 0
        return TaylorConstant(value);
    }
    smooth = false;
    return TaylorConstant(value);
}

// What one pass carries from operation to operation.
struct Pass {
    int order = N;
    bool checked = false; // reading the status flags after every value
    bool smooth = true;
    bool doubtful = false;
};

S AddOrSubtract(bool add, const S& a, const S& b, int order)
{
    S w{};
    w[0] = add ? a[0] + b[0] : a[0] - b[0];
    CheckValue(w[0]);
    const double sign = add ? 1 : -1;
    for (int k = 1; k <= order; ++k)
        w[k] = a[k] + sign * b[k];
    return w;
}

S Product(const S& a, const S& b, int order)
{
    const double value = a[0] * b[0];
    CheckValue(value);
    S w = Multiply(a, b, order);
    w[0] = value;
    return w;
}

S Quotient(const S& a, const S& b, int order)
{
    const double value = a[0] / b[0];
    CheckValue(value);
    return Divide(a, b, value, order);
}

// "MOD" and "DIV": a failure makes the unchecked pass doubtful and the checked one raise.
S IntegerDivision(bool remainder, const S& a, const S& b, Pass& pass)
{
    double value = 0;
    const auto fault = routines::IntegerDivide(a[0], b[0], remainder, value);
    if (fault != routines::IntegerFault::None && !pass.checked) {
        pass.doubtful = true;
        value = 0;
    } else if (fault == routines::IntegerFault::Invalid)
        throw EInvalidOp();
    else if (fault == routines::IntegerFault::DivideByZero)
        throw EDivByZero();
    CheckValue(value);
    // Constant between the integers, where the truncated operands jump.
    auto jumps = [](const S& s) { return !IsConstant(s) && s[0] != 0 && std::trunc(s[0]) == s[0]; };
    if (jumps(a) || jumps(b))
        pass.smooth = false;
    return TaylorConstant(value);
}

// A power whose exponent is an integral constant.
S ConstantIntegerPower(const S& a, const S& b, int order)
{
    const double value = static_cast<double>(routines::IntegerPower(a[0], static_cast<std::int64_t>(b[0])));
    CheckValue(value);
    return IntegerPower(a, static_cast<std::int64_t>(b[0]), value, order);
}

// The square, cube and fourth power, multiplied as the evaluator multiplies them.
S SmallPower(int kind, const S& a, int order)
{
    const double value = kind == okSquare ? a[0] * a[0]
                       : kind == okCube   ? (a[0] * a[0]) * a[0]
                                          : (a[0] * a[0]) * (a[0] * a[0]);
    CheckValue(value);
    return IntegerPower(a, kind - okSquare + 2, value, order);
}

S MaxOrMin(bool max, const S& a, const S& b, bool& smooth)
{
    const double value = max ? routines::Max(a[0], b[0]) : routines::Min(a[0], b[0]);
    CheckValue(value);
    const bool first = (a[0] >= b[0]) == max;
    S w = first ? a : b;
    if (a[0] == b[0] && a != b) // a kink where the two cross
        smooth = false;
    w[0] = value;
    return w;
}

// One operation of the given kind (and rule, for calls) on its operands' series.
S Operation(int kind, int function, const S& a, const S& b, Pass& pass)
{
    switch (kind) {
    case okVariable:
    case okConstant:
        return a;
    case okNegate: {
        S w = Scaled(a, -1);
        w[0] = -a[0];
        return w;
    }
    case okAdd: case okSubtract: return AddOrSubtract(kind == okAdd, a, b, pass.order);
    case okMultiply: return Product(a, b, pass.order);
    case okDivide: return Quotient(a, b, pass.order);
    case okModulo: case okIntDivide: return IntegerDivision(kind == okModulo, a, b, pass);
    case okIntPower: return ConstantIntegerPower(a, b, pass.order);
    case okPower: return Power(a, b, pass.order, pass.smooth);
    case okSquare: case okCube: case okFourthPower: return SmallPower(kind, a, pass.order);
    case okCall1: return Call1(function, a, pass.order, pass.smooth);
    case okCall2: return MaxOrMin(function == fMax, a, b, pass.smooth);
    default:
        pass.smooth = false;
        return TaylorConstant(std::numeric_limits<double>::quiet_NaN());
    }
}

} // namespace

TTaylorProgram::TTaylorProgram(const TCustomParser& evaluator)
{
    const std::vector<TOperationInfo> program = evaluator.Program();
    auto source = [&](const TOperandInfo& info) {
        Source s;
        switch (info.source) {
        case TOperandInfo::Source::Variable: {
            s.kind = Source::Input;
            s.index = Slot(info.name);
            if (s.index < 0) {
                s.index = static_cast<int>(slotNames_.size());
                slotNames_.push_back(info.name);
                const double* cell = evaluator.FindVariable(info.name);
                inputs_.push_back(TaylorConstant(cell ? *cell : 0.0));
            }
            break;
        }
        case TOperandInfo::Source::Result:
            s.kind = Source::Result;
            s.index = info.index;
            break;
        default:
            s.kind = Source::Constant;
            s.index = static_cast<int>(constants_.size());
            constants_.push_back(TaylorConstant(info.value));
            break;
        }
        return s;
    };
    for (const TOperationInfo& op : program) {
        Step step;
        step.kind = op.kind;
        step.a = source(op.operand1);
        if (op.operand2.source != TOperandInfo::Source::None) {
            step.b = source(op.operand2);
            step.hasB = true;
        }
        if (op.kind == okCall1 || op.kind == okCall2) {
            step.function = FunctionRule(op.function);
            const bool twoArgs = step.function == fMax || step.function == fMin;
            if (step.function < 0 || twoArgs != (op.kind == okCall2))
                supported_ = false;
        }
        steps_.push_back(step);
    }
    results_.resize(steps_.size());
}

int TTaylorProgram::Slot(const std::string& name) const
{
    const std::string upper = AsciiUpper(name);
    for (std::size_t k = 0; k < slotNames_.size(); ++k)
        if (slotNames_[k] == upper)
            return static_cast<int>(k);
    return -1;
}

void TTaylorProgram::SetInput(int slot, const TTaylor& value)
{
    if (slot >= 0 && static_cast<std::size_t>(slot) < inputs_.size())
        inputs_[static_cast<std::size_t>(slot)] = value;
}

const TTaylor& TTaylorProgram::Read(const Source& source) const
{
    switch (source.kind) {
    case Source::Input: return inputs_[static_cast<std::size_t>(source.index)];
    case Source::Result: return results_[static_cast<std::size_t>(source.index)];
    default: return constants_[static_cast<std::size_t>(source.index)];
    }
}

bool TTaylorProgram::Run(TTaylor& result, int order)
{
    order = std::clamp(order, 0, N);
    if (steps_.empty()) {
        result = TaylorConstant(0);
        return true;
    }
    if (!supported_) {
        result = TaylorConstant(std::numeric_limits<double>::quiet_NaN());
        return false;
    }
    // As the evaluator does: a run without flags first; only when some value is
    // doubtful (not finite, or an integer division failed) the run is repeated
    // reading the flags after every value, to raise the first fault.
    if (RunOnce(result, order, false))
        return smooth_;
    return RunOnce(result, order, true), smooth_;
}

bool TTaylorProgram::RunOnce(TTaylor& result, int order, bool checked)
{
    checking = checked;
    struct Reset {
        ~Reset() { checking = false; }
    } reset;
    Pass pass;
    pass.order = order;
    pass.checked = checked;
    if (checked)
        fpstatus::Clear();
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        const Step& step = steps_[i];
        static const S none{};
        S w = Operation(step.kind, step.function, Read(step.a), step.hasB ? Read(step.b) : none, pass);
        for (int k = order + 1; k <= N; ++k)
            w[k] = 0;
        results_[i] = w;
        pass.doubtful = pass.doubtful || !std::isfinite(w[0]);
        // The derivatives' own faults are no error of the program: cleared before the next value.
        if (checked && order > 0 && fpstatus::Raised())
            fpstatus::Clear();
    }
    if (checked)
        fpstatus::Clear();
    result = results_.back();
    for (int k = 1; k <= order; ++k)
        if (!std::isfinite(result[k]))
            pass.smooth = false;
    smooth_ = pass.smooth;
    return !pass.doubtful;
}

} // namespace solvane
