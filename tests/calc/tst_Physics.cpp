// The method against thermodynamics: textbook binary systems whose phase
// boundaries are known in closed form. Every computed boundary must lie within
// one grid step of the analytic one (X within Xstep, Y within Ystep).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "calc/HeadlessRun.h"
#include "diagram/DiagramSnapshot.h"
#include "RunTestSupport.h"

using namespace solvane;
using namespace solvane::test;

namespace {

// One two-phase segment of a line: its ends, larger X first.
struct Segment {
    double y;
    double xHigh, xLow;
};

struct Computed {
    std::unique_ptr<TRun> run = std::make_unique<TRun>();
    THeadlessResult result;
    std::vector<TNode> nodes; // the special points search's, of the diagram built after the run
    std::vector<Segment> segments;
    double xStep = 0, yStep = 0;

    std::vector<Segment> At(double y) const
    {
        std::vector<Segment> found;
        for (const Segment& s : segments)
            if (s.y == y)
                found.push_back(s);
        return found;
    }
    // The Y of every computed line, from the top, stepped as the sweep steps.
    std::vector<double> Lines() const
    {
        std::vector<double> ys;
        for (double y = run->Results().Ymax;;) {
            ys.push_back(y);
            if (std::fabs(y - run->Results().Ymin) < 1e-11 || ys.size() > 100000)
                break;
            y -= yStep;
            if (y < run->Results().Ymin)
                y = run->Results().Ymin;
        }
        return ys;
    }
};

Computed Compute(const std::string& file, const char* y, double ymin, double ymax, int ypoints, int xpoints,
                 double zvalue = 1)
{
    TProblemRow problem = solvane::test::MakeProblem(ReadProblem(file), ymin, ymax, ypoints, xpoints, y, zvalue);
    problem.ProblemName = file;
    Computed c;
    c.result = RunProblemHeadless(*c.run, problem);
    c.nodes = BuildDiagramSnapshot(*c.run, {.SpecialPoints = true, .Refinement = false}).Special.Nodes;
    c.xStep = c.run->Results().Xstep;
    c.yStep = c.run->Results().Ystep;
    for (int k = 0; k + 1 <= c.run->Results().ZHigh; k += 2) {
        const TZPoint& high = c.run->Results().BoundaryPoints[static_cast<std::size_t>(k)];
        const TZPoint& low = c.run->Results().BoundaryPoints[static_cast<std::size_t>(k) + 1];
        c.segments.push_back({high.Y, high.X, low.X});
    }
    return c;
}

// The root of f in [lo, hi], where f changes sign.
double Root(const std::function<double(double)>& f, double lo, double hi)
{
    const bool rising = f(lo) < 0;
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        if ((f(mid) < 0) == rising)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

// Gibbs energy of melting reversed: solid minus liquid of a pure component.
double Freezing(double dH, double Tm, double T) { return dH * (T / Tm - 1); }

#define EXPECT_WITHIN(value, expected, tolerance, what) \
    EXPECT_LE(std::fabs((value) - (expected)), (tolerance)) << what << ": " << (value) << " vs " << (expected)

} // namespace

TEST(Physics, RegularSolutionMiscibilityGap)
{
    const double W = 20000, Tc = W / (2 * R); // 1202.7 K
    const Computed c = Compute("miscibility_gap.txt", "Temperature", 300, 1300, 200, 200);
    ASSERT_TRUE(c.result.Completed) << c.result.Outcome.Error;
    ASSERT_FALSE(c.segments.empty());

    double highestGap = -1;
    for (const Segment& s : c.segments) {
        highestGap = std::max(highestGap, s.y);
        const double T = s.y;
        ASSERT_LT(T, Tc) << "a gap above the critical temperature";
        // Binodal: R*T*ln(x/(1-x)) + W*(1-2x) = 0, left of the spinodal.
        const double spinodal = 0.5 - std::sqrt(0.25 - R * T / (2 * W));
        const double binodal =
            Root([&](double x) { return R * T * std::log(x / (1 - x)) + W * (1 - 2 * x); }, 1e-300, spinodal);
        EXPECT_WITHIN(s.xLow, binodal, c.xStep + 1e-9, "left binodal at T = " << T);
        EXPECT_WITHIN(s.xHigh, 1 - binodal, c.xStep + 1e-9, "right binodal at T = " << T);
    }
    EXPECT_WITHIN(highestGap, Tc, c.yStep, "critical temperature");
    for (double T : c.Lines()) {
        if (T > Tc) {
            EXPECT_TRUE(c.At(T).empty()) << "a gap at " << T;
        }
        if (T < Tc - c.yStep) {
            EXPECT_EQ(c.At(T).size(), 1u) << "one gap at " << T;
        }
    }
}

TEST(Physics, IdealLens)
{
    const double dHA = 13050, TmA = 1358, dHB = 17480, TmB = 1728;
    const Computed c = Compute("ideal_lens.txt", "Temperature", 1300, 1800, 100, 200);
    ASSERT_TRUE(c.result.Completed) << c.result.Outcome.Error;
    for (double T : c.Lines()) {
        const auto segments = c.At(T);
        if (T < TmA - 1e-9 || T > TmB + 1e-9) {
            EXPECT_TRUE(segments.empty()) << "single phase at " << T;
            continue;
        }
        const double kA = std::exp(Freezing(dHA, TmA, T) / (R * T));
        const double kB = std::exp(Freezing(dHB, TmB, T) / (R * T));
        const double solidus = (1 - kA) / (kB - kA), liquidus = kB * solidus;
        // Where the lens is narrower than two steps it may fall between the columns.
        EXPECT_LE(segments.size(), 1u) << "T = " << T;
        if (solidus - liquidus > 2 * c.xStep) {
            EXPECT_EQ(segments.size(), 1u) << "T = " << T;
        }
        for (const Segment& s : segments) {
            EXPECT_WITHIN(s.xHigh, solidus, c.xStep + 1e-9, "solidus at T = " << T);
            EXPECT_WITHIN(s.xLow, liquidus, c.xStep + 1e-9, "liquidus at T = " << T);
        }
    }
    // Above B's melting point all liquid, below A's all solid.
    const CellGrid& g = c.run->Results().Cells;
    for (int row = 1; row < g.RowCount(); ++row) {
        const double T = c.Lines()[static_cast<std::size_t>(row - 1)];
        for (int col = 1; col < g.ColCount(); ++col) {
            if (T > TmB) {
                EXPECT_EQ(g.Cell(col, row), "L") << T << " " << col;
            }
            if (T < TmA) {
                EXPECT_EQ(g.Cell(col, row), "S") << T << " " << col;
            }
        }
    }
}

namespace {

// Ideal solubility of pure solid A and pure solid B in an ideal liquid.
struct EutecticModel {
    double dHA, TmA, dHB, TmB;
    double LiquidusA(double T) const { return 1 - std::exp(Freezing(dHA, TmA, T) / (R * T)); }
    double LiquidusB(double T) const { return std::exp(Freezing(dHB, TmB, T) / (R * T)); }
};

} // namespace

TEST(Physics, SimpleEutectic)
{
    const EutecticModel m{10000, 600, 12000, 700};
    const double TE = Root([&](double T) { return m.LiquidusA(T) - m.LiquidusB(T); }, 300, m.TmA);
    const Computed c = Compute("simple_eutectic.txt", "Temperature", 300, 750, 90, 200);
    ASSERT_TRUE(c.result.Completed) << c.result.Outcome.Error;

    for (double T : c.Lines()) {
        const auto segments = c.At(T);
        if (T < TE) {
            ASSERT_EQ(segments.size(), 1u) << "T = " << T;
            EXPECT_EQ(segments[0].xLow, 0);
            EXPECT_EQ(segments[0].xHigh, 1);
            continue;
        }
        for (const Segment& s : segments) {
            if (s.xLow == 0) // solid A + liquid
                EXPECT_WITHIN(s.xHigh, m.LiquidusA(T), c.xStep + 1e-9, "A liquidus at T = " << T);
            else if (s.xHigh == 1) // liquid + solid B
                EXPECT_WITHIN(s.xLow, m.LiquidusB(T), c.xStep + 1e-9, "B liquidus at T = " << T);
            else {
                ADD_FAILURE() << "segment inside the liquid at T = " << T;
            }
        }
        // A two-phase field narrower than two steps may fall between the columns.
        const int wide = (m.LiquidusA(T) > 2 * c.xStep) + (1 - m.LiquidusB(T) > 2 * c.xStep);
        const int present = (T < m.TmA) + (T < m.TmB);
        EXPECT_GE(static_cast<int>(segments.size()), wide) << "T = " << T;
        EXPECT_LE(static_cast<int>(segments.size()), present) << "T = " << T;
    }

    // The eutectic node: the last line that still holds liquid.
    const auto& nodes = c.nodes;
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_GE(nodes[0].Y, TE);
    EXPECT_LT(nodes[0].Y, TE + c.yStep);
    EXPECT_EQ(nodes[0].XLeft, 0);
    EXPECT_EQ(nodes[0].XRight, 1);
    EXPECT_GE(nodes[0].X, m.LiquidusA(nodes[0].Y) - c.xStep);
    EXPECT_LE(nodes[0].X, m.LiquidusB(nodes[0].Y) + c.xStep);
}

TEST(Physics, CongruentlyMeltingCompound)
{
    const EutecticModel m{12000, 900, 12000, 850};
    const double dHC = 30000, TmC = 850;
    auto gCompound = [&](double T) { return -dHC * (1 - T / TmC) - R * T * std::log(2.0); };
    // Liquid in equilibrium with the compound: x*(1-x) = exp(2*G_AB/(R*T)).
    auto compoundLiquidus = [&](double T, int side) {
        const double product = std::exp(2 * gCompound(T) / (R * T));
        return 0.5 + side * std::sqrt(std::max(0.0, 0.25 - product));
    };
    const double TE1 = Root([&](double T) { return m.LiquidusA(T) - compoundLiquidus(T, -1); }, 300, TmC);
    const double TE2 = Root([&](double T) { return m.LiquidusB(T) - compoundLiquidus(T, +1); }, 300, TmC);

    const Computed c = Compute("congruent_compound.txt", "Temperature", 600, 950, 70, 200);
    ASSERT_TRUE(c.result.Completed) << c.result.Outcome.Error;

    double highestCompound = -1;
    for (const Segment& s : c.segments) {
        const double T = s.y;
        if (s.xHigh == 0.5 && s.xLow != 0) {
            highestCompound = std::max(highestCompound, T);
            EXPECT_WITHIN(s.xLow, compoundLiquidus(T, -1), c.xStep + 1e-9, "left compound liquidus at " << T);
        }
        if (s.xLow == 0.5 && s.xHigh != 1) {
            highestCompound = std::max(highestCompound, T);
            EXPECT_WITHIN(s.xHigh, compoundLiquidus(T, +1), c.xStep + 1e-9, "right compound liquidus at " << T);
        }
        if (s.xLow == 0 && s.xHigh != 0.5) {
            EXPECT_WITHIN(s.xHigh, m.LiquidusA(T), c.xStep + 1e-9, "A liquidus at " << T);
        }
        if (s.xHigh == 1 && s.xLow != 0.5) {
            EXPECT_WITHIN(s.xLow, m.LiquidusB(T), c.xStep + 1e-9, "B liquidus at " << T);
        }
    }
    EXPECT_WITHIN(highestCompound, TmC, c.yStep, "congruent melting point");

    // Two eutectic nodes, each on the last line with liquid, the compound at
    // the inner end.
    const auto& nodes = c.nodes;
    ASSERT_EQ(nodes.size(), 2u);
    for (const TNode& node : nodes) {
        const bool aSide = node.XLeft == 0;
        const double TE = aSide ? TE1 : TE2;
        EXPECT_GE(node.Y, TE);
        EXPECT_LT(node.Y, TE + c.yStep);
        EXPECT_EQ(aSide ? node.XRight : node.XLeft, 0.5);
        if (!aSide) {
            EXPECT_EQ(node.XRight, 1);
        }
    }
    // Below both eutectics: solid A, the compound and solid B only.
    const CellGrid& g = c.run->Results().Cells;
    const int last = g.RowCount() - 1;
    for (int col = 1; col < g.ColCount(); ++col) {
        const std::string& cell = g.Cell(col, last);
        const std::string expected = col == 1 ? "SA" : col == g.ColCount() - 1 ? "SB" : g.Cell(col, 0) == "0.5" ? "C0.5" : "E";
        EXPECT_EQ(cell, expected) << "column " << col;
    }
}
