#pragma once
// What a run reports while it proceeds, for the windows that show it: the
// working chart, the mosaic picture, the status bar, the engine's state and the
// moments where the GUI lets pending messages through. Every operation does
// nothing by default, so a headless caller overrides only what it records.
// A line is handed over in a few calls, never one call per point.
#include "calc/RunTypes.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace solvane {

struct TRunState;

struct TChartPoint {
    double X;
    double G;
};

class TRunObserver {
public:
    virtual ~TRunObserver() = default;

    // A new run: replace every series of the working chart by one line series
    // per title (the phases in order, then "Convex"); set the X axis label step.
    virtual void NewChart(const std::vector<std::string>& /*seriesTitles*/, double /*labelIncrement*/) {}
    // Every line: the points of each phase's series (phases[k] belongs to
    // series k) and of "Convex", replacing the previous line's. All are empty
    // while the working chart is switched off.
    virtual void ChartLine(std::span<const std::vector<TChartPoint>> /*phases*/,
                           std::span<const TChartPoint> /*convex*/)
    {
    }

    // A new run: a blank white picture.
    virtual void ResetMosaic() {}
    // Before the sweep of a continuous run with the mosaic switched on.
    virtual void ShowMosaicWindow() {}
    // A point phase on the hull at composition x (see PointPhaseMarkBox).
    virtual void MarkPointPhase(double /*x*/, int /*mosaicRow*/) {}
    // The two-phase segments of the line just analysed: ends[2k] and ends[2k+1]
    // are the ends of segment k (see SegmentPixelSpan). color is 0x00BBGGRR.
    virtual void DrawSegments(std::span<const TZPoint> /*ends*/, int /*mosaicRow*/, std::uint32_t /*color*/) {}

    // Panel 0 of the status bar.
    virtual void StatusText(const std::string& /*text*/) {}

    // The engine's state changed.
    virtual void StateChanged(const TRunState& /*state*/) {}

    // After the setup of a new run and after every line: the GUI lets pending
    // messages through here (Stop, repainting); the stop request is read next.
    virtual void SetupFinished() {}
    virtual void LineFinished() {}

    // The sweep reached its last level: the GUI builds the phase diagram, which
    // runs the special points search, and refreshes the special points list.
    virtual void RunComplete() {}
};

} // namespace solvane
