#include "app/Application.h"

#include "views/QtSeams.h"

#include <QLibraryInfo>
#include <QScopedValueRollback>
#include <QTranslator>

#include <exception>

namespace solvane {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The program speaks Russian whatever the desktop's language: "Да", "Нет", "Отмена".
    auto* translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(e.what());
    } catch (...) {
        ShowException("Unknown error");
    }
    return true;
}

void TApplication::ShowException(const char* message)
{
    // An error from a paint or a timer would come again under its own box, and
    // that box's event loop would open the next one: one box at a time.
    static bool showing = false;
    if (showing) {
        qWarning("%s", message);
        return;
    }
    const QScopedValueRollback<bool> shown(showing, true);
    TQtMessageSink(activeModalWidget() ? activeModalWidget() : activeWindow()).Show(TMessageKind::Error, message);
}

} // namespace solvane
