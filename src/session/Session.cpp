#include "session/Session.h"


#include <filesystem>

namespace solvane {

TSession::TSession(TMessageSink& messages, IDatabaseDialogs& dialogs)
    : messages_(messages), dialogs_(dialogs), database_(messages, dialogs), editor_(database_.Problems())
{
    run_.SetMessageSink(&messages_);
    database_.PrepareRun = [this] {
        if (const auto error = run_.Prepare())
            messages_.Show(TMessageKind::Error, *error);
    };
    // Every preparation posts a pending edit first and reads the current row.
    run_.OnPrepare = [this] {
        TVolgaTable& table = editor_.Table();
        if (table.Active() && !table.CheckBrowseMode())
            return false;
        HandCurrentProblemToRun();
        return true;
    };
    database_.Problems().OnCurrentProblem = [this](double, double) {
        HandCurrentProblemToRun();
        run_.SelectProblem(run_.Input.Problem);
    };
}

void TSession::HandCurrentProblemToRun() { run_.Input.Problem = editor_.Current(); }

void TSession::Start(const std::string& settingsPath, const std::optional<std::string>& database)
{
    settings_ = LoadSettings(settingsPath);
    run_.Input.MosaicColor = settings_.MDcolor;
    std::string path = database.value_or(settings_.WorkingFileName);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        const std::optional<std::string> chosen = dialogs_.ChooseDatabase();
        if (!chosen) {
            database_.WorkingFileName = path;
            messages_.Show(TMessageKind::Error, kDatabaseNotFound);
            editor_.NotifyRows();
            return;
        }
        path = *chosen;
    }
    database_.OpenDatabase(path);
    editor_.NotifyRows();
}

TRunOutcome TSession::RunPress()
{
    if (run_.IsRunning())
        return {};
    HandCurrentProblemToRun();
    const TRunOutcome outcome = run_.Run();
    if (outcome.End != TRunEnd::Failed)
        return outcome;
    const auto where = LocateRunFailure(run_.Input.Problem.Functs, run_.Results(), outcome.Error);
    if (ShowRunFailure)
        ShowRunFailure(outcome.Error, where ? DescribeFinding(*where) : std::string());
    else
        messages_.Show(TMessageKind::Error, outcome.Error);
    return outcome;
}

TRunOutcome TSession::RunPress(bool stepMode, int mosaicHeight)
{
    if (run_.IsRunning())
        return {};
    run_.Input.StepMode = stepMode;
    run_.Input.MosaicHeight = mosaicHeight;
    return RunPress();
}

void TSession::SetShowChart(bool on)
{
    editor_.SetShowChart(on);
    run_.Input.Problem.ShowChart = on;
}

void TSession::SetShowMosaicDiagram(bool on)
{
    editor_.SetShowMosaicDiagram(on);
    run_.Input.Problem.ShowMosaicDiagram = on;
}

void TSession::OpenCommand()
{
    database_.OpenCommand();
    editor_.NotifyRows();
}

void TSession::CreateCommand()
{
    database_.CreateCommand();
    editor_.NotifyRows();
}

void TSession::SaveCommand()
{
    database_.SaveCommand();
    editor_.NotifyValues();
}

std::vector<TScriptFinding> TSession::CheckCurrentScript() const
{
    const TProblemRow problem = editor_.Current();
    return CheckScript(problem.Functs, RunValuesOf(problem));
}

bool TSession::AskStop() { return messages_.Show(TMessageKind::Confirmation, kStopQuestion); }

TSession::TExitStep TSession::SaveBeforeExit()
{
    if (!database_.SaveWanted)
        return TExitStep::LeaveUnsaved;
    if (database_.SaveIfWanted())
        return TExitStep::Leave;
    // The check's warning or the save's error has been shown: nothing is lost unasked.
    return messages_.Show(TMessageKind::Confirmation, kLeaveWithoutSavingQuestion) ? TExitStep::LeaveUnsaved
                                                                                  : TExitStep::Stay;
}

void TSession::KeepWindowFrame(int left, int top, int width, int height)
{
    settings_.Left = left;
    settings_.Top = top;
    settings_.Width = width;
    settings_.Height = height;
}

void TSession::WriteSettings(const std::string& programDir, const std::string& currentDir)
{
    settings_.WorkingFileName = database_.WorkingFileName;
    settings_.MDcolor = run_.Input.MosaicColor;
    if (const auto error = SaveSettingsBesideProgram(programDir, currentDir, settings_))
        messages_.Show(TMessageKind::Error, *error);
}

} // namespace solvane
