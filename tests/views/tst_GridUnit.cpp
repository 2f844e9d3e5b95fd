#include "views/CellGridView.h"
#include "views/GridUnit.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QtTest>

using namespace solvane;

namespace {

// A grid of `cols` x `rows` cells with its header texts and every data cell "L".
CellGrid MakeGrid(int cols, int rows)
{
    CellGrid grid;
    grid.SetSize(cols, rows);
    grid.SetCell(0, 0, " Y/X");
    for (int c = 1; c < cols; ++c)
        grid.SetCell(c, 0, std::to_string(c));
    const CellGrid::TextId phase = grid.Intern("L");
    for (int r = 1; r < rows; ++r) {
        grid.SetCell(0, r, std::to_string(1000 - r));
        for (int c = 1; c < cols; ++c)
            grid.SetCellId(c, r, phase);
    }
    return grid;
}

// Where grid cell (col, row) lies in an image of the whole table view.
QRect CellRect(const TCellGridView& view, int col, int row)
{
    const QHeaderView* columns = view.horizontalHeader();
    const QHeaderView* rows = view.verticalHeader();
    const int left = col == 0 ? rows->x() : columns->x() + columns->sectionViewportPosition(col - 1);
    const int top = row == 0 ? columns->y() : rows->y() + rows->sectionViewportPosition(row - 1);
    const int width = col == 0 ? rows->width() : view.columnWidth(col - 1);
    const int height = row == 0 ? columns->height() : view.rowHeight(row - 1);
    return {left, top, width - 1, height - 1}; // without the grid line
}

std::vector<int> Widths(const TfmCells& cells, int count)
{
    std::vector<int> widths;
    for (int c = 0; c < count; ++c)
        widths.push_back(cells.ColWidth(c));
    return widths;
}

} // namespace

class TestCells : public QObject {
    Q_OBJECT
private slots:
    void CellsArePaintedByTheirTexts_data();
    void CellsArePaintedByTheirTexts();
    void NarrowSwitchAndColumnsOfALaterRun();
    void CurrentCellIsScrolledIntoView_data();
    void CurrentCellIsScrolledIntoView();
};

void TestCells::CellsArePaintedByTheirTexts_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fill"); // "button", "base" or "yellow"
    QTest::addColumn<bool>("redText");
    QTest::newRow("two-phase") << 2 << 1 << "E" << "yellow" << true;
    QTest::newRow("E inside a phase name") << 3 << 1 << "LE" << "yellow" << true;
    QTest::newRow("phase") << 1 << 1 << "L" << "base" << false;
    QTest::newRow("point phase") << 1 << 2 << "C0.5" << "base" << false;
    QTest::newRow("header row") << 2 << 0 << "0.5" << "button" << false;
    QTest::newRow("Y column") << 0 << 2 << "700" << "button" << false;
    QTest::newRow("corner") << 0 << 0 << " Y/X" << "button" << false;
}

void TestCells::CellsArePaintedByTheirTexts()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(QString, fill);
    QFETCH(bool, redText);
    CellGrid grid = MakeGrid(4, 3);
    grid.SetCell(0, 2, "700");
    grid.SetCell(2, 0, "0.5");
    grid.SetCell(col, row, text.toStdString());
    TfmCells cells(grid);
    cells.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cells));
    QCOMPARE(cells.windowTitle(), QStringLiteral("Grid representation"));

    TCellGridView& view = *cells.View();
    QCOMPARE(view.rowHeight(0), 18);
    const QImage image = view.grab().toImage();
    const QRect cell = CellRect(view, col, row);
    const QPalette palette = view.palette();
    const QColor expected = fill == "yellow" ? QColor(255, 255, 0)
                          : fill == "base"   ? palette.color(QPalette::Base)
                                             : palette.color(QPalette::Button);
    QCOMPARE(QColor(image.pixel(cell.bottomRight() - QPoint(1, 1))), expected);

    int red = 0, ink = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QColor pixel = image.pixel(x, y);
            red += pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80;
            ink += pixel != expected;
        }
    QVERIFY(ink > 0); // the text is drawn
    QCOMPARE(red > 0, redText);
}

void TestCells::NarrowSwitchAndColumnsOfALaterRun()
{
    CellGrid grid = MakeGrid(5, 3);
    TfmCells cells(grid);
    auto* narrow = cells.findChild<QCheckBox*>(QStringLiteral("chbNarrowCells"));
    QVERIFY(!narrow->isChecked());
    const int fixedWidth = cells.ColWidth(0);

    cells.ShowNarrow();
    QVERIFY(cells.isVisible());
    QVERIFY(narrow->isChecked());
    QCOMPARE(Widths(cells, 5), (std::vector<int>{fixedWidth, 15, 15, 15, 15}));
    cells.View()->setColumnWidth(1, 40); // column 2, widened by hand

    // A later run: two rows fewer, three columns more.
    grid = MakeGrid(8, 2);
    cells.GridChanged();
    QCOMPARE(cells.View()->model()->columnCount(), 7);
    QCOMPARE(Widths(cells, 8), (std::vector<int>{fixedWidth, 15, 40, 15, 15, 64, 64, 64}));

    narrow->click();
    QVERIFY(!narrow->isChecked());
    QCOMPARE(Widths(cells, 8), (std::vector<int>(8, 64)));
    cells.ShowNarrow();
    QCOMPARE(Widths(cells, 3), (std::vector<int>{fixedWidth, 15, 15}));
}

void TestCells::CurrentCellIsScrolledIntoView_data()
{
    QTest::addColumn<bool>("hiddenFirst");
    QTest::newRow("open window") << false;
    QTest::newRow("hidden, shown later") << true;
}

void TestCells::CurrentCellIsScrolledIntoView()
{
    QFETCH(bool, hiddenFirst);
    CellGrid grid = MakeGrid(1001, 1001);
    TfmCells cells(grid);
    if (!hiddenFirst) {
        cells.show();
        QVERIFY(QTest::qWaitForWindowExposed(&cells));
    }
    cells.SetCurrentCell(700, 900);
    if (hiddenFirst) {
        cells.ShowNarrow();
        QVERIFY(QTest::qWaitForWindowExposed(&cells));
    }
    const TCellGridView& view = *cells.View();
    const QModelIndex current = view.currentIndex();
    QCOMPARE(current, view.model()->index(899, 699));
    QVERIFY(view.viewport()->rect().contains(view.visualRect(current)));
}

QTEST_MAIN(TestCells)
#include "tst_GridUnit.moc"
