#include "calc/PhaseLabel.h"

#include "text/AsciiText.h"

#include <algorithm>

#include <cstdlib>

namespace solvane {
namespace {

const std::string kTwoPhase = "E";

bool RowY(const CellGrid& grid, int row, char separator, double& y)
{
    std::string text = TrimBlanks(grid.Cell(0, row));
    if (separator != '.')
        for (char& c : text)
            if (c == separator)
                c = '.';
    char* end = nullptr;
    y = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

} // namespace

std::optional<std::string> PhaseLabelAt(const CellGrid& grid, const std::vector<double>& columnX, double x, double y,
                                        char decimalSeparator)
{
    const int lastCol = std::min(grid.ColCount() - 1, static_cast<int>(columnX.size()));
    if (lastCol < 1 || x > columnX[static_cast<std::size_t>(lastCol) - 1])
        return std::nullopt;
    int col = 1;
    while (col < lastCol && columnX[static_cast<std::size_t>(col) - 1] < x)
        ++col;
    int row = 0;
    for (int r = 1; r < grid.RowCount(); ++r) {
        double rowY = 0;
        if (RowY(grid, r, decimalSeparator, rowY) && rowY <= y) {
            row = r;
            break;
        }
    }
    if (row == 0)
        return std::string();
    const std::string& text = grid.Cell(col, row);
    if (text != kTwoPhase)
        return text;
    int left = col;
    while (left > 1 && grid.Cell(left, row) == kTwoPhase)
        --left;
    int right = col;
    while (right < lastCol && grid.Cell(right, row) == kTwoPhase)
        ++right;
    return grid.Cell(left, row) + "+" + grid.Cell(right, row);
}

} // namespace solvane
