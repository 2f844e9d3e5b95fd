#pragma once
// What the main window does that needs no widget: the problem database and
// the run joined, the start with the settings and the working database, a
// Run press with the current problem, and the exit that saves what is wanted.
// The window shows; this decides. Everything here reports through the
// message sink and asks through the database dialogs.
#include "calc/Run.h"
#include "script/ScriptCheck.h"
#include "session/Settings.h"
#include "store/ProblemDatabase.h"

#include <functional>
#include <optional>
#include <vector>
#include <string>

namespace solvane {

// Windows-1251: "Выйти без сохранения изменений?" (leave without saving the changes?).
inline constexpr const char* kLeaveWithoutSavingQuestion =
    "\xC2\xFB\xE9\xF2\xE8 \xE1\xE5\xE7 \xF1\xEE\xF5\xF0\xE0\xED\xE5\xED\xE8\xFF \xE8\xE7\xEC\xE5\xED\xE5\xED\xE8\xE9?";
// Windows-1251: "Остановить расчет?" (stop the calculation?).
inline constexpr const char* kStopQuestion = "\xCE\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xFC \xF0\xE0\xF1\xF7\xE5\xF2?";
inline constexpr const char* kDatabaseNotFound = "Database not found";

class TSession {
public:
    TSession(TMessageSink& messages, IDatabaseDialogs& dialogs);
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    TProblemDatabase Database;
    TRun Run;
    TSettings Settings;

    TProblemTable& Problems() { return Database.Problems(); }

    // The start: the settings from settingsPath, then the working database
    // (the one named on the command line, if any, instead of the settings'),
    // the open dialog when that file does not exist ("Database not found" on
    // Cancel), its cleanup and the run's preparation.
    void Start(const std::string& settingsPath, const std::optional<std::string>& database = std::nullopt);

    // "Расчет (F9)": the current problem handed to the run, then the press.
    // A failure's message has been shown as an error when this returns, with
    // the phase, line and name at fault as its detail when the script tells.
    TRunOutcome RunPress();
    // How a failed press is shown; without it, as an error message alone.
    std::function<void(const std::string& error, const std::string& detail)> ShowRunFailure;

    // The script check of the current problem, with its run values.
    std::vector<TScriptFinding> CheckCurrentScript() const;

    // Stop asked and answered: true when the user said Yes.
    bool AskStop();

    // The exit: with "Сохранить" checked the pending row is posted and the
    // database saved when it changed; when either fails the user is asked
    // whether to leave without saving. Leave: write the settings and go;
    // LeaveUnsaved: go without writing anything; Stay: the program goes on.
    enum class TExitStep { Leave, LeaveUnsaved, Stay };
    TExitStep SaveBeforeExit();
    // Solvane.cfg beside the program, else in the current directory; an
    // error box when neither can be written.
    void WriteSettings(const std::string& programDir, const std::string& currentDir);

private:
    void HandCurrentProblemToRun();

    TMessageSink& messages_;
    IDatabaseDialogs& dialogs_;
};

} // namespace solvane
