#include "RunProblem.h"

#include "HeadlessRun.h"
#include "JsonOutput.h"

#include <memory>

namespace solvane::cli {

nlohmann::json RunProblemToJson(const TProblemInput& problem)
{
    auto run = std::make_unique<TRun>();
    const THeadlessResult result = RunProblemHeadless(*run, problem);

    nlohmann::json messages = nlohmann::json::array();
    for (const auto& m : result.Messages)
        messages.push_back({{"type", MessageKindName(m.Kind)}, {"text", JsonText(m.Text)}});

    nlohmann::json grid = nlohmann::json::array();
    for (int r = 0; r < run->Cells.RowCount(); ++r) {
        nlohmann::json row = nlohmann::json::array();
        for (int c = 0; c < run->Cells.ColCount(); ++c)
            row.push_back(JsonText(run->Cells.Cell(c, r)));
        grid.push_back(std::move(row));
    }

    nlohmann::json boundary = nlohmann::json::array();
    for (int i = 0; i <= run->ZHigh; ++i) {
        const TZPoint& z = run->BoundaryPoints[static_cast<std::size_t>(i)];
        boundary.push_back({{"x", JsonDouble(z.X)}, {"y", JsonDouble(z.Y)}, {"col", z.Col}, {"phase", JsonText(z.Phase)}});
    }

    nlohmann::json nodes = nlohmann::json::array();
    for (const auto& item : run->Nodes) {
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
    out["error"] = result.HasError ? JsonText(result.Error) : nlohmann::json();
    out["y_parameter"] = JsonText(problem.Yparameter);
    out["x_caption"] = JsonText(run->XCaption);
    out["y_caption"] = JsonText(run->YCaption);
    out["lines"] = run->LineIndex + 1;
    out["grid"] = std::move(grid);
    out["boundary_points"] = std::move(boundary);
    out["nodes"] = std::move(nodes);
    out["special_points"] = std::move(specialPoints);
    out["special_series"] = std::move(specialSeries);
    return out;
}

} // namespace solvane::cli
