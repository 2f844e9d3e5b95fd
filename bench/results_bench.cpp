// The result windows on a finished run, offscreen, beside the headless run of
// the same problem (the three-phase problem of sweep_bench on 1001 x 1001 points):
//   Run/1001x1001/headless   the run itself, with its special points search
//   Grid/open_and_scroll     "&Grid" on the finished run, then the grid scrolled
//                            from its first row to its last, a page at a time,
//                            every page painted
//   Diagram/build/unrefined  the diagram as the command line draws it: the boundary
//                            points plotted, the special points search, the node
//                            lines, the chart drawn
//   Diagram/build/refined    the diagram command of the window: the same with the
//                            refinement, and its lines shown ("Уточнённые границы")
//   Diagram/label_regions    "Подписать области" on the built diagram
// Every window case works on one finished run, made once.
#include "BenchProblems.h"
#include "views/CellGridView.h"
#include "views/GridUnit.h"
#include "views/Diagram2.h"

#include <qcustomplot.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QWindow>

#include <memory>
#include <string>

using namespace solvane;

namespace {

TProblemRow LargeProblem() { return bench::SquareProblem("two_compounds.txt", 300, 1100, 1001); }

// The finished run every window case shows, made once; null when it failed. A
// diagram build searches it again, which rewrites its nodes to what they were.
TRun* FinishedRun()
{
    static const std::unique_ptr<TRun> run = [] {
        auto made = std::make_unique<TRun>();
        return RunProblemHeadless(*made, LargeProblem()).Completed ? std::move(made) : nullptr;
    }();
    return run.get();
}

void ProcessEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); }

void HeadlessRun(benchmark::State& state)
{
    TRun run;
    bench::TimeHeadlessRuns(state, run, LargeProblem());
}

void GridOpenAndScroll(benchmark::State& state)
{
    const TRun* run = FinishedRun();
    if (!run) {
        state.SkipWithError("the run did not complete");
        return;
    }
    int pages = 0;
    for (auto _ : state) {
        TfmCells cells(run->Results().Cells);
        cells.ShowNarrow();
        ProcessEvents();
        TCellGridView& view = *cells.View();
        QScrollBar& bar = *view.verticalScrollBar();
        pages = 0;
        for (int value = 0;; value += bar.pageStep()) {
            bar.setValue(value);
            view.viewport()->repaint();
            ++pages;
            if (value >= bar.maximum())
                break;
        }
        if (bar.value() != bar.maximum() || bar.maximum() == 0) {
            state.SkipWithError("the grid did not scroll to its last row");
            return;
        }
    }
    state.counters["pages"] = pages;
    state.counters["rows"] = run->Results().Cells.RowCount();
}

void DiagramBuild(benchmark::State& state, bool refine)
{
    TRun* run = FinishedRun();
    if (!run) {
        state.SkipWithError("the run did not complete");
        return;
    }
    TfmDiagram2 diagram{QString()};
    diagram.ShowRefined(refine);
    for (auto _ : state) {
        diagram.Build(*run, QStringLiteral("Temperature"), refine);
        diagram.Chart()->replot(QCustomPlot::rpImmediateRefresh);
        ProcessEvents();
    }
    state.counters["points"] = run->Results().ZHigh + 1;
}

void DiagramLabelRegions(benchmark::State& state)
{
    TRun* run = FinishedRun();
    if (!run) {
        state.SkipWithError("the run did not complete");
        return;
    }
    TfmDiagram2 diagram{QString()};
    diagram.Build(*run, QStringLiteral("Temperature"), false);
    int labels = 0;
    for (auto _ : state) {
        labels = diagram.LabelRegions();
        diagram.Chart()->replot(QCustomPlot::rpImmediateRefresh);
        ProcessEvents();
    }
    state.counters["labels"] = labels;
}

} // namespace

BENCHMARK(HeadlessRun)->Name("Run/1001x1001/headless")->Unit(benchmark::kMillisecond);
BENCHMARK(GridOpenAndScroll)->Name("Grid/open_and_scroll")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DiagramBuild, unrefined, false)->Name("Diagram/build/unrefined")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DiagramBuild, refined, true)->Name("Diagram/build/refined")->Unit(benchmark::kMillisecond);
BENCHMARK(DiagramLabelRegions)->Name("Diagram/label_regions")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
