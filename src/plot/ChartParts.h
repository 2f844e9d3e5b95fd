#pragma once
// The parts of a QCustomPlot that our charts treat as their own and that
// QCustomPlot keeps nowhere (or nowhere readable): the title, the foot, an
// axis range that follows the data, the background colour. The chart editor
// and every window with a chart go through these helpers, so that what one
// sets the other reads back.
#include <QColor>
#include <QString>

class QCustomPlot;
class QCPAxis;
class QCPRange;
class QCPTextElement;

namespace solvane {

// The title: a text element in row 0 of the plot layout, above the axes.
// FindChartTitle returns null when the chart has none; ChartTitle inserts an
// empty one when it is missing.
QCPTextElement* FindChartTitle(const QCustomPlot* chart);
QCPTextElement* ChartTitle(QCustomPlot* chart);
QString ChartTitleText(const QCustomPlot* chart);
void SetChartTitleText(QCustomPlot* chart, const QString& text);

// The foot text under the plot is the label of the X axis.
QString ChartFoot(const QCustomPlot* chart);
void SetChartFoot(QCustomPlot* chart, const QString& text);

// An axis whose range is automatic follows the data: RescaleAutomaticAxes
// fits every such axis of the chart to its visible plottables (call it after
// adding points, before replot). A fixed axis keeps the range it was given.
// Axes are automatic until set otherwise.
bool AxisRangeAutomatic(const QCPAxis* axis);
void SetAxisRangeAutomatic(QCPAxis* axis, bool automatic);
void RescaleAutomaticAxes(QCustomPlot* chart);
// Shows the axis's automatic range (whether or not the axis is automatic now).
void RescaleToAutomatic(QCPAxis* axis);
// The range an automatic axis shows instead of its data, when the chart's
// owner knows better what belongs on view; an invalid range clears it.
void SetAutomaticRange(QCPAxis* axis, const QCPRange& range);

// lower..upper widened by fractions of its length below and above; an empty
// range is widened by fractions of its distance from zero (or of 1 at zero).
QCPRange PaddedRange(double lower, double upper, double below, double above);

// The colour behind the whole chart (white until set).
QColor ChartBackground(const QCustomPlot* chart);
void SetChartBackground(QCustomPlot* chart, const QColor& color);

} // namespace solvane
