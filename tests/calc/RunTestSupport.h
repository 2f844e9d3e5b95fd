#pragma once
// Small helpers of the calculation tests: a problem from a script, a message
// recorder, and reading a grid row.
#include "calc/HeadlessRun.h"
#include "calc/Run.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace solvane {

// Writable run state for tests that set up what no sequence of presses makes.
struct TRunTestAccess {
    static TRunResult& State(TRun& run) { return run.result_; }
};

} // namespace solvane

namespace solvane::test {

// The gas constant of the program's ideal-mixing term.
constexpr double R = kGasConstant;

#ifdef SOLVANE_PROBLEM_DIR
// A script of tests/calc/problems.
inline std::string ReadProblem(const std::string& name)
{
    std::ifstream in(std::string(SOLVANE_PROBLEM_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
#endif

inline TProblemRow MakeProblem(const std::string& script, double ymin = 300, double ymax = 400, int ypoints = 10,
                                 int xpoints = 10, const std::string& y = "Temperature", double z = 1)
{
    TProblemRow p;
    p.ProblemName = "test";
    p.Functs = script;
    p.Ymin = ymin;
    p.Ymax = ymax;
    p.YPoints = ypoints;
    p.XPoints = xpoints;
    p.Yparameter = y;
    p.Zvalue = z;
    return p;
}

inline std::vector<std::string> Texts(const std::vector<TRecordedMessage>& messages)
{
    std::vector<std::string> texts;
    for (const auto& m : messages)
        texts.push_back(m.Text);
    return texts;
}

// Data cells 1 .. last of a grid row.
inline std::vector<std::string> DataRow(const CellGrid& grid, int row)
{
    std::vector<std::string> cells;
    for (int c = 1; c < grid.ColCount(); ++c)
        cells.push_back(grid.Cell(c, row));
    return cells;
}

} // namespace solvane::test
