#include "diagram/PhaseLabel.h"

#include "expr/AsciiText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <unordered_map>

namespace solvane {
namespace {

const std::string kTwoPhase = "E";
// A region of a tenth of the size of its text's largest, or less, joins the
// regions of its text no more than three cells away.
constexpr int kPieceFraction = 10;
constexpr int kPieceReach = 3;

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

// Ids of the region texts, one per distinct text; -1 for a cell of no region.
class TRegionTexts {
public:
    int Id(const std::string& text)
    {
        if (text.empty())
            return -1;
        const auto [at, added] = ids_.try_emplace(text, static_cast<int>(texts_.size()));
        if (added)
            texts_.push_back(text);
        return at->second;
    }
    const std::string& Text(int id) const { return texts_[static_cast<std::size_t>(id)]; }

private:
    std::unordered_map<std::string, int> ids_;
    std::vector<std::string> texts_;
};

// The phases either side of a two-phase run, joined by "+"; nothing when a
// side has no phase (the edge of the range, an empty cell), since then the
// run's second phase is not known.
std::string TwoPhaseName(const std::string& left, const std::string& right)
{
    if (left.empty() || right.empty())
        return {};
    return left + "+" + right;
}

// One int per cell of the grid on view, row by row from the top; -1 for none.
struct TCellMap {
    int width = 0, height = 0;
    std::vector<int> cells;

    TCellMap(int w, int h) : width(w), height(h), cells(static_cast<std::size_t>(w) * h, -1) {}
    bool Holds(int c, int i) const { return c >= 0 && c < width && i >= 0 && i < height; }
    int& operator()(int c, int i) { return cells[static_cast<std::size_t>(i) * width + c]; }
    int operator()(int c, int i) const { return cells[static_cast<std::size_t>(i) * width + c]; }
};

// Each cell's region text as an id of texts; none off the view.
TCellMap TextsOnView(const CellGrid& grid, const std::vector<double>& columnX,
                     const std::vector<std::pair<int, double>>& rows, const TRegionView& view, TRegionTexts& texts)
{
    TCellMap text(static_cast<int>(columnX.size()), static_cast<int>(rows.size()));
    for (int i = 0; i < text.height; ++i) {
        const auto [r, y] = rows[static_cast<std::size_t>(i)];
        for (int c = 0; c < text.width;) {
            const std::string& cell = grid.Cell(c + 1, r);
            if (cell != kTwoPhase) {
                text(c, i) = texts.Id(cell);
                ++c;
                continue;
            }
            int end = c;
            while (end + 1 < text.width && grid.Cell(end + 2, r) == kTwoPhase)
                ++end;
            const int run = texts.Id(TwoPhaseName(c > 0 ? grid.Cell(c, r) : std::string(),
                                                  end + 1 < text.width ? grid.Cell(end + 2, r) : std::string()));
            for (; c <= end; ++c)
                text(c, i) = run;
        }
        for (int c = 0; c < text.width; ++c) {
            const double x = columnX[static_cast<std::size_t>(c)];
            if (!(x >= view.XLow && x <= view.XHigh && y >= view.YLow && y <= view.YHigh))
                text(c, i) = -1;
        }
    }
    return text;
}

// Regions: cells of one text joined through their sides and corners (a thin
// slanting band of two-phase cells is one region, though its cells meet only
// at their corners). regionText receives each region's text.
TCellMap JoinRegions(const TCellMap& text, std::vector<int>& regionText)
{
    TCellMap region(text.width, text.height);
    for (int i = 0; i < text.height; ++i)
        for (int c = 0; c < text.width; ++c) {
            if (text(c, i) < 0 || region(c, i) >= 0)
                continue;
            const int number = static_cast<int>(regionText.size());
            regionText.push_back(text(c, i));
            std::vector<std::pair<int, int>> open{{c, i}};
            region(c, i) = number;
            while (!open.empty()) {
                const auto [oc, oi] = open.back();
                open.pop_back();
                for (int ni = oi - 1; ni <= oi + 1; ++ni)
                    for (int nc = oc - 1; nc <= oc + 1; ++nc)
                        if (region.Holds(nc, ni) && region(nc, ni) < 0 && text(nc, ni) == text(c, i)) {
                            region(nc, ni) = number;
                            open.emplace_back(nc, ni);
                        }
            }
        }
    return region;
}

// Each cell's distance to its region's border in screen units (a cell is wx
// wide and wy high), by two chamfer passes.
std::vector<double> DepthInRegion(const TCellMap& region, double wx, double wy)
{
    const auto same = [&](int c, int i, int nc, int ni) {
        return region.Holds(nc, ni) && region(nc, ni) == region(c, i);
    };
    const auto at = [&region](int c, int i) { return static_cast<std::size_t>(i) * region.width + c; };
    std::vector<double> depth(region.cells.size(), std::numeric_limits<double>::infinity());
    for (int i = 0; i < region.height; ++i)
        for (int c = 0; c < region.width; ++c) {
            double& d = depth[at(c, i)];
            if (!same(c, i, c - 1, i) || !same(c, i, c + 1, i))
                d = std::min(d, wx / 2);
            if (!same(c, i, c, i - 1) || !same(c, i, c, i + 1))
                d = std::min(d, wy / 2);
        }
    const double wd = std::hypot(wx, wy);
    const struct {
        int dc, di;
        double w;
    } before[] = {{-1, -1, wd}, {0, -1, wy}, {1, -1, wd}, {-1, 0, wx}};
    for (int i = 0; i < region.height; ++i)
        for (int c = 0; c < region.width; ++c)
            for (const auto& n : before)
                if (same(c, i, c + n.dc, i + n.di))
                    depth[at(c, i)] = std::min(depth[at(c, i)], depth[at(c + n.dc, i + n.di)] + n.w);
    for (int i = region.height - 1; i >= 0; --i)
        for (int c = region.width - 1; c >= 0; --c)
            for (const auto& n : before)
                if (same(c, i, c - n.dc, i - n.di))
                    depth[at(c, i)] = std::min(depth[at(c, i)], depth[at(c - n.dc, i - n.di)] + n.w);
    return depth;
}

// The cell of each region where its label goes: of its deepest cells (within
// half a cell of the deepest), the one nearest their middle.
std::vector<std::size_t> LabelCells(const TCellMap& region, const std::vector<double>& depth, std::size_t count,
                                    double wx, double wy)
{
    const std::size_t width = static_cast<std::size_t>(region.width);
    std::vector<double> deepest(count, 0);
    for (std::size_t k = 0; k < depth.size(); ++k)
        if (region.cells[k] >= 0)
            deepest[static_cast<std::size_t>(region.cells[k])] =
                std::max(deepest[static_cast<std::size_t>(region.cells[k])], depth[k]);
    const double slack = std::min(wx, wy) / 2;
    const auto deep = [&](std::size_t k) {
        return region.cells[k] >= 0 && depth[k] >= deepest[static_cast<std::size_t>(region.cells[k])] - slack;
    };
    std::vector<double> sumC(count, 0), sumI(count, 0), deepCount(count, 0);
    for (std::size_t k = 0; k < depth.size(); ++k)
        if (deep(k)) {
            const auto n = static_cast<std::size_t>(region.cells[k]);
            sumC[n] += static_cast<double>(k % width);
            sumI[n] += static_cast<double>(k / width);
            deepCount[n] += 1;
        }
    std::vector<double> bestDistance(count, std::numeric_limits<double>::infinity());
    std::vector<std::size_t> best(count, 0);
    for (std::size_t k = 0; k < depth.size(); ++k)
        if (deep(k)) {
            const auto n = static_cast<std::size_t>(region.cells[k]);
            const double d = std::hypot((static_cast<double>(k % width) - sumC[n] / deepCount[n]) * wx,
                                        (static_cast<double>(k / width) - sumI[n] / deepCount[n]) * wy);
            if (d < bestDistance[n]) {
                bestDistance[n] = d;
                best[n] = k;
            }
        }
    return best;
}

// Whether each region gets a label. Where a band thinner than the grid falls
// apart, its pieces lie a few cells from each other: a small region (a tenth
// of its text's largest, or less) joins the regions of its text within reach,
// and each such group is labelled once, at its largest region. A small region
// far from others of its text keeps its own label.
std::vector<char> Labelled(const TCellMap& region, const std::vector<int>& regionText, const std::vector<int>& size)
{
    const std::size_t count = regionText.size();
    std::unordered_map<int, int> largest; // text id: its largest region's size
    for (std::size_t n = 0; n < count; ++n)
        largest[regionText[n]] = std::max(largest[regionText[n]], size[n]);
    std::vector<std::size_t> group(count);
    for (std::size_t n = 0; n < count; ++n)
        group[n] = n;
    const auto root = [&group](std::size_t n) {
        while (group[n] != n)
            n = group[n] = group[group[n]];
        return n;
    };
    for (int i = 0; i < region.height; ++i)
        for (int c = 0; c < region.width; ++c) {
            const int n = region(c, i);
            if (n < 0 || size[static_cast<std::size_t>(n)] * kPieceFraction >= largest[regionText[static_cast<std::size_t>(n)]])
                continue;
            for (int ni = i - kPieceReach; ni <= i + kPieceReach; ++ni)
                for (int nc = c - kPieceReach; nc <= c + kPieceReach; ++nc) {
                    const int m = region.Holds(nc, ni) ? region(nc, ni) : -1;
                    if (m >= 0 && regionText[static_cast<std::size_t>(m)] == regionText[static_cast<std::size_t>(n)])
                        group[root(static_cast<std::size_t>(m))] = root(static_cast<std::size_t>(n));
                }
        }
    std::vector<std::size_t> biggest(count, count); // of each group, by its root
    for (std::size_t n = 0; n < count; ++n) {
        std::size_t& b = biggest[root(n)];
        if (b == count || size[n] > size[b])
            b = n;
    }
    std::vector<char> labelled(count);
    for (std::size_t n = 0; n < count; ++n)
        labelled[n] = biggest[root(n)] == n;
    return labelled;
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

CellGrid RegionCells(const CellGrid& grid, const std::vector<double>& columnX, const TRefinement& refinement,
                     char decimalSeparator)
{
    CellGrid cells = grid;
    const auto isPoint = [&](const std::string& name) {
        return std::find(refinement.PointPhases.begin(), refinement.PointPhases.end(), name) !=
               refinement.PointPhases.end();
    };
    // The row of a line's Y, as written with six decimals.
    const auto rowOf = [&](double y) {
        for (int r = 1; r < grid.RowCount(); ++r)
            if (double at = 0; RowY(grid, r, decimalSeparator, at) && std::fabs(at - y) <= 1e-6)
                return r;
        return 0;
    };
    const int width = std::min(grid.ColCount() - 1, static_cast<int>(columnX.size()));
    // The first column at x, as the run marks a point phase's column.
    const auto columnOf = [&](double x) {
        for (int c = 1; c <= width; ++c)
            if (std::fabs(columnX[static_cast<std::size_t>(c) - 1] - x) < 1e-10)
                return c;
        return 0;
    };
    for (const TRefinedBoundary& b : refinement.Boundaries) {
        // Only these ends read otherwise than the grid: the row and column searches are for them alone.
        const auto rewritten = [&](const std::string& name) { return isPoint(name) || !b.Region; };
        if (!rewritten(b.Left) && !rewritten(b.Right))
            continue;
        const int row = rowOf(b.Y);
        for (const auto& [x, name] : {std::pair{b.XLeft, b.Left}, std::pair{b.XRight, b.Right}}) {
            const int col = columnOf(x);
            if (row > 0 && col > 0 && rewritten(name))
                cells.SetCell(col, row, isPoint(name) ? PointPhaseCellText(name) : name);
        }
    }
    return cells;
}

std::vector<TRegionLabel> RegionLabels(const CellGrid& grid, const std::vector<double>& columnX, double cellWidth,
                                       double cellHeight, char decimalSeparator, const TRegionView& view)
{
    const int width = std::max(0, std::min(grid.ColCount() - 1, static_cast<int>(columnX.size())));
    const std::vector<double> columns(columnX.begin(), columnX.begin() + width);
    std::vector<std::pair<int, double>> rows; // the grid row and its Y
    for (int r = 1; r < grid.RowCount(); ++r) {
        double y = 0;
        if (RowY(grid, r, decimalSeparator, y))
            rows.emplace_back(r, y);
    }
    if (width == 0 || rows.empty())
        return {};
    TRegionTexts texts;
    std::vector<int> regionText;
    const TCellMap region = JoinRegions(TextsOnView(grid, columns, rows, view, texts), regionText);
    const double wx = std::isfinite(cellWidth) && cellWidth > 0 ? cellWidth : 1;
    const double wy = std::isfinite(cellHeight) && cellHeight > 0 ? cellHeight : 1;
    const std::size_t count = regionText.size();
    const std::vector<std::size_t> best = LabelCells(region, DepthInRegion(region, wx, wy), count, wx, wy);
    std::vector<int> size(count, 0);
    for (const int n : region.cells)
        if (n >= 0)
            ++size[static_cast<std::size_t>(n)];
    const std::vector<char> labelled = Labelled(region, regionText, size);
    std::vector<TRegionLabel> labels;
    for (std::size_t n = 0; n < count; ++n)
        if (labelled[n])
            labels.push_back({texts.Text(regionText[n]), columns[best[n] % static_cast<std::size_t>(width)],
                              rows[best[n] / static_cast<std::size_t>(width)].second, size[n]});
    return labels;
}

} // namespace solvane
