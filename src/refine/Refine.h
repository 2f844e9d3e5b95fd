#pragma once
// Refinement of a finished run beyond its grid: the common tangent of every
// two-phase segment, the three-phase level of every node, the points where a
// two-phase region closes, and the boundaries joined into lines. Every refined
// result is checked against every phase; a result that cannot be trusted keeps
// the grid's value and says so (Refined false). It reads a run result and the
// script model of that run, never a live run.
#include "calc/RunState.h"
#include "script/ScriptModel.h"
#include "script/YQuantity.h"

#include <string>
#include <utility>
#include <vector>

namespace solvane {

// A phase is named as in BoundaryPoints: a solution phase by its name, a point
// phase by its composition text. At an edge of the X range an end is named by
// the phase lowest there, the column's solution phase or a point phase at that
// X, whichever the grid named: the grid may name the column where a point
// phase lies lower.
struct TRefinedBoundary {
    double Y = 0;
    double XLeft = 0, XRight = 0;
    std::string Left, Right;
    bool Refined = false;
    int Line = 0; // the line's index in the run
    // False for a segment that is no two-phase region: the grid recorded one
    // step of a single phase because a point phase above it ends the step
    // (both ends are then named by that phase).
    bool Region = true;
};

struct TRefinedNode {
    double Y = 0;
    double XLeft = 0, X = 0, XRight = 0;
    std::vector<std::string> Phases; // left, middle, right
    bool Refined = false;
};

enum class TRefinedPointKind { Congruent, Critical, End };

struct TRefinedPoint {
    TRefinedPointKind Kind = TRefinedPointKind::End;
    double Y = 0, X = 0;
    std::vector<std::string> Phases;
    bool Refined = false;
};

struct TRefinedBranch {
    std::string Left, Right;
    bool RightSide = false; // the boundary of the right phase (x_right), else of the left
    std::vector<std::pair<double, double>> Points; // (x, y) from the top line down
};

struct TRefinement {
    std::vector<TRefinedBoundary> Boundaries; // in line order, then by X
    std::vector<TRefinedNode> Nodes;          // as the nodes given
    std::vector<TRefinedPoint> Points;
    std::vector<TRefinedBranch> Branches;
    // The composition texts of the run's point phases: which names above are
    // point phases (a solution phase's name may look like a number too).
    std::vector<std::string> PointPhases;
};

// "congruent", "critical", "end".
const char* RefinedPointKindName(TRefinedPointKind kind);

// `y`: what the run's sweep set.
TRefinement Refine(const TRunResult& run, const TScriptModel& script, const std::vector<TNode>& nodes, TYQuantity y);

} // namespace solvane
