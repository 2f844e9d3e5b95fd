#include "session/Session.h"

#include "store/ProblemRow.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace solvane;

namespace {

struct Dialogs : IDatabaseDialogs {
    std::optional<std::string> chosen;
    std::string caption;
    std::optional<std::string> ChooseDatabase() override { return chosen; }
    std::optional<std::string> AskText(const std::string&, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    void SetCaption(const std::string& c) override { caption = c; }
};

struct Folder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("solvane-session-" + std::string(::testing::UnitTest::GetInstance()
                                                                        ->current_test_info()
                                                                        ->name()));
    Folder()
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string operator/(const char* name) const { return (path / name).string(); }
};

void WriteDatabase(const std::string& path)
{
    TProblemRow row = NewProblemRow();
    row.Ymin = 300;
    row.Ymax = 400;
    row.Zvalue = 1;
    row.YPoints = 2;
    row.XPoints = 4;
// GCC 12 sees an overlap in assigning a literal to a std::string where there is none (GCC bug 105651).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
    row.ProblemName = "AB";
    row.Functs = "GL=1000*(X-0.5)^2";
    row.Yparameter = "Temperature";
    row.Zparameter = "P";
#pragma GCC diagnostic pop
    TVolgaTable table("vtblProblem");
    BuildProblemDatabase(table, {row});
    table.SaveToFile(path);
}

} // namespace

TEST(Session, StartOpensTheDatabaseOrSaysItIsNotFound)
{
    Folder folder;
    WriteDatabase(folder / "Problems.d");
    {
        TMessageRecorder messages;
        Dialogs dialogs;
        TSession session(messages, dialogs);
        session.Start(folder / "Solvane.cfg", folder / "Problems.d");
        EXPECT_TRUE(messages.Messages.empty());
        EXPECT_EQ(dialogs.caption, "Database: " + folder / "Problems.d");
        EXPECT_FALSE(session.Results().PrepareFailed); // prepared for the first problem
        EXPECT_EQ(session.RunPress().End, TRunEnd::Completed);
    }
    {
        TMessageRecorder messages;
        Dialogs dialogs; // the open dialog is cancelled
        TSession session(messages, dialogs);
        session.Start(folder / "Solvane.cfg", folder / "missing.d");
        ASSERT_EQ(messages.Messages.size(), 1u);
        EXPECT_EQ(messages.Messages[0].Text, kDatabaseNotFound);
        EXPECT_TRUE(dialogs.caption.empty());
        // A run without a database refuses with the script's message, never crashes.
        EXPECT_EQ(session.RunPress().End, TRunEnd::Refused);
        EXPECT_EQ(messages.Messages.back().Text, "Gibbs energy can not be computed");
    }
}

TEST(Session, ExitWithARowThatFailsItsCheck)
{
    Folder folder;
    WriteDatabase(folder / "Problems.d");
    for (const bool leave : {true, false}) {
        TMessageRecorder messages;
        Dialogs dialogs;
        TSession session(messages, dialogs);
        session.Start(folder / "Solvane.cfg", folder / "Problems.d");
        session.Problems().Table().SetAsString("ProblemName", ""); // fails "Problem name must be assigned"
        messages.ConfirmAnswer = leave;
        EXPECT_EQ(session.SaveBeforeExit(), leave ? TSession::TExitStep::LeaveUnsaved : TSession::TExitStep::Stay);
        ASSERT_EQ(messages.Messages.size(), 2u);
        EXPECT_EQ(messages.Messages[0].Text, "Problem name must be assigned");
        EXPECT_EQ(messages.Messages[1].Text, kLeaveWithoutSavingQuestion);
        // Staying keeps the user on the row, still being edited.
        EXPECT_EQ(session.Problems().Table().State(), TTableState::Edit);
    }
    // Unchecked "Сохранить" leaves without a word and without writing.
    TMessageRecorder messages;
    Dialogs dialogs;
    TSession session(messages, dialogs);
    session.Start(folder / "Solvane.cfg", folder / "Problems.d");
    session.SetSaveWanted(false);
    session.Problems().Table().SetAsString("ProblemName", "");
    EXPECT_EQ(session.SaveBeforeExit(), TSession::TExitStep::LeaveUnsaved);
    EXPECT_TRUE(messages.Messages.empty());
}

TEST(Session, TheRunPressPostsThePendingRowFirst)
{
    Folder folder;
    WriteDatabase(folder / "Problems.d");
    TMessageRecorder messages;
    Dialogs dialogs;
    TSession session(messages, dialogs);
    session.Start(folder / "Solvane.cfg", folder / "Problems.d");
    session.Problems().Table().SetAsFloat("Zvalue", 0); // "P must have positive value"
    EXPECT_EQ(session.RunPress().End, TRunEnd::Refused);
    ASSERT_EQ(messages.Messages.size(), 1u);
    EXPECT_EQ(messages.Messages[0].Text, "P must have positive value");
    // A script typed into the row is what the press computes.
    session.Problems().Table().SetAsFloat("Zvalue", 1);
    session.Problems().Table().SetAsString("Functs", "GL=LN(T-350)");
    const TRunOutcome failed = session.RunPress();
    EXPECT_EQ(failed.End, TRunEnd::Failed);
    EXPECT_EQ(messages.Messages.back().Kind, TMessageKind::Error);
    EXPECT_EQ(messages.Messages.back().Text, failed.Error);
    // A window shows the failure with the statement at fault as its detail.
    std::string shown, detail;
    session.ShowRunFailure = [&](const std::string& e, const std::string& d) { shown = e, detail = d; };
    session.Problems().Table().SetAsString("Functs", "W=1\r\nGL=LN(T-350)");
    EXPECT_EQ(session.RunPress().End, TRunEnd::Failed);
    EXPECT_EQ(shown, "Invalid floating point operation");
    EXPECT_EQ(detail.rfind("Line 2: ", 0), 0u) << detail;
    EXPECT_FALSE(session.Problems().Table().State() == TTableState::Edit); // posted
}
