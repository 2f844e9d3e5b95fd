#include "calc/PhaseLabel.h"

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
