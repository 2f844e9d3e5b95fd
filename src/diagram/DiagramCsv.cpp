#include "diagram/DiagramCsv.h"

#include "text/Cp1251.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace solvane {
namespace {

std::string Number(double v)
{
    if (!std::isfinite(v))
        return std::isnan(v) ? "nan" : (v > 0 ? "inf" : "-inf");
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

std::string Field(const std::string& cp1251)
{
    std::string text = Cp1251ToUtf8(cp1251);
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

std::string Joined(const std::vector<std::string>& phases)
{
    std::string text;
    for (const std::string& phase : phases)
        text += (text.empty() ? "" : "+") + phase;
    return text;
}

void AddRefinedRows(std::string& csv, const TRefinement& refinement)
{
    for (const TRefinedBoundary& b : refinement.Boundaries)
        if (b.Refined)
            csv += "refined_boundary," + Number(b.Y) + ",," + Number(b.XLeft) + ',' + Number(b.XRight) + ',' +
                   Field(b.Left + "+" + b.Right) + '\n';
    for (const TRefinedNode& n : refinement.Nodes)
        if (n.Refined)
            csv += "refined_node," + Number(n.Y) + ',' + Number(n.X) + ',' + Number(n.XLeft) + ',' + Number(n.XRight) +
                   ',' + Field(Joined(n.Phases)) + '\n';
    for (const TRefinedPoint& p : refinement.Points)
        if (p.Refined)
            csv += "refined_point," + Number(p.Y) + ',' + Number(p.X) + ",,," +
                   Field(std::string(RefinedPointKindName(p.Kind)) + ": " + Joined(p.Phases)) + '\n';
}

} // namespace

std::string DiagramCsv(const TDiagramSnapshot& diagram, bool withRefinement)
{
    const SpecialPointsResult& special = diagram.Special;
    std::string csv = "kind,y,x,x_left,x_right,phase\n";
    for (const TZPoint& z : diagram.BoundaryPoints)
        csv += "boundary," + Number(z.Y) + ',' + Number(z.X) + ",,," + Field(z.Phase) + '\n';
    for (const TNode& n : special.Nodes)
        csv += "node," + Number(n.Y) + ',' + Number(n.X) + ',' + Number(n.XLeft) + ',' + Number(n.XRight) + ",\n";
    for (const auto& [x, y] : special.OtherPoints)
        csv += "special," + Number(y) + ',' + Number(x) + ",,,\n";
    if (withRefinement)
        AddRefinedRows(csv, diagram.Refinement);
    return csv;
}

} // namespace solvane
