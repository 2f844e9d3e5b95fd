#pragma once
// Runs the built solvane-cli as a user would and collects what it prints.
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace solvane::testing {

struct CliResult {
    int exitCode = -1;
    std::string out; // standard output only
};

inline CliResult RunCli(const std::string& arguments)
{
    CliResult result;
    FILE* pipe = popen((std::string(SOLVANE_CLI) + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace solvane::testing
