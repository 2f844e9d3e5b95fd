// solvane-cli run FILE over the example database: every problem completes, the
// file is only read, and a problem can be picked by name.
#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using solvane::testing::RunCli;

std::string Bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(RunDatabase, EveryExampleProblemCompletesAndTheFileIsOnlyRead)
{
    const fs::path database = SOLVANE_EXAMPLE_DATABASE;
    const std::string before = Bytes(database);
    ASSERT_FALSE(before.empty());

    const auto result = RunCli("run " + database.string());
    EXPECT_EQ(result.exitCode, 0);
    const json document = json::parse(result.out);
    ASSERT_GE(document["problems"].size(), 6u);
    std::string previousName;
    for (const auto& problem : document["problems"]) {
        const std::string name = problem["name"];
        EXPECT_LT(previousName, name) << "problems come in list order";
        previousName = name;
        EXPECT_TRUE(problem["completed"].get<bool>()) << name;
        EXPECT_TRUE(problem["error"].is_null()) << name;
        EXPECT_EQ(problem["grid"].size(), problem["lines"].get<std::size_t>() + 1) << name;
        EXPECT_FALSE(problem["boundary_points"].empty()) << name;
        EXPECT_FALSE(problem["x_caption"].get<std::string>().empty()) << name;
    }
    EXPECT_EQ(Bytes(database), before);
}

TEST(RunDatabase, PickingProblemsAndFailures)
{
    const std::string database = SOLVANE_EXAMPLE_DATABASE;
    const auto one = RunCli("run " + database + " --problem \"Simple eutectic\"");
    EXPECT_EQ(one.exitCode, 0);
    const json picked = json::parse(one.out);
    ASSERT_EQ(picked["problems"].size(), 1u);
    EXPECT_EQ(picked["problems"][0]["name"], "Simple eutectic");
    EXPECT_EQ(picked["problems"][0]["nodes"].size(), 1u) << "the eutectic";

    const auto unknown = RunCli("run " + database + " --problem \"No such problem\"");
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(json::parse(unknown.out)["problems"].empty());

    const auto missing = RunCli("run no_such_database.d");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(json::parse(missing.out)["error"], "vtblProblem: Error opening file no_such_database.d");
}

TEST(RunDatabase, AMissingFileIsNamedAsGiven)
{
    const std::string name = "\xD0\x91\xD0\xB0\xD0\xB7\xD0\xB0.d"; // "База.d" in UTF-8
    const auto missing = RunCli("run " + name);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(json::parse(missing.out)["error"], "vtblProblem: Error opening file " + name);
}
