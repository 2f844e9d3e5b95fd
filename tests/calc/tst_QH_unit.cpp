#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "calc/QH_unit.h"

using solvane::TQhUnit;

namespace {

using Points = std::vector<std::pair<double, double>>;

std::vector<int> Marked(const Points& points)
{
    TQhUnit hull;
    hull.SetCount(static_cast<int>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        hull.QhX[i] = points[i].first;
        hull.QhY[i] = points[i].second;
    }
    hull.QuickHull();
    std::vector<int> marked;
    for (std::size_t i = 0; i < hull.QhOnHull.size(); ++i)
        if (hull.QhOnHull[i] == 1)
            marked.push_back(static_cast<int>(i));
        else
            EXPECT_EQ(hull.QhOnHull[i], 0);
    return marked;
}

// Strict vertices of the convex hull by the monotone chain, as coordinates,
// plus the two extremes taken as the first edge (the earliest point of smallest
// and of largest X), which are marked even inside a vertical hull edge.
std::set<std::pair<double, double>> ReferenceVertices(Points points)
{
    if (points.empty())
        return {};
    std::set<std::pair<double, double>> extremes;
    std::size_t left = 0, right = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        left = points[i].first < points[left].first ? i : left;
        right = points[i].first > points[right].first ? i : right;
    }
    extremes.insert(points[left]);
    extremes.insert(points[right]);

    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3) {
        extremes.insert(points.begin(), points.end());
        return extremes;
    }
    auto cross = [](auto o, auto a, auto b) {
        return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
    };
    std::vector<std::pair<double, double>> chain;
    for (int pass = 0; pass < 2; ++pass) {
        const std::size_t start = chain.size();
        for (const auto& p : points) {
            while (chain.size() >= start + 2 && cross(chain[chain.size() - 2], chain.back(), p) <= 0)
                chain.pop_back();
            chain.push_back(p);
        }
        chain.pop_back();
        std::reverse(points.begin(), points.end());
    }
    extremes.insert(chain.begin(), chain.end());
    return extremes;
}

} // namespace

TEST(QH_unit, MarksExactlyTheHullVertices)
{
    struct Case {
        const char* what;
        Points points;
        std::vector<int> marked;
    };
    const std::vector<Case> cases = {
        {"none", {}, {}},
        {"one point", {{0.5, 1}}, {0}},
        {"two points", {{0, 0}, {1, 5}}, {0, 1}},
        {"collinear: only the outer ones", {{0, 0}, {1, 1}, {2, 2}, {3, 3}}, {0, 3}},
        {"collinear, unordered", {{2, 2}, {0, 0}, {3, 3}, {1, 1}}, {1, 2}},
        {"one vertical line: entry 0 only", {{1, 5}, {1, 0}, {1, 9}}, {0}},
        {"on the chord: not marked", {{0, 0}, {0.5, 0}, {1, 0}, {0.5, -1}}, {0, 2, 3}},
        {"two smallest X, both vertices", {{0, 1}, {0, 0}, {1, 0}}, {0, 1, 2}},
        {"earliest smallest X is marked inside a vertical edge", {{0, 1}, {0, 0}, {0, 2}, {1, 1}}, {0, 1, 2, 3}},
        {"lower chain of G(X)", {{0, 0}, {0.25, -3}, {0.5, -2}, {0.75, -3.5}, {1, 0}}, {0, 1, 3, 4}},
        {"tie for the farthest point: the earliest, even inside an edge",
         {{0, 1}, {2, 0}, {1, 0}, {3, 0}, {4, 1}}, {0, 1, 2, 3, 4}},
        {"interior point", {{0, 0}, {2, 0}, {1, 2}, {1, 1}}, {0, 1, 2}},
        {"duplicate vertex: the earlier one", {{0, 0}, {1, -1}, {1, -1}, {2, 0}}, {0, 1, 3}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Marked(c.points), c.marked) << c.what;
}

TEST(QH_unit, AgreesWithMonotoneChainOnRandomSets)
{
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> coordinate(-1, 1);
    for (int round = 0; round < 400; ++round) {
        const int n = 1 + static_cast<int>(random() % 60);
        // Odd rounds: a small integer lattice, full of ties and collinear points.
        const bool lattice = round % 2 == 1;
        Points points;
        for (int i = 0; i < n; ++i)
            if (lattice)
                points.emplace_back(random() % 8, random() % 8);
            else
                points.emplace_back(coordinate(random), coordinate(random));
        const std::vector<int> marked = Marked(points);
        std::set<std::pair<double, double>> got;
        for (int i : marked)
            got.insert(points[static_cast<std::size_t>(i)]);
        EXPECT_EQ(got.size(), marked.size()) << "a coordinate marked twice, round " << round;
        const auto reference = ReferenceVertices(points);
        if (lattice) {
            // A tie for the farthest point may mark a point inside a hull edge
            // parallel to its parent edge; no true vertex is ever missed.
            EXPECT_TRUE(std::includes(got.begin(), got.end(), reference.begin(), reference.end())) << "round " << round;
        } else {
            EXPECT_EQ(got, reference) << "round " << round;
        }
    }
}

TEST(QH_unit, ConvexCurveOfManyPointsIsAllHull)
{
    // y = i^2 is exact in doubles: every point is a vertex of the lower chain.
    const int n = 20001;
    Points points;
    for (int i = 0; i < n; ++i)
        points.emplace_back(i, static_cast<double>(i) * i);
    EXPECT_EQ(Marked(points).size(), static_cast<std::size_t>(n));
}

TEST(QH_unit, HelpersFollowTheirDefinitions)
{
    TQhUnit hull;
    hull.SetCount(4);
    hull.QhX = {1, 0, 1, 0};
    hull.QhY = {0, 0, 1, 1};
    EXPECT_EQ(hull.QhList, (solvane::T_PT{0, 1, 2, 3}));
    hull.QuickHull();
    EXPECT_DOUBLE_EQ(hull.Cross(1, 0, 2), 1); // counter-clockwise, twice the area
    EXPECT_DOUBLE_EQ(hull.Cross(1, 2, 0), -1);
    EXPECT_TRUE(hull.IsLeft(1, 0, 2));
    EXPECT_FALSE(hull.IsLeft(0, 1, 2));
    EXPECT_EQ(hull.FindExtremes(), std::make_pair(1, 0)); // ties in X keep the earlier index
}

TEST(QH_unit, ListWithoutAnEndReportsAndSkips)
{
    // QhList lacking the rightmost point: the upper set overflows its room.
    TQhUnit hull;
    hull.SetCount(4);
    hull.QhX = {0, 1, 2, 3};
    hull.QhY = {0, 5, 5, 0};
    hull.QhList = {0, 1, 2, 2};
    std::vector<std::string> messages;
    hull.OnMessage = [&](const std::string& m) { messages.push_back(m); };
    hull.QuickHull();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], "leftcnt = 4\rpt[3] = 2\rHigh(left) = 3");
}
