#pragma once
// The two passes over a compiled program before its fast run is made: leaving out
// repeated operations, and choosing the run order.
#include "expr/CellTable.h"

#include <cstddef>
#include <vector>

namespace solvane::evaluator {

// Pure operations equal to an earlier one in kind and operands (the same variable,
// the same constant value, the same result) are left out: their readers read the
// earlier result. Values are the same; a doubtful result stays doubtful.
void MergeEqualOperations(std::vector<TOperation>& ops, std::vector<bool>& dropped,
                          const CellTable<int>& producer, const TCompiledProgram& program);

// The order of the fast run over the operations kept. A program whose every result
// is read, with at most one call of a routine that draws random numbers or may keep
// state, runs depth first, the shallower operand first, so that most operands are the
// result just made and the longest chain runs through registers. Its values do not
// depend on the order; the checked run keeps the program order for naming faults.
std::vector<std::size_t> RunOrder(const std::vector<TOperation>& operations, const std::vector<bool>& dropped,
                                  const CellTable<int>& producer, const CellTable<Reader>& readers);

} // namespace solvane::evaluator
