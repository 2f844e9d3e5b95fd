#pragma once
// The three faces of a run that a window sees: what it sets before a press
// (input), where the engine is, and the run state with its results, under the
// names the rest of the program knows them by.
#include "calc/CellGrid.h"
#include "store/Problem.h"
#include "calc/RunTypes.h"
#include "text/NumberFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace solvane {

// Colours are 32-bit 0x00BBGGRR: red in the low byte, as the settings file keeps them.
inline constexpr std::uint32_t kMoneyGreen = 12639424; // 0x00C0DCC0

struct TRunInput {
    // The current problem record. ShowMosaicDiagram and ShowChart are the check
    // boxes bound to it and are read line by line, so they may change during a run.
    TProblemRow Problem;
    // Check box "По шагам": one line per Run press.
    bool StepMode = false;
    // Decimal separator of the texts a run writes (grid, composition texts,
    // status): the GUI sets the locale's, the command-line tool keeps '.'.
    NumberSeparators Separators;
    // Colour of the two-phase segments in the mosaic picture, 0x00BBGGRR.
    std::uint32_t MosaicColor = kMoneyGreen;
    // Height in pixels of the mosaic picture; the rows of the lines are scaled to it.
    int MosaicHeight = 410;
};

// Where the engine is. Which control that enables is the window's business.
enum class TRunPhase {
    Idle,     // no press in progress
    Starting, // a press prepares a new run (and may ask whether to restart)
    Running,  // a continuous run sweeps its lines
    Stepping, // a step-mode run computes its line or waits for the next press
    Finished, // the line at Ymin is computed; the run reports its end
};

struct TRunState {
    TRunPhase Phase = TRunPhase::Idle;
    // A run has ended with a grid (completed, stopped or failed mid-sweep): the
    // diagram and the grid window can be shown.
    bool DiagramAvailable = false;
    bool operator==(const TRunState&) const = default;
};

// How a Run press ended.
enum class TRunEnd {
    Refused,   // nothing started: a failed check, a declined restart, or a press during a press
    Stepped,   // step mode: one line computed, the run waits for the next press
    Stopped,   // the stop request was seen before a line
    Completed, // the line at Ymin was computed
    Failed,    // an engine error ended the press; Error holds its message
};

struct TRunOutcome {
    TRunEnd End = TRunEnd::Refused;
    std::string Error;
};

// The results of the last run, a plain value apart from the evaluators (those
// are the script model's). Every field keeps the name the diagram, grid and
// special points windows know it by.
struct TRunResult {
    bool PrepareFailed = true; // until a preparation passed every check
    bool Completed = false;    // the last run computed its line at Ymin

    double Temperature = 300;
    double Pressure = 1;
    double Ymin = 0, Ymax = 0, Ystep = 0;
    double Xmin = 0, Xmax = 1, Xstep = 0;
    double CurrentY = 0;
    double ChartLabelIncrement = 0; // desired X label step of the working chart
    std::string XCaption, YCaption;
    std::int32_t YIntervals = 1;
    std::int32_t XInnerPoints = 1;
    std::int32_t MosaicRow = 0;
    std::int32_t LineIndex = -1; // the last line computed, -1 before the first
    std::int32_t ZHigh = -1;     // the last valid entry of BoundaryPoints

    TNamedList<TXclass> XColumns;
    TaTZpoint BoundaryPoints;
    CellGrid Cells; // the texts of the grid window
};

} // namespace solvane
