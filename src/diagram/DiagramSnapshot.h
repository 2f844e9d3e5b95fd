#pragma once
// What a phase diagram shows, built once from a finished run: the boundary
// points, the special points search's nodes and other points, the refinement,
// and the grid they were read from. The window, the CSV, every label and the
// command-line pictures read this value, so a later run never mixes into a
// diagram on view.
#include "calc/CellGrid.h"
#include "calc/RunTypes.h"
#include "diagram/SP_search.h"
#include "refine/Refine.h"

#include <string>
#include <vector>

namespace solvane {

class TRun;

struct TDiagramSnapshot {
    bool Built = false; // false until a run was built into it
    // The script's captions (Windows-1251); empty: the window's own texts.
    std::string XCaption, YCaption;
    std::string ProblemName; // Windows-1251
    std::string Yparameter;  // the vertical quantity as the problem names it
    double Xmin = 0, Xmax = 1, Xstep = 0;
    double Ymin = 0, Ymax = 0, Ystep = 0;
    char Separator = '.'; // of the grid's texts and of the numbers the diagram writes
    CellGrid Cells;
    std::vector<double> ColumnX; // the X of each grid column
    std::vector<TZPoint> BoundaryPoints;
    SpecialPointsResult Special;
    TRefinement Refinement; // empty unless refined
};

struct TSnapshotParts {
    bool SpecialPoints = true; // the special points search over the grid
    bool Refinement = true;    // the refinement beyond the grid
};

// The snapshot of the run's last results. An evaluator error of the
// refinement is caught by each refined result; anything else propagates.
TDiagramSnapshot BuildDiagramSnapshot(const TRun& run, TSnapshotParts parts = {});

} // namespace solvane
