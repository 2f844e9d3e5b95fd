// The refinement of a finished run: common tangents solved by safeguarded
// Newton steps started at the grid's values, three-phase levels found between
// grid lines, and every answer checked against all phases before it is kept.
// Here the phases at a segment's ends, the tangents, their check and the refined
// boundaries; the nodes are in RefineNodes.cpp, the closings in RefineClosings.cpp.
#include "refine/Refine.h"

#include "refine/RefineBranches.h"
#include "refine/Refiner.h"

#include <algorithm>
#include <cmath>

namespace solvane {
namespace refine {

Refiner::Refiner(const TRunResult& run, const TScriptModel& script, const std::vector<TNode>& nodes, TYQuantity y)
    : run_(run), script_(script), nodes_(nodes), model_(run, script, y)
{
}

TRefinement Refiner::Refine()
{
    TRefinement out;
    RefineBoundaries(out);
    RefineNodes(out);
    TRefinement bare;
    bare.Boundaries = out.Boundaries;
    FindClosings(out, JoinBranches(bare, run_.Ystep));
    out.Branches = JoinBranches(out, run_.Ystep);
    for (const auto& point : script_.PointPhases)
        out.PointPhases.push_back(point.Text);
    return out;
}

std::optional<End> Refiner::Find(const TZPoint& end)
{
    std::optional<PhaseRef> phase;
    if (end.Col == 0) {
        if (const auto k = model_.FindPointPhase(end.Phase))
            phase = PhaseRef{true, *k};
    } else if (const auto k = model_.FindPhase(end.Phase)) {
        phase = PhaseRef{false, *k};
    }
    if (!phase)
        return std::nullopt;
    std::optional<double> edge;
    if (std::fabs(end.X - run_.Xmin) < 1e-12)
        edge = run_.Xmin;
    else if (std::fabs(end.X - run_.Xmax) < 1e-12)
        edge = run_.Xmax;
    if (!edge)
        return End{*phase, std::nullopt};
    const PhaseRef lowest = LowestAtEdge(*phase, *edge, end.Y);
    return End{lowest, lowest.point ? std::nullopt : edge};
}

// At an edge the grid's hull holds the column and every point phase at that X,
// and the sort of equal X puts the higher of them next to the segment at Xmax:
// the end is the lowest of them, the named phase unless another lies lower.
PhaseRef Refiner::LowestAtEdge(const PhaseRef& named, double edge, double y)
{
    // A phase whose G cannot be evaluated at the edge is not lower there.
    const auto energy = [&](const PhaseRef& p) -> std::optional<double> {
        try {
            return EnergyAt(p, edge, y);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    };
    PhaseRef best = named;
    auto g = energy(named);
    const auto lower = [&](const PhaseRef& p) {
        const auto e = energy(p);
        if (e && (!g || *e < *g - 1e-9 * (1 + std::fabs(*g)))) {
            best = p;
            g = e;
        }
    };
    for (std::size_t k = 0; k < model_.PhaseCount(); ++k)
        lower(PhaseRef{false, k});
    for (std::size_t k = 0; k < model_.PointPhaseCount(); ++k)
        lower(PhaseRef{true, k});
    return best;
}

const std::string& Refiner::Name(const PhaseRef& p) const
{
    return p.point ? model_.PointPhaseText(p.index) : model_.PhaseName(p.index);
}

bool Refiner::G(std::size_t k, double x, double y, TTaylor& g, int order)
{
    return model_.Solution(k, x, y, g, order) && std::isfinite(g[0]);
}

Box Refiner::Range() const { return {run_.Xmin, run_.Xmax}; }

Box Refiner::Around(double x) const
{
    const double h = 2 * run_.Xstep;
    return {std::max(run_.Xmin, x - h), std::min(run_.Xmax, x + h)};
}

// The common tangent of two solution phases (or one phase with itself), by
// Newton's method on the equal slopes and the equal intercepts.
bool Refiner::TwoSolutions(std::size_t a, std::size_t b, double y, Box boxA, Box boxB, Tangent& t)
{
    // A start on an edge (where G may have no slope) moves inside.
    auto inside = [](double x, const Box& box) {
        const double quarter = (box.hi - box.lo) / 4;
        return x <= box.lo ? box.lo + quarter : x >= box.hi ? box.hi - quarter : x;
    };
    double xa = inside(t.xa, boxA), xb = inside(t.xb, boxB);
    for (int step = 0; step < kNewtonSteps; ++step) {
        TTaylor ga, gb;
        if (!G(a, xa, y, ga) || !G(b, xb, y, gb))
            return false;
        const double A = Derivative(ga, 2), B = Derivative(gb, 2);
        const double f1 = ga[1] - gb[1];
        const double f2 = (ga[0] - xa * ga[1]) - (gb[0] - xb * gb[1]);
        const double width = xb - xa;
        if (!(A > 0 && B > 0 && width > 0))
            return false; // the tangent of concave parts is not a boundary
        const double dxa = -(xb * f1 + f2) / (A * width);
        const double dxb = -(xa * f1 + f2) / (B * width);
        if (!std::isfinite(dxa) || !std::isfinite(dxb))
            return false;
        xa = boxA.Step(xa, dxa);
        xb = boxB.Step(xb, dxb);
        if (std::fabs(dxa) < kXStep && std::fabs(dxb) < kXStep) {
            if (!boxA.Holds(xa) || !boxB.Holds(xb) || xb - xa < kGap)
                return false;
            if (!G(a, xa, y, ga))
                return false;
            t = Tangent{xa, xb, xa, ga[0], ga[1]};
            return true;
        }
    }
    return false;
}

// The tangent from a point phase's point (xp, gp) to solution phase k: zero of
// f(x) = G(x) + G'(x) (xp - x) - gp, bracketed in box.
bool Refiner::PointToSolution(double xp, double gp, std::size_t k, double y, Box box, double& x)
{
    auto f = [&](double at, double& value, double& slope) {
        TTaylor g;
        if (!G(k, at, y, g))
            return false;
        value = g[0] + g[1] * (xp - at) - gp;
        slope = Derivative(g, 2) * (xp - at);
        return std::isfinite(value) && std::isfinite(slope);
    };
    double lo = box.lo, hi = box.hi, flo, fhi, s;
    // The ends themselves may be where G has no slope (X = 0, 1): just inside.
    const double inset = 1e-12 * std::max(1.0, hi - lo);
    lo += inset;
    hi -= inset;
    if (!f(lo, flo, s) || !f(hi, fhi, s) || (flo > 0) == (fhi > 0))
        return false;
    x = std::clamp(x, lo, hi);
    for (int step = 0; step < 200; ++step) {
        double fx, slope;
        if (!f(x, fx, slope))
            return false;
        if (fx == 0)
            return true;
        if ((fx > 0) == (flo > 0))
            lo = x;
        else
            hi = x;
        double next = x - fx / slope;
        if (!(next > lo && next < hi))
            next = (lo + hi) / 2;
        const double dx = std::fabs(next - x);
        x = next;
        if (dx < kXStep || hi - lo < kXStep)
            return true;
    }
    return false;
}

// A fixed end of a tangent: a point phase, or a solution phase held at an
// edge of the X range (a phase whose G is straight there, such as a solid
// that dissolves nothing).
bool Refiner::FixedEnd(const End& end, bool pinned, double y, double& x, double& g)
{
    if (end.phase.point) {
        x = model_.PointPhaseX(end.phase.index);
        return model_.Point(end.phase.index, y, g);
    }
    if (!pinned || !end.edge)
        return false;
    x = *end.edge;
    TTaylor s;
    model_.Solution(end.phase.index, x, y, s, 0);
    g = s[0];
    return std::isfinite(g);
}

// The tangent of two end phases at y, started from t.xa and t.xb. A solution
// phase met at an edge of the range is tried free first, then held there.
bool Refiner::SolveTangent(const End& left, const End& right, double y, Box boxA, Box boxB, Tangent& t)
{
    const Tangent start = t;
    if (SolveTangent(left, right, y, boxA, boxB, t, false))
        return true;
    t = start;
    return (left.edge || right.edge) && SolveTangent(left, right, y, boxA, boxB, t, true);
}

bool Refiner::SolveTangent(const End& left, const End& right, double y, Box boxA, Box boxB, Tangent& t, bool pinned)
{
    double xa = 0, ga = 0, xb = 0, gb = 0;
    const bool fixedA = FixedEnd(left, pinned, y, xa, ga);
    const bool fixedB = FixedEnd(right, pinned, y, xb, gb);
    if (fixedA && fixedB) {
        if (!(xb > xa))
            return false;
        t = Tangent{xa, xb, xa, ga, (gb - ga) / (xb - xa)};
        return true;
    }
    if (fixedA || fixedB) {
        const double xp = fixedA ? xa : xb, gp = fixedA ? ga : gb;
        const std::size_t k = fixedA ? right.phase.index : left.phase.index;
        double x = fixedA ? t.xb : t.xa;
        Box box = fixedA ? boxB : boxA;
        // The touching point lies on the far side of the fixed point.
        if (fixedA)
            box.lo = std::max(box.lo, xp);
        else
            box.hi = std::min(box.hi, xp);
        if (!(box.hi > box.lo) || !PointToSolution(xp, gp, k, y, box, x))
            return false;
        TTaylor g;
        if (!G(k, x, y, g, 0))
            return false;
        t = fixedA ? Tangent{xp, x, xp, gp, (g[0] - gp) / (x - xp)} : Tangent{x, xp, xp, gp, (gp - g[0]) / (xp - x)};
        return std::isfinite(t.slope);
    }
    if (left.phase.point || right.phase.point)
        return false;
    if (left.phase == right.phase) { // a miscibility gap: each end keeps to its own half
        const double middle = (t.xa + t.xb) / 2;
        boxA.hi = std::min(boxA.hi, middle);
        boxB.lo = std::max(boxB.lo, middle);
    }
    return TwoSolutions(left.phase.index, right.phase.index, y, boxA, boxB, t);
}

// G - tangent over the X range for every phase; false when some phase lies
// below the tangent by more than rounding, or cannot be evaluated.
bool Refiner::Verify(const Tangent& t, double y)
{
    try {
        const double tol = 1e-7 * (1 + std::fabs(t.g0) + std::fabs(t.slope));
        for (std::size_t k = 0; k < model_.PointPhaseCount(); ++k) {
            const double xp = model_.PointPhaseX(k);
            double gp;
            if (xp >= run_.Xmin && xp <= run_.Xmax && model_.Point(k, y, gp) && gp - t.At(xp) < -tol)
                return false;
        }
        const double span = run_.Xmax - run_.Xmin;
        const std::size_t phases = model_.PhaseCount();
        // Samples outside, phases inside: the phases at one X share Sid and the parameters.
        std::vector<double> samples(phases * kSamples);
        for (int i = 0; i < kSamples; ++i) {
            const double x = run_.Xmin + span * i / (kSamples - 1);
            for (std::size_t k = 0; k < phases; ++k) {
                TTaylor g;
                model_.Solution(k, x, y, g, 0);
                samples[k * kSamples + static_cast<std::size_t>(i)] = g[0] - t.At(x);
                if (g[0] - t.At(x) < -tol)
                    return false;
            }
        }
        for (std::size_t k = 0; k < phases; ++k) {
            const double* d = &samples[k * kSamples];
            // Between the samples: Newton on G' = slope from every local minimum.
            for (int i = 0; i < kSamples; ++i) {
                if ((i > 0 && d[i - 1] < d[i]) || (i + 1 < kSamples && d[i + 1] < d[i]))
                    continue;
                const Box box{run_.Xmin + span * std::max(0, i - 1) / (kSamples - 1),
                              run_.Xmin + span * std::min(kSamples - 1, i + 1) / (kSamples - 1)};
                double x = std::clamp(run_.Xmin + span * i / (kSamples - 1), box.lo + 1e-12, box.hi - 1e-12);
                for (int step = 0; step < 20; ++step) {
                    TTaylor g;
                    if (!model_.Solution(k, x, y, g, 2))
                        break;
                    if (g[0] - t.At(x) < -tol)
                        return false;
                    const double second = Derivative(g, 2);
                    if (!(second > 0))
                        break;
                    const double dx = -(g[1] - t.slope) / second;
                    x = box.Step(x, dx);
                    if (std::fabs(dx) < 1e-9) // near enough for a value that only has to be above
                        break;
                }
                TTaylor g;
                model_.Solution(k, x, y, g, 0);
                if (g[0] - t.At(x) < -tol)
                    return false;
            }
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void Refiner::RefineBoundaries(TRefinement& out)
{
    // BoundaryPoints holds each segment as (larger X, smaller X); a line's
    // segments follow one another with its Y.
    int line = -1;
    double lineY = 0;
    std::size_t lineStart = 0;
    for (int i = 0; i + 1 <= run_.ZHigh; i += 2) {
        const TZPoint& high = run_.BoundaryPoints[static_cast<std::size_t>(i)];
        const TZPoint& low = run_.BoundaryPoints[static_cast<std::size_t>(i) + 1];
        if (line < 0 || high.Y != lineY) {
            SortLine(out, lineStart);
            lineStart = out.Boundaries.size();
            ++line;
            lineY = high.Y;
        }
        TRefinedBoundary b;
        b.Y = high.Y;
        b.XLeft = low.X;
        b.XRight = high.X;
        b.Left = low.Phase;
        b.Right = high.Phase;
        b.Line = line;
        try {
            const auto left = Find(low), right = Find(high);
            if (left && right)
                RefineBoundary(*left, *right, b);
        } catch (const std::exception&) {
            // an evaluator error: the grid's value stays
        }
        out.Boundaries.push_back(std::move(b));
    }
    SortLine(out, lineStart);
}

// The segment between two found ends: named by them, solved and checked.
void Refiner::RefineBoundary(const End& left, const End& right, TRefinedBoundary& b)
{
    b.Left = Name(left.phase);
    b.Right = Name(right.phase);
    // One grid step of one phase is no region (the grid's own test for two
    // columns): only a point phase above it made the grid record it.
    if (left.phase == right.phase && !left.phase.point && b.XRight - b.XLeft <= run_.Xstep + 1e-10) {
        b.Region = false;
        return;
    }
    Tangent t{b.XLeft, b.XRight};
    if (SolveTangent(left, right, b.Y, Around(b.XLeft), Around(b.XRight), t) && Verify(t, b.Y)) {
        b.XLeft = t.xa;
        b.XRight = t.xb;
        b.Refined = true;
    }
}

void Refiner::SortLine(TRefinement& out, std::size_t from)
{
    std::stable_sort(out.Boundaries.begin() + static_cast<std::ptrdiff_t>(from), out.Boundaries.end(),
                     [](const TRefinedBoundary& a, const TRefinedBoundary& b) { return a.XLeft < b.XLeft; });
}

} // namespace refine

const char* RefinedPointKindName(TRefinedPointKind kind)
{
    switch (kind) {
    case TRefinedPointKind::Congruent: return "congruent";
    case TRefinedPointKind::Critical: return "critical";
    default: return "end";
    }
}

TRefinement Refine(const TRunResult& run, const TScriptModel& script, const std::vector<TNode>& nodes, TYQuantity y)
{
    refine::Refiner refiner(run, script, nodes, y);
    return refiner.Refine();
}

} // namespace solvane
