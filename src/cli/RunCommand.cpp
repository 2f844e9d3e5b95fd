// solvane-cli run (not written yet)
#include "Commands.h"

namespace solvane::cli {

void AddRunCommand(CLI::App& app, int& exitCode)
{
    auto* cmd = app.add_subcommand("run", "not available yet");
    cmd->allow_extras();
    cmd->callback([&exitCode] { exitCode = 2; });
}

} // namespace solvane::cli
