#include "plot/DiagramPlot.h"

#include "plot/ChartParts.h"
#include "plot/QtText.h"
#include "text/NumberFormat.h"

#include <qcustomplot.h>

namespace solvane {
namespace {

// A ticker with a fixed number of minor ticks between labels.
template <class Base>
class TMinorTicks : public Base {
public:
    explicit TMinorTicks(int count) : count_(count) {}

protected:
    int getSubTickCount(double) override { return count_; }

private:
    int count_;
};

const QColor kOrdinaryColor(0, 0, 160);
const QColor kRefinedColor(0, 120, 0);
// Of each axis's length, between the run's range and the frame: markers on the
// range's edges stay whole and clear of it.
constexpr double kRangeMargin = 0.03;

QCPGraph* AddPointsGraph(QCustomPlot& chart, const QString& name, const QPen& pen, const QCPScatterStyle& style)
{
    QCPGraph* graph = chart.addGraph();
    graph->setName(name);
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setPen(pen);
    graph->setScatterStyle(style);
    return graph;
}

QCPGraph* AddLevelLine(QCustomPlot& chart, const QString& name, const QPen& pen, double xLeft, double xRight, double y)
{
    QCPGraph* line = chart.addGraph();
    line->setName(name);
    line->setPen(pen);
    line->addData(xLeft, y);
    line->addData(xRight, y);
    return line;
}

void DrawGridResults(QCustomPlot& chart, const TDiagramSnapshot& diagram)
{
    QCPGraph* ordinary = AddPointsGraph(chart, QStringLiteral("Ordinary points"), QPen(kOrdinaryColor),
                                        QCPScatterStyle(QCPScatterStyle::ssCircle, kOrdinaryColor, kOrdinaryColor, 2));
    QCPScatterStyle dotted(QCPScatterStyle::ssCircle, 2);
    dotted.setPen(QPen(Qt::red, 1, Qt::DotLine));
    dotted.setBrush(Qt::red);
    QCPGraph* special = AddPointsGraph(chart, QStringLiteral("Special points"), QPen(Qt::red), dotted);

    QVector<QCPGraphData> points;
    points.reserve(static_cast<qsizetype>(diagram.BoundaryPoints.size()));
    for (const TZPoint& z : diagram.BoundaryPoints)
        points.push_back({z.X, z.Y});
    ordinary->data()->set(points);
    for (const auto& [x, y] : diagram.Special.SeriesPoints)
        special->addData(x, y);
    for (const TNode& node : diagram.Special.Nodes)
        AddLevelLine(chart,
                     QStringLiteral("Node at ") +
                         QString::fromStdString(FormatFloat("0.###", node.Y, {diagram.Separator})) + QStringLiteral("K"),
                     QPen(kOrdinaryColor), node.XLeft, node.XRight, node.Y);
}

QList<QCPAbstractPlottable*> DrawRefinedLayer(QCustomPlot& chart, const TRefinement& refinement)
{
    QList<QCPAbstractPlottable*> layer;
    const QPen linePen(kRefinedColor, 1.5);
    for (const TRefinedBranch& branch : refinement.Branches) {
        auto* curve = new QCPCurve(chart.xAxis, chart.yAxis);
        curve->setName(QStringLiteral("Refined ") + FromCp1251(branch.Left + "+" + branch.Right));
        curve->setPen(linePen);
        for (const auto& [x, y] : branch.Points)
            curve->addData(x, y);
        layer << curve;
    }
    QCPGraph* markers = chart.addGraph();
    markers->setName(QStringLiteral("Refined points"));
    markers->setLineStyle(QCPGraph::lsNone);
    markers->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDiamond, kRefinedColor, kRefinedColor, 7));
    layer << markers;
    for (const TRefinedNode& node : refinement.Nodes) {
        if (!node.Refined)
            continue;
        layer << AddLevelLine(chart, QStringLiteral("Refined node"), linePen, node.XLeft, node.XRight, node.Y);
        for (const double x : {node.XLeft, node.X, node.XRight})
            markers->addData(x, node.Y);
    }
    for (const TRefinedPoint& point : refinement.Points)
        if (point.Refined)
            markers->addData(point.X, point.Y);
    for (QCPAbstractPlottable* plottable : layer)
        plottable->setVisible(false);
    return layer;
}

} // namespace

void SetupDiagramChart(QCustomPlot& chart)
{
    chart.legend->setVisible(false);
    QFont arial(QStringLiteral("Arial"));
    arial.setStyleHint(QFont::SansSerif);
    arial.setPointSize(10);
    QCPTextElement* title = ChartTitle(&chart);
    title->setFont(arial);
    title->setTextColor(Qt::black);
    title->setTextFlags(Qt::AlignLeft | Qt::AlignVCenter);
    SetChartFoot(&chart, FromCp1251(kBuiltInFootText));
    chart.xAxis->setLabelFont(arial);

    auto xTicker = QSharedPointer<TMinorTicks<QCPAxisTickerFixed>>::create(9);
    xTicker->setTickStep(0.1);
    xTicker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
    chart.xAxis->setTicker(xTicker);
    chart.xAxis->setTickLength(2, 8);
    chart.xAxis->setSubTickLength(0, 6);
    chart.yAxis->setTicker(QSharedPointer<TMinorTicks<QCPAxisTicker>>::create(4));
    chart.yAxis->setTickLength(0, 5);
    chart.yAxis->setSubTickLength(0, 5);
    for (QCPAxis* axis : {chart.xAxis, chart.yAxis})
        axis->grid()->setPen(QPen(QColor(150, 150, 150), 0, Qt::DotLine));
}

QList<QCPAbstractPlottable*> DrawDiagram(QCustomPlot& chart, const TDiagramSnapshot& diagram, const QString& title,
                                         const QString& foot)
{
    SetChartTitleText(&chart, diagram.YCaption.empty() ? title : FromCp1251(diagram.YCaption));
    SetChartFoot(&chart, diagram.XCaption.empty() ? foot : FromCp1251(diagram.XCaption));
    chart.clearPlottables();
    DrawGridResults(chart, diagram);
    // The whole run's range, not the points' (which stop short of the liquid
    // above and of the ends' markers), so the refined lines never move it.
    SetAutomaticRange(chart.xAxis, PaddedRange(diagram.Xmin, diagram.Xmax, kRangeMargin, kRangeMargin));
    SetAutomaticRange(chart.yAxis, PaddedRange(diagram.Ymin, diagram.Ymax, kRangeMargin, kRangeMargin));
    RescaleAutomaticAxes(&chart);
    return DrawRefinedLayer(chart, diagram.Refinement);
}

} // namespace solvane
