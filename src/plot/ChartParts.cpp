#include "plot/ChartParts.h"

#include <qcustomplot.h>

#include <cmath>
#include <utility>

namespace solvane {
namespace {

// Dynamic properties: QCustomPlot has no place of its own for these.
constexpr const char* kAutomaticRange = "solvaneAutomaticRange";
constexpr const char* kBackground = "solvaneBackground";
constexpr const char* kAutomaticLower = "solvaneAutomaticLower";
constexpr const char* kAutomaticUpper = "solvaneAutomaticUpper";

} // namespace

QCPTextElement* FindChartTitle(const QCustomPlot* chart)
{
    QCPLayoutGrid* layout = chart->plotLayout();
    if (layout->rowCount() == 0 || layout->columnCount() == 0)
        return nullptr;
    return qobject_cast<QCPTextElement*>(layout->element(0, 0));
}

QCPTextElement* ChartTitle(QCustomPlot* chart)
{
    if (QCPTextElement* title = FindChartTitle(chart))
        return title;
    QFont font = chart->font();
    font.setPointSizeF(font.pointSizeF() + 2);
    auto* title = new QCPTextElement(chart, QString(), font);
    chart->plotLayout()->insertRow(0);
    chart->plotLayout()->addElement(0, 0, title);
    return title;
}

QString ChartTitleText(const QCustomPlot* chart)
{
    const QCPTextElement* title = FindChartTitle(chart);
    return title ? title->text() : QString();
}

void SetChartTitleText(QCustomPlot* chart, const QString& text) { ChartTitle(chart)->setText(text); }

QString ChartFoot(const QCustomPlot* chart) { return chart->xAxis->label(); }

void SetChartFoot(QCustomPlot* chart, const QString& text) { chart->xAxis->setLabel(text); }

bool AxisRangeAutomatic(const QCPAxis* axis)
{
    const QVariant automatic = axis->property(kAutomaticRange);
    return !automatic.isValid() || automatic.toBool();
}

void SetAxisRangeAutomatic(QCPAxis* axis, bool automatic) { axis->setProperty(kAutomaticRange, automatic); }

void RescaleAutomaticAxes(QCustomPlot* chart)
{
    for (QCPAxisRect* rect : chart->axisRects())
        for (QCPAxis* axis : rect->axes())
            if (AxisRangeAutomatic(axis))
                RescaleToAutomatic(axis);
}

void RescaleToAutomatic(QCPAxis* axis)
{
    const QVariant lower = axis->property(kAutomaticLower);
    const QVariant upper = axis->property(kAutomaticUpper);
    if (lower.isValid() && upper.isValid())
        axis->setRange(lower.toDouble(), upper.toDouble());
    else
        axis->rescale(true);
}

void SetAutomaticRange(QCPAxis* axis, const QCPRange& range)
{
    const bool valid = QCPRange::validRange(range) && range.lower < range.upper;
    axis->setProperty(kAutomaticLower, valid ? QVariant(range.lower) : QVariant());
    axis->setProperty(kAutomaticUpper, valid ? QVariant(range.upper) : QVariant());
}

QCPRange PaddedRange(double lower, double upper, double below, double above)
{
    if (upper < lower)
        std::swap(lower, upper);
    double length = upper - lower;
    if (!(length > 0))
        length = std::abs(upper) > 0 ? std::abs(upper) : 1;
    return {lower - below * length, upper + above * length};
}

QColor ChartBackground(const QCustomPlot* chart)
{
    const QVariant color = chart->property(kBackground);
    return color.isValid() ? color.value<QColor>() : QColor(Qt::white);
}

void SetChartBackground(QCustomPlot* chart, const QColor& color)
{
    chart->setProperty(kBackground, color);
    chart->setBackground(QBrush(color));
}

} // namespace solvane
