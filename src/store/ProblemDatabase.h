#pragma once
// The database commands Open, Create and Save, "Save if wanted", and opening
// the working database at start. Dialogs are asked through IDatabaseDialogs,
// message boxes go to the message sink.
#include "text/Messages.h"
#include "store/ProblemTable.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace solvane {

inline constexpr const char* kDatabaseFilter = "Thermodynamic properties (*.d)|*.d";
inline constexpr const char* kDatabaseExtension = "d";
// Windows-1251: "Имя новой базы данных", "Введите имя файла с расширением .d".
inline constexpr const char* kNewDatabaseTitle = "\xC8\xEC\xFF \xED\xEE\xE2\xEE\xE9 \xE1\xE0\xE7\xFB \xE4\xE0\xED\xED\xFB\xF5";
inline constexpr const char* kNewDatabasePrompt =
    "\xC2\xE2\xE5\xE4\xE8\xF2\xE5 \xE8\xEC\xFF \xF4\xE0\xE9\xEB\xE0 \xF1 \xF0\xE0\xF1\xF8\xE8\xF0\xE5\xED\xE8\xE5\xEC .d";

class IDatabaseDialogs {
public:
    virtual ~IDatabaseDialogs() = default;
    // The open dialog (kDatabaseFilter, default extension kDatabaseExtension,
    // existing files only); nothing on Cancel.
    virtual std::optional<std::string> ChooseDatabase() = 0;
    // The input box with its title, prompt and starting text; nothing on Cancel.
    virtual std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                               const std::string& text) = 0;
    // The main window's caption.
    virtual void SetCaption(const std::string& caption) = 0;
    // The save dialog, offered when the database could not be saved: another
    // name for it, starting from the current one; nothing on Cancel.
    virtual std::optional<std::string> ChooseSaveName(const std::string& /*current*/) { return std::nullopt; }
};

class TProblemDatabase {
public:
    TProblemDatabase(TMessageSink& messages, IDatabaseDialogs& dialogs);

    TProblemTable& Problems() { return m_problems; }
    const TProblemTable& Problems() const { return m_problems; }

    std::string WorkingFileName;
    bool SaveWanted = true; // the check box "Сохранить"
    // The run preparation for the first problem, after Open and the cleanup.
    std::function<void()> PrepareRun;

    // Opens path as the working database: WorkingFileName, TableName, caption,
    // Open, cleanup, PrepareRun. False when any step failed (already reported).
    bool OpenDatabase(const std::string& path);
    // With the check box checked: posts a pending row, then saves if the database changed.
    // False when the post was rejected or the save failed (another name refused too).
    bool SaveIfWanted();

    bool OpenCommand();
    bool CreateCommand();
    bool SaveCommand();

private:
    void ReportError(const std::exception& e);
    // The pending row posted; false when the post was rejected (already reported).
    bool PostPendingRow();
    // SaveToFile to WorkingFileName; when that fails, the error and then the
    // save dialog, as often as the user picks a name that fails too. A name
    // that works becomes the working database. False when the user gave up.
    bool SaveWorkingFile();

    TMessageSink& m_messages;
    IDatabaseDialogs& m_dialogs;
    TProblemTable m_problems;
};

// What `solvane-cli run FILE` starts from: the database opened as at start
// (Open and the cleanup, in memory only, never writing the file), the problems
// in list order.
struct TProblemSet {
    bool Opened = false;
    std::string Error; // the open error, as the user would see it
    std::vector<TRecordedMessage> Messages;
    std::vector<TProblemRow> Problems;
};
TProblemSet LoadProblemsForRun(const std::string& path);

} // namespace solvane
