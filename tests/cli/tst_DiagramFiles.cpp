// solvane-cli run with the diagram files: the five files of an example problem,
// each opened by a reader that is not ours, and the refusal with many problems.
#include "CliRunner.h"

#include <QImage>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using solvane::testing::RunCliWords;

std::string Bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DiagramFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Qt's offscreen platform keeps font caches until the process ends.
        setenv("LSAN_OPTIONS", "suppressions=" SOLVANE_LSAN_SUPPRESSIONS, 1);
        dir_ = fs::temp_directory_path() / ("solvane_diagram_files_" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
};

TEST_F(DiagramFiles, TheFiveFilesOfAnExampleProblem)
{
    const auto file = [this](const char* name) { return (dir_ / name).string(); };
    const auto result =
        RunCliWords({"run", SOLVANE_EXAMPLE_DATABASE, "--problem", "Simple eutectic", "--svg", file("d.svg"), "--png",
                     file("d.png"), "--pdf", file("d.pdf"), "--wmf", file("d.wmf"), "--csv", file("d.csv")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const nlohmann::json problem = nlohmann::json::parse(result.out)["problems"][0];

    EXPECT_EQ(Bytes(file("d.pdf")).rfind("%PDF-", 0), 0u);
    const std::string wmf = Bytes(file("d.wmf"));
    EXPECT_EQ(wmf.rfind("\xD7\xCD\xC6\x9A", 0), 0u) << "the placeable header's key";
    const std::string png = Bytes(file("d.png"));
    const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()));
    EXPECT_GT(image.width(), 100);
    EXPECT_GT(image.height(), 100);
    QXmlStreamReader svg(QByteArray::fromStdString(Bytes(file("d.svg"))));
    while (!svg.atEnd())
        svg.readNext();
    EXPECT_FALSE(svg.hasError()) << svg.errorString().toStdString();

    const std::string csv = Bytes(file("d.csv"));
    EXPECT_EQ(csv.rfind("kind,y,x,x_left,x_right,phase\n", 0), 0u);
    const auto rows = [&csv](const std::string& kind) {
        std::size_t n = 0;
        for (std::size_t at = csv.find('\n' + kind + ','); at != std::string::npos; at = csv.find('\n' + kind + ',', at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(rows("boundary"), problem["boundary_points"].size());
    EXPECT_EQ(rows("node"), problem["nodes"].size());
    EXPECT_EQ(rows("special"), problem["special_points"].size());
    EXPECT_EQ(static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')),
              1 + rows("boundary") + rows("node") + rows("special"));
}

TEST_F(DiagramFiles, ManyProblemsAreRefused)
{
    const std::string svg = (dir_ / "d.svg").string();
    const auto result = RunCliWords({"run", SOLVANE_EXAMPLE_DATABASE, "--svg", svg});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("need one problem"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(svg));
}

} // namespace
