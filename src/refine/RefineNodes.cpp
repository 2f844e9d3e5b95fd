// The refined nodes: the level of each three-phase line, where the middle phase
// leaves the tangent of the outer two, found between the grid's lines by regula
// falsi from the line where the grid saw it.
#include "refine/Refiner.h"

#include <algorithm>
#include <cmath>

namespace solvane::refine {

// The segment end of the line at y nearest to x: larger X ends (even entries) or smaller.
std::optional<int> Refiner::NearestEnd(double y, double x, bool largerEnd) const
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
std::optional<double> Refiner::LineY(double y) const
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
std::optional<double> Refiner::MiddleDepth(const End& left, const PhaseRef& middle, const End& right, double y,
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

void Refiner::RefineNodes(TRefinement& out)
{
    for (const TNode& node : nodes_) {
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

bool Refiner::LevelOut(const End& left, const PhaseRef& middle, const End& right, double y0, const Tangent& t0,
                       double x0, double& yOut, double& dOut)
{
    for (const double dy : {-run_.Ystep, run_.Ystep}) {
        Tangent t = t0;
        double xm = x0;
        const auto d = MiddleDepth(left, middle, right, y0 + dy, t, xm);
        if (d && *d > 0) {
            yOut = y0 + dy;
            dOut = *d;
            return true;
        }
    }
    return false;
}

std::optional<double> Refiner::SolveLevel(const End& left, const PhaseRef& middle, const End& right, Level in,
                                          Level out, Tangent& t, double& xm)
{
    // Regula falsi (Illinois) between the line where it is stable and where it is not.
    int side = 0;
    double y = in.y;
    for (int step = 0; step < kLevelSteps; ++step) {
        const double previous = y;
        y = in.y - in.depth * (out.y - in.y) / (out.depth - in.depth);
        if (!(y > std::min(in.y, out.y) && y < std::max(in.y, out.y)))
            y = (in.y + out.y) / 2;
        const auto d = MiddleDepth(left, middle, right, y, t, xm);
        if (!d)
            return std::nullopt;
        if (*d < 0) {
            in = {y, *d};
            if (side == -1)
                out.depth /= 2;
            side = -1;
        } else {
            out = {y, *d};
            if (side == 1)
                in.depth /= 2;
            side = 1;
        }
        const double tolerance = 1e-11 * (1 + std::fabs(y));
        if (std::fabs(out.y - in.y) < tolerance || std::fabs(y - previous) < tolerance || *d == 0)
            return y;
    }
    return std::nullopt;
}

void Refiner::RefineNode(const TNode& node, TRefinedNode& r)
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
    r.Phases = {Name(left->phase), Name(middleEnd->phase), Name(right->phase)};
    const PhaseRef* middle = &middleEnd->phase;

    Tangent t{l.X, rr.X};
    double xm = (lm.X + rm.X) / 2;
    const auto d0 = MiddleDepth(*left, *middle, *right, *y0, t, xm);
    if (!d0 || !(*d0 < 0))
        return;
    // The middle phase leaves the tangent within a line's step above or below.
    double yOut = 0, dOut = 0;
    if (!LevelOut(*left, *middle, *right, *y0, t, xm, yOut, dOut))
        return;
    const auto level = SolveLevel(*left, *middle, *right, {*y0, *d0}, {yOut, dOut}, t, xm);
    if (!level)
        return;
    const double y = *level;
    if (!Verify(t, y))
        return;
    r.Y = y;
    r.XLeft = t.xa;
    r.X = xm;
    r.XRight = t.xb;
    r.Refined = true;
}

} // namespace solvane::refine
