// The evaluator's public face: variables, function tables, compilation on setting
// the text, and the choice between the fast and the checked run.
#include "expr/Parser10.h"

#include "expr/AsciiText.h"
#include "expr/MathErrors.h"
#include "expr/Routines.h"
#include "expr/StepCodes.h"

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
    const double result = evaluator::RunSteps(steps_.data(), nullptr);
    if (evaluator::DoubtfulIfNotFinite(result)) [[unlikely]] {
        randomState = randomBefore; // the rerun draws the same numbers
        return RunChecked();
    }
    return result;
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
