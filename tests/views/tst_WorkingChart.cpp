#include "views/WorkingChart.h"

#include "plot/ChartParts.h"

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
    // Lines at 400 K, on 101 columns.
    const double rt = 8.31441 * 400;
    const auto curve = [](auto g) {
        std::vector<TChartPoint> points;
        for (int i = 0; i <= 100; ++i)
            points.push_back({i / 100.0, g(i / 100.0)});
        return points;
    };
    const auto mixing = [rt](double x) { return x > 0 && x < 1 ? rt * (x * std::log(x) + (1 - x) * std::log(1 - x)) : 0; };
    struct Case {
        const char* what;
        std::vector<std::vector<TChartPoint>> phases;
        std::vector<TChartPoint> convex;
        double lowest, highest; // of the hull
        double top;             // of the flattest curve, to be shown whole
    };
    const Case cases[] = {
        // An ideal liquid between two pure solids written with 100000*X terms,
        // as the examples write them: the hull joins the solids; the solids run off.
        {"eutectic",
         {curve(mixing), curve([](double x) { return -1667 * (1 - x) + 100000 * x; }),
          curve([](double x) { return -4857 * x + 100000 * (1 - x); })},
         {{1, -4857}, {0, -1667}},
         -4857, -1667, 0},
        // A regular solution far below its critical point: the hull is nearly flat.
        {"miscibility gap",
         {curve([&](double x) { return 20000 * x * (1 - x) + mixing(x); })},
         {{1, 0}, {0.995, -20}, {0.005, -20}, {0, 0}},
         -20, 0, 5000 - rt * std::log(2)},
    };
    for (const Case& c : cases) {
        TWorkingChart chart;
        chart.NewSeries(std::vector<std::string>(c.phases.size() + 1, "phase"), 0.1);
        chart.SetLine(c.phases, c.convex);
        chart.Show();
        const QCPRange g = chart.yAxis->range();
        const double height = c.highest - c.lowest;
        // The hull's lowest point clear of the frame, a visible share of the range above it.
        QVERIFY2(c.lowest - g.lower > 0.03 * g.size() && c.lowest - g.lower < 0.1 * g.size(), c.what);
        QVERIFY2(g.upper > c.highest + 0.1 * height && g.upper > c.top, c.what);
        QVERIFY2(g.upper < std::max(c.highest + height, c.top * 1.1), c.what); // not up to 100000
        QCOMPARE(chart.xAxis->range(), QCPRange(0, 1));
    }

    // A fixed range set in the chart editor stays.
    TWorkingChart chart;
    chart.NewSeries({"L", "Convex"}, 0.1);
    SetAxisRangeAutomatic(chart.yAxis, false);
    chart.yAxis->setRange(-100, 100);
    chart.SetLine(cases[1].phases, cases[1].convex);
    chart.Show();
    QCOMPARE(chart.yAxis->range(), QCPRange(-100, 100));
}

QTEST_MAIN(TestWorkingChart)
#include "tst_WorkingChart.moc"
