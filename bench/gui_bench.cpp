// The Run press of the main window, offscreen, with the mosaic window and the
// working chart shown, beside the headless run of the same problem:
//   Run/example/*    the example database's first problem
//   Run/1001x1001/*  the three-phase problem of sweep_bench on 1001 x 1001 points
// The window's time is taken from the Run press to the end of the press.
// Run/1001x1001/window also reports stop_ms: from the Yes answer to
// "Остановить расчет?" to the end of the press (the worst of three stops).
#include "BenchProblems.h"
#include "app/MainWindow.h"
#include "plot/QtText.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <memory>

using namespace solvane;

namespace {

TfmMain* Window = nullptr;

// Makes the given row of the problem list current, as a click on it does.
void ChooseRow(int row)
{
    auto* list = Window->findChild<QTableView*>(QStringLiteral("zebdbgrid1"));
    list->setCurrentIndex(list->model()->index(row, 0));
}

TProblemRow CurrentInput() { return Window->Session().Problems().Current(); }

// The second row becomes the 1001 x 1001 problem (posted by the first press).
void MakeLargeProblem()
{
    ChooseRow(1);
    QFile file(QStringLiteral(SOLVANE_PROBLEM_DIR "/two_compounds.txt"));
    file.open(QIODevice::ReadOnly);
    const QString script = QString::fromUtf8(file.readAll()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    TVolgaTable& table = Window->Session().Problems().Table();
    table.SetAsString("Functs", ToCp1251(QString(script).replace('\n', QStringLiteral("\r\n"))));
    table.SetAsString("Yparameter", "Temperature");
    table.SetAsFloat("Ymin", 300);
    table.SetAsFloat("Ymax", 1100);
    table.SetAsFloat("Zvalue", 1);
    table.SetAsInteger("XPoints", 1000);
    table.SetAsInteger("YPoints", 1000);
    table.SetAsBoolean("ShowMosaicDiagram", true);
    table.SetAsBoolean("ShowChart", true);
}

bool PressRun(benchmark::State& state)
{
    Window->RunButton()->click();
    const TRunResult& results = Window->Session().Results();
    if (!results.Completed) {
        state.SkipWithError("the run did not complete");
        return false;
    }
    return true;
}

void WindowRun(benchmark::State& state, int row)
{
    if (row == 1)
        MakeLargeProblem();
    else
        ChooseRow(row);
    for (auto _ : state)
        if (!PressRun(state))
            return;
    if (row == 0)
        return;
    // Stops: Stop pressed a while into the run and answered Yes.
    double worstMs = 0;
    for (int k = 0; k < 3; ++k) {
        QElapsedTimer sinceYes;
        QTimer answer;
        answer.callOnTimeout([&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && box->isVisible()) {
                answer.stop();
                sinceYes.start();
                box->button(QMessageBox::Yes)->click();
            }
        });
        answer.start(5);
        QTimer::singleShot(100, Window, [] { Window->findChild<QToolButton*>(QStringLiteral("sbStop"))->click(); });
        Window->RunButton()->click();
        if (!sinceYes.isValid() || Window->Session().Results().Completed) {
            state.SkipWithError("the run was not stopped");
            return;
        }
        worstMs = std::max(worstMs, sinceYes.nsecsElapsed() / 1e6);
    }
    state.counters["stop_ms"] = worstMs;
}

void HeadlessRun(benchmark::State& state, int row)
{
    if (row == 1)
        MakeLargeProblem();
    else
        ChooseRow(row);
    TRun run;
    bench::TimeHeadlessRuns(state, run, CurrentInput());
}

} // namespace

BENCHMARK_CAPTURE(WindowRun, example, 0)->Name("Run/example/window")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HeadlessRun, example, 0)->Name("Run/example/headless")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WindowRun, large, 1)->Name("Run/1001x1001/window")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HeadlessRun, large, 1)->Name("Run/1001x1001/headless")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("Problems.d"));
    QFile::copy(QStringLiteral(SOLVANE_EXAMPLE_DATABASE), database);
    TMainWindowOptions options;
    options.SettingsPath = QFile::encodeName(dir.filePath(QStringLiteral("Solvane.cfg"))).toStdString();
    options.Database = QFile::encodeName(database).toStdString();
    options.ProgramDir = options.CurrentDir = QFile::encodeName(dir.path()).toStdString();
    auto window = std::make_unique<TfmMain>(options);
    Window = window.get();
    window->CreateOtherWindows();
    window->show();
    QElapsedTimer shown;
    shown.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) && shown.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    window->findChild<QCheckBox*>(QStringLiteral("chbSave"))->setChecked(false);
    window->close();
    return 0;
}
