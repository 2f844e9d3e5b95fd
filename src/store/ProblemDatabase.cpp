#include "store/ProblemDatabase.h"

#include "expr/AsciiText.h"

#include <filesystem>

namespace solvane {
namespace {

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

} // namespace

TProblemDatabase::TProblemDatabase(TMessageSink& messages, IDatabaseDialogs& dialogs)
    : m_messages(messages), m_dialogs(dialogs), m_problems(messages)
{
}

void TProblemDatabase::ReportError(const std::exception& e) { m_messages.Show(TMessageKind::Error, e.what()); }

bool TProblemDatabase::OpenDatabase(const std::string& path)
{
    TVolgaTable& table = m_problems.Table();
    WorkingFileName = path;
    table.SetTableName(WorkingFileName);
    m_problems.DatabaseModified = false;
    m_dialogs.SetCaption("Database: " + WorkingFileName);
    try {
        table.Open();
        if (!m_problems.Cleanup())
            return false;
    } catch (const EDatabaseError& e) {
        ReportError(e);
        return false;
    }
    if (PrepareRun)
        PrepareRun();
    return true;
}

bool TProblemDatabase::SaveWorkingFile()
{
    const TVolgaTable& table = m_problems.Table();
    std::string name = WorkingFileName;
    for (;;) {
        try {
            table.SaveToFile(name);
            break;
        } catch (const EDatabaseError& e) {
            ReportError(e);
        }
        const std::optional<std::string> other = m_dialogs.ChooseSaveName(name);
        if (!other)
            return false;
        name = *other;
    }
    if (name != WorkingFileName) {
        // The table keeps its file name: renaming it would close the table. Every
        // later open sets the name first.
        WorkingFileName = name;
        m_dialogs.SetCaption("Database: " + WorkingFileName);
    }
    return true;
}

bool TProblemDatabase::PostPendingRow()
{
    TVolgaTable& table = m_problems.Table();
    try {
        if (table.Active() && !table.CheckBrowseMode())
            return false;
    } catch (const EDatabaseError& e) {
        ReportError(e);
        return false;
    }
    return true;
}

bool TProblemDatabase::SaveIfWanted()
{
    if (!SaveWanted)
        return true;
    return PostPendingRow() && (!m_problems.DatabaseModified || SaveWorkingFile());
}

bool TProblemDatabase::OpenCommand()
{
    const std::optional<std::string> path = m_dialogs.ChooseDatabase();
    if (!path || !SaveIfWanted())
        return false;
    m_problems.Table().Close();
    return OpenDatabase(*path);
}

bool TProblemDatabase::CreateCommand()
{
    std::string name = ".d";
    for (;;) {
        const std::optional<std::string> answer = m_dialogs.AskText(kNewDatabaseTitle, kNewDatabasePrompt, name);
        if (!answer)
            return false;
        name = *answer;
        if (TrimmedView(name).empty()) {
            m_messages.Show(TMessageKind::Warning, "File name must be assigned");
            return false;
        }
        if (!FileExists(name))
            break;
        m_messages.Show(TMessageKind::Warning, "File " + name + " already exists");
    }
    if (!SaveIfWanted())
        return false;
    TVolgaTable& table = m_problems.Table();
    try {
        if (!table.First())
            return false;
        while (table.RecordCount() > 0)
            table.Delete();
        WorkingFileName = name;
        table.SetTableName(name);
        table.SaveToFile(name);
        table.Open();
    } catch (const EDatabaseError& e) {
        ReportError(e);
        return false;
    }
    m_dialogs.SetCaption(name);
    m_problems.DatabaseModified = false;
    return true;
}

bool TProblemDatabase::SaveCommand() { return PostPendingRow() && SaveWorkingFile(); }

namespace {

// The start of the program has no dialogs to show here.
class TNoDialogs : public IDatabaseDialogs {
public:
    std::optional<std::string> ChooseDatabase() override { return std::nullopt; }
    std::optional<std::string> AskText(const std::string&, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    void SetCaption(const std::string&) override {}
};

} // namespace

TProblemSet LoadProblemsForRun(const std::string& path)
{
    TMessageRecorder recorder;
    TNoDialogs dialogs;
    TProblemDatabase database(recorder, dialogs);
    database.SaveWanted = false;
    TProblemSet set;
    set.Opened = database.OpenDatabase(path);
    const TVolgaTable& table = database.Problems().Table();
    if (table.Active()) {
        set.Opened = true;
        for (std::size_t index : table.VisibleRows())
            set.Problems.push_back(ReadProblemRow(table, table.Rows()[index].Values));
    } else if (!recorder.Messages.empty()) {
        set.Error = recorder.Messages.back().Text;
    }
    set.Messages = std::move(recorder.Messages);
    return set;
}

} // namespace solvane
