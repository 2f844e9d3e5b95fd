// The README's command lines work as printed: each `build/solvane-cli` line is
// run in a fresh folder (with a script of the user's as my-system.txt) and
// must succeed and write the files it names.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;
using solvane::testing::RunCli;

// The command lines, continuation lines joined, without the leading "build/solvane-cli".
std::vector<std::string> ReadmeCommands()
{
    std::ifstream in(SOLVANE_README);
    std::vector<std::string> commands;
    const std::string prefix = "    build/solvane-cli ";
    std::string line;
    bool continued = false;
    while (std::getline(in, line)) {
        if (continued) {
            commands.back() += " " + line.substr(line.find_first_not_of(' '));
        } else if (line.rfind(prefix, 0) == 0) {
            commands.push_back(line.substr(prefix.size()));
        } else {
            continue;
        }
        continued = !commands.back().empty() && commands.back().back() == '\\';
        if (continued)
            commands.back().pop_back();
    }
    return commands;
}

// A fresh folder to work in for the test's life, removed after it.
class TWorkFolder {
public:
    TWorkFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "solvane_readme_XXXXXX").string();
        if (mkdtemp(pattern.data()))
            folder_ = pattern;
        fs::current_path(folder_);
    }
    ~TWorkFolder()
    {
        fs::current_path(home_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

private:
    fs::path home_ = fs::current_path();
    fs::path folder_;
};

TEST(Readme, EveryCommandLineRunsAsPrinted)
{
    const std::vector<std::string> commands = ReadmeCommands();
    ASSERT_GE(commands.size(), 8u);
    const TWorkFolder folder;
    std::ofstream("my-system.txt") << "#YCAP=T, K\nGL = -T*Sid\n"
                                      "GS = (1-X)*13000*(T/1358-1 - p/40000) + X*17480*(T/1728-1 - p/40000) - T*Sid\n";
    for (std::string command : commands) {
        SCOPED_TRACE(command);
        command = std::regex_replace(command, std::regex("build/examples/Problems\\.d"), SOLVANE_EXAMPLE_DATABASE);
        const auto result = RunCli(command);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_FALSE(result.out.empty() && command.find("--json") == std::string::npos);
        if (command.find("--refine") != std::string::npos && command.find("--json") == std::string::npos) {
            EXPECT_NE(result.out.find("\"refined\""), std::string::npos);
        }
        // Every file a command names is written.
        static const std::regex named(R"(--(?:svg|png|pdf|wmf|csv|json) (\S+))");
        for (std::sregex_iterator m(command.begin(), command.end(), named), end; m != end; ++m) {
            const fs::path file = (*m)[1].str();
            EXPECT_TRUE(fs::exists(file) && fs::file_size(file) > 0) << file;
        }
    }
}

} // namespace
