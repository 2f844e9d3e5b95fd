// The expression compiler: recognition by splitting, the term walk over the slot
// table, and the linking of the operation list.
#include "expr/P10Build.h"

#include "expr/MathErrors.h"
#include "expr/Recogniser.h"
#include "expr/AsciiText.h"

#include <algorithm>
#include <array>
#include <exception>
#include <pthread.h>

namespace solvane {

namespace {

constexpr int MaxDepth = 20;     // operand terms may stand at depths 1..20
constexpr int MaxPositions = 50; // operations per depth
constexpr std::size_t MaxTextLength = std::size_t(1) << 18; // beyond, "Expression is too complex"

// A cell of the program while it is built: a variable's cell, or a cell of the block.
struct CellRef {
    double* variable = nullptr;
    int local = -1;
    bool IsSet() const { return variable || local >= 0; }
};

struct BuildOp {
    std::uint8_t kind = okVariable;
    CellRef operand1, operand2, target;
    TOneArgRoutine routine1 = nullptr;
    TTwoArgRoutine routine2 = nullptr;
    Span function; // kinds 14, 15: the name
};

bool TakesSecondOperand(std::uint8_t kind)
{
    return (kind >= okAdd && kind <= okPower) || kind == okCall2;
}

class Builder {
public:
    Builder(const std::string& text, const TVariableTable& variables, const TOneArgTable& oneArg,
            const TTwoArgTable& twoArg, bool pascal)
        : text_(text), oneArg_(oneArg), twoArg_(twoArg), recogniser_(text, variables, oneArg, twoArg, pascal)
    {
    }

    TCompiledProgram Compile(Span root)
    {
        counts_.fill(0);
        counts_[0] = 1;
        ops_.push_back({});
        slots_[0][1] = 0; // the placeholder that receives the value cell
        TermRecord rootTerm;
        rootTerm.text = root;
        rootTerm.depth = 0;
        rootTerm.position = 1;
        rootTerm.side = 1;
        Build(rootTerm);
        return Link();
    }

    Span StripBrackets() { return recogniser_.StripBrackets(); }

private:
    void Build(TermRecord& term)
    {
        recogniser_.Classify(term);
        if (term.kind == okVariable || term.kind == okConstant) {
            CellRef cell;
            if (term.kind == okVariable) {
                cell.variable = term.variable;
            } else {
                cell.local = static_cast<int>(cellValues_.size());
                cellValues_.push_back(term.value);
            }
            SetOperand(term, cell);
            return;
        }
        const int depth = term.depth + 1;
        const int position = NextPosition(depth);
        TermRecord first;
        first.text = term.left;
        first.depth = depth;
        first.position = position;
        first.side = 1;

        BuildOp op;
        op.kind = term.kind;
        op.target.local = static_cast<int>(cellValues_.size());
        cellValues_.push_back(0.0);
        if (op.kind == okCall1 || op.kind == okCall2) {
            op.function = {term.text.b, static_cast<int>(text_.find('(', term.text.b))};
            const std::string name = Text(op.function);
            if (op.kind == okCall1)
                op.routine1 = oneArg_.find(name)->second;
            else
                op.routine2 = twoArg_.find(name)->second;
        }
        SetOperand(term, op.target);
        slots_[depth][position] = static_cast<int>(ops_.size());
        ops_.push_back(op);
        const bool twoOperands = TakesSecondOperand(term.kind);
        if (!twoOperands)
            ++counts_[depth];
        Build(first);
        if (!twoOperands)
            return;
        TermRecord second;
        second.text = term.right;
        second.depth = depth;
        second.position = NextPosition(depth);
        second.side = 2;
        ++counts_[depth];
        Build(second);
    }

    // The position of a new operand term at depth, after the limit checks.
    int NextPosition(int depth)
    {
        if (depth > MaxDepth)
            throw ETooManyNestings();
        const int position = counts_[depth] + 1;
        if (position > MaxPositions)
            throw EExpressionTooComplex();
        maxDepth_ = std::max(maxDepth_, depth);
        return position;
    }

    // The cell becomes the operand, on the term's side, of the operation that consumes it.
    void SetOperand(const TermRecord& term, CellRef cell)
    {
        BuildOp& consumer = ops_[slots_[term.depth][term.position]];
        (term.side == 1 ? consumer.operand1 : consumer.operand2) = cell;
    }

    TCompiledProgram Link()
    {
        std::vector<int> order;
        if (maxDepth_ == 0) {
            ops_[0].target = ops_[0].operand1; // a bare variable or number
            order.push_back(0);
        } else {
            for (int depth = maxDepth_; depth >= 1; --depth)
                for (int position = 1; position <= counts_[depth]; ++position)
                    order.push_back(slots_[depth][position]);
        }
        TCompiledProgram program;
        program.cellCount = cellValues_.size();
        program.cells = std::make_unique<double[]>(program.cellCount ? program.cellCount : 1);
        std::copy(cellValues_.begin(), cellValues_.end(), program.cells.get());
        auto resolve = [&program](const CellRef& ref) -> double* {
            if (ref.variable)
                return ref.variable;
            return ref.local >= 0 ? program.cells.get() + ref.local : nullptr;
        };
        program.operations.reserve(order.size());
        program.functionNames.reserve(order.size());
        for (int index : order) {
            const BuildOp& built = ops_[index];
            TOperation op;
            op.Kind = built.kind;
            op.Operand1 = resolve(built.operand1);
            op.Operand2 = resolve(built.operand2);
            op.Target = resolve(built.target);
            if (built.kind == okCall2)
                op.Routine2 = built.routine2;
            else
                op.Routine1 = built.routine1;
            program.operations.push_back(op);
            program.functionNames.push_back(built.function.b >= 0 ? Text(built.function) : std::string());
        }
        return program;
    }

    std::string Text(Span span) const { return text_.substr(span.b, span.e - span.b); }

    const std::string& text_;
    const TOneArgTable& oneArg_;
    const TTwoArgTable& twoArg_;
    Recogniser recogniser_;
    std::vector<BuildOp> ops_;
    std::vector<double> cellValues_;
    std::array<std::array<int, MaxPositions + 1>, MaxDepth + 1> slots_{};
    std::array<int, MaxDepth + 1> counts_{};
    int maxDepth_ = 0;
};

TCompiledProgram CompileOnThisStack(const std::string& source, const TVariableTable& variables,
                                    const TOneArgTable& oneArg, const TTwoArgTable& twoArg, bool pascal)
{
    std::string text = AsciiUpper(source);
    const auto first = text.find_first_not_of(' ');
    text = first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.find(' ') != std::string::npos)
        throw EExpressionHasBlanks();
    if (std::count(text.begin(), text.end(), '(') != std::count(text.begin(), text.end(), ')'))
        throw EMissMatchingBracket();
    if (text.size() > MaxTextLength)
        throw EExpressionTooComplex();

    Builder builder(text, variables, oneArg, twoArg, pascal);
    return builder.Compile(builder.StripBrackets());
}

// Recognition recurses once per nested subtext; long texts get a stack to match.
struct CompileJob {
    const std::string* text;
    const TVariableTable* variables;
    const TOneArgTable* oneArg;
    const TTwoArgTable* twoArg;
    bool pascal;
    TCompiledProgram result;
    std::exception_ptr error;
};

void* RunCompileJob(void* argument)
{
    auto* job = static_cast<CompileJob*>(argument);
    try {
        job->result = CompileOnThisStack(*job->text, *job->variables, *job->oneArg, *job->twoArg, job->pascal);
    } catch (...) {
        job->error = std::current_exception();
    }
    return nullptr;
}

constexpr std::size_t ShortText = 500;
constexpr std::size_t StackPerCharacter = 2048;

} // namespace

TCompiledProgram CompileExpression(const std::string& text, const TVariableTable& variables,
                                   const TOneArgTable& oneArgFunctions,
                                   const TTwoArgTable& twoArgFunctions, bool pascalNumberformat)
{
    if (text.size() <= ShortText || text.size() > MaxTextLength)
        return CompileOnThisStack(text, variables, oneArgFunctions, twoArgFunctions, pascalNumberformat);

    CompileJob job{&text, &variables, &oneArgFunctions, &twoArgFunctions, pascalNumberformat, {}, nullptr};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, (1u << 20) + text.size() * StackPerCharacter);
    pthread_t thread;
    const int failed = pthread_create(&thread, &attributes, RunCompileJob, &job);
    pthread_attr_destroy(&attributes);
    if (failed)
        throw EExpressionTooComplex();
    pthread_join(thread, nullptr);
    if (job.error)
        std::rethrow_exception(job.error);
    return std::move(job.result);
}

} // namespace solvane
