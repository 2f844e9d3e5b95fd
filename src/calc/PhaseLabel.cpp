#include "calc/PhaseLabel.h"

#include "text/AsciiText.h"

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

} // namespace

std::string PointPhaseCellText(const std::string& composition) { return "C" + composition.substr(0, 6); }

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

std::vector<TRegionLabel> RegionLabels(const CellGrid& grid, const std::vector<double>& columnX, double cellWidth,
                                       double cellHeight, char decimalSeparator, const TRegionView& view)
{
    const int width = std::max(0, std::min(grid.ColCount() - 1, static_cast<int>(columnX.size())));
    std::vector<std::pair<int, double>> rows; // the grid row and its Y
    for (int r = 1; r < grid.RowCount(); ++r) {
        double y = 0;
        if (RowY(grid, r, decimalSeparator, y))
            rows.emplace_back(r, y);
    }
    const int height = static_cast<int>(rows.size());
    if (width == 0 || height == 0)
        return {};
    const auto at = [width](int c, int i) { return static_cast<std::size_t>(i) * width + c; }; // c from 0

    // Each cell's region text; none off the view.
    TRegionTexts texts;
    std::vector<int> id(static_cast<std::size_t>(width) * height, -1);
    for (int i = 0; i < height; ++i) {
        const int r = rows[static_cast<std::size_t>(i)].first;
        for (int c = 0; c < width;) {
            const std::string& text = grid.Cell(c + 1, r);
            if (text != kTwoPhase) {
                id[at(c, i)] = texts.Id(text);
                ++c;
                continue;
            }
            int end = c;
            while (end + 1 < width && grid.Cell(end + 2, r) == kTwoPhase)
                ++end;
            const int run = texts.Id(TwoPhaseName(c > 0 ? grid.Cell(c, r) : std::string(),
                                                  end + 1 < width ? grid.Cell(end + 2, r) : std::string()));
            for (; c <= end; ++c)
                id[at(c, i)] = run;
        }
    }

    for (int i = 0; i < height; ++i)
        for (int c = 0; c < width; ++c) {
            const double x = columnX[static_cast<std::size_t>(c)], y = rows[static_cast<std::size_t>(i)].second;
            if (!(x >= view.XLow && x <= view.XHigh && y >= view.YLow && y <= view.YHigh))
                id[at(c, i)] = -1;
        }

    // Regions: cells of one text joined through their sides and corners (a thin
    // slanting band of two-phase cells is one region, though its cells meet
    // only at their corners).
    std::vector<int> region(id.size(), -1);
    std::vector<int> regionText;
    for (int i = 0; i < height; ++i)
        for (int c = 0; c < width; ++c) {
            if (id[at(c, i)] < 0 || region[at(c, i)] >= 0)
                continue;
            const int number = static_cast<int>(regionText.size());
            regionText.push_back(id[at(c, i)]);
            std::vector<std::pair<int, int>> open{{c, i}};
            region[at(c, i)] = number;
            while (!open.empty()) {
                const auto [oc, oi] = open.back();
                open.pop_back();
                const std::pair<int, int> around[] = {{oc - 1, oi - 1}, {oc, oi - 1}, {oc + 1, oi - 1}, {oc - 1, oi},
                                                      {oc + 1, oi},     {oc - 1, oi + 1}, {oc, oi + 1}, {oc + 1, oi + 1}};
                for (const auto& [nc, ni] : around)
                    if (nc >= 0 && nc < width && ni >= 0 && ni < height && region[at(nc, ni)] < 0 &&
                        id[at(nc, ni)] == id[at(c, i)]) {
                        region[at(nc, ni)] = number;
                        open.emplace_back(nc, ni);
                    }
            }
        }

    // Distance of every cell to its region's border, in screen units (two chamfer passes).
    const double wx = std::isfinite(cellWidth) && cellWidth > 0 ? cellWidth : 1;
    const double wy = std::isfinite(cellHeight) && cellHeight > 0 ? cellHeight : 1;
    const double wd = std::hypot(wx, wy);
    const double far = std::numeric_limits<double>::infinity();
    std::vector<double> depth(id.size(), far);
    const auto same = [&](int c, int i, int nc, int ni) {
        return nc >= 0 && nc < width && ni >= 0 && ni < height && region[at(nc, ni)] == region[at(c, i)];
    };
    for (int i = 0; i < height; ++i)
        for (int c = 0; c < width; ++c) {
            double& d = depth[at(c, i)];
            if (!same(c, i, c - 1, i) || !same(c, i, c + 1, i))
                d = std::min(d, wx / 2);
            if (!same(c, i, c, i - 1) || !same(c, i, c, i + 1))
                d = std::min(d, wy / 2);
        }
    const struct {
        int dc, di;
        double w;
    } before[] = {{-1, -1, wd}, {0, -1, wy}, {1, -1, wd}, {-1, 0, wx}};
    for (int i = 0; i < height; ++i)
        for (int c = 0; c < width; ++c)
            for (const auto& n : before)
                if (same(c, i, c + n.dc, i + n.di))
                    depth[at(c, i)] = std::min(depth[at(c, i)], depth[at(c + n.dc, i + n.di)] + n.w);
    for (int i = height - 1; i >= 0; --i)
        for (int c = width - 1; c >= 0; --c)
            for (const auto& n : before)
                if (same(c, i, c - n.dc, i - n.di))
                    depth[at(c, i)] = std::min(depth[at(c, i)], depth[at(c - n.dc, i - n.di)] + n.w);

    // In each region the deepest cells; of those, the one nearest their middle.
    const std::size_t count = regionText.size();
    std::vector<double> deepest(count, 0);
    std::vector<int> cells(count, 0);
    for (std::size_t k = 0; k < id.size(); ++k)
        if (region[k] >= 0) {
            deepest[static_cast<std::size_t>(region[k])] = std::max(deepest[static_cast<std::size_t>(region[k])], depth[k]);
            ++cells[static_cast<std::size_t>(region[k])];
        }
    const double slack = std::min(wx, wy) / 2;
    const auto deep = [&](std::size_t k) { return depth[k] >= deepest[static_cast<std::size_t>(region[k])] - slack; };
    std::vector<double> sumC(count, 0), sumI(count, 0), deepCount(count, 0);
    for (std::size_t k = 0; k < id.size(); ++k)
        if (region[k] >= 0 && deep(k)) {
            const auto n = static_cast<std::size_t>(region[k]);
            sumC[n] += static_cast<double>(k % width);
            sumI[n] += static_cast<double>(k / width);
            deepCount[n] += 1;
        }
    std::vector<double> bestDistance(count, far);
    std::vector<std::size_t> best(count, 0);
    for (std::size_t k = 0; k < id.size(); ++k)
        if (region[k] >= 0 && deep(k)) {
            const auto n = static_cast<std::size_t>(region[k]);
            const double d = std::hypot((static_cast<double>(k % width) - sumC[n] / deepCount[n]) * wx,
                                        (static_cast<double>(k / width) - sumI[n] / deepCount[n]) * wy);
            if (d < bestDistance[n]) {
                bestDistance[n] = d;
                best[n] = k;
            }
        }
    // Where a band thinner than the grid falls apart, its pieces lie a few
    // cells from each other: a small region (a tenth of its text's largest, or
    // less) joins the regions of its text within reach, and each such group is
    // labelled once, at its largest region. A small region far from others of
    // its text keeps its own label.
    std::unordered_map<int, int> largest; // text id: its largest region's size
    for (std::size_t n = 0; n < count; ++n)
        largest[regionText[n]] = std::max(largest[regionText[n]], cells[n]);
    std::vector<std::size_t> group(count);
    for (std::size_t n = 0; n < count; ++n)
        group[n] = n;
    const auto root = [&group](std::size_t n) {
        while (group[n] != n)
            n = group[n] = group[group[n]];
        return n;
    };
    for (int i = 0; i < height; ++i)
        for (int c = 0; c < width; ++c) {
            const int n = region[at(c, i)];
            if (n < 0 || cells[static_cast<std::size_t>(n)] * kPieceFraction >= largest[regionText[static_cast<std::size_t>(n)]])
                continue;
            for (int ni = std::max(0, i - kPieceReach); ni <= std::min(height - 1, i + kPieceReach); ++ni)
                for (int nc = std::max(0, c - kPieceReach); nc <= std::min(width - 1, c + kPieceReach); ++nc) {
                    const int m = region[at(nc, ni)];
                    if (m >= 0 && regionText[static_cast<std::size_t>(m)] == regionText[static_cast<std::size_t>(n)])
                        group[root(static_cast<std::size_t>(m))] = root(static_cast<std::size_t>(n));
                }
        }
    std::vector<std::size_t> biggest(count, count); // of each group, by its root
    for (std::size_t n = 0; n < count; ++n) {
        std::size_t& b = biggest[root(n)];
        if (b == count || cells[n] > cells[b])
            b = n;
    }
    std::vector<TRegionLabel> labels;
    for (std::size_t n = 0; n < count; ++n)
        if (biggest[root(n)] == n)
            labels.push_back({texts.Text(regionText[n]), columnX[best[n] % width], rows[best[n] / width].second,
                              cells[n]});
    return labels;
}

} // namespace solvane
