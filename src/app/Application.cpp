#include "app/Application.h"

#include "views/QtSeams.h"

#include <QLibraryInfo>
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
    TQtMessageSink(activeModalWidget() ? activeModalWidget() : activeWindow()).Show(TMessageKind::Error, message);
}

} // namespace solvane
