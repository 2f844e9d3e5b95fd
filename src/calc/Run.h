#pragma once
// A run without a window: the main window owns one TRun, sets its input, calls
// Run for every press of "Расчет (F9)" and shows what the observer reports;
// the command-line tool and the tests drive it the same way.
//
//   run.SetObserver(&view); run.SetMessageSink(&boxes);
//   run.Input.Problem = current row;            // or SelectProblem on a move
//   TRunOutcome outcome = run.Run();           // never throws
//   run.Results().Cells, BoundaryPoints, Nodes  // what the result windows show
//   run.Script().Phases, Params                 // the evaluators, read-only
#include "calc/QH_unit.h"
#include "calc/RunObserver.h"
#include "calc/RunState.h"
#include "script/GridLimits.h"
#include "script/ScriptModel.h"
#include "script/YQuantity.h"
#include "expr/Sortcmp.h"
#include "expr/StrParser.h"
#include "text/Messages.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace solvane {

class TRun {
public:
    TRun();
    TRun(const TRun&) = delete;
    TRun& operator=(const TRun&) = delete;

    // Where the run reports; both may be null (nothing shown, questions answered No).
    void SetObserver(TRunObserver* observer) { observer_ = observer ? observer : &silent_; }
    void SetMessageSink(TMessageSink* messages) { messages_ = messages; }

    TRunInput Input;
    // Called first by every preparation: the window posts the pending record
    // and hands over the current problem; false stops the preparation.
    std::function<bool()> OnPrepare;
    const TRunState& State() const { return state_; }
    const TRunResult& Results() const { return result_; }
    // The evaluators of the script of the last preparation.
    const TScriptModel& Script() const { return script_; }

    // The Run button: a new run or, in step mode, the next line. An engine
    // error ends the press as Failed with its message; a press made while a
    // press is in progress (from the observer letting messages through) is
    // Refused and does nothing.
    TRunOutcome Run();
    bool IsRunning() const { return running_; }
    // The Stop button after its question was answered Yes: the sweep stops
    // before its next line (in step mode at the next press).
    void RequestStop() { stopRequested_ = true; }
    // Another problem became current: its Ymin and Ymax become the run's, and
    // the next press starts a new run.
    void SelectProblem(const TProblemRow& problem);
    // The preparation at start-up and after a database was opened. Checks
    // report through the sink; an engine error is returned as its message.
    std::optional<std::string> Prepare();

    // The pieces of a press, public for the tests of the script and the line.
    // They throw engine errors.
    // The script of Input.Problem into evaluators; false after a point-phase warning.
    bool InterpretScript();
    // The parameters at composition x, with Sid the ideal-mixing value there.
    void EvaluateParameters(double x, double sid);
    double ParameterValue(int k) const { return script_.ParameterValue(static_cast<std::size_t>(k)); }
    // PrepareFailed stays true unless every check passed.
    void PrepareRun();
    // What the sweep sets: the quantity Input.Problem.Yparameter names.
    TYQuantity YQuantity() const;

private:
    friend struct TRunTestAccess; // the tests reach states no press can make
    TRunEnd Sweep();
    void StartNewRun();
    void BuildXColumns();
    void SetPhase(TRunPhase phase);
    // Idle after a run that leaves a grid behind.
    void SetEndedWithGrid();
    // One line: the candidates, the chord filter, the hull, the grid row, the segments.
    void AnalyseLine();
    void BindEvaluatorCells();
    void EvaluateLinePoints();
    void EvaluateColumn(std::size_t c, bool chart);
    void EvaluatePointPhase(std::size_t k);
    double ChordAt(double x) const; // the chord between the lowest G at Xmin and at Xmax
    std::int32_t FilterByChord();   // the number of points kept
    void BuildHull(std::int32_t kept);
    int WriteGridRow();             // the grid row written
    int RecordSegments(int row);    // the number of two-phase segments recorded
    void RecordSegmentEnd(const TDPoint& end, int row, bool largerX);
    void Message(TMessageKind kind, const std::string& text);
    bool Ask(const std::string& text);

    TRunObserver silent_;
    TRunObserver* observer_ = &silent_;
    TMessageSink* messages_ = nullptr;
    TRunState state_;
    bool running_ = false;
    bool stopRequested_ = false;
    TRunResult result_;
    TScriptModel script_;

    // The engine's work space of one line.
    TStrParser StrParser1;
    TQSort QSort1;
    TQhUnit Hull;
    double SidValue = 0; // the ideal-mixing value at the X being computed
    double MosaicScaleValue = 0; // pixels per unit of Y, set at every press
    std::int32_t PointHigh = -1;
    std::int32_t HullHigh = -1;
    TaTpoint LinePoints;
    TaTpoint KeptPoints;
    TaTpoint HullPoints;
    // The working chart's points of the current line, handed over in one call.
    std::vector<std::vector<TChartPoint>> chartPhases_;
    std::vector<TChartPoint> chartConvex_;

    // Variable cells of the evaluators, bound once per run so that a line sets
    // values without looking names up.
    struct PhaseCells {
        double *T, *P, *Y, *X, *Sid;
        std::vector<double*> params;
    };
    bool cellsBound_ = false;
    double lineGLeft_ = 0, lineGRight_ = 0; // lowest G at Xmin and at Xmax in this line
    double lineSlope_ = 0;
    double* sidX_ = nullptr;
    std::vector<PhaseCells> phaseCells_;
    std::vector<PhaseCells> pointCells_;
    CellGrid::TextId textE_ = 0;
    std::vector<CellGrid::TextId> phaseText_;
    std::vector<CellGrid::TextId> pointText_;
};

} // namespace solvane
