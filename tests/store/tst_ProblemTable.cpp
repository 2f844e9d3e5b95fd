// The problem table: binding, checks before a post, new problems, the fixed
// quantity's caption, the Zvalue display format and the cleanup after opening.
#include "store/ProblemTable.h"
#include "StoreTestFiles.h"

#include <gtest/gtest.h>

using namespace solvane;
using namespace solvane::test;

namespace {

struct TFixture {
    TMessageRecorder messages;
    TProblemTable problems{messages};
    TVolgaTable& table = problems.Table();
    std::string LastMessage() const { return messages.Messages.empty() ? "" : messages.Messages.back().Text; }
};

std::string BindError(const std::string& description, std::int32_t fields)
{
    TFixture f;
    try {
        f.table.OpenFromBuffer(TableFile(0, fields, description));
    } catch (const EDatabaseError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(ProblemTable, BindingByName)
{
    // Any order, any prefix, and s20 for the texts.
    EXPECT_EQ(BindError(Description({"a.Zparameter s20", "XXX.Functs m", "XXX.ShowChart b", "XXX.ShowMosaicDiagram b",
                                      "XXX.XPoints l", "XXX.YPoints l", "XXX.Zvalue f", "XXX.Ymax f", "XXX.Ymin f",
                                      "XXX.Yparameter K", "XXX.ProblemName s20", "XXX.Extra i"}),
                        12),
              "");
    EXPECT_EQ(BindError(Description({"XXX.ProblemName K"}), 1), "vtblProblem: Field 'Ymin' not found");
    std::string wrong = ProblemDescription();
    wrong.replace(wrong.find("Ymax f"), 6, "Ymax c");
    EXPECT_EQ(BindError(wrong, 11), "vtblProblem: Type mismatch for field 'Ymax', expecting: Double actual: Currency");
    wrong = ProblemDescription();
    wrong.replace(wrong.find("Functs m"), 8, "Functs o");
    EXPECT_EQ(BindError(wrong, 11), "vtblProblem: Type mismatch for field 'Functs', expecting: Memo actual: BLOB");
}

TEST(ProblemTable, NewProblemAndChecksBeforePost)
{
    TFixture f;
    f.table.OpenFromBuffer(ProblemFile({}));
    EXPECT_FALSE(f.problems.HasCurrentProblem());
    f.table.Insert();
    EXPECT_TRUE(f.problems.HasCurrentProblem()); // though the list has no row of it yet
    const TProblemRow fresh = f.problems.CurrentProblem();
    EXPECT_EQ(fresh.YPoints, 100);
    EXPECT_EQ(fresh.XPoints, 100);
    EXPECT_TRUE(fresh.ShowChart);
    EXPECT_FALSE(fresh.ShowMosaicDiagram);
    EXPECT_EQ(fresh.Ymin, 0.0);
    EXPECT_EQ(fresh.Zvalue, 0.0);
    EXPECT_EQ(fresh.ProblemName + fresh.Functs + fresh.Yparameter + fresh.Zparameter, "");

    struct Step {
        const char* action;
        const char* message; // empty: the post is accepted
    } steps[] = {
        {"post", "Problem name must be assigned"},
        {"name", ""},
        {"post", "Y parameter must be selected"},
        {"temperature", ""},
        {"post", "P must have positive value"},
        {"pressure", ""},
        {"post", "T must have positive value"},
        {"z", ""},
        {"post", ""},
    };
    for (const Step& step : steps) {
        const std::string action = step.action;
        f.messages.Messages.clear();
        if (action == "post") {
            EXPECT_EQ(f.table.Post(), std::string(step.message).empty()) << step.message;
            EXPECT_EQ(f.LastMessage(), step.message);
        } else if (action == "name") {
            f.table.SetAsString("ProblemName", "AB");
        } else if (action == "temperature") {
            f.problems.ChooseY(0);
        } else if (action == "pressure") {
            f.problems.ChooseY(1);
        } else {
            f.table.SetAsFloat("Zvalue", 5);
        }
    }
    EXPECT_EQ(f.table.State(), TTableState::Browse);
    EXPECT_EQ(f.table.AsString("Zparameter"), "T");
    EXPECT_TRUE(f.problems.DatabaseModified);
    if (!f.messages.Messages.empty()) {
        EXPECT_EQ(f.messages.Messages.front().Kind, TMessageKind::Warning);
    }
}

TEST(ProblemTable, YChoiceDecidesTheFixedQuantity)
{
    TFixture f;
    f.table.OpenFromBuffer(ProblemFile({Problem("A", "odd")}));
    EXPECT_EQ(f.problems.ZCaption(), "P"); // no item matches: the stored text
    EXPECT_EQ(f.problems.YListIndex(), -1);
    struct Case {
        int index;
        std::string caption;
        bool editVisible;
    } cases[] = {{1, "T", true}, {2, kFixedAtStandard, false}, {0, "P", true}};
    for (const Case& c : cases) {
        f.problems.ChooseY(c.index);
        EXPECT_EQ(f.problems.ZCaption(), c.caption);
        EXPECT_EQ(f.problems.ZEditVisible(), c.editVisible);
    }
    // "Y" stores the full 20-byte caption; the edit is hidden but Zvalue is still checked.
    f.problems.ChooseY(2);
    f.table.SetAsFloat("Zvalue", 0);
    EXPECT_FALSE(f.table.Post());
    EXPECT_EQ(f.LastMessage(), std::string(kFixedAtStandard) + " must have positive value");
    f.table.SetAsFloat("Zvalue", 1);
    EXPECT_TRUE(f.table.Post());
    EXPECT_EQ(f.table.AsString("Zparameter"), kFixedAtStandard);
    EXPECT_EQ(std::string(kFixedAtStandard).size(), 20u);
}

TEST(ProblemTable, ZvalueDisplayFormat)
{
    struct Case {
        double z;
        const char* onScroll;
        const char* onOpenOrExit;
    } cases[] = {
        {2e-6, "0.####e-00", "0.####e-0"},
        {-2e-6, "0.####e-00", "0.####e-0"},
        {1e-5, "0.######", "0.######"},
        {0, "0.####e-00", "0.####e-0"},
        {3, "0.######", "0.######"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZvalueDisplayFormat(c.z, true), c.onScroll) << c.z;
        EXPECT_EQ(ZvalueDisplayFormat(c.z, false), c.onOpenOrExit) << c.z;
    }
    TFixture f;
    f.table.OpenFromBuffer(ProblemFile({Problem("A", "Temperature", 2e-6), Problem("B")}));
    EXPECT_EQ(f.table.DisplayFormat("Zvalue"), "0.####e-00"); // the scroll after the open comes last
    EXPECT_EQ(f.table.DisplayText(f.table.FieldIndex("Zvalue")), "2e-06");
    f.problems.ZvalueEditExit();
    EXPECT_EQ(f.table.DisplayText(f.table.FieldIndex("Zvalue")), "2e-6");
    f.table.Next();
    EXPECT_EQ(f.table.DisplayFormat("Zvalue"), "0.######");
}

TEST(ProblemTable, ScrollReportsTheRunRange)
{
    TFixture f;
    std::vector<double> seen;
    f.problems.OnCurrentProblem = [&](double ymin, double ymax) {
        seen.push_back(ymin);
        seen.push_back(ymax);
    };
    TProblemRow b = Problem("B");
    b.Ymin = 10;
    b.Ymax = 20;
    b.ShowChart = false;
    f.table.OpenFromBuffer(ProblemFile({b, Problem("A")}));
    f.problems.SetStatusText("running");
    f.table.Next();
    EXPECT_EQ(seen, (std::vector<double>{300, 1000, 10, 20}));
    EXPECT_EQ(f.problems.StatusText(), "");
    EXPECT_FALSE(f.problems.ChartVisible());
}

TEST(ProblemTable, CleanupCutsAtTheComma)
{
    TProblemRow a = Problem("A");
    a.Yparameter = "Temperature, K";
    a.Zparameter = "P, bar";
    TProblemRow b = Problem("B");
    TProblemRow c = Problem("C");
    c.Yparameter = "Pressure,bar";
    c.Zparameter = "T";
    TFixture f;
    f.table.OpenFromBuffer(ProblemFile({c, b, a}));
    EXPECT_TRUE(f.problems.Cleanup());
    EXPECT_TRUE(f.problems.DatabaseModified);
    EXPECT_EQ(f.table.RecNo(), 1);
    std::vector<std::string> texts;
    for (const TVolgaRow& row : f.table.Rows()) {
        const TProblemRow p = ReadProblemRow(f.table, row.Values);
        texts.push_back(p.Yparameter + "/" + p.Zparameter);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Pressure/T", "Temperature/P", "Temperature/P"}));
    EXPECT_EQ(f.table.Rows()[1].State, TRowState::Unchanged);

    // A row that fails the checks ends the cleanup in edit state.
    TProblemRow bad = Problem("D", "Temperature, K", 0);
    TFixture g;
    g.table.OpenFromBuffer(ProblemFile({bad, Problem("E", "Pressure, bar")}));
    EXPECT_FALSE(g.problems.Cleanup());
    EXPECT_EQ(g.LastMessage(), "P must have positive value");
    EXPECT_EQ(g.table.State(), TTableState::Edit);
    EXPECT_FALSE(g.problems.DatabaseModified);
}
