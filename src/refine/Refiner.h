#pragma once
// The refinement's solver, shared by the files that hold its parts: Refine.cpp
// (the phases at a segment's ends, the tangents, their check, the boundaries),
// RefineNodes.cpp (three-phase levels) and RefineClosings.cpp (closing points).
#include "refine/PhaseDerivatives.h"
#include "refine/Refine.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace solvane::refine {

constexpr int kNewtonSteps = 60;
constexpr double kXStep = 1e-12;   // a Newton step this small has converged
constexpr double kGap = 1e-7;      // narrower than this, both ends of a gap are one point
constexpr int kSamples = 21;       // per phase, across the X range, when checking a tangent
constexpr int kLevelSteps = 100;

// A phase at one end of a segment.
struct PhaseRef {
    bool point = false;
    std::size_t index = 0;
};

inline bool operator==(const PhaseRef& a, const PhaseRef& b)
{
    return a.point == b.point && a.index == b.index;
}

// A segment end: its phase, and the edge of the X range when the grid found it there.
struct End {
    PhaseRef phase;
    std::optional<double> edge;
};

// The interval a solution may move in.
struct Box {
    double lo = 0, hi = 0;
    // One step from x, never onto or past an edge: at worst half way to it.
    double Step(double x, double dx) const
    {
        const double next = x + dx;
        if (next <= lo)
            return (x + lo) / 2;
        if (next >= hi)
            return (x + hi) / 2;
        return next;
    }
    bool Holds(double x) const { return x > lo && x < hi; }
};

// A tangent line: G = g0 + slope * (x - x0), touching at xa and xb.
struct Tangent {
    double xa = 0, xb = 0;
    double x0 = 0, g0 = 0, slope = 0;
    double At(double x) const { return g0 + slope * (x - x0); }
};

class Refiner {
public:
    Refiner(const TRunResult& run, const TScriptModel& script, const std::vector<TNode>& nodes, TYQuantity y);

    TRefinement Refine();

private:
    // The phases at a segment's ends, the tangents and the boundaries (Refine.cpp).
    std::optional<End> Find(const TZPoint& end);
    PhaseRef LowestAtEdge(const PhaseRef& named, double edge, double y);
    const std::string& Name(const PhaseRef& p) const;
    bool G(std::size_t k, double x, double y, TTaylor& g, int order = 2);
    Box Range() const;
    Box Around(double x) const;
    bool TwoSolutions(std::size_t a, std::size_t b, double y, Box boxA, Box boxB, Tangent& t);
    bool PointToSolution(double xp, double gp, std::size_t k, double y, Box box, double& x);
    bool FixedEnd(const End& end, bool pinned, double y, double& x, double& g);
    bool SolveTangent(const End& left, const End& right, double y, Box boxA, Box boxB, Tangent& t);
    bool SolveTangent(const End& left, const End& right, double y, Box boxA, Box boxB, Tangent& t, bool pinned);
    bool Verify(const Tangent& t, double y);
    void RefineBoundaries(TRefinement& out);
    void RefineBoundary(const End& left, const End& right, TRefinedBoundary& b);
    static void SortLine(TRefinement& out, std::size_t from);

    // The nodes (RefineNodes.cpp).
    std::optional<int> NearestEnd(double y, double x, bool largerEnd) const;
    std::optional<double> LineY(double y) const;
    std::optional<double> MiddleDepth(const End& left, const PhaseRef& middle, const End& right, double y,
                                      Tangent& t, double& xm);
    void RefineNodes(TRefinement& out);
    void RefineNode(const TNode& node, TRefinedNode& r);
    // A level and how deep the middle phase lies below the tangent there.
    struct Level {
        double y = 0, depth = 0;
    };
    // The line a step above or below y0 where the middle phase lies above the tangent.
    bool LevelOut(const End& left, const PhaseRef& middle, const End& right, double y0, const Tangent& t0, double x0,
                  double& yOut, double& dOut);
    // The level between `in` (stable) and `out` where the middle phase just
    // touches the tangent; t and xm follow the solution.
    std::optional<double> SolveLevel(const End& left, const PhaseRef& middle, const End& right, Level in, Level out,
                                     Tangent& t, double& xm);

    // Where a two-phase region closes (RefineClosings.cpp).
    template <class F>
    std::optional<double> LevelRoot(F&& f, double a, double b);
    template <class F>
    std::optional<double> LevelBeyond(F&& f, double yIn, double yOut);
    std::optional<double> EnergyAt(const PhaseRef& p, double x, double y);
    bool LowestAt(double x, double y, double g);
    bool EndPoint(const PhaseRef& a, const PhaseRef& b, double edge, double yIn, double yOut, TRefinedPoint& p);
    std::optional<double> ThirdDerivativeZero(std::size_t k, double lo, double hi, double y);
    bool CriticalPoint(std::size_t k, double xl, double xr, double yIn, double yOut, TRefinedPoint& p);
    bool CongruentPoint(const PhaseRef& a, const PhaseRef& b, double x0, double yIn, double yOut, TRefinedPoint& p);
    std::optional<PhaseRef> Named(const std::string& name) const;
    static bool SegmentBetween(const TRefinement& out, double y, double x1, double x2);
    void FindClosings(TRefinement& out, const std::vector<TRefinedBranch>& branches);
    // Whether a node of both phases lies at this end of the region or within 1.5 lines beyond it.
    static bool EndsAtNode(const TRefinement& out, const TRefinedBranch& left, bool top, double y, double ystep);
    struct Pair {
        PhaseRef a, b;
    };
    // Where a region ends: its right boundary's x, its line and the line beyond.
    struct RegionEnd {
        double xr = 0, y = 0, beyond = 0;
    };
    bool CongruentClosing(const TRefinement& out, const std::vector<TRefinedBranch>& branches,
                          const TRefinedBranch& left, bool top, Pair pair, RegionEnd end, TRefinedPoint& p);
    bool EdgeClosing(Pair pair, double xl, RegionEnd end, TRefinedPoint& p);

    const TRunResult& run_;
    const TScriptModel& script_;
    const std::vector<TNode>& nodes_;
    TPhaseDerivatives model_;
};

} // namespace solvane::refine
