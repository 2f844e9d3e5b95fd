// The refinement of a finished run: common tangents solved by safeguarded
// Newton steps started at the grid's values, three-phase levels found between
// grid lines, and every answer checked against all phases before it is kept.
#include "calc/Refine.h"

#include "calc/PhaseDerivatives.h"
#include "calc/RefineBranches.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace solvane {
namespace {

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

bool operator==(const PhaseRef& a, const PhaseRef& b)
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
    Refiner(const TRunResults& run, int yItem) : run_(run), model_(run, yItem) {}

    TRefinement Refine()
    {
        TRefinement out;
        RefineBoundaries(out);
        RefineNodes(out);
        TRefinement bare;
        bare.Boundaries = out.Boundaries;
        FindClosings(out, JoinBranches(bare, run_.Ystep));
        out.Branches = JoinBranches(out, run_.Ystep);
        return out;
    }

private:
    std::optional<End> Find(const TZPoint& end) const
    {
        if (end.Col == 0) {
            if (const auto k = model_.FindPointPhase(end.Phase))
                return End{PhaseRef{true, *k}, std::nullopt};
        } else if (const auto k = model_.FindPhase(end.Phase)) {
            std::optional<double> edge;
            if (std::fabs(end.X - run_.Xmin) < 1e-12)
                edge = run_.Xmin;
            else if (std::fabs(end.X - run_.Xmax) < 1e-12)
                edge = run_.Xmax;
            return End{PhaseRef{false, *k}, edge};
        }
        return std::nullopt;
    }

    bool G(std::size_t k, double x, double y, TTaylor& g, int order = 2)
    {
        return model_.Solution(k, x, y, g, order) && std::isfinite(g[0]);
    }

    Box Range() const { return {run_.Xmin, run_.Xmax}; }

    Box Around(double x) const
    {
        const double h = 2 * run_.Xstep;
        return {std::max(run_.Xmin, x - h), std::min(run_.Xmax, x + h)};
    }

    // The common tangent of two solution phases (or one phase with itself), by
    // Newton's method on the equal slopes and the equal intercepts.
    bool TwoSolutions(std::size_t a, std::size_t b, double y, Box boxA, Box boxB, Tangent& t)
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
    bool PointToSolution(double xp, double gp, std::size_t k, double y, Box box, double& x)
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
    bool FixedEnd(const End& end, bool pinned, double y, double& x, double& g)
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
    bool SolveTangent(const End& left, const End& right, double y, Box boxA, Box boxB, Tangent& t)
    {
        const Tangent start = t;
        if (SolveTangent(left, right, y, boxA, boxB, t, false))
            return true;
        t = start;
        return (left.edge || right.edge) && SolveTangent(left, right, y, boxA, boxB, t, true);
    }

    bool SolveTangent(const End& left, const End& right, double y, Box boxA, Box boxB, Tangent& t, bool pinned)
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
    bool Verify(const Tangent& t, double y)
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

    void RefineBoundaries(TRefinement& out)
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
            const auto left = Find(low), right = Find(high);
            if (left && right) {
                Tangent t{low.X, high.X};
                try {
                    if (SolveTangent(*left, *right, b.Y, Around(low.X), Around(high.X), t) && Verify(t, b.Y)) {
                        b.XLeft = t.xa;
                        b.XRight = t.xb;
                        b.Refined = true;
                    }
                } catch (const std::exception&) {
                    // an evaluator error: the grid's value stays
                }
            }
            out.Boundaries.push_back(std::move(b));
        }
        SortLine(out, lineStart);
    }

    static void SortLine(TRefinement& out, std::size_t from)
    {
        std::stable_sort(out.Boundaries.begin() + static_cast<std::ptrdiff_t>(from), out.Boundaries.end(),
                         [](const TRefinedBoundary& a, const TRefinedBoundary& b) { return a.XLeft < b.XLeft; });
    }

    // The segment end of the line at y nearest to x: larger X ends (even entries) or smaller.
    std::optional<int> NearestEnd(double y, double x, bool largerEnd) const
    {
        std::optional<int> best;
        double bestDistance = run_.Xstep;
        for (int i = largerEnd ? 0 : 1; i <= run_.ZHigh; i += 2) {
            const TZPoint& z = run_.BoundaryPoints[static_cast<std::size_t>(i)];
            const double d = std::fabs(z.X - x);
            if (z.Y == y && d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        return best;
    }

    // The Y of the computed line nearest to y.
    std::optional<double> LineY(double y) const
    {
        std::optional<double> best;
        for (int i = 0; i <= run_.ZHigh; ++i) {
            const double at = run_.BoundaryPoints[static_cast<std::size_t>(i)].Y;
            if (std::fabs(at - y) < run_.Ystep / 2 && (!best || std::fabs(at - y) < std::fabs(*best - y)))
                best = at;
        }
        return best;
    }

    // How far the middle phase lies below the tangent of the outer two at y
    // (negative: it is stable); t and xm carry the solution to the next call.
    std::optional<double> MiddleDepth(const End& left, const PhaseRef& middle, const End& right, double y,
                                      Tangent& t, double& xm)
    {
        const Box boxA{run_.Xmin, middle.point ? model_.PointPhaseX(middle.index) : xm};
        const Box boxB{middle.point ? model_.PointPhaseX(middle.index) : xm, run_.Xmax};
        Tangent next = t;
        if (!SolveTangent(left, right, y, boxA, boxB, next))
            return std::nullopt;
        t = next;
        if (middle.point) {
            double gp;
            if (!model_.Point(middle.index, y, gp))
                return std::nullopt;
            xm = model_.PointPhaseX(middle.index);
            return gp - t.At(xm);
        }
        const Box box{t.xa, t.xb};
        double x = std::clamp(xm, box.lo, box.hi);
        for (int step = 0; step < kNewtonSteps; ++step) {
            TTaylor g;
            if (!G(middle.index, x, y, g))
                return std::nullopt;
            const double second = Derivative(g, 2);
            if (!(second > 0))
                return std::nullopt;
            const double dx = -(g[1] - t.slope) / second;
            x = box.Step(x, dx);
            if (std::fabs(dx) < kXStep) {
                if (!G(middle.index, x, y, g, 0))
                    return std::nullopt;
                xm = x;
                return g[0] - t.At(x);
            }
        }
        return std::nullopt;
    }

    void RefineNodes(TRefinement& out)
    {
        for (const auto& item : run_.Nodes) {
            const TNode& node = *item.Object;
            TRefinedNode r{node.Y, node.XLeft, node.X, node.XRight, {}, false};
            try {
                RefineNode(node, r);
            } catch (const std::exception&) {
                r.Refined = false;
            }
            if (!r.Refined) {
                r.Y = node.Y;
                r.XLeft = node.XLeft;
                r.X = node.X;
                r.XRight = node.XRight;
            }
            out.Nodes.push_back(std::move(r));
        }
    }

    void RefineNode(const TNode& node, TRefinedNode& r)
    {
        // In the node's line the middle phase still lies between two segments.
        const auto y0 = LineY(node.Y);
        if (!y0)
            return;
        const auto leftEnd = NearestEnd(*y0, node.XLeft, false);
        const auto rightEnd = NearestEnd(*y0, node.XRight, true);
        if (!leftEnd || !rightEnd)
            return;
        const TZPoint& l = run_.BoundaryPoints[static_cast<std::size_t>(*leftEnd)];
        const TZPoint& lm = run_.BoundaryPoints[static_cast<std::size_t>(*leftEnd) - 1];
        const TZPoint& rm = run_.BoundaryPoints[static_cast<std::size_t>(*rightEnd) + 1];
        const TZPoint& rr = run_.BoundaryPoints[static_cast<std::size_t>(*rightEnd)];
        if (lm.Phase != rm.Phase)
            return;
        r.Phases = {l.Phase, lm.Phase, rr.Phase};
        const auto left = Find(l), right = Find(rr);
        const auto middleEnd = Find(lm);
        if (!left || !middleEnd || !right)
            return;
        const PhaseRef* middle = &middleEnd->phase;

        Tangent t{l.X, rr.X};
        double xm = (lm.X + rm.X) / 2;
        const auto d0 = MiddleDepth(*left, *middle, *right, *y0, t, xm);
        if (!d0 || !(*d0 < 0))
            return;
        // The middle phase leaves the tangent within a line's step above or below.
        const Tangent t0 = t;
        const double x0 = xm;
        double yOut = 0, dOut = 0;
        bool found = false;
        for (const double dy : {-run_.Ystep, run_.Ystep}) {
            Tangent tt = t0;
            double xx = x0;
            const auto d = MiddleDepth(*left, *middle, *right, *y0 + dy, tt, xx);
            if (d && *d > 0) {
                yOut = *y0 + dy;
                dOut = *d;
                found = true;
                break;
            }
        }
        if (!found)
            return;
        // Regula falsi (Illinois) between the line where it is stable and where it is not.
        double yIn = *y0, dIn = *d0;
        int side = 0;
        double y = yIn;
        t = t0;
        xm = x0;
        bool converged = false;
        for (int step = 0; step < kLevelSteps && !converged; ++step) {
            const double previous = y;
            y = yIn - dIn * (yOut - yIn) / (dOut - dIn);
            if (!(y > std::min(yIn, yOut) && y < std::max(yIn, yOut)))
                y = (yIn + yOut) / 2;
            const auto d = MiddleDepth(*left, *middle, *right, y, t, xm);
            if (!d)
                return;
            if (*d < 0) {
                yIn = y;
                dIn = *d;
                if (side == -1)
                    dOut /= 2;
                side = -1;
            } else {
                yOut = y;
                dOut = *d;
                if (side == 1)
                    dIn /= 2;
                side = 1;
            }
            const double tolerance = 1e-11 * (1 + std::fabs(y));
            converged = std::fabs(yOut - yIn) < tolerance || std::fabs(y - previous) < tolerance || *d == 0;
        }
        if (!converged)
            return;
        if (!Verify(t, y))
            return;
        r.Y = y;
        r.XLeft = t.xa;
        r.X = xm;
        r.XRight = t.xb;
        r.Refined = true;
    }

    // ---- Where a two-phase region closes ----

    // The root of f between a and b (f of opposite signs there), by regula falsi
    // (Illinois) to the Y tolerance.
    template <class F>
    std::optional<double> LevelRoot(F&& f, double a, double b)
    {
        auto fa = f(a), fb = f(b);
        if (fa && *fa == 0)
            return a;
        if (fb && *fb == 0)
            return b;
        if (!fa || !fb || (*fa > 0) == (*fb > 0))
            return std::nullopt;
        int side = 0;
        double y = a;
        for (int step = 0; step < kLevelSteps; ++step) {
            const double previous = y;
            y = a - *fa * (b - a) / (*fb - *fa);
            if (!(y > std::min(a, b) && y < std::max(a, b)))
                y = (a + b) / 2;
            const auto fy = f(y);
            if (!fy)
                return std::nullopt;
            if ((*fy > 0) == (*fa > 0)) {
                a = y;
                fa = fy;
                if (side == -1)
                    *fb /= 2;
                side = -1;
            } else {
                b = y;
                fb = fy;
                if (side == 1)
                    *fa /= 2;
                side = 1;
            }
            const double tolerance = 1e-11 * (1 + std::fabs(y));
            if (std::fabs(b - a) < tolerance || std::fabs(y - previous) < tolerance || *fy == 0)
                return y;
        }
        return std::nullopt;
    }

    // A region narrower than a grid step is not seen: its closing is looked for
    // from the last line where it was seen up to 16 line steps beyond.
    template <class F>
    std::optional<double> LevelBeyond(F&& f, double yIn, double yOut)
    {
        std::optional<double> y;
        const double step = yOut - yIn;
        for (double from = yIn, reach = 1; reach <= 16 && !y; from = yIn + reach * step, reach *= 2)
            y = LevelRoot(f, from, yIn + reach * step);
        return y;
    }

    // G of an end phase at x: a solution phase anywhere, a point phase only at its composition.
    std::optional<double> EnergyAt(const PhaseRef& p, double x, double y)
    {
        double g;
        if (p.point) {
            if (std::fabs(model_.PointPhaseX(p.index) - x) > 1e-12 || !model_.Point(p.index, y, g))
                return std::nullopt;
            return g;
        }
        TTaylor s;
        model_.Solution(p.index, x, y, s, 0);
        return std::isfinite(s[0]) ? std::optional<double>(s[0]) : std::nullopt;
    }

    // No phase lower than g at x (where a region closes at an edge of the range).
    bool LowestAt(double x, double y, double g)
    {
        const double tol = 1e-7 * (1 + std::fabs(g));
        for (std::size_t k = 0; k < model_.PhaseCount(); ++k)
            if (const auto e = EnergyAt(PhaseRef{false, k}, x, y); e && *e < g - tol)
                return false;
        for (std::size_t k = 0; k < model_.PointPhaseCount(); ++k)
            if (const auto e = EnergyAt(PhaseRef{true, k}, x, y); e && *e < g - tol)
                return false;
        return true;
    }

    // The two phases meet at the edge: equal G there.
    bool EndPoint(const PhaseRef& a, const PhaseRef& b, double edge, double yIn, double yOut, TRefinedPoint& p)
    {
        auto f = [&](double y) -> std::optional<double> {
            const auto ga = EnergyAt(a, edge, y), gb = EnergyAt(b, edge, y);
            if (!ga || !gb)
                return std::nullopt;
            return *ga - *gb;
        };
        const auto y = LevelBeyond(f, yIn, yOut);
        if (!y)
            return false;
        const auto g = EnergyAt(a, edge, *y);
        if (!g || !LowestAt(edge, *y, *g))
            return false;
        p.Y = *y;
        p.X = edge;
        return true;
    }

    // A zero of the third derivative of phase k in [lo, hi], by bisection.
    std::optional<double> ThirdDerivativeZero(std::size_t k, double lo, double hi, double y)
    {
        auto third = [&](double x) -> std::optional<double> {
            TTaylor g;
            if (!G(k, x, y, g, 3))
                return std::nullopt;
            return g[3];
        };
        auto flo = third(lo), fhi = third(hi);
        if (!flo || !fhi || (*flo > 0) == (*fhi > 0))
            return std::nullopt;
        while (hi - lo > kXStep) {
            const double mid = (lo + hi) / 2;
            const auto fm = third(mid);
            if (!fm)
                return std::nullopt;
            if ((*fm > 0) == (*flo > 0))
                lo = mid;
            else
                hi = mid;
        }
        return (lo + hi) / 2;
    }

    // G'' = G''' = 0: at each Y the zero of G''', then the Y where G'' vanishes there.
    bool CriticalPoint(std::size_t k, double xl, double xr, double yIn, double yOut, TRefinedPoint& p)
    {
        const double reach = (xr - xl) + 2 * run_.Xstep;
        const double lo = std::max(run_.Xmin + 1e-12, xl - reach), hi = std::min(run_.Xmax - 1e-12, xr + reach);
        double x = (xl + xr) / 2;
        auto f = [&](double y) -> std::optional<double> {
            const auto at = ThirdDerivativeZero(k, lo, hi, y);
            TTaylor g;
            if (!at || !G(k, *at, y, g))
                return std::nullopt;
            x = *at;
            return Derivative(g, 2);
        };
        const auto y = LevelBeyond(f, yIn, yOut);
        if (!y || !f(*y))
            return false;
        TTaylor g;
        if (!G(k, x, *y, g) || !Verify(Tangent{x, x, x, g[0], g[1]}, *y))
            return false;
        p.Y = *y;
        p.X = x;
        return true;
    }

    // Both phases at one composition with one tangent: for a point phase, the level
    // where the other phase's G reaches it; for two solution phases, the level where
    // their difference has a double zero.
    bool CongruentPoint(const PhaseRef& a, const PhaseRef& b, double x0, double yIn, double yOut, TRefinedPoint& p)
    {
        if (a.point && b.point)
            return false;
        double x = x0;
        auto f = [&](double y) -> std::optional<double> {
            if (a.point || b.point) {
                const PhaseRef& point = a.point ? a : b;
                x = model_.PointPhaseX(point.index);
                const auto gp = EnergyAt(point, x, y), gs = EnergyAt(a.point ? b : a, x, y);
                if (!gp || !gs)
                    return std::nullopt;
                return *gs - *gp;
            }
            // Newton on the slope of the difference, then the difference itself.
            for (int step = 0; step < kNewtonSteps; ++step) {
                TTaylor ga, gb;
                if (!G(a.index, x, y, ga, 3) || !G(b.index, x, y, gb, 3))
                    return std::nullopt;
                const double slope = ga[1] - gb[1], curvature = Derivative(ga, 2) - Derivative(gb, 2);
                const double dx = -slope / curvature;
                if (!std::isfinite(dx))
                    return std::nullopt;
                x = Range().Step(x, dx);
                if (std::fabs(dx) < kXStep)
                    return ga[0] - gb[0];
            }
            return std::nullopt;
        };
        const auto y = LevelBeyond(f, yIn, yOut);
        if (!y || !f(*y))
            return false;
        const PhaseRef& solution = a.point ? b : a;
        TTaylor g;
        if (!G(solution.index, x, *y, g) || !Verify(Tangent{x, x, x, g[0], g[1]}, *y))
            return false;
        p.Y = *y;
        p.X = x;
        return true;
    }

    std::optional<PhaseRef> Named(const std::string& name) const
    {
        if (const auto k = model_.FindPhase(name))
            return PhaseRef{false, *k};
        if (const auto k = model_.FindPointPhase(name))
            return PhaseRef{true, *k};
        return std::nullopt;
    }

    // Whether a boundary of the line at y starts strictly between x1 and x2.
    static bool SegmentBetween(const TRefinement& out, double y, double x1, double x2)
    {
        return std::any_of(out.Boundaries.begin(), out.Boundaries.end(), [&](const TRefinedBoundary& b) {
            return b.Y == y && b.XLeft > x1 && b.XLeft < x2;
        });
    }

    // Every end of a two-phase region that is neither at the ends of the sweep nor
    // at a node: an end at an edge of the X range, a critical point, or a congruent point.
    void FindClosings(TRefinement& out, const std::vector<TRefinedBranch>& branches)
    {
        const double yTop = std::max(run_.Ymin, run_.Ymax), yBottom = std::min(run_.Ymin, run_.Ymax);
        const double ystep = std::fabs(run_.Ystep), near = 3 * run_.Xstep;
        for (std::size_t k = 0; k + 1 < branches.size(); k += 2) {
            const TRefinedBranch& left = branches[k];
            const TRefinedBranch& right = branches[k + 1];
            for (const bool top : {true, false}) {
                const auto [xl, y] = top ? left.Points.front() : left.Points.back();
                const double xr = (top ? right.Points.front() : right.Points.back()).first;
                if ((top && y >= yTop) || (!top && y <= yBottom))
                    continue; // the region goes on beyond the sweep
                bool atNode = false;
                for (const TRefinedNode& n : out.Nodes) {
                    const bool both = std::count(n.Phases.begin(), n.Phases.end(), left.Left) &&
                                      std::count(n.Phases.begin(), n.Phases.end(), left.Right);
                    const double past = top ? n.Y - y : y - n.Y; // how far beyond this end
                    atNode = atNode || (both && past >= -1e-9 * (1 + std::fabs(y)) && past <= 1.5 * ystep);
                }
                if (atNode)
                    continue;
                const double beyond = top ? y + ystep : y - ystep;
                const auto a = Named(left.Left), b = Named(left.Right);
                if (!a || !b)
                    continue;
                TRefinedPoint p;
                p.Phases = {left.Left, left.Right};
                bool found = false;
                try {
                    if (*a == *b && !a->point) {
                        p.Kind = TRefinedPointKind::Critical;
                        p.Phases = {left.Left};
                        p.X = (xl + xr) / 2;
                        found = true;
                        p.Refined = CriticalPoint(a->index, xl, xr, y, beyond, p);
                    } else {
                        // The other side of a congruent point: the same pair swapped,
                        // ending on the same line next to this one, with only the
                        // phase they share between them. A pair that the grid saw
                        // further apart than a few steps counts only when refined.
                        for (std::size_t m = 0; m + 1 < branches.size() && !found; m += 2) {
                            const TRefinedBranch& other = branches[m];
                            if (other.Left != left.Right || other.Right != left.Left)
                                continue;
                            const auto [ox, oy] = top ? other.Points.front() : other.Points.back();
                            if (oy != y || ox < xr || SegmentBetween(out, y, xr, ox))
                                continue;
                            p.Kind = TRefinedPointKind::Congruent;
                            p.X = (xr + ox) / 2;
                            p.Refined = CongruentPoint(*a, *b, p.X, y, beyond, p);
                            found = p.Refined || ox - xr <= near;
                        }
                    }
                    // Else the region ends at an edge of the range, the nearer one first.
                    const bool lowFirst = xl - run_.Xmin < run_.Xmax - xr;
                    for (const double edge : {lowFirst ? run_.Xmin : run_.Xmax, lowFirst ? run_.Xmax : run_.Xmin}) {
                        if (found)
                            break;
                        p.Kind = TRefinedPointKind::End;
                        p.X = edge;
                        p.Refined = EndPoint(*a, *b, edge, y, beyond, p);
                        found = p.Refined || std::min(xl - run_.Xmin, run_.Xmax - xr) < near;
                    }
                } catch (const std::exception&) {
                    p.Refined = false;
                }
                if (!found)
                    continue;
                if (!p.Refined) { // the grid's value: half way to the line beyond
                    p.Y = (y + beyond) / 2;
                    if (p.Kind == TRefinedPointKind::End)
                        p.X = xl - run_.Xmin < run_.Xmax - xr ? run_.Xmin : run_.Xmax;
                }
                out.Points.push_back(std::move(p));
            }
        }
    }

    const TRunResults& run_;
    TPhaseDerivatives model_;
};

} // namespace

const char* RefinedPointKindName(TRefinedPointKind kind)
{
    switch (kind) {
    case TRefinedPointKind::Congruent: return "congruent";
    case TRefinedPointKind::Critical: return "critical";
    default: return "end";
    }
}

TRefinement Refine(const TRunResults& run, int yItem)
{
    Refiner refiner(run, yItem);
    return refiner.Refine();
}

} // namespace solvane
