#pragma once
// How large a run's grid is, from the problem's XPoints and YPoints: one rule
// for the run that refuses a grid and for the check that warns of it.
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace solvane {

// The most cells (columns times rows) a grid may have; a larger problem is refused
// before it starts instead of exhausting memory.
inline constexpr double kMaxGridCells = 16777216.0;

struct TGridSize {
    std::int32_t YIntervals = 1;   // lines less one: at least one step
    std::int32_t XInnerPoints = 1; // grid points between Xmin and Xmax: at least one
    double Columns = 0;            // grid points, at most one extra per interval, the Y column
    double Rows = 0;               // one per line and the header
    bool TooLarge() const { return Columns * Rows > kMaxGridCells; }
};

inline TGridSize GridSizeOf(std::int32_t yPoints, std::int32_t xPoints, std::size_t pointPhases)
{
    TGridSize size;
    size.YIntervals = std::max(yPoints, 1);
    size.XInnerPoints = std::max(xPoints, 2) - 1;
    size.Columns = size.XInnerPoints + 3.0 + std::min<double>(static_cast<double>(pointPhases), size.XInnerPoints + 1.0);
    size.Rows = size.YIntervals + 2.0;
    return size;
}

} // namespace solvane
