#include "session/ProblemRun.h"

namespace solvane {

TProblemInput ToRunInput(const TProblemRow& row)
{
    TProblemInput problem;
    problem.ProblemName = row.ProblemName;
    problem.Ymin = row.Ymin;
    problem.Ymax = row.Ymax;
    problem.Zvalue = row.Zvalue;
    problem.YPoints = row.YPoints;
    problem.XPoints = row.XPoints;
    problem.ShowMosaicDiagram = row.ShowMosaicDiagram;
    problem.ShowChart = row.ShowChart;
    problem.Functs = row.Functs;
    problem.Yparameter = row.Yparameter;
    return problem;
}

} // namespace solvane
