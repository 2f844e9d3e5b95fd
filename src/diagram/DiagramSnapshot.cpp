#include "diagram/DiagramSnapshot.h"

#include "calc/Run.h"

#include <algorithm>

namespace solvane {

TDiagramSnapshot BuildDiagramSnapshot(const TRun& run, TSnapshotParts parts)
{
    const TRunResult& results = run.Results();
    TDiagramSnapshot snapshot;
    snapshot.Built = true;
    snapshot.XCaption = results.XCaption;
    snapshot.YCaption = results.YCaption;
    snapshot.ProblemName = run.Input.Problem.ProblemName;
    snapshot.Yparameter = run.Input.Problem.Yparameter;
    snapshot.Xmin = results.Xmin;
    snapshot.Xmax = results.Xmax;
    snapshot.Xstep = results.Xstep;
    snapshot.Ymin = results.Ymin;
    snapshot.Ymax = results.Ymax;
    snapshot.Ystep = results.Ystep;
    snapshot.Separator = run.Input.Separators.decimal;
    snapshot.Cells = results.Cells;
    snapshot.ColumnX.reserve(results.XColumns.size());
    for (const auto& column : results.XColumns)
        snapshot.ColumnX.push_back(column.Object->X);
    // Entries past ZHigh are left over from longer lines.
    const auto count = std::min(results.BoundaryPoints.size(), static_cast<std::size_t>(results.ZHigh + 1));
    snapshot.BoundaryPoints.assign(results.BoundaryPoints.begin(), results.BoundaryPoints.begin() + static_cast<std::ptrdiff_t>(count));
    if (parts.SpecialPoints)
        snapshot.Special = SearchSpecialPoints(results.Cells, run.Input.Problem.Yparameter, snapshot.Separator);
    if (parts.Refinement)
        snapshot.Refinement = Refine(results, run.Script(), snapshot.Special.Nodes, run.YQuantity());
    return snapshot;
}

} // namespace solvane
