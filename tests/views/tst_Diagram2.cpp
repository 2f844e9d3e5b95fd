#include "views/Diagram2.h"

#include "calc/Run.h"
#include "text/NumberFormat.h"
#include "plot/ChartParts.h"
#include "plot/DiagramLabel.h"
#include "views/WindowPlacement.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

#include "EutecticRun.h"

using namespace solvane;

namespace {

using test::RunEutectic;

QPushButton* Button(const TfmDiagram2& diagram, const QString& text)
{
    for (QPushButton* b : diagram.findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

int VisiblePlottables(QCustomPlot* chart)
{
    int visible = 0;
    for (int k = 0; k < chart->plottableCount(); ++k)
        visible += chart->plottable(k)->visible() ? 1 : 0;
    return visible;
}

QPoint PixelOf(const TfmDiagram2& diagram, double x, double y)
{
    return QPoint(qRound(diagram.Chart()->xAxis->coordToPixel(x)), qRound(diagram.Chart()->yAxis->coordToPixel(y)));
}

} // namespace

class TestDiagram2 : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir_.isValid()); }
    void BuildShowsPointsNodesAndTitles();
    void ReadoutAndLabels();
    void ZoomRemovesLabelsAndShowsRestore();
    void AutomaticRangeIsTheRunsClearOfEveryMarker();
    void OpensBesideItsOwnerOnTheScreen();
    void ChartSettingsRoundTripAndDamagedFile();
    void RefinedLinesAndMarkers();
    void EveryRegionLabelledAtOnce();
    void LaterRunLeavesTheBuiltDiagramAlone();

private:
    QTemporaryDir dir_;
};

void TestDiagram2::BuildShowsPointsNodesAndTitles()
{
    TRun run;
    RunEutectic(run);
    TfmDiagram2 diagram(dir_.filePath("Chart.cfg"));
    const SpecialPointsResult& found = diagram.Build(run, "Temperature").Special;
    QCustomPlot* chart = diagram.Chart();
    QVERIFY(diagram.isVisible());
    QCOMPARE(chart->graph(0)->name(), QString("Ordinary points"));
    QCOMPARE(chart->graph(1)->name(), QString("Special points"));
    QCOMPARE(chart->graph(0)->dataCount(), run.Results().ZHigh + 1);
    QCOMPARE(chart->graph(1)->dataCount(), static_cast<int>(found.SeriesPoints.size()));
    // One node, the eutectic, as a line series with two points; nothing else shown.
    QCOMPARE(found.Nodes.size(), std::size_t(1));
    QCOMPARE(VisiblePlottables(chart), 3);
    const double nodeY = found.Nodes[0].Y;
    QCOMPARE(chart->graph(2)->name(), QString("Node at %1K").arg(nodeY));
    QCOMPARE(chart->graph(2)->dataCount(), 2);
    QVERIFY(!chart->legend->visible());
    QCOMPARE(ChartTitleText(chart), QString("T, K"));
    // No X caption in the script: the built-in foot.
    QCOMPARE(ChartFoot(chart), QString("Мольная доля (X) компонента B в системе A-B"));
}

void TestDiagram2::ReadoutAndLabels()
{
    TRun run;
    RunEutectic(run);
    TfmDiagram2 diagram(dir_.filePath("Chart.cfg"));
    diagram.Build(run, "Temperature");
    QCOMPARE(diagram.ReadoutAt(QPoint(-5, -5)), QString());
    // The pixel's own value, within a pixel of where it was aimed (the scale depends on the fonts).
    const QString readout = diagram.ReadoutAt(PixelOf(diagram, 0.5, 650));
    static const QRegularExpression form(QStringLiteral("^X = (\\d\\.\\d+E-001)     T, K = (\\d+\\.?\\d*)"));
    const QRegularExpressionMatch read = form.match(readout);
    QVERIFY2(read.hasMatch(), qPrintable(readout));
    QVERIFY2(std::fabs(read.captured(1).toDouble() - 0.5) < 0.01 && std::fabs(read.captured(2).toDouble() - 650) < 5,
             qPrintable(readout));

    // A click at 500 K between the liquid and a solid lands in a two-phase cell.
    TDiagramLabel* twoPhase = diagram.PlaceLabel(PixelOf(diagram, 0.05, 500));
    QVERIFY(twoPhase);
    QCOMPARE(twoPhase->text(), QString("SA+L"));
    QCOMPARE(twoPhase->pos(), PixelOf(diagram, 0.05, 500));
    // Left of the first column: the text of column 1.
    TDiagramLabel* left = diagram.PlaceLabel(PixelOf(diagram, -0.02, 700));
    QVERIFY(left);
    QCOMPARE(left->text(), QString("L"));
    QVERIFY(!diagram.PlaceLabel(PixelOf(diagram, 1.05, 700))); // right of the last column
    QCOMPARE(diagram.Labels().size(), 2);
}

void TestDiagram2::ZoomRemovesLabelsAndShowsRestore()
{
    TRun run;
    RunEutectic(run);
    TfmDiagram2 diagram(dir_.filePath("Chart.cfg"));
    diagram.Build(run, "Temperature");
    QPushButton* undo = Button(diagram, "Восстановить масштаб");
    QVERIFY(undo);
    QVERIFY(!undo->isVisible());
    const QCPRange before = diagram.Chart()->xAxis->range();
    diagram.PlaceLabel(PixelOf(diagram, 0.5, 700));
    QCOMPARE(diagram.Labels().size(), 1);

    // A left drag towards the lower right zooms.
    QWidget* chart = diagram.Chart();
    const QPoint from = PixelOf(diagram, 0.2, 700), to = PixelOf(diagram, 0.6, 400);
    QTest::mousePress(chart, Qt::LeftButton, {}, from);
    QTest::mouseMove(chart, to);
    QTest::mouseRelease(chart, Qt::LeftButton, {}, to);
    QVERIFY(undo->isVisible());
    QVERIFY(diagram.Labels().isEmpty());
    // Zoomed, with the read-out showing, the window still fits its designed width.
    QTest::mouseMove(chart, PixelOf(diagram, 0.4, 500));
    QVERIFY(diagram.minimumSizeHint().width() <= TfmDiagram2::DesignWidth);
    QVERIFY(diagram.Chart()->xAxis->range().size() < before.size());
    // A release that ends a drag placed no label; undoing restores the range.
    undo->click();
    QVERIFY(!undo->isVisible());
    QCOMPARE(diagram.Chart()->xAxis->range().lower, before.lower);
    QCOMPARE(diagram.Chart()->xAxis->range().upper, before.upper);
}

void TestDiagram2::AutomaticRangeIsTheRunsClearOfEveryMarker()
{
    TRun run;
    RunEutectic(run);
    TfmDiagram2 diagram(dir_.filePath("Chart.cfg"));
    diagram.resize(TfmDiagram2::DesignWidth, TfmDiagram2::DesignHeight);
    diagram.Build(run, "Temperature");
    diagram.ShowRefined(true); // the largest markers, which never move the axes
    QCustomPlot* chart = diagram.Chart();
    const QCPRange x = chart->xAxis->range(), y = chart->yAxis->range();
    // The run's whole range (the liquid above the highest boundary point and
    // the melting points at the ends included), with a small margin.
    const TRunResult& results = run.Results();
    QVERIFY(x.lower < results.Xmin && x.upper > results.Xmax && x.size() < 1.1 * (results.Xmax - results.Xmin));
    QVERIFY(y.lower < results.Ymin && y.upper > results.Ymax && y.size() < 1.1 * (results.Ymax - results.Ymin));
    // Every marker whole inside the frame, with a pixel to spare.
    const QRect plot = chart->axisRect()->rect();
    for (int k = 0; k < chart->graphCount(); ++k) {
        const QCPGraph* graph = chart->graph(k);
        const int room = qCeil(graph->scatterStyle().size() / 2) + 1;
        for (const QCPGraphData& point : *graph->data()) {
            const QPoint at = PixelOf(diagram, point.key, point.value);
            QVERIFY2(plot.adjusted(room, room, -room, -room).contains(at),
                     qPrintable(QString("%1 at (%2, %3)").arg(graph->name()).arg(point.key).arg(point.value)));
        }
    }
    // Undoing a zoom comes back to it exactly.
    diagram.ZoomTo(QRect(PixelOf(diagram, 0.2, 700), PixelOf(diagram, 0.6, 400)));
    diagram.UndoZoom();
    QCOMPARE(chart->xAxis->range(), x);
    QCOMPARE(chart->yAxis->range(), y);
}

void TestDiagram2::OpensBesideItsOwnerOnTheScreen()
{
    // Frames on a screen 1920 x 1080 (at 0, 0); the window wants 960 x 640, at least 600 x 400.
    struct Case {
        const char* what;
        QRect anchor;
        QRect placed;
    };
    const Case cases[] = {
        {"room on the right", QRect(0, 30, 900, 700), QRect(900, 30, 960, 640)},
        {"room only on the left", QRect(1000, 30, 900, 700), QRect(40, 30, 960, 640)},
        {"narrowed to the room on the right", QRect(100, 0, 1100, 700), QRect(1200, 0, 720, 640)},
        {"no room: narrowest, on the screen, at the right", QRect(300, 0, 1300, 700), QRect(1320, 0, 600, 640)},
        {"kept on the screen below", QRect(0, 900, 900, 100), QRect(900, 440, 960, 640)},
    };
    const QRect screen(0, 0, 1920, 1080);
    for (const Case& c : cases)
        QVERIFY2(BesideRect(c.anchor, QSize(960, 640), QSize(600, 400), screen) == c.placed, c.what);

    // The window itself, at its first build, beside the window that owns it.
    QWidget owner;
    owner.setGeometry(0, 0, 100, 300);
    owner.show();
    TfmDiagram2 diagram(dir_.filePath("Chart.cfg"), &owner);
    TRun run;
    RunEutectic(run);
    diagram.Build(run, "Temperature");
    QVERIFY(!diagram.frameGeometry().intersects(owner.frameGeometry()));
    QVERIFY(owner.screen()->availableGeometry().contains(diagram.frameGeometry()));
}

void TestDiagram2::ChartSettingsRoundTripAndDamagedFile()
{
    const QString path = dir_.filePath("Chart.cfg");
    {
        TfmDiagram2 diagram(path);
        SetChartFoot(diagram.Chart(), "edited foot");
        QFont font("Arial", 17);
        diagram.Chart()->xAxis->setLabelFont(font);
        // What the editor would leave behind: DefaultFootText follows the foot.
        SetChartFoot(diagram.Chart(), "edited foot");
        QVERIFY(diagram.SaveSettings().isEmpty());
    }
    {
        TfmDiagram2 diagram(path);
        // Saving writes DefaultFootText back into the foot: the built-in text,
        // since the editor was not used.
        QCOMPARE(diagram.DefaultFootText(), QString("Мольная доля (X) компонента B в системе A-B"));
        QCOMPARE(diagram.Chart()->xAxis->labelFont().pointSize(), 17);
    }
    for (const QByteArray& damaged : {QByteArray("{not json"), QByteArray("{\"format\":\"other\"}"), QByteArray()}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damaged);
        file.close();
        TfmDiagram2 diagram(path); // defaults, no crash
        QCOMPARE(diagram.DefaultFootText(), QString("Мольная доля (X) компонента B в системе A-B"));
    }
}

void TestDiagram2::RefinedLinesAndMarkers()
{
    TRun run;
    RunEutectic(run);
    TfmDiagram2 diagram(dir_.filePath("Chart.cfg"));
    diagram.Build(run, "Temperature");
    QCustomPlot* chart = diagram.Chart();
    // Off at first: the diagram is the ordinary one.
    QVERIFY(!diagram.RefinedShown());
    QCOMPARE(VisiblePlottables(chart), 3);

    QCheckBox* box = diagram.findChild<QCheckBox*>();
    QVERIFY(box);
    QCOMPARE(box->text(), QString("Уточнённые границы"));
    box->click();
    QVERIFY(diagram.RefinedShown());
    const TRefinement& refinement = diagram.Refinement();
    QCOMPARE(refinement.Nodes.size(), std::size_t(1));
    QVERIFY(refinement.Nodes[0].Refined);
    // A line per branch, the markers, and the refined eutectic's line.
    QCOMPARE(VisiblePlottables(chart), 3 + static_cast<int>(refinement.Branches.size()) + 2);
    QCPGraph* markers = nullptr;
    for (int k = 0; k < chart->graphCount(); ++k)
        if (chart->graph(k)->name() == "Refined points")
            markers = chart->graph(k);
    QVERIFY(markers);
    QCOMPARE(markers->dataCount(), 3 + static_cast<int>(refinement.Points.size()));
    box->click();
    QCOMPARE(VisiblePlottables(chart), 3);

    // A new build keeps the choice and draws the new refinement, and the
    // refined lines never move the axes.
    const QCPRange yRange = chart->yAxis->range();
    diagram.ShowRefined(true);
    diagram.Build(run, "Temperature");
    QVERIFY(diagram.RefinedShown());
    QCOMPARE(VisiblePlottables(chart), 3 + static_cast<int>(diagram.Refinement().Branches.size()) + 2);
    QCOMPARE(chart->yAxis->range().lower, yRange.lower);
    QCOMPARE(chart->yAxis->range().upper, yRange.upper);

    // The CSV export holds the refined rows.
    const QString csv = dir_.filePath("d.csv");
    QCOMPARE(diagram.ExportCsv(csv), QString());
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\nrefined_node,480.97"));
}

void TestDiagram2::EveryRegionLabelledAtOnce()
{
    TRun run;
    RunEutectic(run);
    TfmDiagram2 diagram(dir_.filePath("Chart.cfg"));
    diagram.resize(TfmDiagram2::DesignWidth, TfmDiagram2::DesignHeight);
    diagram.Build(run, "Temperature");
    QPushButton* button = Button(diagram, "Подписать области");
    QVERIFY(button);
    diagram.PlaceLabel(PixelOf(diagram, 0.5, 700)); // the user's own label stays
    button->click();
    QStringList texts;
    const QRect plot = diagram.Chart()->axisRect()->rect();
    for (TDiagramLabel* label : diagram.Labels()) {
        if (!label->Automatic())
            continue;
        texts << label->text();
        QVERIFY(plot.adjusted(3, 3, -3, -3).contains(label->geometry())); // clear of the frame
        // Where the label sits, a click names the same region; a region that
        // is one column on the edge of the range gets its label beside it.
        if (label->x() == plot.left() + 3 || label->geometry().right() == plot.right() - 3)
            continue;
        TDiagramLabel* clicked = diagram.PlaceLabel(label->geometry().center());
        QCOMPARE(clicked->text(), label->text());
        delete clicked;
    }
    texts.sort();
    QCOMPARE(texts, (QStringList{"L", "L+SB", "SA", "SA+L", "SA+SB", "SB"}));
    // A second press replaces its own labels, not those the user moved or edited.
    TDiagramLabel* moved = diagram.Labels().last();
    const QPoint grip(2, 2), drop = PixelOf(diagram, 0.5, 400);
    QTest::mousePress(moved, Qt::LeftButton, {}, grip);
    QTest::mouseMove(moved, grip + QPoint(5, 5));
    QTest::mouseRelease(moved, Qt::LeftButton, {}, moved->mapFrom(diagram.Chart(), drop));
    QVERIFY(!moved->Automatic());
    QCOMPARE(moved->pos(), drop);
    QCOMPARE(diagram.LabelRegions(), 6);
    QCOMPARE(diagram.Labels().size(), 1 + 1 + 6);
    QVERIFY(diagram.Labels().contains(moved));
}

void TestDiagram2::LaterRunLeavesTheBuiltDiagramAlone()
{
    // Export and region labels follow the diagram on view, not a run made since.
    TRun run;
    RunEutectic(run);
    TfmDiagram2 diagram(dir_.filePath("Chart.cfg"));
    diagram.Build(run, "Temperature");
    const int points = diagram.Chart()->graph(0)->dataCount();
    run.Input.Problem.XPoints = 20;
    run.Input.Problem.Functs = "GL = -T*Sid\n";
    QCOMPARE(run.Run().End, TRunEnd::Completed);
    QCOMPARE(diagram.LabelRegions(), 6);
    const QString csv = dir_.filePath("later.csv");
    QCOMPARE(diagram.ExportCsv(csv), QString());
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count("\nboundary,"), points);
}

QTEST_MAIN(TestDiagram2)
#include "tst_Diagram2.moc"
