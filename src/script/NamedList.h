#pragma once
// The ordered (text, object) lists that hold a script's evaluators and a run's
// named collections.
#include <memory>
#include <string>
#include <vector>

namespace solvane {

// An entry of an ordered (text, object) list. The list owns its objects:
// clearing it releases the evaluators or records of the previous run.
template <class T>
struct TListItem {
    std::string Text;
    std::unique_ptr<T> Object;
};

template <class T>
using TNamedList = std::vector<TListItem<T>>;

} // namespace solvane
