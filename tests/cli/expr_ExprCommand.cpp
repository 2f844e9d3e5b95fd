// solvane-cli expr as a user runs it: the JSON of compiled, failed and faulting
// expressions, the program listing, variables and the usage errors.
#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using nlohmann::json;

using solvane::testing::CliResult;
using solvane::testing::RunCliWords;

json Expr(const std::vector<std::string>& arguments)
{
    std::vector<std::string> all{"expr"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const CliResult result = RunCliWords(all);
    EXPECT_EQ(result.exitCode, 0);
    return json::parse(result.out);
}

} // namespace

TEST(ExprCommand, ProgramOfTheIdealMixingTerm)
{
    const json out = Expr({"--var", "X=0.5", "--program", "--", "-8.31441*(X*Ln(X)+(1-X)*ln(1-X))"});
    EXPECT_EQ(out["compiled"], true);
    EXPECT_EQ(out["error"], nullptr);
    EXPECT_NEAR(out["value"].get<double>(), 8.31441 * std::log(2.0), 1e-12);
    EXPECT_EQ(out["value_error"], nullptr);
    const json& program = out["program"];
    ASSERT_EQ(program.size(), 8u);
    EXPECT_EQ(program[0], json({{"kind", 4}, {"operand1", "const:1"}, {"operand2", "var:X"}, {"target", "tmp:0"}}));
    EXPECT_EQ(program[3], json({{"kind", 14}, {"function", "LN"}, {"operand1", "tmp:0"}, {"operand2", nullptr},
                                {"target", "tmp:3"}}));
    EXPECT_EQ(program[7], json({{"kind", 5}, {"operand1", "const:-8.31441"}, {"operand2", "tmp:6"},
                                {"target", "tmp:7"}}));
}

TEST(ExprCommand, OutcomesOfCompilationAndEvaluation)
{
    json out = Expr({"--program", "2"});
    EXPECT_EQ(out["program"], json::parse(R"([{"kind":0,"operand1":"const:2","operand2":null,"target":"const:2"}])"));
    EXPECT_EQ(out["value"], 2.0);

    out = Expr({"--var", "sid=3", "--program", "SID"});
    EXPECT_EQ(out["program"][0]["target"], "var:SID");
    EXPECT_EQ(out["value"], 3.0);

    out = Expr({"--program", ""});
    EXPECT_EQ(out["compiled"], true);
    EXPECT_EQ(out["program"], json::array());
    EXPECT_EQ(out["value"], 0.0);

    out = Expr({"2^3^2"});
    EXPECT_EQ(out["compiled"], false);
    EXPECT_EQ(out["error"], json({{"class", "ESyntaxError"}, {"message", "Error parsing expression:\r2^3\r2"}}));
    EXPECT_EQ(out["value"], nullptr);
    EXPECT_FALSE(out.contains("program"));

    out = Expr({"--var", "1A=2", "--program", "X"});
    EXPECT_EQ(out["error"], json({{"class", "EBadName"}, {"message", "1A"}}));
    EXPECT_EQ(out["compiled"], false);
    EXPECT_EQ(out["program"], json::array());

    out = Expr({"1E999"});
    EXPECT_EQ(out["error"]["class"], "EOverflow");

    out = Expr({"1/0"});
    EXPECT_EQ(out["compiled"], true);
    EXPECT_EQ(out["value"], nullptr);
    EXPECT_EQ(out["value_error"], json({{"message", "Floating point division by zero"}}));

    out = Expr({"--locale-numbers", "1,5"});
    EXPECT_EQ(out["error"]["class"], "ESyntaxError");
    out = Expr({"1,5"});
    EXPECT_EQ(out["value"], 1.5);

    out = Expr({"--program", "1E20*X"});
    EXPECT_EQ(out["program"][0]["operand1"], "const:1e+20");
}

TEST(ExprCommand, UsageErrors)
{
    EXPECT_EQ(RunCliWords({"expr"}).exitCode, 2);
    EXPECT_EQ(RunCliWords({"expr", "--var", "X", "1"}).exitCode, 2);
    EXPECT_EQ(RunCliWords({"expr", "--var", "X=one", "X"}).exitCode, 2);
}
