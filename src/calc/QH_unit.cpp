#include "calc/QH_unit.h"

#include <algorithm>

namespace solvane {

void TQhUnit::SetCount(std::int32_t n)
{
    QhCount = std::max<std::int32_t>(n, 0);
    const auto size = static_cast<std::size_t>(QhCount);
    QhX.resize(size);
    QhY.resize(size);
    QhOnHull.assign(size, 0);
    QhList.resize(size);
    for (std::int32_t i = 0; i < QhCount; ++i)
        QhList[static_cast<std::size_t>(i)] = i;
}

std::pair<std::int32_t, std::int32_t> TQhUnit::FindExtremes() const
{
    std::int32_t left = 0;
    std::int32_t right = 0;
    for (std::int32_t i = 1; i < n_; ++i) {
        if (QhX[static_cast<std::size_t>(i)] < QhX[static_cast<std::size_t>(left)])
            left = i;
        if (QhX[static_cast<std::size_t>(i)] > QhX[static_cast<std::size_t>(right)])
            right = i;
    }
    return {left, right};
}

TQhUnit::WorkList TQhUnit::SelectLeft(WorkList list, std::int32_t a, std::int32_t b)
{
    // The new list has room for as many entries as its input.
    const std::size_t out = top_;
    const std::size_t room = static_cast<std::size_t>(std::max<std::int32_t>(list.count, 2));
    if (arena_.size() < out + room)
        arena_.resize(std::max(out + room, 2 * arena_.size()));
    std::int32_t* dst = arena_.data() + out;
    const std::int32_t* src = arena_.data() + list.offset;
    dst[0] = a;
    dst[1] = b;
    std::int32_t k = 2;
    std::int32_t farthest = -1;
    double farthestCross = 0;
    for (std::int32_t pos = 0; pos < list.count; ++pos) {
        const std::int32_t p = src[pos];
        if (p == a || p == b || !ValidIndex(p))
            continue;
        const double cross = Cross(p, a, b);
        if (!(cross > 0)) // IsLeft(a, b, p)
            continue;
        if (k >= list.count) {
            if (OnMessage)
                OnMessage("leftcnt = " + std::to_string(k) + "\rpt[" + std::to_string(pos) + "] = " +
                          std::to_string(p) + "\rHigh(left) = " + std::to_string(list.count - 1));
            continue;
        }
        dst[k++] = p;
        if (farthest < 0 || cross > farthestCross) { // on equal values the earlier entry wins
            farthest = p;
            farthestCross = cross;
        }
    }
    top_ = out + static_cast<std::size_t>(k);
    return {out, k, farthest};
}

// Depth-first over the edges, left part before right part, with an explicit
// stack: a badly split point set can nest as deep as it has points.
void TQhUnit::HullStep(WorkList list)
{
    struct Frame {
        WorkList list;
        std::int32_t c;
        int stage; // 0: not split yet, 1: left part done, 2: both parts done
    };
    std::vector<Frame> stack{{list, -1, 0}};
    while (!stack.empty()) {
        const Frame f = stack.back();
        const std::int32_t* entry = arena_.data() + f.list.offset;
        if (f.stage == 2 || f.list.count <= 3) {
            if (f.stage == 0 && f.list.count == 3)
                QhOnHull[static_cast<std::size_t>(entry[2])] = 1;
            top_ = f.list.offset; // this level's list is released
            stack.pop_back();
            continue;
        }
        if (f.stage == 0) {
            const std::int32_t c = f.list.farthest;
            QhOnHull[static_cast<std::size_t>(c)] = 1;
            const std::int32_t a = entry[0];
            stack.back().c = c;
            stack.back().stage = 1;
            stack.push_back({SelectLeft(f.list, a, c), -1, 0});
        } else {
            const std::int32_t b = entry[1];
            stack.back().stage = 2;
            stack.push_back({SelectLeft(f.list, f.c, b), -1, 0});
        }
    }
}

void TQhUnit::QuickHull()
{
    n_ = std::max<std::int32_t>(QhCount, 0);
    // Never read past what the caller provided.
    n_ = static_cast<std::int32_t>(std::min<std::size_t>(
        {static_cast<std::size_t>(n_), QhX.size(), QhY.size(), QhList.size()}));
    QhOnHull.assign(static_cast<std::size_t>(std::max<std::int32_t>(QhCount, 0)), 0);
    if (n_ == 0)
        return;
    const auto [left, right] = FindExtremes();
    QhOnHull[static_cast<std::size_t>(left)] = 1;
    QhOnHull[static_cast<std::size_t>(right)] = 1;
    if (n_ == 1)
        return; // one point is its own hull; no edge to split

    if (arena_.size() < static_cast<std::size_t>(n_))
        arena_.resize(static_cast<std::size_t>(n_));
    std::copy(QhList.begin(), QhList.begin() + n_, arena_.begin());
    top_ = static_cast<std::size_t>(n_);
    const WorkList all{0, n_, -1};
    HullStep(SelectLeft(all, left, right));
    HullStep(SelectLeft(all, right, left));
}

} // namespace solvane
