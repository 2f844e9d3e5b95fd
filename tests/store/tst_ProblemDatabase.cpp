// The database commands Open, Create and Save, with dialogs answered by the test.
#include "store/ProblemDatabase.h"
#include "StoreTestFiles.h"

#include <gtest/gtest.h>

#include <deque>

using namespace solvane;
using namespace solvane::test;

namespace {

struct TScriptedDialogs : IDatabaseDialogs {
    std::deque<std::optional<std::string>> answers; // for both the open dialog and the input box
    std::vector<std::string> asked;                 // starting texts of the input box
    std::string caption;
    std::optional<std::string> Next()
    {
        if (answers.empty())
            return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> ChooseDatabase() override { return Next(); }
    std::optional<std::string> AskText(const std::string& title, const std::string& prompt, const std::string& text) override
    {
        EXPECT_EQ(title, kNewDatabaseTitle);
        EXPECT_EQ(prompt, kNewDatabasePrompt);
        asked.push_back(text);
        return Next();
    }
    void SetCaption(const std::string& text) override { caption = text; }
    std::vector<std::string> saveAsked; // where the save dialog started
    std::optional<std::string> ChooseSaveName(const std::string& current) override
    {
        saveAsked.push_back(current);
        return Next();
    }
};

struct TFixture {
    TTempDir dir;
    TMessageRecorder messages;
    TScriptedDialogs dialogs;
    TProblemDatabase db{messages, dialogs};
    int prepared = 0;
    TFixture() { db.PrepareRun = [this] { ++prepared; }; }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : messages.Messages)
            texts.push_back(m.Text);
        return texts;
    }
};

} // namespace

TEST(ProblemDatabase, OpenCommand)
{
    TFixture f;
    const std::string first = f.dir.File("first.d");
    TProblemRow dirty = Problem("A", "Temperature, K");
    WriteBytes(first, ProblemFile({dirty}));

    f.dialogs.answers = {std::nullopt};
    EXPECT_FALSE(f.db.OpenCommand()); // cancelled
    EXPECT_EQ(f.dialogs.caption, "");

    f.dialogs.answers = {first};
    EXPECT_TRUE(f.db.OpenCommand());
    EXPECT_EQ(f.dialogs.caption, "Database: " + first);
    EXPECT_EQ(f.db.WorkingFileName, first);
    EXPECT_TRUE(f.db.Problems().DatabaseModified); // the cleanup posted
    EXPECT_EQ(f.prepared, 1);

    // Opening another database saves the first when the box is checked.
    const std::string damaged = f.dir.File("damaged.d");
    WriteBytes(damaged, WorkedExample().substr(0, 200));
    f.dialogs.answers = {damaged};
    EXPECT_FALSE(f.db.OpenCommand());
    EXPECT_EQ(f.Texts(), std::vector<std::string>{"vtblProblem: Error opening table: Unexpected end of buffer"});
    EXPECT_EQ(f.messages.Messages.back().Kind, TMessageKind::Error);
    EXPECT_EQ(f.dialogs.caption, "Database: " + damaged);
    EXPECT_FALSE(f.db.Problems().DatabaseModified);
    EXPECT_FALSE(f.db.Problems().Table().Active());
    TProblemRow clean = Problem("A");
    EXPECT_EQ(ReadBytes(first), ProblemFile({clean}));

    // Save does nothing without a loaded database.
    EXPECT_TRUE(f.db.SaveCommand());
    EXPECT_EQ(ReadBytes(damaged), WorkedExample().substr(0, 200));
}

TEST(ProblemDatabase, UncheckedSaveBoxDiscardsChanges)
{
    TFixture f;
    const std::string first = f.dir.File("first.d"), second = f.dir.File("second.d");
    WriteBytes(first, ProblemFile({Problem("A")}));
    WriteBytes(second, ProblemFile({Problem("B")}));
    ASSERT_TRUE(f.db.OpenDatabase(first));
    f.db.Problems().Table().SetAsString("Functs", "changed");
    f.db.SaveWanted = false;
    f.dialogs.answers = {second};
    EXPECT_TRUE(f.db.OpenCommand());
    EXPECT_EQ(ReadBytes(first), ProblemFile({Problem("A")}));

    // A failing check in "save if wanted" stops the command.
    f.db.SaveWanted = true;
    f.db.Problems().Table().SetAsString("ProblemName", "");
    f.dialogs.answers = {first};
    EXPECT_FALSE(f.db.OpenCommand());
    EXPECT_EQ(f.Texts().back(), "Problem name must be assigned");
    EXPECT_EQ(f.db.WorkingFileName, second);
}

TEST(ProblemDatabase, CreateCommand)
{
    TFixture f;
    // Without an open database the input box is shown, then the table refuses.
    f.dialogs.answers = {f.dir.File("new.d")};
    EXPECT_FALSE(f.db.CreateCommand());
    EXPECT_EQ(f.Texts().back(), "vtblProblem: Cannot perform this operation on a closed dataset");

    const std::string first = f.dir.File("first.d");
    const std::string notes = "*" + Int16(2) + "nn";
    WriteBytes(first, TableFile(1, 11, ProblemDescription(), notes + WorkedExampleRecord()));
    ASSERT_TRUE(f.db.OpenDatabase(first));

    f.dialogs.answers = {std::nullopt};
    EXPECT_FALSE(f.db.CreateCommand());
    f.dialogs.answers = {"   "};
    EXPECT_FALSE(f.db.CreateCommand());
    EXPECT_EQ(f.Texts().back(), "File name must be assigned");

    // An existing name asks again, starting from the typed text.
    const std::string created = f.dir.File("created.d");
    f.dialogs.asked.clear();
    f.dialogs.answers = {first, created};
    EXPECT_TRUE(f.db.CreateCommand());
    EXPECT_EQ(f.dialogs.asked, (std::vector<std::string>{".d", first}));
    EXPECT_EQ(f.Texts().back(), "File " + first + " already exists");
    EXPECT_EQ(f.dialogs.caption, created);
    EXPECT_EQ(f.db.WorkingFileName, created);
    EXPECT_FALSE(f.db.Problems().DatabaseModified);
    EXPECT_TRUE(f.db.Problems().Table().Active());
    EXPECT_EQ(f.db.Problems().Table().RecordCount(), 0);
    EXPECT_EQ(ReadBytes(created), TableFile(0, 11, ProblemDescription(), notes));
    EXPECT_EQ(ReadBytes(first), TableFile(1, 11, ProblemDescription(), notes + WorkedExampleRecord()));
}

TEST(ProblemDatabase, SaveCommandWritesEvenUnchanged)
{
    TFixture f;
    const std::string file = f.dir.File("p.d");
    WriteBytes(file, WorkedExample() + "tail");
    ASSERT_TRUE(f.db.OpenDatabase(file));
    f.db.SaveWanted = false;
    EXPECT_TRUE(f.db.SaveCommand());
    EXPECT_EQ(ReadBytes(file), WorkedExample());
    EXPECT_FALSE(f.db.Problems().DatabaseModified);
}

TEST(ProblemDatabase, FailedSaveOffersAnotherName)
{
    // Save, and "save if wanted" (at exit, or before Open), the same way:
    // the error, then the save dialog until a name works or the user cancels.
    for (const bool command : {true, false}) {
        TFixture f;
        const std::string file = f.dir.File("p.d");
        WriteBytes(file, WorkedExample());
        ASSERT_TRUE(f.db.OpenDatabase(file));
        f.db.Problems().Table().SetAsString("Functs", "changed");
        const std::string gone = f.dir.File("gone/p.d"), failing = f.dir.File("none/q.d"), saved = f.dir.File("q.d");
        f.db.WorkingFileName = gone; // its folder is no more
        auto save = [&] { return command ? f.db.SaveCommand() : f.db.SaveIfWanted(); };

        f.dialogs.answers = {failing, std::nullopt};
        EXPECT_FALSE(save());
        EXPECT_EQ(f.Texts(), (std::vector<std::string>{
                                 "vtblProblem: Cannot create file " + gone + ": No such file or directory",
                                 "vtblProblem: Cannot create file " + failing + ": No such file or directory"}));
        EXPECT_EQ(f.dialogs.saveAsked, (std::vector<std::string>{gone, failing}));
        EXPECT_EQ(f.db.WorkingFileName, gone);

        f.dialogs.answers = {saved};
        EXPECT_TRUE(save());
        EXPECT_EQ(f.db.WorkingFileName, saved);
        EXPECT_EQ(f.dialogs.caption, "Database: " + saved);
        EXPECT_EQ(ReadBytes(file), WorkedExample());
        EXPECT_NE(ReadBytes(saved).find("changed"), std::string::npos);
    }
}

TEST(ProblemDatabase, ProblemsForARunNeverWriteTheFile)
{
    TTempDir dir;
    const std::string file = dir.File("p.d");
    const std::string bytes = ProblemFile({Problem("B", "Pressure, bar"), Problem("A")});
    WriteBytes(file, bytes);
    const TProblemSet set = LoadProblemsForRun(file);
    ASSERT_TRUE(set.Opened);
    ASSERT_EQ(set.Problems.size(), 2u);
    EXPECT_EQ(set.Problems[0].ProblemName, "A");
    EXPECT_EQ(set.Problems[1].Yparameter, "Pressure");
    EXPECT_EQ(ReadBytes(file), bytes);

    const TProblemSet missing = LoadProblemsForRun(dir.File("none.d"));
    EXPECT_FALSE(missing.Opened);
    EXPECT_EQ(missing.Error, "vtblProblem: Error opening file " + dir.File("none.d"));
}
