// solvane-cli db over the sample databases: the failure texts, byte-identical
// copies, the dump of the worked example, and export/import round trips.
#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

using TRun = solvane::testing::CliResult;
using solvane::testing::RunCli;

std::string Bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Quote(const fs::path& path) { return std::string("'").append(path.string()).append("'"); }

struct TSample {
    std::string name, expected;
};

std::vector<TSample> Samples()
{
    std::vector<TSample> samples;
    std::ifstream list(std::string(SOLVANE_STORE_DATA) + "/expected.txt");
    std::string line;
    while (std::getline(list, line)) {
        const std::size_t tab = line.find('\t');
        if (!line.empty() && line[0] != '#' && tab != std::string::npos)
            samples.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return samples;
}

class DbCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("solvane_cli_db_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

} // namespace

TEST_F(DbCommand, DumpAndCopyEverySample)
{
    const fs::path data = SOLVANE_STORE_DATA;
    const auto samples = Samples();
    ASSERT_GT(samples.size(), 5u);
    for (const TSample& s : samples) {
        const TRun dump = RunCli("db dump " + Quote(data / s.name));
        const json doc = json::parse(dump.out, nullptr, false);
        ASSERT_FALSE(doc.is_discarded()) << s.name << ": " << dump.out;
        const fs::path copy = m_dir / s.name;
        const TRun copied = RunCli("db copy " + Quote(data / s.name) + " " + Quote(copy));
        if (s.expected == "OK") {
            EXPECT_EQ(dump.exitCode, 0) << s.name;
            EXPECT_EQ(doc["ok"], true) << s.name;
            EXPECT_EQ(copied.exitCode, 0) << s.name;
            EXPECT_EQ(copied.out, "") << s.name;
            if (s.name != "extra_bytes_after_last_record.d") {
                EXPECT_EQ(Bytes(copy), Bytes(data / s.name)) << s.name;
            }
        } else {
            EXPECT_EQ(dump.exitCode, 1) << s.name;
            EXPECT_EQ(doc, (json{{"ok", false}, {"error", s.expected}})) << s.name;
            EXPECT_EQ(copied.exitCode, 1) << s.name;
            EXPECT_EQ(json::parse(copied.out), doc) << s.name;
            EXPECT_FALSE(fs::exists(copy)) << s.name;
        }
    }
    const TRun missing = RunCli("db dump " + Quote(m_dir / "none.d"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(json::parse(missing.out)["error"], "vtblProblem: Error opening file " + (m_dir / "none.d").string());
}

TEST_F(DbCommand, FileNamesInFailuresAreShownAsGiven)
{
    // The command line is UTF-8; the names must not be read as Windows-1251 texts.
    const std::string folder = m_dir.string() + "/\xd0\x91\xd0\xb0\xd0\xb7\xd0\xb0"; // "База"
    fs::create_directories(folder);
    const std::string missing = folder + "/\xd0\xbd\xd0\xb5\xd1\x82.d", existing = folder + "/p.d";
    std::ofstream(existing) << R"({"problems": []})";
    // A text stored in the file is Windows-1251 and is converted.
    const std::string stored = folder + "/e.d";
    std::ofstream(stored, std::ios::binary) << std::string("\0\0\0\0E\xCE\xF8\xE8\xE1\xEA\xE0", 11);
    struct Case {
        std::string arguments, error;
    } cases[] = {
        {"db dump '" + missing + "'", "vtblProblem: Error opening file " + missing},
        {"db copy '" + missing + "' '" + existing + "'", "vtblProblem: Error opening file " + missing},
        {"db export '" + missing + "'", "vtblProblem: Error opening file " + missing},
        {"db import '" + existing + "' '" + existing + "'",
         "File " + existing + " already exists (use --force to replace it)"},
        {"db import '" + missing + "' '" + folder + "/q.d'", "Cannot read " + missing},
        {"db dump '" + stored + "'", "vtblProblem: Error opening table: \xd0\x9e\xd1\x88\xd0\xb8\xd0\xb1\xd0\xba\xd0\xb0"},
    };
    for (const Case& c : cases) {
        const TRun run = RunCli(c.arguments);
        EXPECT_EQ(run.exitCode, 1) << c.arguments;
        EXPECT_EQ(json::parse(run.out)["error"], c.error) << c.arguments;
    }
}

TEST_F(DbCommand, DumpOfTheWorkedExample)
{
    const TRun dump = RunCli("db dump " + Quote(fs::path(SOLVANE_STORE_DATA) / "worked_example.d"));
    const json doc = json::parse(dump.out);
    EXPECT_EQ(doc["records"], json::parse(R"([{"ProblemName": "AB", "Ymin": 0, "Ymax": 1000, "Zvalue": 1,
        "YPoints": 100, "XPoints": 100, "ShowMosaicDiagram": false, "ShowChart": true, "Functs": "GL=0",
        "Yparameter": "Temperature", "Zparameter": "P"}])"));
    EXPECT_EQ(doc["visible"], json::array({0}));
    EXPECT_EQ(doc["notes"], nullptr);
    EXPECT_EQ(doc["fields"][0], json::parse(R"({"name": "ProblemName", "prefix": "XXX", "type": "SmallStr", "declared": 20})"));
    EXPECT_EQ(doc["fields"].size(), 11u);

    const TRun other = RunCli("db dump " + Quote(fs::path(SOLVANE_STORE_DATA) / "four_problems.d"));
    const json four = json::parse(other.out);
    EXPECT_EQ(four["visible"], json::parse("[2, 1, 3, 0]")); // AB, Fe-C, Y axis, then the Cyrillic name
    EXPECT_EQ(four["records"][0]["ProblemName"], "Система Cu-Ni");
    EXPECT_EQ(four["records"][3]["Zparameter"], "P = 1 бар, T = 300 K");

    const TRun notes = RunCli("db dump " + Quote(fs::path(SOLVANE_STORE_DATA) / "notes_and_extra_field.d"));
    EXPECT_EQ(json::parse(notes.out)["notes"], "read me");
    EXPECT_EQ(json::parse(notes.out)["records"][0]["Comment"], "hey");
}

TEST_F(DbCommand, NewExportAndImport)
{
    const fs::path empty = m_dir / "empty.d";
    EXPECT_EQ(RunCli("db new " + Quote(empty)).exitCode, 0);
    EXPECT_EQ(Bytes(empty), Bytes(fs::path(SOLVANE_STORE_DATA) / "empty.d"));
    std::ofstream(empty) << "something else";
    EXPECT_EQ(RunCli("db new " + Quote(empty)).exitCode, 0);
    EXPECT_EQ(Bytes(empty).size(), 186u);
    EXPECT_EQ(RunCli("db new " + Quote(m_dir / "no folder" / "x.d")).exitCode, 1);

    const TRun exported = RunCli("db export " + Quote(fs::path(SOLVANE_STORE_DATA) / "four_problems.d"));
    ASSERT_EQ(exported.exitCode, 0);
    const json problems = json::parse(exported.out);
    ASSERT_EQ(problems["problems"].size(), 4u);
    EXPECT_EQ(problems["problems"][1]["Functs"],
              json::parse(R"(["GL=0", "GS=-1000+X*100", "XMIN=0", "XMAX=0.2"])"));

    const fs::path jsonFile = m_dir / "p.json", rebuilt = m_dir / "rebuilt.d";
    std::ofstream(jsonFile) << exported.out;
    EXPECT_EQ(RunCli("db import " + Quote(jsonFile) + " " + Quote(rebuilt)).exitCode, 0);
    EXPECT_EQ(json::parse(RunCli("db export " + Quote(rebuilt)).out), problems);
    EXPECT_EQ(RunCli("db import " + Quote(jsonFile) + " " + Quote(rebuilt)).exitCode, 1);
    EXPECT_EQ(RunCli("db import --force " + Quote(jsonFile) + " " + Quote(rebuilt)).exitCode, 0);

    // The worked example from its JSON is the same bytes.
    std::ofstream(jsonFile) << R"({"problems": [{"ProblemName": "AB", "Yparameter": "Temperature", "Ymin": 0,
        "Ymax": 1000, "Zparameter": "P", "Zvalue": 1, "ShowChart": true, "Functs": ["GL=0"]}]})";
    EXPECT_EQ(RunCli("db import --force " + Quote(jsonFile) + " " + Quote(rebuilt)).exitCode, 0);
    EXPECT_EQ(Bytes(rebuilt), Bytes(fs::path(SOLVANE_STORE_DATA) / "worked_example.d"));

    struct Bad {
        const char* json;
        const char* error;
    } bad[] = {
        {R"({"problems": [{"ProblemName": "123456789012345678901"}]})", "problem 1, \"ProblemName\": is longer than 20 bytes in Windows-1251"},
        {R"({"problems": [{"Name": "x"}]})", "problem 1, \"Name\": is not a field of a problem"},
        {R"({"problems": [{}, {"YPoints": 40000}]})", "problem 2, \"YPoints\": must be an integer from -32768 to 32767"},
        {R"({"problems": [{"ProblemName": "日本"}]})", "problem 1, \"ProblemName\": has a character outside Windows-1251"},
        {R"({"problem": []})", "the document must be an object with a list \"problems\""},
    };
    for (const Bad& b : bad) {
        std::ofstream(jsonFile) << b.json;
        const TRun run = RunCli("db import --force " + Quote(jsonFile) + " " + Quote(m_dir / "bad.d"));
        EXPECT_EQ(run.exitCode, 1) << b.json;
        EXPECT_EQ(json::parse(run.out)["error"], jsonFile.string() + ": " + b.error) << b.json;
    }
    EXPECT_FALSE(fs::exists(m_dir / "bad.d"));
}
