#pragma once
// The run state of the main window without the window: the script's
// evaluators, the sweep's numbers, the point arrays of the current line and
// the results (cell grid, boundary points, nodes). The GUI owns one TRun,
// forwards its check boxes and buttons to it and mirrors its control states;
// the command-line tool and the tests drive it the same way.
#include "CellGrid.h"
#include "NumberFormat.h"
#include "Parser10.h"
#include "ProblemInput.h"
#include "QH_unit.h"
#include "RunMessages.h"
#include "RunObserver.h"
#include "RunTypes.h"
#include "SP_search.h"
#include "Sortcmp.h"
#include "StrParser.h"

#include <cstdint>
#include <string>
#include <vector>

namespace solvane {

// The ideal-mixing term unless a SID line replaces it.
inline constexpr const char* kDefaultSidExpression = "-8.31441*(X*Ln(X)+(1-X)*ln(1-X))";
inline constexpr double kGasConstant = 8.31441;
// The most cells (columns times rows) a grid may have; a larger problem is refused
// before it starts instead of exhausting memory.
inline constexpr double kMaxGridCells = 16777216.0;

// A point phase's composition from a part such as 'X=1/3': the constant
// expression after "X=" (at most 100 characters), evaluated on a fresh
// evaluator; above 1 gives -1.
double ReadComposition(const std::string& part);

class TRun {
public:
    TRun();
    TRun(const TRun&) = delete;
    TRun& operator=(const TRun&) = delete;

    // Where the run reports; both may be null (nothing shown, questions answered No).
    void SetObserver(TRunObserver* observer) { observer_ = observer ? observer : &silent_; }
    void SetMessageSink(TMessageSink* messages) { messages_ = messages; }

    // The current problem record; ShowMosaicDiagram and ShowChart are the check
    // boxes bound to it and may change between lines.
    TProblemInput Problem;
    // Check box "По шагам": one line per Run.
    bool StepMode = false;
    // Decimal separator of the texts a run writes (grid, composition texts,
    // status): the GUI sets the locale's, the command-line tool keeps '.'.
    NumberSeparators Separators;

    // Control states the GUI mirrors: sbStop, chbStep, the problem list, and
    // sbDiagram together with sbGrid.
    bool StopEnabled = false;
    bool StepEnabled = true;
    bool ProblemListEnabled = true;
    bool DiagramEnabled = false;

    bool StopRequested = false;
    bool PrepareFailed = true;
    bool Completed = false; // the last Run reached Ymin
    std::uint32_t MosaicColor = 12639424;

    double Temperature = 300;
    double Pressure = 1;
    double Ymin = 0, Ymax = 0, Ystep = 0;
    double Xmin = 0, Xmax = 1, Xstep = 0;
    double SidValue = 0;
    double CurrentY = 0;
    double ChartLabelIncrement = 0; // desired X label step of the working chart
    std::string XCaption, YCaption;
    std::int32_t PointHigh = -1;
    std::int32_t HullHigh = -1;
    std::int32_t YIntervals = 1;
    std::int32_t XInnerPoints = 1;
    std::int32_t MosaicRow = 0;
    std::int32_t LineIndex = -1;
    std::int32_t ZHigh = -1;
    double MosaicScaleValue = 0; // pixels per unit of Y, set at every Run

    TNamedList<TParser> Phases;
    TNamedList<TParser> PointPhases;
    TNamedList<TParser> Params;
    // The parameter values at the last EvaluateParameters. Each stands for its
    // 15-digit decimal text (FormatGeneral) and holds exactly what that text
    // reads back as.
    std::vector<double> ParamValues;
    TNamedList<TXclass> XColumns;
    TNamedList<TNode> Nodes;

    TParser sidParser;
    TStrParser StrParser1;
    TQSort QSort1;
    TQhUnit Hull;

    TaTpoint LinePoints;
    TaTpoint KeptPoints;
    TaTpoint HullPoints;
    TaTZpoint BoundaryPoints;
    CellGrid Cells; // sgCells of the grid window

    // The script of Problem into evaluators; false after a point-phase warning.
    // Compiler and evaluator errors propagate as exceptions.
    bool InterpretScript();
    void EvaluateParameters(double x);
    double ParameterValue(int k) const { return ParamValues[static_cast<std::size_t>(k)]; }

    // PrepareFailed stays true unless every check passed.
    void PrepareRun();
    // The Run button: a new run or, in step mode, the next line. Returns at
    // once, doing nothing, when called while a Run is already in progress
    // (from the observer while it lets messages through). An evaluator error
    // propagates after the controls are set as for a stopped run.
    void Run();
    bool IsRunning() const { return running_; }
    // One line at CurrentY.
    void AnalyseLine();

    // 0 "Temperature", 1 "Pressure", 2 "Y", -1 anything else.
    int YItem() const;

    // The diagram build's special points search over the grid of the last
    // run: clears and fills Nodes, and returns the list lines and the points
    // of the "Special points" series as well.
    SpecialPointsResult SearchSpecialPoints();

private:
    void StartNewRun();
    void BuildXColumns();
    void SetStoppedControls();
    void BindEvaluatorCells();
    void EvaluateLinePoints();
    void RecordSegmentEnd(const TDPoint& end, int row, bool largerX);
    void Message(TMessageKind kind, const std::string& text);
    bool Ask(const std::string& text);

    TRunObserver silent_;
    TRunObserver* observer_ = &silent_;
    TMessageSink* messages_ = nullptr;
    bool running_ = false;

    // Variable cells of the evaluators, bound once per run so that a line sets
    // values without looking names up.
    struct PhaseCells {
        double *T, *P, *Y, *X, *Sid;
        std::vector<double*> params;
    };
    struct ParamCells {
        double *X, *T, *P, *Sid;
        double lastValue = 0, lastRounded = 0;
    };
    bool cellsBound_ = false;
    double lineGLeft_ = 0, lineGRight_ = 0; // lowest G at Xmin and at Xmax in this line
    double* sidX_ = nullptr;
    std::vector<PhaseCells> phaseCells_;
    std::vector<PhaseCells> pointCells_;
    std::vector<ParamCells> paramCells_;
    CellGrid::TextId textE_ = 0;
    std::vector<CellGrid::TextId> phaseText_;
    std::vector<CellGrid::TextId> pointText_;
};

} // namespace solvane
