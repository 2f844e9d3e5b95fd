#pragma once
// TfmSpecPoints, the window of the nodes and other special points of the last
// run ("Special points coordinates"): the table of the nodes, the list of the
// other special points and, below them, the nodes and points refined beyond the
// grid. It exists from the start, hidden; closing it only hides it.
#include "refine/Refine.h"
#include "calc/RunTypes.h"
#include "diagram/SP_search.h"

#include <QWidget>

#include <string>
#include <vector>

class QListWidget;
class QTableWidget;

namespace solvane {

class TfmSpecPoints : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 524;
    static constexpr int DesignHeight = 640;
    static constexpr int RefinedBoxHeight = 190; // the refined group below the designed window

    explicit TfmSpecPoints(QWidget* parent = nullptr);

    // The table of the nodes: the header row (column 0 " T" when the Y
    // selector shows its first item, " P" otherwise) and one row per node,
    // or one empty row when there are none. Values are written " 0.###".
    void FillTable(const std::vector<TNode>& nodes, bool temperatureFirstItem, char decimalSeparator);
    // The lines (Windows-1251) of the other special points of the last search.
    void SetOtherPoints(const std::vector<std::string>& lines);

    // The refined nodes and points: a row each with its kind, Y, the
    // compositions and the phases. A value the refinement could not trust is
    // the grid's, shown grey with "(сетка)" after its kind.
    void FillRefined(const TRefinement& refinement, bool temperatureFirstItem, char decimalSeparator);

    // The table as a string grid: row 0 is the header; RowCount counts it.
    int RowCount() const;
    QString CellText(int col, int row) const;
    QStringList OtherPoints() const;
    // The refined table as a string grid, its header row 0 included.
    int RefinedRowCount() const;
    QString RefinedText(int col, int row) const;

private:
    QWidget* BuildNodesBox();
    QWidget* BuildRefinedBox();
    QWidget* BuildClosePanel();

    QTableWidget* sgSpecPoints_;
    QTableWidget* sgRefined_;
    QListWidget* ListBox1_;
};

} // namespace solvane
