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
    result_.Ymin = problem.Ymin;
    result_.Ymax = problem.Ymax;
    result_.CurrentY = result_.Ymax;
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
        if (result_.PrepareFailed) // a script error: nothing started
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
    const bool continuation = stepMode && !result_.Completed && result_.CurrentY < result_.Ymax;
    if (!continuation) {
        SetPhase(TRunPhase::Starting);
        const bool declined = stepMode && result_.Completed && AtYmin(result_.CurrentY, result_.Ymin) && !Ask("Restart the problem?");
        if (!declined) {
            result_.Completed = false;
            PrepareRun();
        }
        if (declined || result_.PrepareFailed) {
            // Nothing starts.
            SetPhase(TRunPhase::Idle);
            return TRunEnd::Refused;
        }
        StartNewRun();
        observer_->SetupFinished();
    }
    MosaicScaleValue = MosaicScale(Input.MosaicHeight, result_.Ymin, result_.Ymax);
    SetPhase(stepMode ? TRunPhase::Stepping : TRunPhase::Running);
    if (!stepMode && Input.Problem.ShowMosaicDiagram)
        observer_->ShowMosaicWindow();

    while (result_.CurrentY >= result_.Ymin) {
        if (stopRequested_) {
            stopRequested_ = false;
            SetEndedWithGrid();
            return TRunEnd::Stopped;
        }
        PointHigh = -1;
        if (YQuantity() == TYQuantity::Temperature)
            result_.Temperature = result_.CurrentY;
        else if (YQuantity() == TYQuantity::Pressure)
            result_.Pressure = result_.CurrentY;
        if (result_.LineIndex >= 0 && result_.LineIndex % 10 == 0)
            observer_->StatusText(Input.Problem.Yparameter + " = " +
                                  FormatFloat("0.####", result_.CurrentY, Input.Separators));
        AnalyseLine();
        observer_->LineFinished();
        if (AtYmin(result_.CurrentY, result_.Ymin)) {
            result_.Completed = true;
            break;
        }
        const double next = result_.CurrentY - result_.Ystep;
        // A step lost in the rounding of a large Y would repeat the line forever.
        result_.CurrentY = !(next >= result_.Ymin) || next == result_.CurrentY ? result_.Ymin : next;
        if (stepMode)
            return TRunEnd::Stepped;
    }
    if (!result_.Completed)
        return TRunEnd::Stepped;

    state_ = {TRunPhase::Finished, true};
    observer_->StateChanged(state_);
    observer_->RunComplete();
    result_.Cells.SetRowCount(result_.LineIndex + 2);
    stopRequested_ = false;
    SetPhase(TRunPhase::Idle);
    return TRunEnd::Completed;
}

} // namespace solvane
