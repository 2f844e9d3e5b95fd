// Leaving out operations that repeat an earlier one.
#include "expr/OptimiserPasses.h"

#include "expr/OperationFacts.h"

#include <array>
#include <bit>
#include <cstdint>
#include <map>
#include <utility>

namespace solvane::evaluator {

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

} // namespace solvane::evaluator
