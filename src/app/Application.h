#pragma once
// The program's application object: Qt's own dialogs and buttons in Russian,
// and the general error handler, so that an exception that leaves an event
// handler is shown in an error box and the program goes on.
#include <QApplication>

namespace solvane {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The error box of the general handler; the message as the core wrote it (Windows-1251).
    static void ShowException(const char* message);
};

} // namespace solvane
