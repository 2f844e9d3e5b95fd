#pragma once
// The problem table's schema, and a problem read from and written to a table row.
#include "store/Problem.h"
#include "store/VolgaTbl.h"

#include <string>
#include <vector>

namespace solvane {

// A new problem: YPoints and XPoints 100, ShowChart true, everything else zero or empty.
TProblemRow NewProblemRow();

// Declared length of the three text fields.
constexpr int kProblemTextLength = 20;

// The eleven fields in file order, as a new database declares them.
std::vector<TFieldDef> ProblemFieldDefs();
// The fields a database must have to open as the problem table.
std::vector<TFieldBinding> ProblemFieldBindings();

// The problem in one row of a table bound to the problem schema.
TProblemRow ReadProblemRow(const TVolgaTable& table, const TRowValues& values);

// Stores every field of the problem into the table's pending row.
void WriteProblemRow(TVolgaTable& table, const TProblemRow& problem);

// A problem database holding the problems in this order (closed, content in memory).
void BuildProblemDatabase(TVolgaTable& table, const std::vector<TProblemRow>& problems);

} // namespace solvane
