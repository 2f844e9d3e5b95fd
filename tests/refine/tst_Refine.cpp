// The refinement against closed-form answers of textbook systems (gas constant
// 8.31441): refined values must not depend on the grid, within 1e-6 in X and
// 1e-3 K in temperature, on a coarse grid as on a fine one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "calc/HeadlessRun.h"
#include "diagram/DiagramSnapshot.h"
#include "diagram/PhaseLabel.h"
#include "refine/Refine.h"
#include "RunTestSupport.h"

using namespace solvane;
using namespace solvane::test;

namespace {

struct Refined {
    std::unique_ptr<TRun> run = std::make_unique<TRun>();
    TRefinement refinement;
};

Refined RefineProblem(const std::string& script, double ymin, double ymax, int ypoints, int xpoints)
{
    Refined r;
    const TProblemRow problem = test::MakeProblem(script, ymin, ymax, ypoints, xpoints, "Temperature", 1);
    const THeadlessResult result = RunProblemHeadless(*r.run, problem);
    EXPECT_TRUE(result.Completed);
    r.refinement = BuildDiagramSnapshot(*r.run).Refinement;
    return r;
}

// The root of f on [a, b] by bisection (f(a) and f(b) of opposite signs).
double Root(const std::function<double(double)>& f, double a, double b)
{
    double fa = f(a);
    for (int i = 0; i < 200 && b - a > 1e-15 * (1 + std::fabs(a)); ++i) {
        const double m = (a + b) / 2;
        const double fm = f(m);
        if ((fm > 0) == (fa > 0)) {
            a = m;
            fa = fm;
        } else {
            b = m;
        }
    }
    return (a + b) / 2;
}

const int kGrids[] = {50, 400};

void ExpectOneCongruentPoint(const TRefinement& refinement, double x, double y)
{
    int congruent = 0;
    for (const TRefinedPoint& p : refinement.Points) {
        if (p.Kind != TRefinedPointKind::Congruent)
            continue;
        ++congruent;
        EXPECT_TRUE(p.Refined);
        EXPECT_NEAR(p.Y, y, 1e-3);
        EXPECT_NEAR(p.X, x, 1e-6);
    }
    EXPECT_EQ(congruent, 1);
}

// The left binodal of the symmetric regular solution: R T ln(x/(1-x)) + W (1-2x) = 0, x < 1/2.
TEST(Refine, MiscibilityGapBinodal)
{
    const double W = 20000;
    for (const int xpoints : kGrids) {
        SCOPED_TRACE(xpoints);
        const Refined r = RefineProblem(ReadProblem("miscibility_gap.txt"), 300, 1300, 100, xpoints);
        int refined = 0;
        for (const TRefinedBoundary& b : r.refinement.Boundaries) {
            EXPECT_EQ(b.Left, "S");
            EXPECT_EQ(b.Right, "S");
            if (!b.Refined)
                continue;
            ++refined;
            const double T = b.Y;
            const double x = Root([&](double v) { return R * T * std::log(v / (1 - v)) + W * (1 - 2 * v); }, 1e-300,
                                  0.5 - 1e-9);
            EXPECT_NEAR(b.XLeft, x, 1e-6) << "T = " << T;
            EXPECT_NEAR(b.XRight, 1 - x, 1e-6) << "T = " << T;
        }
        // Every line far enough from the critical point is refined.
        int expected = 0;
        for (const TRefinedBoundary& b : r.refinement.Boundaries)
            expected += b.Y < W / (2 * R) - 20;
        EXPECT_GE(refined, expected);
        EXPECT_GT(expected, 80);
        // The critical point W/2R at X = 1/2.
        ASSERT_EQ(r.refinement.Points.size(), 1u);
        const TRefinedPoint& critical = r.refinement.Points[0];
        EXPECT_EQ(critical.Kind, TRefinedPointKind::Critical);
        EXPECT_TRUE(critical.Refined);
        EXPECT_NEAR(critical.Y, W / (2 * R), 1e-3);
        EXPECT_NEAR(critical.X, 0.5, 1e-6);
    }
}

// The ideal lens: kA = exp(dGA/RT), kB = exp(dGB/RT), Xs = (1-kA)/(kB-kA), Xl = kB Xs.
TEST(Refine, IdealLens)
{
    for (const int xpoints : kGrids) {
        SCOPED_TRACE(xpoints);
        const Refined r = RefineProblem(ReadProblem("ideal_lens.txt"), 1300, 1800, 100, xpoints);
        ASSERT_FALSE(r.refinement.Boundaries.empty());
        for (const TRefinedBoundary& b : r.refinement.Boundaries) {
            const double T = b.Y;
            const double kA = std::exp(13050 * (T / 1358 - 1) / (R * T));
            const double kB = std::exp(17480 * (T / 1728 - 1) / (R * T));
            const double xs = (1 - kA) / (kB - kA);
            const double xl = kB * xs;
            EXPECT_TRUE(b.Refined) << "T = " << T;
            EXPECT_EQ(b.Left, "L");
            EXPECT_EQ(b.Right, "S");
            EXPECT_NEAR(b.XLeft, xl, 1e-6) << "T = " << T;
            EXPECT_NEAR(b.XRight, xs, 1e-6) << "T = " << T;
        }
        // The lens closes at the melting points of both components.
        ASSERT_EQ(r.refinement.Points.size(), 2u);
        for (const TRefinedPoint& p : r.refinement.Points) {
            EXPECT_EQ(p.Kind, TRefinedPointKind::End);
            EXPECT_TRUE(p.Refined);
            EXPECT_NEAR(p.Y, p.X == 0 ? 1358 : 1728, 1e-3);
        }
    }
}

// The liquidus of the ideal liquid beside a phase of fixed composition xp with
// energy g: the liquid's tangent through (xp, g), xp ln X + (1-xp) ln(1-X) = g/RT,
// on the far side of xp (ln(1-X) = g/RT for xp = 0, ln X = g/RT for xp = 1).
double Liquidus(double xp, double g, double T)
{
    auto f = [&](double x) { return xp * std::log(x) + (1 - xp) * std::log(1 - x) - g / (R * T); };
    return xp < 0.5 ? Root(f, xp + 1e-300, 1 - 1e-16) : Root(f, 1e-300, xp - 1e-16);
}

// An ideal liquid between two phases of fixed composition at the ends of the X
// range, G_A = offset + 10000 (T/600 - 1) and G_B = offset + 12000 (T/700 - 1):
// solids that dissolve nothing, or point phases, also at #XMIN and #XMAX. The
// liquidus lines meet at the eutectic; each two-phase region closes at its
// edge where the liquid's G reaches the phase's.
TEST(Refine, SimpleEutectic)
{
    const struct {
        std::string script;
        double xa, xb, offset;
        std::string a, b;
    } cases[] = {
        {ReadProblem("simple_eutectic.txt"), 0, 1, 0, "SA", "SB"},
        {"GL = -T*Sid\nGCA = 10000*(T/600-1); X = 0\nGCB = 12000*(T/700-1); X = 1\n", 0, 1, 0, "0", "1"},
        {"#XMIN=0.2\n#XMAX=0.8\nGL = -T*Sid\n"
         "GCA = -3000 + 10000*(T/600-1); X = 0.2\nGCB = -3000 + 12000*(T/700-1); X = 0.8\n",
         0.2, 0.8, -3000, "0.2", "0.8"},
    };
    for (const auto& c : cases) {
        auto dGA = [&](double T) { return c.offset + 10000 * (T / 600 - 1); };
        auto dGB = [&](double T) { return c.offset + 12000 * (T / 700 - 1); };
        auto xA = [&](double T) { return Liquidus(c.xa, dGA(T), T); };
        auto xB = [&](double T) { return Liquidus(c.xb, dGB(T), T); };
        auto closes = [&](double xp, const std::function<double(double)>& g) {
            const double mixing = xp * std::log(xp + 1e-300) + (1 - xp) * std::log(1 - xp + 1e-300);
            return Root([&](double T) { return R * T * mixing - g(T); }, 300, 750);
        };
        const double endA = closes(c.xa, dGA), endB = closes(c.xb, dGB);
        const double te = Root([&](double T) { return xA(T) - xB(T); }, 300, std::min(endA, endB));
        for (const int xpoints : kGrids) {
            SCOPED_TRACE(c.a + "+L+" + c.b + ", XPoints " + std::to_string(xpoints));
            const Refined r = RefineProblem(c.script, 300, 750, 90, xpoints);
            int liquidus = 0, solids = 0;
            for (const TRefinedBoundary& b : r.refinement.Boundaries) {
                if (!b.Region) { // a step the grid recorded beside a point phase above the liquid
                    EXPECT_FALSE(b.Refined);
                    continue;
                }
                ASSERT_TRUE(b.Refined) << b.Left << "+" << b.Right << " at T = " << b.Y;
                if (b.Left == c.a && b.Right == "L") {
                    EXPECT_EQ(b.XLeft, c.xa);
                    EXPECT_NEAR(b.XRight, xA(b.Y), 1e-6) << "T = " << b.Y;
                    ++liquidus;
                } else if (b.Left == "L" && b.Right == c.b) {
                    EXPECT_NEAR(b.XLeft, xB(b.Y), 1e-6) << "T = " << b.Y;
                    EXPECT_EQ(b.XRight, c.xb);
                    ++liquidus;
                } else {
                    EXPECT_EQ(b.Left + "+" + b.Right, c.a + "+" + c.b) << "T = " << b.Y;
                    EXPECT_EQ(b.XLeft, c.xa);
                    EXPECT_EQ(b.XRight, c.xb);
                    EXPECT_LT(b.Y, te);
                    ++solids;
                }
            }
            EXPECT_GT(liquidus, 20);
            EXPECT_GT(solids, 30);
            ASSERT_EQ(r.refinement.Nodes.size(), 1u);
            const TRefinedNode& node = r.refinement.Nodes[0];
            EXPECT_TRUE(node.Refined);
            EXPECT_NEAR(node.Y, te, 1e-3);
            EXPECT_EQ(node.XLeft, c.xa);
            EXPECT_NEAR(node.X, xA(te), 1e-6);
            EXPECT_EQ(node.XRight, c.xb);
            EXPECT_EQ(node.Phases, (std::vector<std::string>{c.a, "L", c.b}));
            // Only the two ends at the edges close a region.
            ASSERT_EQ(r.refinement.Points.size(), 2u);
            for (const TRefinedPoint& p : r.refinement.Points) {
                EXPECT_EQ(p.Kind, TRefinedPointKind::End);
                EXPECT_TRUE(p.Refined);
                EXPECT_NEAR(p.Y, p.X == c.xa ? endA : endB, 1e-3);
            }
            // Each region's two lines, from where it closes (or the node) down to the node (or the sweep's end).
            ASSERT_EQ(r.refinement.Branches.size(), 6u);
            for (const TRefinedBranch& b : r.refinement.Branches) {
                const double top = b.Left == c.a && b.Right == c.b ? te : b.Left == c.a ? endA : endB;
                EXPECT_NEAR(b.Points.front().second, top, 1e-3) << b.Left << "+" << b.Right;
                EXPECT_NEAR(b.Points.back().second, top == te ? 300 : te, 1e-3) << b.Left << "+" << b.Right;
            }
        }
    }
}

// A liquid with a miscibility gap (W = 20000) above the melting points of the
// point phases at its ends: the gap closes at its critical point W/2R above and
// at the monotectic below, where its lines end; the regions beside it close
// at the melting points 1000 and 1100 K.
TEST(Refine, GapAboveAMonotecticEndsAtItsLastLine)
{
    const std::string script = "GL = 20000*X*(1-X) - T*Sid\n"
                               "GCA = 10000*(T/1000-1); X = 0\nGCB = 12000*(T/1100-1); X = 1\n";
    for (const int xpoints : kGrids) {
        SCOPED_TRACE(xpoints);
        const Refined r = RefineProblem(script, 300, 1300, 100, xpoints);
        double lowest = HUGE_VAL;
        for (const TRefinedBoundary& b : r.refinement.Boundaries)
            if (b.Region && b.Left == "L" && b.Right == "L")
                lowest = std::min(lowest, b.Y);
        int gap = 0;
        for (const TRefinedBranch& b : r.refinement.Branches)
            if (b.Left == "L" && b.Right == "L") {
                EXPECT_NEAR(b.Points.front().second, 20000 / (2 * R), 1e-3);
                EXPECT_EQ(b.Points.back().second, lowest);
                ++gap;
            }
        EXPECT_EQ(gap, 2);
        ASSERT_EQ(r.refinement.Points.size(), 3u);
        for (const TRefinedPoint& p : r.refinement.Points) {
            EXPECT_TRUE(p.Refined);
            EXPECT_NEAR(p.Y, p.Kind == TRefinedPointKind::Critical ? 20000 / (2 * R) : p.X == 0 ? 1000 : 1100, 1e-3);
        }
    }
}

// A compound AB at X = 0.5 melting congruently at 850 K: its liquidus is the tangent
// from its point, X (1 - X) = exp(2 G_AB / RT); eutectics with A and with B.
TEST(Refine, CongruentCompound)
{
    auto gAB = [](double T) { return -30000 * (1 - T / 850) - R * T * std::log(2.0); };
    auto product = [&](double T) { return std::exp(2 * gAB(T) / (R * T)); };
    auto xLow = [&](double T) { return (1 - std::sqrt(1 - 4 * product(T))) / 2; };
    auto xA = [](double T) { return 1 - std::exp(12000 * (T / 900 - 1) / (R * T)); };
    auto xB = [](double T) { return std::exp(12000 * (T / 850 - 1) / (R * T)); };
    const double te1 = Root([&](double T) { return xA(T) - xLow(T); }, 700, 849);
    const double te2 = Root([&](double T) { return xB(T) - (1 - xLow(T)); }, 700, 849);
    for (const int xpoints : kGrids) {
        SCOPED_TRACE(xpoints);
        const Refined r = RefineProblem(ReadProblem("congruent_compound.txt"), 600, 950, 70, xpoints);
        int checked = 0;
        for (const TRefinedBoundary& b : r.refinement.Boundaries) {
            if (b.Left == "0.5" && b.Right == "L") {
                EXPECT_TRUE(b.Refined) << "T = " << b.Y;
                EXPECT_EQ(b.XLeft, 0.5);
                EXPECT_NEAR(b.XRight, 1 - xLow(b.Y), 1e-6) << "T = " << b.Y;
                ++checked;
            } else if (b.Left == "L" && b.Right == "0.5") {
                EXPECT_TRUE(b.Refined) << "T = " << b.Y;
                EXPECT_NEAR(b.XLeft, xLow(b.Y), 1e-6) << "T = " << b.Y;
                ++checked;
            }
        }
        EXPECT_GT(checked, 10);
        ASSERT_EQ(r.refinement.Nodes.size(), 2u);
        for (const TRefinedNode& node : r.refinement.Nodes) {
            EXPECT_TRUE(node.Refined);
            if (node.X < 0.5) {
                EXPECT_NEAR(node.Y, te1, 1e-3);
                EXPECT_NEAR(node.X, xA(te1), 1e-6);
            } else {
                EXPECT_NEAR(node.Y, te2, 1e-3);
                EXPECT_NEAR(node.X, xB(te2), 1e-6);
            }
        }
        ExpectOneCongruentPoint(r.refinement, 0.5, 850);
    }
}

// A liquid and a solid solution, both continuous from A to B, whose lens has a
// minimum: the congruent point is where G_S - G_L = (1-X) a + X b + W X (1-X)
// and its slope b - a + W (1-2X) both vanish (a, b the solids' energies of
// freezing). Seen on the grid only as two regions ending apart on one line.
TEST(Refine, CongruentMinimumOfTwoSolutions)
{
    auto a = [](double T) { return 13000 * (T / 1200 - 1); };
    auto b = [](double T) { return 15000 * (T / 1300 - 1); };
    const double W = 12000;
    // On the slope's zero X(T), the difference vanishes at the congruent level.
    auto xAt = [&](double T) { return (b(T) - a(T) + W) / (2 * W); };
    const double tc = Root([&](double T) {
        const double x = xAt(T);
        return (1 - x) * a(T) + x * b(T) + W * x * (1 - x);
    }, 900, 1150);
    const std::string script = "GL = -T*Sid\n"
                               "GS = (1-X)*13000*(T/1200-1) + X*15000*(T/1300-1) + 12000*X*(1-X) - T*Sid\n";
    for (const int xpoints : kGrids) {
        SCOPED_TRACE(xpoints);
        const Refined r = RefineProblem(script, 900, 1400, 100, xpoints);
        ExpectOneCongruentPoint(r.refinement, xAt(tc), tc);
    }
}

} // namespace

namespace {

// Where a refined answer cannot be trusted the grid's values stay, marked
// unrefined, rather than a doubtful number: a phase without derivatives (a
// random term, here always 0); and the common tangent of L and S (G = 0 from
// X = 0.2 to 0.8) that phase V undercuts at X = 0.55, between the grid's
// columns 0.5 and 0.6, where the grid does not see it.
TEST(Refine, KeepsTheGridWhereItCannotRefine)
{
    const struct {
        std::string script;
        int xpoints;
    } cases[] = {
        {"GL = 1000*(X-0.2)^2\nGS = 1000*(X-0.8)^2 - 100 + RND(0.5)\n", 50},
        {"GL = 10000*(X-0.2)^2\nGS = 10000*(X-0.8)^2\nGV = 1000000*(X-0.55)^2 - 500\n", 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        const Refined r = RefineProblem(c.script, 300, 400, 2, c.xpoints);
        const TRunResult& run = r.run->Results();
        ASSERT_EQ(r.refinement.Boundaries.size(), static_cast<std::size_t>(run.ZHigh + 1) / 2);
        ASSERT_FALSE(r.refinement.Boundaries.empty());
        for (std::size_t k = 0; k < r.refinement.Boundaries.size(); ++k) {
            const TRefinedBoundary& b = r.refinement.Boundaries[k];
            EXPECT_FALSE(b.Refined);
            EXPECT_EQ(b.XLeft, run.BoundaryPoints[2 * k + 1].X);
            EXPECT_EQ(b.XRight, run.BoundaryPoints[2 * k].X);
            EXPECT_EQ(b.Left, "L");
            EXPECT_EQ(b.Right, "S");
        }
    }
}

} // namespace

namespace {

// The region labels of the eutectic between point phases at the ends of the X
// range, also at #XMIN and #XMAX: each point phase named by its composition,
// at X = Xmax too, where the grid names the liquid's column.
TEST(Refine, RegionLabelsNamePointPhasesAtTheEnds)
{
    const struct {
        std::string script;
        std::vector<std::string> labels;
    } cases[] = {
        {"GL = -T*Sid\nGCA = 10000*(T/600-1); X = 0\nGCB = 12000*(T/700-1); X = 1\n",
         {"C0", "C0+C1", "C0+L", "C1", "L", "L+C1"}},
        {"#XMIN=0.2\n#XMAX=0.8\nGL = -T*Sid\n"
         "GCA = -3000 + 10000*(T/600-1); X = 0.2\nGCB = -3000 + 12000*(T/700-1); X = 0.8\n",
         {"C0.2", "C0.2+C0.8", "C0.2+L", "C0.8", "L", "L+C0.8"}},
    };
    for (const auto& c : cases) {
        for (const int xpoints : kGrids) {
            SCOPED_TRACE(c.script + std::to_string(xpoints));
            const Refined r = RefineProblem(c.script, 300, 750, 90, xpoints);
            const TRunResult& run = r.run->Results();
            std::vector<double> columnX;
            for (const auto& column : run.XColumns)
                columnX.push_back(column.Object->X);
            std::vector<std::string> texts;
            for (const TRegionLabel& label : RegionLabels(RegionCells(run.Cells, columnX, r.refinement), columnX, 1, 1))
                texts.push_back(label.Text);
            std::sort(texts.begin(), texts.end());
            EXPECT_EQ(texts, c.labels);
        }
    }
}

} // namespace
