#include "views/CellGridModel.h"

#include "plot/QtText.h"

#include <algorithm>

namespace solvane {

TCellGridModel::TCellGridModel(const CellGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(&grid)
{
    Sync();
}

void TCellGridModel::SetGrid(const CellGrid& grid)
{
    grid_ = &grid;
    Sync();
}

void TCellGridModel::Sync()
{
    // A new run may have cleared the grid's texts, so ids are converted anew.
    texts_.clear();
    const int rows = std::max(grid_->RowCount() - 1, 0);
    const int cols = std::max(grid_->ColCount() - 1, 0);
    if (cols < cols_) {
        beginRemoveColumns({}, cols, cols_ - 1);
        cols_ = cols;
        endRemoveColumns();
    }
    if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    if (cols > cols_) {
        beginInsertColumns({}, cols_, cols - 1);
        cols_ = cols;
        endInsertColumns();
    }
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }
    // The texts of a new run replace those of the rows that stayed; the view
    // repaints only what it shows.
    if (rows_ > 0 && cols_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1), {Qt::DisplayRole});
    if (cols_ > 0)
        emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
    if (rows_ > 0)
        emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
}

const QString& TCellGridModel::Text(int col, int row) const
{
    const CellGrid::TextId id = grid_->CellId(col, row);
    if (id >= texts_.size()) {
        const std::size_t known = texts_.size();
        texts_.resize(std::max<std::size_t>(grid_->TextCount(), id + 1));
        for (std::size_t k = known; k < texts_.size(); ++k)
            texts_[k] = FromCp1251(grid_->Text(static_cast<CellGrid::TextId>(k)));
    }
    return texts_[id];
}

int TCellGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int TCellGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant TCellGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return Text(index.column() + 1, index.row() + 1);
}

QVariant TCellGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0)
        return {};
    return orientation == Qt::Horizontal ? Text(section + 1, 0) : Text(0, section + 1);
}

Qt::ItemFlags TCellGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace solvane
