// The refinement of a finished run beside the run itself: both timed in the
// same program on the same problem, the refinement reported as a ratio of the
// run's time (counter "ratio"), with the run's and the refinement's seconds.
#include <benchmark/benchmark.h>

#include <chrono>

#include "BenchProblems.h"
#include "diagram/DiagramSnapshot.h"
#include "refine/Refine.h"

using namespace solvane;

namespace {

// points: grid points along each axis (columns and lines). The iteration time is
// the refinement's.
void RefineAfterRun(benchmark::State& state, const char* file, double ymin, double ymax)
{
    const TProblemRow problem = bench::SquareProblem(file, ymin, ymax, static_cast<int>(state.range(0)));
    TRun run;
    double runSeconds = 0, refineSeconds = 0;
    std::size_t refined = 0, results = 0;
    for (auto _ : state) {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        const THeadlessResult result = RunProblemHeadless(run, problem);
        const TDiagramSnapshot diagram = BuildDiagramSnapshot(run, {.SpecialPoints = true, .Refinement = false});
        const auto ran = Clock::now();
        if (!result.Completed) {
            state.SkipWithError(("run not completed: " + result.Outcome.Error).c_str());
            break;
        }
        const TRefinement refinement = Refine(run.Results(), run.Script(), diagram.Special.Nodes, run.YQuantity());
        const auto done = Clock::now();
        runSeconds += std::chrono::duration<double>(ran - start).count();
        const double seconds = std::chrono::duration<double>(done - ran).count();
        refineSeconds += seconds;
        state.SetIterationTime(seconds);
        refined = 0;
        for (const TRefinedBoundary& b : refinement.Boundaries)
            refined += b.Refined;
        results = refinement.Boundaries.size();
        benchmark::DoNotOptimize(refinement.Branches.data());
    }
    state.counters["run_s"] = runSeconds / static_cast<double>(state.iterations());
    state.counters["refine_s"] = refineSeconds / static_cast<double>(state.iterations());
    state.counters["ratio"] = runSeconds > 0 ? refineSeconds / runSeconds : 0;
    state.counters["boundaries"] = static_cast<double>(results);
    state.counters["refined"] = static_cast<double>(refined);
}

} // namespace

// Three solution phases, two point phases, three parameters.
BENCHMARK_CAPTURE(RefineAfterRun, three_phase_two_compounds, "two_compounds.txt", 300, 1100)
    ->Arg(101)->Arg(1001)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

BENCHMARK_MAIN();
