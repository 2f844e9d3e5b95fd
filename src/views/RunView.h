#pragma once
// What the main window shows while a run proceeds: the working chart, the
// mosaic picture, the status bar's first panel and the run controls. Pending
// events are let through after the setup and after every line, so that Stop
// and the windows stay alive; the chart, the mosaic and the status text are
// redrawn at most about 30 times a second, and Flush draws the last line
// whatever the pace.
#include "calc/RunObserver.h"
#include "calc/RunState.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace solvane {

class TRun;
class TWorkingChart;
class TfmMDiagram;

class TRunView : public TRunObserver {
public:
    TRunView(const TRun& run, TWorkingChart& chart, TfmMDiagram& mosaic);

    std::function<void(const QString&)> OnStatusText;
    std::function<void(const TRunState&)> OnState;
    std::function<void()> OnNewRun;   // captions of the windows
    std::function<void()> OnComplete; // the diagram build
    std::function<void()> OnShowMosaic;
    std::function<void()> OnDrawn; // a picture was drawn: the grid window may show the new rows

    // Draws what is still waiting (the last line of a press).
    void Flush();

    void NewChart(const std::vector<std::string>& titles, double labelIncrement) override;
    void ChartLine(std::span<const std::vector<TChartPoint>> phases, std::span<const TChartPoint> convex) override;
    void ResetMosaic() override;
    void ShowMosaicWindow() override;
    void MarkPointPhase(double x, int mosaicRow) override;
    void DrawSegments(std::span<const TZPoint> ends, int mosaicRow, std::uint32_t color) override;
    void StatusText(const std::string& text) override;
    void StateChanged(const TRunState& state) override;
    void SetupFinished() override;
    void LineFinished() override;
    void RunComplete() override;

private:
    void LetEventsThrough();

    // What the mosaic gets at the next picture, in the order the lines drew it:
    // a point-phase circle at X, or the segments mosaicEnds_[First, First + Count).
    struct TMosaicStroke {
        bool Mark;
        int Row;
        double X;
        std::uint32_t Color;
        std::size_t First, Count;
    };

    const TRun& run_;
    TWorkingChart& chart_;
    TfmMDiagram& mosaic_;
    QElapsedTimer sinceDrawn_;
    std::vector<TMosaicStroke> mosaicPending_;
    std::vector<TZPoint> mosaicEnds_;
    QString statusText_;
    bool statusPending_ = false;
};

} // namespace solvane
