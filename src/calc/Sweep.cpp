// The Run button: a new run or the next step, and the sweep of Y downwards
// from Ymax to Ymin, one analysed line at a time.
#include "Run.h"

#include "Mosaic.h"
#include "NumberFormat.h"

#include <cmath>

namespace solvane {
namespace {

// Equal values count too, for an infinite Ymin whose difference is not a number.
bool AtYmin(double y, double ymin) { return y == ymin || std::fabs(y - ymin) < 1e-11; }

} // namespace

void TRun::SetStoppedControls()
{
    StopEnabled = false;
    StepEnabled = true;
    ProblemListEnabled = true;
    DiagramEnabled = true;
}

void TRun::Run()
{
    if (running_)
        return; // a press while the sweep lets messages through
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};

    StopEnabled = true;
    try {
        // A step run goes on until its line at Ymin is computed; testing only
        // CurrentY against Ymin would end it one line early, since CurrentY
        // reaches Ymin before that line is computed.
        const bool continuation = StepMode && !Completed && CurrentY < Ymax;
        if (!continuation) {
            StepEnabled = false;
            const bool declined =
                StepMode && Completed && AtYmin(CurrentY, Ymin) && !Ask("Restart the problem?");
            if (!declined) {
                Completed = false;
                PrepareRun();
            }
            if (declined || PrepareFailed) {
                // Nothing starts: the controls go back to how they were.
                StopEnabled = false;
                StepEnabled = true;
                return;
            }
            StartNewRun();
            observer_->SetupFinished();
        }
        MosaicScaleValue = MosaicScale(observer_->MosaicHeight(), Ymin, Ymax);
        ProblemListEnabled = StepMode;
        if (!StepMode && Problem.ShowMosaicDiagram)
            observer_->ShowMosaicWindow();

        bool lineAtYmin = false;
        while (CurrentY >= Ymin) {
            if (StopRequested) {
                StopRequested = false;
                SetStoppedControls();
                return;
            }
            PointHigh = -1;
            if (YItem() == 0)
                Temperature = CurrentY;
            else if (YItem() == 1)
                Pressure = CurrentY;
            observer_->ClearChart();
            if (LineIndex >= 0 && LineIndex % 10 == 0)
                observer_->StatusText(Problem.Yparameter + " = " + FormatFloat("0.####", CurrentY, Separators));
            AnalyseLine();
            observer_->LineFinished();
            if (AtYmin(CurrentY, Ymin)) {
                lineAtYmin = true;
                break;
            }
            const double next = CurrentY - Ystep;
            // A step lost in the rounding of a large Y would repeat the line forever.
            CurrentY = !(next >= Ymin) || next == CurrentY ? Ymin : next;
            if (StepMode)
                break;
        }
        if (!lineAtYmin)
            return;
    } catch (...) {
        if (PrepareFailed) { // a script error: nothing started
            StopEnabled = false;
            StepEnabled = true;
        } else {
            SetStoppedControls();
        }
        throw;
    }

    {
        Completed = true;
        ProblemListEnabled = true;
        DiagramEnabled = true;
        observer_->RunComplete();
        Cells.SetRowCount(LineIndex + 2);
        StopRequested = false;
        StopEnabled = false;
        StepEnabled = true;
    }
}

SpecialPointsResult TRun::SearchSpecialPoints()
{
    SpecialPointsResult result = solvane::SearchSpecialPoints(Cells, Problem.Yparameter, Separators.decimal);
    Nodes.clear();
    for (const TNode& node : result.Nodes)
        Nodes.push_back({std::string(), std::make_unique<TNode>(node)});
    return result;
}

} // namespace solvane
