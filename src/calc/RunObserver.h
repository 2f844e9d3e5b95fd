#pragma once
// What a run reports while it proceeds, for the windows that show it: the
// working chart, the mosaic picture, the status bar and the moments where the
// GUI lets pending messages through. Every operation does nothing by default,
// so a headless caller overrides only what it records.
#include "RunTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace solvane {

class TRunObserver {
public:
    virtual ~TRunObserver() = default;

    // A new run: replace every series of the working chart by one line series
    // per title (the phases in order, then "Convex"); set the X axis label step.
    virtual void NewChart(const std::vector<std::string>& /*seriesTitles*/, double /*labelIncrement*/) {}
    // Every line: remove all points of every series.
    virtual void ClearChart() {}
    virtual void AddPhasePoint(int /*phase*/, double /*x*/, double /*g*/) {}
    virtual void AddConvexPoint(double /*x*/, double /*g*/) {}

    // A new run: a blank white picture.
    virtual void ResetMosaic() {}
    // Height of the mosaic picture in pixels; the scale of the rows follows it.
    virtual int MosaicHeight() const { return 410; }
    // Before the sweep of a continuous run with the mosaic switched on.
    virtual void ShowMosaicWindow() {}
    // A point phase on the hull at composition x (see PointPhaseMarkBox).
    virtual void MarkPointPhase(double /*x*/, int /*mosaicRow*/) {}
    // The two-phase segments of the line just analysed: ends[2k] and ends[2k+1]
    // are the ends of segment k (see SegmentPixelSpan).
    virtual void DrawSegments(const TZPoint* /*ends*/, int /*segmentCount*/, int /*mosaicRow*/,
                              std::uint32_t /*color*/) {}

    // Panel 0 of the status bar.
    virtual void StatusText(const std::string& /*text*/) {}

    // After the setup of a new run and after every line: the GUI lets pending
    // messages through here (Stop, repainting); the stop flag is read next.
    virtual void SetupFinished() {}
    virtual void LineFinished() {}

    // The sweep reached its last level: the GUI builds the phase diagram, which
    // runs the special points search, and refreshes the special points list.
    virtual void RunComplete() {}
};

} // namespace solvane
