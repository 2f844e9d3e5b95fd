// Joining refined boundary points into lines.
#include "refine/RefineBranches.h"

#include <cmath>
#include <map>

namespace solvane {
namespace {

// One two-phase region followed down the lines: both its boundaries at once.
struct Track {
    std::string left, right;
    int lastLine = 0;
    std::vector<std::pair<double, double>> leftPoints, rightPoints;
};

// The compositions a node or point gives each of its phases; empty when a
// phase appears twice (both ends of a gap), which names no side.
std::map<std::string, double> Compositions(const std::vector<std::string>& phases, const std::vector<double>& xs)
{
    std::map<std::string, double> found;
    for (std::size_t k = 0; k < phases.size() && k < xs.size(); ++k)
        if (!found.emplace(phases[k], xs[k]).second)
            return {};
    return found;
}

// Adds (x, y) of the named phases at the end of the track it lies beside.
// reach: how many line steps beyond the track's end the node or point may lie.
void Close(Track& track, const std::map<std::string, double>& at, double y, double ystep, double reachSteps)
{
    const auto l = at.find(track.left), r = at.find(track.right);
    if (l == at.end() || r == at.end() || !(l->second <= r->second) || track.leftPoints.empty())
        return;
    if (track.left == track.right && at.size() > 1)
        return; // a gap closes only where its phase alone is named (a critical point)
    const double top = track.leftPoints.front().second, bottom = track.leftPoints.back().second;
    const double reach = reachSteps * std::fabs(ystep);
    if (std::fabs(y - bottom) <= reach && y <= bottom) {
        track.leftPoints.emplace_back(l->second, y);
        track.rightPoints.emplace_back(r->second, y);
    } else if (std::fabs(y - top) <= reach && y >= top) {
        track.leftPoints.insert(track.leftPoints.begin(), {l->second, y});
        track.rightPoints.insert(track.rightPoints.begin(), {r->second, y});
    }
}

} // namespace

std::vector<TRefinedBranch> JoinBranches(const TRefinement& refinement, double ystep)
{
    std::vector<Track> tracks;
    std::vector<std::size_t> open; // tracks that reached the previous line
    int currentLine = -1;
    std::vector<std::size_t> reached;
    for (const TRefinedBoundary& b : refinement.Boundaries) {
        if (!b.Region)
            continue;
        if (b.Line != currentLine) {
            if (b.Line == currentLine + 1)
                open = reached;
            else
                open.clear();
            reached.clear();
            currentLine = b.Line;
        }
        // The open track of the same pair nearest in X continues; else a new one starts.
        std::size_t best = tracks.size();
        double bestDistance = 0;
        for (const std::size_t k : open) {
            const Track& t = tracks[k];
            if (t.left != b.Left || t.right != b.Right || t.lastLine == b.Line)
                continue;
            const double d = std::fabs(t.leftPoints.back().first - b.XLeft) +
                             std::fabs(t.rightPoints.back().first - b.XRight);
            if (best == tracks.size() || d < bestDistance) {
                best = k;
                bestDistance = d;
            }
        }
        if (best == tracks.size())
            tracks.push_back(Track{b.Left, b.Right, b.Line, {}, {}});
        Track& track = tracks[best];
        track.lastLine = b.Line;
        track.leftPoints.emplace_back(b.XLeft, b.Y);
        track.rightPoints.emplace_back(b.XRight, b.Y);
        reached.push_back(best);
    }

    for (Track& track : tracks) {
        for (const TRefinedNode& node : refinement.Nodes)
            if (node.Refined)
                Close(track, Compositions(node.Phases, {node.XLeft, node.X, node.XRight}), node.Y, ystep, 1.5);
        for (const TRefinedPoint& point : refinement.Points)
            if (point.Refined)
                Close(track, Compositions(point.Phases, std::vector<double>(point.Phases.size(), point.X)), point.Y,
                      ystep, 16); // a region narrower than a grid step is not seen
    }

    std::vector<TRefinedBranch> branches;
    for (Track& track : tracks) {
        branches.push_back(TRefinedBranch{track.left, track.right, false, std::move(track.leftPoints)});
        branches.push_back(TRefinedBranch{track.left, track.right, true, std::move(track.rightPoints)});
    }
    return branches;
}

} // namespace solvane
