#include "cli/RefineJson.h"

#include "cli/JsonOutput.h"

namespace solvane::cli {
namespace {

nlohmann::json Phases(const std::vector<std::string>& phases)
{
    nlohmann::json list = nlohmann::json::array();
    for (const std::string& p : phases)
        list.push_back(JsonText(p));
    return list;
}

} // namespace

nlohmann::json RefinementToJson(const TRefinement& refinement)
{
    nlohmann::json boundaries = nlohmann::json::array();
    for (const TRefinedBoundary& b : refinement.Boundaries)
        boundaries.push_back({{"y", JsonDouble(b.Y)}, {"x_left", JsonDouble(b.XLeft)},
                              {"x_right", JsonDouble(b.XRight)}, {"left", JsonText(b.Left)},
                              {"right", JsonText(b.Right)}, {"refined", b.Refined}});
    nlohmann::json nodes = nlohmann::json::array();
    for (const TRefinedNode& n : refinement.Nodes)
        nodes.push_back({{"y", JsonDouble(n.Y)}, {"x_left", JsonDouble(n.XLeft)}, {"x", JsonDouble(n.X)},
                         {"x_right", JsonDouble(n.XRight)}, {"phases", Phases(n.Phases)}, {"refined", n.Refined}});
    nlohmann::json points = nlohmann::json::array();
    for (const TRefinedPoint& p : refinement.Points)
        points.push_back({{"kind", RefinedPointKindName(p.Kind)}, {"y", JsonDouble(p.Y)}, {"x", JsonDouble(p.X)},
                          {"phases", Phases(p.Phases)}, {"refined", p.Refined}});
    nlohmann::json branches = nlohmann::json::array();
    for (const TRefinedBranch& b : refinement.Branches) {
        nlohmann::json line = nlohmann::json::array();
        for (const auto& [x, y] : b.Points)
            line.push_back({JsonDouble(x), JsonDouble(y)});
        branches.push_back({{"left", JsonText(b.Left)}, {"right", JsonText(b.Right)},
                            {"side", b.RightSide ? "right" : "left"}, {"points", std::move(line)}});
    }
    return {{"boundaries", std::move(boundaries)}, {"nodes", std::move(nodes)}, {"points", std::move(points)},
            {"branches", std::move(branches)}};
}

} // namespace solvane::cli
