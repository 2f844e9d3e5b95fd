// The one part of solvane-cli that needs Qt: the diagram is drawn by the
// diagram window's own drawing code, on the offscreen platform, so that no
// display is needed.
#include "cli/DiagramFiles.h"

#include "diagram/DiagramCsv.h"
#include "plot/DiagramPicture.h"
#include "plot/DiagramPlot.h"
#include "plot/QtText.h"
#include "store/SafeFile.h"

#include <QApplication>
#include <qcustomplot.h>

#include <iostream>
#include <memory>
#include <stdexcept>

namespace solvane::cli {
namespace {

bool Report(const std::string& path, const std::string& why)
{
    std::cerr << "solvane-cli run: cannot write " << path << ": " << why << '\n';
    return false;
}

// Qt's notes about the offscreen platform are not the tool's business; its fatal errors are.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "solvane-cli: " << message.toStdString() << '\n';
}

// The chart of the diagram window at its design size, so that every picture
// has the same size wherever the tool runs.
constexpr int kChartWidth = 959;
constexpr int kChartHeight = 557;

bool DrawFiles(const TDiagramSnapshot& diagram, const TDiagramOutputs& outputs)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQt);
    static int argc = 1;
    static char name[] = "solvane-cli";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    // No Chart.cfg: the same picture wherever the tool is started.
    QCustomPlot chart;
    chart.resize(kChartWidth, kChartHeight);
    SetupDiagramChart(chart);
    DrawDiagram(chart, diagram, FromCp1251(diagram.Yparameter), FromCp1251(kBuiltInFootText));
    const TDiagramPicture picture{&chart, {}, FromCp1251(diagram.ProblemName)};
    bool ok = true;
    const std::pair<const std::string*, TPictureFormat> files[] = {{&outputs.Svg, TPictureFormat::Svg},
                                                                   {&outputs.Png, TPictureFormat::Png},
                                                                   {&outputs.Pdf, TPictureFormat::Pdf},
                                                                   {&outputs.Wmf, TPictureFormat::Wmf}};
    for (const auto& [path, format] : files) {
        if (path->empty())
            continue;
        const QString error = SavePicture(picture, format, QString::fromStdString(*path));
        if (!error.isEmpty())
            ok = Report(*path, error.toStdString());
    }
    return ok;
}

} // namespace

bool WriteDiagramFiles(const TDiagramSnapshot& diagram, bool withRefinement, const TDiagramOutputs& outputs)
{
    bool ok = true;
    if (!outputs.Csv.empty()) {
        try {
            ReplaceFile(outputs.Csv, DiagramCsv(diagram, withRefinement));
        } catch (const std::runtime_error& e) {
            ok = Report(outputs.Csv, e.what());
        }
    }
    if (outputs.Drawn())
        ok = DrawFiles(diagram, outputs) && ok;
    return ok;
}

} // namespace solvane::cli
