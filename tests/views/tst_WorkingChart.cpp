#include "views/WorkingChart.h"

#include "views/ChartParts.h"

#include <QtTest>

#include <cmath>

using namespace solvane;

class TestWorkingChart : public QObject {
    Q_OBJECT
private slots:
    void GFollowsTheHullNotTheSteepestCurve();
};

void TestWorkingChart::GFollowsTheHullNotTheSteepestCurve()
{
    // An ideal liquid at 400 K between two pure solids written with 100000*X
    // terms, as the examples write them: the hull joins the two solids.
    const double rt = 8.31441 * 400;
    std::vector<TChartPoint> liquid, solidA, solidB;
    for (int i = 0; i <= 100; ++i) {
        const double x = i / 100.0;
        const double mixing = x > 0 && x < 1 ? rt * (x * std::log(x) + (1 - x) * std::log(1 - x)) : 0;
        liquid.push_back({x, mixing});
        solidA.push_back({x, -1667 * (1 - x) + 100000 * x});
        solidB.push_back({x, -4857 * x + 100000 * (1 - x)});
    }
    const std::vector<TChartPoint> convex{{1, -4857}, {0, -1667}};
    const std::vector<std::vector<TChartPoint>> phases{liquid, solidA, solidB};

    TWorkingChart chart;
    chart.NewSeries({"L", "SA", "SB", "Convex"}, 0.1);
    chart.SetLine(phases, convex);
    chart.Show();
    const QCPRange g = chart.yAxis->range();
    QVERIFY2(g.lower < -4857 && g.lower > -4857 - 0.1 * (4857 - 1667), qPrintable(QString::number(g.lower)));
    // Room above the highest vertex for the curves to meet it, not up to 100000.
    QVERIFY2(g.upper > -1667 + 0.1 * (4857 - 1667) && g.upper < 0, qPrintable(QString::number(g.upper)));
    QCOMPARE(chart.xAxis->range().lower, 0.0);
    QCOMPARE(chart.xAxis->range().upper, 1.0);

    // A fixed range set in the chart editor stays.
    SetAxisRangeAutomatic(chart.yAxis, false);
    chart.yAxis->setRange(-100, 100);
    chart.SetLine(phases, convex);
    chart.Show();
    QCOMPARE(chart.yAxis->range(), QCPRange(-100, 100));
}

QTEST_MAIN(TestWorkingChart)
#include "tst_WorkingChart.moc"
