#pragma once
// The table of the grid window: the cell grid model with its fixed row and
// column as headers that stay in sight, every cell drawn by the grid's own
// rules (PaintCell), rows 18 pixels high, range selection, columns that
// the user may resize, no editing.
#include "views/CellGridModel.h"

#include <QHash>
#include <QStaticText>
#include <QTableView>

namespace solvane {

// The colours of one cell: fixed cells (row 0, column 0) in the button face,
// a text with a capital E anywhere red on yellow, any other text plain.
struct TCellColors {
    QColor Fill;
    QColor Text;
};
TCellColors GridCellColors(const QString& text, bool fixed, const QPalette& palette);

class TCellGridView : public QTableView {
    Q_OBJECT
public:
    static constexpr int RowHeight = 18;
    static constexpr int DefaultColWidth = 64;

    explicit TCellGridView(TCellGridModel& model, QWidget* parent = nullptr);

    // Width of grid column `col`; column 0 is the fixed column.
    int ColWidth(int col) const;
    // Every column but column 0 gets `width`.
    void SetDataColWidths(int width);
    // After the model synced: column 0 widens to the longest Y text seen.
    void FitFixedColumn();
    // Makes grid cell (col, row) current and scrolls it into the middle.
    void ShowCell(int col, int row);
    // Pixels from a cell's left edge to its text.
    int TextIndent() const;

    const TCellGridModel& Model() const { return model_; }
    // Draws a cell: its fill, and its text TextIndent pixels from the left
    // and 2 from the top, clipped at the cell's edge when clipText is set.
    // The painter holds the view's font.
    void PaintCell(QPainter& painter, const QRect& cell, const QString& text, bool fixed,
                   const QPalette& palette, bool clipText) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Model rows and columns (0-based) in the area being painted.
    struct TVisibleCells {
        int FirstRow = 0, LastRow = 0, FirstCol = 0, LastCol = 0;
    };
    void PaintCells(QPainter& painter, const TVisibleCells& visible, const QPalette& palette);
    void PaintGridLines(QPainter& painter, const TVisibleCells& visible, const QStyleOptionViewItem& option);

    TCellGridModel& model_;
    int measuredRows_ = 0; // Y texts measured for column 0's width
    int fixedColWidth_ = DefaultColWidth; // it only grows, as a user would widen it
    mutable QHash<QString, QStaticText> layouts_; // the texts as laid out in the view's font
};

} // namespace solvane
