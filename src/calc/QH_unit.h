#pragma once
// Marks which points of a plane point set are vertices of its convex hull
// (QuickHull). The line analysis removes every point above the chord between
// the two end points first, so the hull's upper chain is that chord and the
// marked vertices are the lower convex hull of G(X).
//
// The caller fills QhCount, QhX, QhY and QhList (0, 1, ..., N-1 in order;
// SetCount does all of that but the coordinates), calls QuickHull and reads
// QhOnHull.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace solvane {

using T_PT = std::vector<std::int32_t>; // point indices, or flags

class TQhUnit {
public:
    std::int32_t QhCount = 0;
    std::vector<double> QhX;
    std::vector<double> QhY;
    T_PT QhList;
    T_PT QhOnHull; // 1 for a hull vertex, 0 otherwise

    // Receives the plain message of a work list overflow ("leftcnt = ...");
    // reachable only when QhList does not hold 0 .. N-1.
    std::function<void(const std::string&)> OnMessage;

    // Sets QhCount = n, sizes the arrays to n and fills QhList with 0 .. n-1.
    void SetCount(std::int32_t n);

    void QuickHull();

    // (X[a]-X[o])*(Y[b]-Y[o]) - (Y[a]-Y[o])*(X[b]-X[o]): positive when o, a, b
    // turn counter-clockwise; twice the triangle's area.
    double Cross(std::int32_t o, std::int32_t a, std::int32_t b) const
    {
        const double* x = QhX.data();
        const double* y = QhY.data();
        return (x[a] - x[o]) * (y[b] - y[o]) - (y[a] - y[o]) * (x[b] - x[o]);
    }
    // p lies strictly left of the directed line a->b; points on it never do.
    bool IsLeft(std::int32_t a, std::int32_t b, std::int32_t p) const { return Cross(p, a, b) > 0; }
    // (leftmost, rightmost); ties in X keep the earlier index.
    std::pair<std::int32_t, std::int32_t> FindExtremes() const;

private:
    // Work lists live one after another in a reused arena, released in the
    // reverse order of their making: entry 0 and 1 are the ends a, b of a
    // directed edge, the rest the points strictly left of it. `farthest` is
    // the entry with the largest Cross(entry, a, b), the earliest on equal
    // values; SelectLeft finds it from the very values it selects by.
    struct WorkList {
        std::size_t offset;
        std::int32_t count;
        std::int32_t farthest;
    };
    WorkList SelectLeft(WorkList list, std::int32_t a, std::int32_t b);
    void HullStep(WorkList list);
    bool ValidIndex(std::int32_t p) const { return p >= 0 && p < n_; }

    std::int32_t n_ = 0;
    std::vector<std::int32_t> arena_; // grows only; entries from top_ on are free
    std::size_t top_ = 0;
};

} // namespace solvane
