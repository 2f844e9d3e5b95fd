#pragma once
// A chart's appearance as a file of our own (JSON): the title's and foot's
// texts and fonts, each axis' label font, tick label font, grid and range
// (automatic or fixed), and the background. Series are not kept: a built
// diagram always starts from its own.
#include <QByteArray>
#include <QString>

class QCustomPlot;

namespace solvane {

QByteArray ChartSettingsToJson(const QCustomPlot& chart);
// Applies what the file holds; false (the chart unchanged) when the bytes
// are not such a file. Missing entries keep the chart's values.
bool ApplyChartSettings(QCustomPlot& chart, const QByteArray& json);

// The file at path; false when it is missing, damaged or foreign.
bool LoadChartSettings(QCustomPlot& chart, const QString& path);
// Through a temporary file and a rename. Returns the error, or an empty text.
QString SaveChartSettings(const QCustomPlot& chart, const QString& path);

} // namespace solvane
