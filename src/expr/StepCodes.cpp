// Where a code stands among the pairs of steps run as one.
#include "expr/StepCodes.h"

#include <algorithm>
#include <iterator>

namespace solvane::evaluator {

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

} // namespace solvane::evaluator
