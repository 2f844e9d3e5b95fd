// solvane-cli check: the script check, with the run's values when they are given.
#include "cli/Commands.h"

#include "script/ScriptCheck.h"
#include "cli/JsonOutput.h"
#include "cli/ScriptOptions.h"

#include <memory>
#include <optional>

namespace solvane::cli {
namespace {

struct CheckOptions {
    std::string script;
    std::string json;
    std::optional<std::string> y;
    std::optional<double> ymin, ymax, z;
    std::optional<int> ypoints, xpoints;
};

nlohmann::json FindingsJson(const std::vector<TScriptFinding>& findings)
{
    nlohmann::json list = nlohmann::json::array();
    for (const TScriptFinding& f : findings)
        list.push_back({{"severity", SeverityName(f.Severity)},
                        {"line", f.Line},
                        {"name", JsonText(f.Name)},
                        {"text", JsonText(f.Text)}});
    return list;
}

int Check(const CheckOptions& options)
{
    std::string script;
    if (!ReadScriptFile(options.script, script))
        return 1;
    const TCheckRunValues run{options.y, options.ymin, options.ymax, options.z, options.ypoints, options.xpoints};
    const std::vector<TScriptFinding> findings = CheckScript(script, run);
    const nlohmann::json document = {{"ok", !HasError(findings)}, {"findings", FindingsJson(findings)}};
    if (!WriteJson(document, options.json))
        return 1;
    return HasError(findings) ? 1 : 0;
}

} // namespace

void AddCheckCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<CheckOptions>();
    auto* cmd = app.add_subcommand("check", "Check a script for the traps of the script language, JSON out");
    cmd->add_option("--script", options->script, "a UTF-8 script file")->required();
    cmd->add_option("--json", options->json, "write the JSON to this file ('-': standard output)");
    cmd->add_option("--y", options->y, "the vertical quantity")->check(YQuantity());
    cmd->add_option("--ymin", options->ymin, "lower end of the sweep");
    cmd->add_option("--ymax", options->ymax, "upper end of the sweep");
    cmd->add_option("--z", options->z, "the fixed quantity");
    cmd->add_option("--ypoints", options->ypoints, "number of Y steps");
    cmd->add_option("--xpoints", options->xpoints, "number of X intervals");
    cmd->callback([options, &exitCode] { exitCode = Check(*options); });
}

} // namespace solvane::cli
