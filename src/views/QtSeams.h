#pragma once
// The core's seams on the desktop: its messages become message boxes and its
// database dialogs become Qt's file and input dialogs. Texts arrive as
// Windows-1251 bytes; file names travel in the file system's own encoding.
#include "store/ProblemDatabase.h"
#include "text/Messages.h"

#include <QString>

#include <functional>

class QWidget;

namespace solvane {

class TQtMessageSink : public TMessageSink {
public:
    explicit TQtMessageSink(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    bool Show(TMessageKind kind, const std::string& text) override;
    // A message box with a detail text under "Подробнее…" (e.g. a run's error).
    void ShowError(const QString& text, const QString& detail);

private:
    QWidget* parent_;
};

class TQtDatabaseDialogs : public IDatabaseDialogs {
public:
    explicit TQtDatabaseDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    // Receives the main window's caption ("Database: " and a path, or a path).
    std::function<void(const QString&)> OnCaption;
    // Where the open dialog starts (the installed examples); empty: the current folder.
    QString StartFolder;

    std::optional<std::string> ChooseDatabase() override;
    std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                       const std::string& text) override;
    void SetCaption(const std::string& caption) override;
    std::optional<std::string> ChooseSaveName(const std::string& current) override;

private:
    QWidget* parent_;
};

} // namespace solvane
