// The script guide cannot drift from the program: every example script in
// docs/script.md is run (or checked) by solvane-cli as its first line says,
// the key examples must show their facts, every listed finding must be what
// the check finds, and every expression table must give the evaluator's values.
#include "CliRunner.h"
#include "expr/Parser10.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using solvane::testing::RunCli;

struct Block {
    std::string tag; // the fence's first word: "solvane", "solvane-expr", ...
    std::string id;  // the word after it, if any
    std::vector<std::string> lines;
};

std::vector<Block> GuideBlocks()
{
    std::ifstream in(SOLVANE_SCRIPT_GUIDE);
    std::vector<Block> blocks;
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.rfind("```", 0) == 0) {
            inside = !inside;
            if (inside) {
                std::istringstream info(line.substr(3));
                Block block;
                info >> block.tag >> block.id;
                blocks.push_back(block);
            }
        } else if (inside) {
            blocks.back().lines.push_back(line);
        }
    }
    return blocks;
}

// "% run: --y ..." gives ("run", "--y ...").
std::pair<std::string, std::string> HowToRun(const Block& block)
{
    static const std::regex how(R"(^% (run|check):(.*)$)");
    std::smatch m;
    if (block.lines.empty() || !std::regex_match(block.lines[0], m, how))
        return {};
    return {m[1], m[2]};
}

std::string ScriptFile(const Block& block)
{
    const fs::path path = fs::temp_directory_path() / ("solvane_guide_" + block.id + ".txt");
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : block.lines)
        out << line << '\n';
    return path.string();
}

// The value of the special point whose text begins with `label`, as in "T(X = 0) = 1357.5 ".
double Special(const json& problem, const std::string& label)
{
    for (const auto& text : problem["special_points"]) {
        const std::string s = text;
        if (s.rfind(label, 0) == 0)
            return std::stod(s.substr(s.rfind("= ") + 2));
    }
    ADD_FAILURE() << "no special point " << label;
    return NAN;
}

void ExpectNode(const json& node, double y, double x, double xLeft, double xRight)
{
    EXPECT_NEAR(node["y"].get<double>(), y, 3);
    EXPECT_NEAR(node["x"].get<double>(), x, 0.02);
    EXPECT_NEAR(node["x_left"].get<double>(), xLeft, 0.02);
    EXPECT_NEAR(node["x_right"].get<double>(), xRight, 0.01);
}

// What the key examples must show, within a grid step of the known values.
const std::map<std::string, std::function<void(const json&)>>& Facts()
{
    static const std::map<std::string, std::function<void(const json&)>> facts = {
        {"lens", [](const json& p) {
             EXPECT_NEAR(Special(p, "T(X = 0)"), 1358, 3);
             EXPECT_NEAR(Special(p, "T(X = 1)"), 1728, 3);
         }},
        {"gap", [](const json& p) { EXPECT_NEAR(Special(p, "T(X = 0.5)"), 1202.7, 10); }},
        {"eutectic", [](const json& p) {
             ASSERT_EQ(p["nodes"].size(), 1u);
             ExpectNode(p["nodes"][0], 485, 0.39, 0, 1);
         }},
        {"compound", [](const json& p) {
             ASSERT_EQ(p["nodes"].size(), 2u);
             ExpectNode(p["nodes"][0], 805, 0.18, 0, 0.5);
             ExpectNode(p["nodes"][1], 785, 0.86, 0.5, 1);
             EXPECT_NEAR(Special(p, "T(X = 0.5)"), 850, 6);
         }},
        {"point-phases", [](const json& p) {
             ASSERT_EQ(p["nodes"].size(), 3u);
             ExpectNode(p["nodes"][2], 730, 1.0 / 3, 0, 0.5);
         }},
        {"pressure", [](const json& p) { EXPECT_NEAR(Special(p, "P(X = 0)"), 23200, 600); }},
        {"free-y", [](const json& p) { EXPECT_NEAR(Special(p, "Y(X = 0.45)"), 16629, 150); }},
        // Silver-copper: the eutectic at 1052 K, liquid at 39.9 at.% Cu, fcc at about 14 and 95 at.% Cu.
        {"ag-cu", [](const json& p) {
             ASSERT_EQ(p["nodes"].size(), 1u);
             ExpectNode(p["nodes"][0], 1052, 0.40, 0.14, 0.951);
         }},
    };
    return facts;
}

} // namespace

TEST(ScriptGuide, EveryExampleRunsAsPrinted)
{
    const std::vector<Block> blocks = GuideBlocks();
    int runs = 0, checks = 0;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const Block& block = blocks[b];
        if (block.tag != "solvane")
            continue;
        SCOPED_TRACE("example " + block.id);
        const auto [how, options] = HowToRun(block);
        ASSERT_FALSE(how.empty()) << "the first line must say how to run it";
        const auto r = RunCli(how + " --script " + ScriptFile(block) + options);
        const json result = json::parse(r.out);
        if (how == "run") {
            ++runs;
            ASSERT_EQ(r.exitCode, 0) << r.err;
            const json& problem = result["problems"][0];
            EXPECT_EQ(problem["error"], nullptr);
            EXPECT_EQ(problem["messages"], json::array());
            const std::string id = block.id == "ag-cu-absolute" ? "ag-cu" : block.id;
            if (Facts().count(id))
                Facts().at(id)(problem);
            const auto check = RunCli("check --script " + ScriptFile(block) + options);
            EXPECT_EQ(json::parse(check.out)["findings"], json::array()) << "a worked example is clean";
            continue;
        }
        // A check example lists what the check finds right after it.
        ++checks;
        ASSERT_TRUE(b + 1 < blocks.size() && blocks[b + 1].tag == "solvane-findings");
        std::vector<std::string> found;
        for (const auto& f : result["findings"])
            found.push_back("line " + std::to_string(f["line"].get<int>()) + ", " + f["name"].get<std::string>() +
                            " (" + f["severity"].get<std::string>() + ")");
        EXPECT_EQ(found, blocks[b + 1].lines);
    }
    EXPECT_GE(runs, 11);
    EXPECT_GE(checks, 4);
}

TEST(ScriptGuide, ExpressionTablesGiveTheirValues)
{
    int tables = 0;
    for (const Block& block : GuideBlocks()) {
        if (block.tag != "solvane-expr")
            continue;
        ++tables;
        std::vector<std::pair<std::string, double>> variables;
        for (const std::string& line : block.lines) {
            if (line.rfind('%', 0) == 0) { // "% with X = 2 and Y = 3"
                static const std::regex setting(R"(([A-Z]) = (-?[0-9.]+))");
                for (std::sregex_iterator m(line.begin(), line.end(), setting), end; m != end; ++m)
                    variables.emplace_back((*m)[1].str(), std::stod((*m)[2].str()));
                continue;
            }
            std::istringstream words(line);
            std::string text, expected;
            words >> text >> expected;
            solvane::TParser parser;
            for (const auto& [name, value] : variables)
                parser.SetVariable(name, value);
            try {
                parser.SetExpression(text);
                const double value = static_cast<double>(parser.Value());
                if (expected == "error") {
                    ADD_FAILURE() << text << " gives " << value;
                } else {
                    EXPECT_DOUBLE_EQ(value, std::stod(expected)) << text;
                }
            } catch (const std::exception& e) {
                EXPECT_EQ(expected, "error") << text << ": " << e.what();
            }
        }
    }
    EXPECT_GE(tables, 3);
}
