// solvane-cli db (not written yet)
#include "Commands.h"

namespace solvane::cli {

void AddDbCommand(CLI::App& app, int& exitCode)
{
    auto* cmd = app.add_subcommand("db", "not available yet");
    cmd->allow_extras();
    cmd->callback([&exitCode] { exitCode = 2; });
}

} // namespace solvane::cli
