#include "views/RunView.h"

#include "calc/Run.h"
#include "views/MDiagram.h"
#include "views/QtText.h"
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
    chart_.Show();
    mosaic_.update();
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

void TRunView::ResetMosaic() { mosaic_.ResetPicture(); }

void TRunView::ShowMosaicWindow()
{
    if (OnShowMosaic)
        OnShowMosaic();
}

void TRunView::MarkPointPhase(double x, int mosaicRow) { mosaic_.MarkPointPhase(x, mosaicRow); }

void TRunView::DrawSegments(std::span<const TZPoint> ends, int mosaicRow, std::uint32_t color)
{
    const TRunResults& r = run_.Results();
    mosaic_.DrawSegments(ends, mosaicRow, r.Xmin, r.Xmax, color);
}

void TRunView::StatusText(const std::string& text)
{
    if (OnStatusText)
        OnStatusText(FromCp1251(text));
}

void TRunView::ControlsChanged(const TRunControls& controls)
{
    if (OnControls)
        OnControls(controls);
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
