#include "cli/RunProblem.h"

#include "calc/HeadlessRun.h"
#include "cli/JsonOutput.h"

#include <memory>

namespace solvane::cli {

nlohmann::json RunProblemToJson(const TProblemInput& problem)
{
    auto run = std::make_unique<TRun>();
    return RunProblemToJson(*run, problem);
}

nlohmann::json RunProblemToJson(TRun& run, const TProblemInput& problem, SpecialPointsResult* special)
{
    const THeadlessResult result = RunProblemHeadless(run, problem);
    const TRunResults& state = run.Results();
    if (special)
        *special = result.SpecialPoints;

    nlohmann::json messages = nlohmann::json::array();
    for (const auto& m : result.Messages)
        messages.push_back({{"type", MessageKindName(m.Kind)}, {"text", JsonText(m.Text)}});

    nlohmann::json grid = nlohmann::json::array();
    for (int r = 0; r < state.Cells.RowCount(); ++r) {
        nlohmann::json row = nlohmann::json::array();
        for (int c = 0; c < state.Cells.ColCount(); ++c)
            row.push_back(JsonText(state.Cells.Cell(c, r)));
        grid.push_back(std::move(row));
    }

    nlohmann::json boundary = nlohmann::json::array();
    for (int i = 0; i <= state.ZHigh; ++i) {
        const TZPoint& z = state.BoundaryPoints[static_cast<std::size_t>(i)];
        boundary.push_back({{"x", JsonDouble(z.X)}, {"y", JsonDouble(z.Y)}, {"col", z.Col}, {"phase", JsonText(z.Phase)}});
    }

    nlohmann::json nodes = nlohmann::json::array();
    for (const auto& item : state.Nodes) {
        const TNode& n = *item.Object;
        nodes.push_back({{"y", JsonDouble(n.Y)}, {"x", JsonDouble(n.X)}, {"x_left", JsonDouble(n.XLeft)},
                         {"x_right", JsonDouble(n.XRight)}});
    }

    nlohmann::json specialPoints = nlohmann::json::array();
    for (const auto& line : result.SpecialPoints.ListLines)
        specialPoints.push_back(JsonText(line));
    nlohmann::json specialSeries = nlohmann::json::array();
    for (const auto& [x, y] : result.SpecialPoints.SeriesPoints)
        specialSeries.push_back({JsonDouble(x), JsonDouble(y)});

    nlohmann::json out;
    out["name"] = JsonText(problem.ProblemName);
    out["completed"] = result.Completed;
    out["messages"] = std::move(messages);
    out["error"] = result.Outcome.End == TRunEnd::Failed ? JsonText(result.Outcome.Error) : nlohmann::json();
    out["y_parameter"] = JsonText(problem.Yparameter);
    out["x_caption"] = JsonText(state.XCaption);
    out["y_caption"] = JsonText(state.YCaption);
    out["lines"] = state.LineIndex + 1;
    out["grid"] = std::move(grid);
    out["boundary_points"] = std::move(boundary);
    out["nodes"] = std::move(nodes);
    out["special_points"] = std::move(specialPoints);
    out["special_series"] = std::move(specialSeries);
    return out;
}

} // namespace solvane::cli
