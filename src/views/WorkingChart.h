#pragma once
// Chart1, the working chart of the main window: the Gibbs energy of every
// phase and the lower convex hull at the line being computed. Title
// "       G", foot "x", X labels "#,##0.##" at a tenth of the X range, dotted
// grid. A new run gives one line series per phase and then "Convex".
#include "calc/RunObserver.h"

#include <qcustomplot.h>

#include <span>
#include <string>
#include <vector>

namespace solvane {

class TWorkingChart : public QCustomPlot {
    Q_OBJECT
public:
    explicit TWorkingChart(QWidget* parent = nullptr);

    // Replaces every series by one per title; sets the X label step.
    void NewSeries(const std::vector<std::string>& titles, double labelIncrement);
    // The points of one line, kept until Show draws them.
    void SetLine(std::span<const std::vector<TChartPoint>> phases, std::span<const TChartPoint> convex);
    // Draws the kept line: the data into the series, the axes fitted, a replot.
    void Show();

    // The decimal separator of the X labels.
    void SetDecimalSeparator(char separator) { separator_ = separator; }

private:
    QCPGraph* AddSeries(const QString& title, int index);

    char separator_ = '.';
    std::vector<std::vector<TChartPoint>> phases_;
    std::vector<TChartPoint> convex_;
    bool pending_ = false;
};

} // namespace solvane
