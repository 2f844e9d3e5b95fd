#pragma once
// The cell grid of a run as a table model for the grid window. The grid's
// row 0 (the X texts) and column 0 (the Y texts) are the model's header data,
// so the view keeps them in sight while it scrolls; grid cell (col, row) is the
// model's index (row - 1, col - 1).
//
// Each distinct text of the grid becomes a QString once, looked up by the
// grid's text id, so a grid of a million cells costs a handful of strings.
#include "calc/CellGrid.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace solvane {

class TCellGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TCellGridModel(const CellGrid& grid, QObject* parent = nullptr);

    // Another grid (the model follows it as in Sync).
    void SetGrid(const CellGrid& grid);
    // Brings the model to the grid's size and texts. Rows and columns are
    // inserted or removed at the end, never by a reset, so that the view keeps
    // the widths of the columns that stay and gives new ones its default.
    void Sync();

    // The text of a grid cell, header cells included; empty out of range.
    // The reference lasts until the next call.
    const QString& Text(int col, int row) const;
    // Grid coordinates of the model's last row and column as last synced.
    int GridRowCount() const { return rows_ + 1; }
    int GridColCount() const { return cols_ + 1; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const CellGrid* grid_;
    int rows_ = 0; // data rows: the grid's rows but row 0
    int cols_ = 0; // data columns: the grid's columns but column 0
    // QStrings by text id, filled as ids are met; a run may intern texts
    // between two syncs.
    mutable std::vector<QString> texts_;
};

} // namespace solvane
