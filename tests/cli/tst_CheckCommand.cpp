// solvane-cli check as a user runs it: the JSON of the findings, the run's
// values taken when given, exit codes and usage errors.
#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using solvane::testing::CliResult;
using solvane::testing::RunCli;

std::string Script(const std::string& name, const std::string& text)
{
    const fs::path path = fs::temp_directory_path() / ("solvane_check_" + name + ".txt");
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

} // namespace

TEST(CheckCommand, FindingsAsJson)
{
    // A byte order mark, a Cyrillic comment and the trap of a phase-like parameter.
    const std::string script = Script("galpha", "\xEF\xBB\xBF% жидкость\nGL = -T*Sid\nGALPHA = 1000*X\n");
    const CliResult r = RunCli("check --script " + script);
    ASSERT_EQ(r.exitCode, 0);
    const json d = json::parse(r.out);
    EXPECT_EQ(d["ok"], true);
    ASSERT_EQ(d["findings"].size(), 1u);
    EXPECT_EQ(d["findings"][0]["severity"], "warning");
    EXPECT_EQ(d["findings"][0]["line"], 3);
    EXPECT_EQ(d["findings"][0]["name"], "GALPHA");

    // An error exits 1; the run's values add their findings, to a file as well.
    const std::string broken = Script("broken", "W=1\nV=W*2\nGL=V*X");
    const fs::path out = fs::temp_directory_path() / "solvane_check_broken.json";
    const CliResult e = RunCli("check --script " + broken + " --y Temperature --ymin 0 --ymax 10 --json " + out.string());
    ASSERT_EQ(e.exitCode, 1);
    EXPECT_EQ(e.out, "");
    std::ifstream in(out);
    const json f = json::parse(in);
    EXPECT_EQ(f["ok"], false);
    std::vector<std::pair<std::string, int>> names;
    for (const auto& finding : f["findings"])
        names.emplace_back(finding["name"], finding["line"]);
    EXPECT_EQ(names, (std::vector<std::pair<std::string, int>>{{"W", 1}, {"W", 2}, {"Ymin", 0}}));
}

TEST(CheckCommand, UsageErrors)
{
    const std::string script = Script("usage", "GL=X");
    const std::string cases[] = {"check", "check --script " + script + " --y Heat",
                                 "check --script " + script + " --ymin zero", "check " + script};
    for (const std::string& arguments : cases)
        EXPECT_EQ(RunCli(arguments).exitCode, 2) << arguments;
    EXPECT_EQ(RunCli("check --script no_such_script.txt").exitCode, 1);
}
