#pragma once
// What the main window does that needs no widget: the problem database and
// the run joined, the start with the settings and the working database, a
// Run press with the current problem, and the exit that saves what is wanted.
// The window shows; this decides. Everything here reports through the
// message sink and asks through the database dialogs.
#include "calc/Run.h"
#include "script/ScriptCheck.h"
#include "session/ProblemEditor.h"
#include "session/Settings.h"
#include "store/ProblemDatabase.h"

#include <cstdint>
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

    // The problems as the windows edit them; their notification also tells
    // when a command of the database changed the list.
    TProblemEditor& Problems() { return editor_; }
    const TProblemEditor& Problems() const { return editor_; }
    // The run, for the windows that show it.
    const TRun& Run() const { return run_; }
    const TRunResult& Results() const { return run_.Results(); }
    const TSettings& Settings() const { return settings_; }

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

    // The same with the press's own choices: step by step, and the mosaic's height in pixels.
    TRunOutcome RunPress(bool stepMode, int mosaicHeight);
    bool IsRunning() const { return run_.IsRunning(); }
    void RequestStop() { run_.RequestStop(); }
    void SetRunObserver(TRunObserver* observer) { run_.SetObserver(observer); }
    // The name of the problem the run was last handed.
    const std::string& RunProblemName() const { return run_.Input.Problem.ProblemName; }

    // The two boxes bound to the problem; the run reads them line by line, so
    // a run in progress follows them too.
    void SetShowChart(bool on);
    void SetShowMosaicDiagram(bool on);

    // What the run writes numbers with, and the mosaic's colour (0x00BBGGRR).
    char DecimalSeparator() const { return run_.Input.Separators.decimal; }
    void SetDecimalSeparator(char separator) { run_.Input.Separators.decimal = separator; }
    std::uint32_t MosaicColor() const { return run_.Input.MosaicColor; }
    void SetMosaicColor(std::uint32_t color) { run_.Input.MosaicColor = color; }

    // The file menu's commands; the problems' notification follows each.
    void OpenCommand();
    void CreateCommand();
    void SaveCommand();
    // The check box "Сохранить".
    void SetSaveWanted(bool on) { database_.SaveWanted = on; }

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
    // The main window's outer frame, written with the settings.
    void KeepWindowFrame(int left, int top, int width, int height);

private:
    void HandCurrentProblemToRun();

    TMessageSink& messages_;
    IDatabaseDialogs& dialogs_;
    TProblemDatabase database_;
    TRun run_;
    TSettings settings_;
    TProblemEditor editor_;
};

} // namespace solvane
