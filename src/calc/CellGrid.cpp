#include "calc/CellGrid.h"

#include <algorithm>

namespace solvane {

void CellGrid::SetSize(int cols, int rows)
{
    cols = std::max(cols, 0);
    rows = std::max(rows, 0);
    if (cols == cols_) {
        cells_.resize(static_cast<std::size_t>(cols) * rows, 0);
        rows_ = rows;
        return;
    }
    std::vector<std::uint32_t> resized(static_cast<std::size_t>(cols) * rows, 0);
    const int keepCols = std::min(cols, cols_);
    const int keepRows = std::min(rows, rows_);
    for (int r = 0; r < keepRows; ++r)
        std::copy_n(cells_.begin() + static_cast<std::size_t>(r) * cols_, keepCols,
                    resized.begin() + static_cast<std::size_t>(r) * cols);
    cells_.swap(resized);
    cols_ = cols;
    rows_ = rows;
}

void CellGrid::SetColCount(int cols) { SetSize(cols, rows_); }
void CellGrid::SetRowCount(int rows) { SetSize(cols_, rows); }

void CellGrid::Clear()
{
    cols_ = rows_ = 0;
    cells_.clear();
    cells_.shrink_to_fit();
    texts_.assign(1, std::string());
    index_.clear();
    index_.emplace(std::string(), 0);
}

const std::string& CellGrid::Cell(int col, int row) const
{
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_)
        return texts_[0];
    return texts_[cells_[static_cast<std::size_t>(row) * cols_ + col]];
}

CellGrid::TextId CellGrid::CellId(int col, int row) const
{
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_)
        return 0;
    return cells_[static_cast<std::size_t>(row) * cols_ + col];
}

void CellGrid::SetCell(int col, int row, std::string_view text)
{
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_)
        return;
    cells_[static_cast<std::size_t>(row) * cols_ + col] = Intern(text);
}

void CellGrid::SetCellId(int col, int row, TextId id)
{
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_ || id >= texts_.size())
        return;
    cells_[static_cast<std::size_t>(row) * cols_ + col] = id;
}

std::uint32_t CellGrid::Intern(std::string_view text)
{
    auto it = index_.find(std::string(text));
    if (it != index_.end())
        return it->second;
    const auto id = static_cast<std::uint32_t>(texts_.size());
    texts_.emplace_back(text);
    index_.emplace(std::string(text), id);
    return id;
}

std::size_t CellGrid::MemoryBytes() const
{
    std::size_t bytes = cells_.capacity() * sizeof(std::uint32_t);
    for (const auto& t : texts_)
        bytes += t.capacity() + sizeof(std::string) * 2 + 16;
    return bytes;
}

std::string PointPhaseCellText(const std::string& composition) { return std::string("C").append(composition, 0, 6); }

} // namespace solvane
