// solvane-cli run --refine: the "refined" object beside an unchanged run, and the
// refined eutectic against its closed form.
#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using solvane::testing::CliResult;
using solvane::testing::RunCli;

const char* const kEutectic = "GL = -T*Sid\n"
                              "GSA = (1-X)*10000*(T/600-1) + 100000*X\n"
                              "GSB = X*12000*(T/700-1) + 100000*(1-X)\n";

// The same eutectic with the pure solids written as point phases at X = 0 and 1.
const char* const kPointPhaseEutectic = "GL = -T*Sid\n"
                                        "GCA = 10000*(T/600-1); X = 0\n"
                                        "GCB = 12000*(T/700-1); X = 1\n";

// One file per script and process: ctest runs each test as a process of its own, side by side.
fs::path Script(const char* text = kEutectic)
{
    const std::string name = text == kEutectic ? "eutectic" : "point_phases";
    const fs::path path =
        fs::temp_directory_path() / ("solvane_refine_" + name + "_" + std::to_string(getpid()) + ".txt");
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// The eutectic where the liquidus lines 1 - exp(dGA/RT) and exp(dGB/RT) meet.
double EutecticTemperature()
{
    const double R = 8.31441;
    auto gap = [&](double T) {
        return 1 - std::exp(10000 * (T / 600 - 1) / (R * T)) - std::exp(12000 * (T / 700 - 1) / (R * T));
    };
    double lo = 300, hi = 600;
    for (int i = 0; i < 200; ++i)
        ((gap((lo + hi) / 2) > 0) == (gap(lo) > 0) ? lo : hi) = (lo + hi) / 2;
    return (lo + hi) / 2;
}

TEST(RunRefine, AddsRefinedAndChangesNothingElse)
{
    const std::string base = "run --script " + Script().string() + " --y Temperature --ymin 300 --ymax 750 --ypoints 90 --xpoints 50";
    const CliResult plain = RunCli(base);
    const CliResult refined = RunCli(base + " --refine");
    ASSERT_EQ(plain.exitCode, 0);
    ASSERT_EQ(refined.exitCode, 0);
    json withRefined = json::parse(refined.out);
    json p = withRefined["problems"].at(0);
    ASSERT_TRUE(p.contains("refined"));
    EXPECT_FALSE(json::parse(plain.out)["problems"].at(0).contains("refined"));
    withRefined["problems"][0].erase("refined");
    EXPECT_EQ(withRefined.dump(), json::parse(plain.out).dump());

    const json& r = p["refined"];
    ASSERT_EQ(r["nodes"].size(), 1u);
    const json& node = r["nodes"][0];
    EXPECT_EQ(node["refined"], true);
    EXPECT_EQ(node["phases"], json::parse(R"(["SA", "L", "SB"])"));
    EXPECT_NEAR(node["y"].get<double>(), EutecticTemperature(), 1e-3);
    EXPECT_EQ(node["x_left"], 0);
    EXPECT_EQ(node["x_right"], 1);

    // One boundary per segment, in line order and then by X; phases as in boundary_points.
    ASSERT_EQ(r["boundaries"].size() * 2, p["boundary_points"].size());
    for (std::size_t k = 0; k + 1 < r["boundaries"].size(); ++k) {
        const json& a = r["boundaries"][k];
        const json& b = r["boundaries"][k + 1];
        EXPECT_TRUE(a["y"].get<double>() > b["y"].get<double>() ||
                    (a["y"] == b["y"] && a["x_left"].get<double>() < b["x_left"].get<double>()));
        for (const char* key : {"y", "x_left", "x_right", "left", "right", "refined"})
            EXPECT_TRUE(a.contains(key)) << key;
    }
    for (const json& point : r["points"]) {
        EXPECT_EQ(point["kind"], "end");
        EXPECT_EQ(point["refined"], true);
        EXPECT_NEAR(point["y"].get<double>(), point["x"] == 0 ? 600 : 700, 1e-3);
    }
    EXPECT_EQ(r["points"].size(), 2u);
    ASSERT_FALSE(r["branches"].empty());
    for (const json& branch : r["branches"]) {
        EXPECT_TRUE(branch["side"] == "left" || branch["side"] == "right");
        EXPECT_FALSE(branch["points"].empty());
    }
}

// The grid names the end at X = 1 by the liquid's column; the refinement by the
// point phase there, which lies lower.
TEST(RunRefine, PointPhasesAtTheEnds)
{
    for (const char* xpoints : {"50", "400"}) {
        SCOPED_TRACE(xpoints);
        const CliResult result = RunCli("run --script " + Script(kPointPhaseEutectic).string() +
                                        " --y Temperature --ymin 300 --ymax 750 --ypoints 90 --xpoints " + xpoints +
                                        " --refine");
        ASSERT_EQ(result.exitCode, 0);
        const json r = json::parse(result.out)["problems"].at(0)["refined"];
        ASSERT_EQ(r["nodes"].size(), 1u);
        const json& node = r["nodes"][0];
        EXPECT_EQ(node["refined"], true);
        EXPECT_EQ(node["phases"], json::parse(R"(["0", "L", "1"])"));
        EXPECT_NEAR(node["y"].get<double>(), EutecticTemperature(), 1e-3);
        int solids = 0;
        for (const json& b : r["boundaries"])
            if (b["y"].get<double>() < node["y"].get<double>()) {
                EXPECT_EQ(b["left"], "0");
                EXPECT_EQ(b["right"], "1");
                EXPECT_EQ(b["refined"], true);
                ++solids;
            }
        EXPECT_GT(solids, 30);
        ASSERT_EQ(r["points"].size(), 2u);
        for (const json& point : r["points"]) {
            EXPECT_EQ(point["kind"], "end");
            EXPECT_EQ(point["refined"], true);
            EXPECT_NEAR(point["y"].get<double>(), point["x"] == 0 ? 600 : 700, 1e-3);
        }
    }
}

TEST(RunRefine, CsvGainsTheRefinedRowsOnlyWithRefine)
{
    const fs::path csv = fs::temp_directory_path() / ("solvane_refine_eutectic_" + std::to_string(getpid()) + ".csv");
    const std::string base = "run --script " + Script().string() +
                             " --y Temperature --ymin 300 --ymax 750 --ypoints 90 --xpoints 50 --csv " + csv.string();
    const auto rowsOf = [&csv](const std::string& kind) {
        std::ifstream in(csv);
        std::vector<std::string> rows;
        for (std::string line; std::getline(in, line);)
            if (line.rfind(kind + ",", 0) == 0)
                rows.push_back(line);
        return rows;
    };
    ASSERT_EQ(RunCli(base).exitCode, 0);
    EXPECT_TRUE(rowsOf("refined_boundary").empty());
    const std::size_t plainBoundaryRows = rowsOf("boundary").size();

    const CliResult refined = RunCli(base + " --refine");
    ASSERT_EQ(refined.exitCode, 0);
    const json r = json::parse(refined.out)["problems"].at(0)["refined"];
    EXPECT_EQ(rowsOf("boundary").size(), plainBoundaryRows);
    std::size_t trusted = 0;
    for (const json& b : r["boundaries"])
        trusted += b["refined"].get<bool>() ? 1 : 0;
    EXPECT_EQ(rowsOf("refined_boundary").size(), trusted);
    const std::vector<std::string> nodes = rowsOf("refined_node");
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_NEAR(std::stod(nodes[0].substr(nodes[0].find(',') + 1)), EutecticTemperature(), 1e-3);
    EXPECT_EQ(nodes[0].substr(nodes[0].rfind(',') + 1), "SA+L+SB");
    for (const std::string& point : rowsOf("refined_point"))
        EXPECT_NE(point.find(",,,end: "), std::string::npos) << point;
    EXPECT_EQ(rowsOf("refined_point").size(), r["points"].size());
    fs::remove(csv);
}

} // namespace
