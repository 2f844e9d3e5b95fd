#pragma once
// One problem as plain values, and the problem table's schema.
#include "store/VolgaTbl.h"

#include <string>
#include <vector>

namespace solvane {

// Texts are Windows-1251 bytes; Functs keeps its CR LF line breaks.
struct TProblemRow {
    std::string ProblemName;
    double Ymin = 0;
    double Ymax = 0;
    double Zvalue = 0;
    int YPoints = 0;
    int XPoints = 0;
    bool ShowMosaicDiagram = false;
    bool ShowChart = false;
    std::string Functs;
    std::string Yparameter;
    std::string Zparameter;
};

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
