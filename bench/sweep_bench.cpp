// Whole runs without a window, as the Run button makes them: preparation,
// the sweep from Ymax to Ymin, and the special points search. Reports the time
// of one run and the time per grid point (X columns times Y lines).
#include <benchmark/benchmark.h>

#include "BenchProblems.h"

using namespace solvane;

namespace {

// points: grid points along each axis (columns and lines).
void Sweep(benchmark::State& state, const char* file, double ymin, double ymax)
{
    const TProblemRow problem = bench::SquareProblem(file, ymin, ymax, static_cast<int>(state.range(0)));
    TRun run;
    if (!bench::TimeHeadlessRuns(state, run, problem))
        return;
    const double gridPoints = static_cast<double>(run.Results().XColumns.size()) * (run.Results().LineIndex + 1);
    state.counters["grid_points"] = gridPoints;
    state.counters["per_point"] =
        benchmark::Counter(gridPoints, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

// Two solution phases (ideal liquid and solid).
BENCHMARK_CAPTURE(Sweep, two_phase_lens, "ideal_lens.txt", 1300, 1800)
    ->Arg(101)->Arg(301)->Arg(1001)->Unit(benchmark::kMillisecond);
// Three solution phases, two point phases, three parameters.
BENCHMARK_CAPTURE(Sweep, three_phase_two_compounds, "two_compounds.txt", 300, 1100)
    ->Arg(101)->Arg(301)->Arg(1001)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
