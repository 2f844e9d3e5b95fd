#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "diagram/SP_search.h"

using solvane::BuildRunList;
using solvane::CellGrid;
using solvane::SearchSpecialPoints;
using solvane::SpecialPointsResult;

namespace {

using Row = std::pair<std::string, std::vector<std::string>>; // Y text, cells

CellGrid MakeGrid(const std::vector<std::string>& xs, const std::vector<Row>& rows)
{
    CellGrid grid;
    grid.SetSize(static_cast<int>(xs.size()) + 1, static_cast<int>(rows.size()) + 1);
    grid.SetCell(0, 0, " Y/X");
    for (std::size_t c = 0; c < xs.size(); ++c)
        grid.SetCell(static_cast<int>(c) + 1, 0, xs[c]);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        grid.SetCell(0, static_cast<int>(r) + 1, rows[r].first);
        for (std::size_t c = 0; c < rows[r].second.size(); ++c)
            grid.SetCell(static_cast<int>(c) + 1, static_cast<int>(r) + 1, rows[r].second[c]);
    }
    return grid;
}

// Nine columns 0, 0.125, ..., 1.
const std::vector<std::string> kX9 = {"0", "0.125", "0.25", "0.375", "0.5", "0.625", "0.75", "0.875", "1"};

std::string Describe(const SpecialPointsResult& r)
{
    std::string s;
    for (const auto& n : r.Nodes)
        s += "node Y=" + std::to_string(n.Y) + " X=" + std::to_string(n.X) + " [" + std::to_string(n.XLeft) + ", " +
             std::to_string(n.XRight) + "]; ";
    for (const auto& line : r.ListLines)
        s += "'" + line + "'; ";
    return s;
}

} // namespace

TEST(SP_search, RunListsAlternatePhasesAndTwoPhaseRuns)
{
    struct Case {
        std::vector<std::string> cells;
        std::string runs; // Text[First-Last] per run
    };
    const std::vector<Case> cases = {
        {{"L", "L", "L"}, "L[1-3]"},
        {{"A", "A", "B"}, "A[1-2] E[3-2] B[3-3]"},
        {{"A", "E", "E", "B"}, "A[1-1] E[2-3] B[4-4]"},
        {{"E", "A", "E"}, "E[1-1] A[2-2] E[3-3]"},
        // no empty run next to point-phase texts
        {{"A", "C0.5", "B"}, "A[1-1] C0.5[2-2] B[3-3]"},
        {{"A", "C", "E"}, "A[1-1] C[2-2] E[3-3]"},
        // texts are compared exactly
        {{"L", "l", "L "}, "L[1-1] E[2-1] l[2-2] E[3-2] L [3-3]"},
    };
    for (const Case& c : cases) {
        const CellGrid grid = MakeGrid(std::vector<std::string>(c.cells.size(), "0"), {{"1", c.cells}});
        std::string got;
        for (const auto& run : BuildRunList(grid, 1))
            got += (got.empty() ? "" : " ") + run.Text + "[" + std::to_string(run.FirstCol) + "-" +
                   std::to_string(run.LastCol) + "]";
        EXPECT_EQ(got, c.runs);
    }
}

TEST(SP_search, NodesAndOtherSpecialPoints)
{
    struct Case {
        const char* what;
        std::vector<Row> rows;
        std::vector<std::string> series; // "x,y" in order added
        std::vector<std::string> lines;
        int nodes;
        int currentCol, currentRow; // 0: unchanged
    };
    const std::vector<Case> cases = {
        {"one data row", {{"900", {"A", "E", "L", "L", "L", "L", "L", "E", "B"}}}, {}, {}, 0, 0, 0},
        {"eutectic: node on the upper row",
         {{"900", {"A", "E", "E", "L", "L", "L", "E", "E", "B"}},
          {"800", {"A", "E", "E", "E", "E", "E", "E", "E", "B"}}},
         {"0,900", "0.5,900", "1,900"}, {}, 1, 0, 0},
        {"phase appearing below: node on the lower row",
         {{"900", {"A", "E", "E", "E", "E", "E", "E", "E", "B"}},
          {"800", {"A", "E", "E", "L", "L", "L", "E", "E", "B"}}},
         {"0,800", "0.5,800", "1,800"}, {}, 1, 0, 0},
        {"equal run counts: the lower row is the reference",
         {{"900", {"A", "E", "E", "E", "B", "B", "E", "C1", "C1"}},
          {"800", {"A", "E", "D", "E", "E", "E", "E", "C1", "C1"}}},
         {"0,800", "0.25,800", "0.875,800"}, {}, 1, 0, 0},
        {"phase at the edge is never a node",
         {{"900", {"L", "L", "L", "E", "E", "E", "E", "E", "B"}},
          {"800", {"E", "E", "E", "E", "E", "E", "E", "E", "B"}}},
         {}, {}, 0, 0, 0},
        {"phase replaced: halfway between the rows",
         {{"900", {"L", "L", "L", "L", "L", "L", "L", "L", "L"}},
          {"800", {"L", "L", "E", "E", "S", "S", "S", "S", "S"}}},
         {"0.5,850"}, {"T(X = 0.5) = 850 "}, 0, 5, 2},
        {"gap opening in the lower row: middle of its E cells",
         {{"900", {"L", "L", "L", "L", "L", "L", "L", "L", "L"}},
          {"800", {"L", "E", "E", "E", "L", "L", "L", "L", "L"}}},
         {"0.25,850"}, {"T(X = 0.25) = 850 "}, 0, 2, 2},
        {"gap closing below: X of its first E column",
         {{"900", {"L", "E", "E", "E", "L", "L", "L", "L", "L"}},
          {"800", {"L", "L", "L", "L", "L", "L", "L", "L", "L"}}},
         {"0.125,850"}, {"T(X = 0.125) = 850 "}, 0, 2, 2},
        {"E cells right of a replaced phase: their middle",
         {{"900", {"L", "L", "L", "L", "L", "L", "L", "L", "L"}},
          {"800", {"L", "L", "L", "L", "L", "S", "E", "E", "L"}}},
         {"0.75,850"}, {"T(X = 0.75) = 850 "}, 0, 6, 2},
        {"an E cell in the last column is not counted",
         {{"900", {"L", "L", "L", "L", "L", "L", "L", "L", "L"}},
          {"800", {"L", "L", "L", "L", "L", "L", "E", "S", "E"}}},
         {"0.875,850"}, {"T(X = 0.875) = 850 "}, 0, 8, 2},
        {"two-phase stretch reaching the last column ends the pair unexamined",
         {{"900", {"L", "L", "L", "L", "L", "L", "L", "L", "L"}},
          {"800", {"L", "L", "L", "L", "L", "L", "E", "E", "E"}}},
         {}, {}, 0, 0, 0},
        {"at X = 0 no averaging",
         {{"900", {"L", "L", "L", "L", "L", "L", "L", "L", "L"}},
          {"800", {"S", "E", "E", "L", "L", "L", "L", "L", "L"}}},
         {"0,850"}, {"T(X = 0) = 850 "}, 0, 1, 2},
        {"point phase: exact column X and lower row Y",
         {{"900", {"L", "L", "L", "L", "L", "L", "L", "L", "L"}},
          {"800", {"L", "L", "L", "L", "C0.5", "L", "L", "L", "L"}}},
         {"0.5,800"}, {"T(X = 0.5) = 800 "}, 0, 5, 2},
        {"letter case is ignored", {{"900", {"l", "l", "l", "l", "l", "l", "l", "l", "l"}}, {"800", std::vector<std::string>(9, "L")}},
         {}, {}, 0, 0, 0},
        {"two nodes in one pair, then the pair ends at the first other point",
         {{"900", {"A", "E", "L", "E", "B", "E", "M", "E", "D"}},
          {"800", {"A", "E", "E", "E", "B", "E", "E", "E", "X"}}},
         {"0,900", "0.25,900", "0.5,900", "0.5,900", "0.75,900", "1,900", "1,850"}, {"T(X = 1) = 850 "}, 2, 9, 2},
        {"nothing after the first other special point of a pair",
         {{"900", {"A", "E", "L", "E", "B", "E", "M", "E", "D"}},
          {"800", {"A", "E", "E", "E", "Z", "E", "E", "E", "D"}}},
         {"0,900", "0.25,900", "0.5,900", "0.6875,850"}, {"T(X = 0.6875) = 850 "}, 1, 5, 2},
        {"current cell: the last other special point of the grid",
         {{"900", {"L", "L", "L", "L", "L", "L", "L", "L", "L"}},
          {"800", {"L", "L", "L", "L", "C0.5", "L", "L", "L", "L"}},
          {"700", {"L", "L", "L", "L", "L", "L", "L", "L", "L"}}},
         {"0.5,800", "0.5,700"}, {"T(X = 0.5) = 800 ", "T(X = 0.5) = 700 "}, 0, 5, 3},
    };
    for (const Case& c : cases) {
        const SpecialPointsResult r = SearchSpecialPoints(MakeGrid(kX9, c.rows), "Temperature");
        std::vector<std::string> series;
        for (const auto& [x, y] : r.SeriesPoints) {
            char text[64];
            std::snprintf(text, sizeof text, "%g,%g", x, y);
            series.emplace_back(text);
        }
        EXPECT_EQ(series, c.series) << c.what << ": " << Describe(r);
        EXPECT_EQ(r.ListLines, c.lines) << c.what;
        EXPECT_EQ(static_cast<int>(r.Nodes.size()), c.nodes) << c.what;
        EXPECT_EQ(r.HasCurrentCell, c.currentCol != 0) << c.what;
        if (r.HasCurrentCell) {
            EXPECT_EQ(std::make_pair(r.CurrentCol, r.CurrentRow), std::make_pair(c.currentCol, c.currentRow)) << c.what;
        }
    }
}

TEST(SP_search, NodeFieldsAndDroppedCandidates)
{
    const std::vector<Row> eutectic = {{"900", {"A", "E", "E", "L", "L", "L", "E", "E", "B"}},
                                       {"800", {"A", "E", "E", "E", "E", "E", "E", "E", "B"}}};
    const auto r = SearchSpecialPoints(MakeGrid(kX9, eutectic), "Temperature");
    ASSERT_EQ(r.Nodes.size(), 1u);
    EXPECT_EQ(r.Nodes[0].Y, 900);
    EXPECT_EQ(r.Nodes[0].XLeft, 0); // last column of the phase two runs to the left
    EXPECT_EQ(r.Nodes[0].X, 0.5); // middle column (4 + 6) div 2 = 5
    EXPECT_EQ(r.Nodes[0].XRight, 1);

    // Outer X values out of order, or header texts that are no numbers.
    std::vector<std::vector<std::string>> headers(4, kX9);
    headers[0][0] = "0.6";   // XLeft > X
    headers[1][4] = "";      // X missing
    headers[2][8] = "abc";   // XRight not a number
    headers[3][4] = "0.5.1"; // X not a number
    for (const auto& xs : headers)
        EXPECT_TRUE(SearchSpecialPoints(MakeGrid(xs, eutectic), "Temperature").Nodes.empty()) << xs[0] << xs[4] << xs[8];

    // Same search twice, same result.
    EXPECT_EQ(Describe(SearchSpecialPoints(MakeGrid(kX9, eutectic), "T")), Describe(r));
}

TEST(SP_search, ListLinesFollowQuantityAndSeparator)
{
    const std::vector<std::string> xs = {"0", "0,25", "0,5", "0,75", "1"};
    const std::vector<Row> rows = {{"1,5", {"L", "L", "L", "L", "L"}}, {"1", {"L", "L", "C0.5", "L", "L"}}};
    EXPECT_EQ(SearchSpecialPoints(MakeGrid(xs, rows), "Pressure", ',').ListLines,
              std::vector<std::string>{"P(X = 0,5) = 1 "});
    const std::vector<Row> phaseChange = {{"1,5", {"L", "L", "L", "L", "L"}}, {"1", {"L", "L", "S", "S", "S"}}};
    EXPECT_EQ(SearchSpecialPoints(MakeGrid(xs, phaseChange), "Y", ',').ListLines,
              std::vector<std::string>{"Y(X = 0,5) = 1,25 "});
    // Headers written with ',' do not read back under '.': the point is not recorded.
    const auto r = SearchSpecialPoints(MakeGrid(xs, phaseChange), "Y", '.');
    EXPECT_TRUE(r.ListLines.empty());
    EXPECT_TRUE(r.SeriesPoints.empty());
    EXPECT_TRUE(r.HasCurrentCell);
}
