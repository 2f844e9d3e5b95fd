// solvane-cli expr (not written yet)
#include "Commands.h"

namespace solvane::cli {

void AddExprCommand(CLI::App& app, int& exitCode)
{
    auto* cmd = app.add_subcommand("expr", "not available yet");
    cmd->allow_extras();
    cmd->callback([&exitCode] { exitCode = 2; });
}

} // namespace solvane::cli
