// solvane-cli run --script as a user runs it: usage errors, the JSON of a
// finished, a refused and a broken run, and the exit codes.
#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

using solvane::testing::CliResult;
using solvane::testing::RunCli;

fs::path Script(const std::string& name, const std::string& text)
{
    const fs::path path = fs::temp_directory_path() / ("solvane_run_" + name + ".txt");
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

} // namespace

TEST(RunCommand, UsageErrors)
{
    const std::string script = Script("usage", "GL=X").string();
    const std::string cases[] = {
        "run",
        "run --script " + script + " --ymin 0 --ymax 1",
        "run --script " + script + " --y Heat --ymin 0 --ymax 1",
        "run --script " + script + " --y Y --ymin zero --ymax 1",
        "run x.d --script " + script + " --y Y --ymin 0 --ymax 1",
        "run --script " + script + " --y Pressure --ymin 1 --ymax 2", // the temperature must be given
        "run --script " + script + " --y Temperature --ymin nan --ymax 1",
        "run --script " + script + " --y Temperature --ymin 0 --ymax inf",
    };
    for (const auto& arguments : cases)
        EXPECT_EQ(RunCli(arguments).exitCode, 2) << arguments;
    EXPECT_NE(RunCli(cases[6]).err.find("nan is not a finite number"), std::string::npos);
    // --z with --y Y is accepted and ignored.
    EXPECT_EQ(RunCli("run --script " + script + " --y Y --ymin 0 --ymax 1 --z 5 --ypoints 1 --xpoints 2").exitCode, 0);
    EXPECT_EQ(RunCli("run no_such.d").exitCode, 1);
    EXPECT_EQ(RunCli("run --script no_such_script.txt --y Y --ymin 0 --ymax 1").exitCode, 1);
}

TEST(RunCommand, FinishedRun)
{
    const auto script = Script("tangent", "GL=1000*(X-0.1)^2\r\nGS=1000*(X-0.9)^2\r\n#XCAP=Мольная доля\r\n");
    const CliResult r = RunCli("run --script " + script.string() + " --y Temperature --ymin 300 --ymax 400 --ypoints 1 --xpoints 4");
    ASSERT_EQ(r.exitCode, 0);
    const json p = json::parse(r.out)["problems"].at(0);
    EXPECT_EQ(p["name"], "script");
    EXPECT_EQ(p["completed"], true);
    EXPECT_EQ(p["error"], nullptr);
    EXPECT_EQ(p["messages"], json::array());
    EXPECT_EQ(p["y_parameter"], "Temperature");
    EXPECT_EQ(p["x_caption"], "Мольная доля");
    EXPECT_EQ(p["y_caption"], "");
    EXPECT_EQ(p["lines"], 2);
    EXPECT_EQ(p["grid"], json::parse(R"([[" Y/X","0","0.25","0.5","0.75","1"],
                                          ["400","L","E","E","E","S"],["300","L","E","E","E","S"]])"));
    EXPECT_EQ(p["boundary_points"], json::parse(R"([{"x":1,"y":400,"col":5,"phase":"S"},{"x":0,"y":400,"col":1,"phase":"L"},
                                                    {"x":1,"y":300,"col":5,"phase":"S"},{"x":0,"y":300,"col":1,"phase":"L"}])"));
    EXPECT_EQ(p["nodes"], json::array());
    EXPECT_EQ(p["special_points"], json::array());
    EXPECT_EQ(p["special_series"], json::array());
}

TEST(RunCommand, RefusedAndBrokenRuns)
{
    const auto script = Script("broken", "GL=1000*(X-0.5)^2+LN(T-350)\n#XMAX=oops");
    const std::string base = "run --script " + script.string() + " --y Temperature --xpoints 2 --ypoints 10 ";

    const CliResult refused = RunCli(base + "--ymin 400 --ymax 300");
    ASSERT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, ""); // the JSON on standard output says it
    const json p = json::parse(refused.out)["problems"].at(0);
    EXPECT_EQ(p["completed"], false);
    EXPECT_EQ(p["lines"], 0);
    EXPECT_EQ(p["messages"], json::parse(R"([{"type":"information","text":"Invalid number: oops"},
                                             {"type":"warning","text":"Ymax must be more that Ymin"}])"));

    const fs::path out = fs::temp_directory_path() / "solvane_run_broken.json";
    const CliResult broken = RunCli(base + "--ymin 300 --ymax 400 --json " + out.string());
    ASSERT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.out, "");
    EXPECT_EQ(broken.err, "solvane-cli run: script: Invalid floating point operation\n"); // also where the user looks
    std::ifstream in(out);
    const json q = json::parse(in)["problems"].at(0);
    EXPECT_EQ(q["completed"], false);
    EXPECT_EQ(q["error"], "Invalid floating point operation");
    EXPECT_EQ(q["lines"], 6);
    EXPECT_EQ(q["grid"].size(), 7u);
}
