#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "expr/Sortcmp.h"

using solvane::TQSort;

namespace {

std::string Event(char kind, int i, int j)
{
    char text[32];
    std::snprintf(text, sizeof text, "%c%d,%d", kind, i, j);
    return text;
}

// Elements at indices [base, base + keys.size()); every event is logged.
struct Sorted {
    std::vector<int> keys;
    std::vector<char> tags;
    int base = 0;
    std::vector<std::string> log;
    bool outOfRange = false;

    void Attach(TQSort& sorter)
    {
        sorter.OnCompare = [this](TQSort*, int i, int j, int& result) {
            log.push_back(Event('C', i, j));
            result = At(i) < At(j) ? -1 : At(i) > At(j) ? 1 : 0;
        };
        sorter.OnSwap = [this](TQSort*, int i, int j) {
            log.push_back(Event('S', i, j));
            if (Valid(i) && Valid(j)) {
                std::swap(keys[i - base], keys[j - base]);
                std::swap(tags[i - base], tags[j - base]);
            }
        };
    }
    bool Valid(int i)
    {
        const bool ok = i >= base && i < base + static_cast<int>(keys.size());
        outOfRange = outOfRange || !ok;
        return ok;
    }
    int At(int i) { return Valid(i) ? keys[i - base] : 0; }
};

Sorted SortLogged(std::vector<int> keys, int base = 0)
{
    Sorted s;
    s.keys = std::move(keys);
    for (std::size_t i = 0; i < s.keys.size(); ++i)
        s.tags.push_back(static_cast<char>('a' + i % 26));
    s.base = base;
    TQSort sorter;
    s.Attach(sorter);
    sorter.Sort(base, static_cast<int>(s.keys.size()));
    return s;
}

} // namespace

TEST(Sortcmp, ExactSequenceOfEvents)
{
    struct Case {
        std::vector<int> keys;
        int base;
        std::vector<std::string> log;
        std::string tagsAfter;
    };
    const std::vector<Case> cases = {
        {{}, 0, {}, ""},
        {{7}, 3, {}, "a"},
        // two elements in order: still one swap of the first with itself
        {{1, 2}, 0, {"C0,0", "C0,1", "C0,0", "S0,0"}, "ab"},
        {{2, 1}, 0, {"C0,0", "C0,1", "S0,1"}, "ba"},
        // equal elements are exchanged: the sort is not stable
        {{5, 5}, 0, {"C0,0", "C0,1", "S0,1"}, "ba"},
        {{5, 5, 5}, 0, {"C0,1", "C1,2", "S0,2", "C1,1", "C1,1", "S1,1"}, "cba"},
        // the pivot is followed where the swap moves it
        {{3, 1, 2}, 10, {"C10,11", "C11,12", "C11,11", "S10,11", "C11,11", "C11,12", "S11,12"}, "bca"},
    };
    for (const Case& c : cases) {
        const Sorted s = SortLogged(c.keys, c.base);
        EXPECT_EQ(s.log, c.log) << "keys of size " << c.keys.size();
        EXPECT_EQ(std::string(s.tags.begin(), s.tags.end()), c.tagsAfter);
    }
}

TEST(Sortcmp, SortsAnyInputTouchingOnlyItsRange)
{
    std::mt19937 random(12345);
    for (int count : {2, 3, 4, 5, 8, 17, 100, 1000}) {
        for (int range : {2, 10, 1000000}) { // many duplicates, some, none
            std::vector<int> keys(static_cast<std::size_t>(count));
            for (int& k : keys)
                k = static_cast<int>(random() % static_cast<unsigned>(range));
            std::vector<int> expected = keys;
            std::sort(expected.begin(), expected.end());
            const Sorted s = SortLogged(keys, 5);
            EXPECT_EQ(s.keys, expected) << count << " keys below " << range;
            EXPECT_FALSE(s.outOfRange) << count << " keys below " << range;
        }
    }
    // already sorted, reversed and constant inputs
    for (const std::vector<int>& keys : {std::vector<int>{1, 2, 3, 4, 5, 6, 7}, std::vector<int>{7, 6, 5, 4, 3, 2, 1},
                                         std::vector<int>(9, 4)}) {
        std::vector<int> expected = keys;
        std::sort(expected.begin(), expected.end());
        const Sorted s = SortLogged(keys, 1);
        EXPECT_EQ(s.keys, expected);
        EXPECT_FALSE(s.outOfRange);
    }
}

TEST(Sortcmp, UnassignedEventsDoNothing)
{
    TQSort sorter;
    sorter.Sort(0, 10); // no events: must simply return
    int swaps = 0;
    sorter.OnSwap = [&](TQSort*, int, int) { ++swaps; };
    sorter.Sort(0, 4); // every pair compares equal
    EXPECT_GT(swaps, 0);
}
