#include "session/Session.h"


#include <filesystem>

namespace solvane {

TSession::TSession(TMessageSink& messages, IDatabaseDialogs& dialogs)
    : Database(messages, dialogs), messages_(messages), dialogs_(dialogs)
{
    Run.SetMessageSink(&messages_);
    Database.PrepareRun = [this] {
        if (const auto error = Run.Prepare())
            messages_.Show(TMessageKind::Error, *error);
    };
    // Every preparation posts a pending edit first and reads the current row.
    Run.OnPrepare = [this] {
        TVolgaTable& table = Problems().Table();
        if (table.Active() && !table.CheckBrowseMode())
            return false;
        HandCurrentProblemToRun();
        return true;
    };
    Problems().OnCurrentProblem = [this](double, double) {
        HandCurrentProblemToRun();
        Run.SelectProblem(Run.Input.Problem);
    };
}

void TSession::HandCurrentProblemToRun()
{
    Run.Input.Problem = Problems().HasCurrentProblem() ? Problems().CurrentProblem() : TProblemRow{};
}

void TSession::Start(const std::string& settingsPath, const std::optional<std::string>& database)
{
    Settings = LoadSettings(settingsPath);
    Run.Input.MosaicColor = Settings.MDcolor;
    std::string path = database.value_or(Settings.WorkingFileName);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        const std::optional<std::string> chosen = dialogs_.ChooseDatabase();
        if (!chosen) {
            Database.WorkingFileName = path;
            messages_.Show(TMessageKind::Error, kDatabaseNotFound);
            return;
        }
        path = *chosen;
    }
    Database.OpenDatabase(path);
}

TRunOutcome TSession::RunPress()
{
    if (Run.IsRunning())
        return {};
    HandCurrentProblemToRun();
    const TRunOutcome outcome = Run.Run();
    if (outcome.End != TRunEnd::Failed)
        return outcome;
    const auto where = LocateRunFailure(Run.Input.Problem.Functs, Run.Results(), outcome.Error);
    if (ShowRunFailure)
        ShowRunFailure(outcome.Error, where ? DescribeFinding(*where) : std::string());
    else
        messages_.Show(TMessageKind::Error, outcome.Error);
    return outcome;
}

std::vector<TScriptFinding> TSession::CheckCurrentScript() const
{
    const TProblemTable& problems = Database.Problems();
    const TProblemRow problem = problems.HasCurrentProblem() ? problems.CurrentProblem() : TProblemRow{};
    return CheckScript(problem.Functs, RunValuesOf(problem));
}

bool TSession::AskStop() { return messages_.Show(TMessageKind::Confirmation, kStopQuestion); }

TSession::TExitStep TSession::SaveBeforeExit()
{
    if (!Database.SaveWanted)
        return TExitStep::LeaveUnsaved;
    if (Database.SaveIfWanted())
        return TExitStep::Leave;
    // The check's warning or the save's error has been shown: nothing is lost unasked.
    return messages_.Show(TMessageKind::Confirmation, kLeaveWithoutSavingQuestion) ? TExitStep::LeaveUnsaved
                                                                                  : TExitStep::Stay;
}

void TSession::WriteSettings(const std::string& programDir, const std::string& currentDir)
{
    Settings.WorkingFileName = Database.WorkingFileName;
    Settings.MDcolor = Run.Input.MosaicColor;
    if (const auto error = SaveSettingsBesideProgram(programDir, currentDir, Settings))
        messages_.Show(TMessageKind::Error, *error);
}

} // namespace solvane
