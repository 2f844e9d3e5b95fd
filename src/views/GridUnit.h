#pragma once
// TfmCells, the window of the cell grid of the last run ("Grid representation").
// It exists from the start, hidden; closing it only hides it. It shows the
// run's grid itself, so it follows a run whenever the owner says the grid
// changed, also while the run proceeds.
#include "calc/CellGrid.h"

#include <QWidget>

class QCheckBox;
class QPushButton;

namespace solvane {

class TCellGridModel;
class TCellGridView;

class TfmCells : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 696;
    static constexpr int DesignHeight = 480;
    static constexpr int NarrowWidth = 15;
    static constexpr int WideWidth = 64;

    // Without a grid the window shows an empty one until SetGrid.
    explicit TfmCells(QWidget* parent = nullptr);
    explicit TfmCells(const CellGrid& grid, QWidget* parent = nullptr);
    ~TfmCells() override;

    // The grid to show; it must outlive the window or the next SetGrid.
    void SetGrid(const CellGrid& grid);

    // "&Grid": switches "Narrow cells" on, narrows the columns and shows the window.
    void ShowNarrow();
    // A run added or replaced rows or columns. Columns that stay keep their
    // width; new ones are WideWidth pixels wide.
    void GridChanged();
    // The special points search's cell: it becomes current and the grid
    // scrolls to it (when the window is next shown, if it is hidden).
    void SetCurrentCell(int col, int row);

    // Width of grid column `col` (column 0 is the fixed column of Y values).
    int ColWidth(int col) const;
    TCellGridView* View() const { return sgCells_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // "Narrow cells" clicked: every column but column 0 NarrowWidth or WideWidth wide.
    void chbNarrowCellsClick();

    TCellGridModel* model_;
    TCellGridView* sgCells_;
    QCheckBox* chbNarrowCells_;
    QPushButton* sbClose_;
    bool scrollPending_ = false; // SetCurrentCell while hidden
    int currentCol_ = 0, currentRow_ = 0;
};

} // namespace solvane
