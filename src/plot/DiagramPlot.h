#pragma once
// The phase diagram drawn on a chart from its snapshot: the ordinary points,
// the special points, a line per node, and the refined layer (hidden until
// asked for). The diagram window and the command-line pictures draw with it.
#include "diagram/DiagramSnapshot.h"

#include <QList>
#include <QString>

class QCustomPlot;
class QCPAbstractPlottable;

namespace solvane {

// Windows-1251: "Мольная доля (X) компонента B в системе A-B".
inline constexpr const char* kBuiltInFootText =
    "\xCC\xEE\xEB\xFC\xED\xE0\xFF \xE4\xEE\xEB\xFF (X) \xEA\xEE\xEC\xEF\xEE\xED\xE5\xED\xF2\xE0 B \xE2 "
    "\xF1\xE8\xF1\xF2\xE5\xEC\xE5 A-B";

// The chart's built-in appearance: title, foot, axes with their ticks and grid.
void SetupDiagramChart(QCustomPlot& chart);

// Replaces the chart's plottables by the diagram and fits the axes to the
// run's range. The title is the script's Y caption, else `title`; the foot
// its X caption, else `foot`. Returns the refined layer's plottables, hidden.
QList<QCPAbstractPlottable*> DrawDiagram(QCustomPlot& chart, const TDiagramSnapshot& diagram, const QString& title,
                                         const QString& foot);

} // namespace solvane
