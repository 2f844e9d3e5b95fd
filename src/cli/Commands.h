#pragma once
// The subcommands of solvane-cli. Each registers itself on the application and
// stores its exit status in exitCode when it runs.
#include <CLI/CLI.hpp>

namespace solvane::cli {

void AddExprCommand(CLI::App& app, int& exitCode);
void AddDbCommand(CLI::App& app, int& exitCode);
void AddRunCommand(CLI::App& app, int& exitCode);
void AddCheckCommand(CLI::App& app, int& exitCode);

} // namespace solvane::cli
