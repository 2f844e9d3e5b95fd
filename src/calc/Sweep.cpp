// The Run button: a new run or the next step, and the sweep of Y downwards
// from Ymax to Ymin, one analysed line at a time.
#include "calc/Run.h"

#include "calc/Mosaic.h"
#include "text/NumberFormat.h"

#include <cmath>
#include <exception>

namespace solvane {
namespace {

// Equal values count too, for an infinite Ymin whose difference is not a number.
bool AtYmin(double y, double ymin) { return y == ymin || std::fabs(y - ymin) < 1e-11; }

} // namespace

void TRun::SetPhase(TRunPhase phase)
{
    if (phase == state_.Phase)
        return;
    state_.Phase = phase;
    observer_->StateChanged(state_);
}

void TRun::SetEndedWithGrid()
{
    if (!state_.DiagramAvailable) {
        state_.DiagramAvailable = true;
        state_.Phase = TRunPhase::Idle;
        observer_->StateChanged(state_);
    }
    SetPhase(TRunPhase::Idle);
}

void TRun::SelectProblem(const TProblemRow& problem)
{
    Input.Problem = problem;
    Ymin = problem.Ymin;
    Ymax = problem.Ymax;
    CurrentY = Ymax;
}

std::optional<std::string> TRun::Prepare()
{
    try {
        PrepareRun();
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

TRunOutcome TRun::Run()
{
    if (running_)
        return {}; // a press while the sweep lets messages through
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};

    TRunOutcome outcome;
    try {
        outcome.End = Sweep();
    } catch (const std::exception& e) {
        outcome = {TRunEnd::Failed, e.what()};
    } catch (...) {
        outcome = {TRunEnd::Failed, "Unknown error"};
    }
    if (outcome.End == TRunEnd::Failed) {
        if (PrepareFailed) // a script error: nothing started
            SetPhase(TRunPhase::Idle);
        else
            SetEndedWithGrid();
    }
    return outcome;
}

TRunEnd TRun::Sweep()
{
    const bool stepMode = Input.StepMode;
    // A step run goes on until its line at Ymin is computed; testing only
    // CurrentY against Ymin would end it one line early, since CurrentY
    // reaches Ymin before that line is computed.
    const bool continuation = stepMode && !Completed && CurrentY < Ymax;
    if (!continuation) {
        SetPhase(TRunPhase::Starting);
        const bool declined = stepMode && Completed && AtYmin(CurrentY, Ymin) && !Ask("Restart the problem?");
        if (!declined) {
            Completed = false;
            PrepareRun();
        }
        if (declined || PrepareFailed) {
            // Nothing starts.
            SetPhase(TRunPhase::Idle);
            return TRunEnd::Refused;
        }
        StartNewRun();
        observer_->SetupFinished();
    }
    MosaicScaleValue = MosaicScale(Input.MosaicHeight, Ymin, Ymax);
    SetPhase(stepMode ? TRunPhase::Stepping : TRunPhase::Running);
    if (!stepMode && Input.Problem.ShowMosaicDiagram)
        observer_->ShowMosaicWindow();

    while (CurrentY >= Ymin) {
        if (stopRequested_) {
            stopRequested_ = false;
            SetEndedWithGrid();
            return TRunEnd::Stopped;
        }
        PointHigh = -1;
        if (YQuantity() == TYQuantity::Temperature)
            Temperature = CurrentY;
        else if (YQuantity() == TYQuantity::Pressure)
            Pressure = CurrentY;
        if (LineIndex >= 0 && LineIndex % 10 == 0)
            observer_->StatusText(Input.Problem.Yparameter + " = " +
                                  FormatFloat("0.####", CurrentY, Input.Separators));
        AnalyseLine();
        observer_->LineFinished();
        if (AtYmin(CurrentY, Ymin)) {
            Completed = true;
            break;
        }
        const double next = CurrentY - Ystep;
        // A step lost in the rounding of a large Y would repeat the line forever.
        CurrentY = !(next >= Ymin) || next == CurrentY ? Ymin : next;
        if (stepMode)
            return TRunEnd::Stepped;
    }
    if (!Completed)
        return TRunEnd::Stepped;

    state_ = {TRunPhase::Finished, true};
    observer_->StateChanged(state_);
    observer_->RunComplete();
    Cells.SetRowCount(LineIndex + 2);
    stopRequested_ = false;
    SetPhase(TRunPhase::Idle);
    return TRunEnd::Completed;
}

} // namespace solvane
