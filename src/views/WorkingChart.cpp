#include "views/WorkingChart.h"

#include "text/NumberFormat.h"
#include "plot/ChartParts.h"
#include "plot/QtText.h"

#include <algorithm>
#include <cmath>

namespace solvane {
namespace {

// X labels in "#,##0.##" at a fixed step.
class TPatternTicker : public QCPAxisTickerFixed {
public:
    explicit TPatternTicker(const char& separator) : separator_(separator) {}

protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override
    {
        return QString::fromStdString(FormatFloat("#,##0.##", tick, {separator_, separator_ == ',' ? '.' : ','}));
    }

private:
    const char& separator_;
};

// Room above the hull's highest vertex for the curves to meet it there before
// they run off the top: a share of the hull's height, and at least the whole
// of the curve whose top is lowest, so that a nearly flat hull (a miscibility
// gap far below its top) still shows the curve it touches. Steeper curves run
// off the top. The hull's lowest point stands a share of the whole range above
// the bottom, so that a flat tangent never lies on the frame.
constexpr double kBelowHull = 0.05;
constexpr double kAboveHull = 0.35;

QCPRange GRange(const std::vector<std::vector<TChartPoint>>& phases, std::span<const TChartPoint> convex)
{
    if (convex.empty())
        return {}; // nothing computed yet: the curves decide
    const auto byG = [](const TChartPoint& a, const TChartPoint& b) { return a.G < b.G; };
    const auto [lowest, highest] = std::minmax_element(convex.begin(), convex.end(), byG);
    double upper = PaddedRange(lowest->G, highest->G, 0, kAboveHull).upper;
    double lowestCurveTop = HUGE_VAL;
    for (const auto& curve : phases) {
        double top = -HUGE_VAL;
        for (const TChartPoint& p : curve)
            if (std::isfinite(p.G))
                top = std::max(top, p.G);
        if (top > -HUGE_VAL)
            lowestCurveTop = std::min(lowestCurveTop, top);
    }
    if (lowestCurveTop < HUGE_VAL)
        upper = std::max(upper, PaddedRange(lowest->G, lowestCurveTop, 0, kBelowHull).upper);
    return {lowest->G - kBelowHull * (upper - lowest->G), upper};
}

const QColor kSeriesColors[] = {QColor(220, 40, 40), QColor(30, 90, 200), QColor(20, 150, 60), QColor(200, 120, 0),
                                QColor(140, 60, 170), QColor(0, 150, 160), QColor(120, 120, 0)};

} // namespace

TWorkingChart::TWorkingChart(QWidget* parent) : QCustomPlot(parent)
{
    SetChartTitleText(this, QStringLiteral("       G"));
    SetChartFoot(this, QStringLiteral("x"));
    auto ticker = QSharedPointer<TPatternTicker>::create(separator_);
    ticker->setTickStep(0.1);
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
    xAxis->setTicker(ticker);
    for (QCPAxis* axis : {xAxis, yAxis})
        axis->grid()->setPen(QPen(QColor(140, 140, 140), 0, Qt::DotLine));
    NewSeries({"Liquid", "Solid", "Convex"}, 0.1);
    replot();
}

QCPGraph* TWorkingChart::AddSeries(const QString& title, int index)
{
    QCPGraph* graph = addGraph();
    graph->setName(title);
    // One-pixel lines: a wider pen makes every picture of a run several times dearer.
    graph->setPen(QPen(kSeriesColors[index % std::size(kSeriesColors)], 1));
    return graph;
}

void TWorkingChart::NewSeries(const std::vector<std::string>& titles, double labelIncrement)
{
    clearGraphs();
    for (std::size_t k = 0; k < titles.size(); ++k) {
        QCPGraph* graph = AddSeries(FromCp1251(titles[k]), static_cast<int>(k));
        if (k + 1 == titles.size()) { // "Convex": the hull's vertices joined
            graph->setPen(QPen(Qt::black, 1));
            graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 5));
        }
    }
    if (auto ticker = xAxis->ticker().dynamicCast<QCPAxisTickerFixed>(); ticker && labelIncrement > 0)
        ticker->setTickStep(labelIncrement);
    phases_.clear();
    convex_.clear();
    pending_ = true;
}

void TWorkingChart::SetLine(std::span<const std::vector<TChartPoint>> phases, std::span<const TChartPoint> convex)
{
    phases_.assign(phases.begin(), phases.end());
    convex_.assign(convex.begin(), convex.end());
    pending_ = true;
}

void TWorkingChart::Show()
{
    if (!pending_)
        return;
    pending_ = false;
    auto fill = [](QCPGraph* graph, std::span<const TChartPoint> points) {
        QVector<QCPGraphData> data;
        data.reserve(static_cast<int>(points.size()));
        for (const TChartPoint& p : points)
            data.push_back({p.X, p.G});
        // The convex chain comes from large X to small; the series keeps its points by X.
        graph->data()->set(data);
    };
    const int count = graphCount();
    for (int k = 0; k < count; ++k) {
        if (k + 1 == count)
            fill(graph(k), convex_);
        else if (static_cast<std::size_t>(k) < phases_.size())
            fill(graph(k), phases_[static_cast<std::size_t>(k)]);
        else
            graph(k)->data()->clear();
    }
    // The steepest curve would squeeze the hull into a few pixels: G follows the hull.
    SetAutomaticRange(yAxis, GRange(phases_, convex_));
    RescaleAutomaticAxes(this);
    replot(QCustomPlot::rpQueuedReplot);
}

} // namespace solvane
