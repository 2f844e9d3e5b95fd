// The table component: row states, hooks, navigation and field access.
#include "StoreTestFiles.h"

#include <gtest/gtest.h>

using namespace solvane;
using namespace solvane::test;

namespace {

// Records the hooks in the order they are called.
struct THookLog {
    std::string calls;
    bool acceptPost = true;
    void Install(TVolgaTable& table)
    {
        table.BeforePost = [this] {
            calls += "BeforePost ";
            return acceptPost;
        };
        table.AfterInsert = [this] { calls += "AfterInsert "; };
        table.AfterPost = [this] { calls += "AfterPost "; };
        table.AfterDelete = [this] { calls += "AfterDelete "; };
        table.AfterScroll = [this] { calls += "AfterScroll "; };
        table.AfterOpen = [this] { calls += "AfterOpen "; };
    }
    std::string Take() { return std::exchange(calls, {}); }
};

std::vector<TRowState> States(const TVolgaTable& table)
{
    std::vector<TRowState> states;
    for (const TVolgaRow& row : table.Rows())
        states.push_back(row.State);
    return states;
}

} // namespace

TEST(VolgaTable, HooksAndStatesThroughALifecycle)
{
    TVolgaTable table("vtblProblem");
    table.IndexFieldNames = "ProblemName";
    THookLog log;
    log.Install(table);
    table.OpenFromBuffer(ProblemFile({Problem("B"), Problem("A")}));
    EXPECT_EQ(log.Take(), "AfterOpen AfterScroll ");
    EXPECT_EQ(table.AsString("ProblemName"), "A");
    EXPECT_EQ(table.RecNo(), 1);

    table.Next();
    EXPECT_EQ(log.Take(), "AfterScroll ");
    table.Next(); // already on the last row
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(log.Take(), "");

    // Typing into a field starts an edit; a rejected post keeps it.
    table.SetAsString("Functs", "GL=1");
    EXPECT_EQ(table.State(), TTableState::Edit);
    log.acceptPost = false;
    EXPECT_FALSE(table.Post());
    EXPECT_FALSE(table.First()); // moving posts first, and stays
    EXPECT_EQ(table.AsString("ProblemName"), "B");
    EXPECT_EQ(table.State(), TTableState::Edit);
    log.acceptPost = true;
    log.Take();
    EXPECT_TRUE(table.Post());
    EXPECT_EQ(log.Take(), "BeforePost AfterPost ");
    EXPECT_EQ(States(table), (std::vector<TRowState>{TRowState::Modified, TRowState::Unchanged}));
    ASSERT_TRUE(table.Rows()[0].Old);

    // Insert, then cancel: back to the row before, no trace.
    table.Insert();
    EXPECT_EQ(log.Take(), "AfterInsert AfterScroll ");
    EXPECT_EQ(table.AsString("ProblemName"), "");
    table.Cancel();
    EXPECT_EQ(log.Take(), "AfterScroll ");
    EXPECT_EQ(table.AsString("ProblemName"), "B");
    EXPECT_EQ(table.Rows().size(), 2u);

    // A posted new row goes to the end of the list whatever its name.
    table.Insert();
    table.SetAsString("ProblemName", "0 first by name");
    table.Post();
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_EQ(States(table).back(), TRowState::Inserted);

    // Deleting an inserted row discards it, a loaded one is marked deleted.
    log.Take();
    table.Delete();
    EXPECT_EQ(log.Take(), "AfterDelete AfterScroll ");
    EXPECT_EQ(table.AsString("ProblemName"), "B"); // the last row is current again
    table.First();
    table.Delete();
    EXPECT_EQ(States(table), (std::vector<TRowState>{TRowState::Modified, TRowState::Deleted, TRowState::Discarded}));
    EXPECT_EQ(table.RecordCount(), 1);

    // Only the visible rows are written, in physical order.
    TProblemRow b = Problem("B");
    b.Functs = "GL=1";
    EXPECT_EQ(table.SaveToBuffer(), ProblemFile({b}));
    // Saving changes no state, and twice gives the same bytes.
    EXPECT_EQ(table.SaveToBuffer(), ProblemFile({b}));
    EXPECT_EQ(States(table).size(), 3u);

    table.Delete();
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_THROW(table.Delete(), EDatabaseError);
    EXPECT_EQ(table.SaveToBuffer(), ProblemFile({}));
}

TEST(VolgaTable, CloseKeepsContentForSavingAndDropsPendingEdits)
{
    TVolgaTable table("vtblProblem");
    EXPECT_EQ(table.SaveToBuffer().size(), 0u);
    table.OpenFromBuffer(ProblemFile({Problem("A")}));
    table.SetAsString("ProblemName", "changed");
    table.Close();
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.SaveToBuffer(), ProblemFile({Problem("A")}));
    try {
        table.Insert();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "vtblProblem: Cannot perform this operation on a closed dataset");
    }
}

TEST(VolgaTable, FieldAccessCutsTextsAndChecksRanges)
{
    TVolgaTable table("vtblProblem");
    table.OpenFromBuffer(ProblemFile({Problem("A")}));
    table.SetAsString("ProblemName", "123456789012345678901234");
    EXPECT_EQ(table.AsString("ProblemName"), "12345678901234567890");
    table.SetAsString("Yparameter", "P = 1 \xE1\xE0\xF0, T = 300 K"); // 20 bytes fit exactly
    EXPECT_EQ(table.AsString("Yparameter").size(), 20u);
    table.SetAsString("Ymin", "1,5");
    EXPECT_EQ(table.AsFloat("Ymin"), 1.5);
    EXPECT_THROW(table.SetAsInteger("YPoints", 40000), EDatabaseError);
    EXPECT_THROW(table.SetAsString("Ymax", "abc"), EDatabaseError);
    table.SetAsFloat("Zvalue", 2e-6);
    table.SetDisplayFormat("Zvalue", "0.####e-00");
    EXPECT_EQ(table.DisplayText(table.FieldIndex("Zvalue")), "2e-06");
    try {
        table.AsString("Nope");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "vtblProblem: Field 'Nope' not found");
    }
}

TEST(VolgaTable, OpenErrors)
{
    TTempDir dir;
    TVolgaTable table("vtblProblem");
    table.SetTableName(dir.File("Problems.d"));
    try {
        table.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(std::string(e.what()), "vtblProblem: Error opening file " + dir.File("Problems.d"));
    }
    EXPECT_FALSE(table.HasContent());

    // A failed load leaves nothing loaded; a failed binding keeps the content.
    WriteBytes(dir.File("Problems.d"), WorkedExample().substr(0, 230));
    EXPECT_THROW(table.Open(), EDatabaseError);
    EXPECT_FALSE(table.HasContent());
    table.Bindings = {{"Missing", {TFieldType::Double}}};
    WriteBytes(dir.File("Problems.d"), WorkedExample());
    EXPECT_THROW(table.Open(), EDatabaseError);
    EXPECT_FALSE(table.Active());
    EXPECT_TRUE(table.HasContent());
}
