// The one part of solvane-cli that needs Qt: the diagram is drawn by the
// diagram window itself, on the offscreen platform, so that no display is needed.
#include "cli/DiagramFiles.h"

#include "session/DiagramCsv.h"
#include "store/SafeFile.h"
#include "views/Diagram2.h"
#include "views/QtText.h"

#include <QApplication>

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

bool DrawFiles(TRun& run, const TDiagramOutputs& outputs)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQt);
    static int argc = 1;
    static char name[] = "solvane-cli";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    // No Chart.cfg: the same picture wherever the tool is started.
    TfmDiagram2 diagram{QString()};
    diagram.setWindowTitle(FromCp1251(run.Input.Problem.ProblemName));
    diagram.Build(run, FromCp1251(run.Input.Problem.Yparameter), /*refine=*/false);
    const TDiagramPicture picture = diagram.Picture();
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

bool WriteDiagramFiles(TRun& run, const SpecialPointsResult& special, const TRefinement* refinement,
                       const TDiagramOutputs& outputs)
{
    bool ok = true;
    if (!outputs.Csv.empty()) {
        try {
            ReplaceFile(outputs.Csv, DiagramCsv(BoundaryPointsOf(run.Results()), special, refinement));
        } catch (const std::runtime_error& e) {
            ok = Report(outputs.Csv, e.what());
        }
    }
    if (outputs.Drawn())
        ok = DrawFiles(run, outputs) && ok;
    return ok;
}

} // namespace solvane::cli
