// Where a two-phase region closes: at a critical point, at an end on an edge of
// the X range, or at a congruent point, each level found by regula falsi from the
// last line where the grid saw the region.
#include "refine/Refiner.h"

#include <algorithm>
#include <cmath>

namespace solvane::refine {

// The root of f between a and b (f of opposite signs there), by regula falsi
// (Illinois) to the Y tolerance.
template <class F>
std::optional<double> Refiner::LevelRoot(F&& f, double a, double b)
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
std::optional<double> Refiner::LevelBeyond(F&& f, double yIn, double yOut)
{
    std::optional<double> y;
    const double step = yOut - yIn;
    for (double from = yIn, reach = 1; reach <= 16 && !y; from = yIn + reach * step, reach *= 2)
        y = LevelRoot(f, from, yIn + reach * step);
    return y;
}

// G of an end phase at x: a solution phase anywhere, a point phase only at its composition.
std::optional<double> Refiner::EnergyAt(const PhaseRef& p, double x, double y)
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
bool Refiner::LowestAt(double x, double y, double g)
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
bool Refiner::EndPoint(const PhaseRef& a, const PhaseRef& b, double edge, double yIn, double yOut, TRefinedPoint& p)
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
std::optional<double> Refiner::ThirdDerivativeZero(std::size_t k, double lo, double hi, double y)
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
bool Refiner::CriticalPoint(std::size_t k, double xl, double xr, double yIn, double yOut, TRefinedPoint& p)
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
bool Refiner::CongruentPoint(const PhaseRef& a, const PhaseRef& b, double x0, double yIn, double yOut, TRefinedPoint& p)
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

std::optional<PhaseRef> Refiner::Named(const std::string& name) const
{
    if (const auto k = model_.FindPhase(name))
        return PhaseRef{false, *k};
    if (const auto k = model_.FindPointPhase(name))
        return PhaseRef{true, *k};
    return std::nullopt;
}

// Whether a boundary of the line at y starts strictly between x1 and x2.
bool Refiner::SegmentBetween(const TRefinement& out, double y, double x1, double x2)
{
    return std::any_of(out.Boundaries.begin(), out.Boundaries.end(), [&](const TRefinedBoundary& b) {
        return b.Y == y && b.XLeft > x1 && b.XLeft < x2;
    });
}

bool Refiner::EndsAtNode(const TRefinement& out, const TRefinedBranch& left, bool top, double y, double ystep)
{
    for (const TRefinedNode& n : out.Nodes) {
        const bool both = std::count(n.Phases.begin(), n.Phases.end(), left.Left) &&
                          std::count(n.Phases.begin(), n.Phases.end(), left.Right);
        const double past = top ? n.Y - y : y - n.Y; // how far beyond this end
        if (both && past >= -1e-9 * (1 + std::fabs(y)) && past <= 1.5 * ystep)
            return true;
    }
    return false;
}

bool Refiner::CongruentClosing(const TRefinement& out, const std::vector<TRefinedBranch>& branches,
                               const TRefinedBranch& left, bool top, Pair pair, RegionEnd end, TRefinedPoint& p)
{
    // The other side of a congruent point: the same pair swapped, ending on
    // the same line next to this one, with only the phase they share between
    // them. A pair that the grid saw further apart than a few steps counts
    // only when refined.
    for (std::size_t m = 0; m + 1 < branches.size(); m += 2) {
        const TRefinedBranch& other = branches[m];
        if (other.Left != left.Right || other.Right != left.Left)
            continue;
        const auto [ox, oy] = top ? other.Points.front() : other.Points.back();
        if (oy != end.y || ox < end.xr || SegmentBetween(out, end.y, end.xr, ox))
            continue;
        p.Kind = TRefinedPointKind::Congruent;
        p.X = (end.xr + ox) / 2;
        p.Refined = CongruentPoint(pair.a, pair.b, p.X, end.y, end.beyond, p);
        if (p.Refined || ox - end.xr <= 3 * run_.Xstep)
            return true;
    }
    return false;
}

bool Refiner::EdgeClosing(Pair pair, double xl, RegionEnd end, TRefinedPoint& p)
{
    const bool lowFirst = xl - run_.Xmin < run_.Xmax - end.xr;
    for (const double edge : {lowFirst ? run_.Xmin : run_.Xmax, lowFirst ? run_.Xmax : run_.Xmin}) {
        p.Kind = TRefinedPointKind::End;
        p.X = edge;
        p.Refined = EndPoint(pair.a, pair.b, edge, end.y, end.beyond, p);
        if (p.Refined || std::min(xl - run_.Xmin, run_.Xmax - end.xr) < 3 * run_.Xstep)
            return true;
    }
    return false;
}

// Every end of a two-phase region that is neither at the ends of the sweep nor
// at a node: an end at an edge of the X range, a critical point, or a congruent point.
void Refiner::FindClosings(TRefinement& out, const std::vector<TRefinedBranch>& branches)
{
    const double yTop = std::max(run_.Ymin, run_.Ymax), yBottom = std::min(run_.Ymin, run_.Ymax);
    const double ystep = std::fabs(run_.Ystep);
    for (std::size_t k = 0; k + 1 < branches.size(); k += 2) {
        const TRefinedBranch& left = branches[k];
        const TRefinedBranch& right = branches[k + 1];
        for (const bool top : {true, false}) {
            const auto [xl, y] = top ? left.Points.front() : left.Points.back();
            const double xr = (top ? right.Points.front() : right.Points.back()).first;
            if ((top && y >= yTop) || (!top && y <= yBottom))
                continue; // the region goes on beyond the sweep
            if (EndsAtNode(out, left, top, y, ystep))
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
                    found = CongruentClosing(out, branches, left, top, {*a, *b}, {xr, y, beyond}, p);
                }
                // Else the region ends at an edge of the range, the nearer one first.
                found = found || EdgeClosing({*a, *b}, xl, {xr, y, beyond}, p);
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

} // namespace solvane::refine
