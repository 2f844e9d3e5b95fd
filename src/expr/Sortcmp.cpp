#include "expr/Sortcmp.h"

namespace solvane {

std::int32_t TQSort::Compare(std::int32_t i, std::int32_t j)
{
    std::int32_t result = 0;
    if (OnCompare)
        OnCompare(this, i, j, result);
    return result;
}

void TQSort::Swap(std::int32_t i, std::int32_t j)
{
    if (OnSwap)
        OnSwap(this, i, j);
}

void TQSort::Sort(std::int32_t First, std::int32_t Count)
{
    if (Count <= 1)
        return;
    SortRange(First, 0, Count - 1);
}

// L and R are relative to first. The smaller part is sorted by recursion and
// the larger one by the loop, which keeps the depth near log2(Count).
void TQSort::SortRange(std::int32_t first, std::int32_t L, std::int32_t R)
{
    do {
        std::int32_t I = L;
        std::int32_t J = R;
        // P follows the pivot element wherever a swap moves it.
        std::int32_t P = static_cast<std::int32_t>((static_cast<std::int64_t>(L) + R) / 2);
        do {
            while (Compare(first + I, first + P) < 0)
                ++I;
            while (Compare(first + P, first + J) < 0)
                --J;
            if (I <= J) {
                Swap(first + I, first + J);
                if (P == I)
                    P = J;
                else if (P == J)
                    P = I;
                ++I;
                --J;
            }
        } while (I <= J);
        if (J - L > R - I) {
            if (I < R)
                SortRange(first, I, R);
            R = J;
        } else {
            if (L < J)
                SortRange(first, L, J);
            L = I;
        }
    } while (L < R);
}

} // namespace solvane
