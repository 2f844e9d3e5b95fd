#include "views/ChartEditor.h"

#include "plot/ChartParts.h"
#include "views/ChooserButtons.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include <qcustomplot.h>

using namespace solvane;

namespace {

// A chart like the working chart: a title, a foot and two series with points.
void FillChart(QCustomPlot& chart)
{
    SetChartTitleText(&chart, QStringLiteral("       G"));
    SetChartFoot(&chart, QStringLiteral("x"));
    for (const char* name : {"Liquid", "Solid"}) {
        QCPGraph* graph = chart.addGraph();
        graph->setName(QString::fromLatin1(name));
        graph->setPen(QPen(Qt::darkGreen));
        graph->setData({0, 0.5, 1}, {-1, -3, -2});
    }
    RescaleAutomaticAxes(&chart);
}

// Edits every kind of setting the test checks: the title, the colour of the
// second series and a fixed X range.
void EditSettings(TChartEditor& editor)
{
    editor.findChild<QLineEdit*>(QStringLiteral("titleText"))->setText(QStringLiteral("Энергия Гиббса"));
    editor.findChild<QListWidget*>(QStringLiteral("seriesList"))->setCurrentRow(1);
    editor.findChild<TColorButton*>(QStringLiteral("seriesColor"))->SetColor(Qt::magenta);
    editor.findChild<QListWidget*>(QStringLiteral("seriesList"))->setCurrentRow(0);
    editor.findChild<QCheckBox*>(QStringLiteral("xAutomatic"))->setChecked(false);
    editor.findChild<QLineEdit*>(QStringLiteral("xMinimum"))->setText(QLocale().toString(0.25));
    editor.findChild<QLineEdit*>(QStringLiteral("xMaximum"))->setText(QLocale().toString(0.75));
}

} // namespace

class TestChartEditor : public QObject {
    Q_OBJECT
private slots:
    void OkAppliesTheSettings();
    void CancelChangesNothing();
    void RangeLimitsUngroupedAndAutomaticAsTheOwnerSays();
};

void TestChartEditor::OkAppliesTheSettings()
{
    QCustomPlot chart;
    FillChart(chart);
    TChartEditor editor(&chart);
    QCOMPARE(editor.findChild<QLineEdit*>(QStringLiteral("titleText"))->text(), QStringLiteral("       G"));
    EditSettings(editor);
    editor.accept();

    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(ChartTitleText(&chart), QStringLiteral("Энергия Гиббса"));
    QCOMPARE(chart.graph(1)->pen().color(), QColor(Qt::magenta));
    QCOMPARE(chart.graph(0)->pen().color(), QColor(Qt::darkGreen));
    QVERIFY(!AxisRangeAutomatic(chart.xAxis));
    QCOMPARE(chart.xAxis->range(), QCPRange(0.25, 0.75));
    QVERIFY(AxisRangeAutomatic(chart.yAxis));
    QCOMPARE(ChartFoot(&chart), QStringLiteral("x"));
}

void TestChartEditor::CancelChangesNothing()
{
    QCustomPlot chart;
    FillChart(chart);
    const QCPRange xRange = chart.xAxis->range();
    TChartEditor editor(&chart);
    EditSettings(editor);
    editor.reject();

    QCOMPARE(ChartTitleText(&chart), QStringLiteral("       G"));
    QCOMPARE(chart.graph(1)->pen().color(), QColor(Qt::darkGreen));
    QVERIFY(AxisRangeAutomatic(chart.xAxis));
    QCOMPARE(chart.xAxis->range(), xRange);
}

void TestChartEditor::RangeLimitsUngroupedAndAutomaticAsTheOwnerSays()
{
    struct Case {
        QLocale Locale;
        QString Maximum;
    };
    const Case cases[] = {{QLocale(QLocale::English, QLocale::UnitedStates), "1205.5"},
                          {QLocale(QLocale::Russian, QLocale::Russia), "1205,5"},
                          {QLocale(QLocale::German, QLocale::Germany), "1205,5"}};
    const QLocale before;
    for (const Case& c : cases) {
        QLocale::setDefault(c.Locale);
        QCustomPlot chart;
        FillChart(chart);
        chart.yAxis->setRange(-2500, 1205.5);
        SetAutomaticRange(chart.yAxis, QCPRange(-10, 5)); // the owner's automatic range
        TChartEditor editor(&chart);
        auto* maximum = editor.findChild<QLineEdit*>(QStringLiteral("yMaximum"));
        QCOMPARE(maximum->text(), c.Maximum);
        QCOMPARE(editor.findChild<QLineEdit*>(QStringLiteral("yMinimum"))->text(), QStringLiteral("-2500"));
        // A fixed range read back as shown; automatic again gives the owner's.
        editor.findChild<QCheckBox*>(QStringLiteral("yAutomatic"))->setChecked(false);
        editor.accept();
        QCOMPARE(chart.yAxis->range(), QCPRange(-2500, 1205.5));
        TChartEditor again(&chart);
        again.findChild<QCheckBox*>(QStringLiteral("yAutomatic"))->setChecked(true);
        again.accept();
        QCOMPARE(chart.yAxis->range(), QCPRange(-10, 5));
    }
    QLocale::setDefault(before);
}

QTEST_MAIN(TestChartEditor)
#include "tst_ChartEditor.moc"
