#include "views/RunView.h"

#include "calc/Run.h"
#include "views/MDiagram.h"
#include "plot/QtText.h"
#include "views/WorkingChart.h"

#include <QCoreApplication>

namespace solvane {
namespace {

constexpr qint64 kFrameMs = 33; // about 30 pictures a second

} // namespace

TRunView::TRunView(const TRun& run, TWorkingChart& chart, TfmMDiagram& mosaic)
    : run_(run), chart_(chart), mosaic_(mosaic)
{
    sinceDrawn_.start();
}

void TRunView::Flush()
{
    if (statusPending_ && OnStatusText)
        OnStatusText(statusText_);
    statusPending_ = false;
    chart_.Show();
    // Every stroke asks the mosaic for a repaint; they come together as one.
    const TRunResult& r = run_.Results();
    for (const TMosaicStroke& stroke : mosaicPending_) {
        if (stroke.Mark)
            mosaic_.MarkPointPhase(stroke.X, stroke.Row);
        else
            mosaic_.DrawSegments(std::span(mosaicEnds_).subspan(stroke.First, stroke.Count), stroke.Row, r.Xmin,
                                 r.Xmax, stroke.Color);
    }
    mosaicPending_.clear();
    mosaicEnds_.clear();
    mosaic_.update();
    if (OnDrawn)
        OnDrawn();
    sinceDrawn_.restart();
}

void TRunView::NewChart(const std::vector<std::string>& titles, double labelIncrement)
{
    if (OnNewRun)
        OnNewRun();
    chart_.NewSeries(titles, labelIncrement);
}

void TRunView::ChartLine(std::span<const std::vector<TChartPoint>> phases, std::span<const TChartPoint> convex)
{
    chart_.SetLine(phases, convex);
}

void TRunView::ResetMosaic()
{
    mosaicPending_.clear();
    mosaicEnds_.clear();
    mosaic_.ResetPicture();
}

void TRunView::ShowMosaicWindow()
{
    if (OnShowMosaic)
        OnShowMosaic();
}

void TRunView::MarkPointPhase(double x, int mosaicRow) { mosaicPending_.push_back({true, mosaicRow, x, 0, 0, 0}); }

void TRunView::DrawSegments(std::span<const TZPoint> ends, int mosaicRow, std::uint32_t color)
{
    mosaicPending_.push_back({false, mosaicRow, 0, color, mosaicEnds_.size(), ends.size()});
    mosaicEnds_.insert(mosaicEnds_.end(), ends.begin(), ends.end());
}

void TRunView::StatusText(const std::string& text)
{
    // Shown with the next picture: a new text lays the main window out again.
    statusText_ = FromCp1251(text);
    statusPending_ = true;
}

void TRunView::StateChanged(const TRunState& state)
{
    if (OnState)
        OnState(state);
}

void TRunView::SetupFinished() { LetEventsThrough(); }

void TRunView::LineFinished()
{
    if (sinceDrawn_.elapsed() >= kFrameMs)
        Flush();
    LetEventsThrough();
}

void TRunView::RunComplete()
{
    Flush();
    if (OnComplete)
        OnComplete();
}

void TRunView::LetEventsThrough() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

} // namespace solvane
