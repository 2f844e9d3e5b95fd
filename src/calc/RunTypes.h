#pragma once
// The records of a run: grid columns, candidate points of a line, segment ends
// and nodes.
#include "calc/CellGrid.h"
#include "script/NamedList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace solvane {

// The Gibbs energy a phase without an expression has, and where every search
// for the lowest energy starts: above any energy a script gives.
inline constexpr double kNoEnergy = 1e10;

// One X column of the grid.
class TXclass {
public:
    double X = 0;
};

// One candidate point of the Y line being computed.
struct TDPoint {
    std::uint8_t IsPointPhase = 0; // 1 for the point of a point phase
    std::uint8_t Removed = 0;      // 1 when above the end-point chord
    double X = 0;
    double G = 0;
    double Step = 0;   // Xstep in force when the point was made
    std::string Phase; // phase name, or a point phase's composition text
    std::int32_t Col = 0; // 1-based grid column; 0 for a point phase
    CellGrid::TextId PhaseText = 0; // Phase interned in the cell grid, so rows are written by index
};

// One end of a two-phase segment.
struct TZPoint {
    double X = 0;
    double Y = 0;
    std::int32_t Col = 0;
    std::string Phase;
};

// A node of the phase diagram: the horizontal line at Y from XLeft to XRight,
// with X the middle of the phase that vanishes there. XLeft <= X <= XRight.
class TNode {
public:
    double Y = 0;
    double X = 0;
    double XLeft = 0;
    double XRight = 0;
};

using TaTpoint = std::vector<TDPoint>;
using TaTZpoint = std::vector<TZPoint>;

} // namespace solvane
