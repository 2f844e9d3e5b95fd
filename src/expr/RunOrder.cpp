// The order of the fast run: depth first where the values allow it.
#include "expr/OptimiserPasses.h"

#include "expr/OperationFacts.h"

#include <algorithm>
#include <array>
#include <utility>

namespace solvane::evaluator {

namespace {

// Per operation, the operations that compute its two operands (-1: none).
using OperandProducers = std::vector<std::array<int, 2>>;

std::vector<std::size_t> KeptInProgramOrder(const std::vector<bool>& dropped)
{
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < dropped.size(); ++i)
        if (!dropped[i])
            order.push_back(i);
    return order;
}

// Whether another order gives the same values: every result is read, and at most
// one call may draw random numbers or keep state.
bool MayReorder(const std::vector<TOperation>& operations, const std::vector<std::size_t>& order,
                const CellTable<Reader>& readers)
{
    int unknownCalls = 0;
    for (const std::size_t i : order) {
        const TOperation& op = operations[i];
        unknownCalls += !IsPure(op);
        if (i + 1 < operations.size() && readers.Get(op.Target).reads == 0)
            return false;
    }
    return unknownCalls <= 1;
}

// A rough cost in cycles, to find the longest chain.
int Cycles(const TOperation& op)
{
    const bool slow = op.Kind == okCall1 || op.Kind == okCall2 || op.Kind == okPower ||
                      op.Kind == okIntPower || op.Kind == okModulo || op.Kind == okIntDivide;
    return slow ? 20 : op.Kind == okDivide ? 13 : 3;
}

// The operand producers of each operation, the one at the end of the shorter chain first.
OperandProducers ShorterChainFirst(const std::vector<TOperation>& operations, const CellTable<int>& producer)
{
    const std::size_t count = operations.size();
    OperandProducers children(count, {-1, -1});
    std::vector<int> height(count, 0); // the longest chain up to each result
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
        height[i] = longest + Cycles(op);
        auto& [first, second] = children[i];
        if (first >= 0 && second >= 0 && height[static_cast<std::size_t>(second)] < height[static_cast<std::size_t>(first)])
            std::swap(first, second);
    }
    return children;
}

// Depth first from the last operation, each once, without recursion: chains can be long.
std::vector<std::size_t> DepthFirst(const OperandProducers& children)
{
    const std::size_t count = children.size();
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
    return depthFirst;
}

} // namespace

std::vector<std::size_t> RunOrder(const std::vector<TOperation>& operations, const std::vector<bool>& dropped,
                                  const CellTable<int>& producer, const CellTable<Reader>& readers)
{
    std::vector<std::size_t> order = KeptInProgramOrder(dropped);
    if (!MayReorder(operations, order, readers))
        return order;
    std::vector<std::size_t> depthFirst = DepthFirst(ShorterChainFirst(operations, producer));
    return depthFirst.size() == order.size() ? depthFirst : order;
}

} // namespace solvane::evaluator
