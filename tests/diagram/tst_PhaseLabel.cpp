#include "diagram/PhaseLabel.h"

#include <gtest/gtest.h>

using namespace solvane;

TEST(PhaseLabel, TextOfTheCellUnderTheClick)
{
    // Columns at X 0, 0.25, 0.5, 0.75, 1; rows at Y 400 (a two-phase row) and 300.
    CellGrid grid;
    grid.SetSize(6, 3);
    const char* rows[2][5] = {{"L", "E", "E", "S", "S"}, {"E", "E", "S", "E", "S"}};
    grid.SetCell(0, 1, "400");
    grid.SetCell(0, 2, "300");
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 5; ++c)
            grid.SetCell(c + 1, r + 1, rows[r][c]);
    const std::vector<double> x = {0, 0.25, 0.5, 0.75, 1};
    struct Case {
        double x, y;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {0.3, 450, std::string("L+S")},  // the first row at or below 450 is 400; column 0.5 is "E"
        {0.3, 400, std::string("L+S")},
        {-0.2, 400, std::string("L")},   // left of the first column: column 1
        {0.1, 350, std::string("E+S")},  // no single phase to the left in row 300
        {0.6, 350, std::string("S+S")},
        {1.2, 400, std::nullopt},        // right of the last column: no label
        {0.5, 200, std::string()},       // no row at or below: an empty label
    };
    for (const Case& c : cases)
        EXPECT_EQ(PhaseLabelAt(grid, x, c.x, c.y), c.text) << c.x << " " << c.y;
}

namespace {

// Row r (from 1) at Y = 500 - 100 r.
CellGrid GridOf(const std::vector<std::vector<std::string>>& rows)
{
    CellGrid grid;
    grid.SetSize(static_cast<int>(rows[0].size()) + 1, static_cast<int>(rows.size()) + 1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        grid.SetCell(0, static_cast<int>(r) + 1, std::to_string(400 - 100 * static_cast<int>(r)));
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            grid.SetCell(static_cast<int>(c) + 1, static_cast<int>(r) + 1, rows[r][c]);
    }
    return grid;
}

} // namespace

TEST(PhaseLabel, OneLabelInsideEveryRegion)
{
    const std::vector<double> x = {0, 0.25, 0.5, 0.75, 1, 1.25, 1.5, 1.75, 2, 2.25};
    struct Case {
        const char* what;
        std::vector<std::vector<std::string>> rows;
        std::vector<std::pair<std::string, int>> regions; // text and size, in order of the first cell
    };
    const Case cases[] = {
        {"a two-phase region between two single-phase ones",
         {{"L", "L", "L", "L", "L"}, {"S", "E", "E", "L", "L"}, {"S", "E", "E", "E", "L"}, {"S", "S", "S", "S", "S"}},
         {{"L", 8}, {"S", 7}, {"S+L", 5}}},
        {"a point phase splits the two-phase row; its column is a region",
         {{"L", "L", "L", "L", "L"}, {"SA", "E", "C0.5", "E", "SB"}},
         {{"L", 5}, {"SA", 1}, {"SA+C0.5", 1}, {"C0.5", 1}, {"C0.5+SB", 1}, {"SB", 1}}},
        {"two-phase cells without a phase on one side, and cells of no phase, get no label",
         {{"E", "E", "L", "L", "L"}, {"E", "E", "E", "E", "E"}},
         {{"L", 3}}},
        {"a slanting band of two-phase cells is one region",
         {{"L", "L", "L", "E", "S"}, {"L", "L", "E", "S", "S"}, {"L", "E", "S", "S", "S"}},
         {{"L", 6}, {"L+S", 3}, {"S", 6}}},
        {"a piece cut off a band by the grid gets no label; a small region far away keeps it",
         {{"L", "E", "E", "E", "E", "E", "E", "S"},
          {"L", "E", "E", "E", "E", "E", "E", "S"},
          {"L", "L", "L", "L", "L", "L", "L", "L"},
          {"L", "L", "L", "E", "S", "S", "S", "S"},
          {"L", "L", "L", "L", "L", "L", "L", "L"},
          {"L", "L", "L", "L", "L", "L", "L", "L"},
          {"L", "L", "L", "L", "L", "L", "L", "L"},
          {"L", "L", "L", "L", "L", "L", "E", "S"}},
         {{"L", 43}, {"L+S", 12}, {"S", 2}, {"S", 4}, {"L+S", 1}, {"S", 1}}},
        {"a chain of pieces, each within reach of the next, is one region",
         {{"L", "E", "E", "E", "E", "E", "E", "E", "E", "S"},
          {"L", "E", "E", "E", "E", "E", "E", "E", "E", "S"},
          {"L", "L", "L", "L", "L", "L", "L", "L", "L", "L"},
          {"L", "L", "L", "L", "L", "L", "E", "S", "S", "S"},
          {"L", "L", "L", "L", "L", "L", "L", "L", "L", "L"},
          {"L", "L", "L", "L", "L", "L", "L", "L", "L", "L"},
          {"L", "L", "L", "L", "L", "L", "L", "L", "E", "S"}},
         {{"L", 46}, {"L+S", 16}, {"S", 2}, {"S", 3}, {"S", 1}}},
        {"one text in two separate places is two regions",
         {{"L", "S", "L", "S", "L"}},
         {{"L", 1}, {"S", 1}, {"L", 1}, {"S", 1}, {"L", 1}}},
    };
    for (const Case& c : cases) {
        const CellGrid grid = GridOf(c.rows);
        const std::vector<TRegionLabel> labels = RegionLabels(grid, x, 40, 10);
        ASSERT_EQ(labels.size(), c.regions.size()) << c.what;
        for (std::size_t k = 0; k < labels.size(); ++k) {
            EXPECT_EQ(labels[k].Text, c.regions[k].first) << c.what;
            EXPECT_EQ(labels[k].Cells, c.regions[k].second) << c.what;
            // A click on the label's place reads the same, except where the click's own rule says "E".
            const std::string clicked = *PhaseLabelAt(grid, x, labels[k].X, labels[k].Y);
            if (clicked.find('E') == std::string::npos) {
                EXPECT_EQ(clicked, labels[k].Text) << c.what;
            }
        }
    }
}

TEST(PhaseLabel, RegionLabelSitsInTheMiddleOfItsRegion)
{
    // A square region of one phase inside a frame of another: its label goes to
    // the middle cell, whichever way the cells are stretched on the screen.
    std::vector<std::vector<std::string>> rows(7, std::vector<std::string>(7, "S"));
    for (int r = 1; r < 6; ++r)
        for (int c = 1; c < 6; ++c)
// GCC 12 sees an overlap in assigning a literal to a std::string where there is none (GCC bug 105651).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
            rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = "L";
#pragma GCC diagnostic pop
    const CellGrid grid = GridOf(rows);
    const std::vector<double> x = {0, 1, 2, 3, 4, 5, 6};
    for (const auto& [w, h] : {std::pair{10.0, 10.0}, {40.0, 5.0}, {3.0, 30.0}}) {
        const auto labels = RegionLabels(grid, x, w, h);
        ASSERT_EQ(labels.size(), 2u);
        EXPECT_EQ(labels[1].Text, "L");
        EXPECT_EQ(labels[1].X, 3) << w << "x" << h;
        EXPECT_EQ(labels[1].Y, 100) << w << "x" << h;
    }
    EXPECT_TRUE(RegionLabels(CellGrid(), x, 1, 1).empty());
}

TEST(PhaseLabel, RegionPartlyOnViewIsLabelledInThePartOnView)
{
    // The middle of the L region lies right of the view, the S row below it: the
    // label of L goes into the part on view.
    const CellGrid grid = GridOf({{"L", "L", "L", "L", "L", "L", "L"}, {"S", "S", "S", "S", "S", "S", "S"}});
    const std::vector<double> x = {0, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(RegionLabels(grid, x, 10, 10)[0].X, 3);
    const auto labels = RegionLabels(grid, x, 10, 10, '.', {0, 2, 350, 450}); // the row at 400 only
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].Text, "L");
    EXPECT_EQ(labels[0].X, 1);
    EXPECT_EQ(labels[0].Cells, 3);
}
