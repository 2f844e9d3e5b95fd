#include "cli/RunProblem.h"

#include "calc/HeadlessRun.h"
#include "cli/JsonOutput.h"
#include "cli/RefineJson.h"

#include <memory>

namespace solvane::cli {
namespace {

nlohmann::json GridJson(const CellGrid& cells)
{
    nlohmann::json grid = nlohmann::json::array();
    for (int r = 0; r < cells.RowCount(); ++r) {
        nlohmann::json row = nlohmann::json::array();
        for (int c = 0; c < cells.ColCount(); ++c)
            row.push_back(JsonText(cells.Cell(c, r)));
        grid.push_back(std::move(row));
    }
    return grid;
}

void AddDiagramJson(nlohmann::json& out, const TDiagramSnapshot& diagram)
{
    nlohmann::json boundary = nlohmann::json::array();
    for (const TZPoint& z : diagram.BoundaryPoints)
        boundary.push_back({{"x", JsonDouble(z.X)}, {"y", JsonDouble(z.Y)}, {"col", z.Col}, {"phase", JsonText(z.Phase)}});
    nlohmann::json nodes = nlohmann::json::array();
    for (const TNode& n : diagram.Special.Nodes)
        nodes.push_back({{"y", JsonDouble(n.Y)}, {"x", JsonDouble(n.X)}, {"x_left", JsonDouble(n.XLeft)},
                         {"x_right", JsonDouble(n.XRight)}});
    nlohmann::json specialPoints = nlohmann::json::array();
    for (const auto& line : diagram.Special.ListLines)
        specialPoints.push_back(JsonText(line));
    nlohmann::json specialSeries = nlohmann::json::array();
    for (const auto& [x, y] : diagram.Special.SeriesPoints)
        specialSeries.push_back({JsonDouble(x), JsonDouble(y)});
    out["grid"] = GridJson(diagram.Cells);
    out["boundary_points"] = std::move(boundary);
    out["nodes"] = std::move(nodes);
    out["special_points"] = std::move(specialPoints);
    out["special_series"] = std::move(specialSeries);
}

} // namespace

TComputedProblem ComputeProblem(const TProblemRow& problem, bool refine)
{
    auto run = std::make_unique<TRun>(); // each problem on a fresh run, as the window's first press
    const THeadlessResult result = RunProblemHeadless(*run, problem);
    TComputedProblem computed;
    computed.Completed = result.Completed;
    computed.Diagram = BuildDiagramSnapshot(*run, {.SpecialPoints = result.Completed, .Refinement = refine});

    nlohmann::json messages = nlohmann::json::array();
    for (const auto& m : result.Messages)
        messages.push_back({{"type", MessageKindName(m.Kind)}, {"text", JsonText(m.Text)}});
    const TRunResult& state = run->Results();
    nlohmann::json& out = computed.Json;
    out["name"] = JsonText(problem.ProblemName);
    out["completed"] = result.Completed;
    out["messages"] = std::move(messages);
    out["error"] = result.Outcome.End == TRunEnd::Failed ? JsonText(result.Outcome.Error) : nlohmann::json();
    out["y_parameter"] = JsonText(problem.Yparameter);
    out["x_caption"] = JsonText(state.XCaption);
    out["y_caption"] = JsonText(state.YCaption);
    out["lines"] = state.LineIndex + 1;
    AddDiagramJson(out, computed.Diagram);
    if (refine)
        out["refined"] = RefinementToJson(computed.Diagram.Refinement);
    return computed;
}

} // namespace solvane::cli
