#pragma once
// A quicksort over a sequence it never sees: it works on indices only and asks
// its owner to compare and to swap elements. Not stable; which of two equal
// elements ends first is fixed by the exact sequence of compare/swap calls, so
// callers that depend on that order rely on this very procedure.
#include <cstdint>
#include <functional>

namespace solvane {

class TQSort;

// Result < 0: element i goes before element j; 0: equal; > 0: after.
using TCompareProc = std::function<void(TQSort* Sender, std::int32_t i, std::int32_t j, std::int32_t& Result)>;
using TSwapProc = std::function<void(TQSort* Sender, std::int32_t i, std::int32_t j)>;

class TQSort {
public:
    TCompareProc OnCompare; // optional: unassigned compares every pair equal
    TSwapProc OnSwap;       // optional: unassigned does nothing

    // Sorts the elements First .. First+Count-1; every index given to the
    // events lies in that range. Count <= 1 makes no calls.
    void Sort(std::int32_t First, std::int32_t Count);

private:
    std::int32_t Compare(std::int32_t i, std::int32_t j);
    void Swap(std::int32_t i, std::int32_t j);
    void SortRange(std::int32_t first, std::int32_t L, std::int32_t R);
};

} // namespace solvane
