// The evaluator: variables, function tables, compilation on setting the text, and
// the run of the flat operation list.
#include "expr/Parser10.h"

#include "expr/FpStatus.h"
#include "expr/MathErrors.h"
#include "expr/Routines.h"
#include "expr/AsciiText.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <map>
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

// ---- The fast run: direct threading over the steps ----
//
// Step codes, named by kind and operand sources: P the previous step's result (in a
// register), C a cell, K a constant held in the step. Sums and products take their
// operands in either order, so they need no P and K on the left.
#define SOLVANE_BINARY_CODES(S, Name) S(Name##PC) S(Name##PK) S(Name##CC) S(Name##CK)
#define SOLVANE_ORDERED_CODES(S, Name) SOLVANE_BINARY_CODES(S, Name) S(Name##CP) S(Name##KP) S(Name##KC)
#define SOLVANE_UNARY_CODES(S, Name) S(Name##P) S(Name##C)
#define SOLVANE_VALUE_CODES(S)                                                                      \
    SOLVANE_BINARY_CODES(S, Add) SOLVANE_BINARY_CODES(S, Multiply)                                  \
    SOLVANE_ORDERED_CODES(S, Subtract) SOLVANE_ORDERED_CODES(S, Divide)                             \
    SOLVANE_UNARY_CODES(S, Negate) SOLVANE_UNARY_CODES(S, Square) SOLVANE_UNARY_CODES(S, Cube)      \
    SOLVANE_UNARY_CODES(S, FourthPower) SOLVANE_UNARY_CODES(S, Ln) SOLVANE_UNARY_CODES(S, Exp)      \
    SOLVANE_UNARY_CODES(S, Call1) SOLVANE_UNARY_CODES(S, IntPower)
#define SOLVANE_OTHER_CODES(S) S(IntPowerCC) S(PowerCC) S(ModuloCC) S(IntDivideCC) S(Call2CC) S(Check) S(End)

// Pairs run as one step: a first step whose result only the second reads, from the
// register. The second step's record holds its other operand and the pair's result.
#define SOLVANE_FIRST_CODES(S)                                                                      \
    SOLVANE_BINARY_CODES(S, Add) SOLVANE_BINARY_CODES(S, Multiply)                                  \
    SOLVANE_ORDERED_CODES(S, Subtract) SOLVANE_ORDERED_CODES(S, Divide)                             \
    SOLVANE_UNARY_CODES(S, Negate) SOLVANE_UNARY_CODES(S, Square) SOLVANE_UNARY_CODES(S, Ln)
#define SOLVANE_SECOND_CODES(S, First)                                                              \
    S(First, AddPC) S(First, AddPK) S(First, MultiplyPC) S(First, MultiplyPK) S(First, SubtractPC)  \
    S(First, SubtractPK) S(First, SubtractCP) S(First, SubtractKP) S(First, DividePC)               \
    S(First, DividePK) S(First, DivideCP) S(First, DivideKP) S(First, NegateP) S(First, SquareP)    \
    S(First, LnP)
#define SOLVANE_PAIR_ENUMERATOR(First, Second) step##First##_##Second,
#define SOLVANE_PAIR_ENUMERATORS(First) SOLVANE_SECOND_CODES(SOLVANE_PAIR_ENUMERATOR, First)

#define SOLVANE_ENUMERATOR(Name) step##Name,
enum StepCode : unsigned {
    SOLVANE_VALUE_CODES(SOLVANE_ENUMERATOR) SOLVANE_OTHER_CODES(SOLVANE_ENUMERATOR)
    SOLVANE_FIRST_CODES(SOLVANE_PAIR_ENUMERATORS) stepCodeCount
};
#undef SOLVANE_ENUMERATOR

// The index of a code among the first or second steps of pairs, -1 when it is none.
int PairIndex(unsigned code, bool second)
{
#define SOLVANE_FIRST_ENTRY(Name) step##Name,
#define SOLVANE_SECOND_ENTRY(First, Name) step##Name,
    static constexpr unsigned firsts[] = {SOLVANE_FIRST_CODES(SOLVANE_FIRST_ENTRY)};
    static constexpr unsigned seconds[] = {SOLVANE_SECOND_CODES(SOLVANE_SECOND_ENTRY, _)};
#undef SOLVANE_FIRST_ENTRY
#undef SOLVANE_SECOND_ENTRY
    const unsigned* begin = second ? std::begin(seconds) : std::begin(firsts);
    const unsigned* end = second ? std::end(seconds) : std::end(firsts);
    const unsigned* found = std::find(begin, end, code);
    return found == end ? -1 : static_cast<int>(found - begin);
}

unsigned PairCode(int first, int second)
{
#define SOLVANE_FIRST_ROW(First) step##First##_AddPC,
    static constexpr unsigned rows[] = {SOLVANE_FIRST_CODES(SOLVANE_FIRST_ROW)};
#undef SOLVANE_FIRST_ROW
    return rows[first] + static_cast<unsigned>(second);
}

// The value of a step of the given code; p is the previous result.
template <unsigned Code>
inline double StepValue(const TFastStep* s, double p) noexcept
{
#define SOLVANE_BINARY_VALUES(Name, op)                                                             \
    if constexpr (Code == step##Name##PC) return p op *s->b.cell;                                   \
    if constexpr (Code == step##Name##PK) return p op s->b.constant;                                \
    if constexpr (Code == step##Name##CC) return *s->a.cell op *s->b.cell;                          \
    if constexpr (Code == step##Name##CK) return *s->a.cell op s->b.constant;
#define SOLVANE_ORDERED_VALUES(Name, op)                                                            \
    SOLVANE_BINARY_VALUES(Name, op)                                                                 \
    if constexpr (Code == step##Name##CP) return *s->a.cell op p;                                   \
    if constexpr (Code == step##Name##KP) return s->a.constant op p;                                \
    if constexpr (Code == step##Name##KC) return s->a.constant op *s->b.cell;
#define SOLVANE_UNARY_VALUES(Name, function)                                                        \
    if constexpr (Code == step##Name##P) return function(p);                                        \
    if constexpr (Code == step##Name##C) return function(*s->a.cell);
    auto negate = [](double a) { return -a; };
    auto square = [](double a) { return a * a; };
    auto cube = [](double a) { return (a * a) * a; };
    auto fourthPower = [](double a) { return (a * a) * (a * a); };
    auto call1 = [s](double a) { return s->b.routine(a); };
    auto intPower = [s](double a) { return static_cast<double>(routines::IntegerPower(a, s->b.exponent)); };
    SOLVANE_BINARY_VALUES(Add, +)
    SOLVANE_BINARY_VALUES(Multiply, *)
    SOLVANE_ORDERED_VALUES(Subtract, -)
    SOLVANE_ORDERED_VALUES(Divide, /)
    SOLVANE_UNARY_VALUES(Negate, negate)
    SOLVANE_UNARY_VALUES(Square, square)
    SOLVANE_UNARY_VALUES(Cube, cube)
    SOLVANE_UNARY_VALUES(FourthPower, fourthPower)
    SOLVANE_UNARY_VALUES(Ln, routines::Ln)
    SOLVANE_UNARY_VALUES(Exp, routines::Exp)
    SOLVANE_UNARY_VALUES(Call1, call1)
    SOLVANE_UNARY_VALUES(IntPower, intPower)
#undef SOLVANE_BINARY_VALUES
#undef SOLVANE_ORDERED_VALUES
#undef SOLVANE_UNARY_VALUES
}

// Runs the steps from first to the End step and returns the last result, or NaN when
// some result was doubtful (not finite, or an integer division failed): a finite value
// is a sound one. With first null it only hands out the address of each step code's entry.
double RunSteps(TFastStep* first, const void* const** codes) noexcept
{
#define SOLVANE_ADDRESS(Name) &&Name,
#define SOLVANE_PAIR_ADDRESS(First, Second) &&First##_##Second,
#define SOLVANE_PAIR_ADDRESSES(First) SOLVANE_SECOND_CODES(SOLVANE_PAIR_ADDRESS, First)
    static const void* const entries[] = {SOLVANE_VALUE_CODES(SOLVANE_ADDRESS) SOLVANE_OTHER_CODES(SOLVANE_ADDRESS)
                                              SOLVANE_FIRST_CODES(SOLVANE_PAIR_ADDRESSES)};
#undef SOLVANE_ADDRESS
#undef SOLVANE_PAIR_ADDRESS
#undef SOLVANE_PAIR_ADDRESSES
    static_assert(std::size(entries) == stepCodeCount);
    if (!first) {
        *codes = entries;
        return 0;
    }
    TFastStep* step = first;
    double previous = 0;
    std::uint64_t doubt = 0;

// Keeps the result in the step and jumps to the next step's code.
#define SOLVANE_NEXT(value)                                                                         \
    previous = (value);                                                                             \
    step->result = previous;                                                                        \
    ++step;                                                                                         \
    goto* step->code
#define SOLVANE_CELL(x) (*step->x.cell)
#define SOLVANE_VALUE_STEP(Name)                                                                    \
    Name: SOLVANE_NEXT(StepValue<step##Name>(step, previous));
#define SOLVANE_PAIR_STEP(First, Second)                                                            \
    First##_##Second: previous = StepValue<step##Second>(step + 1, StepValue<step##First>(step, previous)); \
    step[1].result = previous;                                                                      \
    step += 2;                                                                                      \
    goto* step->code;
#define SOLVANE_PAIR_STEPS(First) SOLVANE_SECOND_CODES(SOLVANE_PAIR_STEP, First)

    auto integerDivide = [&step, &doubt](bool remainder) {
        double result = step->result; // kept on a fault: the checked run names it
        if (routines::IntegerDivide(*step->a.cell, *step->b.cell, remainder, result) != routines::IntegerFault::None)
            doubt |= Doubtful;
        return result;
    };

    goto* step->code;
    SOLVANE_VALUE_CODES(SOLVANE_VALUE_STEP)
    SOLVANE_FIRST_CODES(SOLVANE_PAIR_STEPS)
IntPowerCC:
    SOLVANE_NEXT(static_cast<double>(
        routines::IntegerPower(SOLVANE_CELL(a), static_cast<std::int64_t>(SOLVANE_CELL(b)))));
PowerCC:
    SOLVANE_NEXT(routines::GeneralPower(SOLVANE_CELL(a), SOLVANE_CELL(b)));
ModuloCC:
    SOLVANE_NEXT(integerDivide(true));
IntDivideCC:
    SOLVANE_NEXT(integerDivide(false));
Call2CC: {
    const TFastCall& call = *static_cast<const TFastCall*>(step->b.call);
    SOLVANE_NEXT(call.routine(*call.a, *call.b));
}
Check: // the previous result, which a later step could hide (1/x, exp(x), functions)
    doubt |= DoubtfulIfNotFinite(previous);
    ++step;
    goto* step->code;
End:
    return doubt ? std::numeric_limits<double>::quiet_NaN() : previous;

#undef SOLVANE_NEXT
#undef SOLVANE_CELL
#undef SOLVANE_VALUE_STEP
#undef SOLVANE_PAIR_STEP
#undef SOLVANE_PAIR_STEPS
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
    const std::string upper = AsciiUpper(name);
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
    const auto found = variables_.find(AsciiUpper(name));
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
    const std::string upper = AsciiUpper(name);
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
    steps_.clear(); // they point into the program's cells
    calls_.clear();
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
    if (steps_.empty()) {
        const std::vector<TOperation>& operations = program_.operations;
        if (operations.empty())
            return 0;
        if (operations.back().Kind == okVariable)
            return *operations.back().Target; // a bare variable or number
        return RunChecked();
    }
    // The fast run only collects whether some result is doubtful; then the whole run
    // is repeated on the checked path, which reads the status flags after every
    // operation and stops at the first fault.
    const std::uint64_t randomBefore = randomState;
    const double result = RunSteps(steps_.data(), nullptr);
    if (DoubtfulIfNotFinite(result)) [[unlikely]] {
        randomState = randomBefore; // the rerun draws the same numbers
        return RunChecked();
    }
    return result;
}

namespace {

// A value for each of the program's own cells (constants and results); other cells
// (variables) have none.
template <typename T>
class CellTable {
public:
    CellTable(const TCompiledProgram& program, T none) : program_(program), values_(program.cellCount, none), none_(none) {}
    T* Find(const double* cell)
    {
        return program_.OwnsCell(cell) ? &values_[static_cast<std::size_t>(cell - program_.cells.get())] : nullptr;
    }
    T Get(const double* cell) const
    {
        return program_.OwnsCell(cell) ? values_[static_cast<std::size_t>(cell - program_.cells.get())] : none_;
    }

private:
    const TCompiledProgram& program_;
    std::vector<T> values_;
    T none_;
};

// How often a result is read, and whether some reader passes a non-finite value on.
struct Reader {
    int reads = 0;
    bool passes = false;
};

bool HasTwoOperands(std::uint8_t kind)
{
    return kind != okNegate && kind != okSquare && kind != okCube && kind != okFourthPower && kind != okCall1;
}

// Whether an operation gives the same result for the same operands and touches
// nothing else: all but calls of routines other than the standard ones and RND.
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

// Pure operations equal to an earlier one in kind and operands (the same variable,
// the same constant value, the same result) are left out: their readers read the
// earlier result. Values are the same; a doubtful result stays doubtful.
void MergeEqualOperations(std::vector<TOperation>& ops, std::vector<bool>& dropped,
                          const CellTable<int>& producer, const TCompiledProgram& program)
{
    CellTable<double*> kept(program, nullptr); // a left-out result -> the earlier equal one
    std::map<std::array<std::uint64_t, 6>, std::size_t> seen;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        TOperation& op = ops[i];
        for (double** operand : {&op.Operand1, &op.Operand2})
            if (double* const earlier = kept.Get(*operand))
                *operand = earlier;
        if (!IsPure(op) || i + 1 == ops.size())
            continue;
        auto identity = [&](const double* cell) -> std::pair<std::uint64_t, std::uint64_t> {
            if (program.OwnsCell(cell) && producer.Get(cell) < 0)
                return {1, std::bit_cast<std::uint64_t>(*cell)}; // a constant, by value
            return {2, reinterpret_cast<std::uintptr_t>(cell)};
        };
        const auto [source1, value1] = identity(op.Operand1);
        const auto [source2, value2] = HasTwoOperands(op.Kind) ? identity(op.Operand2) : std::pair<std::uint64_t, std::uint64_t>();
        const std::uint64_t routine = op.Kind == okCall1 ? reinterpret_cast<std::uintptr_t>(op.Routine1)
                                    : op.Kind == okCall2 ? reinterpret_cast<std::uintptr_t>(op.Routine2) : 0;
        const auto [earlier, added] = seen.emplace(std::array<std::uint64_t, 6>{op.Kind, routine, source1, value1, source2, value2}, i);
        if (!added) {
            *kept.Find(op.Target) = ops[earlier->second].Target;
            dropped[i] = true;
        }
    }
}

// Where a step finds an operand.
struct StepOperand {
    enum Source { Previous, Cell, Constant } source = Cell;
    const double* cell = nullptr; // Cell; for Constant the program's cell that holds it
};

// Whether a result that is not finite makes the result of the operation that reads
// it (as operand 1 or 2) not finite too, so that checking the latter suffices.
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

// The order of the fast run over the operations kept. A program whose every result
// is read, with at most one call of a routine that draws random numbers or may keep
// state, runs depth first, the shallower operand first, so that most operands are the
// result just made and the longest chain runs through registers. Its values do not
// depend on the order; the checked run keeps the program order for naming faults.
std::vector<std::size_t> RunOrder(const std::vector<TOperation>& operations, const std::vector<bool>& dropped,
                                  const CellTable<int>& producer, const CellTable<Reader>& readers)
{
    const std::size_t count = operations.size();
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < count; ++i)
        if (!dropped[i])
            order.push_back(i);
    int unknownCalls = 0;
    for (const std::size_t i : order) {
        const TOperation& op = operations[i];
        unknownCalls += !IsPure(op);
        if (i + 1 < count && readers.Get(op.Target).reads == 0)
            return order;
    }
    if (unknownCalls > 1)
        return order;

    // Operand producers, and the length of the longest chain (in rough cycles) up to each result.
    std::vector<std::array<int, 2>> children(count, {-1, -1});
    std::vector<int> height(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const TOperation& op = operations[i];
        int longest = 0;
        for (int k = 0; k < 2; ++k) {
            const double* cell = k == 0 ? op.Operand1 : op.Operand2;
            if (const int found = producer.Get(cell); found >= 0 && (k == 0 || HasTwoOperands(op.Kind))) {
                children[i][static_cast<std::size_t>(k)] = found;
                longest = std::max(longest, height[static_cast<std::size_t>(found)]);
            }
        }
        const bool slow = op.Kind == okCall1 || op.Kind == okCall2 || op.Kind == okPower ||
                          op.Kind == okIntPower || op.Kind == okModulo || op.Kind == okIntDivide;
        height[i] = longest + (slow ? 20 : op.Kind == okDivide ? 13 : 3);
        auto& [first, second] = children[i];
        if (first >= 0 && second >= 0 && height[static_cast<std::size_t>(second)] < height[static_cast<std::size_t>(first)])
            std::swap(first, second);
    }

    // Depth first from the last operation, each once, without recursion: chains can be long.
    std::vector<std::size_t> depthFirst;
    depthFirst.reserve(count);
    std::vector<bool> reached(count, false);
    std::vector<std::pair<std::size_t, int>> pending{{count - 1, 0}};
    reached[count - 1] = true;
    while (!pending.empty()) {
        const std::size_t op = pending.back().first;
        const int next = pending.back().second++;
        if (next < 2) {
            const int child = children[op][static_cast<std::size_t>(next)];
            if (child >= 0 && !reached[static_cast<std::size_t>(child)]) {
                reached[static_cast<std::size_t>(child)] = true;
                pending.emplace_back(static_cast<std::size_t>(child), 0);
            }
            continue;
        }
        depthFirst.push_back(op);
        pending.pop_back();
    }
    return depthFirst.size() == order.size() ? depthFirst : order;
}

} // namespace

// The steps of the fast run: one per operation kept, in run order, with a Check step
// after each result whose fault later operations could hide, and an End step; then
// pairs of steps joined. Any program of another shape (which the compiler does not
// make) runs on the checked path only.
void TCustomParser::PrepareCodes()
{
    steps_.clear();
    calls_.clear();
    const std::vector<TOperation>& operations = program_.operations;
    const std::size_t count = operations.size();
    if (count == 1 && operations[0].Kind == okVariable)
        return;

    // Each result cell is computed once, into the program's own cells, and read after.
    CellTable<int> producer(program_, -1);
    std::vector<const double*> readFirst; // owned cells read before any operation computed them
    for (std::size_t i = 0; i < count; ++i) {
        const TOperation& op = operations[i];
        if (op.Kind < okNegate || op.Kind > okCall2 || !op.Operand1 || !op.Target ||
            (HasTwoOperands(op.Kind) && !op.Operand2) || !program_.OwnsCell(op.Target))
            return;
        const double* operands[] = {op.Operand1, HasTwoOperands(op.Kind) ? op.Operand2 : nullptr};
        for (int k = 0; k < 2; ++k) {
            if (!operands[k] || !program_.OwnsCell(operands[k]))
                continue;
            if (operands[k] == op.Target)
                return;
            if (producer.Get(operands[k]) < 0)
                readFirst.push_back(operands[k]);
        }
        int& made = *producer.Find(op.Target);
        if (made >= 0)
            return;
        made = static_cast<int>(i);
    }
    for (const double* cell : readFirst)
        if (producer.Get(cell) >= 0)
            return; // a result read before it is computed

    std::vector<TOperation> ops = operations;
    std::vector<bool> dropped(count, false);
    MergeEqualOperations(ops, dropped, producer, program_);
    CellTable<Reader> readers(program_, Reader());
    for (std::size_t i = 0; i < count; ++i) {
        if (dropped[i])
            continue;
        for (int k = 0; k < (HasTwoOperands(ops[i].Kind) ? 2 : 1); ++k) {
            const double* cell = k == 0 ? ops[i].Operand1 : ops[i].Operand2;
            if (producer.Get(cell) < 0)
                continue;
            Reader& reader = *readers.Find(cell);
            ++reader.reads;
            reader.passes = reader.passes || PassesOnNonFinite(ops[i], k + 1);
        }
    }

    const void* const* codes = nullptr;
    RunSteps(nullptr, &codes);
    steps_.reserve(2 * count + 1); // never reallocated: steps point at earlier steps' results
    calls_.reserve(count);
    std::vector<std::size_t> stepOf(count);
    std::size_t before = count; // the operation whose step came last (a Check step keeps its result)
    std::vector<unsigned> stepCodes; // per step: its code, and whether one step reads its result
    std::vector<bool> onceRead;

    for (const std::size_t i : RunOrder(ops, dropped, producer, readers)) {
        const TOperation& op = ops[i];
        auto source = [&](const double* cell) {
            StepOperand operand;
            operand.cell = cell;
            if (const int found = producer.Get(cell); found >= 0) {
                const std::size_t from = stepOf[static_cast<std::size_t>(found)];
                if (static_cast<std::size_t>(found) == before)
                    operand.source = StepOperand::Previous;
                operand.cell = &steps_[from].result;
            } else if (program_.OwnsCell(cell)) {
                operand.source = StepOperand::Constant;
            }
            return operand;
        };
        StepOperand a = source(op.Operand1);
        StepOperand b = HasTwoOperands(op.Kind) ? source(op.Operand2) : StepOperand();
        TFastStep step;
        unsigned code = stepEnd;
        auto put = [](TFastStep::Operand& field, const StepOperand& operand) {
            if (operand.source == StepOperand::Constant)
                field.constant = *operand.cell;
            else
                field.cell = operand.cell;
        };
        switch (op.Kind) {
        case okAdd: case okMultiply: case okSubtract: case okDivide: {
            const bool ordered = op.Kind == okSubtract || op.Kind == okDivide;
            if (a.source == StepOperand::Previous && b.source == StepOperand::Previous)
                b.source = StepOperand::Cell;
            if (a.source == StepOperand::Constant && b.source == StepOperand::Constant)
                a.source = StepOperand::Cell;
            if (!ordered && (b.source == StepOperand::Previous ||
                             (a.source == StepOperand::Constant && b.source == StepOperand::Cell)))
                std::swap(a, b);
            // Codes of a kind follow in the order PC PK CC CK CP KP KC.
            static constexpr unsigned first[] = {0, 0, 0, stepAddPC, stepSubtractPC, stepMultiplyPC, stepDividePC};
            static constexpr unsigned offset[3][3] = {// [a][b]: Previous, Cell, Constant
                                                      {0, 0, 1}, {4, 2, 3}, {5, 6, 0}};
            code = first[op.Kind] + offset[a.source][b.source];
            break;
        }
        case okNegate: case okSquare: case okCube: case okFourthPower: case okCall1: case okIntPower: {
            unsigned fromPrevious = op.Kind == okNegate ? stepNegateP : op.Kind == okSquare ? stepSquareP
                          : op.Kind == okCube ? stepCubeP : op.Kind == okFourthPower ? stepFourthPowerP
                          : op.Kind == okIntPower ? stepIntPowerP
                          : op.Routine1 == routines::Ln ? stepLnP : op.Routine1 == routines::Exp ? stepExpP
                          : stepCall1P;
            if (op.Kind == okCall1)
                step.b.routine = op.Routine1;
            if (op.Kind == okIntPower) {
                // The exponent is an integral constant; another operand is taken as it comes.
                const double exponent = *op.Operand2;
                if (b.source != StepOperand::Constant || !(std::fabs(exponent) < 9223372036854775808.0)) {
                    fromPrevious = stepIntPowerCC;
                    a.source = b.source = StepOperand::Cell;
                } else {
                    step.b.exponent = static_cast<std::int64_t>(exponent);
                }
            }
            if (a.source == StepOperand::Constant)
                a.source = StepOperand::Cell;
            code = fromPrevious == stepIntPowerCC ? fromPrevious
                 : fromPrevious + (a.source == StepOperand::Previous ? 0 : 1); // the P code, then the C code
            if (code == stepIntPowerCC)
                put(step.b, b);
            break;
        }
        case okPower: case okModulo: case okIntDivide: case okCall2:
            a.source = b.source = StepOperand::Cell;
            code = op.Kind == okPower ? stepPowerCC : op.Kind == okModulo ? stepModuloCC
                 : op.Kind == okIntDivide ? stepIntDivideCC : stepCall2CC;
            if (op.Kind == okCall2) {
                calls_.push_back(TFastCall{a.cell, b.cell, op.Routine2});
                step.b.call = &calls_.back();
            } else {
                put(step.b, b);
            }
            break;
        default:
            steps_.clear();
            calls_.clear();
            return;
        }
        if (a.source != StepOperand::Previous)
            put(step.a, a);
        if (code >= stepAddPC && code <= stepDivideKC && b.source != StepOperand::Previous)
            put(step.b, b);
        step.code = codes[code];
        stepOf[i] = steps_.size();
        steps_.push_back(step);
        stepCodes.push_back(code);
        const Reader reader = readers.Get(op.Target);
        onceRead.push_back(reader.reads == 1);
        before = i;

        // A result that a later operation could hide is checked where it is made.
        const bool last = i + 1 == count;
        if (!last && !reader.passes) {
            TFastStep check;
            check.code = codes[stepCheck];
            steps_.push_back(check);
            stepCodes.push_back(stepCheck);
            onceRead.push_back(false);
        }
    }
    TFastStep end;
    end.code = codes[stepEnd];
    steps_.push_back(end);

    // Pairs: a step that reads the one before from the register, where no other step
    // reads that one's result.
    for (std::size_t k = 0; k + 2 < steps_.size();) {
        const int first = PairIndex(stepCodes[k], false);
        const int second = PairIndex(stepCodes[k + 1], true);
        if (first < 0 || second < 0 || !onceRead[k]) {
            ++k;
            continue;
        }
        steps_[k].code = codes[PairCode(first, second)];
        k += 2;
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
            ThrowForStatus(flags);
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
