// Solvane: phase diagrams of binary systems from Gibbs energy expressions.
#include "app/Application.h"
#include "app/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

int main(int argc, char** argv)
{
    solvane::TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Solvane"));
    QApplication::setApplicationVersion(QStringLiteral(SOLVANE_VERSION));

    solvane::TMainWindowOptions options;
    options.ProgramDir = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    options.CurrentDir = QFile::encodeName(QDir::currentPath()).toStdString();
    options.SettingsPath = (std::filesystem::path(options.CurrentDir) / solvane::kSettingsFileName).string();
    // An installed program offers its example database when it finds no database of the user's.
    const QString examples = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/solvane/examples");
    if (QFileInfo::exists(examples + QStringLiteral("/Problems.d")))
        options.ExamplesDir = QDir(examples).canonicalPath();
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        options.Database = QFile::encodeName(arguments.at(1)).toStdString();

    // The main window first (its creation reads the settings and opens the
    // database), then the other windows, hidden.
    solvane::TfmMain window(options);
    window.CreateOtherWindows();
    window.show();
    return QApplication::exec();
}
