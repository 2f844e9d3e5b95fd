#pragma once
// The problems the benchmarks time: a script of tests/calc/problems swept in
// temperature on a square grid, and the loop that times whole headless runs.
#include "calc/HeadlessRun.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

namespace solvane::bench {

// points: grid points along each axis (columns and lines).
inline TProblemRow SquareProblem(const std::string& file, double ymin, double ymax, int points)
{
    std::ifstream in(std::string(SOLVANE_PROBLEM_DIR) + "/" + file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    TProblemRow problem;
    problem.ProblemName = file;
    problem.Functs = text.str();
    problem.Yparameter = "Temperature";
    problem.Ymin = ymin;
    problem.Ymax = ymax;
    problem.Zvalue = 1;
    problem.YPoints = points - 1;
    problem.XPoints = points - 1;
    return problem;
}

// Times one whole run per iteration; false, with the error on the state, when a run fails.
inline bool TimeHeadlessRuns(benchmark::State& state, TRun& run, const TProblemRow& problem)
{
    for (auto _ : state) {
        const THeadlessResult result = RunProblemHeadless(run, problem);
        if (!result.Completed) {
            state.SkipWithError(("run not completed: " + result.Outcome.Error).c_str());
            return false;
        }
        benchmark::DoNotOptimize(run.Results().ZHigh);
    }
    return true;
}

} // namespace solvane::bench
