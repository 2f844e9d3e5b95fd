#pragma once
// Runs the built solvane-cli as a user would and collects what it prints.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

namespace solvane::testing {

struct CliResult {
    int exitCode = -1;
    std::string out; // standard output
    std::string err; // standard error
};

inline CliResult RunCli(const std::string& arguments)
{
    CliResult result;
    char errPath[] = "/tmp/solvane_cli_err_XXXXXX";
    const int errFile = mkstemp(errPath);
    if (errFile < 0)
        return result;
    close(errFile);
    FILE* pipe = popen((std::string(SOLVANE_CLI) + " " + arguments + " 2>" + errPath).c_str(), "r");
    if (pipe) {
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            result.out.append(buffer, n);
        const int status = pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream err(errPath, std::ios::binary);
        result.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    }
    unlink(errPath);
    return result;
}

// The same with every argument passed as one word, whatever it holds.
inline CliResult RunCliWords(const std::vector<std::string>& arguments)
{
    std::string command;
    for (const std::string& argument : arguments) {
        command += " '";
        for (char c : argument)
            command += c == '\'' ? std::string("'\\''") : std::string(1, c);
        command += "'";
    }
    return RunCli(command);
}

} // namespace solvane::testing
