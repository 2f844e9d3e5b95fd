#pragma once
// What the evaluator's optimiser passes and its code preparation learn about a
// compiled program, keyed by the program's own cells.
#include "expr/P10Build.h"

#include <cstddef>
#include <vector>

namespace solvane::evaluator {

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

} // namespace solvane::evaluator
