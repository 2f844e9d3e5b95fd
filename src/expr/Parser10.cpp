// The evaluator: variables, function tables, compilation on setting the text, and
// the run of the flat operation list.
#include "Parser10.h"

#include "FpStatus.h"
#include "Routines.h"

#include <bit>
#include <unordered_map>

namespace solvane {

// ---- The process-wide generator behind "RND" (splitmix64: one word of state) ----

namespace {
std::uint64_t randomState = 0x5EED5017A4EULL;
} // namespace

double NextRandom() noexcept
{
    std::uint64_t z = (randomState += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

void SetRandomSeed(std::uint64_t seed) noexcept
{
    randomState = seed;
}

const char* ErrorClassName(const std::exception& error) noexcept
{
    if (const auto* parserError = dynamic_cast<const EMathParserError*>(&error))
        return parserError->ClassName();
    if (const auto* mathError = dynamic_cast<const EMathError*>(&error))
        return mathError->ClassName();
    return "Exception";
}

// ---- Running operations ----

namespace {

std::string ToUpper(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

bool IsIdentifier(const std::string& name)
{
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || c == '_'; };
    if (name.empty() || !letter(name[0]))
        return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9'))
            return false;
    return true;
}

constexpr std::uint64_t Doubtful = std::uint64_t(1) << 63;

// Doubtful for a result that is not finite, else 0. Worked on the bits, without a
// branch: a comparison with NaN could raise the invalid-operation flag itself.
inline std::uint64_t DoubtfulIfNotFinite(double value) noexcept
{
    constexpr std::uint64_t exponent = 0x7FF0000000000000ULL;
    return ((std::bit_cast<std::uint64_t>(value) & exponent) + 0x0010000000000000ULL) & Doubtful;
}

// Dispatch codes of the fast run: the kind, two inlined functions, and whether an
// operand is the result of the operation just before (then it is taken from a
// register instead of its cell).
constexpr unsigned codeLn = 16, codeExp = 17, fromPrevious1 = 32, fromPrevious2 = 64;

// The arithmetic of one kind (or inlined function) on operand values. Not for
// "DIV" and "MOD", which can fail without a floating-point fault.
template <unsigned Code>
inline double Compute(const TOperation& op, double a, double b) noexcept
{
    if constexpr (Code == okNegate) return -a;
    else if constexpr (Code == okAdd) return a + b;
    else if constexpr (Code == okSubtract) return a - b;
    else if constexpr (Code == okMultiply) return a * b;
    else if constexpr (Code == okDivide) return a / b;
    else if constexpr (Code == okIntPower) return static_cast<double>(routines::IntegerPower(a, static_cast<std::int64_t>(b)));
    else if constexpr (Code == okPower) return routines::GeneralPower(a, b);
    else if constexpr (Code == okSquare) return a * a;
    else if constexpr (Code == okCube) return (a * a) * a;
    else if constexpr (Code == okFourthPower) return (a * a) * (a * a);
    else if constexpr (Code == okCall1) return op.Routine1(a);
    else if constexpr (Code == okCall2) return op.Routine2(a, b);
    else if constexpr (Code == codeLn) return routines::Ln(a);
    else if constexpr (Code == codeExp) return routines::Exp(a);
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

[[noreturn]] void ThrowFor(unsigned flags)
{
    fpstatus::Clear();
    if (flags & fpstatus::Invalid)
        throw EInvalidOp();
    if (flags & fpstatus::ZeroDivide)
        throw EZeroDivide();
    throw EOverflow();
}

} // namespace

// ---- TCustomParser ----

TCustomParser::TCustomParser() = default;

TCustomParser::~TCustomParser()
{
    ReleaseProgram();
}

double* TCustomParser::BuiltInCell(char letter)
{
    switch (letter) {
    case 'A': return &a_;
    case 'B': return &b_;
    case 'C': return &c_;
    case 'D': return &d_;
    case 'E': return &e_;
    case 'X': return &x_;
    case 'Y': return &y_;
    case 'T': return &t_;
    default: return nullptr;
    }
}

void TCustomParser::BindVariable(const std::string& upperName, double* cell)
{
    variables_.emplace(upperName, cell);
}

double* TCustomParser::SetVariable(const std::string& name, long double value)
{
    const std::string upper = ToUpper(name);
    if (auto found = variables_.find(upper); found != variables_.end()) {
        *found->second = static_cast<double>(value);
        return found->second;
    }
    double* cell = upper.size() == 1 ? BuiltInCell(upper[0]) : nullptr;
    if (!cell) {
        if (!IsIdentifier(upper))
            throw EBadName(upper);
        ownedCells_.push_back(std::make_unique<double>(0.0));
        cell = ownedCells_.back().get();
    }
    *cell = static_cast<double>(value);
    variables_.emplace(upper, cell);
    return cell;
}

double* TCustomParser::FindVariable(const std::string& name) const
{
    const auto found = variables_.find(ToUpper(name));
    return found == variables_.end() ? nullptr : found->second;
}

void TCustomParser::ClearVariables()
{
    // The program goes first: no program outlives a cell it refers to.
    SetExpression(std::string());
    while (!ownedCells_.empty())
        ownedCells_.pop_back();
    variables_.clear();
}

// Function names are identifiers, so that a call is always well bracketed.
template <typename Table, typename Routine>
void AddFunction(Table& table, const std::string& name, Routine routine)
{
    const std::string upper = ToUpper(name);
    if (!IsIdentifier(upper))
        throw std::invalid_argument("Bad function name " + upper);
    if (!table.emplace(upper, routine).second)
        throw std::invalid_argument("Duplicate function name " + upper);
}

void TCustomParser::AddOneArgFunction(const std::string& name, TOneArgRoutine routine)
{
    AddFunction(oneArgFunctions_, name, routine);
}

void TCustomParser::AddTwoArgFunction(const std::string& name, TTwoArgRoutine routine)
{
    AddFunction(twoArgFunctions_, name, routine);
}

void TCustomParser::ReleaseProgram()
{
    program_ = TCompiledProgram();
}

void TCustomParser::SetExpression(const std::string& text)
{
    ReleaseProgram();
    expression_ = text;
    if (text.empty())
        return;
    try {
        program_ = CompileExpression(text, variables_, oneArgFunctions_, twoArgFunctions_,
                                     pascalNumberformat_);
        PrepareCodes();
    } catch (const std::exception& error) {
        ReleaseProgram();
        if (!OnParserError)
            throw;
        OnParserError(*this, error);
    }
}

long double TCustomParser::Value()
{
    const std::vector<TOperation>& operations = program_.operations;
    if (operations.empty())
        return 0;
    if (operations.back().Kind == okVariable)
        return *operations.back().Target; // a bare variable or number
    // The fast run only collects whether some result is doubtful; then the whole run
    // is repeated on the checked path, which reads the status flags after every
    // operation and stops at the first fault.
    const std::uint64_t randomBefore = randomState;
    std::uint64_t doubtful = 0;
    double previous = 0;
    for (const TOperation& op : operations) {
        double result;
        switch (op.Code) {
#define SOLVANE_ONE(K)                                                                              \
    case unsigned(K): result = Compute<K>(op, *op.Operand1, 0.0); break;                            \
    case unsigned(K) | fromPrevious1: result = Compute<K>(op, previous, 0.0); break;
#define SOLVANE_TWO(K)                                                                              \
    case unsigned(K): result = Compute<K>(op, *op.Operand1, *op.Operand2); break;                   \
    case unsigned(K) | fromPrevious1: result = Compute<K>(op, previous, *op.Operand2); break;       \
    case unsigned(K) | fromPrevious2: result = Compute<K>(op, *op.Operand1, previous); break;
        SOLVANE_ONE(okNegate) SOLVANE_TWO(okAdd) SOLVANE_TWO(okSubtract) SOLVANE_TWO(okMultiply)
        SOLVANE_TWO(okDivide) SOLVANE_TWO(okIntPower) SOLVANE_TWO(okPower) SOLVANE_ONE(okSquare)
        SOLVANE_ONE(okCube) SOLVANE_ONE(okFourthPower) SOLVANE_ONE(okCall1) SOLVANE_TWO(okCall2)
        SOLVANE_ONE(codeLn) SOLVANE_ONE(codeExp)
#undef SOLVANE_ONE
#undef SOLVANE_TWO
        default: { // "DIV", "MOD"
            routines::IntegerFault fault = routines::IntegerFault::None;
            if (!Execute(op, fault))
                doubtful |= Doubtful;
            result = *op.Target;
            break;
        }
        }
        *op.Target = result;
        previous = result;
        doubtful |= DoubtfulIfNotFinite(result);
    }
    if (doubtful) [[unlikely]] {
        randomState = randomBefore; // the rerun draws the same numbers
        return RunChecked();
    }
    return previous;
}

// The dispatch codes of the fast run.
void TCustomParser::PrepareCodes()
{
    const double* previousTarget = nullptr;
    for (TOperation& op : program_.operations) {
        unsigned code = op.Kind;
        if (op.Kind == okCall1 && op.Routine1 == routines::Ln)
            code = codeLn;
        else if (op.Kind == okCall1 && op.Routine1 == routines::Exp)
            code = codeExp;
        if (op.Kind != okModulo && op.Kind != okIntDivide && op.Kind != okVariable && previousTarget) {
            if (op.Operand1 == previousTarget)
                code |= fromPrevious1;
            else if (op.Operand2 == previousTarget)
                code |= fromPrevious2;
        }
        op.Code = static_cast<std::uint8_t>(code);
        previousTarget = op.Kind == okVariable ? nullptr : op.Target;
    }
}

long double TCustomParser::RunChecked()
{
    fpstatus::Clear();
    for (const TOperation& op : program_.operations) {
        routines::IntegerFault fault = routines::IntegerFault::None;
        if (!Execute(op, fault))
            ThrowFor(fault);
        if (const unsigned flags = fpstatus::Raised())
            ThrowFor(flags);
    }
    return *program_.operations.back().Target;
}

std::vector<TOperationInfo> TCustomParser::Program() const
{
    const auto& operations = program_.operations;
    std::unordered_map<const double*, int> results;
    for (std::size_t i = 0; i < operations.size(); ++i)
        if (operations[i].Kind != okVariable)
            results.emplace(operations[i].Target, static_cast<int>(i));
    auto describe = [&](const double* cell) {
        TOperandInfo info;
        if (!cell)
            return info;
        if (auto found = results.find(cell); found != results.end()) {
            info.source = TOperandInfo::Source::Result;
            info.index = found->second;
        } else if (program_.OwnsCell(cell)) {
            info.source = TOperandInfo::Source::Constant;
            info.value = *cell;
        } else {
            info.source = TOperandInfo::Source::Variable;
            for (const auto& [name, variable] : variables_)
                if (variable == cell)
                    info.name = name;
        }
        return info;
    };
    std::vector<TOperationInfo> program;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const TOperation& op = operations[i];
        TOperationInfo info;
        info.kind = op.Kind;
        info.operand1 = describe(op.Operand1);
        info.operand2 = describe(op.Operand2);
        info.target = describe(op.Target);
        info.function = program_.functionNames[i];
        program.push_back(std::move(info));
    }
    return program;
}

// ---- TParser ----

TParser::TParser()
{
    for (char letter : std::string("ABCDEXYT"))
        BindVariable(std::string(1, letter), BuiltInCell(letter));
    using namespace routines;
    const std::pair<const char*, TOneArgRoutine> oneArg[] = {
        {"TAN", Tan}, {"SIN", Sin}, {"COS", Cos}, {"SINH", Sinh}, {"COSH", Cosh},
        {"ARCTAN", ArcTan}, {"EXP", Exp}, {"LN", Ln}, {"SQRT", Sqrt}, {"ABS", Abs},
        {"HEAV", Heav}, {"SIGN", Sign}, {"ZERO", Zero}, {"PH", Ph}, {"RND", Rnd}};
    for (const auto& [name, routine] : oneArg)
        AddOneArgFunction(name, routine);
    AddTwoArgFunction("MAX", Max);
    AddTwoArgFunction("MIN", Min);
}

} // namespace solvane
