// The steps of the fast run: one per operation kept, in run order, with a Check step
// after each result whose fault later operations could hide, and an End step; then
// pairs of steps joined. Any program of another shape (which the compiler does not
// make) runs on the checked path only.
#include "expr/Parser10.h"

#include "expr/CellTable.h"
#include "expr/OperationFacts.h"
#include "expr/OptimiserPasses.h"
#include "expr/Routines.h"
#include "expr/StepCodes.h"

#include <cmath>
#include <optional>
#include <utility>

namespace solvane {

namespace {

using namespace evaluator;

// Where a step finds an operand.
struct StepOperand {
    enum Source { Previous, Cell, Constant } source = Cell;
    const double* cell = nullptr; // Cell; for Constant the program's cell that holds it
};

// The operation computing each result cell, when each is computed once, into the
// program's own cells, and read only after; nothing for a program of another shape.
std::optional<CellTable<int>> ResultProducers(const TCompiledProgram& program)
{
    CellTable<int> producer(program, -1);
    std::vector<const double*> readFirst; // owned cells read before any operation computed them
    for (std::size_t i = 0; i < program.operations.size(); ++i) {
        const TOperation& op = program.operations[i];
        if (op.Kind < okNegate || op.Kind > okCall2 || !op.Operand1 || !op.Target ||
            (HasTwoOperands(op.Kind) && !op.Operand2) || !program.OwnsCell(op.Target))
            return std::nullopt;
        const double* operands[] = {op.Operand1, HasTwoOperands(op.Kind) ? op.Operand2 : nullptr};
        for (int k = 0; k < 2; ++k) {
            if (!operands[k] || !program.OwnsCell(operands[k]))
                continue;
            if (operands[k] == op.Target)
                return std::nullopt;
            if (producer.Get(operands[k]) < 0)
                readFirst.push_back(operands[k]);
        }
        int& made = *producer.Find(op.Target);
        if (made >= 0)
            return std::nullopt;
        made = static_cast<int>(i);
    }
    for (const double* cell : readFirst)
        if (producer.Get(cell) >= 0)
            return std::nullopt; // a result read before it is computed
    return producer;
}

// How often the operations kept read each result.
CellTable<Reader> CountReaders(const std::vector<TOperation>& ops, const std::vector<bool>& dropped,
                               const CellTable<int>& producer, const TCompiledProgram& program)
{
    CellTable<Reader> readers(program, Reader());
    for (std::size_t i = 0; i < ops.size(); ++i) {
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
    return readers;
}

void Put(TFastStep::Operand& field, const StepOperand& operand)
{
    if (operand.source == StepOperand::Constant)
        field.constant = *operand.cell;
    else
        field.cell = operand.cell;
}

// Sums, differences, products and quotients: the operand sources pick the code.
unsigned ArithmeticCode(const TOperation& op, StepOperand& a, StepOperand& b)
{
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
    return first[op.Kind] + offset[a.source][b.source];
}

// Negation, the square, cube and fourth power, one-argument calls and integer
// powers: one operand, the previous result or a cell (an integral exponent is held
// in the step).
unsigned OneOperandCode(const TOperation& op, StepOperand& a, StepOperand& b, TFastStep& step)
{
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
    const unsigned code = fromPrevious == stepIntPowerCC ? fromPrevious
                        : fromPrevious + (a.source == StepOperand::Previous ? 0 : 1); // the P code, then the C code
    if (code == stepIntPowerCC)
        Put(step.b, b);
    return code;
}

// Writes the steps one operation at a time, then the End step and the pairs.
class StepWriter {
public:
    StepWriter(const TCompiledProgram& program, const CellTable<int>& producer, std::vector<TFastStep>& steps,
               std::vector<TFastCall>& calls)
        : program_(program), producer_(producer), steps_(steps), calls_(calls),
          stepOf_(program.operations.size()), before_(program.operations.size())
    {
        RunSteps(nullptr, &codes_);
        steps_.reserve(2 * program.operations.size() + 1); // never reallocated: steps point at earlier steps' results
        calls_.reserve(program.operations.size());
    }

    // The step of operation i; false for a kind that has none.
    bool Add(std::size_t i, const TOperation& op, const Reader& reader)
    {
        StepOperand a = Source(op.Operand1);
        StepOperand b = HasTwoOperands(op.Kind) ? Source(op.Operand2) : StepOperand();
        TFastStep step;
        unsigned code = stepEnd;
        switch (op.Kind) {
        case okAdd: case okMultiply: case okSubtract: case okDivide:
            code = ArithmeticCode(op, a, b);
            break;
        case okNegate: case okSquare: case okCube: case okFourthPower: case okCall1: case okIntPower:
            code = OneOperandCode(op, a, b, step);
            break;
        case okPower: case okModulo: case okIntDivide: case okCall2:
            code = CellOperandsCode(op, a, b, step);
            break;
        default:
            return false;
        }
        if (a.source != StepOperand::Previous)
            Put(step.a, a);
        if (code >= stepAddPC && code <= stepDivideKC && b.source != StepOperand::Previous)
            Put(step.b, b);
        Append(step, code, reader.reads == 1);
        stepOf_[i] = steps_.size() - 1;
        before_ = i;

        // A result that a later operation could hide is checked where it is made.
        if (i + 1 != program_.operations.size() && !reader.passes)
            Append(TFastStep(), stepCheck, false);
        return true;
    }

    void Finish()
    {
        Append(TFastStep(), stepEnd, false);
        JoinPairs();
    }

private:
    StepOperand Source(const double* cell) const
    {
        StepOperand operand;
        operand.cell = cell;
        if (const int found = producer_.Get(cell); found >= 0) {
            const std::size_t from = stepOf_[static_cast<std::size_t>(found)];
            if (static_cast<std::size_t>(found) == before_)
                operand.source = StepOperand::Previous;
            operand.cell = &steps_[from].result;
        } else if (program_.OwnsCell(cell)) {
            operand.source = StepOperand::Constant;
        }
        return operand;
    }

    // The general power, the integer divisions and two-argument calls read both operands from cells.
    unsigned CellOperandsCode(const TOperation& op, StepOperand& a, StepOperand& b, TFastStep& step)
    {
        a.source = b.source = StepOperand::Cell;
        if (op.Kind == okCall2) {
            calls_.push_back(TFastCall{a.cell, b.cell, op.Routine2});
            step.b.call = &calls_.back();
        } else {
            Put(step.b, b);
        }
        return op.Kind == okPower ? stepPowerCC : op.Kind == okModulo ? stepModuloCC
             : op.Kind == okIntDivide ? stepIntDivideCC : stepCall2CC;
    }

    void Append(TFastStep step, unsigned code, bool onceRead)
    {
        step.code = codes_[code];
        steps_.push_back(step);
        stepCodes_.push_back(code);
        onceRead_.push_back(onceRead);
    }

    // Pairs: a step that reads the one before from the register, where no other step
    // reads that one's result.
    void JoinPairs()
    {
        for (std::size_t k = 0; k + 2 < steps_.size();) {
            const int first = PairIndex(stepCodes_[k], false);
            const int second = PairIndex(stepCodes_[k + 1], true);
            if (first < 0 || second < 0 || !onceRead_[k]) {
                ++k;
                continue;
            }
            steps_[k].code = codes_[PairCode(first, second)];
            k += 2;
        }
    }

    const TCompiledProgram& program_;
    const CellTable<int>& producer_;
    std::vector<TFastStep>& steps_;
    std::vector<TFastCall>& calls_;
    const void* const* codes_ = nullptr;
    std::vector<std::size_t> stepOf_;
    std::size_t before_; // the operation whose step came last (a Check step keeps its result)
    std::vector<unsigned> stepCodes_; // per step: its code, and whether one step reads its result
    std::vector<bool> onceRead_;
};

} // namespace

void TCustomParser::PrepareCodes()
{
    steps_.clear();
    calls_.clear();
    const std::vector<TOperation>& operations = program_.operations;
    if (operations.size() == 1 && operations[0].Kind == okVariable)
        return;
    const std::optional<CellTable<int>> producer = ResultProducers(program_);
    if (!producer)
        return;

    std::vector<TOperation> ops = operations;
    std::vector<bool> dropped(ops.size(), false);
    MergeEqualOperations(ops, dropped, *producer, program_);
    const CellTable<Reader> readers = CountReaders(ops, dropped, *producer, program_);
    StepWriter writer(program_, *producer, steps_, calls_);
    for (const std::size_t i : RunOrder(ops, dropped, *producer, readers)) {
        if (!writer.Add(i, ops[i], readers.Get(ops[i].Target))) {
            steps_.clear();
            calls_.clear();
            return;
        }
    }
    writer.Finish();
}

} // namespace solvane
