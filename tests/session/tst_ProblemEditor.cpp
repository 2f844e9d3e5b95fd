#include "session/ProblemEditor.h"

#include <gtest/gtest.h>

#include <vector>

using namespace solvane;

// What the window listens to: one notification per change, rows apart from fields.
TEST(ProblemEditor, TellsWhatChanged)
{
    TMessageRecorder messages;
    TProblemTable problems(messages);
    problems.Table().CreateFromDefinitions(ProblemFieldDefs());
    problems.Table().OpenLoaded();
    TProblemEditor editor(problems);
    std::vector<TProblemChange> changes;
    editor.OnChanged = [&](const TProblemChange& change) { changes.push_back(change); };
    auto rowsChanged = [&] {
        for (const TProblemChange& change : changes)
            if (change.Rows)
                return true;
        return false;
    };

    editor.SetYmin(300); // typing into a database without problems starts one
    EXPECT_TRUE(rowsChanged());
    EXPECT_TRUE(editor.IsInserting());
    EXPECT_EQ(editor.RowCount(), 1);
    EXPECT_EQ(editor.CurrentRow(), 0);

    changes.clear();
    editor.SetYmax(400);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_FALSE(changes[0].Rows);
    EXPECT_EQ(changes[0].Field, TProblemField::Ymax);
    EXPECT_EQ(editor.Current().Ymax, 400);

    changes.clear();
    EXPECT_THROW(editor.SetXPoints(std::int64_t{1} << 40), EDatabaseError); // out of the field's range
    EXPECT_FALSE(rowsChanged());
    EXPECT_EQ(editor.Current().XPoints, 100); // the row keeps its value

    changes.clear();
    editor.Cancel();
    EXPECT_TRUE(rowsChanged());
    EXPECT_EQ(editor.RowCount(), 0);
    EXPECT_FALSE(editor.HasCurrentProblem());
}
